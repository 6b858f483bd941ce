// The arithmetic of a chart axis, apart from any drawing: the readable range
// a requested one becomes, how many decimals its labels need, which values
// get labels, ticks and grid lines, where a value lands in pixels, and the
// axis title with its SI prefix.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "framework/Types.h"

// A range as set on an axis.
struct AxisRange {
    double minimum = 0.0;
    double maximum = 100.0;
    double step = 20.0;     // between labelled ticks; 1 (a decade) on a logarithmic axis
    double divisor = 1.0;   // labels print value / divisor; a power of ten, exponent a multiple of 3
    bool operator==(const AxisRange&) const = default;
};

// The readable range for [minimum, maximum] with about `divisions` steps:
// a step of 2, 5 or 10 times a power of ten, the ends on whole steps, a
// range that starts near zero taken down to zero. On a logarithmic axis the
// ends go out to whole decades. Values that are not finite, an empty or
// reversed range and a logarithmic range touching 0 still give a usable one.
AxisRange ReadableRange(double minimum, double maximum, int divisions, bool logarithmic);

// The divisor labels of a step print by: 10^(3 × trunc(floor(log10 step) / 3)),
// so a step of 0.5 keeps 1 and one of 2000 gives 1000; 1 for a step that is
// not a positive number.
double LabelDivisor(double step);

// The decimals the labels of a step need (0 to 5).
int LabelPrecision(double step, double divisor);

// The values that get a label, tick or grid line. Within a range that
// holds zero inside, the walk starts at zero and goes both ways, so the
// marks sit on whole steps; otherwise it starts at the minimum. A mark that
// rounding put just past an end (by 5 % of a step) is kept.
std::vector<double> LabelValues(double minimum, double maximum, double step);
// Grid lines: as the labels, without the zero line (drawn apart) and, with
// the flags below, without the line at either end.
constexpr uint32_t kGridNoMinimumLine = 0x100;
constexpr uint32_t kGridNoMaximumLine = 0x200;
std::vector<double> GridValues(double minimum, double maximum, double step, uint32_t gridFlags, bool reversed);
// Grid lines of a logarithmic axis (visible range in decades): at m × 10^e
// for m = 1 to 9, as decimal logarithms within the range.
std::vector<double> LogGridValues(double visibleMinimum, double visibleMaximum);
// The decades that get a "10^e" label.
std::vector<int> LogLabelDecades(double visibleMinimum, double visibleMaximum);

// Where values land: origin + trunc((v - visible minimum) × pixels per unit),
// or origin minus that when the direction is reversed.
struct AxisMapping {
    double visibleMinimum = 0.0;
    double pixelsPerUnit = 1.0;
    int32_t origin = 0;
    bool reversed = false;
    int32_t Pixel(double v) const;
};
// The mapping of a visible range onto a pixel extent. A vertical axis grows
// upwards from its end (its bottom); a horizontal one from its start.
AxisMapping MapAxis(double visibleMinimum, double visibleMaximum, int32_t pixelStart, int32_t pixelEnd,
                    bool horizontal, bool reversed);

// The axis title: the unit text with the SI prefix of the exponent put where
// a '#' stands ("U/#V" at 3 is "U/kV"); "##" drops the prefix; without '#'
// a factor " [*1E3]" is appended. An exponent without a prefix letter
// writes "1E15 " in its place.
CString UnitText(std::u16string_view unit, int exponent);
// The exponent of a label divisor (log10, rounded away from zero).
int DivisorExponent(double divisor);
