#include "analysis/win32/SpectrumAnalyzerVI.h"

#include <algorithm>

#include "analysis/win32/SpectrumViews.h"
#include "charts/Engineering.h"
#include "framework/Exception.h"
#include "instruments/scope/ScopeScreen.h"
#include "units/Scope.h"
#include "viframework/UpdateGate.h"
#include "viframework/controls/Label.h"
#include "viframework/controls/Menu.h"
#include "viframework/controls/StatusLamp.h"
#include "viframework/controls/ValueField.h"
#include "viframework/win32/PadPopups.h"

namespace {

const char16_t kChannels[] = u"CHN A;CHN B";
const char16_t* const kChannelNames[] = {u"CHN A", u"CHN B"};
const char16_t kRanges[] = u"100 mV;200 mV;500 mV;1 V;2 V;5 V;10 V;20 V;50 V";
constexpr int32_t kListedRanges = 9;
const char16_t kSources[] = u"NONE;CHN A;CHN B";

}  // namespace

// ---------------------------------------------------------------- control pane

class CSpectrumAnalyzerVI::CControlPane : public CVIView {
public:
    explicit CControlPane(CSpectrumAnalyzerVI& frame) : m_frame(frame), m_acq(frame.m_acquisition) {}

    bool OnPanelReady() override
    {
        FillLists();
        ShowSettings();
        SetUpdatePeriod(CSpectrumAcquisition::kUpdatePeriodMs);
        m_acq.SetBlinkTime(TickCount());
        return CVIView::OnPanelReady();
    }

    // Polling thread, unit lock held.
    bool OnUpdateDue(uintptr_t, uint32_t, bool) override
    {
        m_acq.Step(TickCount());
        // Pending bits that a missed message left behind ask again.
        return m_acq.Pending() != 0;
    }

    void OnUpdateUI(uint32_t) override
    {
        const uint16_t pending = m_acq.Pending();
        if (pending & CSpectrumAcquisition::kNewSpectrum) {
            m_frame.ShowResults();
            SetLamp(kOverflowLampId, m_acq.Overflow());
            SetLamp(kWaitingLampId, false);
            m_acq.SetBlinkTime(TickCount());
        }
        if (pending & CSpectrumAcquisition::kRunStateChanged)
            ShowRunState();
        if (pending & CSpectrumAcquisition::kWaiting) {
            auto* lamp = Find<CHotStatus>(kWaitingLampId);
            SetLamp(kWaitingLampId, lamp && !lamp->IsLit());
        }
        m_acq.TakePending();
    }

    bool OnCommand(uint32_t id) override { return OnPaneCommand(id) || m_frame.RouteChartCommand(id); }
    bool OnPaneCommand(uint32_t id);

    void FillLists()
    {
        CScope& unit = m_acq.Unit();
        const int level = unit.VariantLevel();
        if (auto* list = Find<CHotMenu>(kRecordListId))
            list->SetItems(SpectrumRecordList(level, [&unit](int, uint16_t d) { return unit.SamplePeriod(d); }),
                           kFirstRecord);
        if (auto* list = Find<CHotMenu>(kChannelListId))
            list->SetItems(kChannels, kFirstChannel);
        if (auto* list = Find<CHotMenu>(kRangeListId))
            list->SetItems(kRanges, kFirstRange);
        if (auto* list = Find<CHotMenu>(kTriggerListId))
            list->SetItems(kSources, kTriggerListId);
    }

    void ShowSettings()
    {
        CScope& unit = m_acq.Unit();
        SetMenuSelection(kRecordListId, m_acq.RecordRow());
        SetMenuSelection(kChannelListId, m_acq.Channel());
        SetMenuSelection(kRangeListId, std::clamp(unit.Range(m_acq.Channel()), 0, kListedRanges - 1));
        SetMenuSelection(kTriggerListId, m_acq.TriggerSource());
        ShowRecord();
        ShowRunState();
    }

private:
    // The record in force: the table row's n and d, or the custom ones.
    void EffectiveRecord(int32_t& samples, int32_t& divider) const
    {
        samples = m_acq.CustomSamples();
        divider = m_acq.CustomDivider();
        const auto table = SpectrumRecordTable(m_acq.Unit().VariantLevel());
        if (const int32_t row = m_acq.RecordRow(); row >= 1 && size_t(row) <= table.size()) {
            samples = table[size_t(row - 1)].samples;
            divider = table[size_t(row - 1)].divider;
        }
    }

    void ShowRecord()
    {
        int32_t samples, divider;
        EffectiveRecord(samples, divider);
        SetValue(kSamplesId, samples);
        SetValue(kDividerId, divider);
        const double period = m_acq.Unit().SamplePeriod(uint16_t(divider));
        const CString text = u"Lines every " + FormatEngineering(SpectrumBinWidth(samples, period), u"Hz") +
                             u", record " + FormatEngineering(period * (samples - 1), u"s");
        if (auto* label = Find<CHotLabel>(kResolutionTextId); label && label->SetText(text))
            InvalidateHotspot(label, 2, true);
    }

    void SetValue(uint32_t id, int32_t value)
    {
        if (auto* field = Find<CHotValue>(id); field && field->SetValue(value))
            InvalidateHotspot(field);
    }

    void SetLamp(uint32_t id, bool lit)
    {
        if (auto* lamp = Find<CHotStatus>(id); lamp && lamp->SetLit(lit))
            InvalidateHotspot(lamp);
    }

    void ShowRunState()
    {
        SetCheck(kStopId, m_acq.Stopped());
        SetCheck(kSingleId, m_acq.SingleShot());
        if (m_acq.Stopped() || m_acq.TriggerSource() == 0)
            SetLamp(kWaitingLampId, false);
    }

    // The user chose a record of their own: the list shows "Select".
    void UseCustomRecord(int32_t samples, int32_t divider)
    {
        m_acq.SetCustomSamples(samples);
        m_acq.SetCustomDivider(divider);
        m_acq.SetRecordRow(0);
        Changed(CSpectrumAcquisition::kCustomRecordChanged);
        ShowSettings();
    }

    void Changed(uint32_t bits)
    {
        m_acq.MarkChanged(bits);
        Poke();
    }
    // The next poll runs the step at once rather than after the period.
    void Poke() { MarkChanged(1); }

    void EnterField(uint32_t id)
    {
        CHotspot* field = FindHotspot(kHotValue, id);
        int32_t samples, divider;
        EffectiveRecord(samples, divider);
        int32_t& value = id == kSamplesId ? samples : divider;
        const int32_t low = id == kSamplesId ? CSpectrumAcquisition::kMinSamples : m_acq.MinCustomDivider();
        const int32_t high = id == kSamplesId ? CSpectrumAcquisition::kMaxSamples : CSpectrumAcquisition::kMaxDivider;
        CNumPadPopup pad(value, low, high);
        if (field && pad.ShowAt(field->m_rect, *this))
            UseCustomRecord(samples, divider);
    }

    void StepField(uint32_t id, int32_t delta)
    {
        int32_t samples, divider;
        EffectiveRecord(samples, divider);
        if (id == kSamplesId)
            samples = std::clamp(samples + delta, CSpectrumAcquisition::kMinSamples, CSpectrumAcquisition::kMaxSamples);
        else
            divider = std::clamp(divider + delta, m_acq.MinCustomDivider(), CSpectrumAcquisition::kMaxDivider);
        UseCustomRecord(samples, divider);
    }

    CSpectrumAnalyzerVI& m_frame;
    CSpectrumAcquisition& m_acq;
};

bool CSpectrumAnalyzerVI::CControlPane::OnPaneCommand(uint32_t id)
{
    CScope& unit = m_acq.Unit();
    if (const int32_t row = ItemOf(id, kFirstRecord, 8); row >= 0) {
        if (row == 0) {
            // "Select": the fields' record, as they show it.
            int32_t samples, divider;
            EffectiveRecord(samples, divider);
            UseCustomRecord(samples, divider);
        } else if (m_acq.SetRecordRow(row)) {
            Changed(CSpectrumAcquisition::kRecordChanged);
            ShowSettings();
        }
        return true;
    }
    if (const int32_t c = ItemOf(id, kFirstChannel, 2); c >= 0) {
        m_acq.SetChannel(c);
        Changed(CSpectrumAcquisition::kRecordChanged);
        ShowSettings();
        m_frame.ShowChannel();
        return true;
    }
    if (const int32_t k = ItemOf(id, kFirstRange, kListedRanges); k >= 0) {
        unit.SetRange(m_acq.Channel(), k);
        Changed(CSpectrumAcquisition::kRecordChanged);
        ShowSettings();
        return true;
    }
    if (const int32_t s = ItemOf(id, kTriggerListId, 3); s >= 0) {
        m_acq.SetTriggerSource(s);
        Changed(CSpectrumAcquisition::kRecordChanged);
        ShowSettings();
        return true;
    }
    switch (id) {
    case kSamplesId:
    case kDividerId:
        EnterField(id);
        return true;
    case kSamplesUp:
    case kSamplesUp + 1:
        StepField(kSamplesId, id == kSamplesUp ? 1 : -1);
        return true;
    case kDividerUp:
    case kDividerUp + 1:
        StepField(kDividerId, id == kDividerUp ? 1 : -1);
        return true;
    case kStopId:
        // The box shows the state; a command turns it over, clicked or scripted.
        if (m_acq.Stopped())
            m_acq.Run();
        else
            m_acq.Stop();
        Poke();
        ShowRunState();
        return true;
    case kSingleId:
        if (m_acq.SingleShot() && !m_acq.Stopped())
            m_acq.SetSingleShot(false);
        else
            m_acq.Single();
        Poke();
        ShowRunState();
        return true;
    default:
        return false;
    }
}

// ---------------------------------------------------------------- frame

CSpectrumAnalyzerVI::CSpectrumAnalyzerVI(CScope* unit) : m_unit(unit), m_acquisition(*unit) {}

CSpectrumAnalyzerVI::~CSpectrumAnalyzerVI() = default;

std::unique_ptr<CVIView> CSpectrumAnalyzerVI::CreatePane()
{
    return std::make_unique<CControlPane>(*this);
}

CSpectrumAnalyzerVI::CControlPane* CSpectrumAnalyzerVI::ControlPane() const
{
    return static_cast<CControlPane*>(Pane());
}

bool CSpectrumAnalyzerVI::OnCreateClient(uint32_t layoutId)
{
    if (!CVIPaneFrame::OnCreateClient(layoutId))
        return false;
    m_spectrum = std::make_unique<CViewSpect>();
    m_time = std::make_unique<CTimeView>();
    if (!CreateCharts(*m_spectrum, u"Spectrum", *m_time, u"Time Record"))
        return false;
    ShowChannel();
    return true;
}

void CSpectrumAnalyzerVI::ShowChannel()
{
    const int c = std::clamp(m_acquisition.Channel(), 0, 1);
    const ChartPen pen{ChartPen::solid, 1, 0, kScopeColours[size_t(c)]};
    if (m_spectrum)
        m_spectrum->SetChannel(kChannelNames[c], pen);
    if (m_time)
        m_time->SetChannel(kChannelNames[c], pen);
}

void CSpectrumAnalyzerVI::ShowResults()
{
    if (m_spectrum)
        m_spectrum->SetSpectrum(m_acquisition.Record());
    if (m_time) {
        const CScopeBuffer& buffer = m_acquisition.Buffer();
        m_time->SetRecord(buffer.Front(), m_unit->FullScale(m_acquisition.Channel()), m_acquisition.SamplePeriod());
    }
}

bool CSpectrumAnalyzerVI::OnCommand(uint32_t id)
{
    // The pane's commands come here too when sent to the frame (scripts, accelerators).
    return RouteChartCommand(id) || (ControlPane() && ControlPane()->OnPaneCommand(id));
}

void CSpectrumAnalyzerVI::OnInterfaceClosing()
{
    m_unit->StopAcquisition();
}

void CSpectrumAnalyzerVI::SerializeInstrument(CArchive& ar)
{
    CSpectrumAcquisition& a = m_acquisition;
    if (ar.IsStoring()) {
        ar << kStoreSchema << a.RecordRow() << a.CustomSamples() << a.CustomDivider() << int32_t(a.Channel())
           << a.TriggerSource() << int32_t(m_unit->Range(a.Channel()));
        CSpectrumRecord record = a.Record();
        record.Serialize(ar);
        return;
    }
    uint32_t schema;
    int32_t row, samples, divider, channel, source, range;
    ar >> schema;
    if (schema != kStoreSchema)
        throw CArchiveException(CArchiveException::badSchema);
    ar >> row >> samples >> divider >> channel >> source >> range;
    CSpectrumRecord record;
    record.Serialize(ar);
    // Values the setters refuse keep what the analyzer had: a damaged
    // document changes nothing it cannot show.
    a.SetCustomSamples(samples);
    a.SetCustomDivider(divider);
    a.SetRecordRow(row);
    if (a.SetChannel(channel) && range >= 0 && range < kListedRanges)
        m_unit->SetRange(channel, range);
    a.SetTriggerSource(source);
    a.MarkChanged(CSpectrumAcquisition::kRecordChanged);
    if (m_spectrum)
        m_spectrum->SetSpectrum(record);
    ShowChannel();
    if (CControlPane* pane = ControlPane()) {
        pane->ShowSettings();
        pane->MarkChanged(CSpectrumAcquisition::kRecordChanged);
    }
}
