// The digital instruments' arithmetic: the panel's output word stepped in
// 8- or 16-bit mode, and the pattern editor's generators (clock, constant,
// counter) with the editor's step limit.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "units/DigData.h"

// The pattern editor holds at most this many steps; one more is refused with
// message kTextTooManySteps.
constexpr size_t kMaxPatternSteps = 4000;
constexpr uint32_t kTextTooManySteps = 500;
// The analyzer cannot start without a record length.
constexpr uint32_t kTextNoRecordLength = 499;

// The output word changed by delta. In 8-bit mode only the low byte counts
// and wraps within itself (0x12FF + 1 gives 0x1200); in 16-bit mode the
// whole word wraps (0 − 256 gives 0xFF00).
uint16_t StepOutputWord(uint16_t word, int32_t delta, bool sixteenBit);

// The clock generator over words: starting with a high phase, the bits are
// set for `high` words, then cleared for `low` words, and so on. A phase of
// length 0 is left out; with both 0 the words stay as they are.
void ApplyClock(std::vector<uint16_t>& words, uint16_t bits, int32_t high, int32_t low);
// start, start + increment, … while not above end; never more than limit + 1
// words, so that the caller sees a pattern that would pass the step limit.
std::vector<uint16_t> CounterWords(int32_t start, int32_t end, int32_t increment, size_t limit = kMaxPatternSteps);

// Appends a step per word, each held `repeat` intervals, up to the step
// limit; false when words were left out (the editor then shows message 500).
bool AppendPatternSteps(std::vector<std::unique_ptr<CDigData>>& pattern, std::span<const uint16_t> words,
                        int32_t repeat);
