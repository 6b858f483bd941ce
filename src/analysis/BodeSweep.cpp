#include "analysis/BodeSweep.h"

#include <algorithm>
#include <cmath>

#include "units/CommandBytes.h"

namespace {

// Commands of the box's Bode measurement.
constexpr uint8_t kCmdSetUp8 = 0x90;
constexpr uint8_t kCmdStart = 0x91;
constexpr uint8_t kCmdStop = 0x92;
constexpr uint8_t kCmdStatus = 0x93;
constexpr uint8_t kCmdSetUp16 = 0x96;
constexpr uint8_t kStatusComplete = 3;

constexpr double kLowFrequencyTick = 1e-4;  // [s] unit of the low-frequency step
constexpr double kSquareRoot2 = 1.4142135623730951;

}  // namespace

BodeFrequency BodeQuantise(int variantLevel, double clock, double hertz)
{
    BodeFrequency q;
    if (hertz >= 1.0) {
        const GeneratorDividers d = variantLevel == 1 ? CFuncGen::DividersLevel1(clock, hertz)
                                                      : CFuncGen::DividersLevel23(clock, hertz);
        q.byteParameter = d.c;
        q.first = d.a;
        q.second = d.b;
        q.frequency = d.frequency;
        q.samples = d.a;
        return q;
    }
    q.lowFrequency = true;
    const double f = std::max(hertz, kBodeLowestFrequency);
    // Both are 16-bit parameters; below about 0.00015 Hz the step stays at its largest.
    const double step = std::clamp(std::trunc(1.0 / 1024 / f / kLowFrequencyTick + 0.5), 1.0, 65535.0);
    const double tick = step * kLowFrequencyTick;
    const double steps = std::clamp(std::trunc((f - 1 / (tick * 1024)) / tick + 0.5) + 1024, 1.0, 65535.0);
    q.first = static_cast<uint16_t>(step);
    q.second = static_cast<uint16_t>(steps);
    q.frequency = 1 / (steps * tick);
    q.samples = q.second;
    return q;
}

double BodeHighestFrequency(int variantLevel)
{
    return CFuncGen::RangeRow(variantLevel, CFuncGen::kFrequencyRows - 1).maximum / 10.0;
}

uint32_t BodeValidate(const BodeSettings& s, int variantLevel)
{
    // Written so that NaN fails every test.
    if (!(s.start >= kBodeLowestFrequency && s.start <= s.stop))
        return kBodeStartOutOfBounds;
    if (!(s.stop <= BodeHighestFrequency(variantLevel)))
        return kBodeStopTooHigh;
    if (s.points < 2 || s.points > 1000)
        return kBodePointsOutOfBounds;
    if (s.averages < 1 || s.averages > 1000)
        return kBodeAveragesOutOfBounds;
    if (s.amplitude < 1 || s.amplitude > 100 || s.offset < 0 || s.offset > 100 || s.settlingMs < 0 ||
        s.settlingMs > 9000)
        return kBodeGeneratorOutOfBounds;
    return 0;
}

CBodeSweep::CBodeSweep(CScope& scope, CFuncGen& generator, CBodeSets& sets)
    : m_scope(scope), m_generator(generator), m_sets(sets)
{
}

BodeFrequency CBodeSweep::Quantise(double hertz) const
{
    return BodeQuantise(m_scope.VariantLevel(), m_generator.Clock(), hertz);
}

uint32_t CBodeSweep::Start(const BodeSettings& settings)
{
    if (const uint32_t error = BodeValidate(settings, m_scope.VariantLevel()))
        return error;
    m_generator.SwitchOutput(false);
    m_scope.SetRange(0, settings.rangeA);
    m_scope.SetMode(0, settings.couplingA);
    m_generator.Flush();
    m_sets.Append(CBodeData(CBodeData::kSweepCapacity));
    m_settings = settings;
    m_state = kSetUpGenerator;
    m_running = true;
    m_measured = false;
    m_waiting = false;
    m_skipping = false;
    Publish();
    return 0;
}

void CBodeSweep::Stop()
{
    if (m_running)
        m_state = kStopping;
    Publish();
}

bool CBodeSweep::Step(uint32_t nowMs)
{
    if (!m_running)
        return false;
    bool changed = true;
    try {
        switch (m_state) {
        case kSetUpGenerator:
            Measure(Quantise(m_settings.start));
            m_last = m_frequency.frequency;
            m_pointIndex = 0;
            SetUpGenerator(nowMs);
            break;
        case kSetUpMeasurement:
            // The generator's wait is a deadline checked by later steps, so
            // that the polling thread never sleeps.
            if (m_waiting && static_cast<int32_t>(nowMs - m_waitUntil) < 0)
                return false;
            m_waiting = false;
            m_scope.StopAcquisition();
            SendMeasurementSetUp();
            m_gainSum = m_phaseSum = 0.0;
            m_remaining = m_settings.averages;
            m_setUpTime = nowMs;
            m_state = m_settings.settlingMs > 0 ? kSettling : kStartMeasurement;
            break;
        case kSettling:
            if (nowMs - m_setUpTime < static_cast<uint32_t>(m_settings.settlingMs))
                return false;
            m_state = kStartMeasurement;
            break;
        case kStartMeasurement:
            if (m_frequency.lowFrequency)
                for (CScopeBuffer& buffer : m_buffers)
                    buffer.Reset(static_cast<int32_t>(m_frequency.samples));
            m_scope.Stream()->WriteByte(kCmdStart);
            m_scope.Stream()->CheckAck();
            m_state = kMeasuring;
            break;
        case kMeasuring:
            changed = Poll();
            break;
        case kNextFrequency:
            changed = NextFrequency();
            break;
        case kStopping:
            m_running = false;
            m_state = kIdle;
            m_scope.Stream()->WriteByte(kCmdStop);
            m_scope.Stream()->CheckAck();
            break;
        default:
            m_running = false;
            m_state = kIdle;
            break;
        }
    } catch (...) {
        // The box is in an unknown state: the sweep ends with what it measured.
        m_running = false;
        m_state = kIdle;
        Publish();
        throw;
    }
    Publish();
    return changed;
}

void CBodeSweep::Measure(const BodeFrequency& frequency)
{
    m_frequency = frequency;
    m_state = kSetUpMeasurement;
}

void CBodeSweep::SetUpGenerator(uint32_t nowMs)
{
    const BodeGeneratorSetup setup = BodeGeneratorFor(m_settings.amplitude / 10.0, m_settings.offset / 10.0);
    // Only what differs is set and sent (a formula alone is 8192 samples).
    // The output that Start switched off always comes on again, so the
    // generator's wait follows every start.
    bool changed = false;
    auto change = [&changed](bool differs, auto&& set) {
        if (differs) {
            set();
            changed = true;
        }
    };
    change(CFuncGen::OutputRange() != setup.outputRange, [&] { m_generator.SetOutputRange(setup.outputRange); });
    const int32_t waveform = setup.formula ? CFuncGen::kFormulaWaveform : kSineWaveform;
    const int32_t amplitude = setup.formula ? 100 : setup.sineAmplitude;
    if (setup.formula && (CFuncGen::Formula() != setup.formulaText || CFuncGen::FormulaChanged()) &&
        m_generator.SetFormula(setup.formulaText, FormulaErrorDisplay::Silent)) {
        // A new formula is loaded only by sending the waveform.
        m_generator.SetWaveform(waveform);
        changed = true;
    }
    change(CFuncGen::Waveform() != waveform, [&] { m_generator.SetWaveform(waveform); });
    change(CFuncGen::Amplitude() != amplitude, [&] { m_generator.SetAmplitude(amplitude); });
    // Start switched it off; nothing is measured without it.
    change(!m_generator.IsOutputOn(), [&] { m_generator.SetOutputOn(true); });
    change(m_scope.Range(1) != setup.inputRangeB, [&] { m_scope.SetRange(1, setup.inputRangeB); });
    m_generator.Flush();
    m_scope.Flush();
    if (changed) {
        m_waiting = true;
        m_waitUntil = nowMs + kGeneratorWaitMs;
    }
}

void CBodeSweep::SendMeasurementSetUp()
{
    const BodeFrequency& q = m_frequency;
    const bool level1 = m_scope.VariantLevel() == 1;
    CommandBytes bytes(level1 ? kCmdSetUp8 : kCmdSetUp16);
    bytes.Byte(q.lowFrequency ? 1 : 0);
    if (level1)
        bytes.Byte(q.byteParameter);
    else
        bytes.Long(static_cast<uint32_t>(std::trunc(q.frequency * 10 + 0.5)));
    bytes.Word(q.first).Word(q.second).Word(q.second).Byte(level1 ? 0 : 1);
    UnitCommand{bytes, UnitCommand::Acknowledge}.Send(*m_scope.Stream());
}

bool CBodeSweep::Poll()
{
    if (m_scope.Stream()->QueryByte(kCmdStatus) == kStatusComplete) {
        Evaluate();
        return true;
    }
    // At low frequencies a period takes seconds: the samples are shown as they arrive.
    return m_frequency.lowFrequency && m_scope.ReadRolling(m_buffers[0], m_buffers[1]);
}

void CBodeSweep::Evaluate()
{
    const auto n = static_cast<int32_t>(m_frequency.samples);
    m_scope.ReadRecord(0, n, m_buffers[0]);
    m_scope.ReadRecord(1, n, m_buffers[1]);
    m_measurement = BodeEvaluate(m_buffers[0].Front(), m_buffers[1].Front(), m_scope.FullScale(0),
                                 m_scope.FullScale(1));
    m_measured = true;
    if (m_settings.autorange && m_scope.AutoRange(0, kSquareRoot2 * m_measurement.rmsA)) {
        // Measured in the wrong range: again at the same frequency in the new one.
        m_scope.Flush();
        m_state = kStartMeasurement;
        return;
    }
    m_gainSum += m_measurement.gain;
    m_phaseSum += m_measurement.phase;
    if (--m_remaining > 0) {
        m_state = kStartMeasurement;
        return;
    }
    const double averages = m_settings.averages;
    m_sets.AddPoint(m_frequency.frequency, m_gainSum / averages, m_phaseSum / averages);
    m_state = kNextFrequency;
}

bool CBodeSweep::NextFrequency()
{
    const BodeSettings& s = m_settings;
    const int32_t i = m_pointIndex++;
    if (!s.logarithmic) {
        const double step = (s.stop - s.start) / (s.points - 1);
        const double request = (m_skipping ? m_request : m_frequency.frequency) + step;
        const BodeFrequency next = Quantise(request);
        if (next.frequency > s.stop) {
            m_state = kStopping;
            return true;
        }
        // A step finer than the generator's resolution would measure one
        // frequency for ever: the request goes on by steps, as the
        // logarithmic sweep's does, until it makes a higher frequency.
        if (next.frequency <= m_frequency.frequency) {
            m_skipping = true;
            m_request = request;
            if (!(step > 0) || request > s.stop)
                m_state = kStopping;
            return m_state == kStopping;
        }
        m_skipping = false;
        m_last = next.frequency;
        Measure(next);
        return true;
    }
    if (m_pointIndex > s.points) {
        m_state = kStopping;
        return true;
    }
    const BodeFrequency next = Quantise(s.start * std::pow(10.0, std::log10(s.stop / s.start) * i / (s.points - 1)));
    // Quantisation merged this point with the last one measured: the next
    // step tries the next point.
    if (next.frequency <= m_last)
        return false;
    m_last = next.frequency;
    Measure(next);
    return true;
}

void CBodeSweep::Publish()
{
    std::lock_guard<std::mutex> g(m_statusLock);
    m_status.state = m_state;
    m_status.running = m_running;
    m_status.frequency = m_frequency.frequency;
    m_status.pointIndex = m_pointIndex;
    m_status.received = m_frequency.lowFrequency ? m_buffers[0].FillPosition() : 0;
    m_status.measured = m_measured;
    m_status.last = m_measurement;
}

BodeSweepStatus CBodeSweep::Status() const
{
    std::lock_guard<std::mutex> g(m_statusLock);
    return m_status;
}
