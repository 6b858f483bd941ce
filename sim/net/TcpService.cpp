#include "net/TcpService.h"

#include <algorithm>
#include <chrono>

namespace vexasim {

CTcpService::~CTcpService()
{
    // Derived classes stop in their own destructors, while Serve still exists;
    // this is the last resort for the listener.
    Stop();
}

bool CTcpService::Start(uint32_t address, uint16_t port, std::string& error)
{
    if (!SocketLayerStartup()) {
        error = "the socket layer is not available";
        return false;
    }
    const SocketHandle s = OpenSocket(SocketKind::Stream);
    if (s == kInvalidSocket) {
        error = "cannot create a socket";
        return false;
    }
    SetReuseAddress(s);
    Ipv4Endpoint local{address, port};
    if (!BindSocket(s, local) || !ListenSocket(s, 8) || !LocalEndpoint(s, local)) {
        error = "cannot listen on " + FormatIpv4(address) + ":" + std::to_string(port) + " (error " +
                std::to_string(LastSocketError()) + ")";
        CloseSocket(s);
        return false;
    }
    m_listener = s;
    m_port = local.port;
    m_stop = false;
    m_acceptThread = std::thread([this] { AcceptLoop(); });
    return true;
}

void CTcpService::Stop()
{
    m_stop = true;
    if (m_acceptThread.joinable())
        m_acceptThread.join();
    CloseSocket(m_listener);
    m_listener = kInvalidSocket;
    std::list<std::unique_ptr<Session>> sessions;
    {
        std::lock_guard<std::mutex> g(m_lock);
        sessions.swap(m_sessions);
        for (auto& s : sessions)
            ShutdownSocket(s->socket);
    }
    for (auto& s : sessions)
        s->thread.join();
}

void CTcpService::AcceptLoop()
{
    while (!m_stop) {
        JoinFinished();
        const SocketHandle s = AcceptSocket(m_listener, kSliceMs);
        if (s == kInvalidSocket)
            continue;
        SetNoDelay(s);
        // A peer that stops reading must not hold a session thread for ever.
        SetSocketTimeouts(s, 10000, 0);
        ++m_connections;
        auto session = std::make_unique<Session>();
        Session* raw = session.get();
        raw->socket = s;
        std::lock_guard<std::mutex> g(m_lock);
        raw->thread = std::thread([this, raw] {
            Serve(raw->socket, m_stop);
            // Shut first: on some systems closing alone does not send the end at once.
            ShutdownSocket(raw->socket);
            raw->done = true;
        });
        m_sessions.push_back(std::move(session));
    }
}

void CTcpService::JoinFinished()
{
    std::lock_guard<std::mutex> g(m_lock);
    for (auto it = m_sessions.begin(); it != m_sessions.end();) {
        if ((*it)->done) {
            (*it)->thread.join();
            CloseSocket((*it)->socket);
            it = m_sessions.erase(it);
        } else {
            ++it;
        }
    }
}

void CTcpService::SleepUnlessStopped(double seconds, const std::atomic<bool>& stop)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (!stop && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(std::chrono::milliseconds(std::min(kSliceMs, 10)));
}

bool CTcpService::ReceiveAll(SocketHandle socket, void* data, size_t size, const std::atomic<bool>& stop)
{
    auto* bytes = static_cast<uint8_t*>(data);
    while (size > 0) {
        if (stop)
            return false;
        const WaitResult w = WaitReadable(socket, kSliceMs);
        if (w == WaitResult::Timeout)
            continue;
        if (w == WaitResult::Failed)
            return false;
        const long n = ReceiveSome(socket, bytes, size);
        if (n <= 0)
            return false;
        bytes += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

bool CTcpService::SendAll(SocketHandle socket, const void* data, size_t size)
{
    const auto* bytes = static_cast<const uint8_t*>(data);
    while (size > 0) {
        const long n = SendSome(socket, bytes, size);
        if (n <= 0)
            return false;
        bytes += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

} // namespace vexasim
