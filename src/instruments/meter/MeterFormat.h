// The meters' number arithmetic: range tables, full scales, the texts of the
// digital and analog meters, the temperature sensors, and the dual
// ammeter's own block read. Pure functions apart from the last, so the
// instruments only pick values and hand them to their controls.
#pragma once

#include <cstdint>
#include <optional>

#include "framework/Types.h"
#include "units/VexaMeter.h"
#include "viframework/controls/ValueDisplay.h"

inline constexpr char16_t kVoltageRangeList[] = u"100 mV;200 mV;500 mV;1 V;2 V;5 V;10 V;20 V;50 V";
inline constexpr char16_t kQuantityList[] = u"AV;|AV|;P;PP;RMS";
inline constexpr char16_t kDualCurrentRangeList[] = u"300 mA;3 A";
constexpr int kVoltageRangeCount = 9;
constexpr int kQuantityCount = 5;
constexpr int kDualCurrentRangeCount = 2;

// The digital voltmeters' display table, one row per voltage range, ending
// in a row whose format is null.
const ValueDisplayRange* VoltmeterDisplayTable();
// The ammeters' one row: the value display shows the fraction of full scale.
const ValueDisplayRange* CurrentDisplayTable();
// The dual ammeter's rows: 300 mA (values in mA) and 3 A (values in A).
const ValueDisplayRange* DualCurrentDisplayTable();

// Clamps a voltage range index into 0..8.
int ClampVoltageRange(int range);
// Full scale of a voltage range [V]: 0.1 .. 50; the index is clamped to 0..8.
double VoltageFullScale(int range);

// The analog meters' gauge scale of a range: its end in the unit shown and
// the factor from volts to that unit.
struct GaugeScale {
    double end;
    double factor;
};
GaugeScale AnalogGaugeScale(int range);

// The single ammeter's scale: full-scale current, its engineering exponent,
// the scale text ("1 A", "10 mA") and the digits' format.
struct AmmeterScale {
    double fullScale;  // [A]; 0 when the shunt is not usable
    int exponent;
    CString scaleText;
    const char* format;
};
// The scale of a range's full-scale voltage across a shunt [Ohm]. A shunt
// that is not a positive finite number gives full scale 0 and "-- A".
AmmeterScale ComputeAmmeterScale(double fullScaleVolts, double shuntOhms);
// A current [A] in the scale's unit and format; "----" for a value that
// cannot be shown.
CString FormatAmmeterValue(const AmmeterScale& scale, double amperes);
// The digital dB meter's text: 20 log10(|v| / 0.775 V); "----" for 0.
CString FormatSingleDb(double volts, int range);
// A shunt resistance in engineering notation with the unit "Ω" ("10 Ω", "2.5 kΩ").
CString FormatShunt(double ohms);

enum class MeterDisplayKind : int32_t { Voltage = 0, Current = 1, Db = 2, Power = 3 };

struct MeterReading {
    CString text;       // the digits, as the display shows them
    CString unit;       // "mV", "V", "mA", "dB", "kVA", ...
    CString rangeText;  // the full scale of the range
    double fraction;    // |shown| / full scale, 0..1, for bars and needles
};
// The texts of the meters' own display by kind. v is the record value of the
// display's channel and quantity, range its range index, shunt the channel's
// (power: channel B's) shunt [Ohm]; for power vB and rangeB are channel B's
// value and range (v and range are channel A's). Values that are not finite
// and unusable shunts show dashes.
MeterReading FormatMeterReading(MeterDisplayKind kind, double v, int range, double shunt, double vB = 0.0,
                                int rangeB = 0);

// Temperature of a sensor's voltage [°C]; none when the sensor's formula has
// no value. Sensor 0 is the diode-type sensor (offset [°C] applies), sensor 1
// gives 10 °C per volt; any other sensor has no value.
std::optional<double> TemperatureCelsius(double volts, int sensor, double offsetDegrees);
// "% 4.0lf" of the temperature in the chosen unit, or " -0L" for an overload
// or a missing value.
CString FormatTemperature(std::optional<double> celsius, bool fahrenheit, bool overload);

// The dual ammeter's own read of channels C and D as currents: sends "l" and
// converts the 16-bit block with 300 mA (range index 0, values in mA) or 3 A
// (any other index, values in A) at the converter's end. Fills the two
// records and overflow flags; does nothing below variant level 3. Call under
// the unit lock.
void ReadDualCurrents(CVexaMeter& meter, int rangeC, int rangeD, MeterRecord& c, MeterRecord& d, bool overflow[2]);
