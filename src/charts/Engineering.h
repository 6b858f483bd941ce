// Engineering notation for the texts units make: an exponent that is a
// multiple of 3 and its prefix letter (p, n, µ, m, none, k, M, G, T).
#pragma once

#include <string_view>

#include "framework/Types.h"

// 3 × floor(floor(log10 |v|) / 3); 0 for 0 and for values that are not finite.
int EngineeringExponent(double v);
// v / 10^exponent through exact powers of ten, so that 0.01 over exponent −3
// is 10 and not 9.999…, whatever the runtime's pow does.
double ScaleToExponent(double v, int exponent);
// The prefix of an exponent: 0 for none, '?' for an exponent without one.
char16_t EngineeringPrefix(int exponent);
// "%lg %c%s" of the scaled value, prefix and unit ("%lg %s" without prefix).
CString FormatEngineering(double v, std::u16string_view unit);
