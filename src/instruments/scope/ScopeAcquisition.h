// The oscilloscope's poll step: it sends what the panel changed, asks the
// scope unit how the acquisition stands, reads a completed record (or the
// rolling samples of the slow time bases) into its channel buffers and
// re-arms. It runs on the polling thread with the unit lock held; the window
// thread shows what it read. While update bits are pending the step does
// nothing, so the window reads the buffers while no step writes them.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>

#include "units/Scope.h"
#include "units/ScopeBuffer.h"
#include "viframework/UpdateGate.h"

class CScopeAcquisition {
public:
    // Update bits for the window thread.
    static constexpr uint16_t kNewSamples = 1;
    static constexpr uint16_t kRunStateChanged = 2;
    static constexpr uint16_t kWaiting = 4;
    // Change bits the panel marks.
    static constexpr uint32_t kTimeBaseChanged = 1;
    static constexpr uint32_t kChannelModeChanged = 16;
    // Timing.
    static constexpr uint32_t kStepMs = 50;         // the shortest step
    static constexpr uint32_t kBlinkMs = 500;       // waiting lamp
    static constexpr uint32_t kRollHoldOffMs = 500; // between two rolling screens

    explicit CScopeAcquisition(CScope& unit);

    CScope& Unit() { return m_unit; }

    // Window thread. Changes for the next step (any thread).
    void MarkChanged(uint32_t bits) { m_changes.fetch_or(bits); }
    // Two or four channels are read; the unit's channel mask follows with
    // the next step that finds kChannelModeChanged.
    void SetFourChannels(bool on) { m_fourChannels = on; }
    bool FourChannels() const { return m_fourChannels.load(); }
    int ChannelCount() const { return m_fourChannels.load() ? 4 : 2; }
    // The waiting lamp's last blink (the first display stores the tick count).
    void SetBlinkTime(uint32_t now) { m_blinkTime = now; }

    struct StepResult {
        uint16_t pending = 0;     // update bits for the window
        uint32_t holdOffMs = 0;   // no step before this many ms (roll mode)
    };
    // One poll step at tick count `now`. Stream faults propagate (the
    // connection-loss path); the buffers then keep their last complete record.
    StepResult Step(uint32_t now);

    // The update bits not yet taken by the window thread.
    uint16_t Pending() const { return m_pending.Get(); }
    // The window thread has shown them: the next step may run.
    uint16_t TakePending() { return m_pending.Take(); }

    // A channel's samples: written by the step, read by the window thread
    // while update bits are pending.
    CScopeBuffer& Buffer(int channel) { return m_buffers[static_cast<size_t>(channel & 3)]; }
    const CScopeBuffer& Buffer(int channel) const { return m_buffers[static_cast<size_t>(channel & 3)]; }

private:
    // Samples per screen of the row the last acquisition was set up with.
    int32_t RecordCount() const;
    void ResizeBuffers(int32_t count);

    CScope& m_unit;
    std::atomic<uint32_t> m_changes{0};
    std::atomic<bool> m_fourChannels{false};
    uint32_t m_blinkTime = 0;
    CPendingUpdates m_pending;
    std::array<CScopeBuffer, 4> m_buffers;
};
