// CStreamUSB: the byte protocol over a USB device whose driver exposes it as a
// device interface and its bulk pipes as files.
//
// Reads are buffered in 64-byte transfers, so that byte-wise parsing does not
// cost one transfer per byte; writes leave in chunks of at most 256 bytes, and
// between BeginBlock and EndBlock collect in a 64-byte transmit block that
// leaves whenever it is full and at EndBlock. A failed read raises
// CStreamException 20009, a failed or short write 20010.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "framework/Types.h"
#include "interface/StreamIO.h"
#include "interface/usb/UsbDeviceLayer.h"

// Device interface class of the pipe method (open mode 0).
constexpr InterfaceClassId kPipeInterfaceClass = {
    0x4D2230BB, 0x00E1, 0x48BC, {0xB6, 0x02, 0x44, 0x42, 0xC6, 0x77, 0xB9, 0xFB}};
// Device interface class of the single-handle method (other open modes).
constexpr InterfaceClassId kSingleHandleInterfaceClass = {
    0xFC24CBFB, 0xF592, 0x4514, {0x9F, 0x6C, 0x42, 0xEE, 0xEC, 0x9E, 0xE7, 0x83}};

// The text a device path must contain: "pid_" and four lower-case hex digits.
CString ProductIdText(uint16_t productId);
// Whether text matches a device name pattern: letters compare without case
// (ASCII only), and a "*" in the pattern matches whatever rest text has.
bool MatchesNamePattern(const CString& pattern, const CString& text);

class CStreamUSB : public CStreamIO {
public:
    static constexpr uint32_t kTransferSize = 64;     // bytes per read transfer
    static constexpr uint32_t kBlockSize = 64;        // bytes of the transmit block
    static constexpr uint32_t kWriteChunkSize = 256;  // most bytes per write call
    static constexpr uint32_t kDefaultOpenPause = 1000;   // ms after opening the pipes
    static constexpr uint32_t kRestartPause = 5000;       // ms after the eject request
    // Empty transfers in a row after which a read counts as failed: a device
    // that only ever answers with nothing must not hang the caller.
    static constexpr uint32_t kMaxEmptyTransfers = 10000;

    explicit CStreamUSB(std::unique_ptr<IUsbDeviceLayer> layer);
    ~CStreamUSB() override;

    int ShowConnectFailed(bool allowDemonstration, bool allowCancel) override;
    bool Open() override;
    void Close() override;
    bool IsConnected() override { return m_readHandle != kInvalidUsbHandle; }
    void Read(void* buffer, uint32_t count) override;
    void Write(const void* buffer, uint32_t count) override;
    void PurgeInput() override;
    uint32_t GetInputCount() override { return m_fillCount - m_readPosition; }
    void BeginBlock() override { m_blockMode = true; }
    void EndBlock() override;
    bool ResetDevice() override;

    // "PIPE02" for reading, "PIPE03" for writing.
    virtual CString GetPipeName(bool read);
    virtual InterfaceClassId GetInterfaceClass();
    // The name the device tree is searched for on a reset (a pattern, see
    // MatchesNamePattern) and the one the user is told.
    virtual CString GetDeviceName() = 0;
    virtual uint16_t GetProductId() = 0;

    // 0 selects the pipe method, anything else the single-handle method.
    void SetOpenMode(int32_t mode) { m_openMode = mode; }
    int32_t OpenMode() const { return m_openMode; }
    void SetOpenPause(uint32_t milliseconds) { m_openPause = milliseconds; }

protected:
    IUsbDeviceLayer& Layer() { return *m_layer; }

private:
    bool OpenPipes();
    bool OpenSingleHandle();
    void ReleaseHandles();
    // Refills the receive buffer with the next transfer that carries bytes.
    void ReceiveTransfer();
    // Sends bytes in chunks, bypassing the transmit block.
    void Transmit(const uint8_t* data, uint32_t size);
    void RestartMatchingDevices();
    void VisitDevice(DeviceNode node, std::optional<DeviceNode> removableAncestor, int depth,
                     std::vector<DeviceNode>& ejected);

    std::unique_ptr<IUsbDeviceLayer> m_layer;
    int32_t m_openMode = 0;
    UsbHandle m_readHandle = kInvalidUsbHandle;
    UsbHandle m_writeHandle = kInvalidUsbHandle;
    uint8_t m_receive[kTransferSize] = {};
    uint32_t m_readPosition = 0;
    uint32_t m_fillCount = 0;
    bool m_blockMode = false;
    uint8_t m_block[kBlockSize] = {};
    uint32_t m_blockCount = 0;
    uint32_t m_openPause = kDefaultOpenPause;
};

// Shows the busy cursor for as long as it lives.
class UsbBusyScope {
public:
    explicit UsbBusyScope(IUsbDeviceLayer& layer) : m_layer(layer) { m_layer.SetBusy(true); }
    ~UsbBusyScope() { m_layer.SetBusy(false); }
    UsbBusyScope(const UsbBusyScope&) = delete;
    UsbBusyScope& operator=(const UsbBusyScope&) = delete;

private:
    IUsbDeviceLayer& m_layer;
};
