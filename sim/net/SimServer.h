// The box's protocol port: every connection gets its own protocol engine on
// the shared box, and shows the planned faults (close after N bytes or T
// seconds, stall, wrong acknowledgement, garbage).
#pragma once

#include <atomic>
#include <mutex>

#include "net/TcpService.h"
#include "protocol/ProtocolEngine.h"

namespace vexasim {

class CSimBox;

class CSimServer : public CTcpService {
public:
    CSimServer(CSimBox& box, FaultPlan faults) : m_box(box), m_faults(faults) {}
    ~CSimServer() override { Stop(); }

    // Plans faults for the connections open now, counted from the moment
    // each of them takes the plan (its next slice), not from its start.
    void ArmFaults(const FaultPlan& faults);
    // Bytes sent to every connection so far.
    uint64_t BytesSent() const { return m_bytesSent; }
    // Planned faults played on every connection so far: cuts, wrong
    // acknowledgements, stalls and garbage.
    uint32_t FaultsPlayed() const { return m_faultsPlayed; }
    // Connections being served now.
    int OpenConnections() const { return m_open; }

protected:
    void Serve(SocketHandle socket, const std::atomic<bool>& stop) override;

private:
    CSimBox& m_box;
    const FaultPlan m_faults;
    std::atomic<uint32_t> m_connections{0};
    std::atomic<uint64_t> m_bytesSent{0};
    std::atomic<uint32_t> m_faultsPlayed{0};
    std::atomic<int> m_open{0};
    std::mutex m_armLock;
    FaultPlan m_armed;
    std::atomic<uint32_t> m_armings{0};
};

} // namespace vexasim
