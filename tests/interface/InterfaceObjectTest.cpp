// The interface object once connected.
#include <gtest/gtest.h>

#include <algorithm>

#include "FakeServices.h"
#include "instruments/UnitAccess.h"
#include "interface/Vexaface.h"
#include "units/Relays.h"
#include "units/ThreePhaseGen.h"

namespace {

using Bytes = ScriptedStream::Bytes;

class Connected : public ::testing::Test {
protected:
    void SetUp() override
    {
        stream = fake.streams.Prepare();
        ScriptIdentify(*stream, 3);
        ASSERT_EQ(face.Connect(true, false, false), kConnectConnected);
    }

    FakeServices fake;
    FakeWindows windows;
    CVexaface face{fake.Services()};
    ScriptedStream* stream = nullptr;
};

TEST_F(Connected, AttachesUnitsOneToSevenInOrder)
{
    for (uint8_t unit = 1; unit <= 7; ++unit)
        stream->ExpectWrite({0x0E, unit}).Reply({'!'});
    EXPECT_TRUE(face.AttachUnits());
    EXPECT_EQ(face.Unit(8), nullptr) << "the meter link attaches only on demand";
    stream->ExpectDone();
}

TEST_F(Connected, RefusedAttachIsReportedAndStops)
{
    stream->ExpectWrite({0x0E, 1}).Reply({'!'}).ExpectWrite({0x0E, 2}).Reply({'?'});
    EXPECT_FALSE(face.AttachUnits());
    EXPECT_EQ(fake.ui.messages.back(), "20016|%1|%2");
    stream->ExpectDone();
}

TEST_F(Connected, HostRelayControlSendsTheHostsStateAtOnceAndClosesTheRelayPanel)
{
    FakeSink relaysPanel(kRelaysInstrumentId);
    windows.Open(relaysPanel);
    face.Events().AddSink(&relaysPanel);
    stream->ExpectWrite({0x0E, 2}).Reply({'!'});
    ASSERT_TRUE(face.AttachUnit(2));
    face.SetHostRelayControl(false, 7);
    EXPECT_EQ(face.Relays()->State(), 0) << "staying off changes nothing";
    stream->ExpectWrite({0x32, 0xA5}).Reply({'!'});
    EXPECT_TRUE(face.OnHostCommand(0x10001, u"1,165"));
    EXPECT_TRUE(face.HostRelayControl());
    EXPECT_EQ(face.Relays()->State(), 0xA5);
    EXPECT_EQ(relaysPanel.State(), kSinkDetached);
    EXPECT_FALSE(face.OnHostCommand(2, u"1,1"));
    stream->ExpectDone();
    EXPECT_EQ(stream->Transfers().back(), (Bytes{0x32, 0xA5})) << "one batched transfer";
}

TEST_F(Connected, DisconnectReleasesAllAndClosesTheStream)
{
    stream->ExpectWrite({0x0E, 2}).Reply({'!'}).ExpectWrite({0x11});
    ASSERT_TRUE(face.AttachUnit(2));
    const int opened = stream->OpenCount();
    EXPECT_TRUE(face.Disconnect());
    EXPECT_EQ(face.Relays(), nullptr);
    EXPECT_EQ(stream->OpenCount(), opened - 1);
    EXPECT_TRUE(face.HasStream()) << "the stream object stays for a later connect";
    stream->ExpectDone();
}

// An instrument opened as the box broke closes after the units went: its
// closing must not reach for the unit it kept, until a new connection.
TEST_F(Connected, ConnectionLossClosesInstrumentsAndNoUnitIsReachedUntilTheNextConnection)
{
    stream->ExpectWrite({0x0E, 2}).Reply({'!'}).ExpectWrite({0x0E, 4}).Reply({'!'});
    ASSERT_TRUE(face.AttachUnit(2));
    ASSERT_TRUE(face.AttachUnit(kUnitThreePhase));
    FakeSink a(10120), b(10121);
    windows.Open(a);
    windows.Open(b);
    face.Events().AddSink(&a);
    face.Events().AddSink(&b);
    face.OnConnectionLost(CStreamException(20020));
    EXPECT_EQ(a.State(), kSinkReleased);
    EXPECT_EQ(b.State(), kSinkReleased);
    EXPECT_EQ(face.Events().GetCount(), 0);
    EXPECT_FALSE(face.HasStream());
    EXPECT_EQ(face.Relays(), nullptr);
    EXPECT_EQ(fake.ui.messages.back(), "20020|%1|%2");
    EXPECT_EQ(fake.ui.beeps, 1);
    EXPECT_EQ(face.GetFirmwareVersion(), 500);

    bool reached = false;
    EXPECT_FALSE(SendToUnitNow(&face, [&] { reached = true; }));
    EXPECT_FALSE(reached);

    ScriptIdentify(*fake.streams.Prepare(), 3);
    ASSERT_EQ(face.Connect(true, false, false), kConnectConnected);
    EXPECT_TRUE(SendToUnitNow(&face, [&] { reached = true; }));
    EXPECT_TRUE(reached);
}

TEST(NoStream, UnitsMadeWithoutABoxSendWhatTheyHoldOnceConnected)
{
    FakeServices fake;
    CVexaface face(fake.Services());
    auto* unit = dynamic_cast<C3PhaseGen*>(face.UnitForInstrument(kUnitThreePhase));
    ASSERT_NE(unit, nullptr) << "instruments open without a stream";
    unit->PrepareFixedDc(0, false);
    unit->SwitchOutputs(true);
    EXPECT_TRUE(unit->Flush());
    EXPECT_FALSE(unit->Flush()) << "the null stream took it all";

    ScriptedStream* stream = fake.streams.Prepare();
    ScriptIdentify(*stream, 3);
    ASSERT_EQ(face.Connect(true, false, false), kConnectConnected);
    stream->ExpectWrite({0x0E, 4}).Reply({'!'});
    ASSERT_TRUE(face.AttachUnit(kUnitThreePhase));
    EXPECT_EQ(face.Unit(kUnitThreePhase), unit) << "the panel's unit stays";
    stream->AcceptAnyWrites(true);
    stream->Reply(Bytes(16, '!'));
    EXPECT_TRUE(unit->Flush());
    const auto sent = stream->Transfers();
    ASSERT_FALSE(sent.empty());
    EXPECT_EQ(sent.back(), Bytes{0x40}) << "the outputs the panel shows on are switched on last";
    const Bytes all = stream->AllWritten();
    const Bytes dcMode{'J', 1};
    EXPECT_NE(std::search(all.begin(), all.end(), dcMode.begin(), dcMode.end()), all.end()) << "DC mode goes too";
}

TEST(ResourceCheck, ConflictNamesTheHolder)
{
    FakeServices fake;
    CVexaface face(fake.Services());
    FakeSink meter(10120);
    meter.m_resourceMask[5] = 0x7;
    face.Events().AddSink(&meter);
    uint32_t other[10] = {};
    other[5] = 0x4;
    EXPECT_FALSE(face.CheckResources(other));
    ASSERT_EQ(fake.ui.messages.size(), 1u);
    EXPECT_EQ(fake.ui.messages[0], "5019|Sink 10120|%2");
    other[5] = 0x8;
    other[6] = 0x7;
    EXPECT_TRUE(face.CheckResources(other));
    EXPECT_EQ(fake.ui.messages.size(), 1u);
}

} // namespace

namespace {

TEST(WindowMenu, NumbersInstrumentsInOrderAndWrapsAt16Bits)
{
    CVIEventHub hub;
    FakeSink a(10120), b(10031), c(10115);
    b.visible = false;
    for (FakeSink* s : {&a, &b, &c})
        hub.AddSink(s);
    std::vector<std::tuple<uint16_t, std::string, bool>> items;
    auto append = [&](uint16_t id, const CString& title, bool visible) {
        items.emplace_back(id, StringToUtf8(title), visible);
    };
    uint16_t next = 500;
    EXPECT_EQ(hub.AppendWindowMenu(append, next), 3);
    EXPECT_EQ(next, 503);
    EXPECT_EQ(items[1], std::make_tuple(uint16_t{501}, std::string("Sink 10031"), false));

    items.clear();
    next = 65534;
    hub.AppendWindowMenu(append, next);
    EXPECT_EQ(std::get<0>(items[1]), 65535);
    EXPECT_EQ(std::get<0>(items[2]), 0);
    EXPECT_EQ(next, 1);

    CVIEventHub empty;
    next = 7;
    EXPECT_EQ(empty.AppendWindowMenu(append, next), 0);
    EXPECT_EQ(next, 7);
}

} // namespace
