// The instrument set in the host's document: "BKVI", version 4, the units'
// settings, then one record per open instrument until the id 0.
#include "framework/Archive.h"
#include "interface/Vexaface.h"
#include "units/Relays.h"

namespace {

constexpr uint32_t kMagic = 0x49564B42;  // "BKVI" in storage order
constexpr uint32_t kVersion = 4;
constexpr uint32_t kInterfaceBlockVersion = 1;
constexpr int32_t kFirstInstrumentId = 10000;

} // namespace

void CVexaface::SerializeAll(CArchive& ar)
{
    if (ar.IsStoring())
        StoreInstrumentSet(ar);
    else
        LoadInstrumentSet(ar);
}

void CVexaface::StoreInstrumentSet(CArchive& ar)
{
    const bool wasPolling = StopPolling();
    struct Resume {
        CVexaface& self;
        bool on;
        ~Resume()
        {
            if (on)
                self.ResumePolling();
        }
    } resume{*this, wasPolling};

    ar << kMagic << kVersion;
    Serialize(ar);
    {
        std::lock_guard<std::recursive_mutex> hub(m_events.Lock());
        for (CVIEventSink* sink : m_events.Snapshot())
            sink->SerializeState(ar);
    }
    ar << int32_t{0};
}

void CVexaface::LoadInstrumentSet(CArchive& ar)
{
    CloseAllInstruments();
    uint32_t magic, version;
    ar >> magic >> version;
    if (magic != kMagic || version > kVersion)
        throw CArchiveException(CArchiveException::badIndex);
    Serialize(ar);

    IInstrumentFactory& factory = m_services.instruments;
    for (;;) {
        int32_t id;
        ar >> id;
        if (id == 0)
            break;
        if (id < kFirstInstrumentId)
            id += kFirstInstrumentId;
        const auto instrumentId = static_cast<uint32_t>(id);
        if (CVIEventSink* sink = factory.CreateInstrumentForLoad(instrumentId)) {
            try {
                ar.SetObjectSchema(version);
                sink->SerializeState(ar);
            } catch (...) {
                factory.DestroyInstrument(sink);
                throw;
            }
            AdmitLoadedInstrument(sink);
            continue;
        }
        int32_t x, y;
        uint8_t visible = 1;
        ar >> x >> y;
        if (version >= 3)
            ar >> visible;
        ar.SetObjectSchema(version);
        CVIEventSink* sink = factory.LoadInstrumentDirect(instrumentId, x, y, visible != 0, ar);
        if (sink == nullptr)
            throw CArchiveException(CArchiveException::badIndex);
        AdmitLoadedInstrument(sink);
    }
}

void CVexaface::AdmitLoadedInstrument(CVIEventSink* sink)
{
    // The same rule as the menu: one window per id, one instrument per unit
    // part. The record has been read by now, so the rest of the document
    // still follows.
    if (!m_events.CheckResourcesFree(sink->m_resourceMask, m_services.strings, m_services.ui, sink->m_id)) {
        m_services.instruments.DestroyInstrument(sink);
        return;
    }
    RegisterInstrument(sink);
}

void CVexaface::Serialize(CArchive& ar)
{
    if (ar.IsStoring()) {
        std::lock_guard<std::recursive_mutex> units(m_unitLock);
        ar << kInterfaceBlockVersion;
        for (auto& unit : m_units) {
            ar << uint32_t{unit ? 1u : 0u};
            if (unit)
                unit->Serialize(ar);
        }
        return;
    }

    uint32_t blockVersion;
    ar >> blockVersion;
    for (int number = 1; number <= kUnitCount; ++number) {
        uint32_t present;
        ar >> present;
        if (present == 0)
            continue;
        if (present != 1)
            throw CArchiveException(CArchiveException::badIndex);
        if (number == kUnitMetraHit)
            AttachUnit(kUnitMetraHit);
        std::lock_guard<std::recursive_mutex> units(m_unitLock);
        auto& slot = m_units[number - 1];
        if (!slot)
            slot = m_services.units.CreateUnit(number, UnitStream(), this);
        // Settings of a unit this build cannot make cannot be skipped either:
        // their length is the unit's own business.
        if (!slot)
            throw CArchiveException(CArchiveException::badClass);
        CRelays* relays = number == kUnitRelays ? Relays() : nullptr;
        const uint8_t hostState = relays ? relays->State() : 0;
        slot->Serialize(ar);
        // While the host controls the relays, their state is the host's.
        if (relays && m_hostRelayControl)
            relays->SetState(hostState);
    }
}
