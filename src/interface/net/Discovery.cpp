#include "interface/net/Discovery.h"

#include <algorithm>
#include <chrono>
#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace {

constexpr size_t kMacOffset = 6;
constexpr size_t kAddressOffset = 12;
constexpr size_t kMaskOffset = 16;
constexpr size_t kNameOffset = 20;

void PutBigEndian32(uint8_t* p, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<uint8_t>(v >> (24 - 8 * i));
}

uint32_t GetBigEndian32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) << 24 | static_cast<uint32_t>(p[1]) << 16 | static_cast<uint32_t>(p[2]) << 8 |
           p[3];
}

DiscoveryDatagram Command(uint8_t command, const DeviceMac* mac)
{
    DiscoveryDatagram d{};
    d[0] = 'B';
    d[1] = 'K';
    d[2] = 0x01;
    d[3] = command;
    if (mac)
        std::memcpy(&d[kMacOffset], mac->data(), mac->size());
    return d;
}

std::string Narrow(const CString& text)
{
    return StringToUtf8(text);
}

} // namespace

CString CSocketDeviceInfo::AddressText() const
{
    return Utf8ToString(FormatIpv4(address));
}

CString CSocketDeviceInfo::ListText() const
{
    return name + u" (" + AddressText() + u")";
}

DiscoveryDatagram EncodeSearchRequest(uint32_t productId)
{
    DiscoveryDatagram d = Command(kDiscoverySearch, nullptr);
    for (int i = 0; i < 4; ++i)
        d[4 + i] = static_cast<uint8_t>(productId >> (8 * i));
    return d;
}

DiscoveryDatagram EncodeIdentifyCommand(const DeviceMac& mac)
{
    return Command(kDiscoveryIdentify, &mac);
}

DiscoveryDatagram EncodeSetAddressCommand(const DeviceMac& mac, uint32_t address, uint32_t mask)
{
    DiscoveryDatagram d = Command(kDiscoverySetAddress, &mac);
    PutBigEndian32(&d[kAddressOffset], address);
    PutBigEndian32(&d[kMaskOffset], mask);
    return d;
}

DiscoveryDatagram EncodeRenameCommand(const DeviceMac& mac, const CString& name)
{
    DiscoveryDatagram d = Command(kDiscoveryRename, &mac);
    const size_t chars = std::min(name.size(), kDiscoveryNameLength);
    for (size_t i = 0; i < chars; ++i) {
        d[kNameOffset + 2 * i] = static_cast<uint8_t>(name[i]);
        d[kNameOffset + 2 * i + 1] = static_cast<uint8_t>(name[i] >> 8);
    }
    return d;
}

bool IsSubnetMask(uint32_t mask)
{
    const uint32_t hosts = ~mask;
    return mask != 0 && (hosts & (hosts + 1)) == 0;
}

bool IsUsableDeviceAddress(uint32_t address, uint32_t mask)
{
    const uint32_t first = address >> 24;
    if (!IsSubnetMask(mask) || first == 0 || first == 127 || first >= 224)
        return false;
    const uint32_t host = address & ~mask;
    return mask == 0xFFFFFFFF || (host != 0 && host != ~mask);
}

AnswerCheck ParseDiscoveryAnswer(const uint8_t* data, size_t size, CSocketDeviceInfo& device)
{
    if (size < 2 || data[0] != 'B' || data[1] != 'K')
        return size < 2 ? AnswerCheck::TooShort : AnswerCheck::BadHeader;
    if (size < kNameOffset)
        return AnswerCheck::TooShort;
    if (data[3] != kDiscoveryAnswer)
        return AnswerCheck::NotAnAnswer;
    // An answer is 180 bytes; whatever a longer datagram carries after them is not its name.
    size = std::min(size, kDiscoverySize);
    device.productId = static_cast<uint16_t>(data[4] | data[5] << 8);
    std::memcpy(device.mac.data(), &data[kMacOffset], device.mac.size());
    device.address = GetBigEndian32(&data[kAddressOffset]);
    device.mask = GetBigEndian32(&data[kMaskOffset]);
    device.name.clear();
    for (size_t i = kNameOffset; i + 1 < size; i += 2) {
        const auto c = static_cast<char16_t>(data[i] | data[i + 1] << 8);
        if (c == 0)
            break;
        device.name += c;
    }
    return AnswerCheck::Valid;
}

// ---------------------------------------------------------------- sockets

std::vector<LocalInterface> CSocketDiscoveryNetwork::LocalInterfaces()
{
    return LocalIpv4Interfaces();
}

bool CSocketDiscoveryNetwork::OpenReceiver(int receiveTimeoutMs)
{
    Close();
    m_timeoutMs = receiveTimeoutMs;
    auto receiver = std::make_unique<CSocketClient>();
    receiver->SetReceiveTimeout(receiveTimeoutMs);
    if (!receiver->CreateDatagram(0, kDiscoveryLocalPort, false))
        return false;
    m_sockets.push_back(std::move(receiver));
    return true;
}

IDiscoveryNetwork::SendResult CSocketDiscoveryNetwork::Broadcast(uint32_t localAddress,
                                                                 const DiscoveryDatagram& datagram)
{
    if (!SocketLayerStartup())
        return SendResult::CreateFailed;
    auto sender = std::make_unique<CSocketClient>();
    sender->SetReceiveTimeout(m_timeoutMs);
    if (!sender->CreateDatagram(localAddress, kDiscoveryLocalPort, true))
        return SendResult::BindFailed;
    if (SendDatagram(sender->Handle(), datagram.data(), datagram.size(), {kBroadcastAddress, kDiscoveryDevicePort}) !=
        static_cast<long>(datagram.size()))
        return SendResult::SendFailed;
    m_sockets.push_back(std::move(sender));
    return SendResult::Sent;
}

long CSocketDiscoveryNetwork::Receive(uint8_t* buffer, size_t size, uint32_t& from)
{
    std::vector<SocketHandle> handles;
    for (const auto& s : m_sockets)
        handles.push_back(s->Handle());
    const int ready = WaitAnyReadable(handles.data(), handles.size(), m_timeoutMs);
    if (ready < 0)
        return -1;
    Ipv4Endpoint sender;
    const long n = ReceiveDatagram(handles[static_cast<size_t>(ready)], buffer, size, &sender);
    from = sender.address;
    // A failed receive (a port-unreachable note, say) is not the timeout: an empty datagram.
    return n < 0 ? 0 : n;
}

void CSocketDiscoveryNetwork::Close()
{
    m_sockets.clear();
}

// ---------------------------------------------------------------- search

CUdpDiscovery::CUdpDiscovery(IDiscoveryNetwork& network, CNotifySink* sink)
    : m_network(network), m_sink(sink ? *sink : m_quiet)
{
}

void CUdpDiscovery::Trace(const char* format, ...)
{
    char line[256];
    va_list args;
    va_start(args, format);
    std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    m_sink.Notify(line);
}

uint32_t CUdpDiscovery::InterfaceMask(uint32_t localAddress) const
{
    for (const LocalInterface& i : m_interfaces) {
        if (i.address == localAddress)
            return i.mask;
    }
    return 0;
}

uint32_t CUdpDiscovery::LocalAddressFor(uint32_t sender) const
{
    for (const LocalInterface& i : m_interfaces) {
        if (i.address == sender || (i.mask != 0 && (i.address & i.mask) == (sender & i.mask)))
            return i.address;
    }
    return m_interfaces.empty() ? 0 : m_interfaces.front().address;
}

void CUdpDiscovery::BroadcastFromEveryAddress(const DiscoveryDatagram& datagram)
{
    Trace("Broadcasting command %02X -------\n", datagram[3]);
    m_interfaces = m_network.LocalInterfaces();
    int number = 0;
    for (const LocalInterface& local : m_interfaces) {
        const std::string text = FormatIpv4(local.address);
        Trace("  IPv4 Address #%d: %s\n", number, text.c_str());
        Trace("Searching devices at address #%d: %s\n", number, text.c_str());
        ++number;
        switch (m_network.Broadcast(local.address, datagram)) {
        case IDiscoveryNetwork::SendResult::Sent: break;
        case IDiscoveryNetwork::SendResult::CreateFailed: Trace("Error in creating socket\n"); break;
        case IDiscoveryNetwork::SendResult::BindFailed: Trace("Error in binding socket\n"); break;
        case IDiscoveryNetwork::SendResult::SendFailed: Trace("send() failed\n"); break;
        }
    }
    Trace("Broadcasting done ---------------\n");
}

void CUdpDiscovery::Receive(uint32_t productId)
{
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(kMaxSearchMs);
    uint8_t buffer[1024];
    for (size_t count = 0; count < kMaxDatagrams && Clock::now() < deadline; ++count) {
        uint32_t from = 0;
        const long n = m_network.Receive(buffer, sizeof buffer, from);
        if (n < 0) {
            Trace("Receive timeout.\n");
            return;
        }
        CSocketDeviceInfo device;
        const AnswerCheck check = ParseDiscoveryAnswer(buffer, static_cast<size_t>(n), device);
        if (check == AnswerCheck::BadHeader) {
            Trace("Invalid header: %c%c\n", buffer[0], buffer[1]);
            continue;
        }
        if (check != AnswerCheck::Valid) {
            Trace("Invalid response.\n");
            continue;
        }
        Trace("++ Received response\n");
        Trace("Command: %02X %02X\n", buffer[2], buffer[3]);
        Trace("MAC: %02X-%02X-%02X-%02X-%02X-%02X\r\n", device.mac[0], device.mac[1], device.mac[2], device.mac[3],
              device.mac[4], device.mac[5]);
        Trace("IP: %s\n", FormatIpv4(device.address).c_str());
        Trace("Subnetmask: %s\n", FormatIpv4(device.mask).c_str());
        Trace("Device: %04X\n", device.productId);
        Trace("Name: %s\n", Narrow(device.name).c_str());
        // A box of another product that answers anyway is not one of ours.
        if (productId != 0 && device.productId != productId) {
            Trace("Invalid response.\n");
            continue;
        }
        const bool known = std::any_of(m_devices.begin(), m_devices.end(),
                                       [&](const CSocketDeviceInfo& d) { return d.mac == device.mac; });
        if (known)
            continue;
        device.localAddress = LocalAddressFor(from);
        m_devices.push_back(std::move(device));
    }
}

void CUdpDiscovery::Search(uint32_t productId, bool addToList)
{
    if (!addToList)
        m_devices.clear();
    if (!m_network.OpenReceiver(kDiscoveryReceiveTimeoutMs)) {
        Trace("Error in creating socket\n");
        m_network.Close();
        return;
    }
    BroadcastFromEveryAddress(EncodeSearchRequest(productId));
    Receive(productId);
    m_network.Close();
}

void CUdpDiscovery::SendCommand(const DiscoveryDatagram& command)
{
    BroadcastFromEveryAddress(command);
    m_network.Close();
}
