// The analog world behind the box: the function generator, the device under
// test it drives, and the three-phase outputs. Channels as the inputs see them:
// A the device under test's output, B the generator, C phase 1, D phase 2.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "model/Waveform.h"

namespace vexasim {

// What the function generator unit was told.
struct GeneratorSettings {
    bool outputOn = false;
    int waveform = 0;
    double frequency = 1.0;    // [Hz]
    uint8_t amplitude = 0;     // share of the output range's full scale, 0 to 255
    int outputRange = 0;       // 0, 1, 2: full scale 10 V, 1 V, 0.1 V peak
    uint8_t duty = 127;        // high share of square and pulse shapes, 0 to 255
    std::vector<double> arbitrary;  // one period for waveform 6, nominally -1 to 1
};

// What the three-phase unit was told.
struct ThreePhaseSettings {
    bool outputOn = false;
    bool dcMode = false;
    std::array<uint8_t, 3> inverted{};   // per phase: output negated
    std::array<uint8_t, 3> amplitude{};  // per phase, 0 to 255 of the full scale
    int waveform = 0;
    std::array<int, 3> angle{0, 120, 240};  // [degrees] lag of each phase
    uint8_t settingC = 30;
    uint8_t settingD = 1;  // [Hz] the outputs' frequency
    std::vector<double> formula;  // one period for waveform 6
};

// A source wired straight to an input instead of what the box drives there
// (a student's bench generator, say).
struct ExternalSource {
    bool on = false;
    int waveform = 0;        // as the generator's
    double frequency = 0.0;  // [Hz]
    double peak = 0.0;       // [V]
};

enum class DutKind { RcLowPass, Wire };

struct DutSettings {
    DutKind kind = DutKind::RcLowPass;
    double cornerHz = 1000.0;  // [Hz] -3 dB frequency of the RC low-pass
};

// Full scale [V] of a three-phase output at amplitude 255 (14 V RMS).
constexpr double kThreePhaseFullScale = 19.79898987322333;

class CSignalModel {
public:
    explicit CSignalModel(DutSettings dut = {}) : m_dut(dut) {}

    const GeneratorSettings& Generator() const { return m_generator; }
    const ThreePhaseSettings& ThreePhase() const { return m_threePhase; }
    const DutSettings& Dut() const { return m_dut; }

    // Changes settings through f and drops what was derived from the old ones.
    template <class F> void UpdateGenerator(F f)
    {
        f(m_generator);
        m_cacheValid = false;
    }
    template <class F> void UpdateThreePhase(F f)
    {
        f(m_threePhase);
        m_cacheValid = false;
    }
    void SetDut(DutSettings dut)
    {
        m_dut = dut;
        m_cacheValid = false;
    }
    // Channel 0 to 3 shows the external source while it is on.
    void SetExternal(int channel, const ExternalSource& source)
    {
        if (channel < 0 || channel > 3)
            return;
        m_external[static_cast<size_t>(channel)] = source;
        m_cacheValid = false;
    }

    // Voltage [V] of channel 0 to 3 at time t [s]; AC coupling removes the
    // signal's mean over its period.
    double Channel(int channel, double t, bool acCoupled = false) const;
    // Period [s] of a channel's signal, 0 when it does not change.
    double Period(int channel) const;
    double Mean(int channel) const;
    double Rms(int channel) const;

    // Generator output [V] and the peak voltage [V] of its amplitude setting.
    double GeneratorOutput(double t) const;
    double GeneratorPeak() const;
    double ThreePhaseOutput(int phase, double t) const;

private:
    const ExternalSource* External(int channel) const;
    // What the box itself drives on a channel (channel A before the device under test).
    double InternalOutput(int channel, double t) const;
    void Refresh() const;
    CPeriodTable SteadyStateRc(const CPeriodTable& input) const;

    GeneratorSettings m_generator;
    ThreePhaseSettings m_threePhase;
    DutSettings m_dut;
    std::array<ExternalSource, 4> m_external{};

    // Derived from the settings on first use.
    mutable bool m_cacheValid = false;
    mutable CPeriodTable m_dutOutput;  // one generator period of channel A
    mutable std::array<double, 4> m_mean{};
    mutable std::array<double, 4> m_rms{};
};

} // namespace vexasim
