// The device manager's tunnel service: a client opens the box with an open
// request, then writes protocol bytes and asks for answer bytes in 8-byte
// little-endian headed messages (1 read, 2 write, 3 open, 4 close).
#pragma once

#include "net/TcpService.h"

namespace vexasim {

class CSimBox;

class CTunnelService : public CTcpService {
public:
    explicit CTunnelService(CSimBox& box) : m_box(box) {}
    ~CTunnelService() override { Stop(); }

    // Status word of the open answer: 0 opened, 1 not this product, 2 bad request.
    static uint16_t OpenStatus(const uint8_t* payload, size_t size);

protected:
    void Serve(SocketHandle socket, const std::atomic<bool>& stop) override;

private:
    CSimBox& m_box;
};

} // namespace vexasim
