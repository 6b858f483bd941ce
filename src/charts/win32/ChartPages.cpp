// Contents
//   [SECTION] CChartPage: one page around its dialog procedure
//   [SECTION] scale pages
//   [SECTION] grid and zero-line pages
//   [SECTION] signals page
//   [SECTION] label page
//   [SECTION] signal style pages
//   [SECTION] the sheets
#include "charts/win32/ChartPages.h"

#include <commctrl.h>
#include <prsht.h>

#include <algorithm>
#include <memory>
#include <string>

#include "charts/ChartPageRules.h"
#include "charts/win32/ChartPageControls.h"
#include "framework/Exception.h"
#include "framework/UserInteraction.h"
#include "framework/win32/PropertyPage.h"
#include "framework/win32/WinApp.h"
#include "framework/win32/Win32Services.h"
#include "viframework/NumPadRules.h"
#include "viframework/win32/PadPopups.h"

namespace {

// Control ids, as listed at the top of ChartPages.rc.
constexpr int kMinimumEdit = 100, kMaximumEdit = 101, kStepEdit = 102, kSubdivisionsEdit = 103;
constexpr int kSubdivisionsSpin = 310, kAutomaticButton = 200;
constexpr int kFirstPenCombo = 300, kFirstColourButton = 200, kFirstSwatch = 400;
constexpr int kSignalList = 302, kStyleButton = 202;
constexpr int kLabelTextEdit = 100, kFontButton = 200, kFontName = 403, kTextColourButton = 201,
              kBackgroundButton = 202, kTextSwatch = 400, kBackgroundSwatch = 401, kFramedCheck = 300,
              kTransparentCheck = 301, kLabelPreview = 402;
constexpr int kStyleCombo = 300, kWidthEdit = 100, kWidthSpin = 320, kPenColourButton = 200, kPenSwatch = 400;

constexpr uint32_t kScaleTemplate = 3037, kLogScaleTemplate = 3038, kGridTemplate = 3031, kZeroLineTemplate = 3032,
                   kLabelTemplate = 3030, kLineStyleTemplate = 3048, kBarStyleTemplate = 3046;
constexpr uint32_t kTextChartCaption = 3145, kTextLabelCaption = 3146, kTextStyleCaption = 3147,
                   kTextFontName = 3148;


CString NumberText(long value)
{
    return Utf8ToString(std::to_string(value));
}

// ---------------------------------------------------------------- [SECTION] CChartPage

// One property page around its dialog procedure. Pages edit their own
// copies and write them back only when the sheet applies them.
class CChartPage : public CPropertyPage {
public:
    explicit CChartPage(uint32_t templateId) : CPropertyPage(templateId, ChartDialogProc) {}

protected:
    // Tells the user why an entry is refused, then selects it for typing over.
    void Refuse(int fieldId, uint32_t messageId)
    {
        // Owned by the sheet: a box owned by the main window would enable it
        // again on closing while the sheet is still up.
        CResourceStrings strings;
        MessageBoxW(GetParent(m_hWnd), Wide(strings.LoadText(messageId)),
                    Wide(strings.LoadText(kTextInvalidEntryTitle)), MB_OK | MB_ICONWARNING);
        HWND field = Item(fieldId);
        SetFocus(field);
        SendMessageW(field, EM_SETSEL, 0, -1);
    }

private:
    // The owner-drawn pickers are measured while the page's controls are made,
    // before the page exists.
    static INT_PTR CALLBACK ChartDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
    {
        if (message == WM_MEASUREITEM) {
            MeasureComboItem(dialog, *reinterpret_cast<MEASUREITEMSTRUCT*>(lParam));
            return TRUE;
        }
        return DialogProc(dialog, message, wParam, lParam);
    }
};

// ---------------------------------------------------------------- [SECTION] scale pages

// The range and minor subdivisions of a linear axis, with the automatic range.
class CScalePPg : public CChartPage {
public:
    explicit CScalePPg(CAxis& axis, uint32_t templateId = kScaleTemplate)
        : CChartPage(templateId),
          m_axis(axis),
          m_rules(axis.RangeSet(), axis.minorSubdivisions, char16_t(LocaleDecimalCharacter()))
    {
    }

protected:
    virtual ScaleVerdict Judge() const { return m_rules.Judge(Typed()); }

    void OnInitDialog() override
    {
        SendDlgItemMessageW(m_hWnd, kSubdivisionsSpin, UDM_SETRANGE32, 0, kMostSubdivisions);
        Show(m_rules.Fields());
    }
    void OnCommand(int id, int code) override
    {
        if (code == EN_CHANGE)
            SetModified();
        if (id == kAutomaticButton && code == BN_CLICKED) {
            const ScaleVerdict automatic = m_rules.Automatic(Typed());
            if (!automatic.Accepted()) {
                Refuse(FieldId(automatic.refused), automatic.messageId);
                return;
            }
            const ScaleEntry shown = m_rules.FieldsOf(automatic);
            SetDlgItemTextW(m_hWnd, kMinimumEdit, Wide(shown.minimum));
            SetDlgItemTextW(m_hWnd, kMaximumEdit, Wide(shown.maximum));
            SetDlgItemTextW(m_hWnd, kStepEdit, Wide(shown.step));
        }
    }
    bool OnKillActive() override
    {
        const ScaleVerdict verdict = Judge();
        if (verdict.Accepted())
            return true;
        Refuse(FieldId(verdict.refused), verdict.messageId);
        return false;
    }
    bool OnApply() override
    {
        const ScaleVerdict verdict = Judge();
        bool wrote = false;
        if (!(verdict.range == m_axis.RangeSet())) {
            m_axis.SetRangeSet(verdict.range);
            wrote = true;
        }
        if (verdict.subdivisions != m_axis.minorSubdivisions) {
            m_axis.minorSubdivisions = verdict.subdivisions;
            m_axis.MarkLayoutDirty();
            wrote = true;
        }
        // The page stays open after Apply and shows what the axis now has.
        m_rules = CScaleRules(m_axis.RangeSet(), m_axis.minorSubdivisions, char16_t(LocaleDecimalCharacter()));
        Show(m_rules.Fields());
        return wrote;
    }

private:
    ScaleEntry Typed() const
    {
        return {ItemText(kMinimumEdit), ItemText(kMaximumEdit), ItemText(kStepEdit), ItemText(kSubdivisionsEdit)};
    }
    void Show(const ScaleEntry& fields)
    {
        SetItemText(kMinimumEdit, fields.minimum);
        SetItemText(kMaximumEdit, fields.maximum);
        SetItemText(kStepEdit, fields.step);
        SetItemText(kSubdivisionsEdit, fields.subdivisions);
    }
    static int FieldId(PageField field)
    {
        switch (field) {
        case PageField::maximum: return kMaximumEdit;
        case PageField::step: return kStepEdit;
        case PageField::subdivisions: return kSubdivisionsEdit;
        default: return kMinimumEdit;
        }
    }

    CAxis& m_axis;

protected:
    CScaleRules m_rules;
};

// The range of a logarithmic axis: minimum and maximum, as whole decades.
class CScaleLogPPg : public CScalePPg {
public:
    explicit CScaleLogPPg(CAxis& axis) : CScalePPg(axis, kLogScaleTemplate) {}

protected:
    ScaleVerdict Judge() const override
    {
        return m_rules.JudgeLogarithmic({ItemText(kMinimumEdit), ItemText(kMaximumEdit), {}, {}});
    }
};

// ---------------------------------------------------------------- [SECTION] grid and zero-line pages

// Two pens, the vertical and the horizontal one: style and colour each.
class CPenPairPage : public CChartPage {
public:
    CPenPairPage(uint32_t templateId, ChartPen& vertical, ChartPen& horizontal)
        : CChartPage(templateId), m_targets{&vertical, &horizontal}, m_pens{vertical, horizontal}
    {
    }

protected:
    void OnInitDialog() override
    {
        for (int i = 0; i < 2; ++i) {
            m_combos[i].Attach(Item(kFirstPenCombo + i));
            m_combos[i].Select(m_pens[i].style);
        }
    }
    void OnCommand(int id, int code) override
    {
        for (int i = 0; i < 2; ++i) {
            if (id == kFirstPenCombo + i && code == CBN_SELCHANGE) {
                m_pens[i].style = m_combos[i].Selected();
                SetModified();
            } else if (id == kFirstColourButton + i && code == BN_CLICKED &&
                       PickColour(GetParent(m_hWnd), m_pens[i].colour)) {
                InvalidateRect(Item(kFirstSwatch + i), nullptr, FALSE);
                SetModified();
            }
        }
    }
    void OnDrawItem(const DRAWITEMSTRUCT& item) override
    {
        for (int i = 0; i < 2; ++i) {
            if (int(item.CtlID) == kFirstPenCombo + i)
                m_combos[i].DrawItem(item);
            else if (int(item.CtlID) == kFirstSwatch + i)
                DrawColourSwatch(item, m_pens[i].colour);
        }
    }
    bool OnApply() override
    {
        bool wrote = false;
        for (int i = 0; i < 2; ++i) {
            if (!(*m_targets[i] == m_pens[i])) {
                *m_targets[i] = m_pens[i];
                wrote = true;
            }
        }
        return wrote;
    }

private:
    ChartPen* m_targets[2];
    ChartPen m_pens[2];
    CLineCombo m_combos[2];
};

class CGridPPg : public CPenPairPage {
public:
    explicit CGridPPg(CChartModel& chart)
        : CPenPairPage(kGridTemplate, chart.verticalGridPen, chart.horizontalGridPen)
    {
    }
};

class CZeroLinePPg : public CPenPairPage {
public:
    explicit CZeroLinePPg(CChartModel& chart)
        : CPenPairPage(kZeroLineTemplate, chart.verticalZeroPen, chart.horizontalZeroPen)
    {
    }
};

// ---------------------------------------------------------------- [SECTION] signals page

// The name a list shows for a signal: its own, else its resource text.
CString ListName(const CChartSignal& signal)
{
    return SignalListName(signal.name.empty() ? CResourceStrings().LoadText(signal.nameId) : signal.name);
}

// The signals as a check list: a check mark for each one drawn.
class CChartSignalsPPg : public CChartPage {
public:
    CChartSignalsPPg(std::vector<CChartSignal>& signals, uint32_t templateId)
        : CChartPage(templateId), m_target(signals), m_signals(signals)
    {
    }

protected:
    void OnInitDialog() override
    {
        HWND list = Item(kSignalList);
        ListView_SetExtendedListViewStyle(list, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
        RECT client{};
        GetClientRect(list, &client);
        LVCOLUMNW column{};
        column.mask = LVCF_WIDTH;
        column.cx = client.right - GetSystemMetrics(SM_CXVSCROLL);
        ListView_InsertColumn(list, 0, &column);
        for (size_t i = 0; i < m_signals.size(); ++i) {
            const CString name = ListName(m_signals[i]);
            LVITEMW item{};
            item.mask = LVIF_TEXT;
            item.iItem = int(i);
            item.pszText = const_cast<wchar_t*>(Wide(name));
            ListView_InsertItem(list, &item);
            ListView_SetCheckState(list, int(i), m_signals[i].visible);
        }
        if (!m_signals.empty())
            ListView_SetItemState(list, 0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        EnableWindow(Item(kStyleButton), !m_signals.empty());
        m_filled = true;
    }
    void OnNotify(const NMHDR& header) override
    {
        if (header.idFrom != UINT_PTR(kSignalList) || !m_filled)
            return;
        if (header.code == LVN_ITEMCHANGED) {
            const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
            const size_t i = size_t(change.iItem);
            if (!(change.uChanged & LVIF_STATE) || i >= m_signals.size())
                return;
            const bool checked = ListView_GetCheckState(header.hwndFrom, change.iItem) != FALSE;
            if (checked != m_signals[i].visible) {
                m_signals[i].visible = checked;
                SetModified();
            }
        } else if (header.code == NM_DBLCLK) {
            EditStyle();
        }
    }
    void OnCommand(int id, int code) override
    {
        if (id == kStyleButton && code == BN_CLICKED)
            EditStyle();
    }
    bool OnApply() override
    {
        if (m_signals == m_target)
            return false;
        m_target = m_signals;
        return true;
    }

private:
    void EditStyle()
    {
        const int selected = ListView_GetNextItem(Item(kSignalList), -1, LVNI_SELECTED);
        if (selected >= 0 && size_t(selected) < m_signals.size() &&
            EditSignalStyle(GetParent(m_hWnd), m_signals[size_t(selected)]))
            SetModified();
    }

    std::vector<CChartSignal>& m_target;
    std::vector<CChartSignal> m_signals;
    bool m_filled = false;
};

// ---------------------------------------------------------------- [SECTION] label page

// A label's text, font, colours and frame, with a preview.
class CLabelPropPage : public CChartPage {
public:
    explicit CLabelPropPage(CLabel& label)
        : CChartPage(kLabelTemplate),
          m_target(label),
          m_shownText(WithCarriageReturns(label.text)),
          m_font(label.font),
          m_textColour(label.textColour),
          m_backgroundColour(label.backgroundColour),
          m_frame(label.frame)
    {
    }

protected:
    void OnInitDialog() override
    {
        SetItemText(kLabelTextEdit, m_shownText);
        CheckDlgButton(m_hWnd, kFramedCheck, (m_frame & CLabel::kFramed) ? BST_CHECKED : BST_UNCHECKED);
        CheckDlgButton(m_hWnd, kTransparentCheck, (m_frame & CLabel::kTransparent) ? BST_CHECKED : BST_UNCHECKED);
        ShowFont();
        EnableBackground();
    }
    void OnCommand(int id, int code) override
    {
        if (id == kLabelTextEdit && code == EN_CHANGE) {
            SetModified();
        } else if (code != BN_CLICKED) {
            return;
        } else if (id == kFontButton) {
            if (!PickFont(GetParent(m_hWnd), m_font))
                return;
            ShowFont();
        } else if (id == kTextColourButton || id == kBackgroundButton) {
            const bool text = id == kTextColourButton;
            if (!PickColour(GetParent(m_hWnd), text ? m_textColour : m_backgroundColour))
                return;
            InvalidateRect(Item(text ? kTextSwatch : kBackgroundSwatch), nullptr, FALSE);
        } else if (id == kFramedCheck || id == kTransparentCheck) {
            const uint32_t bit = id == kFramedCheck ? CLabel::kFramed : CLabel::kTransparent;
            m_frame = IsDlgButtonChecked(m_hWnd, id) == BST_CHECKED ? (m_frame | bit) : (m_frame & ~bit);
            EnableBackground();
        } else {
            return;
        }
        SetModified();
        InvalidateRect(Item(kLabelPreview), nullptr, FALSE);
    }
    void OnDrawItem(const DRAWITEMSTRUCT& item) override
    {
        if (item.CtlID == kTextSwatch)
            DrawColourSwatch(item, m_textColour);
        else if (item.CtlID == kBackgroundSwatch)
            DrawColourSwatch(item, m_backgroundColour);
        else if (item.CtlID == kLabelPreview)
            DrawPreview(item);
    }
    bool OnApply() override
    {
        bool wrote = false;
        auto update = [&wrote](auto& target, const auto& value) {
            if (!(target == value)) {
                target = value;
                wrote = true;
            }
        };
        // Text the user left alone keeps its own line breaks.
        const CString typed = ItemText(kLabelTextEdit);
        if (typed != m_shownText) {
            update(m_target.text, typed);
            m_shownText = typed;
        }
        update(m_target.font, m_font);
        update(m_target.textColour, m_textColour);
        update(m_target.backgroundColour, m_backgroundColour);
        update(m_target.frame, m_frame);
        return wrote;
    }

private:
    void ShowFont()
    {
        CResourceStrings strings;
        SetItemText(kFontName, m_font.faceName.empty()
                                   ? CString()
                                   : FormatText(strings, kTextFontName, {m_font.faceName, NumberText(-m_font.height)}));
        InvalidateRect(Item(kLabelPreview), nullptr, FALSE);
    }
    // A transparent label shows no background, so its colour is not asked for.
    void EnableBackground()
    {
        const bool opaque = !(m_frame & CLabel::kTransparent);
        EnableWindow(Item(kBackgroundButton), opaque);
        EnableWindow(Item(kBackgroundSwatch), opaque);
        InvalidateRect(Item(kBackgroundSwatch), nullptr, FALSE);
    }
    // The label as a white chart would show it, centred in the preview.
    void DrawPreview(const DRAWITEMSTRUCT& item) const
    {
        HDC dc = item.hDC;
        RECT area = item.rcItem;
        FillRect(dc, &area, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        FrameRect(dc, &area, GetSysColorBrush(COLOR_BTNSHADOW));
        const LOGFONTW log = ScreenLogFont(m_font);
        HFONT font = CreateFontIndirectW(&log);
        HGDIOBJ old = SelectObject(dc, font);
        const CString text = ItemText(kLabelTextEdit);
        RECT box{0, 0, 0, 0};
        DrawTextW(dc, Wide(text), -1, &box, DT_CALCRECT | DT_NOPREFIX);
        const int width = box.right + 8, height = box.bottom + 4;
        box.left = (area.left + area.right - width) / 2;
        box.top = (area.top + area.bottom - height) / 2;
        box.right = box.left + width;
        box.bottom = box.top + height;
        HRGN clip = CreateRectRgn(area.left + 1, area.top + 1, area.right - 1, area.bottom - 1);
        SelectClipRgn(dc, clip);
        if (!(m_frame & CLabel::kTransparent)) {
            HBRUSH background = CreateSolidBrush(COLORREF(m_backgroundColour & 0xFFFFFF));
            FillRect(dc, &box, background);
            DeleteObject(background);
        }
        if (m_frame & CLabel::kFramed) {
            HBRUSH frame = CreateSolidBrush(COLORREF(m_textColour & 0xFFFFFF));
            FrameRect(dc, &box, frame);
            DeleteObject(frame);
        }
        RECT inner = box;
        InflateRect(&inner, -4, -2);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, COLORREF(m_textColour & 0xFFFFFF));
        DrawTextW(dc, Wide(text), -1, &inner, DT_CENTER | DT_NOPREFIX);
        SelectClipRgn(dc, nullptr);
        DeleteObject(clip);
        SelectObject(dc, old);
        DeleteObject(font);
    }

    CLabel& m_target;
    CString m_shownText;
    FontRecord m_font;
    uint32_t m_textColour;
    uint32_t m_backgroundColour;
    uint32_t m_frame;
};

// ---------------------------------------------------------------- [SECTION] signal style pages

// A signal's pen: style, width and colour.
class CLineStylePPg : public CChartPage {
public:
    explicit CLineStylePPg(CChartSignal& signal) : CChartPage(kLineStyleTemplate), m_target(signal), m_pen(signal.pen) {}

protected:
    void OnInitDialog() override
    {
        m_combo.Attach(Item(kStyleCombo));
        m_combo.Select(m_pen.style);
        SendDlgItemMessageW(m_hWnd, kWidthSpin, UDM_SETRANGE32, 0, kMostPenWidth);
        SetItemText(kWidthEdit, NumberText(m_pen.width));
    }
    void OnCommand(int id, int code) override
    {
        if (id == kStyleCombo && code == CBN_SELCHANGE) {
            m_pen.style = m_combo.Selected();
            SetModified();
        } else if (id == kWidthEdit && code == EN_CHANGE) {
            SetModified();
        } else if (id == kPenColourButton && code == BN_CLICKED && PickColour(GetParent(m_hWnd), m_pen.colour)) {
            InvalidateRect(Item(kPenSwatch), nullptr, FALSE);
            SetModified();
        }
    }
    void OnDrawItem(const DRAWITEMSTRUCT& item) override
    {
        if (item.CtlID == kStyleCombo)
            m_combo.DrawItem(item);
        else if (item.CtlID == kPenSwatch)
            DrawColourSwatch(item, m_pen.colour);
    }
    bool OnKillActive() override
    {
        if (ParsePenWidth(ItemText(kWidthEdit)))
            return true;
        Refuse(kWidthEdit, kTextPageWidth);
        return false;
    }
    bool OnApply() override
    {
        m_pen.width = ParsePenWidth(ItemText(kWidthEdit)).value_or(m_pen.width);
        if (m_target.pen == m_pen)
            return false;
        m_target.pen = m_pen;
        return true;
    }

private:
    CChartSignal& m_target;
    ChartPen m_pen;
    CLineCombo m_combo;
};

// How a signal's curve goes between its values.
class CBarStylePPg : public CChartPage {
public:
    explicit CBarStylePPg(CChartSignal& signal)
        : CChartPage(kBarStyleTemplate), m_target(signal), m_style(signal.barStyle)
    {
    }

protected:
    void OnInitDialog() override
    {
        m_combo.Attach(Item(kStyleCombo));
        m_combo.Select(m_style);
    }
    void OnCommand(int id, int code) override
    {
        if (id == kStyleCombo && code == CBN_SELCHANGE) {
            m_style = m_combo.Selected();
            SetModified();
        }
    }
    void OnDrawItem(const DRAWITEMSTRUCT& item) override
    {
        if (item.CtlID == kStyleCombo)
            m_combo.DrawItem(item);
    }
    bool OnApply() override
    {
        if (m_target.barStyle == m_style)
            return false;
        m_target.barStyle = m_style;
        return true;
    }

private:
    CChartSignal& m_target;
    BarStyle m_style;
    CBarCombo m_combo;
};

// ---------------------------------------------------------------- [SECTION] the sheets

using PageList = std::vector<std::unique_ptr<CChartPage>>;

// Runs a modal sheet of the pages; true when applying one of them changed
// what it edits.
bool RunSheet(HWND owner, const CString& caption, const PageList& pages)
{
    std::vector<CPropertyPage*> list;
    for (const auto& page : pages)
        list.push_back(page.get());
    if (!RunPropertySheet(owner, caption, list, PSH_NOCONTEXTHELP))
        return false;
    return std::any_of(pages.begin(), pages.end(), [](const auto& page) { return page->Wrote(); });
}

}  // namespace

bool EditChartProperties(HWND owner, CChartModel& chart, CAxis& axis, uint32_t pages, uint32_t signalsTemplateId)
{
    PageList list;
    if (pages & kPageScale) {
        if (axis.IsLogarithmic())
            list.push_back(std::make_unique<CScaleLogPPg>(axis));
        else
            list.push_back(std::make_unique<CScalePPg>(axis));
    }
    if (pages & kPageGrid)
        list.push_back(std::make_unique<CGridPPg>(chart));
    if (pages & kPageZeroLines)
        list.push_back(std::make_unique<CZeroLinePPg>(chart));
    if (pages & kPageSignals)
        list.push_back(std::make_unique<CChartSignalsPPg>(chart.signals, signalsTemplateId));
    if (list.empty())
        return false;
    const bool wrote = RunSheet(owner, CResourceStrings().LoadText(kTextChartCaption), list);
    if (wrote)
        chart.needsLayout = true;
    return wrote;
}

bool EditLabel(HWND owner, CLabel& label)
{
    PageList list;
    list.push_back(std::make_unique<CLabelPropPage>(label));
    return RunSheet(owner, CResourceStrings().LoadText(kTextLabelCaption), list);
}

bool EditSignalStyle(HWND owner, CChartSignal& signal)
{
    PageList list;
    list.push_back(std::make_unique<CLineStylePPg>(signal));
    list.push_back(std::make_unique<CBarStylePPg>(signal));
    CResourceStrings strings;
    const CString name = SignalShortName(signal.name.empty() ? strings.LoadText(signal.nameId) : signal.name);
    return RunSheet(owner, FormatText(strings, kTextStyleCaption, {name}), list);
}
