#include "model/SignalModel.h"

#include <cmath>
#include <numbers>

namespace vexasim {

namespace {

constexpr double kOutputRangePeak[3] = {10.0, 1.0, 0.1};
// Points of one period in the tables behind channel A, means and RMS values.
constexpr size_t kTableSize = 4096;

} // namespace

double CSignalModel::GeneratorPeak() const
{
    const int range = m_generator.outputRange >= 0 && m_generator.outputRange < 3 ? m_generator.outputRange : 0;
    return m_generator.amplitude / 255.0 * kOutputRangePeak[range];
}

double CSignalModel::GeneratorOutput(double t) const
{
    if (!m_generator.outputOn)
        return 0.0;
    const double phase = m_generator.frequency > 0 ? m_generator.frequency * t : 0.0;
    return GeneratorPeak() * WaveShape(m_generator.waveform, phase, m_generator.duty / 255.0, m_generator.arbitrary);
}

double CSignalModel::ThreePhaseOutput(int phase, double t) const
{
    const ThreePhaseSettings& s = m_threePhase;
    if (!s.outputOn || phase < 0 || phase > 2)
        return 0.0;
    const double sign = s.inverted[phase] ? -1.0 : 1.0;
    const double peak = s.amplitude[phase] / 255.0 * kThreePhaseFullScale;
    if (s.dcMode)
        return sign * peak;
    const double cycles = s.settingD * t - s.angle[phase] / 360.0;
    return sign * peak * WaveShape(s.waveform, cycles, 0.5, s.formula);
}

const ExternalSource* CSignalModel::External(int channel) const
{
    if (channel < 0 || channel > 3 || !m_external[static_cast<size_t>(channel)].on)
        return nullptr;
    return &m_external[static_cast<size_t>(channel)];
}

double CSignalModel::InternalOutput(int channel, double t) const
{
    if (const ExternalSource* source = External(channel))
        return source->peak * WaveShape(source->waveform, source->frequency * t, 0.5, {});
    return channel <= 1 ? GeneratorOutput(t) : ThreePhaseOutput(channel - 2, t);
}

double CSignalModel::Period(int channel) const
{
    if (const ExternalSource* source = External(channel))
        return source->frequency > 0 && !IsConstantShape(source->waveform) ? 1.0 / source->frequency : 0.0;
    if (channel == 0 || channel == 1) {
        const GeneratorSettings& g = m_generator;
        return g.outputOn && g.frequency > 0 && !IsConstantShape(g.waveform) ? 1.0 / g.frequency : 0.0;
    }
    const ThreePhaseSettings& s = m_threePhase;
    return s.outputOn && !s.dcMode && s.settingD > 0 && !IsConstantShape(s.waveform) ? 1.0 / s.settingD : 0.0;
}

double CSignalModel::Channel(int channel, double t, bool acCoupled) const
{
    if (channel < 0 || channel > 3)
        return 0.0;
    Refresh();
    double v = 0.0;
    if (channel == 0 && !External(0) && m_dut.kind == DutKind::RcLowPass && Period(0) > 0.0)
        v = m_dutOutput.At(m_generator.frequency * t);
    else
        v = InternalOutput(channel, t);  // a wire, a settled DC level, or no device under test
    return acCoupled ? v - m_mean[static_cast<size_t>(channel)] : v;
}

double CSignalModel::Mean(int channel) const
{
    Refresh();
    return channel >= 0 && channel < 4 ? m_mean[static_cast<size_t>(channel)] : 0.0;
}

double CSignalModel::Rms(int channel) const
{
    Refresh();
    return channel >= 0 && channel < 4 ? m_rms[static_cast<size_t>(channel)] : 0.0;
}

void CSignalModel::Refresh() const
{
    if (m_cacheValid)
        return;
    m_cacheValid = true;
    for (int c = 0; c < 4; ++c) {
        const double period = Period(c);
        CPeriodTable table;
        if (c == 0 && !External(0) && m_dut.kind == DutKind::RcLowPass && period > 0) {
            CPeriodTable input(kTableSize, [&](double p) { return GeneratorOutput(p * period); });
            m_dutOutput = SteadyStateRc(input);
            table = m_dutOutput;
        } else {
            // Channel is cached only after this loop, so sample the outputs directly.
            const double span = period > 0 ? period : 0.0;
            table = CPeriodTable(period > 0 ? kTableSize : 1, [&](double p) {
                return InternalOutput(c, p * span);
            });
        }
        m_mean[static_cast<size_t>(c)] = table.Mean();
        m_rms[static_cast<size_t>(c)] = table.Rms();
    }
}

// Periodic steady state of y' = (x - y) / tau for one period of x, with x
// linear between table points (exact for that input). One pass from y = 0
// gives y(T) = P; every start value y0 ends at E * y0 + P with E = exp(-T/tau),
// so the periodic solution starts at P / (1 - E).
CPeriodTable CSignalModel::SteadyStateRc(const CPeriodTable& input) const
{
    const std::vector<double>& x = input.Values();
    const size_t n = x.size();
    const double period = 1.0 / m_generator.frequency;
    const double tau = 1.0 / (2 * std::numbers::pi * m_dut.cornerHz);
    const double h = period / static_cast<double>(n);
    const double decay = std::exp(-h / tau);
    const double ramp = tau / h * -std::expm1(-h / tau);  // tau/h * (1 - decay)

    auto step = [&](double y, size_t i) {
        const double x0 = x[i], x1 = x[(i + 1) % n];
        return x1 + (y - x0) * decay - (x1 - x0) * ramp;
    };
    double y = 0.0;
    for (size_t i = 0; i < n; ++i)
        y = step(y, i);
    const double oneMinusE = -std::expm1(-period / tau);
    y = y / oneMinusE;

    std::vector<double> out(n);
    for (size_t i = 0; i < n; ++i) {
        out[i] = y;
        y = step(y, i);
    }
    return CPeriodTable(std::move(out));
}

} // namespace vexasim
