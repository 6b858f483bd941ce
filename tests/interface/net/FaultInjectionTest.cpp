// What the plug-in's TCP stream does when the box misbehaves on purpose:
// the right stream exception, and never a wait beyond the receive timeout.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "SimPeer.h"

namespace {

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

TEST(FaultInjection, WrongAcknowledgementRaises20016AndPurges)
{
    SimPeer peer(WithFaults({.wrongAckAt = 3}));
    auto s = peer.Connect();
    SendAttachUnit(*s, 1);
    SendAttachUnit(*s, 2);
    EXPECT_EQ(StreamErrorOf([&] { SendAttachUnit(*s, 3); }), 20016u);
    // The stream stays usable: the next commands are answered properly.
    SendAttachUnit(*s, 4);
    EXPECT_EQ(IdentifyInterface(*s).variantLevel, 3);
}

TEST(FaultInjection, ConnectionCutInsideAnAnswerRaises20020AtOnce)
{
    SimPeer peer(WithFaults({.closeAfterBytes = 5}));  // inside the identification text
    auto s = peer.Connect();
    const auto start = Clock::now();
    EXPECT_EQ(StreamErrorOf([&] { IdentifyInterface(*s); }), 20020u);
    EXPECT_LT(SecondsSince(start), 2.0);
    // Later reads fail the same way instead of waiting.
    EXPECT_EQ(StreamErrorOf([&] { s->CheckAck(); }), 20020u);
}

TEST(FaultInjection, OnlyTheFaultyConnectionsAreCutAndTheNextOneWorks)
{
    SimPeer peer(WithFaults({.closeAfterBytes = 5, .faultyConnections = 1}));
    auto first = peer.Connect();
    EXPECT_EQ(StreamErrorOf([&] { IdentifyInterface(*first); }), 20020u);
    auto second = peer.Connect();
    EXPECT_EQ(IdentifyInterface(*second).variantLevel, 3);
    SendAttachUnit(*second, 1);
}

TEST(FaultInjection, ConnectionClosedAfterSomeTimeRaises20020)
{
    SimPeer peer(WithFaults({.closeAfterSeconds = 0.2}));
    auto s = peer.Connect();
    EXPECT_EQ(IdentifyInterface(*s).variantLevel, 3);
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    const auto start = Clock::now();
    const uint32_t error = StreamErrorOf([&] {
        SendAttachUnit(*s, 1);
        SendAttachUnit(*s, 2);
    });
    EXPECT_EQ(error, 20020u);
    EXPECT_LT(SecondsSince(start), 2.0);
}

TEST(FaultInjection, GarbageAfterAQueryBreaksTheNextAcknowledgement)
{
    SimPeer peer(WithFaults({.garbageAfterQuery = 2}));  // after the variant answer
    auto s = peer.Connect();
    s->WriteByte(0x02);
    s->ReadText();
    EXPECT_EQ(s->QueryByte(0x0B), 3);
    // Without a purge the garbage is read where "!" should be.
    EXPECT_EQ(StreamErrorOf([&] { SendAttachUnit(*s, 1); }), 20016u);
    // Once the late answer is in and purged, the stream is in step again.
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(IdentifyInterface(*s).variantLevel, 3);
    SendAttachUnit(*s, 2);
    EXPECT_EQ(s->GetInputCount(), 0u);
}

TEST(FaultInjection, GarbageAfterAnAcknowledgementBreaksTheNextOne)
{
    SimPeer peer(WithFaults({.garbageAfterAck = 1}));
    auto s = peer.Connect();
    SendAttachUnit(*s, 1);
    EXPECT_EQ(StreamErrorOf([&] { SendAttachUnit(*s, 2); }), 20016u);
    EXPECT_EQ(peer.Sim().Server().FaultsPlayed(), 1u);
}

TEST(FaultInjection, StalledBoxGivesUpAfterTheReceiveTimeout)
{
    // A stall far beyond the timeout: stopping the peer must not wait for it.
    SimPeer peer(WithFaults({.stallAtCommand = 1, .stallSeconds = 30}));
    auto s = peer.Connect();
    const auto start = Clock::now();
    EXPECT_EQ(StreamErrorOf([&] { IdentifyInterface(*s); }), 20020u);
    const double waited = SecondsSince(start);
    EXPECT_GT(waited, 4.5);
    EXPECT_LT(waited, 6.5);
}

TEST(FaultInjection, ArmedFaultsCountFromTheMomentTheyAreArmed)
{
    SimPeer peer;
    auto s = peer.Connect();
    EXPECT_EQ(IdentifyInterface(*s).variantLevel, 3);
    SendAttachUnit(*s, 1);
    SendAttachUnit(*s, 2);

    // The second acknowledgement from now, not the connection's second.
    peer.Sim().Server().ArmFaults({.wrongAckAt = 2});
    SendAttachUnit(*s, 3);
    EXPECT_EQ(peer.Sim().Server().FaultsPlayed(), 0u);
    EXPECT_EQ(StreamErrorOf([&] { SendAttachUnit(*s, 4); }), 20016u);
    EXPECT_EQ(peer.Sim().Server().FaultsPlayed(), 1u);

    const uint64_t before = peer.Sim().Server().BytesSent();
    peer.Sim().Server().ArmFaults({.closeAfterBytes = 3});  // inside the next identification
    EXPECT_EQ(StreamErrorOf([&] { IdentifyInterface(*s); }), 20020u);
    EXPECT_EQ(peer.Sim().Server().BytesSent() - before, 3u);
    EXPECT_EQ(peer.Sim().Server().FaultsPlayed(), 2u);

    // A connection made after the arming runs clean.
    auto next = peer.Connect();
    EXPECT_EQ(IdentifyInterface(*next).variantLevel, 3);
}

} // namespace
