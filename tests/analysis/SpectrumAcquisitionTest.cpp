// The spectrum analyzer's poll step against a scripted interface.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <utility>
#include <vector>

#include "../units/UnitTestSupport.h"
#include "analysis/SpectrumAcquisition.h"

namespace {

using Acq = CSpectrumAcquisition;

// A scope unit at a variant level whose own first settings already went out.
struct Rig {
    explicit Rig(uint8_t level) : level(level), face(level), scope(face.stream, &face.face), acq(scope)
    {
        CStreamNUL settled;
        scope.SetStream(&settled);
        scope.Flush();
        scope.SetStream(face.stream);
    }

    ScriptedStream& S() { return *face.stream; }
    void Expect(Bytes write, Bytes reply = {})
    {
        S().ExpectWrite(std::move(write));
        if (!reply.empty())
            S().Reply(std::move(reply));
    }
    void State(uint8_t state) { Expect({0xD5}, {state}); }
    void Arm() { Expect({0xD2}, {'!'}); }
    // The time base and trigger commands of n samples at divider d, then the arm.
    void Settings(int32_t n, int32_t d)
    {
        Bytes timeBase{static_cast<uint8_t>(level == 1 ? 0xD8 : 0xDB), 0x00}, trigger{0xD0};
        PutWord(timeBase, d);
        PutWord(timeBase, n);
        PutWord(trigger, n);
        trigger.push_back(0x00);
        Expect(timeBase, {'!'});
        Expect(trigger, {'!'});
        Arm();
    }
    // A custom record of n samples at d, set up by a step that finds the unit waiting.
    void Start(int32_t n, int32_t d)
    {
        EXPECT_TRUE(acq.SetCustomSamples(n));
        EXPECT_TRUE(acq.SetCustomDivider(d));
        Settings(n, d);
        State(CScope::kWaiting);
        EXPECT_EQ(acq.Step(0), 0);
    }
    // The window has shown the last step; the next one runs.
    uint16_t Next(uint32_t now = 0)
    {
        acq.TakePending();
        return acq.Step(now);
    }

    uint8_t level;
    ScriptedInterface face;
    CScope scope;
    Acq acq;
};

// Raw samples as the unit sends them: bytes at level 1, words above.
Bytes Record(int level, const std::vector<int32_t>& raw)
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

TEST(SpectrumAcquisitionStep, RecordSettingsSendTheTableRowOrTheCustomRecord)
{
    // Level 1, row 7 chosen before the first step: 1601 samples at divider 1.
    Rig one(1);
    ASSERT_TRUE(one.acq.SetRecordRow(7));
    one.Expect({0xD8, 0x00, 0x00, 0x01, 0x06, 0x41}, {'!'});
    one.Expect({0xD0, 0x06, 0x41, 0x00}, {'!'});  // the whole record after the trigger
    one.Arm();
    one.State(CScope::kWaiting);
    EXPECT_EQ(one.acq.Step(0), 0);
    EXPECT_EQ(one.acq.Buffer().Count(), 1601);
    EXPECT_DOUBLE_EQ(one.acq.SamplePeriod(), 6.25e-8);
    // Back to the custom record, 100 samples at divider 1.
    ASSERT_TRUE(one.acq.SetRecordRow(0));
    one.Start(100, 1);
    one.S().ExpectDone();

    // Level 3 starts with the custom record at row 5's values, 2001 samples at 20.
    Rig three(3);
    three.Expect({0xDB, 0x00, 0x00, 0x14, 0x07, 0xD1}, {'!'});
    three.Expect({0xD0, 0x07, 0xD1, 0x00}, {'!'});
    three.Arm();
    three.State(CScope::kWaiting);
    three.acq.Step(0);
    ASSERT_TRUE(three.acq.SetRecordRow(1));
    three.Settings(4001, 1000);
    three.State(CScope::kWaiting);
    three.Next();
    three.S().ExpectDone();
    EXPECT_DOUBLE_EQ(three.acq.SamplePeriod(), 5e-6);

    // Out of range: refused, and nothing is sent again.
    EXPECT_FALSE(three.acq.SetCustomDivider(1)) << "level 3 samples at divider 2 at the fastest";
    EXPECT_FALSE(three.acq.SetCustomDivider(8193));
    EXPECT_FALSE(three.acq.SetCustomSamples(63));
    EXPECT_FALSE(three.acq.SetCustomSamples(8193));
    EXPECT_FALSE(three.acq.SetRecordRow(8));
    EXPECT_FALSE(three.acq.SetChannel(2));
    EXPECT_FALSE(three.acq.SetTriggerSource(3));
    EXPECT_EQ(three.acq.CustomDivider(), 20);
    three.State(CScope::kWaiting);
    EXPECT_EQ(three.Next(), 0);
    three.S().ExpectDone();
}

TEST(SpectrumAcquisitionStep, CompleteRecordBecomesItsSpectrum)
{
    Rig rig(2);
    rig.scope.SetRange(1, 5);  // B at 5 V full scale; A stays at 50 V
    rig.scope.Changes().TakeChanged();
    ASSERT_TRUE(rig.acq.SetChannel(1));
    rig.Start(64, 8);

    // 100 plus a sine of amplitude 400, four periods in the record.
    std::vector<int32_t> raw(64);
    for (size_t k = 0; k < raw.size(); ++k)
        raw[k] = 100 + std::lround(400 * std::sin(2 * std::numbers::pi * 4 * static_cast<double>(k) / 64));
    rig.State(CScope::kComplete);
    rig.Expect({0xDC, 0x00, 0x40, 0x02}, Record(2, raw));
    rig.Arm();
    EXPECT_EQ(rig.Next(), Acq::kNewSpectrum);
    rig.S().ExpectDone();
    EXPECT_EQ(rig.acq.Buffer().Front()[0], 100 * 64);
    EXPECT_FALSE(rig.acq.Overflow());

    const CSpectrumRecord& r = rig.acq.Record();
    ASSERT_EQ(r.amplitudes.size(), 32u);
    EXPECT_DOUBLE_EQ(r.binWidth, 1 / (63 * 8 * 1.25e-8));
    const double step = 5.0 * 64 / 32767;  // one raw step of B, in volts
    EXPECT_NEAR(r.amplitudes[0], 100 * step, 1e-9) << "the rounded sine sums to 0";
    EXPECT_NEAR(r.amplitudes[4], 400 * step, 0.5 * step);
    for (size_t k = 1; k < 32; ++k) {
        if (k == 4)
            continue;
        EXPECT_LT(r.amplitudes[k], 0.5 * step) << "bin " << k;
    }

    // The window has not taken it: no I/O, the same bits again.
    const size_t sent = rig.S().Transfers().size();
    EXPECT_EQ(rig.acq.Step(50), Acq::kNewSpectrum);
    EXPECT_EQ(rig.S().Transfers().size(), sent);
    EXPECT_EQ(rig.acq.TakePending(), Acq::kNewSpectrum);
    EXPECT_EQ(rig.acq.Pending(), 0);

    // Level 1's default row 5, a constant of raw 32 bytes on A at 50 V.
    Rig one(1);
    one.Settings(2001, 8);
    one.State(CScope::kComplete);
    one.Expect({0xD4, 0x18, 0x2F, 0x07, 0xD1, 0x00, 0x01, 0x01}, Record(1, std::vector<int32_t>(2001, 32)));
    one.Arm();
    EXPECT_EQ(one.acq.Step(0), Acq::kNewSpectrum);
    one.S().ExpectDone();
    const CSpectrumRecord& c = one.acq.Record();
    ASSERT_EQ(c.amplitudes.size(), 1000u);
    EXPECT_DOUBLE_EQ(c.binWidth, 1 / (2000 * 9 * 3.125e-8));
    EXPECT_NEAR(c.amplitudes[0], 32 * 256 * 50.0 / 32767, 1e-9);
    EXPECT_LT(*std::max_element(c.amplitudes.begin() + 1, c.amplitudes.end()), 1e-9);
}

TEST(SpectrumAcquisitionStep, OverflowFollowsEachRecord)
{
    Rig rig(1);
    rig.Start(64, 8);
    for (const auto& [raw, overflow] : {std::pair{-128, true}, {127, false}}) {  // 127: 32512, short of the limit
        std::vector<int32_t> samples(64, 0);
        samples[10] = raw;
        rig.State(CScope::kComplete);
        rig.Expect({0xD4, 0x1F, 0xC0, 0x00, 0x40, 0x00, 0x01, 0x01}, Record(1, samples));
        rig.Arm();
        rig.Next();
        EXPECT_EQ(rig.acq.Overflow(), overflow) << raw;
    }
    rig.S().ExpectDone();
}

TEST(SpectrumAcquisitionStep, SingleShotStopAndRun)
{
    Rig rig(2);
    rig.Start(64, 8);
    rig.acq.Single();
    EXPECT_TRUE(rig.acq.SingleShot());
    rig.State(CScope::kComplete);
    rig.Expect({0xDC, 0x00, 0x40, 0x01}, Record(2, std::vector<int32_t>(64, 7)));
    rig.Expect({0xD3});
    EXPECT_EQ(rig.Next(), Acq::kNewSpectrum | Acq::kRunStateChanged);
    EXPECT_TRUE(rig.acq.Stopped());

    // Stopped: neither a complete nor an idle state reads or arms.
    rig.State(CScope::kComplete);
    EXPECT_EQ(rig.Next(), 0);
    rig.State(CScope::kIdle);
    EXPECT_EQ(rig.Next(), 0);

    // Running again arms the idle unit. Stop goes out with the next step; a
    // run before it cancels it.
    rig.acq.SetSingleShot(false);
    rig.acq.Run();
    rig.State(CScope::kIdle);
    rig.Arm();
    EXPECT_EQ(rig.Next(), 0);
    rig.acq.Stop();
    rig.Expect({0xD3});
    rig.State(CScope::kIdle);
    EXPECT_EQ(rig.Next(), 0);
    rig.acq.Stop();
    rig.acq.Run();
    rig.State(CScope::kIdle);
    rig.Arm();
    EXPECT_EQ(rig.Next(), 0);
    rig.S().ExpectDone();
    EXPECT_EQ(rig.acq.Buffer().Front()[0], 7 * 64);
}

TEST(SpectrumAcquisitionStep, TriggerSourceBlinksTheWaitingLampEverySecond)
{
    Rig rig(2);
    rig.Start(64, 8);
    ASSERT_TRUE(rig.acq.SetTriggerSource(1));
    rig.acq.SetBlinkTime(0);
    rig.Expect({0xD0, 0x00, 0x40, 0x06}, {'!'});  // triggered by A
    rig.State(CScope::kIdle);
    rig.Arm();
    EXPECT_EQ(rig.Next(100), Acq::kWaiting) << "armed with a trigger source: waiting";

    auto blinkAt = [&](uint32_t now) {
        rig.State(CScope::kWaiting);
        return rig.Next(now) == Acq::kWaiting;
    };
    EXPECT_FALSE(blinkAt(1000)) << "1000 ms is not more than 1000";
    EXPECT_TRUE(blinkAt(1001));
    EXPECT_FALSE(blinkAt(2001)) << "the blink time moved on";
    EXPECT_TRUE(blinkAt(2002));

    rig.acq.Stop();
    rig.Expect({0xD3});
    EXPECT_FALSE(blinkAt(10000)) << "no lamp when stopped";
    rig.acq.Run();
    ASSERT_TRUE(rig.acq.SetTriggerSource(0));
    rig.Expect({0xD0, 0x00, 0x40, 0x00}, {'!'});
    EXPECT_FALSE(blinkAt(20000)) << "free running";
    rig.S().ExpectDone();
}

TEST(SpectrumAcquisitionStep, StreamFaultsReachTheCallerAndTheLastSpectrumStays)
{
    Rig rig(2);
    rig.Start(64, 8);
    rig.State(CScope::kComplete);
    rig.Expect({0xDC, 0x00, 0x40, 0x01}, Record(2, std::vector<int32_t>(64, 100)));
    rig.Arm();
    rig.Next();
    const std::vector<double> last = rig.acq.Record().amplitudes;
    ASSERT_EQ(last.size(), 32u);

    rig.State(CScope::kComplete);
    rig.Expect({0xDC, 0x00, 0x40, 0x01});
    rig.S().Fault(kStreamUsbReadFailed);
    EXPECT_THROW(rig.Next(), CStreamException);
    EXPECT_EQ(rig.acq.Record().amplitudes, last);
    EXPECT_EQ(rig.acq.Buffer().Front()[0], 100 * 64);
    EXPECT_EQ(rig.acq.Pending(), 0) << "nothing half-read is handed to the window";
}

} // namespace
