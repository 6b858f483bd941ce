// CTemperatureLcd: the temperature meter's read-out. It reads the average of
// channel A from the multimeter's class-wide record and shows it as degrees
// Celsius or Fahrenheit for one of the two sensor types.
#pragma once

#include <cstdint>

#include "viframework/controls/ValueDisplay.h"

class CVexaMeter;

class CTemperatureLcd : public CHotValueDisplay {
public:
    CTemperatureLcd();

    void SetMeter(CVexaMeter* meter) { m_meter = meter; }
    void SetFahrenheit(bool fahrenheit) { m_fahrenheit = fahrenheit; }
    // 0: the diode-type sensor, 1: 10 °C per volt.
    void SetSensor(int sensor) { m_sensor = sensor; }
    // Calibration offset of sensor 0 [°C].
    void SetOffset(double degrees) { m_offset = degrees; }

    // Reads channel A's average and overflow flag and shows the temperature
    // (dashes without a meter). Call with the unit lock held. True when the
    // text or the unit changed.
    bool Refresh();

    // Digits and unit at the natural width.
    void AutoSize() override;

    bool Fahrenheit() const { return m_fahrenheit; }
    int Sensor() const { return m_sensor; }
    double Offset() const { return m_offset; }

private:
    CVexaMeter* m_meter = nullptr;
    bool m_fahrenheit = false;
    int m_sensor = 1;
    double m_offset = 0.0;
};
