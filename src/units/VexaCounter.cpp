#include "units/VexaCounter.h"

IMPLEMENT_DYNAMIC(CVexaCounter, CVexaDevice)

namespace {

constexpr uint8_t kCmdStartCounting = 0x59;  // "Y"
constexpr uint8_t kCmdStopCounting = 0x5A;   // "Z"

} // namespace

void SerializeVersionOnly(CArchive& ar)
{
    uint32_t version = 1;
    if (ar.IsStoring())
        ar << version;
    else
        ar >> version;
}

void CVexaCounter::StartCounting()
{
    m_stream->WriteByte(kCmdStartCounting);
    m_stream->CheckAck();
}

void CVexaCounter::StopCounting()
{
    m_stream->WriteByte(kCmdStopCounting);
    m_stream->CheckAck();
}

void CVexaCounter::SetEnabled(bool on)
{
    m_enabled = on ? 1 : 0;
    m_changeWord.fetch_or(kEnableBit);
}

bool CVexaCounter::Flush()
{
    const uint32_t bits = m_changeWord.exchange(0);
    if ((bits & 0xFFFF) == 0)
        return false;
    if (bits & kEnableBit) {
        if (m_enabled)
            StartCounting();
        else
            StopCounting();
    }
    return true;
}
