// When an event becomes a front-panel update: the hold-off after a user
// action, the update period, and the pending-change bits of the instrument's
// data. Times are millisecond ticks that wrap at 32 bits.
#pragma once

#include <atomic>
#include <cstdint>

class CUpdateGate {
public:
    // No update for ms from now.
    void SetHoldOff(uint32_t ms, uint32_t now);
    // Whether the hold-off runs; the first test after it ended clears it.
    bool IsHoldOffRunning(uint32_t now);

    void SetPeriod(uint32_t ms) { m_periodMs = ms; }
    uint32_t Period() const { return m_periodMs; }
    // Marks instrument data as changed (any thread).
    void MarkChanged(uint32_t bits) { m_updateFlags.fetch_or(bits); }

    enum class Verdict {
        Skip,           // no update this time
        Update,         // update, no questions asked (no period set)
        AskInstrument,  // a change is pending or the period elapsed: the instrument decides
    };
    struct Due {
        Verdict verdict;
        uint32_t bits;  // pending-change bits taken (AskInstrument only)
        bool elapsed;   // the period ran out and restarted
    };
    // The default rule: nothing during a hold-off; every event without a
    // period; otherwise the instrument is asked when a change is pending or
    // the period has elapsed. Takes the pending bits when a period is set.
    Due Check(uint32_t now);

private:
    uint32_t m_holdOffMs = 0;
    uint32_t m_holdOffStart = 0;
    uint32_t m_periodMs = 0;
    uint32_t m_periodStart = 0;
    std::atomic<uint32_t> m_updateFlags{0};
};

// The update bits a poll step leaves for the window thread. The step writes
// its results before it adds the bits and leaves them alone while any are
// pending; the window reads them before it takes the bits. The atomic's
// ordering hands the results over as a lock would.
class CPendingUpdates {
public:
    uint16_t Get() const { return m_bits.load(); }
    uint16_t Take() { return m_bits.exchange(0); }
    void Add(uint16_t bits) { m_bits.fetch_or(bits); }

private:
    std::atomic<uint16_t> m_bits{0};
};

// Milliseconds of a steady clock, wrapping at 32 bits like the platform's tick count.
uint32_t TickCount();
