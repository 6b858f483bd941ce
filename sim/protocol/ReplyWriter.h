// Collects the box's answer to one command, big-endian like the protocol,
// and turns the acknowledgement chosen by the fault plan into a wrong one.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vexasim {

constexpr uint8_t kAckByte = 0x21;     // "!"
constexpr uint8_t kRejectByte = 0x3F;  // "?": command not understood

class CReplyWriter {
public:
    // acks counts the acknowledgements of the connection; the one numbered
    // wrongAckAt (1-based, 0 for none) goes out as "?".
    CReplyWriter(std::vector<uint8_t>& out, uint32_t& acks, uint32_t wrongAckAt)
        : m_out(out), m_acks(acks), m_wrongAckAt(wrongAckAt)
    {
    }

    void Ack()
    {
        ++m_acks;
        m_out.push_back(m_acks == m_wrongAckAt ? kRejectByte : kAckByte);
    }
    void Reject() { m_out.push_back(kRejectByte); }
    void Byte(uint8_t v) { Data(&v, 1); }
    void Word(uint16_t v)
    {
        const uint8_t b[2] = {static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v)};
        Data(b, 2);
    }
    void Long(uint32_t v)
    {
        const uint8_t b[4] = {static_cast<uint8_t>(v >> 24), static_cast<uint8_t>(v >> 16),
                              static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v)};
        Data(b, 4);
    }
    void Data(const uint8_t* data, size_t size)
    {
        m_out.insert(m_out.end(), data, data + size);
        m_answeredData = true;
    }
    // Zero-terminated 8-bit text.
    void Text(const std::string& text)
    {
        Data(reinterpret_cast<const uint8_t*>(text.c_str()), text.size() + 1);
    }
    // True when the command was a query that answered with data.
    bool AnsweredData() const { return m_answeredData; }

private:
    std::vector<uint8_t>& m_out;
    uint32_t& m_acks;
    uint32_t m_wrongAckAt;
    bool m_answeredData = false;
};

// Big-endian parameter reading.
inline uint16_t GetWord(const uint8_t* p)
{
    return static_cast<uint16_t>(p[0] << 8 | p[1]);
}
inline uint32_t GetLong(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) << 24 | static_cast<uint32_t>(p[1]) << 16 | static_cast<uint32_t>(p[2]) << 8 | p[3];
}

} // namespace vexasim
