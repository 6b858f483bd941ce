#include "Simulator.h"

namespace vexasim {

CSimulator::CSimulator(const SimOptions& options, const ISimClock* clock)
    : m_options(options), m_identity(Utf8ToString(options.name), options.mac, kLoopbackAddress, 0xFF000000),
      m_box(options.box, clock ? *clock : m_steadyClock, m_identity), m_server(m_box, options.faults),
      m_discovery(m_identity), m_tunnel(m_box)
{
}

bool CSimulator::Start(std::string& error)
{
    uint32_t address = 0;
    if (!SocketLayerStartup() || !ResolveIpv4(m_options.address, address)) {
        error = "cannot use the address \"" + m_options.address + "\"";
        return false;
    }
    if (!m_server.Start(address, m_options.port, error))
        return false;
    // Discovery reports where the protocol listens, unless that is everywhere.
    if (address != 0)
        m_identity.SetAddress(address, m_identity.Mask());
    std::string warning;
    // Every address, so that a search broadcast on the loopback reaches it.
    if (m_options.discovery && !m_discovery.Start(0, m_options.discoveryPort, warning))
        m_warnings.push_back(warning);
    if (m_options.tunnel && !m_tunnel.Start(kLoopbackAddress, m_options.tunnelPort, warning))
        m_warnings.push_back(warning);
    return true;
}

void CSimulator::Stop()
{
    m_tunnel.Stop();
    m_discovery.Stop();
    m_server.Stop();
}

} // namespace vexasim
