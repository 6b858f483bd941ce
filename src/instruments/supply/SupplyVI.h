// CSupplyVI: what the instruments on the three-phase unit share: the unit,
// outputs switched at once from the window's thread, and the panel chores
// of showing readings, knobs and the power button and of typing a value
// over a reading.
#pragma once

#include <cstdint>
#include <mutex>

#include "framework/Archive.h"

#include "viframework/win32/VIWindow.h"

class C3PhaseGen;

class CSupplyVI : public CVIWindow {
protected:
    explicit CSupplyVI(C3PhaseGen* unit) : m_unit(unit) {}

    // Switches the outputs at once; a transport fault is reported and ends the connection.
    void SwitchOutputsNow(bool on);

    // Each of these repaints the control only when it changed.
    void ShowReading(uint32_t id, const CString& text);
    void ShowNumber(uint32_t id, int32_t number);
    void ShowKnob(uint32_t id, int32_t value);
    void ShowPower(uint32_t id, bool on);
    void SetKnobRange(uint32_t id, int32_t minimum, int32_t maximum);

    // Opens the number pad over reading id; true when the user accepted a
    // value within the limits, which is then in value.
    bool AskValue(uint32_t id, double& value, double minimum, double maximum);
    bool AskValue(uint32_t id, int32_t& value, int32_t minimum, int32_t maximum);

    C3PhaseGen* m_unit;
};

// A supply whose settings the window keeps. The polling thread reads them to
// send them, so they live under the window's data lock.
template <class S>
class CKeptSupplyVI : public CSupplyVI {
public:
    static constexpr uint32_t kUpdatePeriodMs = 2000;

    S Settings()
    {
        std::lock_guard<std::recursive_mutex> data(m_dataLock);
        return m_settings;
    }

    bool CanOpen() override
    {
        if (!m_unit)
            return false;
        // Whatever a previous user left switched on goes off before the panel appears.
        SwitchOutputsNow(false);
        SetUpdatePeriod(kUpdatePeriodMs);
        MarkChanged(m_openingBits);
        return true;
    }

protected:
    // openingBits: the updates that bring the unit to the panel's settings.
    CKeptSupplyVI(C3PhaseGen* unit, uint32_t openingBits) : CSupplyVI(unit), m_openingBits(openingBits) {}

    virtual void ShowSettings() = 0;

    // Applies change (which returns the update bits it asks for); what
    // changed is sent and shown.
    template <class F>
    void Change(F&& change)
    {
        uint32_t bits;
        {
            std::lock_guard<std::recursive_mutex> data(m_dataLock);
            bits = change(m_settings);
        }
        if (bits == 0)
            return;
        MarkChanged(bits);
        ShowSettings();
    }

    // Stores or loads the settings with serialize(ar, settings); loaded ones
    // are sent with the update bits loadedBits and shown. A damaged archive
    // throws and leaves the settings as they were.
    template <class F>
    void SerializeKept(CArchive& ar, uint32_t loadedBits, F&& serialize)
    {
        {
            std::lock_guard<std::recursive_mutex> data(m_dataLock);
            serialize(ar, m_settings);
            if (ar.IsStoring())
                return;
        }
        MarkChanged(loadedBits);
        ShowSettings();
    }

    // Closing the window (hiding it, or for good) switches the outputs off at once.
    void OnInstrumentClosing() override
    {
        {
            std::lock_guard<std::recursive_mutex> data(m_dataLock);
            m_settings.outputOn = 0;
        }
        SwitchOutputsNow(false);
        ShowSettings();
    }

    S m_settings;

private:
    const uint32_t m_openingBits;
};
