// The Bode plotter's sweep: the bytes it sends at each variant level and at
// low frequency, the quantisation of a frequency, the bounds of the
// settings, and whole sweeps against a small box that answers every command
// with synthetic sine records (linear and logarithmic steps, averages,
// autorange, the waits, stopping and stream faults).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <numbers>
#include <utility>
#include <vector>

#include "../units/UnitTestSupport.h"
#include "analysis/BodeSweep.h"

namespace {

constexpr double kPi = std::numbers::pi;

// One period of n raw samples: amplitude × sin(2πk/n + phase).
std::vector<int32_t> SinePeriod(int32_t n, double amplitude, double phaseDegrees)
{
    std::vector<int32_t> raw(static_cast<size_t>(n));
    for (int32_t k = 0; k < n; ++k)
        raw[static_cast<size_t>(k)] =
            static_cast<int32_t>(std::lround(amplitude * std::sin(2 * kPi * k / n + phaseDegrees * kPi / 180)));
    return raw;
}

// Samples as the box sends them: bytes at level 1, big-endian words above.
Bytes Encode(int level, const std::vector<int32_t>& raw)
{
    Bytes b;
    for (int32_t v : raw) {
        if (level == 1)
            b.push_back(static_cast<uint8_t>(v));
        else
            PutWord(b, v);
    }
    return b;
}

// Generator and scope with nothing left to send and the generator's
// class-wide settings at their start (sine, range 0, amplitude 0).
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

// A box that answers the generator, scope and Bode commands. Channel B is a
// sine of peakB volts, channel A that sine times the response's gain and
// shifted by its phase; the response may change with each measurement
// started. Samples are converted in the ranges the channel word last set.
class FakeBodeBox : public CStreamIO {
public:
    struct SetUp {
        bool lowFrequency;
        double frequency;  // what the box makes of the parameters [Hz]
        uint32_t samples;
    };
    using Response = std::function<std::pair<double, double>(int measurement)>;  // gain, phase [°]

    explicit FakeBodeBox(int level) : m_level(level) {}

    double peakB = 5.0;
    Response response = [](int) { return std::pair{0.5, -45.0}; };
    std::vector<uint8_t> statuses;   // answers to 0x93 before the record is complete
    uint8_t failCommand = 0;         // this command byte throws, from its failAfter-th time on
    int failAfter = 0;
    std::vector<Bytes> commands;     // every command with its parameters
    std::vector<SetUp> setUps;
    int starts = 0;
    int rangeA = 8, rangeB = 8;

    int Count(uint8_t command) const
    {
        return static_cast<int>(std::count_if(commands.begin(), commands.end(),
                                              [&](const Bytes& c) { return c[0] == command; }));
    }
    std::vector<int> RangesASent() const
    {
        std::vector<int> ranges;
        for (const Bytes& c : commands)
            if (c[0] == 0xD9)
                ranges.push_back(c[2] & 0x7F);
        return ranges;
    }

    bool Open() override { return true; }
    void Close() override {}
    bool IsConnected() override { return true; }
    void PurgeInput() override { m_out.clear(); }
    uint32_t GetInputCount() override { return 0; }
    void BeginBlock() override {}
    void EndBlock() override {}
    bool ResetDevice() override { return true; }

    void Read(void* buffer, uint32_t count) override
    {
        if (m_out.size() < count) {
            ADD_FAILURE() << "read of " << count << " bytes, " << m_out.size() << " waiting";
            throw CStreamException(kStreamNetworkReadFailed);
        }
        std::copy_n(m_out.begin(), count, static_cast<uint8_t*>(buffer));
        m_out.erase(m_out.begin(), m_out.begin() + count);
    }

    void Write(const void* buffer, uint32_t count) override
    {
        const auto* bytes = static_cast<const uint8_t*>(buffer);
        m_in.insert(m_in.end(), bytes, bytes + count);
        while (TakeCommand()) {
        }
    }

private:
    static int ParameterCount(uint8_t c)
    {
        switch (c) {
        case 0xC2: return 5;
        case 0xC3: case 0xC4: case 0xC6: case 0xC9: case 0xD1: return 1;
        case 0xC5: case 0xCB: case 0xD9: return 2;
        case 0xCA: return 4;
        case 0xD0: case 0xDC: return 3;
        case 0xD4: return 7;
        case 0xD8: case 0xDB: return 5;
        case 0xDE: return 15;
        case 0x90: return 9;
        case 0x96: return 12;
        default: return 0;
        }
    }

    bool TakeCommand()
    {
        if (m_samplesDue > 0) {  // an arbitrary waveform's samples
            const size_t take = std::min(m_samplesDue, m_in.size());
            m_in.erase(m_in.begin(), m_in.begin() + static_cast<std::ptrdiff_t>(take));
            m_samplesDue -= take;
            if (m_samplesDue == 0)
                m_out.push_back(kAcknowledge);
            return take > 0;
        }
        if (m_in.empty() || m_in.size() < 1u + ParameterCount(m_in[0]))
            return false;
        const Bytes command(m_in.begin(), m_in.begin() + 1 + ParameterCount(m_in[0]));
        m_in.erase(m_in.begin(), m_in.begin() + static_cast<std::ptrdiff_t>(command.size()));
        commands.push_back(command);
        if (command[0] == failCommand && Count(failCommand) >= failAfter)
            throw CStreamException(kStreamNetworkReadFailed);
        Answer(command);
        return true;
    }

    void Answer(const Bytes& c)
    {
        const uint8_t* p = c.data() + 1;
        auto word = [](const uint8_t* at) { return static_cast<uint16_t>(at[0] << 8 | at[1]); };
        switch (c[0]) {
        case 0xC5: case 0xCB:
            m_out.push_back(kAcknowledge);
            m_samplesDue = size_t{word(p)} * (c[0] == 0xCB ? 2 : 1);
            return;
        case 0xD1: case 0xD3: return;
        case 0xD5: m_out.push_back(0); return;
        case 0xD9:
            rangeB = p[0] & 0x7F;
            rangeA = p[1] & 0x7F;
            break;
        case 0xDA: case 0xDD: m_out.insert(m_out.end(), {0, 0}); return;
        case 0xD4: Record(p[6] == 1 ? 0 : 1, word(p + 2)); return;
        case 0xDC: Record(p[2] == 1 ? 0 : 1, word(p)); return;
        case 0x90: case 0x96: {
            const bool low = p[0] != 0;
            const uint8_t* dividers = p + (c[0] == 0x90 ? 2 : 5);
            const double a = word(dividers), b = word(dividers + 2);
            EXPECT_EQ(word(dividers + 2), word(dividers + 4)) << "the second parameter goes twice";
            const double clock = m_level == 1 ? 3.2e7 : m_level == 2 ? 8e7 : 2e8;
            double f = low ? 1 / (a * b * 1e-4) : clock / (a * b);
            if (!low && c[0] == 0x90)
                f = clock / (p[1] ? a + a / p[1] : a) / (b + 1);
            setUps.push_back({low, f, static_cast<uint32_t>(low ? b : a)});
            m_status = 0;
            break;
        }
        case 0x91:
            ++starts;
            m_status = 0;
            break;
        case 0x93: {
            const uint8_t status = m_status < statuses.size() ? statuses[m_status] : 3;
            ++m_status;
            m_out.push_back(status);
            return;
        }
        default: break;
        }
        m_out.push_back(kAcknowledge);
    }

    void Record(int channel, uint16_t count)
    {
        const uint32_t n = setUps.empty() ? 0 : setUps.back().samples;
        EXPECT_EQ(count, n) << "one period is read";
        const auto [gain, phase] = response(starts);
        const double fullRaw = m_level == 1 ? 127 : 511;
        const int range = channel == 0 ? rangeA : rangeB;
        const double volts = channel == 0 ? gain * peakB : peakB;
        std::vector<int32_t> raw =
            SinePeriod(count, volts / CMeasureBase::RangeRow(range).fullScale * fullRaw, channel == 0 ? phase : 0);
        for (int32_t& v : raw)
            v = std::clamp(v, -static_cast<int32_t>(fullRaw) - 1, static_cast<int32_t>(fullRaw));
        const Bytes bytes = Encode(m_level, raw);
        m_out.insert(m_out.end(), bytes.begin(), bytes.end());
    }

    int m_level;
    Bytes m_in;
    std::vector<uint8_t> m_out;
    size_t m_samplesDue = 0;
    size_t m_status = 0;
};

// A sweep on the fake box at a variant level.
struct BoxRig {
    explicit BoxRig(uint8_t level)
        : face(level), box(level), scope(&box, &face.face), generator(&box, &face.face), sweep(scope, generator, sets)
    {
        Settle(scope, generator);
    }

    // Steps 10 ms apart until the sweep ends (or too many steps).
    int Run(int limit = 100000)
    {
        int steps = 0;
        while (sweep.Status().running && steps < limit) {
            sweep.Step(now);
            now += 10;
            ++steps;
        }
        return steps;
    }
    CBodeData Set(int index = 0) const { return sets.GetSet(index).value_or(CBodeData(0)); }

    ScriptedInterface face;
    FakeBodeBox box;
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

TEST(BodeQuantise, FromOneHertzTheDividersBelowItTheLowFrequencySteps)
{
    // 0.5 Hz: step trunc(9.766 / 0.5 + 0.5) = 20; N = trunc((0.5 - 0.48828) / 0.002 + 0.5) + 1024 = 1030.
    const BodeFrequency half = BodeQuantise(2, 8e7, 0.5);
    EXPECT_TRUE(half.lowFrequency);
    EXPECT_EQ(half.byteParameter, 0);
    EXPECT_EQ(half.first, 20);
    EXPECT_EQ(half.second, 1030);
    EXPECT_EQ(half.samples, 1030u);
    EXPECT_DOUBLE_EQ(half.frequency, 1 / (1030 * 20 * 1e-4));
    EXPECT_EQ(BodeQuantise(1, 3.2e7, 0.5).second, 1030) << "the same on every level";

    // The step is 16 bits: at the lowest start frequency it stays at its largest.
    const BodeFrequency lowest = BodeQuantise(3, 2e8, kBodeLowestFrequency);
    EXPECT_EQ(lowest.first, 65535);
    EXPECT_EQ(lowest.second, 1024);

    const BodeFrequency one = BodeQuantise(3, 2e8, 1.0);
    EXPECT_FALSE(one.lowFrequency);
    EXPECT_TRUE(BodeQuantise(3, 2e8, 0.9999).lowFrequency);

    // 1 kHz on level 1: A = 4096, B = 6, C = 9, N = A.
    const BodeFrequency level1 = BodeQuantise(1, 3.2e7, 1000);
    EXPECT_EQ(level1.first, 4096);
    EXPECT_EQ(level1.second, 6);
    EXPECT_EQ(level1.byteParameter, 9);
    EXPECT_EQ(level1.samples, 4096u);
    EXPECT_DOUBLE_EQ(level1.frequency, 3.2e7 / (4096 + 4096 / 9.0) / 7);
    const BodeFrequency level3 = BodeQuantise(3, 2e8, 1000);
    EXPECT_EQ(level3.first, 800);
    EXPECT_EQ(level3.second, 250);
    EXPECT_EQ(level3.samples, 800u);
}

TEST(BodeSettingsBounds, EachBoundHasItsMessage)
{
    const BodeSettings good = Sweep(10, 10000, 50, true);
    EXPECT_EQ(BodeValidate(good, 2), 0u);
    EXPECT_DOUBLE_EQ(BodeHighestFrequency(2), 1e6);
    EXPECT_DOUBLE_EQ(BodeHighestFrequency(3), 5e6);

    struct Case {
        std::function<void(BodeSettings&)> change;
        uint32_t id;
    };
    const Case cases[] = {
        {[](BodeSettings& s) { s.start = 20000; }, kBodeStartOutOfBounds},
        {[](BodeSettings& s) { s.start = 0.00009; }, kBodeStartOutOfBounds},
        {[](BodeSettings& s) { s.start = std::nan(""); }, kBodeStartOutOfBounds},
        {[](BodeSettings& s) { s.stop = 2e6; }, kBodeStopTooHigh},
        {[](BodeSettings& s) { s.points = 1; }, kBodePointsOutOfBounds},
        {[](BodeSettings& s) { s.points = 1001; }, kBodePointsOutOfBounds},
        {[](BodeSettings& s) { s.averages = 0; }, kBodeAveragesOutOfBounds},
        {[](BodeSettings& s) { s.averages = 1001; }, kBodeAveragesOutOfBounds},
        {[](BodeSettings& s) { s.amplitude = 0; }, kBodeGeneratorOutOfBounds},
        {[](BodeSettings& s) { s.offset = 101; }, kBodeGeneratorOutOfBounds},
        {[](BodeSettings& s) { s.settlingMs = 9001; }, kBodeGeneratorOutOfBounds},
    };
    for (const Case& c : cases) {
        BodeSettings s = good;
        c.change(s);
        EXPECT_EQ(BodeValidate(s, 2), c.id);
    }
    BodeSettings top = good;
    top.stop = 5e6;
    EXPECT_EQ(BodeValidate(top, 3), 0u);
    top.start = top.stop;
    EXPECT_EQ(BodeValidate(top, 3), 0u) << "start may equal stop";

    // A refused start sends nothing and adds no set.
    BoxRig rig(2);
    EXPECT_EQ(rig.sweep.Start(Sweep(10, 2e6, 5, true)), kBodeStopTooHigh);
    EXPECT_TRUE(rig.box.commands.empty());
    EXPECT_EQ(rig.sets.SetCount(), 0);
    EXPECT_FALSE(rig.sweep.Step(0));
}

// One point from start to end against the scripted interface, byte for byte.
TEST(BodeSweepBytes, OnePointAtEachLevelAndAtLowFrequency)
{
    struct Case {
        uint8_t level;
        double hertz;
        Bytes setUp;
        Bytes readA, readB;
        int32_t samples;
        double produced;
        Bytes rolling, rollingReply;  // low frequency: the samples that arrived meanwhile
    };
    const double lowFrequency = 1 / (1030 * 20 * 1e-4);
    const Case cases[] = {
        {1, 1000, {0x90, 0x00, 0x09, 0x10, 0x00, 0x00, 0x06, 0x00, 0x06, 0x00},
         {0xD4, 0x10, 0x00, 0x10, 0x00, 0x00, 0x01, 0x01}, {0xD4, 0x10, 0x00, 0x10, 0x00, 0x00, 0x01, 0x02},
         4096, 3.2e7 / (4096 + 4096 / 9.0) / 7, {}, {}},
        {2, 1000, {0x96, 0x00, 0x00, 0x00, 0x27, 0x10, 0x03, 0x20, 0x00, 0x64, 0x00, 0x64, 0x01},
         {0xDC, 0x03, 0x20, 0x01}, {0xDC, 0x03, 0x20, 0x02}, 800, 1000, {}, {}},
        {3, 1000, {0x96, 0x00, 0x00, 0x00, 0x27, 0x10, 0x03, 0x20, 0x00, 0xFA, 0x00, 0xFA, 0x01},
         {0xDC, 0x03, 0x20, 0x01}, {0xDC, 0x03, 0x20, 0x02}, 800, 1000, {}, {}},
        {1, 0.5, {0x90, 0x01, 0x00, 0x00, 0x14, 0x04, 0x06, 0x04, 0x06, 0x00},
         {0xD4, 0x1B, 0xFA, 0x04, 0x06, 0x00, 0x01, 0x01}, {0xD4, 0x1B, 0xFA, 0x04, 0x06, 0x00, 0x01, 0x02},
         1030, lowFrequency, {0xDA}, {0x00, 0x02, 0x10, 0x20, 0x11, 0x21}},
        {2, 0.5, {0x96, 0x01, 0x00, 0x00, 0x00, 0x05, 0x00, 0x14, 0x04, 0x06, 0x04, 0x06, 0x01},
         {0xDC, 0x04, 0x06, 0x01}, {0xDC, 0x04, 0x06, 0x02}, 1030, lowFrequency,
         {0xDD}, {0x00, 0x02, 0x00, 0x10, 0x00, 0x20, 0x00, 0x11, 0x00, 0x21}},
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
        EXPECT_EQ(sets.SetCount(), 1);

        // 5 V: the first range at 50 %, channel B in 10 V like A, output on.
        s.ExpectWrite({0xC3, 0x7F}).Reply({'!'}).ExpectWrite({0xC0}).Reply({'!'});
        s.ExpectWrite({0xD9, 0x06, 0x06}).Reply({'!'});
        EXPECT_TRUE(sweep.Step(0));
        const size_t sent = s.Transfers().size();
        EXPECT_FALSE(sweep.Step(499)) << "the generator settles";
        EXPECT_EQ(s.Transfers().size(), sent);

        s.ExpectWrite({0xD3}).ExpectWrite(c.setUp).Reply({'!'});
        EXPECT_TRUE(sweep.Step(500));
        s.ExpectWrite({0x91}).Reply({'!'});
        EXPECT_TRUE(sweep.Step(510));
        s.ExpectWrite({0x93}).Reply({1});
        if (!c.rolling.empty())
            s.ExpectWrite(c.rolling).Reply(c.rollingReply);
        EXPECT_EQ(sweep.Step(520), !c.rolling.empty()) << "only arriving samples are news";
        EXPECT_EQ(sweep.Status().received, c.rolling.empty() ? 0 : 2);

        // A at half of B and 45° behind it; both in the same range.
        const double full = c.level == 1 ? 100 : 400;
        s.ExpectWrite({0x93}).Reply({3});
        s.ExpectWrite(c.readA).Reply(Encode(c.level, SinePeriod(c.samples, full / 2, -45)));
        s.ExpectWrite(c.readB).Reply(Encode(c.level, SinePeriod(c.samples, full, 0)));
        EXPECT_TRUE(sweep.Step(530));
        EXPECT_EQ(sweep.Status().state, CBodeSweep::kNextFrequency);
        if (c.rolling.empty())
            EXPECT_TRUE(sweep.Step(540));  // the stop frequency is measured already
        else
            sweep.Stop();  // at low frequency the same request quantises higher once more
        s.ExpectWrite({0x92}).Reply({'!'});
        EXPECT_TRUE(sweep.Step(550));
        s.ExpectDone();

        const auto batches = s.Batches();
        EXPECT_NE(std::find(batches.begin(), batches.end(), c.setUp), batches.end()) << "the set-up is one batch";
        const BodeSweepStatus status = sweep.Status();
        EXPECT_FALSE(status.running);
        EXPECT_EQ(status.state, CBodeSweep::kIdle);
        EXPECT_FALSE(status.last.overflow);
        const CBodeData set = *sets.GetSet(0);
        ASSERT_EQ(set.Count(), 1);
        EXPECT_DOUBLE_EQ(set.Frequency()[0], c.produced);
        EXPECT_NEAR(set.Gain()[0], 0.5, 0.01);
        EXPECT_NEAR(set.GainDb()[0], -6.02, 0.1);
        EXPECT_NEAR(set.Phase()[0], -45, 0.5);
        EXPECT_FALSE(sweep.Step(560)) << "an ended sweep does nothing";
    }
}

TEST(BodeSweepSteps, LogarithmicSweepMeasuresEachQuantisedFrequencyOnce)
{
    BoxRig rig(2);
    const BodeSettings settings = Sweep(0.5, 2.0, 200, true);
    ASSERT_EQ(rig.sweep.Start(settings), 0u);
    rig.Run();

    // Expected: the requested points quantised, each kept only above the last kept.
    std::vector<double> expected;
    for (int i = 0; i < settings.points; ++i) {
        const double f = BodeQuantise(2, 8e7, 0.5 * std::pow(10.0, std::log10(2.0 / 0.5) * i / 199)).frequency;
        if (expected.empty() || f > expected.back())
            expected.push_back(f);
    }
    const CBodeData set = rig.Set();
    const std::vector<double> measured(set.Frequency().begin(), set.Frequency().end());
    EXPECT_EQ(measured, expected);
    EXPECT_LT(set.Count(), 200) << "low frequencies merge";
    EXPECT_TRUE(std::is_sorted(measured.begin(), measured.end()));
    EXPECT_EQ(std::adjacent_find(measured.begin(), measured.end()), measured.end());
    EXPECT_DOUBLE_EQ(measured.front(), BodeQuantise(2, 8e7, 0.5).frequency);
    EXPECT_DOUBLE_EQ(measured.back(), 2.0);

    // One set-up per point, at the frequency the point is stored with.
    ASSERT_EQ(rig.box.setUps.size(), measured.size());
    for (size_t i = 0; i < measured.size(); ++i)
        EXPECT_NEAR(rig.box.setUps[i].frequency, measured[i], 1e-9 * measured[i]);
    // Requests below 1 Hz first, then the dividers (the last low step makes a little over 1 Hz).
    auto low = [](const FakeBodeBox::SetUp& u) { return u.lowFrequency; };
    EXPECT_TRUE(std::is_partitioned(rig.box.setUps.begin(), rig.box.setUps.end(), low));
    EXPECT_TRUE(rig.box.setUps.front().lowFrequency);
    EXPECT_FALSE(rig.box.setUps.back().lowFrequency);
    EXPECT_EQ(rig.box.Count(0x92), 1);
}

TEST(BodeSweepSteps, LinearSweepWithTwoPointsEndsAtTheStopFrequency)
{
    BoxRig rig(2);
    ASSERT_EQ(rig.sweep.Start(Sweep(100, 1000, 2, false)), 0u);
    rig.Run();
    const CBodeData set = rig.Set();
    ASSERT_EQ(set.Count(), 2);
    EXPECT_DOUBLE_EQ(set.Frequency()[0], 100);
    EXPECT_DOUBLE_EQ(set.Frequency()[1], 1000);
    EXPECT_NEAR(set.Gain()[1], 0.5, 0.01);

    // Level 1's dividers make slightly more than 1 kHz: that is past the stop.
    BoxRig level1(1);
    const double second = BodeQuantise(1, 3.2e7, BodeQuantise(1, 3.2e7, 500).frequency + 500).frequency;
    ASSERT_GT(second, 1000);
    ASSERT_EQ(level1.sweep.Start(Sweep(500, 1000, 2, false)), 0u);
    level1.Run();
    EXPECT_EQ(level1.Set().Count(), 1);
    EXPECT_EQ(level1.box.setUps.size(), 1u);

    // Each step adds to the frequency produced: 3000 Hz comes out as 3000.8,
    // and the drift carries the fifth point (5008 Hz) past the stop.
    BoxRig five(3);
    ASSERT_EQ(five.sweep.Start(Sweep(1000, 5000, 5, false)), 0u);
    five.Run();
    const CBodeData fiveSet = five.Set();
    const double expected[] = {1000, 2000, 3000.795, 4002.241};
    ASSERT_EQ(fiveSet.Count(), 4);
    for (int i = 0; i < 4; ++i)
        EXPECT_NEAR(fiveSet.Frequency()[i], expected[i], 0.001);
}

TEST(BodeSweepSteps, LinearStepsFinerThanTheDividersSkipAhead)
{
    // 1 Hz steps on level 1, whose dividers come within 1 %: most requests
    // make the frequency just measured.
    BoxRig rig(1);
    ASSERT_EQ(rig.sweep.Start(Sweep(1000, 1100, 101, false)), 0u);
    rig.Run(20000);
    EXPECT_FALSE(rig.sweep.Status().running) << "the sweep ends";
    const CBodeData set = rig.Set();
    const std::vector<double> measured(set.Frequency().begin(), set.Frequency().end());
    ASSERT_GE(measured.size(), 2u);
    EXPECT_LT(measured.size(), 101u);
    EXPECT_TRUE(std::is_sorted(measured.begin(), measured.end()));
    EXPECT_EQ(std::adjacent_find(measured.begin(), measured.end()), measured.end());
    EXPECT_LE(measured.back(), 1100);
    EXPECT_GT(measured.back(), 1100 * 0.98) << "the requests went on to the stop";
}

TEST(BodeSweepSteps, AveragesGiveTheMeanOfGainAndPhase)
{
    BoxRig rig(3);
    rig.box.response = [](int measurement) { return std::pair{0.3 + 0.02 * measurement, -40.0 - measurement}; };
    BodeSettings settings = Sweep(1000, 1000, 2, false);
    settings.averages = 10;
    ASSERT_EQ(rig.sweep.Start(settings), 0u);
    rig.Run();
    EXPECT_EQ(rig.box.starts, 10);
    EXPECT_EQ(rig.box.setUps.size(), 1u) << "averaging measures again without a new set-up";
    const CBodeData set = rig.Set();
    ASSERT_EQ(set.Count(), 1);
    // Measurements 1 to 10: gains 0.32 … 0.50, phases −41 … −50.
    EXPECT_NEAR(set.Gain()[0], 0.41, 0.003);
    EXPECT_NEAR(set.Phase()[0], -45.5, 0.3);
    EXPECT_NEAR(rig.sweep.Status().last.gain, 0.5, 0.005) << "the last measurement on its own";
}

TEST(BodeSweepSteps, AutorangeMeasuresAgainAtTheSameFrequency)
{
    BoxRig rig(2);
    rig.box.response = [](int) { return std::pair{0.1, -30.0}; };  // A: 0.5 V peak
    BodeSettings settings = Sweep(1000, 1000, 2, false);
    settings.autorange = true;
    ASSERT_EQ(rig.sweep.Start(settings), 0u);
    rig.Run();
    // 0.5 V is below 30 % of 10, 5 and 2 V; 1 V is the range that fits.
    EXPECT_EQ(rig.box.RangesASent(), (std::vector<int>{6, 5, 4, 3}));
    EXPECT_EQ(rig.box.starts, 4);
    EXPECT_EQ(rig.box.setUps.size(), 1u);
    EXPECT_EQ(rig.scope.Range(0), 3);
    const CBodeData set = rig.Set();
    ASSERT_EQ(set.Count(), 1);
    EXPECT_NEAR(set.Gain()[0], 0.1, 0.002) << "measured in the last range only";
    EXPECT_NEAR(set.Phase()[0], -30, 0.5);

    // Without autorange the first measurement counts.
    BoxRig fixed(2);
    fixed.box.response = rig.box.response;
    ASSERT_EQ(fixed.sweep.Start(Sweep(1000, 1000, 2, false)), 0u);
    fixed.Run();
    EXPECT_EQ(fixed.box.starts, 1);
    EXPECT_EQ(fixed.scope.Range(0), 6);
}

TEST(BodeSweepSteps, GeneratorWaitAndSettlingTimeAreWaitedOutWithoutBlocking)
{
    BoxRig rig(2);
    BodeSettings settings = Sweep(1000, 1000, 2, false);
    settings.settlingMs = 300;
    ASSERT_EQ(rig.sweep.Start(settings), 0u);
    EXPECT_TRUE(rig.sweep.Step(1000));
    EXPECT_FALSE(rig.sweep.Step(1499));
    EXPECT_TRUE(rig.box.setUps.empty());
    EXPECT_TRUE(rig.sweep.Step(1500));
    ASSERT_EQ(rig.box.setUps.size(), 1u);
    EXPECT_EQ(rig.sweep.Status().state, CBodeSweep::kSettling);
    EXPECT_FALSE(rig.sweep.Step(1799));
    EXPECT_EQ(rig.box.starts, 0);
    EXPECT_TRUE(rig.sweep.Step(1800));
    EXPECT_EQ(rig.sweep.Status().state, CBodeSweep::kStartMeasurement);
    EXPECT_TRUE(rig.sweep.Step(1800));
    EXPECT_EQ(rig.box.starts, 1);

    // The tick count wraps during the generator's wait.
    BoxRig wrap(2);
    ASSERT_EQ(wrap.sweep.Start(Sweep(1000, 1000, 2, false)), 0u);
    wrap.sweep.Step(0xFFFFFF00u);
    EXPECT_FALSE(wrap.sweep.Step(0x00000010u));
    EXPECT_TRUE(wrap.sweep.Step(0x000000F4u));
    EXPECT_EQ(wrap.box.setUps.size(), 1u);
}

TEST(BodeSweepSteps, GeneratorPlaysTheAmplitudeRangeOrTheOffsetFormula)
{
    // 0.5 V: the second range (×100), channel B in 1 V.
    BoxRig rig(2);
    BodeSettings settings = Sweep(1000, 1000, 2, false);
    settings.amplitude = 5;
    ASSERT_EQ(rig.sweep.Start(settings), 0u);
    rig.sweep.Step(0);
    const std::vector<Bytes> small(rig.box.commands.begin(), rig.box.commands.end());
    const std::vector<Bytes> expected = {{0xC1}, {0xC3, 0x00}, {0xC6, 0x01}, {0xC3, 0x7F}, {0xC0}, {0xD9, 0x03, 0x06}};
    EXPECT_EQ(small, expected);

    // 1 V with 1 V offset: the formula at amplitude 100, in the first range.
    BoxRig offset(2);
    settings.amplitude = 10;
    settings.offset = 10;
    ASSERT_EQ(offset.sweep.Start(settings), 0u);
    offset.sweep.Step(0);
    EXPECT_EQ(StringToUtf8(CFuncGen::Formula()), "0.1*SIN(X)+0.1");
    EXPECT_EQ(CFuncGen::Waveform(), CFuncGen::kFormulaWaveform);
    EXPECT_EQ(offset.box.Count(0xCB), 1) << "the formula's samples";
    EXPECT_EQ(offset.box.Count(0xC4), 0);
    EXPECT_EQ(CFuncGen::Amplitude(), 100);
    offset.Run();
    EXPECT_EQ(offset.Set().Count(), 1);
}

TEST(BodeSweepSteps, StopHalfWayKeepsThePointsMeasured)
{
    BoxRig rig(3);
    ASSERT_EQ(rig.sweep.Start(Sweep(100, 10000, 10, true)), 0u);
    while (rig.Set().Count() < 3)
        rig.sweep.Step(rig.now += 10);
    rig.sweep.Stop();
    EXPECT_EQ(rig.sweep.Status().state, CBodeSweep::kStopping);
    EXPECT_TRUE(rig.sweep.Step(rig.now));
    EXPECT_EQ(rig.box.Count(0x92), 1);
    EXPECT_FALSE(rig.sweep.Status().running);
    const size_t sent = rig.box.commands.size();
    EXPECT_FALSE(rig.sweep.Step(rig.now + 1000));
    EXPECT_EQ(rig.box.commands.size(), sent);
    const CBodeData set = rig.Set();
    ASSERT_EQ(set.Count(), 3);
    EXPECT_DOUBLE_EQ(set.Frequency()[2], BodeQuantise(3, 2e8, 100 * std::pow(10.0, std::log10(10000.0 / 100) * 2 / 9)).frequency);

    // The next sweep is a set of its own.
    ASSERT_EQ(rig.sweep.Start(Sweep(100, 1000, 2, true)), 0u);
    rig.Run();
    EXPECT_EQ(rig.sets.SetCount(), 2);
    EXPECT_EQ(rig.Set(0).Count(), 3);
    EXPECT_EQ(rig.Set(1).Count(), 2);
}

TEST(BodeSweepSteps, StreamFaultEndsTheSweepAndKeepsItsPoints)
{
    BoxRig rig(2);
    rig.box.failCommand = 0x93;
    rig.box.failAfter = 3;  // during the third point
    ASSERT_EQ(rig.sweep.Start(Sweep(100, 10000, 10, true)), 0u);
    bool thrown = false;
    for (int i = 0; i < 100 && !thrown; ++i) {
        try {
            rig.sweep.Step(rig.now += 10);
        } catch (const CStreamException& e) {
            thrown = true;
            EXPECT_EQ(e.ErrorCode(), kStreamNetworkReadFailed);
        }
    }
    EXPECT_TRUE(thrown);
    EXPECT_EQ(rig.Set().Count(), 2);
    EXPECT_FALSE(rig.sweep.Status().running);
    EXPECT_FALSE(rig.sweep.Step(rig.now + 10));
}

TEST(BodeSweepSteps, OverflowIsFlaggedPerMeasurement)
{
    BoxRig rig(2);
    int measurement = 0;
    // A clipped on the first point's record (2 × 5 V in 10 V), then not.
    rig.box.response = [&](int started) {
        measurement = started;
        return std::pair{started == 1 ? 2.0 : 0.5, 0.0};
    };
    ASSERT_EQ(rig.sweep.Start(Sweep(100, 1000, 2, false)), 0u);
    while (rig.Set().Count() < 1)
        rig.sweep.Step(rig.now += 10);
    EXPECT_TRUE(rig.sweep.Status().measured);
    EXPECT_TRUE(rig.sweep.Status().last.overflow);
    rig.Run();
    EXPECT_EQ(measurement, 2);
    EXPECT_FALSE(rig.sweep.Status().last.overflow);
}

}  // namespace
