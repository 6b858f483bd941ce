// The Bode plotter's sweep: its bytes, and whole sweeps against a small box
// that answers with synthetic sine records.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <map>
#include <numbers>
#include <utility>
#include <vector>

#include "../units/UnitTestSupport.h"
#include "analysis/BodeSweep.h"

namespace {

// One period of n raw samples, as the box sends them: bytes at level 1, words above.
Bytes Sine(int level, int32_t n, double amplitude, double phaseDegrees = 0)
{
    Bytes b;
    for (int32_t k = 0; k < n; ++k) {
        const auto v = static_cast<int32_t>(
            std::lround(amplitude * std::sin(2 * std::numbers::pi * k / n + phaseDegrees * std::numbers::pi / 180)));
        if (level == 1)
            b.push_back(static_cast<uint8_t>(v));
        else
            PutWord(b, v);
    }
    return b;
}

// Nothing left to send, and the generator's class-wide settings at sine, range 0, amplitude 0.
void Settle(CScope& scope, CFuncGen& generator)
{
    CStreamIO* stream = scope.Stream();
    CStreamNUL nul;
    scope.SetStream(&nul);
    generator.SetStream(&nul);
    generator.SetWaveform(CBodeSweep::kSineWaveform);
    generator.SetOutputRange(0);
    generator.SetAmplitude(0);
    generator.Flush();
    scope.Flush();
    scope.SetStream(stream);
    generator.SetStream(stream);
}

// Channel B a sine of 5 V, channel A times the response's gain and shifted by
// its phase (both may change with each measurement started), each in the
// range the channel word last set. Command `failOn` throws from its
// `failAfter`-th time on.
struct FakeBox : CStreamNUL {
    explicit FakeBox(int level) : level(level) {}

    int level;
    std::function<std::pair<double, double>(int started)> response = [](int) { return std::pair{0.5, -45.0}; };
    uint8_t failOn = 0;
    int failAfter = 0;
    std::vector<uint8_t> commands;
    std::vector<std::pair<bool, double>> setUps;  // low frequency, frequency made [Hz]
    std::vector<int> rangesA;
    int starts = 0, rangeA = 8, rangeB = 8;
    uint32_t samples = 0;
    Bytes in, out;

    int Count(uint8_t c) const { return static_cast<int>(std::count(commands.begin(), commands.end(), c)); }
    bool IsConnected() override { return true; }
    void Read(void* buffer, uint32_t count) override
    {
        if (out.size() < count)
            throw CStreamException(kStreamNetworkReadFailed);
        std::copy_n(out.begin(), count, static_cast<uint8_t*>(buffer));
        out.erase(out.begin(), out.begin() + count);
    }
    void Write(const void* buffer, uint32_t count) override
    {
        static const std::map<uint8_t, size_t> params = {{0xC3, 1}, {0xC6, 1}, {0xD9, 2}, {0xDC, 3},
                                                         {0xD4, 7}, {0x90, 9}, {0x96, 12}};
        in.insert(in.end(), static_cast<const uint8_t*>(buffer), static_cast<const uint8_t*>(buffer) + count);
        while (!in.empty()) {
            const auto found = params.find(in[0]);
            const size_t size = 1 + (found == params.end() ? 0 : found->second);
            if (in.size() < size)
                return;
            const Bytes c(in.begin(), in.begin() + static_cast<ptrdiff_t>(size));
            in.erase(in.begin(), in.begin() + static_cast<ptrdiff_t>(size));
            commands.push_back(c[0]);
            if (c[0] == failOn && Count(failOn) >= failAfter)
                throw CStreamException(kStreamNetworkReadFailed);
            Answer(c);
        }
    }
    void Answer(const Bytes& c)
    {
        auto word = [&](size_t at) { return static_cast<double>(c[at] << 8 | c[at + 1]); };
        if (c[0] == 0xD9) {
            rangeB = c[1] & 0x7F;
            rangesA.push_back(rangeA = c[2] & 0x7F);
        } else if (c[0] == 0x90 || c[0] == 0x96) {
            const size_t at = c[0] == 0x90 ? 3 : 6;
            const double a = word(at), b = word(at + 2), clock = level == 1 ? 3.2e7 : level == 2 ? 8e7 : 2e8;
            const double f = c[1] ? 1 / (a * b * 1e-4) : level == 1 ? clock / (c[2] ? a + a / c[2] : a) / (b + 1) : clock / (a * b);
            setUps.emplace_back(c[1] != 0, f);
            samples = static_cast<uint32_t>(c[1] ? b : a);
        } else if (c[0] == 0xD4 || c[0] == 0xDC) {
            const int channel = c.back() == 1 ? 0 : 1;
            EXPECT_EQ(word(c[0] == 0xD4 ? 3 : 1), samples) << "one period is read";
            const auto [gain, phase] = response(starts);
            const double top = level == 1 ? 127 : 511, volts = channel ? 5.0 : 5.0 * gain;
            const double raw = std::min(top, volts / CMeasureBase::RangeRow(channel ? rangeB : rangeA).fullScale * top);
            const Bytes record = Sine(level, static_cast<int32_t>(samples), raw, channel ? 0 : phase);
            out.insert(out.end(), record.begin(), record.end());
            return;
        }
        starts += c[0] == 0x91;
        if (c[0] != 0xD3)
            out.push_back(c[0] == 0x93 ? 3 : kAcknowledge);
    }
};

struct BoxRig {
    explicit BoxRig(uint8_t level)
        : face(level), box(level), scope(&box, &face.face), generator(&box, &face.face), sweep(scope, generator, sets)
    {
        Settle(scope, generator);
    }
    // Steps 10 ms apart until the sweep ends.
    void Run(int limit = 100000)
    {
        for (int i = 0; i < limit && sweep.Status().running; ++i)
            sweep.Step(now += 10);
    }
    std::vector<double> Frequencies(int set = 0) const
    {
        const CBodeData data = sets.GetSet(set).value_or(CBodeData(0));
        return {data.Frequency().begin(), data.Frequency().end()};
    }

    ScriptedInterface face;
    FakeBox box;
    CScope scope;
    CFuncGen generator;
    CBodeSets sets;
    CBodeSweep sweep;
    uint32_t now = 0;
};

BodeSettings Sweep(double start, double stop, int32_t points, bool logarithmic)
{
    BodeSettings s;
    s.start = start;
    s.stop = stop;
    s.points = points;
    s.logarithmic = logarithmic;
    s.amplitude = 50;
    s.rangeA = 6;
    return s;
}

// The dividers at 0.5 Hz and 1 kHz are checked in the bytes BodeSweepBytes sends.
TEST(BodeQuantise, LowFrequencyStepsBelowOneHertzUpToTheSixteenBitStep)
{
    EXPECT_EQ(BodeQuantise(3, 2e8, kBodeLowestFrequency).first, 65535) << "the 16-bit step at its largest";
    EXPECT_FALSE(BodeQuantise(3, 2e8, 1.0).lowFrequency);
}

TEST(BodeSettingsBounds, EachBoundHasItsMessageAndARefusedStartSendsNothing)
{
    const std::pair<std::function<void(BodeSettings&)>, uint32_t> cases[] = {
        {[](BodeSettings&) {}, 0},
        {[](BodeSettings& s) { s.start = 20000; }, kBodeStartOutOfBounds},
        {[](BodeSettings& s) { s.start = 0.00009; }, kBodeStartOutOfBounds},
        {[](BodeSettings& s) { s.stop = 1.1e6; }, kBodeStopTooHigh},
        {[](BodeSettings& s) { s.points = 1001; }, kBodePointsOutOfBounds},
        {[](BodeSettings& s) { s.averages = 0; }, kBodeAveragesOutOfBounds},
        {[](BodeSettings& s) { s.settlingMs = 9001; }, kBodeGeneratorOutOfBounds},
    };
    for (const auto& [change, id] : cases) {
        BodeSettings s = Sweep(10, 10000, 50, true);
        change(s);
        EXPECT_EQ(BodeValidate(s, 2), id);
    }
    EXPECT_EQ(BodeValidate(Sweep(5e6, 5e6, 2, true), 3), 0u) << "level 3 goes to 5 MHz";
    BoxRig rig(2);
    EXPECT_EQ(rig.sweep.Start(Sweep(10, 2e6, 5, true)), kBodeStopTooHigh);
    EXPECT_TRUE(rig.box.commands.empty());
    EXPECT_EQ(rig.sets.SetCount(), 0);
}

TEST(BodeSweepBytes, OnePointAtEachLevelAndAtLowFrequency)
{
    struct Case {
        uint8_t level;
        double hertz;
        Bytes setUp, readA, readB;
        int32_t samples;
        double produced;
        Bytes rolling, rollingReply;  // low frequency: samples arrived meanwhile
    };
    // 0.5 Hz: step trunc(9.766 / 0.5 + 0.5) = 20; N = trunc((0.5 - 0.48828) / 0.002 + 0.5) + 1024 = 1030.
    // 1 kHz on level 1: A = 4096, B = 6, C = 9, and N = A.
    const double low = 1 / (1030 * 20 * 1e-4);
    const Case cases[] = {
        {1, 1000, {0x90, 0, 0x09, 0x10, 0, 0, 0x06, 0, 0x06, 0}, {0xD4, 0x10, 0, 0x10, 0, 0, 1, 1},
         {0xD4, 0x10, 0, 0x10, 0, 0, 1, 2}, 4096, 3.2e7 / (4096 + 4096 / 9.0) / 7, {}, {}},
        {2, 1000, {0x96, 0, 0, 0, 0x27, 0x10, 0x03, 0x20, 0, 0x64, 0, 0x64, 1}, {0xDC, 0x03, 0x20, 1},
         {0xDC, 0x03, 0x20, 2}, 800, 1000, {}, {}},
        {3, 1000, {0x96, 0, 0, 0, 0x27, 0x10, 0x03, 0x20, 0, 0xFA, 0, 0xFA, 1}, {0xDC, 0x03, 0x20, 1},
         {0xDC, 0x03, 0x20, 2}, 800, 1000, {}, {}},
        {1, 0.5, {0x90, 1, 0, 0, 0x14, 0x04, 0x06, 0x04, 0x06, 0}, {0xD4, 0x1B, 0xFA, 0x04, 0x06, 0, 1, 1},
         {0xD4, 0x1B, 0xFA, 0x04, 0x06, 0, 1, 2}, 1030, low, {0xDA}, {0, 2, 0x10, 0x20, 0x11, 0x21}},
        {2, 0.5, {0x96, 1, 0, 0, 0, 0x05, 0, 0x14, 0x04, 0x06, 0x04, 0x06, 1}, {0xDC, 0x04, 0x06, 1},
         {0xDC, 0x04, 0x06, 2}, 1030, low, {0xDD}, {0, 2, 0, 0x10, 0, 0x20, 0, 0x11, 0, 0x21}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "level " << int(c.level) << " at " << c.hertz << " Hz");
        ScriptedInterface face(c.level);
        ScriptedStream& s = *face.stream;
        CScope scope(&s, &face.face);
        CFuncGen generator(&s, &face.face);
        Settle(scope, generator);
        CBodeSets sets;
        CBodeSweep sweep(scope, generator, sets);

        s.ExpectWrite({0xC1}).Reply({'!'});
        ASSERT_EQ(sweep.Start(Sweep(c.hertz, c.hertz, 2, false)), 0u);
        // 5 V: the first range at 50 %, output on, channel B in 10 V like A.
        s.ExpectWrite({0xC3, 0x7F}).Reply({'!'}).ExpectWrite({0xC0}).Reply({'!'});
        s.ExpectWrite({0xD9, 0x06, 0x06}).Reply({'!'});
        EXPECT_TRUE(sweep.Step(0));
        EXPECT_FALSE(sweep.Step(499)) << "the generator settles";
        s.ExpectWrite({0xD3}).ExpectWrite(c.setUp).Reply({'!'});
        EXPECT_TRUE(sweep.Step(500));
        s.ExpectWrite({0x91}).Reply({'!'});
        EXPECT_TRUE(sweep.Step(510));
        s.ExpectWrite({0x93}).Reply({1});
        if (!c.rolling.empty())
            s.ExpectWrite(c.rolling).Reply(c.rollingReply);
        EXPECT_EQ(sweep.Step(520), !c.rolling.empty()) << "only arriving samples are news";
        EXPECT_EQ(sweep.Status().received, c.rolling.empty() ? 0 : 2);

        // A at half of B and 45° behind it.
        const double full = c.level == 1 ? 100 : 400;
        s.ExpectWrite({0x93}).Reply({3});
        s.ExpectWrite(c.readA).Reply(Sine(c.level, c.samples, full / 2, -45));
        s.ExpectWrite(c.readB).Reply(Sine(c.level, c.samples, full));
        EXPECT_TRUE(sweep.Step(530));
        if (c.rolling.empty())
            EXPECT_TRUE(sweep.Step(540));  // the stop frequency is measured already
        else
            sweep.Stop();  // at low frequency the same request quantises higher once more
        s.ExpectWrite({0x92}).Reply({'!'});
        EXPECT_TRUE(sweep.Step(550));
        s.ExpectDone();

        const auto batches = s.Batches();
        EXPECT_NE(std::find(batches.begin(), batches.end(), c.setUp), batches.end()) << "the set-up is one batch";
        EXPECT_FALSE(sweep.Status().running);
        EXPECT_FALSE(sweep.Status().last.overflow);
        const CBodeData set = *sets.GetSet(0);
        ASSERT_EQ(set.Count(), 1);
        EXPECT_DOUBLE_EQ(set.Frequency()[0], c.produced);
        EXPECT_NEAR(set.Gain()[0], 0.5, 0.01);
        EXPECT_NEAR(set.Phase()[0], -45, 0.5);
        EXPECT_FALSE(sweep.Step(560)) << "an ended sweep does nothing";
    }
}

TEST(BodeSweepSteps, LogarithmicSweepMeasuresEachQuantisedFrequencyOnce)
{
    BoxRig rig(2);
    ASSERT_EQ(rig.sweep.Start(Sweep(0.5, 2.0, 200, true)), 0u);
    rig.Run();
    // The requests quantised, each kept only when above the last one kept.
    std::vector<double> expected;
    for (int i = 0; i < 200; ++i) {
        const double f = BodeQuantise(2, 8e7, 0.5 * std::pow(10.0, std::log10(2.0 / 0.5) * i / 199)).frequency;
        if (expected.empty() || f > expected.back())
            expected.push_back(f);
    }
    const std::vector<double> measured = rig.Frequencies();
    EXPECT_EQ(measured, expected);
    EXPECT_LT(measured.size(), 150u) << "low frequencies merge";
    EXPECT_DOUBLE_EQ(measured.back(), 2.0);
    ASSERT_EQ(rig.box.setUps.size(), measured.size()) << "one set-up per point";
    for (size_t i = 0; i < measured.size(); ++i)
        EXPECT_NEAR(rig.box.setUps[i].second, measured[i], 1e-9);
    EXPECT_TRUE(rig.box.setUps.front().first);
    EXPECT_FALSE(rig.box.setUps.back().first);
}

TEST(BodeSweepSteps, LinearSweepStepsFromTheFrequencyProduced)
{
    BoxRig two(2);
    ASSERT_EQ(two.sweep.Start(Sweep(100, 1000, 2, false)), 0u);
    two.Run();
    EXPECT_EQ(two.Frequencies(), (std::vector<double>{100, 1000}));

    // Level 1's dividers make a little more than 1 kHz: past the stop.
    BoxRig level1(1);
    ASSERT_GT(BodeQuantise(1, 3.2e7, BodeQuantise(1, 3.2e7, 500).frequency + 500).frequency, 1000);
    ASSERT_EQ(level1.sweep.Start(Sweep(500, 1000, 2, false)), 0u);
    level1.Run();
    EXPECT_EQ(level1.Frequencies().size(), 1u);

    // 3000 Hz comes out as 3000.8; the drift carries the fifth point (5008 Hz) past the stop.
    BoxRig five(3);
    ASSERT_EQ(five.sweep.Start(Sweep(1000, 5000, 5, false)), 0u);
    five.Run();
    const std::vector<double> f = five.Frequencies();
    ASSERT_EQ(f.size(), 4u);
    EXPECT_NEAR(f[2], 3000.795, 0.001);
    EXPECT_NEAR(f[3], 4002.241, 0.001);

    // 1 Hz steps on level 1, whose dividers come within 1 %: most requests
    // make the frequency just measured, and the sweep goes on past them.
    BoxRig fine(1);
    ASSERT_EQ(fine.sweep.Start(Sweep(1000, 1100, 101, false)), 0u);
    fine.Run(20000);
    EXPECT_FALSE(fine.sweep.Status().running);
    const std::vector<double> skipped = fine.Frequencies();
    EXPECT_TRUE(std::adjacent_find(skipped.begin(), skipped.end(), std::greater_equal<>()) == skipped.end());
    EXPECT_GT(skipped.back(), 1100 * 0.98);
    EXPECT_LE(skipped.back(), 1100);
}

TEST(BodeSweepSteps, AveragesAndAutorange)
{
    BoxRig rig(3);
    rig.box.response = [](int n) { return std::pair{0.3 + 0.02 * n, -40.0 - n}; };
    BodeSettings settings = Sweep(1000, 1000, 2, false);
    settings.averages = 10;
    ASSERT_EQ(rig.sweep.Start(settings), 0u);
    rig.Run();
    EXPECT_EQ(rig.box.starts, 10);
    EXPECT_EQ(rig.box.setUps.size(), 1u);
    const CBodeData set = *rig.sets.GetSet(0);
    ASSERT_EQ(set.Count(), 1);
    EXPECT_NEAR(set.Gain()[0], 0.41, 0.003) << "gains 0.32 to 0.50";
    EXPECT_NEAR(set.Phase()[0], -45.5, 0.3) << "phases -41 to -50";

    // A at 0.5 V is below 30 % of 10, 5 and 2 V: measured again in each until 1 V.
    BoxRig autorange(2);
    autorange.box.response = [](int) { return std::pair{0.1, -30.0}; };
    settings.averages = 1;
    settings.autorange = true;
    ASSERT_EQ(autorange.sweep.Start(settings), 0u);
    autorange.Run();
    EXPECT_EQ(autorange.box.rangesA, (std::vector<int>{6, 5, 4, 3}));
    EXPECT_EQ(autorange.box.starts, 4);
    EXPECT_EQ(autorange.box.setUps.size(), 1u) << "at the same frequency";
    EXPECT_NEAR(autorange.sets.GetSet(0)->Gain()[0], 0.1, 0.002);
}

TEST(BodeSweepSteps, WaitsDoNotBlockAndSurviveTheTickWrap)
{
    BoxRig rig(2);
    BodeSettings settings = Sweep(1000, 1000, 2, false);
    settings.settlingMs = 300;
    ASSERT_EQ(rig.sweep.Start(settings), 0u);
    rig.sweep.Step(0xFFFFFF00u);
    EXPECT_FALSE(rig.sweep.Step(0x10));
    EXPECT_TRUE(rig.box.setUps.empty());
    EXPECT_TRUE(rig.sweep.Step(0xF4));  // 500 ms on
    EXPECT_EQ(rig.box.setUps.size(), 1u);
    EXPECT_FALSE(rig.sweep.Step(0xF4 + 299));
    EXPECT_TRUE(rig.sweep.Step(0xF4 + 300));
    EXPECT_EQ(rig.box.starts, 0);
    rig.sweep.Step(0xF4 + 300);
    EXPECT_EQ(rig.box.starts, 1);
}

TEST(BodeSweepSteps, StopOrStreamFaultKeepsThePointsMeasured)
{
    BoxRig rig(3);
    rig.box.response = [](int n) { return std::pair{n == 1 ? 2.0 : 0.5, 0.0}; };  // the first clips
    ASSERT_EQ(rig.sweep.Start(Sweep(100, 10000, 10, true)), 0u);
    while (rig.Frequencies().size() < 3) {
        rig.sweep.Step(rig.now += 10);
        EXPECT_TRUE(rig.Frequencies().size() != 1 || rig.sweep.Status().last.overflow);
    }
    EXPECT_FALSE(rig.sweep.Status().last.overflow);
    rig.sweep.Stop();
    rig.sweep.Step(rig.now);
    EXPECT_EQ(rig.box.Count(0x92), 1);
    EXPECT_FALSE(rig.sweep.Status().running);
    EXPECT_FALSE(rig.sweep.Step(rig.now + 10));
    EXPECT_EQ(rig.Frequencies().size(), 3u);

    // A fault during the next sweep's third point reaches the caller.
    rig.box.failOn = 0x93;
    rig.box.failAfter = rig.box.Count(0x93) + 3;
    ASSERT_EQ(rig.sweep.Start(Sweep(100, 10000, 10, true)), 0u);
    EXPECT_THROW(rig.Run(), CStreamException);
    EXPECT_FALSE(rig.sweep.Status().running);
    EXPECT_EQ(rig.Frequencies(0).size(), 3u);
    EXPECT_EQ(rig.Frequencies(1).size(), 2u);
}

}  // namespace
