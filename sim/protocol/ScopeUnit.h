// The scope acquisition unit (unit 5): time base, inputs, trigger, armed
// acquisitions rendered from the signal model, and the record and rolling
// buffers that the Bode measurement fills too.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <vector>

#include "model/InputRange.h"

namespace vexasim {

class CSimBox;

class CSimScope {
public:
    using Group = std::array<int16_t, 4>;  // one sample of each channel
    static constexpr size_t kMaxRecord = 8192;
    static constexpr size_t kMaxRolling = 8192;

    explicit CSimScope(CSimBox& box);

    std::array<InputSetting, 4> input{};
    bool slow = false;
    uint16_t divider = 0;        // sample clock divider; slow: units of 100 us
    uint16_t length = 800;       // samples per record
    uint8_t channelMask = 3;     // channels in the rolling groups, bit 0 = A
    bool triggerOn = false;
    int triggerSource = 0;       // channel 0 to 3
    bool triggerFalling = false;
    int8_t triggerLevel = 0;     // -127 to 127 of the source's full scale
    uint16_t triggerDelay = 800; // samples after the trigger point

    void Arm();
    void Stop();
    // Restarts a running acquisition after its settings changed.
    void SettingsChanged();
    // 0 idle, 1 waiting for the trigger (or the first rolling sample),
    // 2 acquiring, 3 record complete.
    uint8_t State();
    double SamplePeriod() const;  // [s]
    // The converter's value of a channel at time t, with the channel's range and coupling.
    int16_t Sample(int channel, double t) const;

    const std::vector<int16_t>& Record(int channel) const { return m_record[static_cast<size_t>(channel & 3)]; }
    void SetRecord(int channel, std::vector<int16_t> samples) { m_record[static_cast<size_t>(channel & 3)] = std::move(samples); }
    void PushRolling(const Group& group);
    std::vector<Group> TakeRolling();
    void ClearRolling() { m_rolling.clear(); }

private:
    void Advance(double now);
    void AdvanceRolling(double now);
    void FindTrigger(double now, double dt, uint32_t pre);
    void Render(double dt);
    uint32_t RecordLength() const;

    CSimBox& m_box;
    bool m_armed = false;
    bool m_complete = false;
    bool m_triggered = false;
    double m_armTime = 0;
    double m_scanFrom = 0;
    double m_recordStart = 0;
    uint32_t m_produced = 0;  // rolling samples taken since arming
    std::array<std::vector<int16_t>, 4> m_record;
    std::deque<Group> m_rolling;
};

} // namespace vexasim
