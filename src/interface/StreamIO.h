// CStreamIO: the byte stream to the trainer interface, with the protocol's
// encoding operations, and CStreamNUL, the stream of demonstration mode.
//
// The protocol has no framing: one command byte, parameters most significant
// byte first, and the acknowledgement byte "!" after state-changing commands.
#pragma once

#include <cstdint>

#include "framework/Exception.h"
#include "framework/Types.h"

// Error codes of CStreamException; each is the id of the string that explains it.
enum StreamError : uint32_t {
    kStreamUsbReadFailed = 20009,
    kStreamUsbWriteFailed = 20010,
    kStreamUnspecified = 20011,
    kStreamBadAcknowledge = 20016,
    kStreamNetworkReadFailed = 20020,
};

// A transport or protocol fault. The code is a string id; 0 reads as 20011.
class CStreamException : public CException {
public:
    explicit CStreamException(uint32_t code) : m_errorCode(code == 0 ? kStreamUnspecified : code) {}
    const char* what() const noexcept override { return "trainer interface stream fault"; }
    uint32_t ErrorCode() const { return m_errorCode; }

private:
    uint32_t m_errorCode;
};

// Throws a CStreamException holding code.
[[noreturn]] void ThrowStreamException(uint32_t code);

constexpr uint8_t kAcknowledge = 0x21;  // "!"

class CStreamIO {
public:
    CStreamIO() = default;
    CStreamIO(const CStreamIO&) = delete;
    CStreamIO& operator=(const CStreamIO&) = delete;
    virtual ~CStreamIO() = default;

    // Tells the user that the device cannot be reached and asks what to do:
    // 6 demonstration mode, 2 give up, anything else try again.
    virtual int ShowConnectFailed(bool allowDemonstration, bool allowCancel);
    // Opens the device unless it is open; counts the users on success.
    virtual bool Open() = 0;
    // Drops one user; the last one releases the device.
    virtual void Close() = 0;
    // True while a real device connection exists (never for the null stream).
    virtual bool IsConnected() = 0;
    // Reads exactly count bytes or throws CStreamException.
    virtual void Read(void* buffer, uint32_t count) = 0;
    // Writes (or, in block mode, collects) the bytes or throws CStreamException.
    virtual void Write(const void* buffer, uint32_t count) = 0;
    virtual void PurgeInput() = 0;
    virtual uint32_t GetInputCount() = 0;
    // Between BeginBlock and EndBlock the writes leave as one transfer.
    virtual void BeginBlock() = 0;
    virtual void EndBlock() = 0;
    virtual bool ResetDevice() = 0;
    // True for the TCP streams (the device name is asked only over them).
    virtual bool IsSocketStream() const { return false; }
    // The network address the stream reaches; empty for other streams.
    virtual CString NetworkAddress() const { return {}; }

    void WriteByte(uint8_t value);
    void WriteWord(uint16_t value);
    void WriteLong(uint32_t value);
    // Sends a one-byte command and returns the one-byte answer (states, levels).
    uint8_t QueryByte(uint8_t command);
    uint8_t ReadByte();
    uint16_t ReadWord();
    uint32_t ReadLong();
    // Reads 8-bit characters up to a zero byte. On a stream that is not
    // connected nothing is read. A box that never sends the zero is cut off
    // after kMaxTextLength characters with CStreamException.
    CString ReadText();
    // Reads the acknowledgement; anything but "!" purges the input and throws
    // CStreamException 20016. Reads nothing on a stream that is not connected.
    void CheckAck();
    // Reads and drops whatever is waiting.
    void DrainInput();

    static constexpr size_t kMaxTextLength = 4096;

protected:
    // Drops one user of an open device; true when that was the last one and
    // the device is to be released.
    bool LeaveUser()
    {
        if (m_openCount > 0)
            --m_openCount;
        return m_openCount == 0;
    }

    int32_t m_openCount = 0;
};

// Demonstration mode: accepts every write and answers every read with zeros.
class CStreamNUL : public CStreamIO {
public:
    int ShowConnectFailed(bool, bool) override { return 6; }
    bool Open() override { return true; }
    void Close() override {}
    bool IsConnected() override { return false; }
    void Read(void* buffer, uint32_t count) override;
    void Write(const void*, uint32_t) override {}
    void PurgeInput() override {}
    uint32_t GetInputCount() override { return 0; }
    void BeginBlock() override {}
    void EndBlock() override {}
    bool ResetDevice() override { return true; }
};
