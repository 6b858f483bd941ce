// CSupplyVI: what the instruments on the three-phase unit share: the unit,
// outputs switched at once from the window's thread, and the panel chores
// of showing readings, knobs and the power button and of typing a value
// over a reading.
#pragma once

#include <cstdint>

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
