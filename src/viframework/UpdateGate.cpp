#include "viframework/UpdateGate.h"

#include <chrono>

void CUpdateGate::SetHoldOff(uint32_t ms, uint32_t now)
{
    m_holdOffMs = ms;
    m_holdOffStart = now;
}

bool CUpdateGate::IsHoldOffRunning(uint32_t now)
{
    if (m_holdOffMs == 0)
        return false;
    if (now - m_holdOffStart <= m_holdOffMs)
        return true;
    m_holdOffMs = 0;
    return false;
}

CUpdateGate::Due CUpdateGate::Check(uint32_t now)
{
    if (IsHoldOffRunning(now))
        return {Verdict::Skip, 0, false};
    if (m_periodMs == 0)
        return {Verdict::Update, 0, false};
    const uint32_t bits = m_updateFlags.exchange(0);
    const bool elapsed = now - m_periodStart > m_periodMs;
    if (elapsed)
        m_periodStart = now;
    if (bits == 0 && !elapsed)
        return {Verdict::Skip, 0, false};
    return {Verdict::AskInstrument, bits, elapsed};
}

uint32_t TickCount()
{
    using namespace std::chrono;
    return static_cast<uint32_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}
