// The Bode plotter's arithmetic, on synthetic periods.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

#include "analysis/BodeMath.h"

namespace {

std::vector<int16_t> Period(size_t n, double fraction, double phaseDegrees)
{
    std::vector<int16_t> s(n);
    for (size_t k = 0; k < n; ++k) {
        const double theta = 2 * std::numbers::pi * static_cast<double>(k) / static_cast<double>(n);
        s[k] = static_cast<int16_t>(std::lround(32767.0 * fraction * std::sin(theta + phaseDegrees * std::numbers::pi / 180)));
    }
    return s;
}

TEST(BodeMath, GeneratorRangeFollowsTheAmplitudeThresholds)
{
    struct Case {
        double amplitude, offset;
        int32_t range, multiplier, inputB;
    };
    for (const Case& c : {Case{0.8, 0, 0, 10, 6}, Case{0.0, 0, 0, 10, 6}, Case{0.79, 0, 1, 100, 3},
                          Case{0.08, 0, 1, 100, 3}, Case{0.079, 0, 2, 1000, 1}, Case{0.5, 0.3, 0, 10, 6},
                          Case{0.05, -0.05, 1, 100, 3}}) {
        const BodeGeneratorSetup s = BodeGeneratorFor(c.amplitude, c.offset);
        EXPECT_EQ(s.outputRange, c.range) << c.amplitude << " + " << c.offset;
        EXPECT_EQ(s.multiplier, c.multiplier) << c.amplitude << " + " << c.offset;
        EXPECT_EQ(s.inputRangeB, c.inputB) << c.amplitude << " + " << c.offset;
    }
    EXPECT_EQ(BodeGeneratorFor(5.0, 0).sineAmplitude, 50);
    EXPECT_EQ(BodeGeneratorFor(0.0745, 0).sineAmplitude, 75) << "rounded half up";
    EXPECT_FALSE(BodeGeneratorFor(5.0, 0).formula);

    const BodeGeneratorSetup offset = BodeGeneratorFor(0.05, -0.05);
    EXPECT_TRUE(offset.formula);
    EXPECT_EQ(StringToUtf8(offset.formulaText), "0.05*SIN(X)+-0.05");
}

TEST(BodeMath, PhaseIsBroughtIntoOneTurn)
{
    EXPECT_DOUBLE_EQ(BodeWrapPhase(190), -170);
    EXPECT_DOUBLE_EQ(BodeWrapPhase(-190), 170);
    EXPECT_DOUBLE_EQ(BodeWrapPhase(180), 180);
    EXPECT_DOUBLE_EQ(BodeWrapPhase(-45), -45);
}

TEST(BodeMath, GainAndPhaseOfOneSyntheticPeriod)
{
    // A low-pass near its corner: A at 0.7 of B, 45° behind.
    const auto b = Period(1000, 0.8, 0);
    const auto a = Period(1000, 0.8 * 0.7, -45);
    const BodeMeasurement m = BodeEvaluate(a, b, 5.0, 5.0);
    EXPECT_NEAR(m.gain, 0.7, 1e-3);
    EXPECT_NEAR(m.phase, -45.0, 0.05);
    EXPECT_NEAR(m.rmsA, 0.8 * 0.7 * 5.0 / std::sqrt(2.0), 1e-3);
    EXPECT_FALSE(m.overflow);

    // Ranges differ: amplitudes are compared in volts.
    const BodeMeasurement ranged = BodeEvaluate(Period(500, 0.5, 170), Period(500, 0.5, -20), 1.0, 10.0);
    EXPECT_NEAR(ranged.gain, 0.1, 1e-3);
    EXPECT_NEAR(ranged.phase, -170.0, 0.1) << "190° ahead is 170° behind";
}

TEST(BodeMath, OverflowAndEmptyRecords)
{
    auto a = Period(100, 0.5, 0);
    a[60] = 32700;
    EXPECT_TRUE(BodeEvaluate(a, Period(100, 0.5, 0), 1, 1).overflow);
    auto b = Period(100, 0.5, 0);
    b[10] = -32700;
    EXPECT_TRUE(BodeEvaluate(Period(100, 0.5, 0), b, 1, 1).overflow);
    EXPECT_FALSE(BodeEvaluate(Period(100, 0.99, 0), Period(100, 0.99, 0), 1, 1).overflow);

    const BodeMeasurement none = BodeEvaluate({}, {}, 1, 1);
    EXPECT_EQ(none.gain, 0.0);
    const std::vector<int16_t> silent(50, 0);
    EXPECT_EQ(BodeEvaluate(Period(50, 0.5, 0), silent, 1, 1).gain, 0.0) << "no input, no gain";
}

}  // namespace
