// The meter instruments' settings archives: each instrument keeps its
// settings in one plain struct with one serialize function. Loading reads
// into a copy and checks every field, so a damaged archive throws
// CArchiveException and leaves the settings as they were.
#pragma once

#include <cstdint>

#include "framework/Archive.h"

// Digital voltmeter, ammeter and dB meter.
struct SingleMeterSettings {
    uint8_t range = 6;      // voltage range index 0..8
    uint8_t mode = 0;       // 0 DC, 1 AC
    int32_t quantity = 4;   // 0 AV .. 4 RMS
    double shunt = 10.0;    // [Ohm]
};
// Version 1: range u8, mode u8, quantity u32, shunt f64.
void SerializeSettings(CArchive& ar, SingleMeterSettings& s);

struct DualHalfSettings {
    uint8_t range = 1;  // voltage index 0..8; the dual ammeter clamps it to its two ranges itself
    uint8_t mode = 0;
    int32_t quantity = 4;
};
struct DualMeterSettings {
    DualHalfSettings half[2];  // C, D
    uint8_t rateFlag = 1;      // 0: twice the update rate
};
// Version 1: C (range u8, mode u8, quantity u32), D the same, rate flag u8.
void SerializeSettings(CArchive& ar, DualMeterSettings& s);

struct AnalogMeterSettings {
    uint8_t channelA = 1;          // 1 A, 0 B
    int32_t range = 6;
    int32_t mode = 0;
    int32_t scaleSelection = 205;  // 201..205
    uint8_t numberView = 0;        // 1: the digits instead of the gauge
};
// Version 2: channel flag u8, range u32, mode u32, scale selection u32,
// number view u8. Version 1 ends after the mode and keeps the other two.
void SerializeSettings(CArchive& ar, AnalogMeterSettings& s);

struct PowerMeterSettings {
    uint8_t rangeA = 6;
    uint8_t rangeB = 6;
    double shuntB = 10.0;  // [Ohm]
};
// Version 2: range A u8, range B u8, shunt f64. Version 1 has the ranges only.
void SerializeSettings(CArchive& ar, PowerMeterSettings& s);

struct TemperatureSettings {
    int32_t unitChoice = 201;    // 201 °C, 202 °F
    double offset = 0.0;         // [°C], -100..100
    int32_t sensorChoice = 205;  // 204 sensor type 0, 205 sensor type 1
};
// Version 2: unit choice u32, offset f64, sensor choice u32. Version 1 has
// no sensor choice.
void SerializeSettings(CArchive& ar, TemperatureSettings& s);
