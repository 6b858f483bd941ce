#include "plugin/Catalogue.h"

#include <algorithm>

#include "framework/win32/Win32Services.h"
#include "instruments/supply/FixedDcVI.h"
#include "interface/Interface.h"
#include "plugin/WindowStyle.h"
#include "units/ThreePhaseGen.h"

namespace {

constexpr uint32_t kFixedDcId = 10040;
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
    switch (id) {
    case kFixedDcId: {
        auto* unit = dynamic_cast<C3PhaseGen*>(m_interface->UnitForInstrument(kUnitThreePhase));
        if (!unit)
            return nullptr;
        return new CFixedDcVI(unit, kFixedDcVolts, kFixedDcRawAmplitude);
    }
    default:
        // The other instruments of the menus are not part of this build yet.
        return nullptr;
    }
}

bool CInstrumentCatalogue::CreateInstrumentWindow(CVIEventSink* sink, CArchive& panel, const uint32_t* record)
{
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

void CInstrumentCatalogue::PlaceInstrument(CVIEventSink* sink, int32_t x, int32_t y, int openCount)
{
    auto* window = dynamic_cast<CVIWindow*>(sink);
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
    if (auto* window = dynamic_cast<CVIWindow*>(sink))
        DestroyUnregistered(window);
}
