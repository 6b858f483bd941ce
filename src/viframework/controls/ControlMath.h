// Integer arithmetic of the value controls: scaling as the Windows MulDiv
// does it, and limiting to a range that a damaged layout may have stored
// upside down.
#pragma once

#include <cstdint>

// number × numerator / denominator over a 64-bit product, rounded half away
// from zero. -1 when the denominator is 0 or the result does not fit in 32
// bits, as the Windows function answers.
constexpr int32_t MulDiv(int32_t number, int32_t numerator, int32_t denominator)
{
    if (denominator == 0)
        return -1;
    int64_t product = int64_t(number) * numerator;
    int64_t divisor = denominator;
    if (divisor < 0) {
        product = -product;
        divisor = -divisor;
    }
    const int64_t half = divisor / 2;
    const int64_t result = (product >= 0 ? product + half : product - half) / divisor;
    if (result > INT32_MAX || result < -INT32_MAX)
        return -1;
    return int32_t(result);
}

// The value kept within [minimum, maximum]. A range stored upside down gives
// minimum for anything below it and maximum otherwise, never anything outside
// the two stored numbers.
constexpr int32_t LimitTo(int64_t value, int32_t minimum, int32_t maximum)
{
    if (value < minimum)
        return minimum;
    if (value > maximum)
        return maximum;
    return int32_t(value);
}

// maximum − minimum, 0 for an empty or upside-down range, at most INT32_MAX
// so that it can scale with MulDiv.
constexpr int32_t SpanOf(int32_t minimum, int32_t maximum)
{
    const int64_t span = int64_t(maximum) - minimum;
    return span <= 0 ? 0 : span > INT32_MAX ? INT32_MAX : int32_t(span);
}
