#include "interface/Vexaface.h"

#include <atomic>

#include "units/Relays.h"
#include "units/VexaMeter.h"

namespace {

std::atomic<bool> g_demonstrationMode{false};

// Reads a decimal number as the platform's text-to-integer conversion does:
// leading blanks, an optional sign, digits; 0 when there are none.
long ParseNumber(const CString& text, size_t from = 0)
{
    size_t i = from;
    while (i < text.size() && (text[i] == u' ' || text[i] == u'\t'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+'))
        negative = text[i++] == u'-';
    long value = 0;
    while (i < text.size() && text[i] >= u'0' && text[i] <= u'9' && value < 100000000)
        value = value * 10 + (text[i++] - u'0');
    return negative ? -value : value;
}

} // namespace

bool IsDemonstrationMode()
{
    return g_demonstrationMode.load();
}

void SetDemonstrationMode(bool on)
{
    g_demonstrationMode.store(on);
}

CVexaface::CVexaface(InterfaceServices services) : CInterfaceVI(services)
{
}

CVexaface::~CVexaface()
{
    ShutDownPolling();
    try {
        ReleaseAllUnits();
    } catch (const CStreamException&) {
        // The box is going away with us; nothing is left to tell.
    }
}

void CVexaface::SetStream(std::unique_ptr<CStreamIO> stream)
{
    std::lock_guard<std::recursive_mutex> units(m_unitLock);
    if (stream)
        m_connectionLost = false;
    CStreamDevice::SetStream(std::move(stream));
    for (auto& unit : m_units)
        if (unit)
            unit->SetStream(UnitStream());
}

void CVexaface::InstallNullStream()
{
    SetStream(std::make_unique<CStreamNUL>());
    SetDemonstrationMode(true);
}

// ---------------------------------------------------------------- identification

bool CVexaface::Identify()
{
    InterfaceIdentity id;
    {
        std::lock_guard<std::recursive_mutex> units(m_unitLock);
        id = IdentifyInterface(*m_stream);
    }
    return AcceptIdentity(id);
}

bool CVexaface::AcceptIdentity(const InterfaceIdentity& id)
{
    m_identification = id.text;
    if (!id.recognised) {
        if (!id.text.empty())
            m_services.ui.ShowMessage(FormatText(m_services.strings, 20007, {id.text, kInterfaceName}),
                                      MessageIcon::Warning);
        return false;
    }
    m_variantLevel = id.variantLevel;
    m_deviceName = id.deviceName;
    SetDemonstrationMode(false);
    return true;
}

bool CVexaface::OpenAndIdentify()
{
    InterfaceIdentity id;
    try {
        // Instruments may be open and polled while connecting (opened without
        // a box, or from a document): their units must not talk in between.
        // The user hears about a stranger only after the lock is let go.
        std::lock_guard<std::recursive_mutex> units(m_unitLock);
        if (!m_stream->Open())
            return false;
        id = IdentifyInterface(*m_stream);
    } catch (const CStreamException& fault) {
        ReportStreamException(fault);
        return false;
    }
    return AcceptIdentity(id);
}

uint16_t CVexaface::GetFirmwareVersion() const
{
    if (!IsConnected())
        return kDemonstrationFirmware;
    if (m_identification.size() <= 18)
        return 0;
    const long version = ParseNumber(m_identification, 18);
    return static_cast<uint16_t>(version < 0 ? 0 : version > 0xFFFF ? 0xFFFF : version);
}

// ---------------------------------------------------------------- units

CBaseDevice* CVexaface::Unit(int unit) const
{
    return unit >= 1 && unit <= kUnitCount ? m_units[unit - 1].get() : nullptr;
}

CRelays* CVexaface::Relays() const
{
    return static_cast<CRelays*>(Unit(kUnitRelays));
}

CVexaMeter* CVexaface::Meter() const
{
    return static_cast<CVexaMeter*>(Unit(kUnitMeter));
}

bool CVexaface::AttachUnit(int unit)
{
    if (unit < 1 || unit > kUnitCount)
        return false;
    std::lock_guard<std::recursive_mutex> units(m_unitLock);
    auto& slot = m_units[unit - 1];
    const bool existed = slot != nullptr;
    if (!existed)
        slot = m_services.units.CreateUnit(unit, UnitStream(), this);
    if (!slot)
        return false;
    if (!m_stream)
        return true;
    try {
        SendAttachUnit(*m_stream, unit);
    } catch (const CStreamException& fault) {
        ReportStreamException(fault);
        return false;
    }
    // A unit made while there was no box (for a document or a panel opened
    // then) holds what its panels show: the box gets all of it with the next flush.
    if (existed)
        slot->RestoreSettings(slot->SaveSettings());
    return true;
}

CBaseDevice* CVexaface::UnitForInstrument(int unit)
{
    std::lock_guard<std::recursive_mutex> units(m_unitLock);
    if (CBaseDevice* device = Unit(unit))
        return device;
    return AttachUnit(unit) ? Unit(unit) : nullptr;
}

void CVexaface::ReleaseUnit(int unit)
{
    if (unit < 1 || unit > kUnitCount)
        return;
    std::lock_guard<std::recursive_mutex> units(m_unitLock);
    m_units[unit - 1].reset();
    // A window closed by a connection loss must not wait for a box that
    // stopped answering: the stream goes right after the windows.
    if (m_stream && !m_connectionLost)
        SendReleaseUnit(*m_stream, unit);
}

void CVexaface::ReleaseAllUnits()
{
    std::lock_guard<std::recursive_mutex> units(m_unitLock);
    // The objects go even when the box does not hear the command.
    struct DeleteUnits {
        CVexaface& self;
        ~DeleteUnits()
        {
            for (auto& unit : self.m_units)
                unit.reset();
        }
    } deleteUnits{*this};
    if (m_stream)
        SendReleaseAll(*m_stream);
}

void CVexaface::ReleaseTransport()
{
    try {
        ReleaseAllUnits();
    } catch (const CStreamException& fault) {
        ReportStreamException(fault);
    }
    if (IsConnected())
        m_stream->Close();
    SetStream(nullptr);
}

bool CVexaface::AttachUnits()
{
    for (int unit = kUnitDigitalIO; unit <= kUnitCounter; ++unit)
        if (!AttachUnit(unit))
            return false;
    return true;
}

void CVexaface::ServiceUnits()
{
    std::lock_guard<std::recursive_mutex> units(m_unitLock);
    if (!m_stream)
        return;
    for (int unit : {kUnitRelays, kUnitThreePhase, kUnitFunctionGenerator, kUnitMeter})
        if (CBaseDevice* device = Unit(unit))
            device->Flush();
}

void CVexaface::OnPollStart()
{
    std::lock_guard<std::recursive_mutex> units(m_unitLock);
    CVexaMeter* meter = Meter();
    if (m_stream && meter && meter->IsRunning())
        meter->StartMeasuring(true);
}

bool CVexaface::PollStep()
{
    bool blockRead = false;
    {
        std::lock_guard<std::recursive_mutex> units(m_unitLock);
        CVexaMeter* meter = Meter();
        if (!m_stream || !meter || !meter->IsRunning())
            return true;
        const uint8_t status = meter->QueryStatus();
        if (status == CVexaMeter::kStatusBlockReady) {
            meter->ReadAB();
            blockRead = true;
        } else if (status == CVexaMeter::kStatusIdle) {
            meter->StartMeasuring(true);
        }
    }
    // Outside the unit lock: dispatching takes the locks that come before it.
    if (blockRead)
        DispatchEvents(kEventMeterData);
    return true;
}

void CVexaface::OnPollEnd()
{
    ServiceUnits();
}

// ---------------------------------------------------------------- host commands

bool CVexaface::OnHostCommand(uint32_t code, const CString& text)
{
    if ((code & 0xFFFF) != 1)
        return false;
    const size_t comma = text.find(u',');
    const long on = ParseNumber(text.substr(0, comma));
    const long state = comma == CString::npos ? 0 : ParseNumber(text, comma + 1);
    SetHostRelayControl(on != 0, static_cast<uint8_t>(state & 0xFF));
    return true;
}

void CVexaface::SetHostRelayControl(bool on, uint8_t state)
{
    const bool wasOn = m_hostRelayControl;
    m_hostRelayControl = on;
    if (on)
        if (CVIEventSink* relays = m_events.FindSink(kRelaysInstrumentId))
            relays->SendToWindow(kCloseMessage, 0, 0, true);
    if (!on && !wasOn)
        return;
    {
        std::lock_guard<std::recursive_mutex> units(m_unitLock);
        if (CRelays* relays = Relays()) {
            relays->SetState(state);
            relays->Changes().MarkChanged(0xFFFF);
        }
    }
    if (IsConnected() && !IsPolling()) {
        try {
            ServiceUnits();
        } catch (const CStreamException& fault) {
            OnConnectionLost(fault);
        }
    }
}

// ---------------------------------------------------------------- stopping

bool CVexaface::Disconnect()
{
    CloseAllInstruments();
    StopPolling();
    try {
        ReleaseAllUnits();
    } catch (const CStreamException& fault) {
        ReportStreamException(fault);
    }
    if (IsConnected())
        m_stream->Close();
    return true;
}

void CVexaface::OnConnectionLost(const CStreamException& fault)
{
    // The polling thread and the window thread can meet the same broken
    // transport at once, or one after the other: the first handles it, the
    // others find it handled until a new stream is installed.
    if (m_connectionLost.exchange(true)) {
        m_pollRequest = false;
        return;
    }
    CInterfaceVI::OnConnectionLost(fault);
    SetStream(nullptr);
    ReleaseAllUnits();
}
