// The spectrum analyzer's arithmetic and its stored record.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "../framework/ArchiveTestUtil.h"
#include "analysis/Spectrum.h"

namespace {

double Period(int level, uint16_t divider)
{
    return level == 3 ? divider * 5e-9 : level == 2 ? std::max<uint16_t>(divider, 1) * 1.25e-8 : (divider + 1) * 3.125e-8;
}

std::vector<int16_t> Samples(size_t n, double (*f)(double phase), double cycles, double fraction)
{
    std::vector<int16_t> s(n);
    for (size_t i = 0; i < n; ++i)
        s[i] = static_cast<int16_t>(std::lround(32767.0 * fraction * f(cycles * static_cast<double>(i) / n)));
    return s;
}

double Sine(double phase) { return std::sin(2 * std::numbers::pi * phase); }
double Square(double phase) { return phase - std::floor(phase) < 0.5 ? 1.0 : -1.0; }

TEST(Spectrum, RecordListShowsEachRowsResolution)
{
    EXPECT_EQ(SpectrumRecordTable(2)[4].divider, 8);  // rows of levels 1 and 3: their bytes in SpectrumAcquisitionStep
    // Level 3: 5 µs a sample over 4000 intervals is 50 Hz; 10 ns over 2000 is 50 kHz.
    const std::string list = StringToUtf8(SpectrumRecordList(3, Period));
    EXPECT_EQ(list.substr(0, 14), "Select;50 Hz;1");
    EXPECT_EQ(list.substr(list.rfind(';') + 1), "50 kHz");
    EXPECT_EQ(std::count(list.begin(), list.end(), ';'), 7);
    EXPECT_DOUBLE_EQ(SpectrumBinWidth(2001, 1e-4), 5.0);
    EXPECT_EQ(SpectrumBinWidth(1, 1e-4), 0.0);
}

TEST(Spectrum, ConstantRecordIsItsMeanInTheFirstBin)
{
    std::unique_ptr<CSpectrumTransform> transform;
    CSpectrumRecord record;
    const std::vector<int16_t> ones(4001, 32767);  // 1 V at a full scale of 1 V
    ASSERT_TRUE(ComputeSpectrum(ones, 1.0, 5e-6, transform, record));
    ASSERT_EQ(record.amplitudes.size(), 2000u);
    EXPECT_NEAR(record.amplitudes[0], 1.0, 1e-9);
    for (size_t k = 1; k < record.amplitudes.size(); ++k)
        ASSERT_NEAR(record.amplitudes[k], 0.0, 1e-9) << k;
    EXPECT_DOUBLE_EQ(record.binWidth, 50.0);

    ASSERT_TRUE(ComputeSpectrum(std::vector<int16_t>(2001, -16384), 2.0, 5e-6, transform, record));
    EXPECT_EQ(record.amplitudes.size(), 1000u) << "a new size gets its own tables";
    EXPECT_NEAR(record.amplitudes[0], 1.0, 1e-4) << "the mean's size, whatever its sign";
}

TEST(Spectrum, PeriodicSineGivesItsPeakInOneBin)
{
    for (size_t n : {2000u, 4001u}) {
        std::unique_ptr<CSpectrumTransform> transform;
        CSpectrumRecord record;
        ASSERT_TRUE(ComputeSpectrum(Samples(n, Sine, 10, 0.5), 10.0, 1e-6, transform, record));
        EXPECT_NEAR(record.amplitudes[10], 5.0, 1e-3) << n;
        double others = 0.0;
        for (size_t k = 0; k < record.amplitudes.size(); ++k)
            if (k != 10)
                others = std::max(others, record.amplitudes[k]);
        EXPECT_LT(others, 1e-3) << n;
    }
}

TEST(Spectrum, SquareWaveHasOddHarmonicsOfFourOverPiK)
{
    std::unique_ptr<CSpectrumTransform> transform;
    CSpectrumRecord record;
    // 40 periods of 100 samples, 1 V peak.
    ASSERT_TRUE(ComputeSpectrum(Samples(4000, Square, 40, 1.0), 1.0, 1e-5, transform, record));
    for (int k : {1, 3, 5, 7}) {
        const double expected = 4.0 / (std::numbers::pi * k);
        EXPECT_NEAR(record.amplitudes[size_t(40 * k)], expected, 0.05 * expected) << "harmonic " << k;
    }
    for (int k : {2, 4, 6})
        EXPECT_LT(record.amplitudes[size_t(40 * k)], 0.01) << "even harmonic " << k;
}

TEST(Spectrum, OverflowAtTheConvertersLimit)
{
    const int16_t quiet[] = {0, 32759, -32759};
    EXPECT_FALSE(SpectrumOverflow(quiet));
    const int16_t high[] = {0, 0x7FF8};
    const int16_t low[] = {-0x7FF8, 0};
    EXPECT_TRUE(SpectrumOverflow(high));
    EXPECT_TRUE(SpectrumOverflow(low));
}

TEST(Spectrum, NoSpectrumLeavesTheRecordAsItWas)
{
    std::unique_ptr<CSpectrumTransform> transform;
    CSpectrumRecord record{12.5, {1.0, 2.0}};
    EXPECT_FALSE(ComputeSpectrum(std::vector<int16_t>(1, 5), 1.0, 1e-6, transform, record));
    EXPECT_FALSE(ComputeSpectrum({}, 1.0, 1e-6, transform, record));
    EXPECT_EQ(record.amplitudes.size(), 2u);
    EXPECT_EQ(record.binWidth, 12.5);

    CSpectrumTransform none(1);
    std::vector<double> out{7.0};
    const double input[] = {1.0};
    EXPECT_FALSE(none.Valid());
    EXPECT_FALSE(none.Compute(input, out));
    CSpectrumTransform sized(8);
    const double wrong[] = {1.0, 2.0};
    EXPECT_FALSE(sized.Compute(wrong, out)) << "input of another size";
    EXPECT_EQ(out, std::vector<double>{7.0});
}

TEST(Spectrum, RecordArchiveAndItsDamage)
{
    CSpectrumRecord stored{2.5, {0.5, 1.25, -0.0}};
    const Bytes bytes = StoreBytes([&](CArchive& ar) { stored.Serialize(ar); });
    CSpectrumRecord loaded;
    LoadBytes(bytes, [&](CArchive& ar) { loaded.Serialize(ar); });
    EXPECT_EQ(loaded.binWidth, 2.5);
    EXPECT_EQ(loaded.amplitudes, stored.amplitudes);

    CSpectrumRecord kept{1.0, {3.0}};
    const Bytes huge = StoreBytes([](CArchive& ar) { ar << uint32_t(1) << 1.0 << int32_t(1 << 30); });
    EXPECT_THROW(LoadBytes(huge, [&](CArchive& ar) { kept.Serialize(ar); }), CArchiveException);
    Bytes cut = bytes;
    cut.resize(cut.size() - 4);
    EXPECT_THROW(LoadBytes(cut, [&](CArchive& ar) { kept.Serialize(ar); }), CArchiveException);
    Bytes other = bytes;
    other[0] = 2;
    EXPECT_THROW(LoadBytes(other, [&](CArchive& ar) { kept.Serialize(ar); }), CArchiveException);
    EXPECT_EQ(kept.amplitudes, std::vector<double>{3.0});
}

}  // namespace
