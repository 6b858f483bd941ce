// What the generator panels compute apart from any window: the frequency as
// the panel shows it, the knob positions of a frequency row, and the DC
// source's level in its output ranges.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "framework/Types.h"
#include "units/FuncGen.h"

// The frequency of a row as the panel shows it: the unit follows the row,
// the number is right-aligned ("%5.1lf kHz" gives " 12.3 kHz").
CString FrequencyText(int32_t row, double hertz);

// The short name of a row on its button: its highest frequency ("1 kHz").
CString RowButtonText(const FrequencyRow& row);

// The frequency knob turns through a row in the row's steps (the top row in
// its coarsest step, so that the knob's travel stays usable).
int32_t FrequencyKnobPositions(const FrequencyRow& row, int32_t rowIndex);
uint32_t FrequencyAtKnob(const FrequencyRow& row, int32_t rowIndex, int32_t position);  // [0.1 Hz]
int32_t KnobAtFrequency(const FrequencyRow& row, int32_t rowIndex, uint32_t frequency);

// The DC source's level: a signed percentage of the output range's full scale.
constexpr int32_t kDcLevelLimit = 100;
constexpr int32_t kDcPositiveWaveform = 4;
constexpr int32_t kDcNegativeWaveform = 5;

// One press of level up or down: the new level and the waveform to set
// first when the level leaves 0 (the sign of a DC output is its waveform).
struct DcLevelStep {
    int32_t level;
    std::optional<int32_t> waveform;
    bool changed;  // the output must be set again
};
DcLevelStep DcLevelUp(int32_t level);
DcLevelStep DcLevelDown(int32_t level);
// The level after switching the output range, keeping its physical size
// where it fits (ranges are decades: 10 V, 1 V, 0.1 V full scale).
int32_t DcLevelInRange(int32_t level, int32_t fromRange, int32_t toRange);
// The level as the display shows it in an output range, and the unit beside it.
CString DcLevelText(int32_t outputRange, int32_t level);
CString DcLevelUnit(int32_t outputRange);
// A value typed in the display's unit as a level; none outside the range.
std::optional<int32_t> DcLevelOfValue(int32_t outputRange, double value);
// The display's value of a level (the inverse), for the number pad.
double DcValueOfLevel(int32_t outputRange, int32_t level);

// Whether the generator can play a formula text: it must compile, and have a
// value at every point of a period (X from 0 to 2π at `points` points).
struct FormulaVerdict {
    FormulaError error = FormulaError::None;
    size_t position = 0;                 // of the error in the text
    std::optional<double> noValueAt;     // the first X without a value
    bool Playable() const { return error == FormulaError::None && !noValueAt; }
};
// values, when given, receives the points of a playable formula.
FormulaVerdict JudgeFormula(std::u16string_view text, size_t points, std::vector<double>* values = nullptr);
