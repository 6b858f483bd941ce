// The multimeter and counter units, and the interface object's polling of the meter.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "../framework/ArchiveTestUtil.h"
#include "UnitTestSupport.h"
#include "units/VexaCounter.h"
#include "units/VexaMeter.h"

namespace {

TEST(Meter, BlocksGiveAverageRectifiedPeakAndRmsAndOverflowAtTheTopOfTheRange)
{
    ScriptedInterface level2(2);
    CVexaMeter meter(level2.stream, &level2.face);
    meter.SetRange(0, 6);  // 10 V
    level2.stream->ExpectWrite({0x66}).Reply(BlockReply(Constant(511), Constant(0), true));
    meter.ReadAB();
    level2.stream->ExpectDone();
    for (int q : {kMeterAverage, kMeterAbsAverage, kMeterPeak, kMeterRms, kMeterInstant})
        EXPECT_DOUBLE_EQ(CVexaMeter::Record(0, q), 10.0) << "quantity " << q;
    EXPECT_DOUBLE_EQ(CVexaMeter::Record(0, kMeterPeakToPeak), 0.0);
    EXPECT_TRUE(meter.Overflow(0));
    EXPECT_FALSE(meter.Overflow(1));
    EXPECT_EQ(CVexaMeter::Record(2, kMeterAverage), 0.0) << "only A and B have class-wide records";
    EXPECT_EQ(CVexaMeter::Record(0, 6), 0.0);

    meter.SetRange(1, 5);  // 5 V
    // A sine of amplitude 400 over whole periods: mean 0, |mean| 2/pi, RMS 1/sqrt 2.
    const int32_t n = 2048;
    ChannelBlock sine{100, 0, static_cast<int32_t>(400 * 2 / 3.141592653589793 * n), 400 * 400 / 2 * n, -400, 400};
    level2.stream->ExpectWrite({0x66}).Reply(BlockReply(Constant(0), sine, true));
    meter.ReadAB();
    const double volts = 5.0 * 400 / 511;
    EXPECT_NEAR(CVexaMeter::Record(1, kMeterAverage), 0, 1e-12);
    EXPECT_NEAR(CVexaMeter::Record(1, kMeterAbsAverage), volts * 2 / 3.141592653589793, 1e-3);
    EXPECT_NEAR(CVexaMeter::Record(1, kMeterRms), volts / std::sqrt(2.0), 1e-9);
    EXPECT_NEAR(CVexaMeter::Record(1, kMeterPeak), volts, 1e-12);
    EXPECT_NEAR(CVexaMeter::Record(1, kMeterPeakToPeak), 2 * volts, 1e-12);
    EXPECT_NEAR(CVexaMeter::Record(1, kMeterInstant), 5.0 * 100 / 511, 1e-12);
    EXPECT_FALSE(meter.Overflow(1));
}

TEST(Meter, EightBitBlocksOverflowOnlyAtTheirEnds)
{
    ScriptedInterface level1(1);
    CVexaMeter meter(level1.stream, &level1.face);
    ChannelBlock low = Constant(-127);
    ChannelBlock lowest = Constant(-100);
    lowest.minimum = -128;
    level1.stream->ExpectWrite({0x64}).Reply(BlockReply(low, lowest, false));
    meter.ReadAB();
    level1.stream->ExpectDone();
    EXPECT_FALSE(meter.Overflow(0)) << "-127 alone is in range";
    EXPECT_TRUE(meter.Overflow(1));
    EXPECT_DOUBLE_EQ(CVexaMeter::Record(0, kMeterAverage), -50.0 * 127 / 128) << "negative values divide by 128";
    EXPECT_DOUBLE_EQ(CVexaMeter::Record(1, kMeterPeak), -50.0 * 100 / 128);
}

TEST(Meter, ChannelsCAndDExistOnlyAtLevelThree)
{
    MeterRecord c{}, d{};
    c[0] = 7;
    {
        ScriptedInterface level2(2);
        CVexaMeter meter(level2.stream, &level2.face);
        meter.ReadCD(c, d);
        level2.stream->ExpectDone();
        EXPECT_EQ(c[0], 7) << "untouched below level 3";
    }
    ScriptedInterface level3(3);
    CVexaMeter meter(level3.stream, &level3.face);
    level3.stream->ExpectWrite({0x69, 0x08, 0x83}).Reply({'!'});
    meter.SetChannel(2, 3, kCouplingAC);  // C: 1 V full scale, AC; the bytes name D first
    level3.stream->ExpectWrite({0x6B}).Reply(BlockReply(Constant(511), Constant(-511), true));
    meter.ReadCD(c, d);
    level3.stream->ExpectDone();
    EXPECT_EQ(level3.stream->Transfers()[2], (Bytes{0x69, 0x08, 0x83})) << "one batch";
    EXPECT_DOUBLE_EQ(c[kMeterAverage], 1.0);
    EXPECT_DOUBLE_EQ(d[kMeterAverage], -50.0);
    EXPECT_TRUE(meter.Overflow(2));
    EXPECT_TRUE(meter.Overflow(3));
}

TEST(Meter, FlushSendsChannelsAcquisitionAndGOnlyToNewerFirmware)
{
    for (int firmware : {238, 239}) {
        ScriptedInterface face(2, firmware);
        CVexaMeter meter(face.stream, &face.face);
        ExpectAcked(*face.stream, {{0x60, 0x08, 0x08}, {0x61, 0x00, 0x0A, 0x08, 0x08, 0x08, 0x00}});
        if (firmware > 238)
            face.stream->ExpectWrite({0x67, 0x00});
        EXPECT_TRUE(meter.Flush()) << "a new meter sends every setting";
        EXPECT_FALSE(meter.IsRunning()) << "but does not start";
        face.stream->ExpectDone();
    }
}

TEST(Meter, UsersStartAndStopTheMeasurementAndOpeningReadsOrStarts)
{
    ScriptedInterface face(2);
    CVexaMeter meter(face.stream, &face.face);
    meter.Changes().TakeChanged();
    meter.RemoveUser();
    EXPECT_EQ(meter.Users(), 0);
    EXPECT_EQ(meter.Changes().TakeChanged(), CVexaMeter::kStopBit);
    meter.AddUser();
    meter.AddUser();
    ExpectAcked(*face.stream, {{0x62}});
    EXPECT_TRUE(meter.Flush());
    EXPECT_TRUE(meter.IsRunning());
    meter.RemoveUser();
    EXPECT_FALSE(meter.Flush()) << "one user is left";
    meter.RemoveUser();
    face.stream->ExpectWrite({0x63});
    EXPECT_TRUE(meter.Flush());
    EXPECT_FALSE(meter.IsRunning());
    face.stream->ExpectDone();

    // Opening reads a ready block or starts an idle meter.
    face.stream->ExpectWrite({0x65}).Reply({0}).ExpectWrite({0x62}).Reply({'!'});
    meter.Open();
    EXPECT_TRUE(meter.IsRunning());
    face.stream->ExpectWrite({0x65}).Reply({2}).ExpectWrite({0x66}).Reply(BlockReply(Constant(5), Constant(6), true));
    meter.Open();
    face.stream->ExpectWrite({0x65}).Reply({1});
    meter.Open();
    face.stream->ExpectDone();
    EXPECT_EQ(meter.Status(), 1);
}

TEST(Meter, SettingsArchiveRoundTripAndVersionOne)
{
    CStreamNUL demo;
    CVexaMeter stored(&demo, nullptr);
    stored.SetChannel(0, 4, kCouplingAC);
    stored.SetChannel(1, 7, kCouplingDC);
    CVexaMeter::SetShunt(0, 1.5);
    CVexaMeter::SetShunt(1, 0.1);
    const Bytes bytes = StoreBytes([&](CArchive& ar) { stored.Serialize(ar); });
    EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + 20),
              (Bytes{3, 0, 0, 0, 1, 0, 0, 0, 4, 0, 0, 0, 0, 0, 0, 0, 7, 0, 0, 0}));
    ASSERT_EQ(bytes.size(), 36u);

    CVexaMeter::SetShunt(0, 10);
    CVexaMeter loaded(&demo, nullptr);
    loaded.Changes().TakeChanged();
    LoadBytes(bytes, [&](CArchive& ar) { loaded.Serialize(ar); });
    EXPECT_EQ(loaded.ChannelWord(), 0x0784);
    EXPECT_EQ(CVexaMeter::Shunt(0), 1.5);
    EXPECT_EQ(loaded.Changes().TakeChanged(), CVexaMeter::kAllSettings);

    const Bytes v1 = {1, 0, 0, 0, 0, 0, 0, 0, 2, 0, 0, 0, 1, 0, 0, 0, 3, 0, 0, 0};
    LoadBytes(v1, [&](CArchive& ar) { loaded.Serialize(ar); });
    EXPECT_EQ(loaded.ChannelWord(), 0x8302);
    EXPECT_EQ(CVexaMeter::Shunt(0), 1.5) << "version 1 has no shunts";
    EXPECT_EQ(CVexaMeter::Shunt(1), 0.1);

    auto saved = loaded.SaveSettings();
    loaded.SetRange(0, 0);
    CVexaMeter::SetShunt(1, 99);
    loaded.RestoreSettings(std::move(saved));
    EXPECT_EQ(loaded.Range(0), 2);
    EXPECT_EQ(CVexaMeter::Shunt(1), 0.1);
}

TEST(Counter, FlushStartsOrStopsCountingOnlyWhenChanged)
{
    ScriptedInterface face(2);
    CVexaCounter counter(face.stream, &face.face);
    EXPECT_FALSE(counter.Flush());
    counter.SetEnabled(true);
    ExpectAcked(*face.stream, {{0x59}});
    EXPECT_TRUE(counter.Flush());
    counter.SetEnabled(false);
    ExpectAcked(*face.stream, {{0x5A}});
    EXPECT_TRUE(counter.Flush());
    EXPECT_FALSE(counter.Flush());
    face.stream->ExpectDone();
    EXPECT_EQ(StoreBytes([&](CArchive& ar) { counter.Serialize(ar); }), (Bytes{1, 0, 0, 0}));
}

// The interface object's polling of the meter, one cycle at a time.
TEST(MeterPolling, ReadyBlockIsReadAndAnnouncedIdleMeterRestarted)
{
    FakeWindows windows;
    ScriptedInterface face(2);
    ScriptedStream& s = *face.stream;
    ExpectAcked(s, {{0x0E, 0x06}});
    ASSERT_TRUE(face.face.AttachUnit(kUnitMeter));
    CVexaMeter* meter = face.face.Meter();
    ASSERT_NE(meter, nullptr);
    FakeSink voltmeter(10120);
    windows.Open(voltmeter);
    face.face.Events().AddSink(&voltmeter);

    EXPECT_TRUE(face.face.PollStep()) << "a meter that does not run is not asked";
    face.face.OnPollStart();
    meter->AddUser();
    ExpectAcked(s, {{0x60, 0x08, 0x08}, {0x61, 0x00, 0x0A, 0x08, 0x08, 0x08, 0x00}});
    s.ExpectWrite({0x67, 0x00});
    ExpectAcked(s, {{0x62}});
    face.face.ServiceUnits();
    EXPECT_TRUE(meter->IsRunning());

    s.ExpectWrite({0x65}).Reply({2}).ExpectWrite({0x66}).Reply(BlockReply(Constant(100), Constant(0), true));
    EXPECT_TRUE(face.face.PollStep());
    EXPECT_EQ(voltmeter.Count(kEventMeterData), 1);
    EXPECT_NEAR(CVexaMeter::Record(0, kMeterAverage), 50.0 * 100 / 511, 1e-12);

    s.ExpectWrite({0x65}).Reply({0}).ExpectWrite({0x62}).Reply({'!'});
    EXPECT_TRUE(face.face.PollStep());
    s.ExpectWrite({0x65}).Reply({1});
    EXPECT_TRUE(face.face.PollStep());
    EXPECT_EQ(voltmeter.Count(kEventMeterData), 1);

    ExpectAcked(s, {{0x62}});
    face.face.OnPollStart();
    s.ExpectDone();
}

} // namespace
