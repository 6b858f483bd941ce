// What a user may type into the meters' number fields: a decimal number with
// a point or a comma, optionally followed by a metric prefix ("1.5k", "100 m"),
// within limits.
#pragma once

#include <optional>

#include "framework/Types.h"

struct EntryLimits {
    double minimum;
    double maximum;
    bool minimumAllowed;  // false: the minimum itself is refused (a zero shunt)
};

// The shunt resistance [Ohm]: above 0 (it divides), at most 1 MOhm.
inline constexpr EntryLimits kShuntLimits{0.0, 1.0e6, false};
// The thermometer's calibration offset [degrees].
inline constexpr EntryLimits kCalibrationLimits{-100.0, 100.0, true};

// The number the text stands for, or none when it is not a number or lies
// outside the limits.
std::optional<double> ParseEntry(const CString& text, const EntryLimits& limits);
// How an entry field shows a value again ("%lg").
CString FormatEntry(double value);
