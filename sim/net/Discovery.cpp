#include "net/Discovery.h"

#include <cstring>

namespace vexasim {

namespace {

void PutBigEndian32(uint8_t* p, uint32_t v)
{
    p[0] = static_cast<uint8_t>(v >> 24);
    p[1] = static_cast<uint8_t>(v >> 16);
    p[2] = static_cast<uint8_t>(v >> 8);
    p[3] = static_cast<uint8_t>(v);
}

uint32_t GetBigEndian32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) << 24 | static_cast<uint32_t>(p[1]) << 16 | static_cast<uint32_t>(p[2]) << 8 | p[3];
}

constexpr size_t kNameOffset = 20;

} // namespace

DiscoveryDatagram BuildDiscoveryAnswer(const CDeviceIdentity& identity)
{
    DiscoveryDatagram d{};
    d[0] = 'B';
    d[1] = 'K';
    d[2] = 0x01;
    d[3] = kDiscoveryAnswer;
    d[4] = static_cast<uint8_t>(kInterfaceProductId);
    d[5] = static_cast<uint8_t>(kInterfaceProductId >> 8);
    const MacAddress mac = identity.Mac();
    std::memcpy(&d[6], mac.data(), mac.size());
    PutBigEndian32(&d[12], identity.Address());
    PutBigEndian32(&d[16], identity.Mask());
    const CString name = identity.Name();
    // The last character place stays zero, so the name is always terminated.
    for (size_t i = 0; i < name.size() && kNameOffset + 2 * i + 3 < d.size(); ++i) {
        d[kNameOffset + 2 * i] = static_cast<uint8_t>(name[i]);
        d[kNameOffset + 2 * i + 1] = static_cast<uint8_t>(name[i] >> 8);
    }
    return d;
}

std::optional<DiscoveryDatagram> HandleDiscoveryDatagram(const uint8_t* data, size_t size, CDeviceIdentity& identity)
{
    if (size < kNameOffset || data[0] != 'B' || data[1] != 'K' || data[2] != 0x01)
        return std::nullopt;
    if (data[3] == kDiscoverySearch) {
        const uint32_t wanted = data[4] | data[5] << 8 | static_cast<uint32_t>(data[6]) << 16 |
                                static_cast<uint32_t>(data[7]) << 24;
        if (wanted != 0 && wanted != kInterfaceProductId)
            return std::nullopt;
        return BuildDiscoveryAnswer(identity);
    }
    const MacAddress mac = identity.Mac();
    if (std::memcmp(&data[6], mac.data(), mac.size()) != 0)
        return std::nullopt;
    switch (data[3]) {
    case kDiscoveryIdentify: identity.Identify(); break;
    case kDiscoverySetAddress: identity.SetAddress(GetBigEndian32(&data[12]), GetBigEndian32(&data[16])); break;
    case kDiscoveryRename: {
        CString name;
        for (size_t i = kNameOffset; i + 1 < size; i += 2) {
            const char16_t c = static_cast<char16_t>(data[i] | data[i + 1] << 8);
            if (c == 0)
                break;
            name += c;
        }
        identity.SetName(std::move(name));
        break;
    }
    default: break;
    }
    return std::nullopt;
}

bool CDiscoveryResponder::Start(uint32_t address, uint16_t port, std::string& error)
{
    if (!SocketLayerStartup()) {
        error = "the socket layer is not available";
        return false;
    }
    const SocketHandle s = OpenSocket(SocketKind::Datagram);
    Ipv4Endpoint local{address, port};
    if (s != kInvalidSocket)
        SetReuseAddress(s);
    if (s == kInvalidSocket || !BindSocket(s, local) || !LocalEndpoint(s, local)) {
        error = "cannot listen for discovery on " + FormatIpv4(address) + ":" + std::to_string(port) + " (error " +
                std::to_string(LastSocketError()) + ")";
        CloseSocket(s);
        return false;
    }
    m_socket = s;
    m_port = local.port;
    m_localInterfaces = LocalIpv4Interfaces();
    m_stop = false;
    m_thread = std::thread([this] { Loop(); });
    return true;
}

void CDiscoveryResponder::Stop()
{
    m_stop = true;
    if (m_thread.joinable())
        m_thread.join();
    CloseSocket(m_socket);
    m_socket = kInvalidSocket;
}

void CDiscoveryResponder::Loop()
{
    uint8_t buffer[1024];
    while (!m_stop) {
        if (WaitReadable(m_socket, 50) != WaitResult::Ready)
            continue;
        Ipv4Endpoint from;
        const long n = ReceiveDatagram(m_socket, buffer, sizeof buffer, &from);
        if (n <= 0 || !IsFromThisComputer(from.address))
            continue;
        if (const auto answer = HandleDiscoveryDatagram(buffer, static_cast<size_t>(n), m_identity))
            SendDatagram(m_socket, answer->data(), answer->size(), from);
    }
}

bool CDiscoveryResponder::IsFromThisComputer(uint32_t sender) const
{
    if ((sender >> 24) == 127)
        return true;
    for (const Ipv4Interface& i : m_localInterfaces) {
        if (i.address == sender)
            return true;
    }
    return false;
}

} // namespace vexasim
