// The digital unit: patterns, the analyzer's commands and record reads, and its settings.
#include <gtest/gtest.h>

#include "../framework/ArchiveTestUtil.h"
#include "UnitTestSupport.h"
#include "units/DigIO.h"

namespace {

std::vector<std::unique_ptr<CDigData>> Steps(std::initializer_list<std::pair<uint32_t, int32_t>> steps)
{
    std::vector<std::unique_ptr<CDigData>> list;
    for (const auto& [word, count] : steps)
        list.push_back(std::make_unique<CDigData>(word, count));
    return list;
}

TEST(DigIO, PatternLengthWordsAndTexts)
{
    CDigIO dig(nullptr, nullptr);
    EXPECT_EQ(dig.PatternDurationText(), u"-------");
    dig.ReplacePattern(Steps({{0x11, 10}, {0x22, 20}, {0x33, 30}}));
    EXPECT_EQ(dig.PatternLength(), 60);
    EXPECT_EQ(dig.WordAt(0), 0x11);
    EXPECT_EQ(dig.WordAt(9), 0x11);
    EXPECT_EQ(dig.WordAt(10), 0x22);
    EXPECT_EQ(dig.WordAt(59), 0x33);
    EXPECT_EQ(dig.WordAt(60), std::nullopt);
    EXPECT_DOUBLE_EQ(dig.PatternDuration(), 0.6);
    EXPECT_EQ(dig.PatternDurationText(), u"600 ms");
    EXPECT_EQ(CDigIO::StepText(CDigData(0x8001, 5), 0), u"0\t1000000000000001\t8001\t    5");
    EXPECT_EQ(CDigIO::StepText(CDigData(0x1FFFF, 12345), 17), u"17\t1111111111111111\tFFFF\t 12345");
}

TEST(DigIO, OutputWordGoesWithoutAcknowledgementAndAReadAtTheEndWaitsForTheRecord)
{
    ScriptedInterface face(2);
    CDigIO dig(face.stream, &face.face);
    EXPECT_FALSE(dig.Flush());
    dig.SetOutputWord(0x1234);
    face.stream->ExpectWrite({0x21, 0x12, 0x34});
    EXPECT_TRUE(dig.Flush());
    EXPECT_EQ(CDigIO::OutputWord(), 0x1234);
    face.stream->ExpectWrite({0x20}).Reply({0xBE, 0xEF});
    EXPECT_EQ(dig.ReadInput(), 0xBEEF);
    face.stream->ExpectDone();

    // A read at the end of the recording waits for the whole record.
    dig.SetRecordLength(2);
    ScriptedStream& s = *face.stream;
    s.ExpectWrite({0x26}).Reply({2});
    EXPECT_EQ(dig.FetchSamples(), 0);
    s.ExpectWrite({0x26}).Reply({3});
    s.ExpectWrite({0x24, 0x00, 0x02}).Reply({0xA0, 0x01, 0xB0, 0x02, '!'});
    EXPECT_EQ(dig.FetchSamples(), 2);
    s.ExpectDone();
    EXPECT_EQ(dig.Record(), (std::vector<uint16_t>{0xA001, 0xB002}));
}

TEST(DigIO, SetupSendsThePatternOnlyWhenChanged)
{
    ScriptedInterface face(2);
    CDigIO dig(face.stream, &face.face);
    dig.SetRecordLength(1000);
    dig.SetTrigger(false, 0x00FF, 0x0F0F);
    dig.SetStreamMode(1);
    dig.ReplacePattern(Steps({{0x10001, 2}, {0x0002, 70000}}));
    ScriptedStream& s = *face.stream;
    s.ExpectWrite({0x23, 0x00, 0x64, 0x00, 0x00, 0x0F, 0x0F, 0x03, 0xE8, 0x01}).Reply({'!'});
    s.ExpectWrite({0x25, 0x00, 0x02, 0x00, 0x01, 0x00, 0x02, 0x00, 0x02, 0xFF, 0xFF}).Reply({'!'});
    dig.SendSetup();
    dig.SetTrigger(true, 0x00FF, 0x0F0F);
    s.ExpectWrite({0x23, 0x00, 0x64, 0x00, 0xFF, 0x0F, 0x0F, 0x03, 0xE8, 0x01}).Reply({'!'});
    dig.SendSetup();
    s.ExpectDone();
    EXPECT_EQ(s.Transfers()[2].size(), 10u) << "the setup is one batch";
    EXPECT_FALSE(dig.PatternChanged());
}

TEST(DigIO, RecordLengthBoundsEveryRead)
{
    ScriptedInterface face(2);
    CDigIO dig(face.stream, &face.face);
    dig.SetRecordLength(4);
    dig.SetStreamMode(1);
    dig.SetReadsLeft(2);
    ScriptedStream& s = *face.stream;
    // Still recording: one read, then back to the caller.
    s.ExpectWrite({0x2A}).Reply({0x00, 0x02, 0x00, 0x01, 0x00, 0x02}).ExpectWrite({0x26}).Reply({2});
    EXPECT_EQ(dig.FetchSamples(), 2);
    // Complete: the reads left collect the tail; words beyond the record are dropped.
    s.ExpectWrite({0x2A}).Reply({0x00, 0x03, 0x00, 0x03, 0x00, 0x04, 0x00, 0x05}).ExpectWrite({0x26}).Reply({3});
    s.ExpectWrite({0x2A}).Reply({0x00, 0x01, 0x00, 0x06}).ExpectWrite({0x26}).Reply({3});
    EXPECT_EQ(dig.FetchSamples(), 4);
    EXPECT_EQ(dig.ReadsLeft(), 0);
    EXPECT_EQ(dig.FetchSamples(), 0) << "no reads left";
    s.ExpectDone();
    EXPECT_EQ(dig.Record(), (std::vector<uint16_t>{1, 2, 3, 4}));
    EXPECT_EQ(dig.SamplesRead(), 4);

    // A box announcing 60000 words is read to the end, and only the record kept.
    dig.ResetRecord();
    dig.SetReadsLeft(1);
    Bytes flood{0xEA, 0x60};
    for (int i = 0; i < 60000; ++i)
        PutWord(flood, i);
    s.ExpectWrite({0x2A}).Reply(flood).ExpectWrite({0x26}).Reply({3});
    EXPECT_EQ(dig.FetchSamples(), 60000);
    s.ExpectDone();
    EXPECT_EQ(dig.Record(), (std::vector<uint16_t>{0, 1, 2, 3}));

    dig.SetRecordLength(2);
    EXPECT_EQ(dig.SamplesRead(), 2) << "a shorter record limits what was read";
    EXPECT_EQ(dig.Record(), (std::vector<uint16_t>{0, 0}));
}

TEST(DigIO, SettingsArchiveRoundTripAndVersionOne)
{
    CDigIO stored(nullptr, nullptr);
    stored.SetSampleInterval(20);
    stored.SetTrigger(true, 0x0101, 0x0303);
    stored.SetRepeat(true);
    stored.SetRecordLength(2);
    stored.ReplacePattern(Steps({{0xAAAA, 3}, {0x5555, 4}}));
    const Bytes bytes = StoreBytes([&](CArchive& ar) { stored.Serialize(ar); });
    EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + 10), (Bytes{2, 0, 0, 0, 20, 0, 0xF4, 0x01, 0, 0}));

    CDigIO loaded(nullptr, nullptr);
    LoadBytes(bytes, [&](CArchive& ar) { loaded.Serialize(ar); });
    EXPECT_EQ(loaded.SampleInterval(), 20);
    EXPECT_TRUE(loaded.TriggerOn());
    EXPECT_TRUE(loaded.Repeat());
    EXPECT_EQ(loaded.TriggerMask(), 0x0303);
    EXPECT_EQ(loaded.RecordLength(), 2);
    ASSERT_EQ(loaded.Pattern().size(), 2u);
    EXPECT_EQ(*loaded.Pattern()[1], CDigData(0x5555, 4));
    EXPECT_TRUE(loaded.PatternChanged());
    EXPECT_EQ(StoreBytes([&](CArchive& ar) { loaded.Serialize(ar); }), bytes);

    // Version 1: no trigger and repeat flags.
    const Bytes v1 = StoreBytes([](CArchive& ar) {
        ar << uint32_t{1} << uint16_t{50} << int32_t{500} << uint16_t{1} << uint16_t{1} << int32_t{0} << uint16_t{5}
           << uint16_t{1} << uint16_t{0x4242};
        ar.WriteCount(0);
    });
    CDigIO old(nullptr, nullptr);
    old.ReplacePattern(Steps({{1, 1}}));
    LoadBytes(v1, [&](CArchive& ar) { old.Serialize(ar); });
    EXPECT_EQ(old.SampleInterval(), 50);
    EXPECT_EQ(old.SamplesRead(), 1) << "limited to the record length";
    EXPECT_EQ(old.Record(), std::vector<uint16_t>{0x4242});
    EXPECT_TRUE(old.Pattern().empty());
    EXPECT_FALSE(old.TriggerOn());
}

} // namespace
