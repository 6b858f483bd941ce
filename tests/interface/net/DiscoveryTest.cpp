// The discovery search and device commands, faked and over the loopback to the simulator.
#include <gtest/gtest.h>

#include <deque>

#include "Simulator.h"
#include "interface/net/Discovery.h"

namespace {

const DeviceMac kMac{0x00, 0x1B, 0x2C, 0x3D, 0x4E, 0x5F};
constexpr uint32_t kLan = 0xC0A80105;     // 192.168.1.5, this computer
constexpr uint32_t kLanMask = 0xFFFFFF00;

DiscoveryDatagram Answer(const DeviceMac& mac, uint32_t address, const char* name, uint16_t product = 37644)
{
    DiscoveryDatagram d{};
    d[0] = 'B';
    d[1] = 'K';
    d[2] = 0x01;
    d[3] = 0x91;
    d[4] = static_cast<uint8_t>(product);
    d[5] = static_cast<uint8_t>(product >> 8);
    std::copy(mac.begin(), mac.end(), d.begin() + 6);
    for (int i = 0; i < 4; ++i) {
        d[12 + static_cast<size_t>(i)] = static_cast<uint8_t>(address >> (24 - 8 * i));
        d[16 + static_cast<size_t>(i)] = static_cast<uint8_t>(kLanMask >> (24 - 8 * i));
    }
    for (size_t i = 0; name[i]; ++i)
        d[20 + 2 * i] = static_cast<uint8_t>(name[i]);
    return d;
}

// Answers handed out in order, then silence; records what was broadcast.
class FakeNetwork : public IDiscoveryNetwork {
public:
    struct Incoming {
        std::vector<uint8_t> bytes;
        uint32_t from;
    };

    std::vector<LocalInterface> LocalInterfaces() override { return interfaces; }
    bool OpenReceiver(int timeoutMs) override
    {
        receiverTimeout = timeoutMs;
        return receiverWorks;
    }
    SendResult Broadcast(uint32_t local, const DiscoveryDatagram& d) override
    {
        sent.push_back({local, d});
        return local == failingAddress ? SendResult::BindFailed : SendResult::Sent;
    }
    long Receive(uint8_t* buffer, size_t size, uint32_t& from) override
    {
        if (endless) {
            const DiscoveryDatagram d = Answer(kMac, kLan + 2, "Chatty");
            std::copy(d.begin(), d.end(), buffer);
            from = kLan + 2;
            ++endlessCount;
            return static_cast<long>(d.size());
        }
        if (incoming.empty())
            return -1;
        const Incoming next = incoming.front();
        incoming.pop_front();
        const size_t n = std::min(size, next.bytes.size());
        std::copy(next.bytes.begin(), next.bytes.begin() + static_cast<long>(n), buffer);
        from = next.from;
        return static_cast<long>(n);
    }
    void Close() override { ++closes; }

    void Add(const DiscoveryDatagram& d, uint32_t from, size_t size = kDiscoverySize)
    {
        incoming.push_back({std::vector<uint8_t>(d.begin(), d.begin() + static_cast<long>(size)), from});
    }

    std::vector<LocalInterface> interfaces{{kLoopbackAddress, 0xFF000000}, {kLan, kLanMask}};
    std::deque<Incoming> incoming;
    std::vector<std::pair<uint32_t, DiscoveryDatagram>> sent;
    uint32_t failingAddress = 0;
    bool receiverWorks = true;
    bool endless = false;
    size_t endlessCount = 0;
    int receiverTimeout = 0;
    int closes = 0;
};

class RecordingSink : public CNotifySink {
public:
    void Notify(const std::string& line) override { lines.push_back(line); }
    bool Has(const std::string& line) const { return std::find(lines.begin(), lines.end(), line) != lines.end(); }
    std::vector<std::string> lines;
};

TEST(DiscoveryBytes, SearchRequestAndDeviceCommands)
{
    const DiscoveryDatagram search = EncodeSearchRequest(37644);
    DiscoveryDatagram expected{};
    const uint8_t head[] = {'B', 'K', 0x01, 0x80, 0x0C, 0x93, 0x00, 0x00};
    std::copy(std::begin(head), std::end(head), expected.begin());
    EXPECT_EQ(search, expected);

    const DiscoveryDatagram identify = EncodeIdentifyCommand(kMac);
    EXPECT_EQ(identify[3], 0x81);
    EXPECT_TRUE(std::equal(kMac.begin(), kMac.end(), identify.begin() + 6));
    EXPECT_TRUE(std::all_of(identify.begin() + 12, identify.end(), [](uint8_t b) { return b == 0; }));

    const DiscoveryDatagram address = EncodeSetAddressCommand(kMac, 0x0A00002A, 0xFFFF0000);
    const uint8_t addressBytes[] = {0x82, 0, 0, 0x00, 0x1B, 0x2C, 0x3D, 0x4E, 0x5F, 10, 0, 0, 42, 255, 255, 0, 0, 0};
    EXPECT_TRUE(std::equal(std::begin(addressBytes), std::end(addressBytes), address.begin() + 3));

    // 90 characters: 80 go, the rest of the datagram stays zero.
    const DiscoveryDatagram rename = EncodeRenameCommand(kMac, CString(90, u'\u00e9'));
    EXPECT_EQ(rename[3], 0x83);
    EXPECT_EQ(rename[20], 0xE9);
    EXPECT_EQ(rename[21], 0x00);
    EXPECT_EQ(rename[20 + 2 * 79], 0xE9);
    EXPECT_EQ(rename[20 + 2 * 80 - 1], 0x00);
    EXPECT_EQ(rename[179], 0x00);
    EXPECT_EQ(rename.size(), 180u);
}

TEST(DiscoveryBytes, AnswersAreReadAndWrongOnesRecognised)
{
    CSocketDeviceInfo device;
    const DiscoveryDatagram good = Answer(kMac, 0xC0A80107, "Lab 3");
    ASSERT_EQ(ParseDiscoveryAnswer(good.data(), good.size(), device), AnswerCheck::Valid);
    EXPECT_EQ(device.mac, kMac);
    EXPECT_EQ(device.address, 0xC0A80107u);
    EXPECT_EQ(device.mask, kLanMask);
    EXPECT_EQ(device.productId, 37644);
    EXPECT_EQ(device.ListText(), u"Lab 3 (192.168.1.7)");

    DiscoveryDatagram other = good;
    other[3] = 0x90;
    EXPECT_EQ(ParseDiscoveryAnswer(other.data(), other.size(), device), AnswerCheck::NotAnAnswer);
    other = good;
    other[0] = 'X';
    EXPECT_EQ(ParseDiscoveryAnswer(other.data(), other.size(), device), AnswerCheck::BadHeader);
    EXPECT_EQ(ParseDiscoveryAnswer(good.data(), 12, device), AnswerCheck::TooShort);
    EXPECT_EQ(ParseDiscoveryAnswer(good.data(), 1, device), AnswerCheck::TooShort);

    // A name that fills the datagram to its last byte ends there.
    DiscoveryDatagram full = good;
    std::fill(full.begin() + 20, full.end(), 'A');
    ASSERT_EQ(ParseDiscoveryAnswer(full.data(), full.size(), device), AnswerCheck::Valid);
    EXPECT_EQ(device.name.size(), 80u);
    // A longer datagram: the name still ends with the answer's 180 bytes.
    std::vector<uint8_t> longer(full.begin(), full.end());
    longer.resize(400, 'B');
    ASSERT_EQ(ParseDiscoveryAnswer(longer.data(), longer.size(), device), AnswerCheck::Valid);
    EXPECT_EQ(device.name, CString(80, u'\u4141'));
    // Cut inside the name: what arrived.
    ASSERT_EQ(ParseDiscoveryAnswer(good.data(), 23, device), AnswerCheck::Valid);
    EXPECT_EQ(device.name, u"L");
}

TEST(DiscoveryBytes, NewAddressesAreCheckedBeforeTheyLeave)
{
    for (uint32_t mask : {0xFFFFFF00u, 0xFFFFFFFFu, 0x80000000u})
        EXPECT_TRUE(IsSubnetMask(mask)) << std::hex << mask;
    for (uint32_t mask : {0u, 0xFFFF00FFu, 0x00FFFFFFu})
        EXPECT_FALSE(IsSubnetMask(mask)) << std::hex << mask;

    EXPECT_TRUE(IsUsableDeviceAddress(0xC0A80107, 0xFFFFFF00));
    // The network itself, its broadcast, loopback, multicast, network zero, a bad mask.
    const std::pair<uint32_t, uint32_t> refused[] = {{0xC0A80100, 0xFFFFFF00}, {0xC0A801FF, 0xFFFFFF00},
                                                     {0x7F000001, 0xFF000000}, {0xE0000001, 0xFFFFFF00},
                                                     {0x00000005, 0xFFFFFF00}, {0xC0A80107, 0xFFFF00FF}};
    for (const auto& [address, mask] : refused)
        EXPECT_FALSE(IsUsableDeviceAddress(address, mask)) << std::hex << address << " / " << mask;
}

TEST(DiscoverySearch, ListsOneEntryPerDeviceAndSkipsWhatIsNotAnAnswer)
{
    FakeNetwork network;
    RecordingSink sink;
    const DiscoveryDatagram lab3 = Answer(kMac, 0xC0A80107, "Lab 3");
    network.Add(lab3, 0xC0A80107);
    network.Add(lab3, 0x7F000001);  // the same box over the other local address
    DiscoveryDatagram notAnswer = lab3;
    notAnswer[3] = 0x81;
    network.Add(notAnswer, 0xC0A80108);
    DiscoveryDatagram badHeader = lab3;
    badHeader[1] = 'Z';
    network.Add(badHeader, 0xC0A80109);
    network.Add(Answer({1, 2, 3, 4, 5, 6}, 0xC0A8010A, "Short"), 0xC0A8010A, 12);
    network.Add(Answer({1, 2, 3, 4, 5, 7}, 0xC0A8010B, "Other", 1234), 0xC0A8010B);
    network.Add(Answer({1, 2, 3, 4, 5, 8}, 0x0A000001, "Far"), 0x0A000001);

    CUdpDiscovery discovery(network, &sink);
    discovery.Search(37644);

    // The request left from every local address, the receiver waited 1000 ms.
    ASSERT_EQ(network.sent.size(), 2u);
    EXPECT_EQ(network.sent[0].first, kLoopbackAddress);
    EXPECT_EQ(network.sent[1].first, kLan);
    EXPECT_EQ(network.sent[0].second, EncodeSearchRequest(37644));
    EXPECT_EQ(network.receiverTimeout, 1000);
    EXPECT_EQ(network.closes, 1);

    const auto& devices = discovery.Devices();
    ASSERT_EQ(devices.size(), 2u);
    EXPECT_EQ(devices[0].ListText(), u"Lab 3 (192.168.1.7)");
    EXPECT_EQ(devices[0].localAddress, kLan);  // the first answer's subnet
    EXPECT_EQ(devices[1].name, u"Far");
    EXPECT_EQ(devices[1].localAddress, kLoopbackAddress);  // no subnet holds it: the first address
    EXPECT_EQ(discovery.InterfaceMask(kLan), kLanMask);

    EXPECT_TRUE(sink.Has("Invalid header: BZ\n"));
    EXPECT_TRUE(sink.Has("Invalid response.\n"));
    EXPECT_TRUE(sink.Has("MAC: 00-1B-2C-3D-4E-5F\r\n"));
    EXPECT_TRUE(sink.Has("Receive timeout.\n"));
    EXPECT_TRUE(sink.Has("  IPv4 Address #1: 192.168.1.5\n"));

    // A new search starts afresh; one told to add keeps the list.
    network.Add(Answer({9, 9, 9, 9, 9, 9}, 0xC0A8010C, "New"), 0xC0A8010C);
    discovery.Search(37644, true);
    EXPECT_EQ(discovery.Devices().size(), 3u);
    discovery.Search(37644);
    EXPECT_TRUE(discovery.Devices().empty());
}

TEST(DiscoverySearch, FailingSocketsAndEndlessAnswersEndTheSearch)
{
    FakeNetwork network;
    RecordingSink sink;
    network.failingAddress = kLoopbackAddress;
    network.Add(Answer(kMac, 0xC0A80107, "Lab 3"), 0xC0A80107);
    CUdpDiscovery discovery(network, &sink);
    discovery.Search(0);
    EXPECT_TRUE(sink.Has("Error in binding socket\n"));
    ASSERT_EQ(discovery.Devices().size(), 1u);  // the other address still searched

    network.receiverWorks = false;
    network.Add(Answer(kMac, 0xC0A80107, "Lab 3"), 0xC0A80107);
    discovery.Search(0);
    EXPECT_TRUE(discovery.Devices().empty());
    EXPECT_TRUE(sink.Has("Error in creating socket\n"));
    EXPECT_EQ(network.closes, 2);

    network.receiverWorks = true;
    network.endless = true;
    discovery.Search(0);
    EXPECT_EQ(network.endlessCount, CUdpDiscovery::kMaxDatagrams);
    EXPECT_EQ(discovery.Devices().size(), 1u);
}

TEST(DiscoverySearch, DeviceCommandsLeaveFromEveryAddressWithoutWaiting)
{
    FakeNetwork network;
    CUdpDiscovery discovery(network);
    const DiscoveryDatagram rename = EncodeRenameCommand(kMac, u"Bench 2");
    discovery.SendCommand(rename);
    ASSERT_EQ(network.sent.size(), 2u);
    EXPECT_EQ(network.sent[1].second, rename);
    EXPECT_EQ(network.receiverTimeout, 0);  // no receiver: nothing is awaited
    EXPECT_EQ(network.closes, 1);
}

// Only this computer's loopback, so that nothing leaves the machine.
class LoopbackOnlyNetwork : public CSocketDiscoveryNetwork {
public:
    std::vector<LocalInterface> LocalInterfaces() override { return {{kLoopbackAddress, 0xFF000000}}; }
};

TEST(DiscoveryOverSockets, ABroadcastOnTheLoopbackFindsTheSimulatorAndItsCommandsReachIt)
{
    ASSERT_TRUE(SocketLayerStartup());
    const auto interfaces = LocalIpv4Interfaces();
    EXPECT_TRUE(std::any_of(interfaces.begin(), interfaces.end(),
                            [](const Ipv4Interface& i) { return i.address == kLoopbackAddress; }))
        << "the local addresses include the loopback";

    vexasim::SimOptions options;
    options.port = 0;
    options.tunnel = false;
    options.name = "Bench 7";
    options.mac = {0x02, 0x56, 0x45, 0x58, 0x41, 0x07};
    vexasim::CSimulator sim(options);
    std::string error;
    ASSERT_TRUE(sim.Start(error)) << error;

    LoopbackOnlyNetwork network;
    CUdpDiscovery discovery(network);
    discovery.Search(37644);
    const auto& devices = discovery.Devices();
    const auto found = std::find_if(devices.begin(), devices.end(),
                                    [&](const CSocketDeviceInfo& d) { return d.mac == options.mac; });
    ASSERT_NE(found, devices.end());
    EXPECT_EQ(found->ListText(), u"Bench 7 (127.0.0.1)");
    EXPECT_EQ(found->localAddress, kLoopbackAddress);

    discovery.SendCommand(EncodeRenameCommand(options.mac, u"Bench 8"));
    discovery.Search(37644);
    const bool renamed = std::any_of(discovery.Devices().begin(), discovery.Devices().end(),
                                     [&](const CSocketDeviceInfo& d) { return d.name == u"Bench 8"; });
    EXPECT_TRUE(renamed);
}

} // namespace
