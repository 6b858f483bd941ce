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
#include <vector>

#include "interface/net/Discovery.h"
#include "interface/net/SocketPlatform.h"
#include "protocol/DeviceIdentity.h"

namespace vexasim {

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

    // Listens on address:port (port 0 takes a free one) beside other
    // simulators. Only requests from this computer are answered, so that a
    // simulator listening everywhere, as it must to hear a broadcast, still
    // sends nothing to another machine.
    bool Start(uint32_t address, uint16_t port, std::string& error);
    uint16_t Port() const { return m_port; }
    void Stop();

private:
    void Loop();
    bool IsFromThisComputer(uint32_t sender) const;

    CDeviceIdentity& m_identity;
    std::atomic<bool> m_stop{false};
    SocketHandle m_socket = kInvalidSocket;
    uint16_t m_port = 0;
    std::vector<Ipv4Interface> m_localInterfaces;
    std::thread m_thread;
};

} // namespace vexasim
