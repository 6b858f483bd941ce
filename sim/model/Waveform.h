// Wave shapes of the generators, and one sampled period of a periodic signal.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace vexasim {

// Generator waveform numbers: 0 sine, 1 triangle, 2 square (duty = high
// share), 3 rising sawtooth, 4 DC positive, 5 DC negative, 6 arbitrary
// samples, 7 falling sawtooth, 8 positive pulse, 9 negative pulse.
constexpr int kWaveformArbitrary = 6;
constexpr int kWaveformCount = 10;

// The shape's value, nominally -1 to 1, at phase (0 to 1) of its period.
// duty is the high share (0 to 1) of square and pulse shapes; arbitrary are
// the samples of one period for waveform 6 (silence when empty).
double WaveShape(int waveform, double phase, double duty, const std::vector<double>& arbitrary);

// True for shapes that do not change over time.
bool IsConstantShape(int waveform);

// One period of a signal, sampled at equal steps and read back with linear
// interpolation at any time.
class CPeriodTable {
public:
    CPeriodTable() = default;
    // Samples f over one period (phase 0 to 1) at size points.
    CPeriodTable(size_t size, const std::function<double(double)>& f);
    explicit CPeriodTable(std::vector<double> values) : m_values(std::move(values)) {}

    // Value at phase (any real; only the fractional part counts).
    double At(double phase) const;
    double Mean() const;
    double Rms() const;
    bool Empty() const { return m_values.empty(); }
    const std::vector<double>& Values() const { return m_values; }

private:
    std::vector<double> m_values;
};

// Fractional part in [0, 1).
double Wrap01(double x);

} // namespace vexasim
