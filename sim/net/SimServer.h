// The box's protocol port: every connection gets its own protocol engine on
// the shared box, and shows the planned faults (close after N bytes or T
// seconds, stall, wrong acknowledgement, garbage).
#pragma once

#include <atomic>

#include "net/TcpService.h"
#include "protocol/ProtocolEngine.h"

namespace vexasim {

class CSimBox;

class CSimServer : public CTcpService {
public:
    CSimServer(CSimBox& box, FaultPlan faults) : m_box(box), m_faults(faults) {}
    ~CSimServer() override { Stop(); }

protected:
    void Serve(SocketHandle socket, const std::atomic<bool>& stop) override;

private:
    CSimBox& m_box;
    const FaultPlan m_faults;
    std::atomic<uint32_t> m_connections{0};
};

} // namespace vexasim
