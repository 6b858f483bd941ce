#include "instruments/meter/TemperatureLcd.h"

#include "instruments/meter/MeterFormat.h"
#include "units/VexaMeter.h"

CTemperatureLcd::CTemperatureLcd()
{
    // "% 4.0lf": a sign or blank and three digits.
    m_digitCount = 4;
    m_text = u"----";
    m_unit = u"\u00B0C";
}

void CTemperatureLcd::AutoSize()
{
    m_rect.right = m_rect.left + m_naturalWidth;
    m_rect.bottom = m_rect.top + m_naturalHeight;
}

bool CTemperatureLcd::Refresh()
{
    const bool unitChanged = SetUnit(m_fahrenheit ? u"\u00B0F" : u"\u00B0C");
    if (m_meter == nullptr)
        return SetText(CString(u"----")) || unitChanged;
    const double volts = CVexaMeter::Record(0, kMeterAverage);
    const CString text = FormatTemperature(TemperatureCelsius(volts, m_sensor, m_offset), m_fahrenheit,
                                           m_meter->Overflow(0));
    return SetText(text) || unitChanged;
}
