// CBaseDevice and CVexaDevice: one object per function unit of the interface,
// holding the unit's settings as last sent and the bits of those changed since.
// Callers of a unit's command functions hold the interface's unit lock; units
// never take it themselves.
#pragma once

#include <cstdint>
#include <memory>

#include "framework/Archive.h"
#include "framework/Object.h"
#include "interface/StreamIO.h"
#include "units/LockedFlags.h"

class CVexaface;

// Function unit numbers: the byte that selects a unit in the protocol.
enum UnitNumber : int {
    kUnitDigitalIO = 1,
    kUnitRelays = 2,
    kUnitFunctionGenerator = 3,
    kUnitThreePhase = 4,
    kUnitScope = 5,
    kUnitMeter = 6,
    kUnitCounter = 7,
    kUnitMetraHit = 8,
};
constexpr int kUnitCount = 8;

// A copy of a unit's settings, kept by an instrument to put them back on close.
struct CUnitSettings {
    virtual ~CUnitSettings() = default;
};

class CBaseDevice : public CObject {
    DECLARE_DYNAMIC(CBaseDevice)
public:
    explicit CBaseDevice(CStreamIO* stream) : m_stream(stream) {}

    // Stores or loads the unit's settings, led by their version number.
    void Serialize(CArchive& ar) override = 0;
    virtual bool Start();
    virtual void Open() {}
    virtual void Stop();
    // A copy of the settings in force, or none for units without one.
    virtual std::unique_ptr<CUnitSettings> SaveSettings() { return nullptr; }
    // Takes a copy's values and marks every setting changed.
    virtual void RestoreSettings(std::unique_ptr<CUnitSettings> settings) {}
    // Sends the settings whose bits are pending; true when any was.
    virtual bool Flush() { return false; }

    // The interface object hands units the new stream when it replaces it.
    void SetStream(CStreamIO* stream) { m_stream = stream; }
    CStreamIO* Stream() const { return m_stream; }
    bool IsRunning() const { return m_running != 0; }
    CLockedFlags& Changes() { return m_changes; }

protected:
    CStreamIO* m_stream;  // not owned
    uint8_t m_running = 0;
    CLockedFlags m_changes;
};

class CVexaDevice : public CBaseDevice {
    DECLARE_DYNAMIC(CVexaDevice)
public:
    CVexaDevice(CStreamIO* stream, CVexaface* owner) : CBaseDevice(stream), m_interface(owner) {}

    // The interface's variant level (1 to 3) and firmware version.
    int VariantLevel() const;
    uint16_t FirmwareVersion() const;

protected:
    CVexaface* m_interface;  // not owned
};

// Makes the unit object of a unit number, or none for a number it does not know.
class IUnitFactory {
public:
    virtual ~IUnitFactory() = default;
    virtual std::unique_ptr<CBaseDevice> CreateUnit(int number, CStreamIO* stream, CVexaface* owner) = 0;
};
