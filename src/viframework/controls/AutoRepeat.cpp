#include "viframework/controls/AutoRepeat.h"

#include <algorithm>

#include "viframework/controls/Hotspot.h"

CAutoRepeat::CAutoRepeat(uint16_t firstDelay, uint16_t shortestDelay, uint16_t delayStep)
    : m_shortest(std::max<uint32_t>(shortestDelay, 1)), m_step(delayStep), m_delay(std::max<uint32_t>(firstDelay, 1))
{
}

bool CAutoRepeat::Due(uint32_t now)
{
    if (!m_started) {
        m_started = true;
        m_last = now;
        return true;
    }
    if (uint32_t(now - m_last) < m_delay)
        return false;
    // The delay that just ran out shortens the one after it.
    m_last = now;
    m_delay = m_delay > m_shortest + m_step ? m_delay - m_step : m_shortest;
    return true;
}

uint32_t CAutoRepeat::Wait(uint32_t now) const
{
    if (!m_started)
        return 0;
    const uint32_t elapsed = now - m_last;
    return elapsed >= m_delay ? 0 : m_delay - elapsed;
}

HoldEnd TrackHold(IHotspotHost& host, const CRect& area, CAutoRepeat* repeat, const std::function<void()>& step)
{
    for (;;) {
        uint32_t wait = IHotspotHost::kWaitForever;
        if (repeat) {
            if (repeat->Due(host.TickCount()))
                step();
            wait = repeat->Wait(host.TickCount());
        }
        const PointerEvent event = host.NextPointerEvent(wait);
        switch (event.kind) {
        case PointerEvent::Kind::Quit:
            return HoldEnd::Quit;
        case PointerEvent::Kind::Release:
            return area.Contains(event.point) ? HoldEnd::Released : HoldEnd::Left;
        case PointerEvent::Kind::Move:
            if (!area.Contains(event.point))
                return HoldEnd::Left;
            break;
        case PointerEvent::Kind::Timeout:
            break;
        }
    }
}
