// The Bode measurement: the generator is set to a frequency and the scope
// samples one generator period of channels A and B into its record buffers
// (and, at low frequencies, as rolling samples while they arrive).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vexasim {

class CSimBox;

class CSimBode {
public:
    explicit CSimBode(CSimBox& box) : m_box(box) {}

    // Sets the generator to frequency [Hz]; a measurement then takes
    // samples (capped to the record buffer) over one period.
    void Setup(bool lowFrequency, double frequency, uint32_t samples);
    void Start();
    void Stop() { m_state = 0; }
    // 0 idle, 1 measuring, 3 record complete.
    uint8_t State();
    // Takes the samples that are due by now.
    void Update();

    bool LowFrequency() const { return m_lowFrequency; }
    double Frequency() const { return m_frequency; }
    uint32_t Samples() const { return m_samples; }

private:

    CSimBox& m_box;
    bool m_lowFrequency = false;
    double m_frequency = 0;
    uint32_t m_samples = 0;
    uint8_t m_state = 0;
    double m_start = 0;
    uint32_t m_produced = 0;
    std::vector<int16_t> m_a, m_b;
};

} // namespace vexasim
