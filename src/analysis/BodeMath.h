// The Bode plotter's arithmetic: the generator set-up for a sweep's
// amplitude and offset, the evaluation of one measured period of channels A
// (the output) and B (the input), and the phase brought into −180 … +180.
#pragma once

#include <cstdint>
#include <span>

#include "framework/Types.h"

// How the generator plays a sweep's signal.
struct BodeGeneratorSetup {
    int32_t outputRange = 0;     // 0, 1, 2: the generator's first to third amplitude range
    int32_t multiplier = 10;     // 10, 100, 1000 of those ranges
    int32_t inputRangeB = 6;     // channel B's range index to match (6, 3, 1)
    bool formula = false;        // with an offset: the formula below as the arbitrary waveform
    uint8_t sineAmplitude = 0;   // without one: the sine's amplitude setting
    CString formulaText;         // "%lg*SIN(X)+%lg"
};
// Amplitude and offset in volts; x = amplitude, or |offset| + amplitude with
// an offset: 0 or at least 0.8 V takes the first range, at least 0.08 V the
// second, less the third.
BodeGeneratorSetup BodeGeneratorFor(double amplitude, double offset);

// Degrees brought into −180 … +180 by one turn at most.
double BodeWrapPhase(double degrees);

// One measured period: N samples of A and N of B (32767 = full scale).
struct BodeMeasurement {
    double gain = 0.0;      // |amplitude A / amplitude B|
    double phase = 0.0;     // [°] of A relative to B
    double rmsA = 0.0;      // [V]
    bool overflow = false;  // a sample of either channel reached 32700
};
BodeMeasurement BodeEvaluate(std::span<const int16_t> a, std::span<const int16_t> b, double fullScaleA,
                             double fullScaleB);
