// The logic analyzer's timing diagram apart from its window: which band of
// the row axis each visible signal row takes, where a row's level changes
// (in seconds, so that the window only maps times to pixels), the cursor's
// read-out, the sample interval choices and the control pane's stored
// settings.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "charts/Axis.h"
#include "framework/Archive.h"
#include "framework/Types.h"
#include "units/DigData.h"

// Signal rows: inputs I0..I15 are rows 0..15, outputs Q0..Q15 rows 16..31.
constexpr int kDigInputRows = 16;
constexpr int kDigRows = 32;
using DigRowVisibility = std::array<bool, kDigRows>;

// Rows 0 to 7 of each group show at first; 8 to 15 are hidden.
DigRowVisibility DefaultRowVisibility();
// "I3", "Q12".
CString DigRowName(int row);

// One visible row's band in pixels, top < bottom, and the y of its levels.
struct DigRowBand {
    int row = 0;
    int32_t top = 0, bottom = 0;
    int32_t high = 0;  // bottom − two thirds of the band
    int32_t low = 0;   // the band's bottom
};

// The row axis runs from 0 (bottom) to the number of visible rows; the k-th
// visible row, inputs first, takes the unit from count − k − 1 to count − k,
// so the first visible row stands at the top and a zoom of the axis zooms
// the rows with it.
std::vector<DigRowBand> PackRowBands(const DigRowVisibility& visible, const CAxis& rowAxis);
int VisibleRowCount(const DigRowVisibility& visible);

// A row's level over time [s]: the level at 0, the times where it flips, and
// where the row ends.
struct DigTrace {
    bool startHigh = false;
    std::vector<double> changes;
    double end = 0;
    bool operator==(const DigTrace&) const = default;
};
// Bit `bit` of the recorded samples, sample i at i × interval; none without samples.
std::optional<DigTrace> InputTrace(std::span<const uint16_t> samples, int bit, double interval);
// Bit `bit` of the pattern's words: step j starts at the sum of the earlier
// repeat counts; the row ends at the pattern's length. None without steps.
std::optional<DigTrace> OutputTrace(const std::vector<std::unique_ptr<CDigData>>& pattern, int bit,
                                    double interval);

// The cursor stands in the middle of its sample [s].
double CursorTime(int64_t index, double interval);
// The last sample the cursor can reach: the end of the record or of the
// pattern, whichever is later; 0 when both are empty.
int64_t LastCursorIndex(size_t recordedSamples, int64_t patternLength);

// The pane's cursor texts: the input and output words at the cursor ("%5d"
// or "%5X") and the position counted from 1 ("%5d"). A word the record or
// the pattern does not reach reads "-----".
struct DigCursorReadout {
    CString input, output, position;
};
DigCursorReadout CursorReadout(std::span<const uint16_t> samples, std::optional<uint16_t> output, int64_t index,
                               bool hexadecimal);

// Sample interval choices [0.1 ms]: 0.1 ms to 5 s.
constexpr std::array<uint16_t, 15> kSampleIntervals = {1, 2, 5, 10, 20, 50, 100, 200, 500,
                                                      1000, 2000, 5000, 10000, 20000, 50000};
// The choice that is the interval, or −1 when none is.
int SampleIntervalChoice(uint16_t interval);

// The control pane's stored settings: version 1, then the fit flag as one byte.
constexpr uint32_t kLogicPaneVersion = 1;
void SerializeLogicPane(CArchive& ar, bool& fit);
