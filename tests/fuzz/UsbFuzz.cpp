// Drives the USB stream over a device whose transfers come from the input.
//
//   byte 0   bit 7: single-handle open mode; low four bits + 1: how many
//            of the following bytes are operations for the stream's user
//   then     the operations: the low three bits pick one, the rest is its
//            parameter
//   the rest the device's read transfers, each a header byte and its bytes:
//            0xFF a failed transfer, otherwise its length modulo 97 (so
//            some claim more than the 64 bytes asked for)
//
// Whatever the device sends, the user reads exactly the bytes of the good
// transfers in order (a fault drops what was buffered), the stream never
// holds more than one transfer, and every failure is a CStreamException.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <vector>

#include "interface/Protocol.h"
#include "interface/usb/VexaUsb.h"

namespace {

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

const CString kDevice = u"\\\\?\\usb#vid_1a2b&pid_930c#5&2f0e&0&1#{4d2230bb-00e1-48bc-b602-4442c677b9fb}";

class CFuzzedDevice : public IUsbDeviceLayer {
public:
    CFuzzedDevice(const uint8_t* data, size_t size, std::deque<uint8_t>& delivered)
        : m_data(data), m_size(size), m_delivered(delivered)
    {
    }

    bool failNextWrite = false;
    bool shortNextWrite = false;

    std::vector<CString> ListDevicePaths(const InterfaceClassId&) override { return {kDevice}; }
    UsbHandle Open(const CString&, UsbAccess) override { return m_nextHandle++; }
    void Close(UsbHandle) override {}
    bool Read(UsbHandle, void* data, uint32_t size, uint32_t& transferred) override
    {
        transferred = 0;
        if (m_position >= m_size)
            return false;
        const uint8_t header = m_data[m_position++];
        if (header == 0xFF)
            return false;
        const size_t claimed = header % 97;
        const size_t present = std::min(claimed, m_size - m_position);
        // A broken driver may claim more than it was asked for, but writes no further.
        const size_t copied = std::min<size_t>(present, size);
        std::memcpy(data, m_data + m_position, copied);
        if (claimed <= size)
            m_delivered.insert(m_delivered.end(), m_data + m_position, m_data + m_position + present);
        m_position += present;
        transferred = static_cast<uint32_t>(claimed <= size ? present : claimed);
        return true;
    }
    bool Write(UsbHandle, const void*, uint32_t size, uint32_t& written) override
    {
        written = shortNextWrite ? size / 2 : size;
        const bool ok = !failNextWrite;
        failNextWrite = shortNextWrite = false;
        return ok;
    }
    void Pause(uint32_t) override {}
    void SetBusy(bool) override {}
    int ShowInitFailed(const CString&, bool, bool) override { return 2; }
    bool DeviceTreeAvailable() override { return false; }
    bool RootNode(DeviceNode&) override { return false; }
    bool FirstChild(DeviceNode, DeviceNode&) override { return false; }
    bool NextSibling(DeviceNode, DeviceNode&) override { return false; }
    bool IsRemovable(DeviceNode) override { return false; }
    CString InstanceId(DeviceNode) override { return {}; }
    bool RequestEject(DeviceNode) override { return false; }

private:
    const uint8_t* m_data;
    size_t m_size;
    size_t m_position = 0;
    std::deque<uint8_t>& m_delivered;
    UsbHandle m_nextHandle = 100;
};

// What the stream's user got must be what the device delivered, in order.
void Consume(std::deque<uint8_t>& delivered, const uint8_t* got, size_t n)
{
    Check(delivered.size() >= n);
    for (size_t i = 0; i < n; ++i) {
        Check(delivered.front() == got[i]);
        delivered.pop_front();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    const size_t operations = std::min<size_t>(1 + (data[0] & 15), size - 1);
    const uint8_t* ops = data + 1;
    std::deque<uint8_t> delivered;  // received from the device, not yet read or dropped
    auto owned = std::make_unique<CFuzzedDevice>(ops + operations, size - 1 - operations, delivered);
    CFuzzedDevice& device = *owned;
    CVexaUsb stream(std::move(owned));
    stream.SetOpenMode((data[0] & 0x80) ? 1 : 0);
    Check(stream.Open());

    for (size_t i = 0; i < operations; ++i) {
        const uint8_t op = ops[i];
        const uint32_t parameter = op >> 3;
        const bool connected = stream.IsConnected();
        device.failNextWrite = device.shortNextWrite = false;
        try {
            switch (op & 7) {
            case 0: {
                uint8_t buffer[32];
                std::memset(buffer, 0xAA, sizeof buffer);
                stream.Read(buffer, parameter + 1);
                if (connected) {
                    Consume(delivered, buffer, parameter + 1);
                } else {
                    // A closed stream transfers nothing, but hands out no stale memory either.
                    for (uint32_t k = 0; k <= parameter; ++k)
                        Check(buffer[k] == 0);
                }
                break;
            }
            case 1: {
                const uint8_t b = stream.ReadByte();
                if (connected)
                    Consume(delivered, &b, 1);
                break;
            }
            case 2: {
                const CString text = stream.ReadText();
                Check(text.size() <= CStreamIO::kMaxTextLength);
                if (connected) {
                    std::vector<uint8_t> bytes;
                    for (char16_t c : text)
                        bytes.push_back(static_cast<uint8_t>(c));
                    bytes.push_back(0);
                    Consume(delivered, bytes.data(), bytes.size());
                } else {
                    Check(text.empty());
                }
                break;
            }
            case 3:
                stream.CheckAck();
                if (connected) {
                    Check(!delivered.empty() && delivered.front() == kAcknowledge);
                    delivered.pop_front();
                }
                break;
            case 4:
                stream.DrainInput();
                delivered.clear();
                break;
            case 5:
                stream.PurgeInput();
                delivered.clear();
                break;
            case 6: {
                std::vector<uint8_t> bytes(parameter * 23, 0x5A);
                device.failNextWrite = parameter % 4 == 3;
                device.shortNextWrite = parameter % 4 == 2;
                if (parameter & 4) {
                    stream.BeginBlock();
                    stream.Write(bytes.data(), static_cast<uint32_t>(bytes.size()));
                    stream.EndBlock();
                } else {
                    stream.Write(bytes.data(), static_cast<uint32_t>(bytes.size()));
                }
                break;
            }
            default:
                switch (parameter % 3) {
                case 0: {
                    const InterfaceIdentity id = IdentifyInterface(stream);
                    Check(id.text.size() <= CStreamIO::kMaxTextLength);
                    // What the identification left is gone, so the model starts again.
                    stream.PurgeInput();
                    delivered.clear();
                    break;
                }
                case 1:
                    stream.Close();
                    break;
                default:
                    if (!connected)
                        delivered.clear();
                    Check(stream.Open());
                    break;
                }
                break;
            }
        } catch (const CStreamException& fault) {
            const uint32_t code = fault.ErrorCode();
            if (code == kStreamUsbWriteFailed) {
                Check((op & 7) == 6);
            } else {
                // A failed read or a refused acknowledgement leaves nothing buffered.
                Check(code == kStreamUsbReadFailed || code == kStreamBadAcknowledge || code == kStreamUnspecified);
                Check(stream.GetInputCount() == 0);
                delivered.clear();
            }
        }
        Check(stream.GetInputCount() <= CStreamUSB::kTransferSize);
        if (stream.IsConnected())
            Check(stream.GetInputCount() == delivered.size());
    }
    return 0;
}
