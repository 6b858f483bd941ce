// The logic analyzer's poll step: it sends the analyzer's settings when they
// changed, starts a recording, waits for the trigger, fetches the recorded
// words until the record is complete, and then stops or, repeating, starts
// again. It runs on the polling thread with the unit lock held; the window
// shows the record while update bits are pending, as the scope's does.
#pragma once

#include <atomic>
#include <cstdint>

#include "units/DigIO.h"
#include "viframework/UpdateGate.h"

class CLogicAcquisition {
public:
    enum State : int32_t { kStopped = 0, kStart = 1, kWaitingForTrigger = 2, kRecording = 3 };
    // Update bits for the window thread.
    static constexpr uint16_t kNewSamples = 1;       // the chart redraws
    static constexpr uint16_t kRunStateChanged = 2;  // the run button and the lamps follow
    // Change bit: the settings go to the box again.
    static constexpr uint32_t kSettingsChanged = 2;

    explicit CLogicAcquisition(CDigIO& unit) : m_unit(unit) {}

    CDigIO& Unit() { return m_unit; }

    // Window thread. Starts a run; 0, or the message that refuses it (a
    // record of no length).
    uint32_t Run();
    // Ends the run; the record keeps what came.
    void Stop();
    bool Running() const { return m_running.load(); }
    int32_t State() const { return m_state.load(); }
    // Lit while the analyzer waits for its trigger pattern.
    bool TriggerLamp() const { return m_state.load() == kWaitingForTrigger; }
    void MarkChanged(uint32_t bits) { m_changes.fetch_or(bits); }

    // One update while running; returns the update bits it set. Stream
    // faults propagate (the connection-loss path) and end the run.
    uint16_t Step();

    uint16_t Pending() const { return m_pending.Get(); }
    uint16_t TakePending() { return m_pending.Take(); }

private:
    void StepState(uint16_t& pending);

    CDigIO& m_unit;
    std::atomic<bool> m_running{false};
    std::atomic<int32_t> m_state{kStopped};
    std::atomic<uint32_t> m_changes{0};
    CPendingUpdates m_pending;
};
