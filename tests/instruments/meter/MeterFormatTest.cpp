// The meters' number arithmetic: range tables, the ammeter's scale across
// prefixes, dB, power, the meters' own display texts and the temperature
// sensors.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdio>
#include <limits>
#include <tuple>

#include "instruments/meter/MeterFormat.h"
#include "viframework/controls/ValueDisplay.h"

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();
const CString kMicro = u"\u00B5";

// ---------------------------------------------------------------- tables

TEST(MeterTables, EveryVoltmeterRowMeasuresItsRangesFullScaleAndLabelsItsEnd)
{
    CHotValueDisplay display;
    display.m_rect = {0, 0, 187, 120};
    display.SetRanges(VoltmeterDisplayTable(), 0);
    ASSERT_EQ(display.RangeCount(), size_t(kVoltageRangeCount));
    for (int range = 0; range < kVoltageRangeCount; ++range) {
        const ValueDisplayRange& row = VoltmeterDisplayTable()[range];
        EXPECT_DOUBLE_EQ(row.fullScale / row.factor, VoltageFullScale(range)) << "range " << range;
        const GaugeScale gauge = AnalogGaugeScale(range);
        EXPECT_DOUBLE_EQ(gauge.end / gauge.factor, VoltageFullScale(range)) << "range " << range;
        display.SetRange(size_t(range));
        EXPECT_EQ(display.Divisions(), 10);
        // The last labelled tick names the full scale.
        const ValueScaleMark* last = nullptr;
        for (const ValueScaleMark* m = row.marks; m->label && m->label[0]; ++m)
            last = m;
        ASSERT_NE(last, nullptr);
        EXPECT_EQ(last->tick, 10);
        char end[16];
        std::snprintf(end, sizeof end, "%g", row.fullScale);
        EXPECT_STREQ(last->label, end);
    }
}

TEST(MeterTables, DigitsFollowTheRangesFormatInVoltageAndCurrentTables)
{
    CHotValueDisplay display;
    display.SetRanges(VoltmeterDisplayTable(), 0);
    EXPECT_TRUE(display.SetValue(0.05));
    EXPECT_EQ(display.Text(), u"   50") << "millivolts, right-aligned in five places";
    display.SetRange(3);
    display.SetValue(0.5);
    EXPECT_EQ(display.Text(), u"  0.50");
    display.SetRange(7);
    display.SetValue(-7.3);
    EXPECT_EQ(display.Text(), u"  -7.3");

    display.SetRanges(CurrentDisplayTable(), 0);
    ASSERT_EQ(display.RangeCount(), 1u);
    EXPECT_EQ(display.Range()->fullScale, 1);
    EXPECT_STREQ(display.Range()->format, "%6.1lf");
    display.SetRanges(DualCurrentDisplayTable(), 0);
    ASSERT_EQ(display.RangeCount(), size_t(kDualCurrentRangeCount));
    display.SetValue(123.4);
    EXPECT_EQ(display.Text(), u" 123.4") << "300 mA in milliamperes";
    display.SetRange(1);
    display.SetValue(1.5);
    EXPECT_EQ(display.Text(), u"  1.50");
}

TEST(MeterTables, RangeIndexesOutsideTheTableTakeTheNearestEnd)
{
    EXPECT_EQ(VoltageFullScale(-1), 0.1);
    EXPECT_EQ(VoltageFullScale(INT_MIN), 0.1);
    EXPECT_EQ(VoltageFullScale(9), 50);
    EXPECT_EQ(VoltageFullScale(INT_MAX), 50);
    EXPECT_EQ(AnalogGaugeScale(-5).end, 100);
    EXPECT_EQ(AnalogGaugeScale(-5).factor, 1000);
    EXPECT_EQ(AnalogGaugeScale(99).end, 50);
    EXPECT_EQ(AnalogGaugeScale(99).factor, 1);
}

// ---------------------------------------------------------------- ammeter

TEST(AmmeterScale, FullScaleTextAndFormatFollowThePrefix)
{
    struct Case {
        double volts, ohms;
        double fullScale;
        int exponent;
        CString text;
        const char* format;
    };
    const Case cases[] = {
        {10, 10, 1, 0, u"1 A", "%6.2lf"},
        {0.1, 10, 0.01, -3, u"10 mA", "%6.1lf"},
        {0.5, 1, 0.5, -3, u"500 mA", "%5.0lf"},
        {0.1, 1000, 1e-4, -6, u"100 " + kMicro + u"A", "%5.0lf"},
        {0.2, 1e6, 2e-7, -9, u"200 nA", "%5.0lf"},
        {50, 0.01, 5000, 3, u"5 kA", "%6.2lf"},
    };
    for (const Case& c : cases) {
        const AmmeterScale s = ComputeAmmeterScale(c.volts, c.ohms);
        EXPECT_DOUBLE_EQ(s.fullScale, c.fullScale) << c.volts << " V / " << c.ohms << " Ohm";
        EXPECT_EQ(s.exponent, c.exponent) << c.volts << " V / " << c.ohms << " Ohm";
        EXPECT_EQ(s.scaleText, c.text) << c.volts << " V / " << c.ohms << " Ohm";
        EXPECT_STREQ(s.format, c.format) << c.volts << " V / " << c.ohms << " Ohm";
    }
    EXPECT_EQ(ComputeAmmeterScale(0.1, 1000).scaleText[4], char16_t(181)) << "the micro sign";
}

TEST(AmmeterScale, ValuesInTheScalesUnitDashesAndTheShuntsText)
{
    const AmmeterScale amperes = ComputeAmmeterScale(VoltageFullScale(6), 10);
    EXPECT_EQ(amperes.scaleText, u"1 A");
    EXPECT_EQ(FormatAmmeterValue(amperes, 0.5 / 10), u"  0.05");
    const AmmeterScale milli = ComputeAmmeterScale(VoltageFullScale(0), 10);
    EXPECT_EQ(FormatAmmeterValue(milli, 0.0042), u"   4.2");
    const AmmeterScale micro = ComputeAmmeterScale(VoltageFullScale(0), 1000);
    EXPECT_EQ(FormatAmmeterValue(micro, 42e-6), u"   42");

    // Unusable shunts and values show dashes.
    for (double ohms : {0.0, -10.0, kNaN, kInf, -kInf}) {
        const AmmeterScale s = ComputeAmmeterScale(10, ohms);
        EXPECT_EQ(s.fullScale, 0) << ohms;
        EXPECT_EQ(FormatAmmeterValue(s, 0.5), u"----") << ohms;
    }
    const AmmeterScale good = ComputeAmmeterScale(10, 10);
    EXPECT_EQ(FormatAmmeterValue(good, kNaN), u"----");
    EXPECT_EQ(FormatAmmeterValue(good, kInf), u"----");

    // The shunt's text uses the ohm sign.
    EXPECT_EQ(FormatShunt(10), u"10 \u2126");
    EXPECT_EQ(FormatShunt(2500), u"2.5 k\u2126");
    EXPECT_EQ(FormatShunt(0.01), u"10 m\u2126");
    EXPECT_EQ(FormatShunt(kNaN), u"-- \u2126");
}

// ---------------------------------------------------------------- dB and the meters' own display

TEST(DbMeter, SingleMetersTextAndItsDashes)
{
    // 396/511 V is a quantised reading just below the reference: zero without a sign.
    // The magnitude counts; no decimals on the 50 V range; the range is clamped to 8.
    const std::tuple<double, int, const char16_t*> cases[] = {
        {0.775, 3, u"  0.0"},  {396.0 / 511.0, 3, u"  0.0"}, {-0.775, 0, u"  0.0"}, {7.75, 7, u" 20.0"},
        {7.75, 8, u"  20"},    {0.0775, 2, u"-20.0"},        {0, 3, u"----"},       {kNaN, 3, u"----"},
        {0.775, 42, u"   0"}};
    for (const auto& [volts, range, text] : cases)
        EXPECT_EQ(FormatSingleDb(volts, range), text) << volts << " V on range " << range;
}

// A reading's expectations; a null text or a NaN fraction is not checked.
struct ReadingCase {
    MeterDisplayKind kind;
    double v;
    int range;
    double shunt, vB;
    int rangeB;
    const char16_t *text, *unit, *rangeText;
    double fraction;
};

TEST(MeterReading, EveryKindByRangeAndPrefix)
{
    using K = MeterDisplayKind;
    const CString microAmperes = kMicro + u"A";
    // clang-format off
    const ReadingCase cases[] = {
        {K::Voltage, 0.05, 0, 10, 0, 0, u"  50", u"mV", u" 100 mV", 0.5},
        {K::Voltage, 1.5, 4, 10, 0, 0, u" 1.50", u"V", u"   2 V", 0.75},
        {K::Voltage, -7.3, 6, 10, 0, 0, u" -7.3", nullptr, nullptr, kNaN},
        {K::Voltage, 25, 8, 10, 0, 0, u"  25", nullptr, nullptr, kNaN},
        {K::Voltage, 25, 12, 10, 0, 0, nullptr, nullptr, u"  50 V", kNaN},
        {K::Voltage, -3, 0, 10, 0, 0, nullptr, nullptr, nullptr, 1.0},  // clamped
        {K::Voltage, kNaN, 3, 10, 0, 0, u"----", nullptr, nullptr, 0},
        // Current is normalised by the full scale's prefix; without one, the unit alone.
        {K::Current, 0.5, 6, 10, 0, 0, u" 0.05", u"A", u"1 A", 0.05},
        {K::Current, 0.05, 0, 10, 0, 0, u"  5.0", u"mA", u"10 mA", kNaN},  // 5 mA of 10 mA
        {K::Current, 25, 8, 0.1, 0, 0, u" 250", nullptr, u"500 A", kNaN},
        {K::Current, 0.05, 0, 1000, 0, 0, nullptr, microAmperes.c_str(), nullptr, kNaN},
        {K::Current, 1, 6, 0.0, 0, 0, u"----", nullptr, nullptr, 0},
        {K::Current, 1, 6, -1.0, 0, 0, u"----", nullptr, nullptr, 0},
        {K::Current, 1, 6, kNaN, 0, 0, u"----", nullptr, nullptr, 0},
        // dB shows overload from twice full scale (|v| = 2 F) and at zero.
        {K::Db, 0.775, 3, 10, 0, 0, u" 0.0", u"dB", nullptr, kNaN},
        {K::Db, 0, 3, 10, 0, 0, u"  0L", nullptr, nullptr, kNaN},
        {K::Db, -2.0, 3, 10, 0, 0, u"  0L", nullptr, nullptr, kNaN},
        {K::Db, 1.99, 3, 10, 0, 0, u" 8.2", nullptr, nullptr, kNaN},
        {K::Db, 7.75, 8, 10, 0, 0, u"  20", nullptr, nullptr, kNaN},
        {K::Db, 0.0775, 2, 10, 0, 0, u"-20.0", nullptr, nullptr, kNaN},
        // Power multiplies both channels over channel B's shunt.
        {K::Power, 10, 6, 10, 0.5, 6, u"  0.5", u"VA", u"10 VA", 0.05},        // 0.5 VA of 10 VA
        {K::Power, 0.05, 0, 10, 0.1, 0, u" 0.50", u"mVA", u"1 mVA", kNaN},     // 0.5 mVA of 1 mVA
        {K::Power, 50, 8, 0.01, 50, 8, u" 250", u"kVA", nullptr, kNaN},        // 250 kVA
        {K::Power, 1, 6, 0, 1, 6, u"----", nullptr, nullptr, kNaN},
        {K::Power, 1, 6, 10, kNaN, 6, u"----", nullptr, nullptr, kNaN},
    };
    // clang-format on
    for (const ReadingCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "kind " << int(c.kind) << ", " << c.v << " on range " << c.range
                                        << ", shunt " << c.shunt << ", B " << c.vB);
        const MeterReading r = FormatMeterReading(c.kind, c.v, c.range, c.shunt, c.vB, c.rangeB);
        if (c.text) { EXPECT_EQ(r.text, c.text); }
        if (c.unit) { EXPECT_EQ(r.unit, c.unit); }
        if (c.rangeText) { EXPECT_EQ(r.rangeText, c.rangeText); }
        if (!std::isnan(c.fraction)) { EXPECT_DOUBLE_EQ(r.fraction, c.fraction); }
    }
}

// ---------------------------------------------------------------- temperature

TEST(Temperature, SensorsOffsetAndOverload)
{
    // The linear sensor gives ten degrees per volt; its reading ignores the offset.
    const auto t = TemperatureCelsius(2.5, 1, 0);
    ASSERT_TRUE(t.has_value());
    EXPECT_DOUBLE_EQ(*t, 25);
    EXPECT_DOUBLE_EQ(*TemperatureCelsius(2.5, 1, 5), 25);
    EXPECT_EQ(FormatTemperature(t, false, false), u"  25");
    EXPECT_EQ(FormatTemperature(t, true, false), u"  77");
    EXPECT_EQ(FormatTemperature(TemperatureCelsius(-0.5, 1, 0), false, false), u"  -5");

    // The diode sensor has no value below its formula's root; the offset corrects it.
    EXPECT_NEAR(*TemperatureCelsius(0.995109435779713, 0, 0), 0.0, 1e-9);
    EXPECT_NEAR(*TemperatureCelsius(1.2, 0, 0), 24.1, 0.1);
    EXPECT_DOUBLE_EQ(*TemperatureCelsius(1.2, 0, 5), *TemperatureCelsius(1.2, 0, 0) + 5);
    EXPECT_FALSE(TemperatureCelsius(0.1, 0, 0).has_value()) << "d < 0";
    EXPECT_EQ(FormatTemperature(TemperatureCelsius(0.1, 0, 0), false, false), u" -0L");

    EXPECT_EQ(FormatTemperature(25.0, false, true), u" -0L");
    EXPECT_EQ(FormatTemperature(std::nullopt, true, false), u" -0L");
    EXPECT_EQ(FormatTemperature(kInf, false, false), u" -0L");
    EXPECT_FALSE(TemperatureCelsius(kNaN, 0, 0).has_value());
    EXPECT_FALSE(TemperatureCelsius(kInf, 1, 0).has_value());
    EXPECT_FALSE(TemperatureCelsius(2.5, 2, 0).has_value()) << "no third sensor";
}

}  // namespace
