#include "instruments/scope/ScopeAcquisition.h"

#include <algorithm>

CScopeAcquisition::CScopeAcquisition(CScope& unit) : m_unit(unit)
{
}

int32_t CScopeAcquisition::RecordCount() const
{
    // The index is class-wide and may come from a scope of another level,
    // whose table is longer: its nearest row here is the best guess.
    const auto table = m_unit.TimeBases();
    if (table.empty())
        return m_unit.RecordLength();
    const auto last = static_cast<int32_t>(table.size()) - 1;
    return table[static_cast<size_t>(std::clamp(CScope::LastTimeBaseIndex(), 0, last))].length;
}

void CScopeAcquisition::ResizeBuffers(int32_t count)
{
    for (CScopeBuffer& buffer : m_buffers)
        buffer.Reset(count);
}

CScopeAcquisition::StepResult CScopeAcquisition::Step(uint32_t now)
{
    StepResult result;
    // The window has not shown the last step yet: it still reads the
    // buffers, and asking again covers an update message it missed.
    if (const uint16_t waiting = Pending(); waiting != 0) {
        result.pending = waiting;
        return result;
    }

    const bool fourChannels = m_fourChannels.load();
    const int channels = fourChannels ? 4 : 2;
    uint16_t pending = 0;

    const uint32_t changes = m_changes.exchange(0);
    if (changes & kChannelModeChanged) {
        // The running acquisition was set up for the other channel count.
        m_unit.StopAcquisition();
        m_unit.SetChannelMask(fourChannels ? 15 : 3);
    }
    if (changes & kTimeBaseChanged) {
        ResizeBuffers(m_unit.RecordLength());
        pending |= kNewSamples;
    }

    if (m_unit.VariantLevel() == 3) {
        // One command carries every setting; taken first so that a change
        // made while it goes out is sent by the next step.
        if (m_unit.Changes().TakeChanged() != 0)
            m_unit.FullSetup();
    } else {
        m_unit.Flush();
    }

    const bool roll = m_unit.SlowMode() != 0;
    std::array<CScopeBuffer*, kInputChannels> rolling{};
    for (int channel = 0; channel < channels; ++channel)
        rolling[static_cast<size_t>(channel)] = &m_buffers[static_cast<size_t>(channel)];

    const uint8_t state = m_unit.State();
    if (state == CScope::kIdle) {
        // A new rolling screen starts empty.
        if (roll && !m_unit.Hold())
            ResizeBuffers(m_unit.RecordLength());
        // A stopped scope waits for nothing: its lamp stays dark, and no
        // update is asked for every step while it holds.
        if (!m_unit.Hold()) {
            m_unit.Arm();
            if (m_unit.TriggerSource() != 0)
                pending |= kWaiting;
        }
    } else if (roll && (state == CScope::kWaiting || state == CScope::kAcquiring)) {
        if (m_unit.ReadRolling(rolling))
            pending |= kNewSamples;
        if (m_unit.Hold())
            m_unit.StopAcquisition();
    } else if (state == CScope::kComplete && !m_unit.Hold()) {
        if (!roll) {
            const int32_t perScreen = m_unit.RecordLength();
            const int32_t count = RecordCount();
            for (int channel = 0; channel < channels; ++channel) {
                CScopeBuffer& buffer = m_buffers[static_cast<size_t>(channel)];
                if (m_unit.Mode(channel) == kCouplingGround) {
                    // The zero line needs no transfer.
                    buffer.SetCount(perScreen);
                    buffer.SetFillPosition(0);
                    buffer.SetExpectedCount(perScreen);
                    buffer.ShowZeros();
                } else {
                    m_unit.ReadRecord(channel, count, buffer);
                }
            }
            pending |= kNewSamples;
        } else if (m_unit.ReadRolling(rolling)) {
            pending |= kNewSamples;
        }
        if (m_unit.SingleShot()) {
            m_unit.SetHold(true);
            m_unit.StopAcquisition();
            pending |= kRunStateChanged;
        }
        if (roll) {
            // The finished screen stays up a while before the next one starts.
            m_unit.StopAcquisition();
            result.holdOffMs = kRollHoldOffMs;
        } else if (!m_unit.Hold()) {
            m_unit.Arm();
        }
    }

    // Unsigned difference: right across the tick count's wrap.
    if (m_unit.TriggerSource() != 0 && !m_unit.Hold() && now - m_blinkTime > kBlinkMs) {
        pending |= kWaiting;
        m_blinkTime = now;
    }

    m_pending.Add(pending);
    result.pending = pending;
    return result;
}
