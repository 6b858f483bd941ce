// Finding trainer interfaces on the local network: a UDP search broadcast
// from every local address, answers collected for a second after the last
// one, one record per MAC; and the device commands (identify, new address,
// new name) broadcast the same way to the device whose MAC they carry.
//
// Datagrams are 180 bytes, "BK" first. The sockets sit behind
// IDiscoveryNetwork so the search runs against a fake in tests.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "framework/Types.h"
#include "interface/net/SocketClient.h"

constexpr size_t kDiscoverySize = 180;
constexpr uint16_t kDiscoveryLocalPort = 17009;
constexpr uint16_t kDiscoveryDevicePort = 17008;
constexpr uint32_t kInterfaceProductId = 37644;
constexpr int kDiscoveryReceiveTimeoutMs = 1000;
// A device name in a rename command: at most this many UTF-16 characters.
constexpr size_t kDiscoveryNameLength = 80;

enum DiscoveryCommand : uint8_t {
    kDiscoverySearch = 0x80,
    kDiscoveryIdentify = 0x81,
    kDiscoverySetAddress = 0x82,
    kDiscoveryRename = 0x83,
    kDiscoveryAnswer = 0x91,
};

using DiscoveryDatagram = std::array<uint8_t, kDiscoverySize>;
using DeviceMac = std::array<uint8_t, 6>;

// A device that answered a search.
struct CSocketDeviceInfo {
    DeviceMac mac{};
    uint32_t address = 0;  // host byte order, as every address here
    uint32_t mask = 0;
    uint16_t productId = 0;
    CString name;
    // The local address on which the answer came.
    uint32_t localAddress = 0;

    // "name (a.b.c.d)", the text of the device lists.
    CString ListText() const;
    CString AddressText() const;
};

DiscoveryDatagram EncodeSearchRequest(uint32_t productId);
DiscoveryDatagram EncodeIdentifyCommand(const DeviceMac& mac);
DiscoveryDatagram EncodeSetAddressCommand(const DeviceMac& mac, uint32_t address, uint32_t mask);
// The name is cut to kDiscoveryNameLength characters.
DiscoveryDatagram EncodeRenameCommand(const DeviceMac& mac, const CString& name);

// Whether mask is a subnet mask: ones from the top, then zeros, not none.
bool IsSubnetMask(uint32_t mask);
// Whether a device can take address in a subnet of mask: not this network's
// own or broadcast address, not loopback, multicast or a zero network.
bool IsUsableDeviceAddress(uint32_t address, uint32_t mask);

enum class AnswerCheck { Valid, TooShort, BadHeader, NotAnAnswer };
// Reads an answer into device (all but localAddress). A name without its
// terminating zero ends at the datagram's end.
AnswerCheck ParseDiscoveryAnswer(const uint8_t* data, size_t size, CSocketDeviceInfo& device);

// Where the search writes what it does, line by line.
class CNotifySink {
public:
    virtual ~CNotifySink() = default;
    virtual void Notify(const std::string& line) = 0;
};

// The default sink: the lines go nowhere.
class CNotifySinkTrace : public CNotifySink {
public:
    void Notify(const std::string&) override {}
};

using LocalInterface = Ipv4Interface;

// The sockets of one search or command.
class IDiscoveryNetwork {
public:
    enum class SendResult { Sent, CreateFailed, BindFailed, SendFailed };

    virtual ~IDiscoveryNetwork() = default;
    // This computer's IPv4 addresses, in the system's order.
    virtual std::vector<LocalInterface> LocalInterfaces() = 0;
    // The socket that receives the answers: bound to the discovery port on
    // every address, with the receive timeout.
    virtual bool OpenReceiver(int receiveTimeoutMs) = 0;
    // Broadcasts datagram from localAddress.
    virtual SendResult Broadcast(uint32_t localAddress, const DiscoveryDatagram& datagram) = 0;
    // The next datagram on any of the search's sockets: its size, or -1 when
    // the receive timeout passed first. from is the sender's address.
    virtual long Receive(uint8_t* buffer, size_t size, uint32_t& from) = 0;
    // Closes every socket of the search.
    virtual void Close() = 0;
};

// The network through the socket layer. The broadcast sockets stay open until
// Close, and Receive listens on them too: a device on this computer can answer
// before its request's socket would have been closed, and that answer goes to
// the socket bound to the exact address.
class CSocketDiscoveryNetwork : public IDiscoveryNetwork {
public:
    std::vector<LocalInterface> LocalInterfaces() override;
    bool OpenReceiver(int receiveTimeoutMs) override;
    SendResult Broadcast(uint32_t localAddress, const DiscoveryDatagram& datagram) override;
    long Receive(uint8_t* buffer, size_t size, uint32_t& from) override;
    void Close() override;

private:
    int m_timeoutMs = kDiscoveryReceiveTimeoutMs;
    std::vector<std::unique_ptr<CSocketClient>> m_sockets;
};

class CUdpDiscovery {
public:
    // A device that keeps answering must not hold the search: it ends after
    // this many datagrams or this long, whichever comes first.
    static constexpr size_t kMaxDatagrams = 512;
    static constexpr int kMaxSearchMs = 5000;

    explicit CUdpDiscovery(IDiscoveryNetwork& network, CNotifySink* sink = nullptr);

    // Searches for devices of productId (0: any). Unless addToList, the list
    // starts afresh. Ends with what was found when a socket fails.
    void Search(uint32_t productId, bool addToList = false);
    // Broadcasts a device command from every local address; no answer is awaited.
    void SendCommand(const DiscoveryDatagram& command);

    const std::vector<CSocketDeviceInfo>& Devices() const { return m_devices; }
    // The local interfaces of the last search or command.
    const std::vector<LocalInterface>& Interfaces() const { return m_interfaces; }
    // The mask of the local interface with that address; 0 when none has it.
    uint32_t InterfaceMask(uint32_t localAddress) const;

private:
    void BroadcastFromEveryAddress(const DiscoveryDatagram& datagram);
    void Receive(uint32_t productId);
    void Trace(const char* format, ...);
    // The local address an answer from sender came in on: the interface whose
    // subnet holds the sender, else the first one.
    uint32_t LocalAddressFor(uint32_t sender) const;

    IDiscoveryNetwork& m_network;
    CNotifySinkTrace m_quiet;
    CNotifySink& m_sink;
    std::vector<CSocketDeviceInfo> m_devices;
    std::vector<LocalInterface> m_interfaces;
};
