#include "interface/StreamIO.h"

#include <cstring>

void ThrowStreamException(uint32_t code)
{
    throw CStreamException(code);
}

int CStreamIO::ShowConnectFailed(bool, bool)
{
    return 6;
}

void CStreamIO::WriteByte(uint8_t value)
{
    Write(&value, 1);
}

void CStreamIO::WriteWord(uint16_t value)
{
    const uint8_t bytes[2] = {static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value)};
    Write(bytes, 2);
}

void CStreamIO::WriteLong(uint32_t value)
{
    const uint8_t bytes[4] = {static_cast<uint8_t>(value >> 24), static_cast<uint8_t>(value >> 16),
                              static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value)};
    Write(bytes, 4);
}

uint8_t CStreamIO::ReadByte()
{
    uint8_t value = 0;
    Read(&value, 1);
    return value;
}

uint8_t CStreamIO::QueryByte(uint8_t command)
{
    WriteByte(command);
    return ReadByte();
}

uint16_t CStreamIO::ReadWord()
{
    uint8_t bytes[2];
    Read(bytes, 2);
    return static_cast<uint16_t>(bytes[0] << 8 | bytes[1]);
}

uint32_t CStreamIO::ReadLong()
{
    uint8_t bytes[4];
    Read(bytes, 4);
    return static_cast<uint32_t>(bytes[0]) << 24 | static_cast<uint32_t>(bytes[1]) << 16 |
           static_cast<uint32_t>(bytes[2]) << 8 | bytes[3];
}

CString CStreamIO::ReadText()
{
    CString text;
    if (!IsConnected())
        return text;
    for (;;) {
        const uint8_t c = ReadByte();
        if (c == 0)
            return text;
        if (text.size() >= kMaxTextLength) {
            PurgeInput();
            ThrowStreamException(kStreamUnspecified);
        }
        text += static_cast<char16_t>(c);
    }
}

void CStreamIO::CheckAck()
{
    if (!IsConnected())
        return;
    if (ReadByte() != kAcknowledge) {
        PurgeInput();
        ThrowStreamException(kStreamBadAcknowledge);
    }
}

void CStreamIO::DrainInput()
{
    const uint32_t waiting = GetInputCount();
    for (uint32_t i = 0; i < waiting; ++i)
        ReadByte();
    if (waiting > 0)
        PurgeInput();
}

void CStreamNUL::Read(void* buffer, uint32_t count)
{
    std::memset(buffer, 0, count);
}
