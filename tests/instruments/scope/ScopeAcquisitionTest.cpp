// The oscilloscope's poll step against a scripted interface: what it sends at
// each variant level and in which order, what lands in the channel buffers,
// single shot, grounded channels, roll mode, the waiting lamp, and stream
// faults that must reach the caller with the last record intact.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "../../units/UnitTestSupport.h"
#include "instruments/scope/ScopeAcquisition.h"

namespace {

using Acq = CScopeAcquisition;

// A scope at a variant level and time base row whose first settings already
// went out, so the last acquisition's row is that one and nothing is left to send.
struct Rig {
    explicit Rig(uint8_t level, int32_t timeBase = 0) : face(level), scope(face.stream, &face.face), acq(scope)
    {
        CStreamNUL settled;
        scope.SetStream(&settled);
        scope.SetTimeBase(timeBase);
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
    // The window has shown the last step; the next one runs.
    Acq::StepResult Next(uint32_t now = 0)
    {
        acq.TakePending();
        return acq.Step(now);
    }

    ScriptedInterface face;
    CScope scope;
    Acq acq;
};

// A record of count raw samples that starts with head (bytes at level 1, words above).
Bytes Record(int level, int32_t count, const std::vector<int32_t>& head)
{
    Bytes b;
    for (int32_t i = 0; i < count; ++i) {
        const int32_t raw = i < static_cast<int32_t>(head.size()) ? head[static_cast<size_t>(i)] : 0;
        if (level == 1)
            b.push_back(static_cast<uint8_t>(raw));
        else
            PutWord(b, raw);
    }
    return b;
}

// The level 2 record read of the first row (401 samples) on one channel.
Bytes ReadRecord2(int channel)
{
    return {0xDC, 0x01, 0x91, static_cast<uint8_t>(1 << channel)};
}

bool AllZero(std::span<const int16_t> samples)
{
    return std::all_of(samples.begin(), samples.end(), [](int16_t v) { return v == 0; });
}

TEST(ScopeAcquisitionStep, EachLevelSendsItsChangesThenArmsAndReadsTheRecord)
{
    struct Case {
        uint8_t level;
        int32_t count;
        Bytes changes;  // a trigger level of 50 %
        Bytes readA, readB;
        std::vector<int32_t> rawA, rawB;
        int16_t a0, a1, b0;
    };
    const Case cases[] = {
        {1, 320, {0xD1, 0x40},
         {0xD4, 0x1E, 0xC0, 0x01, 0x40, 0x00, 0x01, 0x01}, {0xD4, 0x1E, 0xC0, 0x01, 0x40, 0x00, 0x01, 0x02},
         {-128, 127}, {1}, -32768, 32512, 256},
        {2, 401, {0xD1, 0x40}, {0xDC, 0x01, 0x91, 0x01}, {0xDC, 0x01, 0x91, 0x02}, {-511, 511}, {1}, -32704, 32704, 64},
        {3, 101, {0xDE, 0x03, 0x00, 0x00, 0x65, 0x00, 0x02, 0x08, 0x08, 0x08, 0x08, 0x00, 0x00, 63, 0x00, 0x65},
         {0xDC, 0x00, 0x65, 0x01}, {0xDC, 0x00, 0x65, 0x02}, {-511, 511}, {1}, -32704, 32704, 64},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "level " << int(c.level));
        Rig rig(c.level);
        rig.scope.SetTriggerLevel(50);
        // Only level 3's full setup is acknowledged.
        rig.Expect(c.changes, c.level == 3 ? Bytes{'!'} : Bytes{});
        rig.State(CScope::kIdle);
        rig.Arm();
        EXPECT_EQ(rig.acq.Step(0).pending, 0);

        // Nothing changed: the state comes first.
        rig.State(CScope::kComplete);
        rig.Expect(c.readA, Record(c.level, c.count, c.rawA));
        rig.Expect(c.readB, Record(c.level, c.count, c.rawB));
        rig.Arm();
        const Acq::StepResult r = rig.Next();
        rig.S().ExpectDone();
        EXPECT_EQ(r.pending, Acq::kNewSamples);
        EXPECT_EQ(r.holdOffMs, 0u);
        ASSERT_EQ(rig.acq.Buffer(0).Count(), c.count);
        EXPECT_EQ(rig.acq.Buffer(0).Front()[0], c.a0);
        EXPECT_EQ(rig.acq.Buffer(0).Front()[1], c.a1);
        EXPECT_EQ(rig.acq.Buffer(1).Front()[0], c.b0);
    }
}

TEST(ScopeAcquisitionStep, FourChannelsStopFirstAndReadCAndD)
{
    Rig rig(3);
    rig.acq.SetFourChannels(true);
    rig.acq.MarkChanged(Acq::kChannelModeChanged);
    rig.scope.SetRange(2, 3);
    rig.Expect({0xD3});
    rig.Expect({0xDE, 0x0F, 0x00, 0x00, 0x65, 0x00, 0x02, 0x08, 0x08, 0x03, 0x08, 0x00, 0x00, 0x00, 0x00, 0x65}, {'!'});
    rig.State(CScope::kComplete);
    for (uint8_t bit : {0x01, 0x02, 0x04, 0x08})
        rig.Expect({0xDC, 0x00, 0x65, bit}, Record(3, 101, {bit}));
    rig.Arm();
    EXPECT_EQ(rig.acq.Step(0).pending, Acq::kNewSamples);
    EXPECT_EQ(rig.scope.ChannelMask(), 15);
    EXPECT_EQ(rig.acq.Buffer(3).Front()[0], 8 * 64);

    // Back to two: stopped again, and C and D are no longer read.
    rig.acq.SetFourChannels(false);
    rig.acq.MarkChanged(Acq::kChannelModeChanged);
    rig.Expect({0xD3});
    rig.State(CScope::kComplete);
    rig.Expect({0xDC, 0x00, 0x65, 0x01}, Record(3, 101, {}));
    rig.Expect({0xDC, 0x00, 0x65, 0x02}, Record(3, 101, {}));
    rig.Arm();
    rig.Next();
    rig.S().ExpectDone();
    EXPECT_EQ(rig.scope.ChannelMask(), 3);
    EXPECT_EQ(rig.acq.Buffer(3).Front()[0], 8 * 64) << "D keeps its last record";
}

TEST(ScopeAcquisitionStep, RecordLengthIsTheLastAcquisitionsRow)
{
    Rig rig(1);
    // The row index is class-wide: a level 3 scope set it past this level's table.
    CStreamNUL nul;
    CScope other(&nul, nullptr);
    ASSERT_EQ(other.VariantLevel(), 3);
    ASSERT_TRUE(other.SetTimeBase(24));
    other.Flush();
    ASSERT_EQ(CScope::LastTimeBaseIndex(), 24);

    // Level 1's last row: 500 samples, not the 320 this scope last set.
    rig.State(CScope::kComplete);
    rig.Expect({0xD4, 0x1E, 0x0C, 0x01, 0xF4, 0x00, 0x01, 0x01}, Record(1, 500, {}));
    rig.Expect({0xD4, 0x1E, 0x0C, 0x01, 0xF4, 0x00, 0x01, 0x02}, Record(1, 500, {}));
    rig.Arm();
    rig.acq.Step(0);
    rig.S().ExpectDone();
    EXPECT_EQ(rig.acq.Buffer(1).Count(), 500);
}

TEST(ScopeAcquisitionStep, PendingBitsHoldTheNextStepUntilTheWindowTakesThem)
{
    Rig rig(2);
    rig.acq.Buffer(0).Reset(5);
    rig.acq.MarkChanged(Acq::kTimeBaseChanged);
    rig.State(CScope::kWaiting);
    EXPECT_EQ(rig.acq.Step(0).pending, Acq::kNewSamples) << "the resized screen is shown";
    EXPECT_EQ(rig.acq.Buffer(0).Count(), 401);
    EXPECT_EQ(rig.acq.Buffer(3).Count(), 401);

    const size_t sent = rig.S().Transfers().size();
    EXPECT_EQ(rig.acq.Step(50).pending, Acq::kNewSamples) << "asked again";
    EXPECT_EQ(rig.S().Transfers().size(), sent) << "no I/O while the window reads the buffers";
    EXPECT_EQ(rig.acq.Pending(), Acq::kNewSamples);
    EXPECT_EQ(rig.acq.TakePending(), Acq::kNewSamples);
    EXPECT_EQ(rig.acq.Pending(), 0);

    rig.State(CScope::kComplete);
    rig.Expect(ReadRecord2(0), Record(2, 401, {5}));
    rig.Expect(ReadRecord2(1), Record(2, 401, {-5}));
    rig.Arm();
    EXPECT_EQ(rig.acq.Step(100).pending, Acq::kNewSamples);
    EXPECT_EQ(rig.acq.Pending(), Acq::kNewSamples);
    rig.S().ExpectDone();
    EXPECT_EQ(rig.acq.Buffer(1).Front()[0], -320);
}

TEST(ScopeAcquisitionStep, SingleShotStopsAndHoldsAfterItsRecord)
{
    Rig rig(2);
    rig.scope.SetSingleShot(true);
    rig.State(CScope::kComplete);
    rig.Expect(ReadRecord2(0), Record(2, 401, {7}));
    rig.Expect(ReadRecord2(1), Record(2, 401, {7}));
    rig.Expect({0xD3});
    EXPECT_EQ(rig.acq.Step(0).pending, Acq::kNewSamples | Acq::kRunStateChanged);
    EXPECT_TRUE(rig.scope.Hold());

    // On hold: neither a complete nor an idle state reads or arms, and a
    // trigger source does not light the waiting lamp of a stopped scope.
    rig.scope.SetTriggerSource(1);
    rig.scope.Changes().TakeChanged();
    rig.State(CScope::kComplete);
    EXPECT_EQ(rig.Next().pending, 0);
    rig.State(CScope::kIdle);
    EXPECT_EQ(rig.Next().pending, 0);
    rig.S().ExpectDone();
    EXPECT_EQ(rig.acq.Buffer(0).Front()[0], 7 * 64);
}

TEST(ScopeAcquisitionStep, GroundedChannelShowsZerosWithoutARead)
{
    Rig rig(2);
    rig.scope.SetMode(1, kCouplingGround);
    rig.scope.Changes().TakeChanged();
    CScopeBuffer& b = rig.acq.Buffer(1);
    b.SetCount(10);
    std::fill(b.Back().begin(), b.Back().end(), int16_t{99});
    b.Swap();
    b.SetFillPosition(4);

    rig.State(CScope::kComplete);
    rig.Expect(ReadRecord2(0), Record(2, 401, {3}));
    rig.Arm();
    EXPECT_EQ(rig.acq.Step(0).pending, Acq::kNewSamples);
    rig.S().ExpectDone();
    EXPECT_EQ(rig.acq.Buffer(0).Front()[0], 3 * 64);
    ASSERT_EQ(b.Count(), 401);
    EXPECT_TRUE(AllZero(b.Front()));
    EXPECT_EQ(b.FillPosition(), 0);
    EXPECT_EQ(b.ExpectedCount(), 401);
}

TEST(ScopeAcquisitionStep, RollModeAppendsAndHoldsOffAfterAScreen)
{
    Rig rig(2, 18);  // 1 s/div: 501 samples per screen
    ASSERT_NE(rig.scope.SlowMode(), 0);
    rig.acq.MarkChanged(Acq::kTimeBaseChanged);
    rig.State(CScope::kIdle);
    rig.Arm();
    EXPECT_EQ(rig.acq.Step(0).pending, Acq::kNewSamples);
    EXPECT_EQ(rig.acq.Buffer(0).Count(), 501);

    rig.State(CScope::kWaiting);
    rig.Expect({0xDD}, {0x00, 0x02, 0x00, 0x01, 0x00, 0x0A, 0x00, 0x02, 0x00, 0x14});
    EXPECT_EQ(rig.Next().pending, Acq::kNewSamples);
    rig.State(CScope::kAcquiring);
    rig.Expect({0xDD}, {0x00, 0x00});
    EXPECT_EQ(rig.Next().pending, 0) << "no sample came";

    rig.State(CScope::kComplete);
    rig.Expect({0xDD}, {0x00, 0x01, 0x00, 0x03, 0x00, 0x1E});
    rig.Expect({0xD3});
    const Acq::StepResult done = rig.Next();
    EXPECT_EQ(done.pending, Acq::kNewSamples);
    EXPECT_EQ(done.holdOffMs, 500u);
    EXPECT_EQ(rig.acq.Buffer(0).FillPosition(), 3);
    EXPECT_EQ(std::vector<int16_t>(rig.acq.Buffer(1).Front().begin(), rig.acq.Buffer(1).Front().begin() + 4),
              (std::vector<int16_t>{640, 1280, 1920, 0}));

    // The next screen starts empty; on hold the screen stays and stops.
    rig.State(CScope::kIdle);
    rig.Arm();
    EXPECT_EQ(rig.Next().pending, 0);
    EXPECT_EQ(rig.acq.Buffer(1).FillPosition(), 0);
    EXPECT_TRUE(AllZero(rig.acq.Buffer(1).Front()));
    rig.scope.SetHold(true);
    rig.State(CScope::kWaiting);
    rig.Expect({0xDD}, {0x00, 0x01, 0x00, 0x04, 0x00, 0x28});
    rig.Expect({0xD3});
    rig.Next();
    rig.State(CScope::kIdle);
    EXPECT_EQ(rig.Next().pending, 0);
    rig.S().ExpectDone();
    EXPECT_EQ(rig.acq.Buffer(1).FillPosition(), 1) << "not cleared on hold";

    // Level 1 rolls A and B as bytes.
    Rig one(1, 18);
    one.acq.MarkChanged(Acq::kTimeBaseChanged);
    one.State(CScope::kAcquiring);
    one.Expect({0xDA}, {0x00, 0x01, 0x10, 0xF0});
    EXPECT_EQ(one.acq.Step(0).pending, Acq::kNewSamples);
    one.S().ExpectDone();
    EXPECT_EQ(one.acq.Buffer(0).Front()[0], 4096);
    EXPECT_EQ(one.acq.Buffer(1).Front()[0], -4096);
}

TEST(ScopeAcquisitionStep, TriggerSourceBlinksTheWaitingLampAcrossTheTickWrap)
{
    Rig rig(2);
    rig.scope.SetTriggerSource(1);
    rig.scope.Changes().TakeChanged();
    rig.acq.SetBlinkTime(1000);
    rig.State(CScope::kIdle);
    rig.Arm();
    EXPECT_EQ(rig.acq.Step(1000).pending, Acq::kWaiting) << "idle with a trigger source waits";

    auto blinkAt = [&](uint32_t now) {
        rig.State(CScope::kWaiting);
        return rig.Next(now).pending == Acq::kWaiting;
    };
    EXPECT_FALSE(blinkAt(1400));
    EXPECT_FALSE(blinkAt(1500)) << "500 ms is not more than 500";
    EXPECT_TRUE(blinkAt(1501));
    EXPECT_FALSE(blinkAt(1900)) << "the blink time moved on";
    EXPECT_TRUE(blinkAt(2002));

    rig.acq.SetBlinkTime(0xFFFFFF00u);
    EXPECT_FALSE(blinkAt(0xFFFFFFF0u));
    EXPECT_FALSE(blinkAt(0x000000F4u)) << "exactly 500 ms after, across the wrap";
    EXPECT_TRUE(blinkAt(0x000000F5u));

    rig.scope.SetHold(true);
    EXPECT_FALSE(blinkAt(100000)) << "no lamp on hold";
    rig.scope.SetHold(false);
    rig.scope.SetTriggerSource(0);
    rig.scope.Changes().TakeChanged();
    EXPECT_FALSE(blinkAt(200000)) << "free running";
    rig.S().ExpectDone();
}

TEST(ScopeAcquisitionStep, StreamFaultsReachTheCallerAndTheLastRecordStays)
{
    Rig rig(2);
    rig.State(CScope::kComplete);
    rig.Expect(ReadRecord2(0), Record(2, 401, {100}));
    rig.Expect(ReadRecord2(1), Record(2, 401, {200}));
    rig.Arm();
    rig.acq.Step(0);

    // A stall while A's record comes.
    rig.State(CScope::kComplete);
    rig.Expect(ReadRecord2(0));
    rig.S().Fault(kStreamUsbReadFailed);
    try {
        rig.Next();
        ADD_FAILURE() << "the stall was swallowed";
    } catch (const CStreamException& e) {
        EXPECT_EQ(e.ErrorCode(), static_cast<uint32_t>(kStreamUsbReadFailed));
    }
    EXPECT_EQ(rig.acq.Buffer(0).Front()[0], 100 * 64);
    EXPECT_EQ(rig.acq.Buffer(1).Front()[0], 200 * 64);
    EXPECT_EQ(rig.acq.Pending(), 0) << "nothing half-read is handed to the window";

    // A box that stops answering before it tells its state.
    rig.Expect({0xD5});
    rig.S().Fault(kStreamNetworkReadFailed);
    EXPECT_THROW(rig.Next(), CStreamException);

    // B's record cut short: A has its new record, B keeps the last good one.
    rig.State(CScope::kComplete);
    rig.Expect(ReadRecord2(0), Record(2, 401, {300}));
    rig.Expect(ReadRecord2(1), Bytes(400, 0x01));
    EXPECT_THROW(rig.Next(), CStreamException);
    EXPECT_EQ(rig.acq.Buffer(0).Front()[0], 300 * 64);
    EXPECT_EQ(rig.acq.Buffer(1).Front()[0], 200 * 64);
    EXPECT_EQ(rig.acq.Buffer(1).Count(), 401);
    EXPECT_EQ(rig.S().Mismatches(), (std::vector<std::string>{"read past the script"}));
}

} // namespace
