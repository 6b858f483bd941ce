#include "analysis/win32/BodePlotterVI.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "analysis/win32/BodeViews.h"
#include "charts/ChartCommands.h"
#include "charts/Engineering.h"
#include "framework/Exception.h"
#include "framework/win32/Win32Services.h"
#include "instruments/UnitAccess.h"
#include "interface/InterfaceVI.h"
#include "units/FuncGen.h"
#include "units/Scope.h"
#include "viframework/UpdateGate.h"
#include "viframework/controls/HotButtonGroup.h"
#include "viframework/controls/Label.h"
#include "viframework/controls/Menu.h"
#include "viframework/controls/StatusLamp.h"
#include "viframework/controls/ValueField.h"
#include "viframework/win32/PadPopups.h"

namespace {

const char16_t kRanges[] = u"100 mV;200 mV;500 mV;1 V;2 V;5 V;10 V;20 V;50 V";
constexpr int32_t kListedRanges = 9;

// Seven significant places at most, as "%7lg" would show them.
uint32_t FrequencyDecimals(double hertz)
{
    uint32_t decimals = 0;
    for (double v = hertz; v < 1e6 && decimals < 6 && v != std::floor(v); v *= 10)
        ++decimals;
    return decimals;
}

}  // namespace

// ---------------------------------------------------------------- control pane

class CBodePlotterVI::CControlPane : public CVIView {
public:
    explicit CControlPane(CBodePlotterVI& frame) : m_frame(frame), m_settings(frame.m_settings) {}

    bool OnPanelReady() override
    {
        if (auto* list = Find<CHotMenu>(kRangeListId))
            list->SetItems(kRanges, kFirstRange);
        ShowSettings();
        ShowStatus();
        return CVIView::OnPanelReady();
    }

    // Polling thread, unit lock held: one state of the sweep per test.
    bool CheckUpdate(uintptr_t) override
    {
        if (!m_frame.m_sweep.Status().running)
            return false;
        return m_frame.m_sweep.Step(TickCount());
    }

    void OnUpdateUI(uint32_t) override
    {
        const BodeSweepStatus status = m_frame.m_sweep.Status();
        const bool ended = m_wasRunning && !status.running;
        m_wasRunning = status.running;
        m_frame.ShowSets(ended);
        ShowStatus();
    }

    bool OnCommand(uint32_t id) override { return OnPaneCommand(id) || m_frame.OnMenuCommand(id); }
    bool OnPaneCommand(uint32_t id);

    void ShowSettings()
    {
        SetValue(kStartFieldId, m_settings.start, FrequencyDecimals(m_settings.start));
        SetValue(kStopFieldId, m_settings.stop, FrequencyDecimals(m_settings.stop));
        SetValue(kPointsFieldId, m_settings.points, 0);
        SetValue(kAmplitudeFieldId, m_settings.amplitude / 10.0, 1);
        SetValue(kOffsetFieldId, m_settings.offset / 10.0, 1);
        SetValue(kAveragesFieldId, m_settings.averages, 0);
        SetValue(kSettlingFieldId, m_settings.settlingMs, 0);
        SetCheck(kLogarithmicId, m_settings.logarithmic);
        SetCheck(kAutorangeId, m_settings.autorange);
        SetMenuSelection(kRangeListId, std::clamp(m_settings.rangeA, 0, kListedRanges - 1));
        if (auto* group = Find<CHotButtonGroup>(kFirstCoupling)) {
            group->Select(m_settings.couplingA == kCouplingAC ? 1 : 0);
            InvalidateHotspot(group);
        }
    }

    void ShowStatus()
    {
        const BodeSweepStatus status = m_frame.m_sweep.Status();
        CString text;
        if (status.running) {
            char line[96];
            snprintf(line, sizeof line, "Point %d of %d: ", int(status.pointIndex + 1), int(m_settings.points));
            text = Utf8ToString(line) + FormatEngineering(status.frequency, u"Hz");
        } else {
            text = u"Ready";
        }
        if (auto* label = Find<CHotLabel>(kProgressTextId); label && label->SetText(text))
            InvalidateHotspot(label, 2, true);
        if (auto* lamp = Find<CHotStatus>(kOverflowLampId); lamp && lamp->SetLit(status.measured && status.last.overflow))
            InvalidateHotspot(lamp);
        // Only START: STOP and the progress after it stay live during a sweep.
        if (CHotspot* start = FindHotspot(kHotButton, kStartId); start && start->IsDisabled() != status.running) {
            start->SetFlag(kHotDisabled, status.running);
            InvalidateHotspot(start);
        }
    }

private:
    void SetValue(uint32_t id, double value, uint32_t decimals)
    {
        if (auto* field = Find<CHotValue>(id)) {
            const bool changed = field->SetDecimals(decimals) | field->SetValue(value);
            if (changed)
                InvalidateHotspot(field);
        }
    }

    // The number pad over a field; true when a value within the bounds was taken.
    template <class T>
    bool Enter(uint32_t id, T& value, T low, T high)
    {
        CHotspot* field = FindHotspot(kHotValue, id);
        T entered = value;
        CNumPadPopup pad(entered, low, high);
        if (!field || !pad.ShowAt(field->m_rect, *this))
            return false;
        value = entered;
        return true;
    }

    // Tenths of a volt entered in volts.
    void EnterTenths(uint32_t id, int32_t& tenths, int32_t low, int32_t high)
    {
        double volts = tenths / 10.0;
        if (Enter(id, volts, low / 10.0, high / 10.0))
            tenths = int32_t(volts * 10 + 0.5);
    }

    CBodePlotterVI& m_frame;
    BodeSettings& m_settings;
    bool m_wasRunning = false;
};

bool CBodePlotterVI::CControlPane::OnPaneCommand(uint32_t id)
{
    const double highest = BodeHighestFrequency(m_frame.m_scope->VariantLevel());
    if (const int32_t k = ItemOf(id, kFirstRange, kListedRanges); k >= 0) {
        m_settings.rangeA = k;
        ShowSettings();
        return true;
    }
    if (const int32_t k = ItemOf(id, kFirstCoupling, 2); k >= 0) {
        m_settings.couplingA = k == 0 ? kCouplingDC : kCouplingAC;
        return true;
    }
    switch (id) {
    case kStartFieldId: Enter(id, m_settings.start, kBodeLowestFrequency, m_settings.stop); break;
    case kStopFieldId: Enter(id, m_settings.stop, m_settings.start, highest); break;
    case kPointsFieldId: Enter<int32_t>(id, m_settings.points, 2, 1000); break;
    case kAmplitudeFieldId: EnterTenths(id, m_settings.amplitude, 1, 100); break;
    case kOffsetFieldId: EnterTenths(id, m_settings.offset, 0, 100); break;
    case kAveragesFieldId: Enter<int32_t>(id, m_settings.averages, 1, 1000); break;
    case kSettlingFieldId: Enter<int32_t>(id, m_settings.settlingMs, 0, 9000); break;
    // Check boxes show the setting; a command turns it over, clicked or scripted.
    case kLogarithmicId: m_settings.logarithmic = !m_settings.logarithmic; break;
    case kAutorangeId: m_settings.autorange = !m_settings.autorange; break;
    case kStartId: m_frame.StartSweep(); break;
    // The sweep's state belongs to the polling thread's step: changed under the unit lock.
    case kStopId: SendToUnitNow(m_frame.m_owner, [this] { m_frame.m_sweep.Stop(); }); break;
    default: return false;
    }
    ShowSettings();
    ShowStatus();
    return true;
}

// ---------------------------------------------------------------- frame

CBodePlotterVI::CBodePlotterVI(CScope* scope, CFuncGen* generator)
    : m_scope(scope), m_generator(generator), m_sweep(*scope, *generator, m_sets)
{
    // Four decades around the audio range, ten points each: a first sweep
    // that shows most circuits of a lab course whole.
    m_settings.start = 10;
    m_settings.stop = 100000;
    m_settings.points = 41;
}

CBodePlotterVI::~CBodePlotterVI() = default;

std::unique_ptr<CVIView> CBodePlotterVI::CreatePane()
{
    return std::make_unique<CControlPane>(*this);
}

CBodePlotterVI::CControlPane* CBodePlotterVI::ControlPane() const
{
    return static_cast<CControlPane*>(Pane());
}

bool CBodePlotterVI::OnCreateClient(uint32_t layoutId)
{
    if (!CVIPaneFrame::OnCreateClient(layoutId))
        return false;
    m_bode = std::make_unique<CViewBode>(*this);
    m_locus = std::make_unique<CViewBodeXY>(*this);
    if (!CreateCharts(*m_bode, u"Bode Diagram", *m_locus, u"Locus"))
        return false;
    m_bode->SetFrequencyRange(m_settings.start, m_settings.stop);
    return true;
}

void CBodePlotterVI::OnShow(bool show)
{
    CAnalysisFrame::OnShow(show);
    if (!show || m_scopeSettings)
        return;
    SendToUnitNow(m_owner, [this] {
        m_scopeSettings = m_scope->SaveSettings();
        m_generatorSettings = m_generator->SaveSettings();
    });
}

void CBodePlotterVI::OnInstrumentClosing()
{
    SendToUnitNow(m_owner, [this] {
        if (m_sweep.Status().running) {
            m_sweep.Stop();
            m_sweep.Step(TickCount());  // sends the box's stop at once
        }
        if (m_generatorSettings) {
            m_generator->RestoreSettings(std::move(m_generatorSettings));
            m_generator->Flush();
        }
        if (m_scopeSettings) {
            m_scope->RestoreSettings(std::move(m_scopeSettings));
            m_scope->Flush();
        }
    });
}

void CBodePlotterVI::ShowSets(bool rescale)
{
    if (m_bode) {
        m_bode->SetsChanged();
        if (rescale)
            m_bode->AutoScale();
    }
    if (m_locus) {
        m_locus->SetsChanged();
        if (rescale)
            m_locus->AutoScale();
    }
}

void CBodePlotterVI::StartSweep()
{
    uint32_t refused = 0;
    SendToUnitNow(m_owner, [&] { refused = m_sweep.Start(m_settings); });
    if (refused) {
        CWin32UserInteraction().ShowMessage(CResourceStrings().LoadText(refused), MessageIcon::Warning);
        return;
    }
    if (m_bode)
        m_bode->SetFrequencyRange(m_settings.start, m_settings.stop);
    ShowSets(false);
}

void CBodePlotterVI::DeleteSet(int32_t index)
{
    m_sets.DeleteSet(index);
    ShowSets(false);
}

bool CBodePlotterVI::OnCommand(uint32_t id)
{
    // The pane's commands come here too when sent to the frame (scripts, accelerators).
    return OnMenuCommand(id) || (ControlPane() && ControlPane()->OnPaneCommand(id));
}

bool CBodePlotterVI::OnMenuCommand(uint32_t id)
{
    switch (id) {
    case ID_BODE_DELETE_SET:
        // A set being measured stays: its sweep still adds to it.
        if (!m_sweep.Status().running || SetCount() > 1)
            DeleteSet(SetCount() - (m_sweep.Status().running ? 2 : 1));
        return true;
    case ID_BODE_DELETE_ALL:
        if (!m_sweep.Status().running)
            DeleteSet(-1);
        return true;
    default:
        return RouteChartCommand(id);
    }
}

void CBodePlotterVI::OnInterfaceClosing()
{
    m_sweep.Stop();
}

void CBodePlotterVI::SerializeInstrument(CArchive& ar)
{
    BodeSettings& s = m_settings;
    if (ar.IsStoring()) {
        ar << kStoreSchema << s.start << s.stop << s.points << s.amplitude << s.offset << s.averages << s.settlingMs
           << uint8_t(s.logarithmic) << s.rangeA << s.couplingA << uint8_t(s.autorange);
        m_sets.Serialize(ar);
        return;
    }
    uint32_t schema;
    ar >> schema;
    if (schema != kStoreSchema)
        throw CArchiveException(CArchiveException::badSchema);
    BodeSettings loaded;
    uint8_t logarithmic, autorange;
    ar >> loaded.start >> loaded.stop >> loaded.points >> loaded.amplitude >> loaded.offset >> loaded.averages >>
        loaded.settlingMs >> logarithmic >> loaded.rangeA >> loaded.couplingA >> autorange;
    loaded.logarithmic = logarithmic != 0;
    loaded.autorange = autorange != 0;
    m_sets.Serialize(ar);
    // Settings a damaged document carries out of bounds keep the plotter's own.
    if (BodeValidate(loaded, m_scope->VariantLevel()) == 0 && loaded.rangeA >= 0 && loaded.rangeA < kListedRanges)
        s = loaded;
    if (CControlPane* pane = ControlPane()) {
        pane->ShowSettings();
        pane->ShowStatus();
    }
    if (m_bode)
        m_bode->SetFrequencyRange(s.start, s.stop);
    ShowSets(true);
}
