// The whole simulator: one box with its identity, the protocol port, the
// discovery responder and the tunnel service. The program runs one; tests
// run one in-process on free loopback ports.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "SimOptions.h"
#include "model/SimClock.h"
#include "net/Discovery.h"
#include "net/SimServer.h"
#include "net/TunnelService.h"
#include "protocol/SimBox.h"

namespace vexasim {

class CSimulator {
public:
    // clock: the box's time; the real clock when none is given.
    explicit CSimulator(const SimOptions& options, const ISimClock* clock = nullptr);
    ~CSimulator() { Stop(); }

    // Starts the protocol port (which must work) and the side services
    // (whose failures end up in Warnings()).
    bool Start(std::string& error);
    void Stop();

    uint16_t ProtocolPort() const { return m_server.Port(); }
    uint16_t DiscoveryPort() const { return m_discovery.Port(); }
    uint16_t TunnelPort() const { return m_tunnel.Port(); }
    const std::vector<std::string>& Warnings() const { return m_warnings; }

    CSimBox& Box() { return m_box; }
    CSimServer& Server() { return m_server; }
    CDeviceIdentity& Identity() { return m_identity; }

private:
    SimOptions m_options;
    CSteadyClock m_steadyClock;
    CDeviceIdentity m_identity;
    CSimBox m_box;
    CSimServer m_server;
    CDiscoveryResponder m_discovery;
    CTunnelService m_tunnel;
    std::vector<std::string> m_warnings;
};

} // namespace vexasim
