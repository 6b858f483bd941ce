#include "interface/net/SocketPlatform.h"

#include <cstring>
#include <vector>

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
// After winsock2.h, which it needs.
#include <iphlpapi.h>
#else
#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <ifaddrs.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace {

#ifdef _WIN32
using NativeSocket = SOCKET;
using SockLen = int;
constexpr int kSendFlags = 0;
#else
using NativeSocket = int;
using SockLen = socklen_t;
constexpr int kSendFlags = MSG_NOSIGNAL;
#endif

NativeSocket Native(SocketHandle socket)
{
    return static_cast<NativeSocket>(socket);
}

sockaddr_in ToSockaddr(Ipv4Endpoint endpoint)
{
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(endpoint.address);
    a.sin_port = htons(endpoint.port);
    return a;
}

Ipv4Endpoint FromSockaddr(const sockaddr_in& a)
{
    return {ntohl(a.sin_addr.s_addr), ntohs(a.sin_port)};
}

bool SetOption(SocketHandle socket, int level, int name, int value)
{
    return setsockopt(Native(socket), level, name, reinterpret_cast<const char*>(&value), sizeof value) == 0;
}

bool SetBlocking(SocketHandle socket, bool blocking)
{
#ifdef _WIN32
    u_long nonBlocking = blocking ? 0 : 1;
    return ioctlsocket(Native(socket), FIONBIO, &nonBlocking) == 0;
#else
    const int flags = fcntl(Native(socket), F_GETFL, 0);
    if (flags < 0)
        return false;
    return fcntl(Native(socket), F_SETFL, blocking ? flags & ~O_NONBLOCK : flags | O_NONBLOCK) == 0;
#endif
}

bool ConnectInProgress(int error)
{
#ifdef _WIN32
    return error == WSAEWOULDBLOCK || error == WSAEINPROGRESS;
#else
    return error == EINPROGRESS || error == EINTR;
#endif
}

// Waits for readability (or, with forWrite, writability). Windows uses
// select, since WSAPoll does not report a refused connect on every version.
WaitResult WaitFor(SocketHandle socket, bool forWrite, int timeoutMs)
{
#ifdef _WIN32
    fd_set ready, failed;
    FD_ZERO(&ready);
    FD_ZERO(&failed);
    FD_SET(Native(socket), &ready);
    FD_SET(Native(socket), &failed);
    timeval tv{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
    const int n = select(0, forWrite ? nullptr : &ready, forWrite ? &ready : nullptr, &failed,
                         timeoutMs < 0 ? nullptr : &tv);
    if (n < 0)
        return WaitResult::Failed;
    if (n == 0)
        return WaitResult::Timeout;
    return FD_ISSET(Native(socket), &ready) ? WaitResult::Ready : WaitResult::Failed;
#else
    pollfd p{Native(socket), static_cast<short>(forWrite ? POLLOUT : POLLIN), 0};
    for (;;) {
        const int n = poll(&p, 1, timeoutMs);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return WaitResult::Failed;
        if (n == 0)
            return WaitResult::Timeout;
        // A hang-up or error still counts as ready: the next call reports it.
        return WaitResult::Ready;
    }
#endif
}

// The portable handle of a socket the system returned, or kInvalidSocket
// for the system's failure value.
SocketHandle Handle(NativeSocket s)
{
#ifdef _WIN32
    if (s == INVALID_SOCKET)
        return kInvalidSocket;
#else
    if (s < 0)
        return kInvalidSocket;
#endif
    return static_cast<SocketHandle>(s);
}

} // namespace

bool SocketLayerStartup()
{
#ifdef _WIN32
    static const bool started = [] {
        WSADATA data;
        return WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    return started;
#else
    return true;
#endif
}

SocketHandle OpenSocket(SocketKind kind)
{
    return Handle(socket(AF_INET, kind == SocketKind::Stream ? SOCK_STREAM : SOCK_DGRAM,
                         kind == SocketKind::Stream ? IPPROTO_TCP : IPPROTO_UDP));
}

void CloseSocket(SocketHandle socket)
{
    if (socket == kInvalidSocket)
        return;
#ifdef _WIN32
    closesocket(Native(socket));
#else
    close(Native(socket));
#endif
}

void ShutdownSocket(SocketHandle socket)
{
#ifdef _WIN32
    shutdown(Native(socket), SD_BOTH);
#else
    shutdown(Native(socket), SHUT_RDWR);
#endif
}

int LastSocketError()
{
#ifdef _WIN32
    return WSAGetLastError();
#else
    return errno;
#endif
}

bool SetSocketTimeouts(SocketHandle socket, int sendMs, int receiveMs)
{
#ifdef _WIN32
    const DWORD send = static_cast<DWORD>(sendMs), receive = static_cast<DWORD>(receiveMs);
    return setsockopt(Native(socket), SOL_SOCKET, SO_SNDTIMEO, reinterpret_cast<const char*>(&send), sizeof send) == 0 &&
           setsockopt(Native(socket), SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&receive), sizeof receive) == 0;
#else
    const timeval send{sendMs / 1000, (sendMs % 1000) * 1000};
    const timeval receive{receiveMs / 1000, (receiveMs % 1000) * 1000};
    return setsockopt(Native(socket), SOL_SOCKET, SO_SNDTIMEO, &send, sizeof send) == 0 &&
           setsockopt(Native(socket), SOL_SOCKET, SO_RCVTIMEO, &receive, sizeof receive) == 0;
#endif
}

bool SetNoDelay(SocketHandle socket)
{
    return SetOption(socket, IPPROTO_TCP, TCP_NODELAY, 1);
}

bool SetReuseAddress(SocketHandle socket)
{
    return SetOption(socket, SOL_SOCKET, SO_REUSEADDR, 1);
}

bool SetBroadcast(SocketHandle socket)
{
    return SetOption(socket, SOL_SOCKET, SO_BROADCAST, 1);
}

bool ResolveIpv4(const std::string& host, uint32_t& address)
{
    in_addr parsed{};
    if (inet_pton(AF_INET, host.c_str(), &parsed) == 1) {
        address = ntohl(parsed.s_addr);
        return true;
    }
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 || found == nullptr)
        return false;
    address = ntohl(reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr.s_addr);
    freeaddrinfo(found);
    return true;
}

std::string FormatIpv4(uint32_t address)
{
    return std::to_string(address >> 24) + '.' + std::to_string(address >> 16 & 0xFF) + '.' +
           std::to_string(address >> 8 & 0xFF) + '.' + std::to_string(address & 0xFF);
}

bool BindSocket(SocketHandle socket, Ipv4Endpoint local)
{
    const sockaddr_in a = ToSockaddr(local);
    return bind(Native(socket), reinterpret_cast<const sockaddr*>(&a), sizeof a) == 0;
}

bool ListenSocket(SocketHandle socket, int backlog)
{
    return listen(Native(socket), backlog) == 0;
}

SocketHandle AcceptSocket(SocketHandle listener, int timeoutMs, Ipv4Endpoint* peer)
{
    if (WaitFor(listener, false, timeoutMs) != WaitResult::Ready)
        return kInvalidSocket;
    sockaddr_in a{};
    SockLen length = sizeof a;
    const SocketHandle s = Handle(accept(Native(listener), reinterpret_cast<sockaddr*>(&a), &length));
    if (s == kInvalidSocket)
        return kInvalidSocket;
    if (peer)
        *peer = FromSockaddr(a);
    return s;
}

bool LocalEndpoint(SocketHandle socket, Ipv4Endpoint& local)
{
    sockaddr_in a{};
    SockLen length = sizeof a;
    if (getsockname(Native(socket), reinterpret_cast<sockaddr*>(&a), &length) != 0)
        return false;
    local = FromSockaddr(a);
    return true;
}

bool ConnectSocket(SocketHandle socket, Ipv4Endpoint remote, int timeoutMs)
{
    const sockaddr_in a = ToSockaddr(remote);
    if (timeoutMs < 0)
        return connect(Native(socket), reinterpret_cast<const sockaddr*>(&a), sizeof a) == 0;

    if (!SetBlocking(socket, false))
        return false;
    bool connected = connect(Native(socket), reinterpret_cast<const sockaddr*>(&a), sizeof a) == 0;
    if (!connected && ConnectInProgress(LastSocketError()) && WaitFor(socket, true, timeoutMs) == WaitResult::Ready) {
        int error = 0;
        SockLen length = sizeof error;
        connected = getsockopt(Native(socket), SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &length) == 0 &&
                    error == 0;
    }
    return SetBlocking(socket, true) && connected;
}

WaitResult WaitReadable(SocketHandle socket, int timeoutMs)
{
    return WaitFor(socket, false, timeoutMs);
}

long SendSome(SocketHandle socket, const void* data, size_t size)
{
    return send(Native(socket), static_cast<const char*>(data), static_cast<int>(size), kSendFlags);
}

long ReceiveSome(SocketHandle socket, void* data, size_t size)
{
    return recv(Native(socket), static_cast<char*>(data), static_cast<int>(size), 0);
}

long SendDatagram(SocketHandle socket, const void* data, size_t size, Ipv4Endpoint to)
{
    const sockaddr_in a = ToSockaddr(to);
    return sendto(Native(socket), static_cast<const char*>(data), static_cast<int>(size), kSendFlags,
                  reinterpret_cast<const sockaddr*>(&a), sizeof a);
}

long ReceiveDatagram(SocketHandle socket, void* data, size_t size, Ipv4Endpoint* from)
{
    sockaddr_in a{};
    SockLen length = sizeof a;
    const long n = recvfrom(Native(socket), static_cast<char*>(data), static_cast<int>(size), 0,
                            reinterpret_cast<sockaddr*>(&a), &length);
    if (n >= 0 && from)
        *from = FromSockaddr(a);
    return n;
}

uint32_t BytesWaiting(SocketHandle socket)
{
#ifdef _WIN32
    u_long count = 0;
    if (ioctlsocket(Native(socket), FIONREAD, &count) != 0)
        return 0;
    return static_cast<uint32_t>(count);
#else
    int count = 0;
    if (ioctl(Native(socket), FIONREAD, &count) != 0 || count < 0)
        return 0;
    return static_cast<uint32_t>(count);
#endif
}

int WaitAnyReadable(const SocketHandle* sockets, size_t count, int timeoutMs)
{
    if (count == 0)
        return -1;
#ifdef _WIN32
    fd_set ready;
    FD_ZERO(&ready);
    for (size_t i = 0; i < count && i < FD_SETSIZE; ++i)
        FD_SET(Native(sockets[i]), &ready);
    timeval tv{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
    if (select(0, &ready, nullptr, nullptr, timeoutMs < 0 ? nullptr : &tv) <= 0)
        return -1;
    for (size_t i = 0; i < count; ++i) {
        if (FD_ISSET(Native(sockets[i]), &ready))
            return static_cast<int>(i);
    }
    return -1;
#else
    std::vector<pollfd> polled(count);
    for (size_t i = 0; i < count; ++i)
        polled[i] = {Native(sockets[i]), POLLIN, 0};
    int n;
    do {
        n = poll(polled.data(), polled.size(), timeoutMs);
    } while (n < 0 && errno == EINTR);
    if (n <= 0)
        return -1;
    for (size_t i = 0; i < count; ++i) {
        if (polled[i].revents != 0)
            return static_cast<int>(i);
    }
    return -1;
#endif
}

std::vector<Ipv4Interface> LocalIpv4Interfaces()
{
    std::vector<Ipv4Interface> found;
#ifdef _WIN32
    ULONG size = 0;
    if (GetIpAddrTable(nullptr, &size, FALSE) != ERROR_INSUFFICIENT_BUFFER || size == 0)
        return found;
    std::vector<unsigned char> buffer(size);
    auto* table = reinterpret_cast<MIB_IPADDRTABLE*>(buffer.data());
    if (GetIpAddrTable(table, &size, FALSE) != NO_ERROR)
        return found;
    for (DWORD i = 0; i < table->dwNumEntries; ++i) {
        const MIB_IPADDRROW& row = table->table[i];
        if (row.dwAddr != 0)
            found.push_back({ntohl(row.dwAddr), ntohl(row.dwMask)});
    }
#else
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0)
        return found;
    for (const ifaddrs* a = list; a; a = a->ifa_next) {
        if (!a->ifa_addr || a->ifa_addr->sa_family != AF_INET)
            continue;
        const uint32_t mask =
            a->ifa_netmask ? ntohl(reinterpret_cast<const sockaddr_in*>(a->ifa_netmask)->sin_addr.s_addr) : 0;
        found.push_back({ntohl(reinterpret_cast<const sockaddr_in*>(a->ifa_addr)->sin_addr.s_addr), mask});
    }
    freeifaddrs(list);
#endif
    return found;
}
