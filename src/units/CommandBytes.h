// CommandBytes: a unit command assembled before it is written, so that the
// command byte and its parameters leave in one transfer and a command's
// bytes can be made under the change lock and sent after it is released.
#pragma once

#include <cstdint>
#include <vector>

#include "interface/StreamIO.h"

class CommandBytes {
public:
    explicit CommandBytes(uint8_t command) { m_bytes.push_back(command); }

    CommandBytes& Byte(uint8_t value)
    {
        m_bytes.push_back(value);
        return *this;
    }
    // Big-endian, as every parameter of the protocol.
    CommandBytes& Word(uint16_t value)
    {
        m_bytes.push_back(static_cast<uint8_t>(value >> 8));
        m_bytes.push_back(static_cast<uint8_t>(value));
        return *this;
    }
    CommandBytes& Long(uint32_t value)
    {
        Word(static_cast<uint16_t>(value >> 16));
        return Word(static_cast<uint16_t>(value));
    }

    const std::vector<uint8_t>& Bytes() const { return m_bytes; }

    // Writes the command as one transfer.
    void SendBatched(CStreamIO& stream) const
    {
        stream.BeginBlock();
        stream.Write(m_bytes.data(), static_cast<uint32_t>(m_bytes.size()));
        stream.EndBlock();
    }

private:
    std::vector<uint8_t> m_bytes;
};

// A command made under a unit's change lock, to be sent after it.
struct UnitCommand {
    enum Answer { NoAnswer, Acknowledge };

    CommandBytes bytes;
    Answer answer;

    // Writes the command as one transfer, then reads its acknowledgement if it has one.
    void Send(CStreamIO& stream) const
    {
        bytes.SendBatched(stream);
        if (answer == Acknowledge)
            stream.CheckAck();
    }
};

// Sends commands in order; each acknowledgement is read before the next command.
inline void SendCommands(CStreamIO& stream, const std::vector<UnitCommand>& commands)
{
    for (const UnitCommand& command : commands)
        command.Send(stream);
}

// Reads a big-endian signed 16-bit value from two bytes.
inline int16_t BigEndian16(const uint8_t* bytes)
{
    return static_cast<int16_t>(static_cast<uint16_t>(bytes[0] << 8 | bytes[1]));
}

inline int32_t BigEndian32(const uint8_t* bytes)
{
    return static_cast<int32_t>(static_cast<uint32_t>(bytes[0]) << 24 | static_cast<uint32_t>(bytes[1]) << 16 |
                                static_cast<uint32_t>(bytes[2]) << 8 | bytes[3]);
}
