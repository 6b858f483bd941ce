// The repeat schedule of held buttons and arrows, and the tracking of a press
// that ends when the pointer leaves what was pressed.
#pragma once

#include <cstdint>
#include <functional>

#include "framework/Geometry.h"

class IHotspotHost;

// First step at once, the second after firstDelay, each later one delayStep
// sooner than the one before, never sooner than shortestDelay. Tick
// differences are taken modulo 2^32, so the tick count wrapping around in the
// middle of a press does not stall the repeat.
class CAutoRepeat {
public:
    // Delays in milliseconds; a delay of 0 (a damaged layout) counts as 1 so
    // that waiting for the next step never turns into a busy loop.
    CAutoRepeat(uint16_t firstDelay, uint16_t shortestDelay, uint16_t delayStep);

    // Whether a step is due at `now`; the first call always is. Answering
    // true takes the step: the next one is scheduled from `now`.
    bool Due(uint32_t now);
    // How long from `now` until the next step is due [ms]: 0 before the first
    // step or when one is overdue, else at least 1.
    uint32_t Wait(uint32_t now) const;

private:
    uint32_t m_shortest;
    uint32_t m_step;
    uint32_t m_delay;  // [ms] from the last step to the next
    uint32_t m_last = 0;
    bool m_started = false;
};

// How a held press ended.
enum class HoldEnd {
    Released,  // the button came up inside the area
    Left,      // the pointer left the area (or the button came up outside it)
    Quit,      // the application is quitting
};

// Follows a press that holds while the pointer stays in `area`, once the
// control has captured the mouse. With a schedule, step runs whenever it is
// due (the first time at once); without one, nothing runs until the end.
HoldEnd TrackHold(IHotspotHost& host, const CRect& area, CAutoRepeat* repeat, const std::function<void()>& step);
