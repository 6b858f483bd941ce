// CSocketBase owns one socket handle; CSocketClient adds what the network
// transports and the discovery need from it: connecting with a time limit,
// sending everything, receiving an exact count within the receive timeout,
// and datagram sockets.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "interface/net/SocketPlatform.h"

class CSocketBase {
public:
    CSocketBase() = default;
    CSocketBase(const CSocketBase&) = delete;
    CSocketBase& operator=(const CSocketBase&) = delete;
    virtual ~CSocketBase() { CloseSocketHandle(); }

    bool IsValid() const { return m_socket != kInvalidSocket; }
    SocketHandle Handle() const { return m_socket; }

protected:
    // Takes ownership of socket, closing the one held before.
    void Attach(SocketHandle socket);
    void CloseSocketHandle();

private:
    SocketHandle m_socket = kInvalidSocket;
};

class CSocketClient : public CSocketBase {
public:
    static constexpr int kDefaultTimeoutMs = 5000;

    // Timeouts in milliseconds; applied as socket options after every connect.
    void SetSendTimeout(int ms) { m_sendTimeoutMs = ms; }
    void SetReceiveTimeout(int ms) { m_receiveTimeoutMs = ms; }
    int ReceiveTimeout() const { return m_receiveTimeoutMs; }

    // Connects a TCP socket to host:port; connectTimeoutMs < 0 leaves the
    // limit to the system. On failure nothing stays open.
    bool Connect(const std::string& host, uint16_t port, int connectTimeoutMs);
    // Sends every byte; false when the connection failed or the send timed out.
    bool Send(const void* data, size_t size);
    // Receives up to size bytes, stopping early only when the receive timeout
    // passes (measured over the whole call) or the peer closes. Returns the
    // number of bytes that arrived.
    size_t ReceiveExact(void* data, size_t size);
    bool IsDataWaiting();
    uint32_t WaitingCount();
    // A UDP socket bound to port on localAddress, with the receive timeout.
    bool CreateDatagram(uint32_t localAddress, uint16_t port, bool broadcast);
    void Close() { CloseSocketHandle(); }

private:
    int m_sendTimeoutMs = kDefaultTimeoutMs;
    int m_receiveTimeoutMs = kDefaultTimeoutMs;
};
