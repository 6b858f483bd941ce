// CStreamSocketUsb: its messages to a tunnel service, and the protocol relayed through the simulator's.
#include <gtest/gtest.h>

#include <chrono>
#include <mutex>
#include <thread>

#include "SimPeer.h"
#include "interface/net/StreamSocketUsb.h"
#include "net/TcpService.h"

using namespace vexasim;

namespace {

using Bytes = std::vector<uint8_t>;

// A tunnel service that records every byte it receives, opens with the
// given status and answers each read with "!" bytes.
class CRecordingTunnel : public CTcpService {
public:
    explicit CRecordingTunnel(uint16_t status) : m_status(status)
    {
        std::string error;
        EXPECT_TRUE(Start(kLoopbackAddress, 0, error)) << error;
    }
    ~CRecordingTunnel() override { Stop(); }

    Bytes Received()
    {
        std::lock_guard<std::mutex> g(m_lock);
        return m_received;
    }
    // Waits until at least size bytes came in.
    Bytes WaitFor(size_t size)
    {
        for (int i = 0; i < 200 && Received().size() < size; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        return Received();
    }

protected:
    void Serve(SocketHandle socket, const std::atomic<bool>& stop) override
    {
        for (;;) {
            uint8_t header[8];
            if (!ReceiveAll(socket, header, 8, stop))
                return;
            Record(header, 8);
            const uint32_t count = header[4] | header[5] << 8 | header[6] << 16 | static_cast<uint32_t>(header[7]) << 24;
            Bytes data;
            switch (header[0]) {
            case 1: data.assign(count, '!'); SendAll(socket, data.data(), count); break;
            case 2:
            case 3:
                data.resize(count);
                if (!ReceiveAll(socket, data.data(), count, stop))
                    return;
                Record(data.data(), count);
                if (header[0] == 3) {
                    Bytes answer(260, 0);
                    answer[258] = static_cast<uint8_t>(m_status);
                    SendAll(socket, answer.data(), answer.size());
                }
                break;
            default: return;
            }
        }
    }

private:
    void Record(const uint8_t* data, size_t size)
    {
        std::lock_guard<std::mutex> g(m_lock);
        m_received.insert(m_received.end(), data, data + size);
    }

    const uint16_t m_status;
    std::mutex m_lock;
    Bytes m_received;
};

TEST(TunnelStream, OpenReadWriteAndCloseAreHeadedMessages)
{
    CRecordingTunnel service(0);
    CStreamSocketUsb s(u"127.0.0.1", service.Port(), 37644, true, u"Vexa \u00e9");
    ASSERT_TRUE(s.Open());
    const Bytes open = service.WaitFor(8 + 518);
    ASSERT_EQ(open.size(), 8u + 518);
    EXPECT_EQ(Bytes(open.begin(), open.begin() + 8), (Bytes{3, 0, 0, 0, 0x06, 0x02, 0, 0}));
    EXPECT_EQ(Bytes(open.begin() + 8, open.begin() + 8 + 20),
              (Bytes{1, 0, 0x0C, 0x93, 1, 0, 'V', 0, 'e', 0, 'x', 0, 'a', 0, ' ', 0, 0xE9, 0, 0, 0}));

    uint8_t answer[4] = {};
    s.Read(answer, 4);
    EXPECT_EQ(Bytes(answer, answer + 4), Bytes(4, '!'));
    const uint8_t command[3] = {0x0E, 0x05, 0x0B};
    s.Write(command, 3);
    s.Close();
    const Bytes all = service.WaitFor(8 + 518 + 8 + 11 + 8);
    EXPECT_EQ(Bytes(all.begin() + 526, all.end()),
              (Bytes{1, 0, 0, 0, 4, 0, 0, 0, 2, 0, 0, 0, 3, 0, 0, 0, 0x0E, 0x05, 0x0B, 4, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_FALSE(s.IsConnected());
}

// Answers the login dialog from a script and records what the user was told.
class ScriptedNetworkUi : public INetworkUi {
public:
    int AskLogin(CString& address, uint16_t& port, bool allowDemonstration, bool allowCancel) override
    {
        shown.push_back(StringToUtf8(address) + ":" + std::to_string(port) + (allowDemonstration ? " demo" : "") +
                        (allowCancel ? " cancel" : ""));
        if (answer == kRetry) {
            address = newAddress;
            port = newPort;
        }
        return answer;
    }
    void ShowTunnelRefused(const CString& name) override { refused.push_back(StringToUtf8(name)); }

    int answer = kRetry;
    CString newAddress = u"10.1.2.3";
    uint16_t newPort = 9000;
    std::vector<std::string> shown;
    std::vector<std::string> refused;
};

// The settings a test sees written.
class RecordingSettings : public ISettingsStore {
public:
    bool KeyExists(SettingsHive, const CString&) override { return true; }
    bool CreateKey(SettingsHive, const CString&) override { return true; }
    std::optional<uint32_t> ReadNumber(SettingsHive, const CString&, const CString&) override { return {}; }
    std::optional<CString> ReadText(SettingsHive, const CString&, const CString&) override { return {}; }
    bool WriteNumber(SettingsHive, const CString& key, const CString& name, uint32_t value) override
    {
        written.push_back(StringToUtf8(key + u"|" + name) + "=" + std::to_string(value));
        return true;
    }
    bool WriteText(SettingsHive, const CString& key, const CString& name, const CString& value) override
    {
        written.push_back(StringToUtf8(key + u"|" + name + u"=" + value));
        return true;
    }
    std::vector<std::string> written;
};

TEST(TunnelStream, RefusedOpenLeavesTheStreamClosedAndNamesTheDevice)
{
    CRecordingTunnel service(5);
    ScriptedNetworkUi ui;
    CStreamSocketUsb s(u"127.0.0.1", service.Port(), 0, false, u"Bench \u00e9");
    s.SetUi(&ui);
    EXPECT_FALSE(s.Open());
    EXPECT_FALSE(s.IsConnected());
    EXPECT_EQ(ui.refused, std::vector<std::string>{"Bench \xc3\xa9"});

    // A service that is not there refuses nothing: no message.
    CStreamSocketUsb gone(u"127.0.0.1", 1, 0, false, u"RV8810-4C");
    gone.SetUi(&ui);
    EXPECT_FALSE(gone.Open());
    EXPECT_EQ(ui.refused.size(), 1u);
}

TEST(TunnelStream, ConnectFailedAsksForTheAddressAndStoresItInTheEntry)
{
    ScriptedNetworkUi ui;
    RecordingSettings settings;
    CStreamSocketUsb s(u"host-a", 8080, 0, false, u"RV8810-4C");
    EXPECT_EQ(s.ShowConnectFailed(true, false), 2);  // nobody to ask
    s.SetUi(&ui);
    s.SetEntry(&settings, u"Devices\\RV8810-4C");
    EXPECT_EQ(s.ShowConnectFailed(true, false), 4);
    EXPECT_EQ(ui.shown, std::vector<std::string>{"host-a:8080 demo"});
    EXPECT_EQ(s.Address(), u"10.1.2.3");
    EXPECT_EQ(s.Port(), 9000);
    EXPECT_EQ(settings.written,
              (std::vector<std::string>{"Devices\\RV8810-4C|Address=10.1.2.3", "Devices\\RV8810-4C|Port=9000"}));

    // Demonstration and cancel change nothing; a dialog that cannot show is cancel.
    ui.answer = INetworkUi::kDemonstration;
    EXPECT_EQ(s.ShowConnectFailed(true, true), 6);
    ui.answer = INetworkUi::kCannotShow;
    EXPECT_EQ(s.ShowConnectFailed(true, true), 2);
    EXPECT_EQ(s.Address(), u"10.1.2.3");
    EXPECT_EQ(settings.written.size(), 2u);
}

TEST(TunnelStream, RelaysTheProtocolThroughTheSimulatorsServiceForItsProductOnly)
{
    SimPeer peer(AtLevel(3));
    CStreamSocketUsb s(u"127.0.0.1", peer.Sim().TunnelPort(), 0, false, u"RV8810-4C");
    ASSERT_TRUE(s.Open());
    const InterfaceIdentity id = IdentifyInterface(s);
    EXPECT_EQ(id.variantLevel, 3);
    EXPECT_EQ(id.deviceName, u"Vexa Simulator");
    for (uint8_t unit = 1; unit <= 7; ++unit)
        SendAttachUnit(s, unit);
    EXPECT_EQ(peer.Sim().Box().AttachedUnits(), 0xFEu);
    // A read beyond what the box answered runs into the receive timeout.
    s.SetReceiveTimeout(300);
    uint8_t nothing[2];
    EXPECT_EQ(StreamErrorOf([&] { s.Read(nothing, 2); }), 20020u);

    CStreamSocketUsb other(u"127.0.0.1", peer.Sim().TunnelPort(), 1234, false, u"RV8810-4C");
    EXPECT_FALSE(other.Open()) << "the simulator refuses another product";
}

} // namespace
