// The few socket calls the network transports and the simulator need, the same
// on POSIX sockets and Winsock. Everything platform-specific lives behind this
// header, in SocketPlatform.cpp; no platform header leaks out of it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

using SocketHandle = uintptr_t;
constexpr SocketHandle kInvalidSocket = ~SocketHandle{0};

// An IPv4 address and port, both in host byte order.
struct Ipv4Endpoint {
    uint32_t address = 0;
    uint16_t port = 0;
};

constexpr uint32_t kLoopbackAddress = 0x7F000001;   // 127.0.0.1
constexpr uint32_t kBroadcastAddress = 0xFFFFFFFF;  // 255.255.255.255

// Starts the socket layer (Winsock 2.2) once per process; true when usable.
bool SocketLayerStartup();

enum class SocketKind { Stream, Datagram };

SocketHandle OpenSocket(SocketKind kind);
void CloseSocket(SocketHandle socket);
// Ends both directions so that a peer or a blocked call sees the end at once.
void ShutdownSocket(SocketHandle socket);
// The error of the last failed call on this thread (errno or WSAGetLastError).
int LastSocketError();

bool SetSocketTimeouts(SocketHandle socket, int sendMs, int receiveMs);
bool SetNoDelay(SocketHandle socket);
bool SetReuseAddress(SocketHandle socket);
bool SetBroadcast(SocketHandle socket);

// Resolves a host name or dotted address to an IPv4 address.
bool ResolveIpv4(const std::string& host, uint32_t& address);
std::string FormatIpv4(uint32_t address);

bool BindSocket(SocketHandle socket, Ipv4Endpoint local);
bool ListenSocket(SocketHandle socket, int backlog);
// Waits at most timeoutMs for a connection; kInvalidSocket when none came.
SocketHandle AcceptSocket(SocketHandle listener, int timeoutMs, Ipv4Endpoint* peer = nullptr);
bool LocalEndpoint(SocketHandle socket, Ipv4Endpoint& local);

// Connects a stream socket, giving up after timeoutMs (negative: the
// system's own connect timeout).
bool ConnectSocket(SocketHandle socket, Ipv4Endpoint remote, int timeoutMs);

enum class WaitResult { Ready, Timeout, Failed };
WaitResult WaitReadable(SocketHandle socket, int timeoutMs);

// One send or receive call: bytes moved, 0 when the peer closed (receive
// only), negative on an error or timeout. Sending never raises SIGPIPE.
long SendSome(SocketHandle socket, const void* data, size_t size);
long ReceiveSome(SocketHandle socket, void* data, size_t size);
long SendDatagram(SocketHandle socket, const void* data, size_t size, Ipv4Endpoint to);
long ReceiveDatagram(SocketHandle socket, void* data, size_t size, Ipv4Endpoint* from);

// Waits at most timeoutMs until one of the sockets can be read: its index,
// or -1 when none could in time or waiting failed.
int WaitAnyReadable(const SocketHandle* sockets, size_t count, int timeoutMs);

// An IPv4 address of this computer and its interface's subnet mask.
struct Ipv4Interface {
    uint32_t address = 0;
    uint32_t mask = 0;
};
// This computer's IPv4 addresses in the system's order, the loopback included.
std::vector<Ipv4Interface> LocalIpv4Interfaces();

// Bytes received and not yet read; 0 on an error.
uint32_t BytesWaiting(SocketHandle socket);
