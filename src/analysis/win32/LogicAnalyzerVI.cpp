#include "analysis/win32/LogicAnalyzerVI.h"

#include <algorithm>

#include "analysis/win32/DigPages.h"
#include "analysis/win32/DigViews.h"
#include "charts/ChartCommands.h"
#include "framework/win32/Win32Services.h"
#include "instruments/UnitAccess.h"
#include "instruments/digital/DigRules.h"
#include "instruments/digital/LogicView.h"
#include "interface/InterfaceVI.h"
#include "units/DigIO.h"
#include "viframework/controls/Frame.h"
#include "viframework/controls/Menu.h"
#include "viframework/controls/StatusLamp.h"

namespace {

const char16_t kIntervals[] =
    u"0.1 ms;0.2 ms;0.5 ms;1 ms;2 ms;5 ms;10 ms;20 ms;50 ms;100 ms;200 ms;500 ms;1 s;2 s;5 s";
// The rows list: what a user mostly wants to see at once.
const char16_t kRowChoices[] = u"I0-I7, Q0-Q7;I0-I15, Q0-Q15;I0-I15;Q0-Q15";
constexpr int32_t kRowChoiceCount = 4;

DigRowVisibility RowChoice(int32_t k)
{
    if (k == 0)
        return DefaultRowVisibility();
    DigRowVisibility visible{};
    for (int row = 0; row < kDigRows; ++row)
        visible[size_t(row)] = k == 1 || (k == 2) == (row < kDigInputRows);
    return visible;
}

double IntervalSeconds(const CDigIO& unit)
{
    return unit.SampleInterval() * 0.0001;
}

}  // namespace

// ---------------------------------------------------------------- control pane

class CLogicAnalyzerVI::CControlPane : public CVIView {
public:
    explicit CControlPane(CLogicAnalyzerVI& frame) : m_frame(frame), m_acq(frame.m_acquisition) {}

    bool OnPanelReady() override
    {
        if (auto* list = Find<CHotMenu>(kIntervalListId))
            list->SetItems(kIntervals, kFirstInterval);
        if (auto* list = Find<CHotMenu>(kRowsListId))
            list->SetItems(kRowChoices, kFirstRows);
        // The chart starts with its first rows of each group.
        SetMenuSelection(kRowsListId, 0);
        ShowSettings();
        return CVIView::OnPanelReady();
    }

    // Polling thread, unit lock held: one step of a run per poll.
    bool CheckUpdate(uintptr_t) override
    {
        if (m_acq.Running() || m_acq.State() != CLogicAcquisition::kStopped)
            m_acq.Step();
        // Pending bits that a missed message left behind ask again.
        return m_acq.Pending() != 0;
    }

    void OnUpdateUI(uint32_t) override
    {
        const uint16_t pending = m_acq.Pending();
        if (pending & CLogicAcquisition::kNewSamples)
            m_frame.ShowRecord(false);
        m_acq.TakePending();
        if (pending & CLogicAcquisition::kRunStateChanged)
            ShowRunState();
        if (pending)
            ShowCursorTexts();
    }

    bool OnCommand(uint32_t id) override { return OnPaneCommand(id) || m_frame.OnCommand(id); }
    bool OnPaneCommand(uint32_t id);

    void ShowSettings()
    {
        const CDigIO& unit = *m_frame.m_unit;
        SetMenuSelection(kIntervalListId, std::max(SampleIntervalChoice(unit.SampleInterval()), 0));
        SetCheck(kFitId, m_frame.m_fit);
        SetCheck(kRepeatId, unit.Repeat());
        if (CDigView* view = m_frame.View())
            SetCheck(kCursorId, view->CursorShown());
        SetCheck(kHexId, m_hexadecimal);
        SetText(kDurationTextId, unit.PatternDurationText());
        ShowRunState();
        ShowCursorTexts();
    }

    void ShowRunState()
    {
        SetCheck(kRunId, m_acq.Running());
        if (auto* lamp = Find<CHotStatus>(kTriggerLampId); lamp && lamp->SetLit(m_acq.TriggerLamp()))
            InvalidateHotspot(lamp);
    }

    void ShowCursorTexts()
    {
        CDigView* view = m_frame.View();
        // Blanks as wide as the read-outs: the boxes keep their size.
        DigCursorReadout readout{u"     ", u"     ", u"     "};
        if (view && view->CursorShown())
            readout = CursorReadout(view->Samples(), view->OutputAt(view->Cursor()), view->Cursor(), m_hexadecimal);
        SetText(kInputTextId, readout.input);
        SetText(kOutputTextId, readout.output);
        SetText(kPositionTextId, readout.position);
    }

private:
    void SetText(uint32_t id, const CString& text)
    {
        auto* field = Find<CHotText>(id);
        if (!field || field->Text() == text)
            return;
        // The field sizes itself to its text: the old extent is repainted too.
        InvalidateHotspot(field, 2, true);
        field->SetText(text);
        InvalidateHotspot(field, 2, true);
    }

    void RunOrStop();
    void ChooseInterval(int32_t k);

    CLogicAnalyzerVI& m_frame;
    CLogicAcquisition& m_acq;
    bool m_hexadecimal = false;
};

void CLogicAnalyzerVI::CControlPane::RunOrStop()
{
    CInterfaceVI* owner = m_frame.m_owner;
    // Without a connection there is nothing to run; the button shows that.
    if (!owner || !owner->IsConnected()) {
        ShowRunState();
        return;
    }
    if (m_acq.Running()) {
        SendToUnitNow(owner, [this] { m_acq.Stop(); });
        m_frame.ShowRecord(true);
    } else if (const uint32_t refused = m_acq.Run()) {
        CWin32UserInteraction().ShowMessage(CResourceStrings().LoadText(refused), MessageIcon::Warning);
    } else {
        m_frame.FitTimeAxis();
    }
    ShowRunState();
}

void CLogicAnalyzerVI::CControlPane::ChooseInterval(int32_t k)
{
    const uint16_t interval = kSampleIntervals[size_t(k)];
    SendToUnitNow(m_frame.m_owner, [&] { m_frame.m_unit->SetSampleInterval(interval); });
    m_acq.MarkChanged(CLogicAcquisition::kSettingsChanged);
    m_frame.ShowPattern();
    m_frame.FitTimeAxis();
    ShowSettings();
}

bool CLogicAnalyzerVI::CControlPane::OnPaneCommand(uint32_t id)
{
    CDigView* view = m_frame.View();
    if (const int32_t k = ItemOf(id, kFirstInterval, int32_t(kSampleIntervals.size())); k >= 0) {
        ChooseInterval(k);
        return true;
    }
    if (const int32_t k = ItemOf(id, kFirstRows, kRowChoiceCount); k >= 0) {
        if (view)
            view->SetRowVisibility(RowChoice(k));
        SetMenuSelection(kRowsListId, k);
        return true;
    }
    switch (id) {
    case kFitId:
        m_frame.m_fit = !m_frame.m_fit;
        if (m_frame.m_fit)
            m_frame.FitTimeAxis();
        break;
    case kCursorId:
        if (view)
            view->ShowCursor(!view->CursorShown());
        break;
    case kHexId:
        m_hexadecimal = !m_hexadecimal;
        break;
    case kCursorRightId:
    case kCursorLeftId:
        if (view)
            view->SetCursor(view->Cursor() + (id == kCursorRightId ? 1 : -1));
        break;
    case kSettingsId:
        m_frame.EditSettings();
        break;
    case kRunId:
        RunOrStop();
        break;
    case kRepeatId: {
        CDigIO& unit = *m_frame.m_unit;
        SendToUnitNow(m_frame.m_owner, [&unit] { unit.SetRepeat(!unit.Repeat()); });
        break;
    }
    default:
        return false;
    }
    ShowSettings();
    return true;
}

// ---------------------------------------------------------------- frame

CLogicAnalyzerVI::CLogicAnalyzerVI(CDigIO* unit)
    : m_unit(unit), m_acquisition(*unit), m_view(std::make_unique<CDigView>())
{
    m_view->onCursorMoved = [this] {
        if (CControlPane* pane = ControlPane())
            pane->ShowCursorTexts();
    };
    m_view->onCursorCommand = [this] { OnCommand(kCursorId); };
}

CLogicAnalyzerVI::~CLogicAnalyzerVI() = default;

std::unique_ptr<CVIView> CLogicAnalyzerVI::CreatePane()
{
    return std::make_unique<CControlPane>(*this);
}

CLogicAnalyzerVI::CControlPane* CLogicAnalyzerVI::ControlPane() const
{
    return static_cast<CControlPane*>(Pane());
}

bool CLogicAnalyzerVI::OnCreateClient(uint32_t layoutId)
{
    if (!CVIPaneFrame::OnCreateClient(layoutId))
        return false;
    const RECT area = PaneArea();
    if (!m_view->Create(m_hWnd, area, kFrameChartViewId))
        return false;
    ShowPattern();
    ShowRecord(true);
    FitTimeAxis();
    RecalcLayout();
    if (CControlPane* pane = ControlPane())
        pane->ShowSettings();
    return true;
}

void CLogicAnalyzerVI::ShowPattern()
{
    m_view->SetSampleInterval(IntervalSeconds(*m_unit));
    m_view->SetPattern(m_unit->Pattern());
}

void CLogicAnalyzerVI::ShowRecord(bool takeLock)
{
    std::vector<uint16_t> samples;
    auto copy = [&] {
        const std::vector<uint16_t>& record = m_unit->Record();
        samples.assign(record.begin(), record.begin() + ptrdiff_t(std::min<size_t>(m_unit->SamplesRead(), record.size())));
    };
    if (takeLock)
        SendToUnitNow(m_owner, copy);
    else
        copy();
    m_view->SetRecord(samples);
}

void CLogicAnalyzerVI::FitTimeAxis()
{
    const double interval = IntervalSeconds(*m_unit);
    if (m_fit) {
        m_view->SetTimeSpan(m_unit->PatternDuration(), true);
        return;
    }
    // Unfitted, the axis shows the whole record; without one, the pattern.
    const int64_t samples = m_unit->RecordLength() > 0 ? m_unit->RecordLength() : m_unit->PatternLength();
    m_view->SetTimeSpan(double(samples) * interval, false);
}

void CLogicAnalyzerVI::EditSettings()
{
    LogicSheetSettings settings;
    for (const auto& step : m_unit->Pattern())
        settings.pattern.push_back(std::make_unique<CDigData>(*step));
    settings.triggerOn = m_unit->TriggerOn();
    settings.triggerWord = m_unit->TriggerWord();
    settings.triggerMask = m_unit->TriggerMask();
    settings.recordLength = m_unit->RecordLength();
    const CString caption = CResourceStrings().LoadText(kSettingsCaption);
    if (!EditLogicSettings(m_hWnd, caption.empty() ? CString(u"Logic Analyzer") : caption, settings))
        return;
    // A record of no length cannot run: a pattern given without one is recorded once through.
    if (settings.recordLength == 0) {
        int64_t length = 0;
        for (const auto& step : settings.pattern)
            length += std::max<int32_t>(step->m_repeatCount, 0);
        settings.recordLength = uint16_t(std::clamp<int64_t>(length, 0, 0xFFFF));
    }
    SendToUnitNow(m_owner, [&] {
        m_unit->ReplacePattern(std::move(settings.pattern));
        m_unit->SetTrigger(settings.triggerOn, settings.triggerWord, settings.triggerMask);
        m_unit->SetRecordLength(settings.recordLength);
    });
    m_acquisition.MarkChanged(CLogicAcquisition::kSettingsChanged);
    ShowPattern();
    ShowRecord(true);
    FitTimeAxis();
    if (CControlPane* pane = ControlPane())
        pane->ShowSettings();
}

bool CLogicAnalyzerVI::OnCommand(uint32_t id)
{
    if (id >= ID_CHART_COPY && id <= ID_CHART_CURSORS) {
        if (id == ID_CHART_CURSORS)
            return ControlPane() && ControlPane()->OnPaneCommand(kCursorId);
        if (HWND chart = m_view->GetSafeHwnd())
            SendMessageW(chart, WM_COMMAND, id, 0);
        return true;
    }
    // The pane's commands come here too when sent to the frame (the menu bar, scripts).
    return ControlPane() && ControlPane()->OnPaneCommand(id);
}

void CLogicAnalyzerVI::OnInstrumentClosing()
{
    SendToUnitNow(m_owner, [this] { m_acquisition.Stop(); });
}

void CLogicAnalyzerVI::OnInterfaceClosing()
{
    m_acquisition.Stop();
}

void CLogicAnalyzerVI::SerializeInstrument(CArchive& ar)
{
    SerializeLogicPane(ar, m_fit);
    m_view->SerializeSettings(ar);
    if (ar.IsLoading()) {
        FitTimeAxis();
        if (CControlPane* pane = ControlPane())
            pane->ShowSettings();
    }
}
