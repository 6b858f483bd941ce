// CStreamSocket: the byte protocol carried unchanged over one TCP connection
// to a trainer interface with a network option.
//
// Reads wait at most the receive timeout (5000 ms) for the whole count; a
// short read, and any failed send, raise CStreamException 20020. Between
// BeginBlock and EndBlock the writes collect in a 4095-byte transmit block
// that leaves whenever it is full and at EndBlock.
#pragma once

#include <cstdint>

#include "framework/Types.h"
#include "interface/StreamIO.h"
#include "interface/net/NetworkUi.h"
#include "interface/net/SocketClient.h"

class CStreamSocket : public CStreamIO, public CSocketClient {
public:
    static constexpr uint16_t kDefaultPort = 3060;
    static constexpr uint32_t kBlockSize = 4095;
    static constexpr int kConnectTimeoutMs = 5000;

    CStreamSocket() = default;
    CStreamSocket(CString address, uint16_t port) : m_address(std::move(address)), m_port(port) {}
    ~CStreamSocket() override = default;

    // Host name or dotted address, and port, used by the next Open.
    void SetAddress(const CString& address) { m_address = address; }
    const CString& Address() const { return m_address; }
    void SetPort(uint16_t port) { m_port = port; }
    uint16_t Port() const { return m_port; }
    // Who is asked when the connection fails; none: nobody, the answer is cancel.
    void SetUi(INetworkUi* ui) { m_ui = ui; }

    // The login dialog on address and port: 4 (retry, with the edited values
    // taken over), 6 demonstration, 2 cancel or when it cannot be shown.
    int ShowConnectFailed(bool allowDemonstration, bool allowCancel) override;
    bool Open() override;
    void Close() override;
    bool IsConnected() override { return IsValid(); }
    void Read(void* buffer, uint32_t count) override;
    void Write(const void* buffer, uint32_t count) override;
    void PurgeInput() override;
    uint32_t GetInputCount() override;
    void BeginBlock() override;
    void EndBlock() override;
    bool ResetDevice() override;
    bool IsSocketStream() const override { return true; }
    CString NetworkAddress() const override { return m_address; }

protected:
    // Makes the connection behind Open; the tunnel stream also opens the device.
    virtual bool ConnectDevice();
    // Ends the connection when the last user closes.
    virtual void DisconnectDevice();
    // Sends one transfer as it is; the tunnel stream wraps it in a message.
    virtual void Transmit(const uint8_t* data, uint32_t size);
    // Receives exactly size bytes or raises CStreamException 20020.
    void ReceiveOrThrow(void* data, uint32_t size);
    void SendOrThrow(const void* data, size_t size);
    INetworkUi* Ui() const { return m_ui; }

private:
    INetworkUi* m_ui = nullptr;
    CString m_address;
    uint16_t m_port = kDefaultPort;
    bool m_blockMode = false;
    uint32_t m_blockCount = 0;
    uint8_t m_block[kBlockSize] = {};
};
