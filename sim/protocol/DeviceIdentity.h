// Who the simulated box says it is on the network: name, MAC, address and
// mask. Shared by the protocol (device name query) and the discovery
// responder, whose commands change it, so every access is locked.
#pragma once

#include <array>
#include <cstdint>
#include <mutex>

#include "framework/Types.h"

namespace vexasim {

using MacAddress = std::array<uint8_t, 6>;

class CDeviceIdentity {
public:
    CDeviceIdentity(CString name, MacAddress mac, uint32_t address, uint32_t mask)
        : m_name(std::move(name)), m_mac(mac), m_address(address), m_mask(mask)
    {
    }

    CString Name() const;
    void SetName(CString name);
    MacAddress Mac() const { return m_mac; }
    uint32_t Address() const;
    uint32_t Mask() const;
    void SetAddress(uint32_t address, uint32_t mask);
    // Counts the identify requests (a real box blinks its LED).
    void Identify();
    uint32_t IdentifyCount() const;

private:
    mutable std::mutex m_lock;
    CString m_name;
    const MacAddress m_mac;
    uint32_t m_address;
    uint32_t m_mask;
    uint32_t m_identifies = 0;
};

} // namespace vexasim
