// The scope acquisition unit: commands, record and rolling reads, conversions, settings.
#include <gtest/gtest.h>

#include "../framework/ArchiveTestUtil.h"
#include "UnitTestSupport.h"
#include "units/Scope.h"

namespace {

TEST(Scope, TimeBaseRowsGiveDividerLengthAndSamplePeriodAndFillTenDivisions)
{
    ScriptedInterface level1(1);
    CScope scope(level1.stream, &level1.face);
    ASSERT_TRUE(scope.SetTimeBase(2));
    EXPECT_EQ(scope.CurrentTimeBase().timePerDivision, 5e-6);
    EXPECT_EQ(scope.Divider(), 1);
    EXPECT_EQ(scope.RecordLength(), 800);
    EXPECT_DOUBLE_EQ(scope.SamplePeriod(), 6.25e-8);
    EXPECT_DOUBLE_EQ(scope.CurrentTimeBase().timePerDivision / scope.SamplePeriod(), 80);
    EXPECT_FALSE(scope.SetTimeBase(static_cast<int32_t>(scope.TimeBases().size()))) << "past the table";
    EXPECT_EQ(CScope::TimeBaseTable(3).front().timePerDivision, 0.1e-6) << "level 3 starts at 0.1 us";
    EXPECT_EQ(CScope::TimeBaseTable(3).size(), CScope::TimeBaseTable(1).size() + 3);

    for (uint8_t level = 1; level <= 3; ++level) {
        ScriptedInterface face(level);
        CScope atLevel(face.stream, &face.face);
        for (const TimeBaseRow& row : atLevel.TimeBases()) {
            const double span = 10 * row.timePerDivision;
            if (row.slow) {
                // Slow rows: A in 100 us units, 50 samples per division.
                EXPECT_NEAR(50 * row.divider * 100e-6, row.timePerDivision, 1e-12) << row.timePerDivision;
                continue;
            }
            // Level 1 records end before the last division's edge, the others on it.
            const int intervals = level == 1 ? row.length : row.length - 1;
            EXPECT_NEAR(intervals * atLevel.SamplePeriod(row.divider) / span, 1.0, 1e-9)
                << "level " << int(level) << ", " << row.timePerDivision << " s/div";
        }
    }
}

TEST(Scope, FirstFlushSendsEveryGroupInOrderAndEmptiesTheBuffers)
{
    ScriptedInterface level1(1);
    CScope scope(level1.stream, &level1.face);
    scope.SetTimeBase(2);
    CScope::ScreenBuffer(0).Back()[0] = 99;
    ScriptedStream& s = *level1.stream;
    s.ExpectWrite({0xD8, 0x00, 0x00, 0x01, 0x03, 0x20}).Reply({'!'});  // slow 0, divider 1, length 800
    s.ExpectWrite({0xD0, 0x03, 0x20, 0x00}).Reply({'!'});              // delay 800, no trigger
    s.ExpectWrite({0xD9, 0x08, 0x08}).Reply({'!'});                    // 10 V/div on A and B
    s.ExpectWrite({0xD0, 0x03, 0x20, 0x00}).Reply({'!'});
    s.ExpectWrite({0xD1, 0x00});                                       // level: no acknowledgement
    EXPECT_TRUE(scope.Flush());
    EXPECT_FALSE(scope.Flush());
    s.ExpectDone();
    EXPECT_EQ(s.Transfers().size(), 7u) << "identify (2) and each command as one transfer";
    EXPECT_EQ(CScope::ScreenBuffer(0).Count(), 800);
    EXPECT_EQ(CScope::ScreenBuffer(0).Back()[0], 0);
    EXPECT_EQ(CScope::LastTimeBaseIndex(), 2);
}

TEST(Scope, TriggerEncoding)
{
    ScriptedInterface level2(2);
    CScope scope(level2.stream, &level2.face);
    scope.Changes().TakeChanged();
    scope.SetTimeBase(2);  // 5 us/div: 801 samples
    scope.SetTriggerPosition(50);
    EXPECT_EQ(scope.TriggerDelay(), 400);
    scope.SetTriggerSource(1);
    scope.SetTriggerSlope(1);
    EXPECT_EQ(scope.TriggerModeByte(), 14) << "other edge (10) plus 4 for the first source";
    scope.SetTriggerSource(2);
    scope.SetTriggerSlope(0);
    EXPECT_EQ(scope.TriggerModeByte(), 2);

    EXPECT_EQ(CScope::TriggerLevelByte(-100), 0x81) << "-127";
    EXPECT_EQ(CScope::TriggerLevelByte(100), 127);
    EXPECT_EQ(CScope::TriggerLevelByte(50), 64) << "63.5 rounds away from zero";
    EXPECT_EQ(CScope::TriggerLevelByte(-50), static_cast<uint8_t>(-64));
    scope.SetTriggerLevel(-250);
    EXPECT_EQ(scope.TriggerLevel(), -100);
    EXPECT_FALSE(scope.TriggerLevelDown()) << "already at the limit";
    scope.SetTriggerPosition(100);
    EXPECT_FALSE(scope.TriggerPositionUp());
    EXPECT_TRUE(scope.TriggerPositionDown());
    EXPECT_EQ(scope.TriggerPosition(), 99);
}

TEST(Scope, FullSetupCarriesEverySettingInOneBatch)
{
    ScriptedInterface level2(2);
    CScope scope(level2.stream, &level2.face);
    scope.SetTimeBase(2);
    scope.SetChannelMask(0x0F);
    scope.SetMode(0, kCouplingAC);
    scope.SetRange(1, 3);
    scope.SetMode(2, kCouplingGround);
    scope.SetTriggerSource(2);
    scope.SetTriggerSlope(1);
    scope.SetTriggerLevel(50);
    scope.SetTriggerPosition(50);
    level2.stream->ExpectWrite({0xDE, 0x0F, 0x00, 0x03, 0x21, 0x00, 0x05, 0x88, 0x03, 0x08, 0x08, 0x01, 0x02, 63,
                                0x01, 0x90})
        .Reply({'!'});
    scope.FullSetup();
    level2.stream->ExpectDone();
    EXPECT_EQ(level2.stream->Transfers().back().size(), 16u);
}

TEST(Scope, RecordsAreScaledToSixteenBitsPerLevel)
{
    {
        ScriptedInterface level2(2);
        CScope scope(level2.stream, &level2.face);
        CScopeBuffer buffer;
        level2.stream->ExpectWrite({0xDC, 0x00, 0x03, 0x02}).Reply({0xFE, 0x01, 0x01, 0xFF, 0x7F, 0xFF});
        EXPECT_EQ(scope.ReadRecord(1, 3, buffer), 3);
        level2.stream->ExpectDone();
        ASSERT_EQ(buffer.Count(), 3);
        EXPECT_EQ(buffer.Front()[0], -32704) << "raw -511";
        EXPECT_EQ(buffer.Front()[1], 32704);
        EXPECT_EQ(buffer.Front()[2], 32704) << "garbage beyond ten bits is held at the end";
        EXPECT_EQ(buffer.LastIndex(), 2);
        EXPECT_DOUBLE_EQ(buffer.RangeFactor(), 1.25);

        // A record longer than the buffer is asked for at the buffer's size.
        level2.stream->ExpectWrite({0xDC, 0x20, 0x00, 0x01}).Reply(Bytes(2 * 8192, 0x01));
        EXPECT_EQ(scope.ReadRecord(0, 60000, buffer), CScope::kBufferSize);
        level2.stream->ExpectDone();
        EXPECT_EQ(buffer.Count(), CScope::kBufferSize);
        EXPECT_EQ(scope.ReadRecord(7, 10, buffer), 0) << "no such channel: nothing sent";
    }
    {
        ScriptedInterface level1(1);
        CScope scope(level1.stream, &level1.face);
        CScopeBuffer buffer;
        level1.stream->ExpectWrite({0xD4, 0x1F, 0xFE, 0x00, 0x02, 0x00, 0x01, 0x01}).Reply({0x80, 0x7F});
        scope.ReadRecord(0, 2, buffer);
        level1.stream->ExpectDone();
        EXPECT_EQ(buffer.Front()[0], -32768);
        EXPECT_EQ(buffer.Front()[1], 32512);

        scope.SetMode(0, kCouplingGround);
        level1.stream->ExpectWrite({0xD4, 0x1F, 0xFE, 0x00, 0x02, 0x00, 0x01, 0x01}).Reply({0x12, 0x34});
        scope.ReadRecord(0, 2, buffer);
        EXPECT_EQ(buffer.Front()[0], 0) << "a grounded channel shows its zero line";
        EXPECT_EQ(buffer.Front()[1], 0);
    }
}

TEST(Scope, RollingReadAppendsTheEnabledChannelsAndKeepsTheNewest)
{
    ScriptedInterface level2(2);
    CScope scope(level2.stream, &level2.face);
    scope.SetChannelMask(0b0101);
    CScopeBuffer a, c;
    a.Reset(4);
    c.Reset(4);
    level2.stream->ExpectWrite({0xDD}).Reply({0x00, 0x00});
    EXPECT_FALSE(scope.ReadRolling({&a, nullptr, &c, nullptr})) << "no group: nothing changes";
    EXPECT_EQ(a.FillPosition(), 0);

    // Three groups of (A, C), then three more: the buffer of four keeps the newest.
    level2.stream->ExpectWrite({0xDD}).Reply({0x00, 0x03, 0, 1, 0, 10, 0, 2, 0, 20, 0, 3, 0, 30});
    level2.stream->ExpectWrite({0xDD}).Reply({0x00, 0x03, 0, 4, 0, 40, 0, 5, 0, 50, 0, 6, 0, 60});
    EXPECT_TRUE(scope.ReadRolling({&a, nullptr, &c, nullptr}));
    EXPECT_TRUE(scope.ReadRolling({&a, nullptr, &c, nullptr}));
    level2.stream->ExpectDone();
    EXPECT_EQ(std::vector<int16_t>(a.Front().begin(), a.Front().end()), (std::vector<int16_t>{192, 256, 320, 384}));
    EXPECT_EQ(std::vector<int16_t>(c.Front().begin(), c.Front().end()),
              (std::vector<int16_t>{1920, 2560, 3200, 3840}));
    EXPECT_DOUBLE_EQ(c.RangeFactor(), 1.25);

    // Sixty thousand groups: the newest are kept and the stream stays in step.
    scope.SetChannelMask(1);
    CScopeBuffer b;
    a.Reset(501);
    Bytes reply{0xEA, 0x60};  // 60000 groups
    for (int g = 0; g < 60000; ++g)
        PutWord(reply, g % 500 - 250);
    level2.stream->ExpectWrite({0xDD}).Reply(reply);
    level2.stream->ExpectWrite({0xD2}).Reply({'!'});
    EXPECT_TRUE(scope.ReadRolling(a, b));
    scope.Arm();
    level2.stream->ExpectDone();
    EXPECT_EQ(a.Front()[500], (59999 % 500 - 250) * 64);
    EXPECT_EQ(a.Front()[0], (59499 % 500 - 250) * 64);
    EXPECT_EQ(b.FillPosition(), 0) << "B is not enabled";

    // A box that announces more than it sends ends in a stream fault, not a hang or overrun.
    level2.stream->ExpectWrite({0xDD}).Reply({0xEA, 0x60, 0x00, 0x01});
    EXPECT_THROW(scope.ReadRolling(a, b), CStreamException);
}

TEST(Scope, ChannelsBeyondDAreIgnoredAndAutoRangeStopsAt50Volts)
{
    CScope scope(nullptr, nullptr);
    scope.Changes().TakeChanged();
    scope.SetRange(4, 3);
    scope.SetMode(-1, kCouplingAC);
    EXPECT_EQ(scope.Changes().TakeChanged(), 0u);
    EXPECT_EQ(scope.ChannelWord(), 0x0808);

    EXPECT_FALSE(scope.AutoRange(0, 40)) << "index 8 is the top the autorange reaches";
    scope.SetRange(0, 5);  // 5 V full scale
    EXPECT_TRUE(scope.AutoRange(0, 4));
    EXPECT_EQ(scope.Range(0), 6);
    EXPECT_TRUE(scope.AutoRange(0, 2.9));
    EXPECT_EQ(scope.Range(0), 5);
    EXPECT_FALSE(scope.AutoRange(0, 3));
    scope.SetMode(1, kCouplingAC);
    scope.SetRange(1, 0);
    EXPECT_EQ(scope.ChannelWord(), 0x8005);
    EXPECT_DOUBLE_EQ(CScope::ClassRangeFactor(1), 0.1 / (4 * 0.02));
}

TEST(Scope, SettingsArchiveRoundTripVersionOneAndDamage)
{
    CStreamNUL demo;
    CScope stored(&demo, nullptr);
    stored.SetTimeBase(5);
    stored.SetMode(1, kCouplingAC);
    stored.SetRange(2, 3);
    stored.SetRange(3, 11);
    stored.SetTriggerSource(2);
    stored.SetTriggerLevel(-40);
    stored.SetTriggerPosition(30);
    stored.SetSingleShot(true);
    stored.Flush();
    const Bytes bytes = StoreBytes([&](CArchive& ar) { stored.Serialize(ar); });
    EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + 12), (Bytes{2, 0, 0, 0, 5, 0, 0, 0, 5, 0, 0, 0}));

    stored.SetTimeBase(0);
    CScope loaded(nullptr, nullptr);
    loaded.Changes().TakeChanged();
    LoadBytes(bytes, [&](CArchive& ar) { loaded.Serialize(ar); });
    EXPECT_EQ(CScope::TimeBaseIndex(), 5);
    EXPECT_EQ(loaded.Mode(1), kCouplingAC);
    EXPECT_EQ(loaded.Range(2), 3);
    EXPECT_EQ(loaded.Range(3), 11);
    EXPECT_EQ(loaded.TriggerSource(), 2);
    EXPECT_EQ(loaded.TriggerLevel(), -40);
    EXPECT_EQ(loaded.TriggerPosition(), 30);
    EXPECT_TRUE(loaded.SingleShot());
    EXPECT_EQ(loaded.Changes().TakeChanged(), 0xFFFFu);
    EXPECT_EQ(StoreBytes([&](CArchive& ar) { loaded.Serialize(ar); }), bytes);

    // Version 1 has no C and D and buffers of 8-bit samples.
    const Bytes v1 = StoreBytes([](CArchive& ar) {
        ar << uint32_t{1} << int32_t{3} << int32_t{4} << int32_t{1} << int32_t{0} << int32_t{2} << int32_t{1}
           << int32_t{1} << int32_t{9} << int32_t{1} << int32_t{1} << int32_t{60} << int32_t{20} << int32_t{8192}
           << int32_t{0};
        for (int buffer = 0; buffer < 2; ++buffer)
            ar << uint32_t{1} << int32_t{2} << int32_t{1} << 1.5 << int8_t{-2} << int8_t{3};
    });
    CScope old(nullptr, nullptr);
    old.SetRange(2, 1);
    old.SetRange(3, 2);
    LoadBytes(v1, [&](CArchive& ar) { old.Serialize(ar); });
    EXPECT_EQ(CScope::TimeBaseIndex(), 4);
    EXPECT_EQ(old.Range(0), 2);
    EXPECT_EQ(old.Range(1), 9);
    EXPECT_EQ(old.Mode(1), kCouplingAC);
    EXPECT_EQ(old.Range(2), 1) << "C and D keep their ranges";
    EXPECT_EQ(old.Range(3), 2);
    EXPECT_EQ(CScope::ScreenBuffer(1).Count(), 2);
    EXPECT_EQ(CScope::ScreenBuffer(1).Front()[0], -512);
    EXPECT_EQ(CScope::ScreenBuffer(1).Front()[1], 768);
    EXPECT_EQ(CScope::ScreenBuffer(1).RangeFactor(), 1.5);
    CScope::ScreenBuffer(1).Swap();
    EXPECT_EQ(CScope::ScreenBuffer(1).Front()[1], 768) << "both arrays hold the loaded samples";

    // Damaged archives are refused.
    EXPECT_THROW(LoadBytes({3, 0, 0, 0}, [&](CArchive& ar) { old.Serialize(ar); }), CArchiveException);
    CScopeBuffer buffer;
    const Bytes huge = StoreBytes([](CArchive& ar) { ar << uint32_t{2} << int32_t{40000} << int32_t{0} << 1.0; });
    EXPECT_THROW(LoadBytes(huge, [&](CArchive& ar) { buffer.Serialize(ar); }), CArchiveException);
}

TEST(Scope, SavedSettingsComeBackMarkedForSending)
{
    CStreamNUL demo;
    CScope scope(&demo, nullptr);
    scope.SetTimeBase(3);
    scope.Flush();
    scope.SetTriggerLevel(20);
    auto saved = scope.SaveSettings();
    scope.SetTimeBase(7);
    scope.SetTriggerLevel(-20);
    scope.SetRange(0, 2);
    scope.Changes().TakeChanged();
    scope.RestoreSettings(std::move(saved));
    EXPECT_EQ(CScope::TimeBaseIndex(), 3);
    EXPECT_EQ(scope.TriggerLevel(), 20);
    EXPECT_EQ(scope.Range(0), kDefaultRange);
    EXPECT_EQ(scope.Changes().TakeChanged(), 0xFFFFu);
}

} // namespace
