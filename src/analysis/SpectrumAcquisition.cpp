#include "analysis/SpectrumAcquisition.h"

namespace {

// The table row whose values the custom record starts with.
constexpr size_t kStartRow = 5;

}  // namespace

CSpectrumAcquisition::CSpectrumAcquisition(CScope& unit) : m_unit(unit)
{
    const SpectrumRecordRow start = SpectrumRecordTable(unit.VariantLevel())[kStartRow - 1];
    m_customSamples = start.samples;
    m_customDivider = start.divider;
    m_samples = start.samples;
    m_divider = start.divider;
}

int32_t CSpectrumAcquisition::MinCustomDivider() const
{
    // Level 3 samples at divider 2 at the fastest, as its time bases do.
    return m_unit.VariantLevel() >= 3 ? 2 : 1;
}

bool CSpectrumAcquisition::SetRecordRow(int32_t row)
{
    if (row < 0 || row > static_cast<int32_t>(SpectrumRecordTable(m_unit.VariantLevel()).size()))
        return false;
    m_row = row;
    MarkChanged(kRecordChanged);
    return true;
}

bool CSpectrumAcquisition::SetCustomSamples(int32_t samples)
{
    if (samples < kMinSamples || samples > kMaxSamples)
        return false;
    m_customSamples = samples;
    MarkChanged(kCustomRecordChanged);
    return true;
}

bool CSpectrumAcquisition::SetCustomDivider(int32_t divider)
{
    if (divider < MinCustomDivider() || divider > kMaxDivider)
        return false;
    m_customDivider = divider;
    MarkChanged(kCustomRecordChanged);
    return true;
}

bool CSpectrumAcquisition::SetChannel(int channel)
{
    if (channel < 0 || channel > 1)
        return false;
    m_channel = channel;
    return true;
}

bool CSpectrumAcquisition::SetTriggerSource(int32_t source)
{
    if (source < 0 || source > 2)
        return false;
    // The unit counts sources from 1 as the list does; Flush sends it.
    m_unit.SetTriggerSource(source);
    return true;
}

void CSpectrumAcquisition::Run()
{
    m_unit.SetHold(false);
}

void CSpectrumAcquisition::Single()
{
    m_unit.SetSingleShot(true);
    Run();
}

void CSpectrumAcquisition::Stop()
{
    m_unit.SetHold(true);
    // Deferred: only the step talks to the unit, with the unit lock held.
    MarkChanged(kStopRequested);
}

void CSpectrumAcquisition::SendRecordSettings()
{
    int32_t samples = m_customSamples.load();
    int32_t divider = m_customDivider.load();
    if (const int32_t row = m_row.load(); row > 0) {
        const SpectrumRecordRow& r = SpectrumRecordTable(m_unit.VariantLevel())[static_cast<size_t>(row - 1)];
        samples = r.samples;
        divider = r.divider;
    }
    m_unit.SetTimeBaseRaw(static_cast<uint16_t>(divider), 0, static_cast<uint16_t>(samples));
    m_unit.Flush();
    m_buffer.Reset(samples);
    m_samples = samples;
    m_divider = static_cast<uint16_t>(divider);
    m_unit.Arm();
}

uint16_t CSpectrumAcquisition::Step(uint32_t now)
{
    // The window has not shown the last step yet: it still reads the
    // results, and asking again covers an update message it missed.
    if (const uint16_t waiting = Pending(); waiting != 0)
        return waiting;

    uint16_t pending = 0;
    const uint32_t changes = m_changes.exchange(0);
    if (changes & (kRecordChanged | kCustomRecordChanged))
        SendRecordSettings();
    // A run before this step leaves the acquisition going.
    if ((changes & kStopRequested) && m_unit.Hold())
        m_unit.StopAcquisition();

    m_unit.Flush();
    const uint8_t state = m_unit.State();
    if (state == CScope::kIdle) {
        // A stopped analyzer waits for nothing: its lamp stays dark.
        if (!m_unit.Hold()) {
            m_unit.Arm();
            if (m_unit.TriggerSource() != 0)
                pending |= kWaiting;
        }
    } else if (state == CScope::kComplete && !m_unit.Hold()) {
        const int channel = m_channel.load();
        m_unit.ReadRecord(channel, m_samples.load(), m_buffer);
        const std::span<const int16_t> samples = m_buffer.Front();
        m_overflow = SpectrumOverflow(samples);
        // Without transform tables the last spectrum stays up.
        if (ComputeSpectrum(samples, m_unit.FullScale(channel), SamplePeriod(), m_transform, m_record))
            pending |= kNewSpectrum;
        if (m_unit.SingleShot()) {
            m_unit.SetHold(true);
            m_unit.StopAcquisition();
            pending |= kRunStateChanged;
        } else {
            m_unit.Arm();
        }
    }

    // Unsigned difference: right across the tick count's wrap.
    if (m_unit.TriggerSource() != 0 && !m_unit.Hold() && now - m_blinkTime > kBlinkMs) {
        pending |= kWaiting;
        m_blinkTime = now;
    }

    m_pending.Add(pending);
    return pending;
}
