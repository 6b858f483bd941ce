// The UDP discovery responder: answers "BK" search datagrams with the box's
// product id, MAC, address, mask and name, and carries out the device
// commands (0x81 identify, 0x82 new address and mask, 0x83 new name) that
// name its MAC.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <thread>

#include "interface/net/SocketPlatform.h"
#include "protocol/DeviceIdentity.h"

namespace vexasim {

constexpr size_t kDiscoveryDatagramSize = 180;
constexpr uint16_t kDiscoveryProductId = 37644;
constexpr uint16_t kDiscoveryPort = 17008;

using DiscoveryDatagram = std::array<uint8_t, kDiscoveryDatagramSize>;

// The answer to a search, from what the identity says now.
DiscoveryDatagram BuildDiscoveryAnswer(const CDeviceIdentity& identity);

// Handles one received datagram: returns the answer for a search that asks
// for this product (or for any, 0), applies a device command meant for this
// MAC, and ignores everything else.
std::optional<DiscoveryDatagram> HandleDiscoveryDatagram(const uint8_t* data, size_t size, CDeviceIdentity& identity);

class CDiscoveryResponder {
public:
    explicit CDiscoveryResponder(CDeviceIdentity& identity) : m_identity(identity) {}
    ~CDiscoveryResponder() { Stop(); }

    // Listens on address:port (port 0 takes a free one).
    bool Start(uint32_t address, uint16_t port, std::string& error);
    uint16_t Port() const { return m_port; }
    void Stop();

private:
    void Loop();

    CDeviceIdentity& m_identity;
    std::atomic<bool> m_stop{false};
    SocketHandle m_socket = kInvalidSocket;
    uint16_t m_port = 0;
    std::thread m_thread;
};

} // namespace vexasim
