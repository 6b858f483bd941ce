// CStreamSocket's own behaviour, with and without a connection.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "SimPeer.h"

namespace {

// Records the size of every transfer as it leaves.
class CRecordingSocket : public CStreamSocket {
public:
    using CStreamSocket::CStreamSocket;
    std::vector<uint32_t> transfers;

protected:
    void Transmit(const uint8_t* data, uint32_t size) override
    {
        transfers.push_back(size);
        CStreamSocket::Transmit(data, size);
    }
};

// A loopback port where nothing listens: bound, so nobody else takes it.
class ClosedPort {
public:
    ClosedPort()
    {
        SocketLayerStartup();
        m_socket = OpenSocket(SocketKind::Stream);
        Ipv4Endpoint local{kLoopbackAddress, 0};
        EXPECT_TRUE(BindSocket(m_socket, local) && LocalEndpoint(m_socket, local));
        m_port = local.port;
    }
    ~ClosedPort() { CloseSocket(m_socket); }
    uint16_t Port() const { return m_port; }

private:
    SocketHandle m_socket;
    uint16_t m_port = 0;
};

TEST(StreamSocket, OpenCountsUsersAndTheLastCloseDisconnects)
{
    SimPeer peer;
    CStreamSocket s(u"localhost", peer.Port());
    ASSERT_TRUE(s.Open());
    ASSERT_TRUE(s.Open());
    s.Close();
    EXPECT_TRUE(s.IsConnected());
    EXPECT_EQ(s.QueryByte(0x0B), 3);
    s.Close();
    EXPECT_FALSE(s.IsConnected());
    s.Close();  // one close too many changes nothing
    ASSERT_TRUE(s.Open());
    EXPECT_EQ(s.QueryByte(0x0B), 3);
}

TEST(StreamSocket, UnreachableOrEmptyAddressDoesNotOpen)
{
    ClosedPort closed;
    CStreamSocket refused(u"127.0.0.1", closed.Port());
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(refused.Open());
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
    EXPECT_FALSE(refused.IsConnected());

    CStreamSocket empty(u"", 3060);
    EXPECT_FALSE(empty.Open());
    CStreamSocket unknown(u"no-such-host.invalid", 3060);
    EXPECT_FALSE(unknown.Open());
}

// A listener whose accept queue is full drops further connection requests
// unanswered, as an address where no box is switched on does: the connect
// gives up after its five seconds instead of the system's much longer wait.
TEST(StreamSocket, AnAddressThatDropsTheRequestGivesUpAfterFiveSeconds)
{
    ASSERT_TRUE(SocketLayerStartup());
    const SocketHandle listener = OpenSocket(SocketKind::Stream);
    Ipv4Endpoint local{kLoopbackAddress, 0};
    ASSERT_TRUE(BindSocket(listener, local) && LocalEndpoint(listener, local) && ListenSocket(listener, 0));
    const SocketHandle filler = OpenSocket(SocketKind::Stream);
    ASSERT_TRUE(ConnectSocket(filler, local, 2000));

    CStreamSocket s(u"127.0.0.1", local.port);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(s.Open());
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_GE(waited, std::chrono::milliseconds(4500));
    EXPECT_LT(waited, std::chrono::seconds(8));
    EXPECT_FALSE(s.IsConnected());
    CloseSocket(filler);
    CloseSocket(listener);
}

TEST(StreamSocket, WithoutAConnectionNothingIsTransferred)
{
    CStreamSocket unset;
    EXPECT_TRUE(unset.IsSocketStream());
    EXPECT_EQ(unset.Port(), 3060);
    EXPECT_FALSE(unset.IsConnected());

    CStreamSocket s(u"127.0.0.1", 1);
    uint8_t buffer[4] = {1, 2, 3, 4};
    s.Write(buffer, 4);
    s.Read(buffer, 4);
    EXPECT_EQ(buffer[0] | buffer[1] | buffer[2] | buffer[3], 0);
    EXPECT_EQ(s.GetInputCount(), 0u);
    s.CheckAck();  // base rule: reads nothing when not connected
    EXPECT_TRUE(s.ReadText().empty());
    EXPECT_TRUE(s.ResetDevice());
}

TEST(StreamSocket, BlockModeSendsFullBlocksThenTheRestAtTheEnd)
{
    SimPeer peer;
    CRecordingSocket s(u"127.0.0.1", peer.Port());
    ASSERT_TRUE(s.Open());
    // 2500 trigger-level commands (no answer): 5000 bytes in one block.
    s.BeginBlock();
    for (int i = 0; i < 2500; ++i) {
        const uint8_t command[2] = {0xD1, static_cast<uint8_t>(i)};
        s.Write(command, 2);
    }
    EXPECT_EQ(s.transfers, std::vector<uint32_t>{4095});
    s.EndBlock();
    EXPECT_EQ(s.transfers, (std::vector<uint32_t>{4095, 905}));
    // The box saw every command whole: the next query is in step.
    EXPECT_EQ(s.QueryByte(0x0B), 3);
    EXPECT_EQ(s.transfers.size(), 3u);
    s.BeginBlock();
    s.EndBlock();  // an empty block sends nothing
    EXPECT_EQ(s.transfers.size(), 3u);
}

TEST(StreamSocket, PurgeInputDropsEverythingWaiting)
{
    SimOptions options;
    options.faults.garbageAfterQuery = 1;
    options.faults.garbageBytes = 700;  // more than one 256-byte gulp
    SimPeer peer(options);
    auto s = peer.Connect();
    s->WriteByte(0x02);
    EXPECT_EQ(s->ReadText().substr(0, 9), u"RV8810-4C");
    for (int i = 0; i < 100 && s->GetInputCount() < 700; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(s->GetInputCount(), 700u);
    s->PurgeInput();
    EXPECT_EQ(s->GetInputCount(), 0u);
    EXPECT_EQ(s->QueryByte(0x0B), 3);
}

} // namespace
