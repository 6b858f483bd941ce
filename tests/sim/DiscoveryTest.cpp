// The discovery datagrams: what a search is answered with and how the
// device commands change it.
#include <gtest/gtest.h>

#include "interface/net/SocketClient.h"
#include "net/Discovery.h"

using namespace vexasim;

namespace {

DiscoveryDatagram Request(uint8_t command, const MacAddress& mac = {})
{
    DiscoveryDatagram d{};
    d[0] = 'B';
    d[1] = 'K';
    d[2] = 0x01;
    d[3] = command;
    std::copy(mac.begin(), mac.end(), d.begin() + 6);
    return d;
}

DiscoveryDatagram Search(uint32_t product)
{
    DiscoveryDatagram d = Request(0x80);
    for (int i = 0; i < 4; ++i)
        d[4 + static_cast<size_t>(i)] = static_cast<uint8_t>(product >> (8 * i));
    return d;
}

const MacAddress kMac{0x00, 0x1B, 0x2C, 0x3D, 0x4E, 0x5F};

CDeviceIdentity MakeIdentity()
{
    return CDeviceIdentity(u"Lab 3", kMac, 0xC0A80107, 0xFFFFFF00);  // 192.168.1.7/24
}

TEST(Discovery, SearchIsAnsweredWithProductMacAddressMaskAndName)
{
    CDeviceIdentity identity = MakeIdentity();
    const DiscoveryDatagram request = Search(37644);
    const auto answer = HandleDiscoveryDatagram(request.data(), request.size(), identity);
    ASSERT_TRUE(answer.has_value());
    const DiscoveryDatagram& a = *answer;
    EXPECT_EQ(a[0], 'B');
    EXPECT_EQ(a[1], 'K');
    EXPECT_EQ(a[3], 0x91);
    EXPECT_EQ(a[4] | a[5] << 8, 37644);
    EXPECT_TRUE(std::equal(kMac.begin(), kMac.end(), a.begin() + 6));
    EXPECT_EQ(a[12], 192);
    EXPECT_EQ(a[15], 7);
    EXPECT_EQ(a[18], 255);
    EXPECT_EQ(a[19], 0);
    const uint8_t name[] = {'L', 0, 'a', 0, 'b', 0, ' ', 0, '3', 0, 0, 0};
    EXPECT_TRUE(std::equal(std::begin(name), std::end(name), a.begin() + 20));
}

TEST(Discovery, OtherProductsAndMalformedDatagramsGetNoAnswer)
{
    CDeviceIdentity identity = MakeIdentity();
    const DiscoveryDatagram other = Search(1234);
    EXPECT_FALSE(HandleDiscoveryDatagram(other.data(), other.size(), identity));
    const DiscoveryDatagram any = Search(0);
    EXPECT_TRUE(HandleDiscoveryDatagram(any.data(), any.size(), identity));
    DiscoveryDatagram wrongHeader = Search(37644);
    wrongHeader[1] = 'X';
    EXPECT_FALSE(HandleDiscoveryDatagram(wrongHeader.data(), wrongHeader.size(), identity));
    EXPECT_FALSE(HandleDiscoveryDatagram(any.data(), 10, identity));
}

TEST(Discovery, DeviceCommandsChangeWhatIsReportedOnlyForTheirMac)
{
    CDeviceIdentity identity = MakeIdentity();
    DiscoveryDatagram setAddress = Request(0x82, kMac);
    const uint8_t addressAndMask[] = {10, 0, 0, 42, 255, 0, 0, 0};
    std::copy(std::begin(addressAndMask), std::end(addressAndMask), setAddress.begin() + 12);
    DiscoveryDatagram rename = Request(0x83, kMac);
    rename[20] = 'Q';
    rename[22] = 0xE9;  // é

    DiscoveryDatagram strangerAddress = setAddress;
    strangerAddress[11] ^= 1;
    EXPECT_FALSE(HandleDiscoveryDatagram(strangerAddress.data(), strangerAddress.size(), identity));
    EXPECT_EQ(identity.Address(), 0xC0A80107u);

    EXPECT_FALSE(HandleDiscoveryDatagram(setAddress.data(), setAddress.size(), identity));
    EXPECT_FALSE(HandleDiscoveryDatagram(rename.data(), rename.size(), identity));
    const DiscoveryDatagram identify = Request(0x81, kMac);
    HandleDiscoveryDatagram(identify.data(), identify.size(), identity);

    EXPECT_EQ(identity.Address(), 0x0A00002Au);
    EXPECT_EQ(identity.Mask(), 0xFF000000u);
    EXPECT_EQ(identity.Name(), u"Q\u00e9");
    EXPECT_EQ(identity.IdentifyCount(), 1u);
    const DiscoveryDatagram answer = BuildDiscoveryAnswer(identity);
    EXPECT_EQ(answer[12], 10);
    EXPECT_EQ(answer[15], 42);
    EXPECT_EQ(answer[22], 0xE9);
}

TEST(DiscoveryResponder, AnswersASearchOverUdp)
{
    CDeviceIdentity identity = MakeIdentity();
    CDiscoveryResponder responder(identity);
    std::string error;
    ASSERT_TRUE(responder.Start(kLoopbackAddress, 0, error)) << error;

    CSocketClient client;
    client.SetReceiveTimeout(2000);
    ASSERT_TRUE(client.CreateDatagram(kLoopbackAddress, 0, false));
    const DiscoveryDatagram request = Search(37644);
    ASSERT_EQ(SendDatagram(client.Handle(), request.data(), request.size(), {kLoopbackAddress, responder.Port()}),
              static_cast<long>(request.size()));
    ASSERT_EQ(WaitReadable(client.Handle(), 2000), WaitResult::Ready);
    DiscoveryDatagram answer{};
    EXPECT_EQ(ReceiveDatagram(client.Handle(), answer.data(), answer.size(), nullptr), 180);
    EXPECT_EQ(answer, BuildDiscoveryAnswer(identity));
}

} // namespace
