// Contents
//   [SECTION] helpers: fields, boxes and refusals
//   [SECTION] CLogicDialog: a page and a modal dialog around their procedures
//   [SECTION] the generator dialogs
//   [SECTION] CDigOutputPPg: the pattern editor
//   [SECTION] CTriggerPPg
//   [SECTION] the sheet
#include "analysis/win32/DigPages.h"

#include <commctrl.h>
#include <prsht.h>

#include <algorithm>
#include <string>

#include "framework/Exception.h"
#include "framework/win32/Dialog.h"
#include "framework/win32/Win32Services.h"
#include "framework/win32/PropertyPage.h"
#include "framework/win32/WinApp.h"
#include "instruments/digital/DigRules.h"
#include "instruments/digital/PatternEditor.h"
#include "units/DigIO.h"
#include "viframework/NumPadRules.h"

namespace {

constexpr int kFirstBitBox = 301;       // 301..316: bits 0..15
constexpr int kApplyToSelectedBox = 317;
constexpr int kStepList = 402, kCountField = 151;
constexpr int kAddButton = 201, kDeleteButton = 202, kSelectAllButton = 203, kGeneratorsButton = 204;
constexpr int kRecordLengthField = 334;
// Without a pattern to go by, a record this long [samples].
constexpr int32_t kDefaultRecordLength = 1000;

// ---------------------------------------------------------------- [SECTION] helpers


void SetNumber(HWND dialog, int id, int64_t value)
{
    SetDlgItemTextW(dialog, id, Wide(Utf8ToString(std::to_string(value))));
}

// Tells why an entry is refused and selects it for typing over.
void Refuse(HWND dialog, int fieldId, const FieldEntry& entry)
{
    CResourceStrings strings;
    const CString text = ComposePadMessage(entry.messageId, strings.LoadText(entry.messageId), entry.argument);
    MessageBoxW(dialog, Wide(text), Wide(strings.LoadText(kTextInvalidEntryTitle)), MB_OK | MB_ICONWARNING);
    HWND field = GetDlgItem(dialog, fieldId);
    SetFocus(field);
    SendMessageW(field, EM_SETSEL, 0, -1);
}

// The field's whole number within the bounds; false (the user told) when refused.
bool ReadField(HWND dialog, int id, int32_t minimum, int32_t maximum, int32_t& value)
{
    const FieldEntry entry = JudgeField(WindowText(GetDlgItem(dialog, id)), minimum, maximum);
    if (!entry.value) {
        Refuse(dialog, id, entry);
        return false;
    }
    value = *entry.value;
    return true;
}

uint16_t ReadBits(HWND dialog)
{
    uint16_t bits = 0;
    for (int bit = 0; bit < 16; ++bit)
        if (IsDlgButtonChecked(dialog, kFirstBitBox + bit) == BST_CHECKED)
            bits = uint16_t(bits | 1u << bit);
    return bits;
}

void TellTooManySteps(HWND owner)
{
    CResourceStrings strings;
    MessageBoxW(owner, Wide(strings.LoadText(kTextTooManySteps)), Wide(strings.LoadText(kTextInvalidEntryTitle)),
                MB_OK | MB_ICONWARNING);
}


// ---------------------------------------------------------------- [SECTION] CLogicDialog

// A modal dialog of the resource library; OK closes it only when OnOK
// accepts what the fields hold.
class CLogicDialog : public CDialog {
public:
    using CDialog::CDialog;

    // True when the user confirmed.
    bool Run(HWND owner) { return DoModal(owner) == IDOK; }

protected:
    virtual void OnControl(int) {}
    virtual bool OnOK() = 0;

    bool OnCommand(int id, int notifyCode) override
    {
        if (id == IDOK) {
            if (OnOK())
                EndDialog(IDOK);
            return true;
        }
        if (id == IDCANCEL)
            return CDialog::OnCommand(id, notifyCode);
        OnControl(id);
        return true;
    }

    void SetBits(uint16_t bits)
    {
        for (int bit = 0; bit < 16; ++bit)
            CheckDlgButton(m_hWnd, kFirstBitBox + bit, (bits >> bit & 1) ? BST_CHECKED : BST_UNCHECKED);
    }
};

// ---------------------------------------------------------------- [SECTION] the generator dialogs

class CPatternClockDlg : public CLogicDialog {
public:
    explicit CPatternClockDlg(bool offerSelected) : CLogicDialog(IDD_PATTERN_CLOCK), m_offerSelected(offerSelected) {}
    ClockEntry entry;

protected:
    void OnInitDialog() override
    {
        SetBits(entry.bits);
        SetNumber(m_hWnd, 151, entry.high);
        SetNumber(m_hWnd, 152, entry.low);
        SetNumber(m_hWnd, 153, entry.steps);
        SetNumber(m_hWnd, 154, entry.repeat);
        EnableWindow(GetDlgItem(m_hWnd, kApplyToSelectedBox), m_offerSelected);
    }
    void OnControl(int id) override
    {
        // Applied to the selection, the steps keep their number and counts.
        if (id != kApplyToSelectedBox)
            return;
        const bool adding = IsDlgButtonChecked(m_hWnd, kApplyToSelectedBox) != BST_CHECKED;
        EnableWindow(GetDlgItem(m_hWnd, 153), adding);
        EnableWindow(GetDlgItem(m_hWnd, 154), adding);
    }
    bool OnOK() override
    {
        ClockEntry e;
        e.bits = ReadBits(m_hWnd);
        e.toSelected = m_offerSelected && IsDlgButtonChecked(m_hWnd, kApplyToSelectedBox) == BST_CHECKED;
        const int32_t most = int32_t(kMaxPatternSteps);
        if (!ReadField(m_hWnd, 151, 0, most, e.high) || !ReadField(m_hWnd, 152, 0, most, e.low))
            return false;
        if (!e.toSelected &&
            (!ReadField(m_hWnd, 153, 1, most, e.steps) || !ReadField(m_hWnd, 154, 1, kMaxRepeatCount, e.repeat)))
            return false;
        entry = e;
        return true;
    }

private:
    bool m_offerSelected;
};

class CPatternConstDlg : public CLogicDialog {
public:
    CPatternConstDlg() : CLogicDialog(IDD_PATTERN_CONSTANT) {}
    ConstantEntry entry;

protected:
    void OnInitDialog() override
    {
        SetBits(entry.word);
        SetNumber(m_hWnd, 151, entry.steps);
        SetNumber(m_hWnd, 152, entry.repeat);
    }
    bool OnOK() override
    {
        ConstantEntry e;
        e.word = ReadBits(m_hWnd);
        if (!ReadField(m_hWnd, 151, 1, int32_t(kMaxPatternSteps), e.steps) ||
            !ReadField(m_hWnd, 152, 1, kMaxRepeatCount, e.repeat))
            return false;
        entry = e;
        return true;
    }
};

class CPatternCounterDlg : public CLogicDialog {
public:
    CPatternCounterDlg() : CLogicDialog(IDD_PATTERN_COUNTER) {}
    CounterEntry entry;

protected:
    void OnInitDialog() override
    {
        SetNumber(m_hWnd, 151, entry.start);
        SetNumber(m_hWnd, 152, entry.end);
        SetNumber(m_hWnd, 153, entry.increment);
        SetNumber(m_hWnd, 154, entry.repeat);
    }
    bool OnOK() override
    {
        CounterEntry e;
        if (!ReadField(m_hWnd, 151, 0, 0xFFFF, e.start) || !ReadField(m_hWnd, 152, 0, 0xFFFF, e.end) ||
            !ReadField(m_hWnd, 153, 1, 0xFFFF, e.increment) || !ReadField(m_hWnd, 154, 1, kMaxRepeatCount, e.repeat))
            return false;
        entry = e;
        return true;
    }
};

// ---------------------------------------------------------------- [SECTION] CDigOutputPPg

class CDigOutputPPg : public CPropertyPage {
public:
    CDigOutputPPg(CPatternEditor& editor, LogicSheetSettings& settings)
        : CPropertyPage(IDD_LOGIC_PATTERN), m_editor(editor), m_settings(settings)
    {
    }

protected:
    void OnInitDialog() override
    {
        // The step text's columns: index, bits, hexadecimal word, count.
        const INT stops[3] = {24, 110, 140};
        SendMessageW(List(), LB_SETTABSTOPS, 3, reinterpret_cast<LPARAM>(stops));
        FillList();
        ShowSelection();
    }

    void OnCommand(int id, int code) override
    {
        if (id == kStepList && code == LBN_SELCHANGE) {
            TakeListSelection();
            ShowSelection();
        } else if (id >= kFirstBitBox && id < kFirstBitBox + 16 && code == BN_CLICKED) {
            const int bit = id - kFirstBitBox;
            // A mixed or clear bit becomes set; a set one is cleared.
            m_editor.SetBit(bit, m_editor.BitOf(bit) != BitState::set);
            FillList();
            ShowSelection();
        } else if (id == kCountField && code == EN_CHANGE) {
            m_countEdited = m_countEdited || !m_quiet;
        } else if (id == kCountField && code == EN_KILLFOCUS) {
            CommitCount();
        } else if (code == BN_CLICKED) {
            OnButton(id);
        }
    }

    bool OnKillActive() override { return CommitCount(); }

    bool OnApply() override
    {
        m_settings.pattern.clear();
        for (const auto& step : m_editor.Steps())
            m_settings.pattern.push_back(std::make_unique<CDigData>(*step));
        return true;  // the sheet's result takes the copy whether or not it changed
    }

private:
    HWND List() const { return GetDlgItem(m_hWnd, kStepList); }

    void OnButton(int id)
    {
        switch (id) {
        case kAddButton:
            if (!m_editor.AddStep())
                TellTooManySteps(m_hWnd);
            break;
        case kDeleteButton:
            m_editor.DeleteSelected();
            break;
        case kSelectAllButton:
            m_editor.SelectAll();
            break;
        case kGeneratorsButton:
            Generate(ChooseGenerator());
            return;
        case ID_PATTERN_CLOCK:
        case ID_PATTERN_CONSTANT:
        case ID_PATTERN_COUNTER:
            Generate(uint32_t(id));
            return;
        default:
            return;
        }
        FillList();
        ShowSelection();
    }

    // The generators' menu below the button; 0 when none was chosen.
    uint32_t ChooseGenerator()
    {
        HMENU menu = AfxGetApp() ? AfxGetApp()->LoadMenuResource(IDM_PATTERN_GENERATORS) : nullptr;
        if (!menu)
            return 0;
        RECT button{};
        GetWindowRect(GetDlgItem(m_hWnd, kGeneratorsButton), &button);
        const UINT chosen = UINT(TrackPopupMenu(GetSubMenu(menu, 0), TPM_RETURNCMD | TPM_LEFTBUTTON, button.left,
                                                button.bottom, 0, m_hWnd, nullptr));
        DestroyMenu(menu);
        return chosen;
    }

    void Generate(uint32_t generator)
    {
        bool whole = true;
        if (generator == ID_PATTERN_CLOCK) {
            CPatternClockDlg dialog(m_editor.OffersClockOnSelection());
            if (!dialog.Run(m_hWnd))
                return;
            whole = m_editor.Generate(dialog.entry);
        } else if (generator == ID_PATTERN_CONSTANT) {
            CPatternConstDlg dialog;
            if (!dialog.Run(m_hWnd))
                return;
            whole = m_editor.Generate(dialog.entry);
        } else if (generator == ID_PATTERN_COUNTER) {
            CPatternCounterDlg dialog;
            if (!dialog.Run(m_hWnd))
                return;
            whole = m_editor.Generate(dialog.entry);
        } else {
            return;
        }
        FillList();
        ShowSelection();
        if (!whole)
            TellTooManySteps(m_hWnd);
    }

    void FillList()
    {
        HWND list = List();
        const LRESULT top = SendMessageW(list, LB_GETTOPINDEX, 0, 0);
        SendMessageW(list, WM_SETREDRAW, FALSE, 0);
        SendMessageW(list, LB_RESETCONTENT, 0, 0);
        const auto& steps = m_editor.Steps();
        for (size_t i = 0; i < steps.size(); ++i) {
            SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(CDigIO::StepText(*steps[i], int(i)))));
            if (m_editor.IsSelected(i))
                SendMessageW(list, LB_SETSEL, TRUE, LPARAM(i));
        }
        SendMessageW(list, LB_SETTOPINDEX, WPARAM(std::max<LRESULT>(top, 0)), 0);
        SendMessageW(list, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(list, nullptr, TRUE);
    }

    void TakeListSelection()
    {
        HWND list = List();
        for (size_t i = 0; i < m_editor.Count(); ++i)
            m_editor.Select(i, SendMessageW(list, LB_GETSEL, WPARAM(i), 0) > 0);
    }

    // The boxes and the count show the selected steps; without a selection they grey.
    void ShowSelection()
    {
        const bool any = m_editor.SelectionCount() > 0;
        for (int bit = 0; bit < 16; ++bit) {
            const BitState state = m_editor.BitOf(bit);
            CheckDlgButton(m_hWnd, kFirstBitBox + bit,
                           state == BitState::set ? BST_CHECKED : state == BitState::mixed ? BST_INDETERMINATE
                                                                                           : BST_UNCHECKED);
            EnableWindow(GetDlgItem(m_hWnd, kFirstBitBox + bit), any);
        }
        const bool quiet = m_quiet;
        m_quiet = true;
        if (const auto count = m_editor.RepeatCount())
            SetNumber(m_hWnd, kCountField, *count);
        else
            SetDlgItemTextW(m_hWnd, kCountField, L"");
        m_quiet = quiet;
        m_countEdited = false;
        EnableWindow(GetDlgItem(m_hWnd, kCountField), any);
        EnableWindow(GetDlgItem(m_hWnd, kDeleteButton), any);
    }

    // The typed count goes to the selected steps; a refused one is told and
    // the field shows the counts again. False when refused.
    bool CommitCount()
    {
        if (!m_countEdited || m_editor.SelectionCount() == 0)
            return true;
        m_countEdited = false;
        const FieldEntry entry = JudgeField(WindowText(GetDlgItem(m_hWnd, kCountField)), 1, kMaxRepeatCount);
        if (!entry.value) {
            ShowSelection();
            Refuse(m_hWnd, kCountField, entry);
            return false;
        }
        m_editor.SetRepeatCount(*entry.value);
        FillList();
        return true;
    }

    CPatternEditor& m_editor;
    LogicSheetSettings& m_settings;
    bool m_countEdited = false;
};

// ---------------------------------------------------------------- [SECTION] CTriggerPPg

class CTriggerPPg : public CPropertyPage {
public:
    CTriggerPPg(const CPatternEditor& editor, LogicSheetSettings& settings)
        : CPropertyPage(IDD_LOGIC_TRIGGER),
          m_editor(editor),
          m_settings(settings),
          m_boxes(settings.triggerOn, settings.triggerWord, settings.triggerMask)
    {
    }

protected:
    void OnInitDialog() override
    {
        for (uint32_t box = CTriggerBoxes::kFirstWordBox; box <= CTriggerBoxes::kTriggerOnBox; ++box)
            CheckDlgButton(m_hWnd, int(box), m_boxes.Checked(box) ? BST_CHECKED : BST_UNCHECKED);
        ShowEnabled();
        ShowRecordLength();
    }

    void OnCommand(int id, int code) override
    {
        if (id >= int(CTriggerBoxes::kFirstWordBox) && id <= int(CTriggerBoxes::kTriggerOnBox) && code == BN_CLICKED) {
            m_boxes.SetChecked(uint32_t(id), IsDlgButtonChecked(m_hWnd, id) == BST_CHECKED);
            ShowEnabled();
        } else if (id == kRecordLengthField && code == EN_CHANGE) {
            m_lengthEdited = m_lengthEdited || !m_quiet;
        }
    }

    bool OnKillActive() override
    {
        if (m_boxes.ComparesNothing()) {
            CResourceStrings strings;
            MessageBoxW(m_hWnd, Wide(strings.LoadText(kTextTriggerWithoutBits)),
                        Wide(strings.LoadText(kTextInvalidEntryTitle)), MB_OK | MB_ICONWARNING);
            return false;
        }
        if (!m_lengthEdited)
            return true;
        const FieldEntry entry = JudgeField(WindowText(GetDlgItem(m_hWnd, kRecordLengthField)), 1, 0xFFFF);
        if (!entry.value) {
            ShowRecordLength();
            Refuse(m_hWnd, kRecordLengthField, entry);
            return false;
        }
        m_length = *entry.value;
        return true;
    }

    bool OnApply() override
    {
        m_settings.triggerOn = m_boxes.On();
        m_settings.triggerWord = m_boxes.Word();
        m_settings.triggerMask = m_boxes.Mask();
        m_settings.recordLength = uint16_t(m_length);
        return true;
    }

private:
    void ShowEnabled()
    {
        for (uint32_t box = CTriggerBoxes::kFirstWordBox; box < CTriggerBoxes::kFirstDontCareBox; ++box)
            EnableWindow(GetDlgItem(m_hWnd, int(box)), m_boxes.Enabled(box));
    }

    // A record of no length yet is offered as long as the pattern (or a
    // default length without one).
    void ShowRecordLength()
    {
        if (m_length == 0) {
            int64_t pattern = 0;
            for (const auto& step : m_editor.Steps())
                pattern += std::max<int32_t>(step->m_repeatCount, 0);
            m_length = int32_t(m_settings.recordLength ? m_settings.recordLength
                                                       : pattern > 0 ? std::min<int64_t>(pattern, 0xFFFF)
                                                                     : kDefaultRecordLength);
        }
        const bool quiet = m_quiet;
        m_quiet = true;
        SetNumber(m_hWnd, kRecordLengthField, m_length);
        m_quiet = quiet;
        m_lengthEdited = false;
    }

    const CPatternEditor& m_editor;
    LogicSheetSettings& m_settings;
    CTriggerBoxes m_boxes;
    int32_t m_length = 0;
    bool m_lengthEdited = false;
};

}  // namespace

// ---------------------------------------------------------------- [SECTION] the sheet

bool EditLogicSettings(HWND owner, const CString& caption, LogicSheetSettings& settings)
{
    CPatternEditor editor(settings.pattern);
    // The pages write into a copy, so that a cancelled sheet leaves the caller's settings alone.
    LogicSheetSettings result;
    result.triggerOn = settings.triggerOn;
    result.triggerWord = settings.triggerWord;
    result.triggerMask = settings.triggerMask;
    result.recordLength = settings.recordLength;
    CDigOutputPPg patternPage(editor, result);
    CTriggerPPg triggerPage(editor, result);
    CPropertyPage* const pages[2] = {&patternPage, &triggerPage};
    if (!RunPropertySheet(owner, caption, pages, PSH_NOCONTEXTHELP | PSH_NOAPPLYNOW))
        return false;
    // The pattern page is shown first, so OK always applies it; the
    // trigger page only when the user opened it (else result holds its start).
    if (!patternPage.Wrote())
        return false;
    settings = std::move(result);
    return true;
}
