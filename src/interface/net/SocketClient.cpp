#include "interface/net/SocketClient.h"

#include <chrono>

void CSocketBase::Attach(SocketHandle socket)
{
    CloseSocketHandle();
    m_socket = socket;
}

void CSocketBase::CloseSocketHandle()
{
    if (m_socket != kInvalidSocket) {
        CloseSocket(m_socket);
        m_socket = kInvalidSocket;
    }
}

bool CSocketClient::Connect(const std::string& host, uint16_t port, int connectTimeoutMs)
{
    CloseSocketHandle();
    uint32_t address = 0;
    if (!SocketLayerStartup() || !ResolveIpv4(host, address))
        return false;
    const SocketHandle s = OpenSocket(SocketKind::Stream);
    if (s == kInvalidSocket)
        return false;
    if (!ConnectSocket(s, {address, port}, connectTimeoutMs)) {
        CloseSocket(s);
        return false;
    }
    // Commands are a few bytes each and wait for their answer: without this,
    // a command written in two pieces would wait for the delayed ack.
    SetNoDelay(s);
    SetSocketTimeouts(s, m_sendTimeoutMs, m_receiveTimeoutMs);
    Attach(s);
    return true;
}

bool CSocketClient::Send(const void* data, size_t size)
{
    const auto* bytes = static_cast<const uint8_t*>(data);
    while (size > 0) {
        if (!IsValid())
            return false;
        const long n = SendSome(Handle(), bytes, size);
        if (n <= 0)
            return false;
        bytes += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

size_t CSocketClient::ReceiveExact(void* data, size_t size)
{
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(m_receiveTimeoutMs);
    auto* bytes = static_cast<uint8_t*>(data);
    size_t received = 0;
    while (received < size && IsValid()) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0 || WaitReadable(Handle(), static_cast<int>(left)) != WaitResult::Ready)
            break;
        const long n = ReceiveSome(Handle(), bytes + received, size - received);
        if (n <= 0)
            break;
        received += static_cast<size_t>(n);
    }
    return received;
}

bool CSocketClient::IsDataWaiting()
{
    return IsValid() && WaitReadable(Handle(), 0) == WaitResult::Ready;
}

uint32_t CSocketClient::WaitingCount()
{
    return IsValid() ? BytesWaiting(Handle()) : 0;
}

bool CSocketClient::CreateDatagram(uint32_t localAddress, uint16_t port, bool broadcast)
{
    CloseSocketHandle();
    if (!SocketLayerStartup())
        return false;
    const SocketHandle s = OpenSocket(SocketKind::Datagram);
    if (s == kInvalidSocket)
        return false;
    SetReuseAddress(s);
    if ((broadcast && !SetBroadcast(s)) || !BindSocket(s, {localAddress, port})) {
        CloseSocket(s);
        return false;
    }
    SetSocketTimeouts(s, m_sendTimeoutMs, m_receiveTimeoutMs);
    Attach(s);
    return true;
}
