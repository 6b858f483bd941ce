#include "plugin/Catalogue.h"

#include <algorithm>

#include "analysis/win32/BodePlotterVI.h"
#include "analysis/win32/LogicAnalyzerVI.h"
#include "analysis/win32/SpectrumAnalyzerVI.h"
#include "framework/win32/Win32Services.h"
#include "instruments/digital/DigVI.h"
#include "instruments/generator/FuncGenVI.h"
#include "instruments/meter/AnalogMeterVI.h"
#include "instruments/meter/DualMeterVI.h"
#include "instruments/meter/MetraHitVI.h"
#include "instruments/meter/PowerMeterVI.h"
#include "instruments/meter/SingleMeterVI.h"
#include "instruments/meter/TemperatureVI.h"
#include "instruments/scope/ScopeVI.h"
#include "instruments/supply/AllDcVI.h"
#include "instruments/supply/FixedDcVI.h"
#include "instruments/supply/Power1DC.h"
#include "instruments/supply/ThreePhaseSineVI.h"
#include "instruments/supply/ThreePhaseVI.h"
#include "interface/Interface.h"
#include "plugin/WindowStyle.h"
#include "units/DigIO.h"
#include "units/FuncGen.h"
#include "units/MetraHit.h"
#include "units/Relays.h"
#include "units/Scope.h"
#include "units/ThreePhaseGen.h"
#include "units/VexaMeter.h"

namespace {

constexpr uint32_t kFixedDcId = 10040;
constexpr uint32_t kSupply40VId = 10001;
constexpr uint32_t kTripleDcId = 10041;
constexpr uint32_t kThreePhaseSineId = 10042;
constexpr uint32_t kSupply24VId = 10043;
constexpr uint32_t kThreePhaseGeneratorId = 10048;
constexpr uint32_t kOscilloscopeId = 10115;
constexpr uint32_t kSecondOscilloscopeId = 10051;
constexpr uint32_t kSpectrumAnalyzerId = 10005;
constexpr uint32_t kBodePlotterId = 10007;
constexpr uint32_t kLogicAnalyzerId = 10105;
constexpr uint32_t kDigInputId = 10011;  // to 10014: input, output, both, extended IO
constexpr uint32_t kDigExtendedId = 10014;
constexpr uint32_t kRelayBoardId = 10022;
constexpr double kFixedDcVolts = 12.0;
constexpr uint8_t kFixedDcRawAmplitude = 31;

// A window that was never registered may go without waiting for a release.
void DestroyUnregistered(CVIWindow* window)
{
    window->SetState(kSinkReleased);
    if (window->GetSafeHwnd())
        window->DestroyView();  // deletes itself after its last message
    else
        delete window;
}

}  // namespace

CVIEventSink* CInstrumentCatalogue::CreateInstrument(uint32_t id, const uint32_t*)
{
    if (!m_interface)
        return nullptr;
    if (CVIEventSink* supply = CreateSupply(id))
        return supply;
    if (CVIEventSink* generator = CreateGenerator(id))
        return generator;
    if (id == kOscilloscopeId || id == kSecondOscilloscopeId) {
        auto* unit = dynamic_cast<CScope*>(m_interface->UnitForInstrument(kUnitScope));
        if (!unit)
            return nullptr;
        return new CScopeVI(unit, id == kOscilloscopeId ? CScopeVI::Form::main : CScopeVI::Form::second);
    }
    if (id == kSpectrumAnalyzerId) {
        auto* unit = dynamic_cast<CScope*>(m_interface->UnitForInstrument(kUnitScope));
        return unit ? new CSpectrumAnalyzerVI(unit) : nullptr;
    }
    if (id == kBodePlotterId) {
        auto* scope = dynamic_cast<CScope*>(m_interface->UnitForInstrument(kUnitScope));
        auto* generator = dynamic_cast<CFuncGen*>(m_interface->UnitForInstrument(kUnitFunctionGenerator));
        return scope && generator ? new CBodePlotterVI(scope, generator) : nullptr;
    }
    if (id == kLogicAnalyzerId) {
        auto* unit = dynamic_cast<CDigIO*>(m_interface->UnitForInstrument(kUnitDigitalIO));
        return unit ? new CLogicAnalyzerVI(unit) : nullptr;
    }
    if ((id >= kDigInputId && id <= kDigExtendedId) || id == kRelaysInstrumentId || id == kRelayBoardId) {
        auto* dig = dynamic_cast<CDigIO*>(m_interface->UnitForInstrument(kUnitDigitalIO));
        auto* relays = dynamic_cast<CRelays*>(m_interface->UnitForInstrument(kUnitRelays));
        return dig && relays ? new CDigVI(dig, relays, id) : nullptr;
    }
    if (id >= kFirstMetraHitId && id <= kLastMetraHitId) {
        // The interface attached the link just before (under its unit lock).
        auto* unit = dynamic_cast<CMetraHit*>(m_interface->UnitForInstrument(kUnitMetraHit));
        return unit ? new CMetraHitVI(unit, int(id & 0xFF) - 84) : nullptr;
    }
    return CreateMeter(id);
}

CVIEventSink* CInstrumentCatalogue::CreateSupply(uint32_t id)
{
    switch (id) {
    case kFixedDcId:
    case kSupply40VId:
    case kSupply24VId:
    case kTripleDcId:
    case kThreePhaseSineId:
    case kThreePhaseGeneratorId:
        break;
    default:
        return nullptr;
    }
    auto* unit = dynamic_cast<C3PhaseGen*>(m_interface->UnitForInstrument(kUnitThreePhase));
    if (!unit)
        return nullptr;
    switch (id) {
    case kFixedDcId: return new CFixedDcVI(unit, kFixedDcVolts, kFixedDcRawAmplitude);
    case kSupply40VId: return new CPower1DC(unit, kSupply40V);
    case kSupply24VId: return new CPower1DC(unit, kSupply24V);
    case kTripleDcId: return new CAllDcVI(unit);
    case kThreePhaseSineId: return new CThreePhaseSineVI(unit);
    default: return new C3PhaseVI(unit);
    }
}

CVIEventSink* CInstrumentCatalogue::CreateGenerator(uint32_t id)
{
    if (id != 10031 && id != 10033 && id != 10035 && id != 10036)
        return nullptr;
    auto* unit = dynamic_cast<CFuncGen*>(m_interface->UnitForInstrument(kUnitFunctionGenerator));
    if (!unit)
        return nullptr;
    switch (id) {
    case 10031: return new CFuncGenVI(unit);
    case 10033: return new CFuncGenFormVI(unit);
    case 10035: return new CFuncGenDCVI(unit);
    default: return new CFuncGenPulseVI(unit);
    }
}

CVIEventSink* CInstrumentCatalogue::CreateMeter(uint32_t id)
{
    auto* meter = dynamic_cast<CVexaMeter*>(m_interface->UnitForInstrument(kUnitMeter));
    if (!meter)
        return nullptr;
    switch (id) {
    case 10061:
    case 10062: return new CMeterVI(meter, id == 10061);
    case 10063:
    case 10064: return new CAmpereMeterVI(meter, id == 10063);
    case 10065:
    case 10066: return new CDBMeterVI(meter, id == 10065);
    case 10067: return new CPowerMeterVI(meter);
    case 10068: return new CTemperatureVI(meter);
    case 10120:
    case 10121: return new CVoltageMeterVI(meter, int(id - 10120));
    case 10122:
    case 10123: return new CCurrentMeterVI(meter, int(id - 10122));
    case 10124:
    case 10125: return new CDbMeterVI(meter, int(id - 10124));
    case kDualVoltmeterId: return new CDualVoltageMeterVI(meter);
    case kDualAmmeterId: return new CDualCurrentMeterVI(meter);
    default:
        // The other instruments of the menus are not part of this build yet.
        return nullptr;
    }
}

bool CInstrumentCatalogue::CreateInstrumentWindow(CVIEventSink* sink, CArchive& panel, const uint32_t* record)
{
    if (auto* frame = dynamic_cast<CVIFrame*>(sink))
        return CreateFrameWindow(frame, record);
    auto* window = dynamic_cast<CVIWindow*>(sink);
    if (!window)
        return false;
    if (!window->CreateEmpty(VIWindowStyle(), nullptr, 0)) {
        delete window;
        return false;
    }
    try {
        window->LoadLayout(panel);
    } catch (const CException& e) {
        ReportException(e, kTextLayoutNotLoadable);
        DestroyUnregistered(window);
        return false;
    }
    std::copy(record, record + kResourceWords, window->m_resourceMask);
    window->SetOwner(m_interface);
    if (!window->CanOpen() || !window->FinishCreate()) {
        DestroyUnregistered(window);
        return false;
    }
    return true;
}

bool CInstrumentCatalogue::CreateFrameWindow(CVIFrame* frame, const uint32_t* record)
{
    // The frame loads its control pane's layout itself, by the command id.
    uint32_t layoutId = 0, menuId = 0;
    CSize size;
    if (dynamic_cast<CSpectrumAnalyzerVI*>(frame)) {
        layoutId = CSpectrumAnalyzerVI::kLayoutId;
        menuId = CSpectrumAnalyzerVI::kMenuId;
        size = {CSpectrumAnalyzerVI::kWidth, CSpectrumAnalyzerVI::kHeight};
    } else if (dynamic_cast<CBodePlotterVI*>(frame)) {
        layoutId = CBodePlotterVI::kLayoutId;
        menuId = CBodePlotterVI::kMenuId;
        size = {CBodePlotterVI::kWidth, CBodePlotterVI::kHeight};
    } else if (dynamic_cast<CLogicAnalyzerVI*>(frame)) {
        layoutId = CLogicAnalyzerVI::kLayoutId;
        menuId = CLogicAnalyzerVI::kMenuId;
        size = {CLogicAnalyzerVI::kWidth, CLogicAnalyzerVI::kHeight};
    } else {
        delete frame;
        return false;
    }
    std::copy(record, record + kResourceWords, frame->m_resourceMask);
    frame->SetOwner(m_interface);
    const RECT work = MonitorWorkArea(nullptr);
    const RECT rect{work.left, work.top, work.left + std::min<LONG>(size.cx, work.right - work.left),
                    work.top + std::min<LONG>(size.cy, work.bottom - work.top)};
    // A frame that fails during creation stays ours to delete.
    frame->m_autoDelete = false;
    if (!frame->Create(rect, nullptr, menuId, 0, layoutId)) {
        delete frame;
        return false;
    }
    frame->m_autoDelete = true;
    return true;
}

void CInstrumentCatalogue::PlaceInstrument(CVIEventSink* sink, int32_t x, int32_t y, int openCount)
{
    auto* window = dynamic_cast<CView*>(sink);
    if (!window || !window->GetSafeHwnd())
        return;
    HWND hwnd = window->GetSafeHwnd();
    if (x == -1 || y == -1) {
        if (openCount <= 0)
            return;
        RECT rect;
        GetWindowRect(hwnd, &rect);
        x = rect.left + openCount * GetSystemMetrics(SM_CXDLGFRAME);
        y = rect.top + openCount * GetSystemMetrics(SM_CYCAPTION);
    }
    SetWindowPos(hwnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

CVIEventSink* CInstrumentCatalogue::CreateInstrumentForLoad(uint32_t id)
{
    return m_interface ? m_interface->CreateFromLayout(id) : nullptr;
}

CVIEventSink* CInstrumentCatalogue::LoadInstrumentDirect(uint32_t, int32_t, int32_t, bool, CArchive&)
{
    // Every instrument of this build has a layout, so CreateInstrumentForLoad made it.
    return nullptr;
}

void CInstrumentCatalogue::DestroyInstrument(CVIEventSink* sink)
{
    if (auto* window = dynamic_cast<CVIWindow*>(sink)) {
        DestroyUnregistered(window);
    } else if (auto* frame = dynamic_cast<CVIFrame*>(sink)) {
        frame->SetState(kSinkReleased);
        frame->DestroyView();  // deletes itself after its last message
    }
}
