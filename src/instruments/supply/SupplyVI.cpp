#include "instruments/supply/SupplyVI.h"

#include "instruments/UnitAccess.h"
#include "units/ThreePhaseGen.h"
#include "viframework/controls/HotPowerButton.h"
#include "viframework/controls/Knob.h"
#include "viframework/controls/Seg7.h"
#include "viframework/win32/PadPopups.h"

void CSupplyVI::SwitchOutputsNow(bool on)
{
    if (m_unit)
        SendToUnitNow(m_owner, [&] { m_unit->SwitchOutputs(on); });
}

void CSupplyVI::ShowReading(uint32_t id, const CString& text)
{
    if (auto* reading = Find<CHotSeg7>(id); reading && reading->SetText(text))
        InvalidateHotspot(reading);
}

void CSupplyVI::ShowNumber(uint32_t id, int32_t number)
{
    if (auto* reading = Find<CHotSeg7>(id); reading && reading->SetNumber(number))
        InvalidateHotspot(reading);
}

void CSupplyVI::ShowKnob(uint32_t id, int32_t value)
{
    if (auto* knob = Find<CHotKnob>(id); knob && knob->SetValue(value))
        InvalidateHotspot(knob);
}

void CSupplyVI::ShowPower(uint32_t id, bool on)
{
    if (auto* power = Find<CHotPowerButton>(id))
        power->SetState(on, on, this);
}

void CSupplyVI::SetKnobRange(uint32_t id, int32_t minimum, int32_t maximum)
{
    if (auto* knob = Find<CHotKnob>(id))
        knob->SetRange(minimum, maximum);
}

bool CSupplyVI::AskValue(uint32_t id, double& value, double minimum, double maximum)
{
    auto* reading = Find<CHotSeg7>(id);
    if (!reading)
        return false;
    CNumPadPopup pad(value, minimum, maximum);
    return pad.ShowAt(reading->m_rect, *this);
}

bool CSupplyVI::AskValue(uint32_t id, int32_t& value, int32_t minimum, int32_t maximum)
{
    auto* reading = Find<CHotSeg7>(id);
    if (!reading)
        return false;
    CNumPadPopup pad(value, minimum, maximum);
    return pad.ShowAt(reading->m_rect, *this);
}
