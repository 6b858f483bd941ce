// CStreamSocketUsb: the byte protocol relayed by a device-manager service
// that owns a USB-attached trainer interface. Every request to the service
// starts with an 8-byte little-endian header (type, reserved, byte count);
// reads are asked for explicitly, writes carry their bytes after the header.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "framework/Settings.h"
#include "interface/net/StreamSocket.h"

enum class TunnelRequest : uint16_t { Read = 1, Write = 2, Open = 3, Close = 4 };

constexpr uint32_t kTunnelHeaderSize = 8;
constexpr uint32_t kTunnelOpenPayloadSize = 518;
constexpr uint32_t kTunnelOpenAnswerSize = 260;
constexpr uint32_t kTunnelOpenStatusOffset = 258;
constexpr uint16_t kTunnelDefaultPort = 8080;

std::array<uint8_t, kTunnelHeaderSize> EncodeTunnelHeader(TunnelRequest type, uint32_t count);
// The open request's payload: version 1, product, user mode, and the device
// name as zero-terminated UTF-16LE in a 512-byte field (cut to fit).
std::vector<uint8_t> EncodeTunnelOpenPayload(uint16_t product, bool userMode, const CString& name);

class CStreamSocketUsb : public CStreamSocket {
public:
    // The device manager's entry of the device: where its service listens and
    // which device to open there.
    CStreamSocketUsb(CString address, uint16_t port, uint16_t product, bool userMode, CString name)
        : CStreamSocket(std::move(address), port), m_product(product), m_userMode(userMode), m_name(std::move(name))
    {
    }
    ~CStreamSocketUsb() override;

    const CString& DeviceName() const { return m_name; }
    // The device manager's entry the address came from; a corrected address
    // and port are written back there.
    void SetEntry(ISettingsStore* settings, const CString& entryKey)
    {
        m_settings = settings;
        m_entryKey = entryKey;
    }

    // As the plain stream's, and a retry stores the address in the entry.
    int ShowConnectFailed(bool allowDemonstration, bool allowCancel) override;
    void Read(void* buffer, uint32_t count) override;

protected:
    bool ConnectDevice() override;
    void DisconnectDevice() override;
    void Transmit(const uint8_t* data, uint32_t size) override;

private:
    void SendCloseRequest();

    uint16_t m_product;
    bool m_userMode;
    CString m_name;
    ISettingsStore* m_settings = nullptr;
    CString m_entryKey;
};
