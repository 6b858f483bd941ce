#include "model/Waveform.h"

#include <cmath>
#include <numbers>

namespace vexasim {

double Wrap01(double x)
{
    const double f = x - std::floor(x);
    return f >= 1.0 ? 0.0 : f;
}

double WaveShape(int waveform, double phase, double duty, const std::vector<double>& arbitrary)
{
    const double p = Wrap01(phase);
    switch (waveform) {
    case 0: return std::sin(2 * std::numbers::pi * p);
    case 1: return p < 0.25 ? 4 * p : p < 0.75 ? 2 - 4 * p : 4 * p - 4;
    case 2: return p < duty ? 1.0 : -1.0;
    case 3: return 2 * p - 1;
    case 4: return 1.0;
    case 5: return -1.0;
    case kWaveformArbitrary: {
        if (arbitrary.empty())
            return 0.0;
        // The box plays its sample memory as a staircase.
        const size_t i = static_cast<size_t>(p * static_cast<double>(arbitrary.size()));
        return arbitrary[i < arbitrary.size() ? i : arbitrary.size() - 1];
    }
    case 7: return 1 - 2 * p;
    case 8: return p < duty ? 1.0 : 0.0;
    case 9: return p < duty ? -1.0 : 0.0;
    default: return 0.0;
    }
}

bool IsConstantShape(int waveform)
{
    return waveform == 4 || waveform == 5 || waveform < 0 || waveform >= kWaveformCount;
}

CPeriodTable::CPeriodTable(size_t size, const std::function<double(double)>& f)
{
    m_values.resize(size);
    for (size_t i = 0; i < size; ++i)
        m_values[i] = f(static_cast<double>(i) / static_cast<double>(size));
}

double CPeriodTable::At(double phase) const
{
    if (m_values.empty())
        return 0.0;
    const double x = Wrap01(phase) * static_cast<double>(m_values.size());
    const size_t i = static_cast<size_t>(x) % m_values.size();
    const size_t j = (i + 1) % m_values.size();
    const double w = x - std::floor(x);
    return m_values[i] + (m_values[j] - m_values[i]) * w;
}

double CPeriodTable::Mean() const
{
    double sum = 0;
    for (double v : m_values)
        sum += v;
    return m_values.empty() ? 0.0 : sum / static_cast<double>(m_values.size());
}

double CPeriodTable::Rms() const
{
    double sum = 0;
    for (double v : m_values)
        sum += v * v;
    return m_values.empty() ? 0.0 : std::sqrt(sum / static_cast<double>(m_values.size()));
}

} // namespace vexasim
