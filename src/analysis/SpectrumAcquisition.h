// The spectrum analyzer's poll step: it sets the scope unit up for the chosen
// record (samples n at sample-clock divider d), asks how the acquisition
// stands, reads a complete record of the analysed channel and turns it into
// its amplitude spectrum, then re-arms. It runs on the polling thread with
// the unit lock held; the window thread shows what it made. While update
// bits are pending the step does nothing, so the window reads the record,
// the spectrum and the flags while no step writes them.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include "analysis/Spectrum.h"
#include "units/Scope.h"
#include "units/ScopeBuffer.h"
#include "viframework/UpdateGate.h"

class CSpectrumAcquisition {
public:
    // Update bits for the window thread.
    static constexpr uint16_t kNewSpectrum = 1;
    static constexpr uint16_t kRunStateChanged = 2;
    static constexpr uint16_t kWaiting = 4;
    // Change bits: both send the record settings to the unit again.
    static constexpr uint32_t kRecordChanged = 1;         // the record row
    static constexpr uint32_t kCustomRecordChanged = 16;  // the custom n or d
    // Timing.
    static constexpr uint32_t kUpdatePeriodMs = 200;
    static constexpr uint32_t kBlinkMs = 1000;  // waiting lamp
    // The custom record's limits (the smallest divider depends on the level).
    static constexpr int32_t kMinSamples = 64;
    static constexpr int32_t kMaxSamples = 8192;
    static constexpr int32_t kMaxDivider = 8192;

    // The first step sends the record settings.
    explicit CSpectrumAcquisition(CScope& unit);

    CScope& Unit() { return m_unit; }

    // Window thread. Changes for the next step (any thread).
    void MarkChanged(uint32_t bits) { m_changes.fetch_or(bits); }

    // The record: a row 1 to 7 of the level's table, or 0 for the custom
    // n and d. Setters refuse values out of range (false, nothing changed).
    bool SetRecordRow(int32_t row);
    int32_t RecordRow() const { return m_row.load(); }
    bool SetCustomSamples(int32_t samples);
    bool SetCustomDivider(int32_t divider);
    int32_t CustomSamples() const { return m_customSamples.load(); }
    int32_t CustomDivider() const { return m_customDivider.load(); }
    int32_t MinCustomDivider() const;
    // The analysed channel: 0 A, 1 B.
    bool SetChannel(int channel);
    int Channel() const { return m_channel.load(); }
    // 0 none (free run), 1 channel A, 2 channel B.
    bool SetTriggerSource(int32_t source);
    int32_t TriggerSource() const { return m_unit.TriggerSource(); }

    // Run state; stopped is the unit's hold.
    void SetSingleShot(bool on) { m_unit.SetSingleShot(on); }
    bool SingleShot() const { return m_unit.SingleShot(); }
    bool Stopped() const { return m_unit.Hold(); }
    // Goes on; a stopped unit is idle, so the next step arms it.
    void Run();
    // One spectrum, then stopped.
    void Single();
    void Stop();

    // The waiting lamp's last blink (the first display stores the tick count).
    void SetBlinkTime(uint32_t now) { m_blinkTime = now; }

    // One poll step at tick count `now`; returns the update bits it set.
    // Stream faults propagate (the connection-loss path); the record and
    // the spectrum then keep their last complete values.
    uint16_t Step(uint32_t now);

    // The update bits not yet taken by the window thread.
    uint16_t Pending() const { return m_pending.Get(); }
    // The window thread has shown them: the next step may run.
    uint16_t TakePending() { return m_pending.Take(); }

    // Written by the step, read by the window thread while update bits are
    // pending: the spectrum, the time record it came from, and whether that
    // record reached the converter's limit.
    const CSpectrumRecord& Record() const { return m_record; }
    const CScopeBuffer& Buffer() const { return m_buffer; }
    bool Overflow() const { return m_overflow.load(); }

    // The record the unit was last set up with, for the time view.
    int32_t Samples() const { return m_samples.load(); }
    uint16_t Divider() const { return m_divider.load(); }
    double SamplePeriod() const { return m_unit.SamplePeriod(m_divider.load()); }

private:
    // The step's own request: the stop command goes out with the unit lock held.
    static constexpr uint32_t kStopRequested = 0x100;

    void SendRecordSettings();

    CScope& m_unit;
    std::atomic<uint32_t> m_changes{kRecordChanged};
    std::atomic<int32_t> m_row{0};
    std::atomic<int32_t> m_customSamples;
    std::atomic<int32_t> m_customDivider;
    std::atomic<int> m_channel{0};
    std::atomic<int32_t> m_samples;
    std::atomic<uint16_t> m_divider;
    std::atomic<bool> m_overflow{false};
    uint32_t m_blinkTime = 0;
    CPendingUpdates m_pending;
    CScopeBuffer m_buffer;
    CSpectrumRecord m_record;
    std::unique_ptr<CSpectrumTransform> m_transform;
};
