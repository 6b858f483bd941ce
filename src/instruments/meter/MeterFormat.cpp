#include "instruments/meter/MeterFormat.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "charts/Engineering.h"

namespace {

// Bar scales: ten divisions, every second one labelled, so six labels of at
// most three characters stay apart on the 147 units of a 187-wide display.
// The end is labelled by an entry of its own before the closing one.
constexpr ValueScaleMark kMarks100[] = {{0, "0"}, {2, "20"}, {4, "40"}, {6, "60"}, {8, "80"}, {10, "100"}, {10, ""}};
constexpr ValueScaleMark kMarks200[] = {{0, "0"}, {2, "40"}, {4, "80"}, {6, "120"}, {8, "160"}, {10, "200"}, {10, ""}};
constexpr ValueScaleMark kMarks500[] = {{0, "0"}, {2, "100"}, {4, "200"}, {6, "300"}, {8, "400"}, {10, "500"}, {10, ""}};
constexpr ValueScaleMark kMarks1[] = {{0, "0"}, {2, "0.2"}, {4, "0.4"}, {6, "0.6"}, {8, "0.8"}, {10, "1"}, {10, ""}};
constexpr ValueScaleMark kMarks2[] = {{0, "0"}, {2, "0.4"}, {4, "0.8"}, {6, "1.2"}, {8, "1.6"}, {10, "2"}, {10, ""}};
constexpr ValueScaleMark kMarks5[] = {{0, "0"}, {2, "1"}, {4, "2"}, {6, "3"}, {8, "4"}, {10, "5"}, {10, ""}};
constexpr ValueScaleMark kMarks10[] = {{0, "0"}, {2, "2"}, {4, "4"}, {6, "6"}, {8, "8"}, {10, "10"}, {10, ""}};
constexpr ValueScaleMark kMarks20[] = {{0, "0"}, {2, "4"}, {4, "8"}, {6, "12"}, {8, "16"}, {10, "20"}, {10, ""}};
constexpr ValueScaleMark kMarks50[] = {{0, "0"}, {2, "10"}, {4, "20"}, {6, "30"}, {8, "40"}, {10, "50"}, {10, ""}};
// Six divisions: every 50 mA (or 0.5 A), labelled every 100 mA (1 A).
constexpr ValueScaleMark kMarks300[] = {{0, "0"}, {2, "100"}, {4, "200"}, {6, "300"}, {6, ""}};
constexpr ValueScaleMark kMarks3[] = {{0, "0"}, {2, "1"}, {4, "2"}, {6, "3"}, {6, ""}};

constexpr ValueDisplayRange kVoltmeterTable[] = {
    {100, 1000, kMarks100, "%5.0lf"}, {200, 1000, kMarks200, "%5.0lf"}, {500, 1000, kMarks500, "%5.0lf"},
    {1, 1, kMarks1, "%6.2lf"},        {2, 1, kMarks2, "%6.2lf"},        {5, 1, kMarks5, "%6.2lf"},
    {10, 1, kMarks10, "%6.1lf"},      {20, 1, kMarks20, "%6.1lf"},      {50, 1, kMarks50, "%6.1lf"},
    {0, 0, nullptr, nullptr},
};
constexpr ValueDisplayRange kCurrentTable[] = {
    {1, 1, kMarks1, "%6.1lf"},
    {0, 0, nullptr, nullptr},
};
constexpr ValueDisplayRange kDualCurrentTable[] = {
    {300, 1, kMarks300, "%6.1lf"},
    {3, 1, kMarks3, "%6.2lf"},
    {0, 0, nullptr, nullptr},
};

constexpr double kFullScales[kVoltageRangeCount] = {0.1, 0.2, 0.5, 1, 2, 5, 10, 20, 50};
constexpr GaugeScale kGaugeScales[kVoltageRangeCount] = {
    {100, 1000}, {200, 1000}, {500, 1000}, {1, 1}, {2, 1}, {5, 1}, {10, 1}, {20, 1}, {50, 1},
};
constexpr double kDbReference = 0.775;  // [V], 0 dBu
const CString kDashes = u"----";
const CString kOverload = u"  0L";

CString Format(const char* format, double value)
{
    return FormatReading(format, value);
}

// The prefix of an exponent followed by a unit; no prefix leaves the unit alone.
CString PrefixedUnit(int exponent, std::u16string_view unit)
{
    CString text;
    if (const char16_t prefix = EngineeringPrefix(exponent))
        text += prefix;
    text += unit;
    return text;
}

double Fraction(double shown, double fullScale)
{
    if (!std::isfinite(shown) || !(fullScale > 0) || !std::isfinite(fullScale))
        return 0;
    return std::clamp(std::fabs(shown) / fullScale, 0.0, 1.0);
}

bool UsableShunt(double ohms)
{
    return std::isfinite(ohms) && ohms > 0;
}

// A value normalised by its full scale's engineering exponent, as the
// current and power displays print it: fewer decimals the larger the scale.
void FormatNormalised(double value, double fullScale, std::u16string_view unit, MeterReading& out)
{
    const int exponent = EngineeringExponent(fullScale);
    const double normalisedScale = ScaleToExponent(fullScale, exponent);
    // A full scale too small for a double's exponents has nothing to show.
    if (!(fullScale > 0) || !std::isfinite(fullScale) || !(normalisedScale > 0) || !std::isfinite(normalisedScale))
        return;
    const char* format = normalisedScale >= 100 ? "% 4.0lf" : normalisedScale < 10 ? "% 5.2lf" : "% 5.1lf";
    out.text = Format(format, ScaleToExponent(value, exponent));
    out.unit = PrefixedUnit(exponent, unit);
    out.rangeText = FormatEngineering(fullScale, unit);
    out.fraction = Fraction(value, fullScale);
}

CString VoltageRangeText(int range)
{
    const double f = VoltageFullScale(range);
    return range <= 2 ? Format("%4.0lf mV", 1000 * f) : Format("%4.0lf V", f);
}

}  // namespace

const ValueDisplayRange* VoltmeterDisplayTable()
{
    return kVoltmeterTable;
}

const ValueDisplayRange* CurrentDisplayTable()
{
    return kCurrentTable;
}

const ValueDisplayRange* DualCurrentDisplayTable()
{
    return kDualCurrentTable;
}

int ClampVoltageRange(int range)
{
    return std::clamp(range, 0, kVoltageRangeCount - 1);
}

double VoltageFullScale(int range)
{
    return kFullScales[ClampVoltageRange(range)];
}

GaugeScale AnalogGaugeScale(int range)
{
    return kGaugeScales[ClampVoltageRange(range)];
}

AmmeterScale ComputeAmmeterScale(double fullScaleVolts, double shuntOhms)
{
    const AmmeterScale none{0, 0, u"-- A", "%6.2lf"};
    if (!UsableShunt(shuntOhms))
        return none;
    const double amperes = fullScaleVolts / shuntOhms;
    if (!std::isfinite(amperes) || !(amperes > 0))
        return none;
    const int exponent = EngineeringExponent(amperes);
    const double normalised = ScaleToExponent(amperes, exponent);
    if (!(normalised > 0) || !std::isfinite(normalised))
        return none;
    CString text = Format("%.0lf ", normalised);
    text += PrefixedUnit(exponent, u"A");
    const char* format = normalised >= 100 ? "%5.0lf" : normalised >= 10 ? "%6.1lf" : "%6.2lf";
    return {amperes, exponent, text, format};
}

CString FormatAmmeterValue(const AmmeterScale& scale, double amperes)
{
    if (!std::isfinite(amperes) || !(scale.fullScale > 0) || scale.format == nullptr)
        return kDashes;
    const double shown = ScaleToExponent(amperes, scale.exponent);
    return std::isfinite(shown) ? Format(scale.format, shown) : kDashes;
}

CString FormatSingleDb(double volts, int range)
{
    if (volts == 0 || !std::isfinite(volts))
        return kDashes;
    const double db = 20 * std::log10(std::fabs(volts) / kDbReference);
    return Format(ClampVoltageRange(range) == 8 ? "%4.0lf" : "%5.1lf", db);
}

// The ohm sign U+2126 rather than the Greek capital omega: the panels' font
// under Wine has only the former.
CString FormatShunt(double ohms)
{
    if (!std::isfinite(ohms))
        return u"-- \u2126";
    return FormatEngineering(ohms, u"\u2126");
}

MeterReading FormatMeterReading(MeterDisplayKind kind, double v, int range, double shunt, double vB, int rangeB)
{
    range = ClampVoltageRange(range);
    rangeB = ClampVoltageRange(rangeB);
    const double f = VoltageFullScale(range);
    MeterReading out{kDashes, {}, {}, 0};

    switch (kind) {
    case MeterDisplayKind::Voltage:
    default:
        out.unit = range <= 2 ? u"mV" : u"V";
        out.rangeText = VoltageRangeText(range);
        if (!std::isfinite(v))
            return out;
        out.fraction = Fraction(v, f);
        if (range <= 2)
            out.text = Format("% 4.0lf", 1000 * v);
        else
            out.text = Format(range <= 5 ? "% 4.2lf" : range <= 7 ? "% 5.1lf" : "% 4.0lf", v);
        return out;

    case MeterDisplayKind::Current:
        out.unit = u"A";
        if (!UsableShunt(shunt) || !std::isfinite(v)) {
            out.rangeText = u"-- A";
            return out;
        }
        FormatNormalised(v / shunt, f / shunt, u"A", out);
        return out;

    case MeterDisplayKind::Db:
        out.unit = u"dB";
        out.rangeText = VoltageRangeText(range);
        if (!std::isfinite(v))
            return out;
        out.fraction = Fraction(v, f);
        // At twice full scale the converter has long clipped: no level to tell.
        if (std::fabs(v) >= 2 * f || v == 0) {
            out.text = kOverload;
            return out;
        }
        out.text = Format(range == 8 ? "% 4.0lf" : "% 4.1lf", 20 * std::log10(std::fabs(v) / kDbReference));
        return out;

    case MeterDisplayKind::Power:
        out.unit = u"VA";
        if (!UsableShunt(shunt) || !std::isfinite(v) || !std::isfinite(vB)) {
            out.rangeText = u"-- VA";
            return out;
        }
        FormatNormalised(v * vB / shunt, f * VoltageFullScale(rangeB) / shunt, u"VA", out);
        return out;
    }
}

std::optional<double> TemperatureCelsius(double volts, int sensor, double offsetDegrees)
{
    if (!std::isfinite(volts))
        return std::nullopt;
    if (sensor == 1)
        return 10 * volts;
    if (sensor != 0)
        return std::nullopt;
    const double d = 6.364448658513178e-05 - (0.995109435779713 - volts) * 8.497028944633614e-05;
    if (d < 0)
        return std::nullopt;
    const double offset = std::isfinite(offsetDegrees) ? offsetDegrees : 0.0;
    return (std::sqrt(d) - 0.007977749468686754) / 4.248514472316807e-05 + offset;
}

CString FormatTemperature(std::optional<double> celsius, bool fahrenheit, bool overload)
{
    if (overload || !celsius || !std::isfinite(*celsius))
        return u" -0L";
    const double shown = fahrenheit ? *celsius * 9 / 5 + 32 : *celsius;
    return Format("% 4.0lf", shown);
}

void ReadDualCurrents(CVexaMeter& meter, int rangeC, int rangeD, MeterRecord& c, MeterRecord& d, bool overflow[2])
{
    constexpr uint8_t kCmdReadCurrentsCD = 0x6C;  // "l"
    if (meter.VariantLevel() < 3)
        return;
    const std::array<MeterRawBlock, 2> blocks = meter.ReadRawBlock(kCmdReadCurrentsCD, true);
    const int ranges[2] = {rangeC, rangeD};
    MeterRecord* records[2] = {&c, &d};
    for (size_t k = 0; k < 2; ++k) {
        // 300 mA in milliamperes on index 0, 3 A in amperes otherwise.
        const double end = ranges[k] <= 0 ? 300.0 : 3.0;
        overflow[k] = CVexaMeter::ConvertBlock(blocks[k], true, meter.SampleCount(),
                                               [end](double raw) { return raw / 511 * end; }, *records[k]);
    }
}
