#include "instruments/digital/DigRules.h"

#include <algorithm>

uint16_t StepOutputWord(uint16_t word, int32_t delta, bool sixteenBit)
{
    if (sixteenBit)
        return static_cast<uint16_t>(word + delta);
    return static_cast<uint16_t>((word & 0xFF00) | ((word + delta) & 0x00FF));
}

void ApplyClock(std::vector<uint16_t>& words, uint16_t bits, int32_t high, int32_t low)
{
    high = std::max(high, 0);
    low = std::max(low, 0);
    if (high + low == 0)
        return;
    const int64_t period = int64_t(high) + low;
    for (size_t i = 0; i < words.size(); ++i) {
        if (int64_t(i % size_t(period)) < high)
            words[i] |= bits;
        else
            words[i] &= static_cast<uint16_t>(~bits);
    }
}

std::vector<uint16_t> CounterWords(int32_t start, int32_t end, int32_t increment, size_t limit)
{
    std::vector<uint16_t> words;
    // 64 bits: an increment near the end of the range must not wrap round to the start.
    for (int64_t v = start; v <= end && words.size() <= limit; v += increment)
        words.push_back(static_cast<uint16_t>(v));
    return words;
}

bool AppendPatternSteps(std::vector<std::unique_ptr<CDigData>>& pattern, std::span<const uint16_t> words,
                        int32_t repeat)
{
    for (uint16_t word : words) {
        if (pattern.size() >= kMaxPatternSteps)
            return false;
        pattern.push_back(std::make_unique<CDigData>(word, repeat));
    }
    return true;
}
