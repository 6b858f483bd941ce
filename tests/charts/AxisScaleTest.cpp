// The arithmetic of chart axes.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "charts/AxisScale.h"
#include "charts/Engineering.h"

namespace {

std::vector<double> Sorted(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v;
}

void ExpectValues(const std::vector<double>& actual, const std::vector<double>& wanted)
{
    ASSERT_EQ(actual.size(), wanted.size());
    for (size_t i = 0; i < wanted.size(); ++i)
        EXPECT_NEAR(actual[i], wanted[i], 1e-9) << i;
}

TEST(ReadableRange, RoundsToStepsOfTwoFiveAndTen)
{
    EXPECT_EQ(ReadableRange(0, 100, 10, false), (AxisRange{0, 100, 20, 1})) << "k = 1 always doubles";
    EXPECT_EQ(ReadableRange(-3, 7, 10, false), (AxisRange{-4, 8, 2, 1})) << "zero keeps a label";
    const AxisRange narrow = ReadableRange(5, 6, 10, false);
    EXPECT_DOUBLE_EQ(narrow.step, 0.2);
    EXPECT_NEAR(narrow.minimum, 5.0, 1e-12) << "5 - 0.25 stays above zero";
    EXPECT_NEAR(narrow.maximum, 6.0, 1e-12);
    EXPECT_EQ(LabelPrecision(narrow.step, narrow.divisor), 1);
    // A range that starts close to zero goes down to it.
    EXPECT_EQ(ReadableRange(1, 9, 10, false).minimum, 0.0);
    EXPECT_EQ(ReadableRange(2, 9, 10, false).minimum, 2.0) << "2 - 0.25 x 7 is still above zero";
    // Thousands are labelled in kilo: 0, 2, 4 ... with divisor 1000.
    const AxisRange volts = ReadableRange(0, 10000, 10, false);
    EXPECT_EQ(volts.step, 2000.0);
    EXPECT_EQ(volts.divisor, 1000.0);
    EXPECT_EQ(ReadableRange(0, 0.01, 5, false).divisor, 0.001);
    EXPECT_EQ(ReadableRange(0, 0.001, 5, false).divisor, 0.001) << "truncated toward zero: 0.0002 gives 0.001 too";
    EXPECT_EQ(ReadableRange(0, 2.5, 5, false).divisor, 1.0);
}

TEST(ReadableRange, LogarithmicGoesOutToWholeDecades)
{
    EXPECT_EQ(ReadableRange(3, 2000, 10, true), (AxisRange{1, 10000, 1, 1}));
    EXPECT_EQ(ReadableRange(10, 100, 10, true), (AxisRange{10, 100, 1, 1}));
    // Touching zero or below: the upper decades stay, the range stays positive.
    const AxisRange touching = ReadableRange(0, 500, 10, true);
    EXPECT_GT(touching.minimum, 0.0);
    EXPECT_EQ(touching.maximum, 1000.0);
    EXPECT_GT(ReadableRange(-5, -1, 10, true).minimum, 0.0);
    // Decades beyond what a double holds would make ends of 0 or infinity,
    // whose logarithms no label can be made of (a zoom into 1e-323 made one).
    for (const auto& [lo, hi] : std::vector<std::pair<double, double>>{
             {4.9e-324, 9.9e-323}, {0, 9.9e-323}, {1e-310, 1e-300}, {1, 1.7e308}, {1e307, 1.7e308}}) {
        const AxisRange r = ReadableRange(lo, hi, 10, true);
        EXPECT_TRUE(std::isnormal(r.minimum) && std::isnormal(r.maximum)) << lo << " " << hi;
        EXPECT_LT(r.minimum, r.maximum) << lo << " " << hi;
    }
}

TEST(ReadableRange, DegenerateRequestsStillGiveAUsableScale)
{
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    for (const auto& [lo, hi] : std::vector<std::pair<double, double>>{
             {5, 5}, {7, 3}, {nan, 1}, {0, inf}, {-1e308, 1e308}, {1e-300, 2e-300}, {0, 0}}) {
        const AxisRange r = ReadableRange(lo, hi, 10, false);
        EXPECT_TRUE(std::isfinite(r.minimum) && std::isfinite(r.maximum)) << lo << " " << hi;
        EXPECT_LT(r.minimum, r.maximum) << lo << " " << hi;
        EXPECT_GT(r.step, 0.0) << lo << " " << hi;
    }
    EXPECT_EQ(ReadableRange(5, 5, 10, false).maximum - ReadableRange(5, 5, 10, false).minimum, 1.0)
        << "an empty range opens by one";
}

TEST(LabelValues, AnchorAtZeroInsideAndTakeInARoundedLastLabel)
{
    ExpectValues(Sorted(LabelValues(-1, 1, 0.5)), {-1, -0.5, 0, 0.5, 1});
    ExpectValues(LabelValues(0, 100, 20), {0, 20, 40, 60, 80, 100});
    // Anchored at zero: -3..7 with step 2 labels the even numbers only.
    ExpectValues(Sorted(LabelValues(-3, 7, 2)), {-2, 0, 2, 4, 6});
    // A last label that rounding put a hair past the end is still drawn.
    ExpectValues(LabelValues(0, 0.3 - 1e-12, 0.1), {0, 0.1, 0.2, 0.30000000000000004});
    EXPECT_TRUE(LabelValues(0, 1, 0).empty());
    EXPECT_TRUE(LabelValues(0, 1e9, 1e-9).empty()) << "a step too small for its range draws no labels";
    EXPECT_TRUE(LabelValues(std::nan(""), 1, 0.1).empty());
}

TEST(GridValues, LeaveTheZeroLineAndTheFlaggedEndsOut)
{
    ExpectValues(GridValues(0, 100, 20, 0, false), {20, 40, 60, 80, 100});
    ExpectValues(GridValues(0, 100, 20, kGridNoMaximumLine, false), {0, 20, 40, 60, 80});
    ExpectValues(Sorted(GridValues(-1, 1, 0.5, 0, false)), {-1, -0.5, 0.5, 1});
    ExpectValues(Sorted(GridValues(-1, 1, 0.5, kGridNoMinimumLine | kGridNoMaximumLine, false)), {-0.5, 0.5});
}

TEST(LogarithmicAxis, GridAtEachMultipleAndLabelsAtDecades)
{
    const std::vector<double> grid = LogGridValues(0, 4);
    EXPECT_EQ(grid.size(), 4u * 9 + 1) << "1 to 9 in four decades, and 10^4";
    EXPECT_NEAR(grid[1], std::log10(2.0), 1e-12);
    EXPECT_EQ(LogLabelDecades(0, 4), (std::vector<int>{0, 1, 2, 3, 4}));
    EXPECT_EQ(LogLabelDecades(0.5, 2.5), (std::vector<int>{1, 2}));
    const std::vector<double> part = LogGridValues(std::log10(3.0), std::log10(2000.0));
    EXPECT_NEAR(part.front(), std::log10(3.0), 1e-12);
    EXPECT_NEAR(part.back(), std::log10(2000.0), 1e-12);
    EXPECT_TRUE(LogGridValues(0, 1e9).empty());
}

TEST(LabelPrecision, CountsTheDecimalsOfTheStep)
{
    EXPECT_EQ(LabelPrecision(20, 1), 0);
    EXPECT_EQ(LabelPrecision(0.5, 1), 1);
    EXPECT_EQ(LabelPrecision(0.25, 1), 2);
    EXPECT_EQ(LabelPrecision(2000, 1000), 0);
    EXPECT_EQ(LabelPrecision(0.0002, 0.001), 1);
    EXPECT_EQ(LabelPrecision(1.0 / 3, 1), 5) << "at most five";
}

TEST(AxisMapping, VerticalGrowsUpFromTheBottomHorizontalRightFromTheLeft)
{
    const AxisMapping vertical = MapAxis(0, 100, 10, 210, false, false);
    EXPECT_EQ(vertical.Pixel(0), 210);
    EXPECT_EQ(vertical.Pixel(100), 10);
    EXPECT_EQ(vertical.Pixel(50), 110);
    const AxisMapping down = MapAxis(0, 100, 10, 210, false, true);
    EXPECT_EQ(down.Pixel(0), 10);
    EXPECT_EQ(down.Pixel(100), 210);
    const AxisMapping horizontal = MapAxis(-4, 8, 40, 640, true, false);
    EXPECT_EQ(horizontal.Pixel(-4), 40);
    EXPECT_EQ(horizontal.Pixel(0), 240);
    EXPECT_EQ(horizontal.Pixel(8), 640);
    EXPECT_EQ(horizontal.Pixel(0.0999), 244) << "truncated, not rounded";
    const AxisMapping backwards = MapAxis(-4, 8, 40, 640, true, true);
    EXPECT_EQ(backwards.Pixel(-4), 640);
    // Far outside or not a number: far outside, never an overflow.
    EXPECT_GT(horizontal.Pixel(1e300), 100000);
    EXPECT_LT(horizontal.Pixel(-1e300), -100000);
    EXPECT_EQ(MapAxis(5, 5, 0, 100, true, false).Pixel(7), 0) << "an empty range maps to its origin";
}

TEST(UnitText, PutsThePrefixWhereTheMarkIs)
{
    EXPECT_EQ(UnitText(u"U/#V", 3), u"U/kV");
    EXPECT_EQ(UnitText(u"U/#V", 0), u"U/V");
    EXPECT_EQ(UnitText(u"t/#s", -6), u"t/\u00b5s");
    EXPECT_EQ(UnitText(u"f/#Hz", 6), u"f/MHz");
    EXPECT_EQ(UnitText(u"U/##V", 3), u"U/V") << "a doubled mark drops the prefix";
    EXPECT_EQ(UnitText(u"U/#V", 15), u"U/1E15 V");
    EXPECT_EQ(UnitText(u"Gain", 3), u"Gain [*1E3]");
    EXPECT_EQ(UnitText(u"Gain", 0), u"Gain");
    EXPECT_EQ(UnitText(u"", 0), u"");
    EXPECT_EQ(DivisorExponent(1000), 3);
    EXPECT_EQ(DivisorExponent(0.001), -3);
    EXPECT_EQ(DivisorExponent(1), 0);
}

}  // namespace

// The meters print values in engineering notation; a runtime whose log10 or
// pow misses an exact power of ten by an ulp must not shift the prefix or turn
// a full scale of 10 mA into 9.999 mA.
TEST(EngineeringNotation, ExactPowersOfTenKeepTheirExponentAndScaleExactly)
{
    for (int decade = -15; decade <= 15; ++decade) {
        const double v = decade < 0 ? 1.0 / ScaleToExponent(1.0, decade) : ScaleToExponent(1.0, -decade);
        const int expected = 3 * int(std::floor(decade / 3.0));
        EXPECT_EQ(EngineeringExponent(v), expected) << "1e" << decade;
        EXPECT_EQ(EngineeringExponent(-v), expected) << "-1e" << decade;
        const double normalised = ScaleToExponent(v, expected);
        EXPECT_TRUE(normalised >= 1.0 && normalised < 1000.0) << "1e" << decade << " gives " << normalised;
    }
    EXPECT_EQ(ScaleToExponent(0.1 / 10.0, -3), 10.0);
    EXPECT_EQ(FormatEngineering(0.01, u"A"), u"10 mA");
    EXPECT_EQ(FormatEngineering(1000.0, u"\u2126"), u"1 k\u2126");
    EXPECT_EQ(EngineeringExponent(999.9999), 0);
    EXPECT_EQ(EngineeringExponent(0.0), 0);
    EXPECT_EQ(EngineeringExponent(std::nan("")), 0);
}
