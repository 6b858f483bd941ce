// A TCP listener that serves each connection on its own thread, and that
// stops cleanly: Stop() ends the accept loop, shuts every open connection
// and joins every thread.
#pragma once

#include <atomic>
#include <cstdint>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "interface/net/SocketPlatform.h"

namespace vexasim {

class CTcpService {
public:
    CTcpService() = default;
    CTcpService(const CTcpService&) = delete;
    CTcpService& operator=(const CTcpService&) = delete;
    virtual ~CTcpService();

    // Listens on address:port (port 0 takes a free one). On failure error
    // says why and nothing runs.
    bool Start(uint32_t address, uint16_t port, std::string& error);
    // The port listened on; 0 when not started.
    uint16_t Port() const { return m_port; }
    void Stop();
    uint64_t Connections() const { return m_connections; }

    // Polling slice [ms] of every wait, so that Stop() is seen quickly.
    static constexpr int kSliceMs = 50;

protected:
    // Serves one connection until the peer leaves or stop is set; the
    // socket is closed afterwards.
    virtual void Serve(SocketHandle socket, const std::atomic<bool>& stop) = 0;
    // Sleeps up to seconds, waking early when stop is set.
    static void SleepUnlessStopped(double seconds, const std::atomic<bool>& stop);
    // Receives exactly size bytes; false when the peer left or stop was set.
    static bool ReceiveAll(SocketHandle socket, void* data, size_t size, const std::atomic<bool>& stop);
    static bool SendAll(SocketHandle socket, const void* data, size_t size);

private:
    struct Session {
        SocketHandle socket = kInvalidSocket;
        std::atomic<bool> done{false};
        std::thread thread;
    };

    void AcceptLoop();
    void JoinFinished();

    std::atomic<bool> m_stop{false};
    SocketHandle m_listener = kInvalidSocket;
    uint16_t m_port = 0;
    std::atomic<uint64_t> m_connections{0};
    std::thread m_acceptThread;
    std::mutex m_lock;
    std::list<std::unique_ptr<Session>> m_sessions;
};

} // namespace vexasim
