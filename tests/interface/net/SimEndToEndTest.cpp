// The plug-in's TCP stream against the simulator.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "SimPeer.h"
#include "model/InputRange.h"

namespace {

class EndToEndAtLevel : public testing::TestWithParam<int> {};

TEST_P(EndToEndAtLevel, IdentifiesAttachesAndReleasesUnitsOneToSeven)
{
    const int level = GetParam();
    SimPeer peer(AtLevel(level));
    ASSERT_TRUE(peer.Started());
    auto stream = peer.Connect();
    ASSERT_TRUE(stream->IsConnected());

    const InterfaceIdentity id = IdentifyInterface(*stream);
    EXPECT_EQ(id.text, u"RV8810-4C Vexa FW 250");
    EXPECT_EQ(std::stoi(StringToUtf8(id.text.substr(18))), 250);
    EXPECT_EQ(id.variantLevel, level);
    EXPECT_EQ(id.deviceName, level == 3 ? u"Vexa Simulator" : u"");

    for (uint8_t unit = 1; unit <= 7; ++unit)
        SendAttachUnit(*stream, unit);
    EXPECT_EQ(peer.Sim().Box().AttachedUnits(), 0xFEu);
    for (uint8_t unit = 7; unit >= 5; --unit)
        SendReleaseUnit(*stream, unit);
    EXPECT_EQ(peer.Sim().Box().AttachedUnits(), 0x1Eu);

    // Release all has no answer: the next query must still be in step.
    stream->WriteByte(0x11);
    EXPECT_EQ(stream->QueryByte(0x0B), level == 1 ? '?' : level);
    EXPECT_EQ(peer.Sim().Box().AttachedUnits(), 0u);
    EXPECT_EQ(stream->GetInputCount(), 0u);
    stream->Close();
    EXPECT_FALSE(stream->IsConnected());
}

INSTANTIATE_TEST_SUITE_P(Levels, EndToEndAtLevel, testing::Values(1, 2, 3));

TEST(EndToEnd, ForeignIdentificationEndsTheSequence)
{
    SimOptions options;
    options.box.identification = "XT-2000 data logger";
    SimPeer peer(options);
    auto stream = peer.Connect();
    const InterfaceIdentity id = IdentifyInterface(*stream);
    EXPECT_EQ(id.text, u"XT-2000 data logger");
    EXPECT_FALSE(id.recognised);
}

// Waits (in real time) until the scope reports a complete record.
void WaitForRecord(CStreamIO& stream)
{
    for (int i = 0; i < 200; ++i) {
        if (stream.QueryByte(0xD5) == 3)
            return;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    FAIL() << "the acquisition never completed";
}

TEST(EndToEnd, ScopeRecordOfADcLevelHasTheConvertersValue)
{
    SimPeer peer(AtLevel(2));
    auto s = peer.Connect();
    // DC 10 V from the generator (channel B), input B in range 7 (20 V).
    SendCommand(*s, {0xC4, 4});
    SendCommand(*s, {0xC3, 255});
    SendCommand(*s, {0xC6, 0});
    SendCommand(*s, {0xC0});
    SendCommand(*s, {0xD9, 7, 7});
    // 1 us/div on level 2: divider 2, 401 samples; arm.
    SendCommand(*s, {0xDB, 0, 0, 2, 0x01, 0x91});
    SendCommand(*s, {0xD2});
    WaitForRecord(*s);

    s->BeginBlock();
    s->WriteByte(0xDC);
    s->WriteWord(401);
    s->WriteByte(2);  // channel B
    s->EndBlock();
    const int16_t expected = RawSample(10.0, FullScale(7), 2);
    EXPECT_EQ(expected, 256);
    for (int i = 0; i < 401; ++i)
        ASSERT_EQ(static_cast<int16_t>(s->ReadWord()), expected) << i;
    EXPECT_EQ(s->GetInputCount(), 0u);
}

TEST(EndToEnd, VariantLevel1RecordsAreOneBytePerSample)
{
    SimPeer peer(AtLevel(1));
    auto s = peer.Connect();
    SendCommand(*s, {0xD8, 0, 0, 0, 0x01, 0x40});  // 1 us/div: divider 0, 320 samples
    SendCommand(*s, {0xD2});
    WaitForRecord(*s);
    s->BeginBlock();
    s->WriteByte(0xD4);
    s->WriteWord(8192 - 320);
    s->WriteWord(320);
    s->WriteWord(1);
    s->WriteByte(1);
    s->EndBlock();
    std::vector<uint8_t> record(320, 0xFF);
    s->Read(record.data(), 320);
    EXPECT_EQ(record, std::vector<uint8_t>(320, 0));  // nothing connected: 0 V
    EXPECT_EQ(s->QueryByte(0x0B), '?');
}

} // namespace
