// The simulated trainer interface: its identity, its attached units, each
// unit's state and the signal model they share. One box serves every
// connection; the protocol engine holds Lock() around each command.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>

#include "model/MetraHit.h"
#include "model/SignalModel.h"
#include "model/SimClock.h"
#include "protocol/BodeUnit.h"
#include "protocol/DeviceIdentity.h"
#include "protocol/DigitalUnit.h"
#include "protocol/MeterUnit.h"
#include "protocol/ScopeUnit.h"

namespace vexasim {

struct BoxOptions {
    int level = 3;                // variant level 1, 2 or 3
    int firmware = 250;           // version reported at character 18 of the identification
    std::string identification;   // replaces the whole identification when not empty
    DutSettings dut;
    bool loopback = true;         // digital outputs wired to the inputs
    uint16_t digitalInput = 0;    // input word without the loopback
    MetraHitModel metraHit = MetraHitModel::M18S;
    // Sources wired to the inputs A to D from outside (none unless told).
    std::array<ExternalSource, 4> inputs{};
    bool strictAttach = false;    // refuse commands of units not attached
};

class CSimBox {
public:
    CSimBox(BoxOptions options, const ISimClock& clock, CDeviceIdentity& identity);

    std::mutex& Lock() { return m_lock; }
    const BoxOptions& Options() const { return m_options; }
    int Level() const { return m_options.level; }
    double Now() const { return m_clock.Now(); }
    CDeviceIdentity& Identity() { return m_identity; }
    std::string Identification() const;

    // Units attached by 0x0E, as a mask with bit n for unit n. Atomic, so
    // that observers need not take the box's lock.
    uint16_t AttachedUnits() const { return m_attached; }
    bool IsAttached(int unit) const { return unit >= 1 && unit <= 8 && (m_attached >> unit & 1); }
    void Attach(int unit) { m_attached |= static_cast<uint16_t>(1u << unit); }
    void Release(int unit) { m_attached &= static_cast<uint16_t>(~(1u << unit)); }
    void ReleaseAll() { m_attached = 0; }

    // Receives one line per command when set (the --verbose log).
    std::function<void(const std::string&)> log;

    CSignalModel model;
    CSimScope scope;
    CSimBode bode;
    CSimMeter meter;
    CSimDigital digital;
    uint8_t relays = 0;
    bool counterRunning = false;
    // The METRAHit's cable: pulled, the link answers with zeros as without a meter.
    bool metraHitPlugged = true;

private:
    std::mutex m_lock;
    BoxOptions m_options;
    const ISimClock& m_clock;
    CDeviceIdentity& m_identity;
    std::atomic<uint16_t> m_attached{0};
};

} // namespace vexasim
