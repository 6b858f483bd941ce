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
    SimOptions options;
    options.faults.wrongAckAt = 3;
    options.faults.garbageAfterQuery = 0;
    SimPeer peer(options);
    auto s = peer.Connect();
    AttachUnit(*s, 1);
    AttachUnit(*s, 2);
    EXPECT_EQ(StreamErrorOf([&] { AttachUnit(*s, 3); }), 20016u);
    // The stream stays usable: the next commands are answered properly.
    AttachUnit(*s, 4);
    EXPECT_EQ(Identify(*s).level, 3);
}

TEST(FaultInjection, ConnectionCutInsideAnAnswerRaises20020AtOnce)
{
    SimOptions options;
    options.faults.closeAfterBytes = 5;  // inside the identification text
    SimPeer peer(options);
    auto s = peer.Connect();
    const auto start = Clock::now();
    EXPECT_EQ(StreamErrorOf([&] { Identify(*s); }), 20020u);
    EXPECT_LT(SecondsSince(start), 2.0);
    // Later reads fail the same way instead of waiting.
    EXPECT_EQ(StreamErrorOf([&] { s->CheckAck(); }), 20020u);
}

TEST(FaultInjection, OnlyTheFaultyConnectionsAreCutAndTheNextOneWorks)
{
    SimOptions options;
    options.faults.closeAfterBytes = 5;
    options.faults.faultyConnections = 1;
    SimPeer peer(options);
    auto first = peer.Connect();
    EXPECT_EQ(StreamErrorOf([&] { Identify(*first); }), 20020u);
    auto second = peer.Connect();
    EXPECT_EQ(Identify(*second).level, 3);
    AttachUnit(*second, 1);
}

TEST(FaultInjection, ConnectionClosedAfterSomeTimeRaises20020)
{
    SimOptions options;
    options.faults.closeAfterSeconds = 0.2;
    SimPeer peer(options);
    auto s = peer.Connect();
    EXPECT_EQ(Identify(*s).level, 3);
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    const auto start = Clock::now();
    const uint32_t error = StreamErrorOf([&] {
        AttachUnit(*s, 1);
        AttachUnit(*s, 2);
    });
    EXPECT_EQ(error, 20020u);
    EXPECT_LT(SecondsSince(start), 2.0);
}

TEST(FaultInjection, GarbageAfterAQueryBreaksTheNextAcknowledgement)
{
    SimOptions options;
    options.faults.garbageAfterQuery = 2;  // after the variant answer
    SimPeer peer(options);
    auto s = peer.Connect();
    s->WriteByte(0x02);
    s->ReadText();
    s->WriteByte(0x0B);
    uint8_t variant = 0;
    s->Read(&variant, 1);
    EXPECT_EQ(variant, 3);
    // Without a purge the garbage is read where "!" should be.
    EXPECT_EQ(StreamErrorOf([&] { AttachUnit(*s, 1); }), 20016u);
    // Once the late answer is in and purged, the stream is in step again.
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(Identify(*s).level, 3);
    AttachUnit(*s, 2);
    EXPECT_EQ(s->GetInputCount(), 0u);
}

TEST(FaultInjection, GarbageAfterAnAcknowledgementBreaksTheNextOne)
{
    SimOptions options;
    options.faults.garbageAfterAck = 1;
    SimPeer peer(options);
    auto s = peer.Connect();
    AttachUnit(*s, 1);
    EXPECT_EQ(StreamErrorOf([&] { AttachUnit(*s, 2); }), 20016u);
    EXPECT_EQ(peer.Sim().Server().FaultsPlayed(), 1u);
}

TEST(FaultInjection, StalledBoxGivesUpAfterTheReceiveTimeout)
{
    SimOptions options;
    options.faults.stallAtCommand = 1;
    options.faults.stallSeconds = 30;  // far beyond the timeout: stopping the peer must not wait for it
    SimPeer peer(options);
    auto s = peer.Connect();
    const auto start = Clock::now();
    EXPECT_EQ(StreamErrorOf([&] { Identify(*s); }), 20020u);
    const double waited = SecondsSince(start);
    EXPECT_GT(waited, 4.5);
    EXPECT_LT(waited, 6.5);
}

TEST(FaultInjection, ArmedFaultsCountFromTheMomentTheyAreArmed)
{
    SimPeer peer;
    auto s = peer.Connect();
    EXPECT_EQ(Identify(*s).level, 3);
    AttachUnit(*s, 1);
    AttachUnit(*s, 2);

    FaultPlan plan;
    plan.wrongAckAt = 2;  // the second acknowledgement from now, not the connection's second
    peer.Sim().Server().ArmFaults(plan);
    AttachUnit(*s, 3);
    EXPECT_EQ(peer.Sim().Server().FaultsPlayed(), 0u);
    EXPECT_EQ(StreamErrorOf([&] { AttachUnit(*s, 4); }), 20016u);
    EXPECT_EQ(peer.Sim().Server().FaultsPlayed(), 1u);

    plan = {};
    plan.closeAfterBytes = 3;  // inside the next identification
    const uint64_t before = peer.Sim().Server().BytesSent();
    peer.Sim().Server().ArmFaults(plan);
    EXPECT_EQ(StreamErrorOf([&] { Identify(*s); }), 20020u);
    EXPECT_EQ(peer.Sim().Server().BytesSent() - before, 3u);
    EXPECT_EQ(peer.Sim().Server().FaultsPlayed(), 2u);

    // A connection made after the arming runs clean.
    auto next = peer.Connect();
    EXPECT_EQ(Identify(*next).level, 3);
}

} // namespace
