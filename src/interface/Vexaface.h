// CVexaface: the interface object. It connects (choosing USB, the network,
// the device manager's tunnel or demonstration mode), identifies the
// interface, owns the function units and stores the instrument set.
#pragma once

#include <array>
#include <atomic>
#include <memory>

#include "interface/InterfaceVI.h"
#include "interface/Protocol.h"
#include "units/BaseDevice.h"

class CRelays;
class CVexaMeter;

// Set whenever the null stream is installed; instrument windows read it.
bool IsDemonstrationMode();
void SetDemonstrationMode(bool on);

// Results of Connect.
enum ConnectResult : int {
    kConnectCancelled = 2,
    kConnectConnected = 6,
    kConnectDemonstration = 7,
};

// Registry keys (current user) and the instrument id the host may take over.
inline constexpr char16_t kInterfaceKey[] = u"Software\\Brennick\\Vexa Interface";
inline constexpr char16_t kDeviceManagerKey[] = u"Software\\Brennick\\Device Manager";
constexpr uint32_t kRelaysInstrumentId = 10021;
constexpr uint16_t kDefaultPort = 3060;
constexpr uint16_t kDemonstrationFirmware = 500;

class CVexaface : public CInterfaceVI {
public:
    explicit CVexaface(InterfaceServices services);
    ~CVexaface() override;

    // Chooses, opens and identifies a stream: 6 connected, 7 demonstration
    // mode chosen by the settings or the user, 2 cancelled or impossible.
    int Connect(bool allowDemonstration, bool allowCancel, bool forceChoice);

    bool Identify() override;
    void SerializeAll(CArchive& ar) override;
    // The interface block of the instrument set: the units' settings.
    void Serialize(CArchive& ar) override;
    bool Disconnect() override;
    // Starts the meter's measurement when it runs.
    void OnPollStart() override;
    // Asks a running meter for its state: a ready block is read and event 80
    // dispatched, an idle meter is started again. Always true.
    bool PollStep() override;
    void OnPollEnd() override;
    void ServiceUnits() override;
    void OnConnectionLost(const CStreamException& fault) override;
    // 500 in demonstration mode (or without a stream); otherwise the decimal
    // number at character 18 of the identification.
    virtual uint16_t GetFirmwareVersion() const;
    // Attaches units 1 to 7; false when the interface refused one.
    virtual bool AttachUnits();
    // Commands from the host: code 1 "on,state" hands the relays to the host.
    virtual bool OnHostCommand(uint32_t code, const CString& text);
    virtual void SetHostRelayControl(bool on, uint8_t state);

    // Makes the unit object if missing and attaches unit n; false on a fault.
    // Without a stream only the object is made: there is no box to tell.
    bool AttachUnit(int unit);
    // The unit an instrument is opened on: attached now if it is not yet, so
    // that instruments open in every state of the connection. None on a fault.
    CBaseDevice* UnitForInstrument(int unit);
    // Deletes the unit object and releases unit n.
    void ReleaseUnit(int unit);
    // Releases every unit (0x11 when connected) and deletes their objects.
    void ReleaseAllUnits();
    // Releases the units, closes the stream and deletes it: no transport is left.
    void ReleaseTransport();

    CBaseDevice* Unit(int unit) const;
    CRelays* Relays() const;
    CVexaMeter* Meter() const;
    int VariantLevel() const { return m_variantLevel; }
    const CString& DeviceName() const { return m_deviceName; }
    bool HostRelayControl() const { return m_hostRelayControl; }

protected:
    void SetStream(std::unique_ptr<CStreamIO> stream) override;

private:
    void InstallNullStream();
    // What the units write through: the stream, or while there is none a null
    // stream, so that instruments exchange nothing instead of crashing.
    CStreamIO* UnitStream() { return m_stream ? m_stream.get() : &m_noStream; }
    // Opens the stream and identifies; faults are reported and count as failure.
    bool OpenAndIdentify();
    // Keeps what the identification found; a device that is not ours is reported.
    bool AcceptIdentity(const InterfaceIdentity& id);
    bool ConnectUsbOnly(bool allowCancel, bool forceChoice);
    bool ConnectTunnel(bool allowDemonstration, bool allowCancel);
    void LoadInstrumentSet(CArchive& ar);
    // Registers a loaded instrument, or reports and destroys it when an open
    // one has its id or shares unit parts with it.
    void AdmitLoadedInstrument(CVIEventSink* sink);
    void StoreInstrumentSet(CArchive& ar);

    std::array<std::unique_ptr<CBaseDevice>, kUnitCount> m_units;
    CStreamNUL m_noStream;
    bool m_hostRelayControl = false;
    int m_variantLevel = 3;
    CString m_deviceName;
};
