// The box's protocol engine: every command's parameter count and answer,
// the acquisitions behind the scope and logic analyzer, and the faults.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "SimHarness.h"

namespace {

struct CommandShape {
    const char* what;
    uint8_t levels;  // bit n: the command exists on level n
    Bytes command;   // command byte and parameters
    size_t answer;   // bytes of the answer (acknowledgements included)
};

// The protocol as the plug-in speaks it: after each command the box must be
// ready for the next one, so a variant query behind it is answered last.
const CommandShape kShapes[] = {
    {"identify", 0b1110, {0x02}, 22},
    {"device name", 0b1000, {0x18}, 64},
    {"attach", 0b1110, {0x0E, 3}, 1},
    {"release", 0b1110, {0x0F, 3}, 1},
    {"release all", 0b1110, {0x11}, 0},
    {"digital output", 0b1110, {0x21, 0x12, 0x34}, 0},
    {"digital input", 0b1110, {0x20}, 2},
    {"analyzer setup", 0b1110, {0x23, 0, 1, 0, 0, 0, 0, 0, 4, 0}, 1},
    {"pattern", 0b1110, {0x25, 0, 2, 0, 1, 0, 3, 0, 2, 0, 1}, 1},
    {"analyzer start", 0b1110, {0x28}, 1},
    {"analyzer state", 0b1110, {0x26}, 1},
    {"analyzer record", 0b1110, {0x24, 0, 5}, 11},
    {"analyzer samples", 0b1110, {0x2A}, 2},
    {"relays", 0b1110, {0x32, 0x81}, 1},
    {"three-phase on, off", 0b1110, {0x40, 0x41}, 2},
    {"three-phase C, D", 0b1110, {0x43, 30, 0x44, 1}, 2},
    {"three-phase amplitudes", 0b1110, {0x45, 1, 2, 3, 0x46, 4}, 2},
    {"three-phase angles", 0b1110, {0x47, 0, 240, 0, 120}, 1},
    {"three-phase waveform, DC, flags", 0b1110, {0x48, 1, 0x4A, 1, 0x4B, 0, 1, 0}, 3},
    {"METRAHit 23S", 0b1110, {0x50}, 9},
    {"METRAHit 18S", 0b1110, {0x51}, 10},
    {"METRAHit TEACH", 0b1110, {0x54, 4}, 30},
    {"counter", 0b1110, {0x59, 0x5A}, 2},
    {"meter channels", 0b1110, {0x60, 8, 8}, 1},
    {"meter acquisition", 0b1110, {0x61, 0, 10, 8, 8, 8, 0}, 1},
    {"meter start, status, stop", 0b1110, {0x62, 0x65, 0x63}, 2},
    {"meter G flag", 0b1110, {0x67, 0}, 0},
    {"meter channels C D", 0b1110, {0x69, 8, 8}, 1},
    {"meter read A B", 0b1100, {0x66}, 36},
    {"meter read A B", 0b0010, {0x64}, 30},
    {"meter read C D", 0b1000, {0x6B, 0x6C}, 72},
    {"bode setup", 0b0010, {0x90, 0, 0, 0, 32, 0x03, 0xE7, 0x03, 0xE7, 0}, 1},
    {"bode setup", 0b1100, {0x96, 0, 0, 0, 0x27, 0x10, 3, 0x20, 0, 250, 0, 250, 1}, 1},
    {"bode start, state, stop", 0b1110, {0x91, 0x93, 0x92}, 3},
    {"generator on, off", 0b1110, {0xC0, 0xC1}, 2},
    {"generator dividers", 0b0010, {0xC2, 0, 32, 0x03, 0xE7, 0}, 1},
    {"generator amplitude, waveform, range, duty", 0b1110, {0xC3, 255, 0xC4, 2, 0xC6, 1, 0xC9, 127}, 4},
    {"generator samples", 0b0010, {0xC5, 0, 3, 0, 128, 255}, 2},
    {"generator frequency", 0b1100, {0xCA, 0, 0, 0x27, 0x10}, 1},
    {"generator samples", 0b1100, {0xCB, 0, 2, 0x01, 0xFF, 0xFE, 0x01}, 2},
    {"scope trigger, level", 0b1110, {0xD0, 1, 0x90, 6, 0xD1, 0x40}, 1},
    {"scope arm, state, stop", 0b1110, {0xD2, 0xD5, 0xD3}, 2},
    {"scope read record", 0b0010, {0xD4, 0x1F, 0xFB, 0, 5, 0, 1, 1}, 5},
    {"scope time base", 0b0010, {0xD8, 0, 0, 1, 0x03, 0x20}, 1},
    {"scope time base", 0b1100, {0xDB, 0, 0, 2, 0x03, 0x21}, 1},
    {"scope channels", 0b1110, {0xD9, 0x88, 0x08}, 1},
    {"scope rolling read", 0b0010, {0xDA}, 2},
    {"scope read record", 0b1100, {0xDC, 0, 5, 2}, 10},
    {"scope rolling read", 0b1100, {0xDD}, 2},
    {"scope full setup", 0b1110, {0xDE, 3, 0, 0x03, 0x21, 0, 2, 8, 8, 8, 8, 0, 1, 0, 1, 0x90}, 1},
};

TEST(ProtocolEngine, EveryCommandTakesItsParametersAndAnswersItsSize)
{
    for (int level = 1; level <= 3; ++level) {
        BoxOptions options;
        options.level = level;
        SimHarness sim(options);
        const uint8_t variant = level == 1 ? '?' : static_cast<uint8_t>(level);
        for (const CommandShape& shape : kShapes) {
            SCOPED_TRACE(std::string(shape.what) + " on level " + std::to_string(level));
            Bytes bytes = shape.command;
            bytes.push_back(0x0B);
            const Bytes answer = sim.Send(bytes);
            ASSERT_FALSE(answer.empty());
            EXPECT_EQ(answer.back(), variant) << "out of step after the command";
            if (shape.levels >> level & 1) {
                EXPECT_EQ(answer.size(), shape.answer + 1);
            } else {
                EXPECT_EQ(answer[0], '?');
            }
        }
        EXPECT_EQ(sim.engine.Pending(), 0u);
    }
}

TEST(ProtocolEngine, AnswersDoNotDependOnHowTheBytesArrive)
{
    Bytes conversation;
    for (const CommandShape& shape : kShapes)
        conversation.insert(conversation.end(), shape.command.begin(), shape.command.end());
    SimHarness whole, piecewise;
    const Bytes expected = whole.Send(conversation);
    Bytes got;
    for (uint8_t b : conversation) {
        const Bytes part = piecewise.Send({b});
        got.insert(got.end(), part.begin(), part.end());
    }
    EXPECT_EQ(got, expected);
}

TEST(ProtocolEngine, IdentifiesWithFirmwareAtCharacter18)
{
    BoxOptions options;
    options.firmware = 238;
    SimHarness sim(options);
    const Bytes text = sim.Send({0x02});
    const std::string id(text.begin(), text.end() - 1);
    EXPECT_EQ(id.substr(0, 9), "RV8810-4C");
    EXPECT_EQ(std::stoi(id.substr(18)), 238);
    // Firmware 238 does not know the G flag: "?" instead of silence.
    EXPECT_EQ(sim.Send({0x67, 1}), Bytes{'?'});
}

TEST(ProtocolEngine, DeviceNameIsUtf16AndZeroTerminated)
{
    SimHarness sim;
    const Bytes name = sim.Send({0x18});
    ASSERT_EQ(name.size(), 64u);
    EXPECT_EQ(Bytes(name.begin(), name.begin() + 16), (Bytes{'B', 0, 'e', 0, 'n', 0, 'c', 0, 'h', 0, ' ', 0, '7', 0, 0, 0}));
}

TEST(ProtocolEngine, AttachingTracksUnitsAndRejectsBadNumbers)
{
    BoxOptions options;
    options.strictAttach = true;
    SimHarness sim(options);
    EXPECT_EQ(sim.Send({0xD5}), Bytes{'?'});  // scope not attached yet
    EXPECT_EQ(sim.Send({0x0E, 5, 0x0E, 0, 0x0E, 9}), (Bytes{'!', '?', '?'}));
    EXPECT_EQ(sim.box.AttachedUnits(), 1u << 5);
    EXPECT_EQ(sim.Send({0xD5}), Bytes{0});
    EXPECT_EQ(sim.Send({0x0F, 5, 0xD5}), (Bytes{'!', '?'}));
    sim.Send({0x0E, 1, 0x0E, 2, 0x11});
    EXPECT_EQ(sim.box.AttachedUnits(), 0u);
}

TEST(ProtocolEngine, UnknownBytesAreRefusedOneByOne)
{
    SimHarness sim;
    EXPECT_EQ(sim.Send({0x00, 0xFF, 0x0B}), (Bytes{'?', '?', 3}));
    EXPECT_EQ(sim.engine.Rejected(), 2u);
}

TEST(ProtocolEngine, SampleUploadIsAcknowledgedTwice)
{
    SimHarness sim;
    EXPECT_EQ(sim.Send({0xCB, 0, 3}), Bytes{'!'});
    EXPECT_EQ(sim.Send({0x01, 0xFF, 0xFE, 0x01}), Bytes{});  // waits for the third sample
    EXPECT_EQ(sim.Send({0, 0}), Bytes{'!'});
    const GeneratorSettings& g = sim.box.model.Generator();
    EXPECT_EQ(g.waveform, kWaveformArbitrary);
    EXPECT_EQ(g.arbitrary, (std::vector<double>{1.0, -1.0, 0.0}));
}

TEST(ProtocolEngineFaults, OneAcknowledgementGoesWrong)
{
    FaultPlan faults;
    faults.wrongAckAt = 2;
    SimHarness sim({}, faults);
    EXPECT_EQ(sim.Send({0x0E, 1, 0x0E, 2, 0x0E, 3}), (Bytes{'!', '?', '!'}));
}

TEST(ProtocolEngineFaults, GarbageFollowsTheChosenQueryOnly)
{
    FaultPlan faults;
    faults.garbageAfterQuery = 2;
    faults.garbageBytes = 64;
    SimHarness sim({}, faults);
    EXPECT_EQ(sim.Send({0x0B, 0x0E, 1}), (Bytes{3, '!'}));
    const Bytes answer = sim.Send({0x0B});
    ASSERT_EQ(answer.size(), 65u);
    EXPECT_EQ(answer[0], 3);
    EXPECT_EQ(std::count(answer.begin(), answer.end(), '!'), 0);
    EXPECT_EQ(sim.Send({0x0B}), Bytes{3});
}

TEST(ProtocolEngineFaults, StallStopsBeforeTheChosenCommand)
{
    FaultPlan faults;
    faults.stallAtCommand = 2;
    SimHarness sim({}, faults);
    EXPECT_EQ(sim.Send({0x0B, 0x0B, 0x0B}), Bytes{3});
    EXPECT_TRUE(sim.engine.StallDue());
    sim.engine.StallDone();
    EXPECT_EQ(sim.Send({}), (Bytes{3, 3}));
    EXPECT_FALSE(sim.engine.StallDue());
}

// --- scope acquisitions

TEST(ScopeAcquisition, FreeRunCompletesAfterOneRecord)
{
    SimHarness sim;
    // 10 us/div on level 3: divider 20 (100 ns), 1001 samples; no trigger.
    sim.Send({0xDB, 0, 0, 20, 0x03, 0xE9, 0xD0, 0x03, 0xE9, 0, 0xD2});
    EXPECT_EQ(sim.Send({0xD5}), Bytes{2});
    sim.clock.Advance(1001 * 100e-9 * 0.99);
    EXPECT_EQ(sim.Send({0xD5}), Bytes{2});
    sim.clock.Advance(1001 * 100e-9 * 0.02);
    EXPECT_EQ(sim.Send({0xD5}), Bytes{3});
    EXPECT_EQ(sim.Send({0xD3, 0xD5}), Bytes{0});
}

TEST(ScopeAcquisition, TriggerPlacesTheRisingEdgeAtThePretriggerShare)
{
    SimHarness sim;
    sim.Send({0xC4, 0, 0xC3, 255, 0xC0, 0xCA, 0, 0, 0x27, 0x10, 0xD9, 7, 7});  // 1 kHz sine on B
    // 100 us/div: divider 200 (1 us), 1001 samples, 500 after the trigger,
    // rising edge on B at level 0.
    sim.Send({0xDB, 0, 0, 200, 0x03, 0xE9, 0xD0, 0x01, 0xF4, 2, 0xD1, 0, 0xD2});
    sim.clock.Advance(0.0123);
    ASSERT_EQ(sim.Send({0xD5}), Bytes{3});
    const std::vector<int16_t>& b = sim.box.scope.Record(1);
    ASSERT_EQ(b.size(), 1001u);
    const size_t pre = 1001 - 500;
    EXPECT_LT(b[pre - 2], 0);
    EXPECT_GE(b[pre], 0);
    EXPECT_GT(b[pre + 10], b[pre]);
    // A quarter period (250 samples) later the sine peaks.
    EXPECT_NEAR(b[pre + 250], 256, 2);  // 10 V peak in 20 V full scale
}

TEST(ScopeAcquisition, ConstantSignalNeverTriggers)
{
    SimHarness sim;
    sim.Send({0xC4, 4, 0xC3, 100, 0xC0});  // DC
    sim.Send({0xDB, 0, 0, 2, 0x03, 0xE9, 0xD0, 0x01, 0xF4, 6, 0xD2});
    sim.clock.Advance(10);
    EXPECT_EQ(sim.Send({0xD5}), Bytes{1});
}

TEST(ScopeAcquisition, SlowTimeBaseRollsSamplesInRealTime)
{
    SimHarness sim;
    // 50 ms/div: 1 ms per sample, 501 samples; channels A and B.
    sim.Send({0xDB, 1, 0, 10, 0x01, 0xF5, 0xD2});
    EXPECT_EQ(sim.Send({0xD5}), Bytes{1});
    sim.clock.Advance(0.0105);
    const Bytes first = sim.Send({0xDD});
    EXPECT_EQ(Word16(first, 0), 10);
    EXPECT_EQ(first.size(), 2u + 10 * 4);
    sim.clock.Advance(0.003);
    EXPECT_EQ(Word16(sim.Send({0xDD}), 0), 3);
    EXPECT_EQ(sim.Send({0xD5}), Bytes{2});
    sim.clock.Advance(1);
    EXPECT_EQ(sim.Send({0xD5}), Bytes{3});
    EXPECT_EQ(Word16(sim.Send({0xDD}), 0), 501 - 13);
}

// --- digital unit

TEST(DigitalUnit, AnalyzerRecordsThePatternThroughTheLoopback)
{
    SimHarness sim;
    // Interval 1 (0.1 ms), trigger on bit 1 set, 6 samples, read at the end.
    sim.Send({0x23, 0, 1, 0, 2, 0, 2, 0, 6, 0});
    // Pattern: 0x0001 for 2 samples, 0x0002 for 3, 0x0004 for 1.
    sim.Send({0x25, 0, 3, 0, 1, 0, 2, 0, 2, 0, 3, 0, 4, 0, 1});
    EXPECT_EQ(sim.Send({0x28, 0x26}), (Bytes{'!', 1}));
    sim.clock.Advance(0.00045);  // 4 samples: 2 before the trigger, 2 recorded
    EXPECT_EQ(sim.Send({0x26}), Bytes{2});
    sim.clock.Advance(0.001);
    EXPECT_EQ(sim.Send({0x26}), Bytes{3});
    EXPECT_EQ(sim.Send({0x24, 0, 6}), (Bytes{0, 2, 0, 2, 0, 2, 0, 4, 0, 1, 0, 1, '!'}));
}

TEST(DigitalUnit, InputsReadTheOutputsOrTheFixedWord)
{
    SimHarness looped;
    EXPECT_EQ(looped.Send({0x21, 0xBE, 0xEF, 0x20}), (Bytes{0xBE, 0xEF}));
    BoxOptions options;
    options.loopback = false;
    options.digitalInput = 0x1234;
    SimHarness open(options);
    EXPECT_EQ(open.Send({0x21, 0xBE, 0xEF, 0x20}), (Bytes{0x12, 0x34}));
}

TEST(MetraHitLink, EighteenSShowsTheDcLevelOfChannelA)
{
    SimHarness sim;
    sim.Send({0xC4, 5, 0xC3, 127, 0xC6, 0, 0xC0});  // DC -4.98 V through the RC
    const Bytes answer = sim.Send({0x51});
    ASSERT_EQ(answer.size(), 10u);
    EXPECT_EQ(answer[0], 13);
    EXPECT_EQ(answer[1] & 15, 3);             // DC
    EXPECT_EQ(answer[4], 2 | 8);              // 30 V range, minus
    EXPECT_EQ(std::string(answer.begin() + 5, answer.end()), "04980");
    EXPECT_EQ(sim.Send({0x50}), Bytes(9, 0));  // a 23S request gets no answer from an 18S
}

} // namespace
