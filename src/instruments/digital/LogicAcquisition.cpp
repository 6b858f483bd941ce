#include "instruments/digital/LogicAcquisition.h"

#include "instruments/digital/DigRules.h"

uint32_t CLogicAcquisition::Run()
{
    if (m_unit.RecordLength() == 0)
        return kTextNoRecordLength;
    MarkChanged(kSettingsChanged);
    m_running = true;
    return 0;
}

void CLogicAcquisition::Stop()
{
    m_running = false;
}

uint16_t CLogicAcquisition::Step()
{
    // The window has not shown the last step yet: it still reads the record.
    if (const uint16_t waiting = Pending(); waiting != 0)
        return waiting;
    uint16_t pending = 0;
    if (!m_running) {
        // A stop from the window: the state follows at the next step.
        if (m_state.exchange(kStopped) != kStopped)
            pending |= kRunStateChanged;
        m_pending.Add(pending);
        return pending;
    }
    try {
        // New settings restart the recording in the same update.
        if (m_changes.exchange(0) & kSettingsChanged) {
            m_unit.SendSetup();
            m_state = kStart;
            pending |= kNewSamples;
        }
        StepState(pending);
    } catch (...) {
        m_running = false;
        m_state = kStopped;
        m_pending.Add(pending | kRunStateChanged);
        throw;
    }
    m_pending.Add(pending);
    return pending;
}

void CLogicAcquisition::StepState(uint16_t& pending)
{
    const bool streaming = m_unit.StreamMode() != 0;
    switch (m_state.load()) {
    case kStart:
        if (streaming)
            m_unit.ResetRecord();
        m_unit.StartRecording();
        m_unit.SetReadsLeft(2);
        // Without the trigger the recording runs at once: no waiting state.
        m_state = m_unit.TriggerOn() ? kWaitingForTrigger : kRecording;
        pending |= kRunStateChanged;
        break;
    case kWaitingForTrigger:
        if (m_unit.AnalyzerState() == CDigIO::kWaitingForTrigger)
            break;
        m_state = kRecording;
        if (streaming)
            m_unit.ResetRecord();
        pending |= kRunStateChanged;
        break;
    case kRecording:
        if (m_unit.FetchSamples() > 0)
            pending |= kNewSamples;
        if (m_unit.LastState() != CDigIO::kRecordComplete)
            break;
        if (m_unit.Repeat()) {
            m_state = kStart;
        } else {
            m_state = kStopped;
            m_running = false;
            m_unit.Stop();
            pending |= kRunStateChanged;
        }
        break;
    default:
        break;
    }
}
