// The digital panel's output word and the pattern editor's generators: the
// words they make, the wraps, and the step limit.
#include <gtest/gtest.h>

#include <vector>

#include "instruments/digital/DigRules.h"

namespace {

using Words = std::vector<uint16_t>;

TEST(OutputWord, EightBitModeWrapsInTheLowByteSixteenBitModeInTheWord)
{
    EXPECT_EQ(StepOutputWord(0x12FF, 1, false), 0x1200);
    EXPECT_EQ(StepOutputWord(0x12FF, 1, true), 0x1300);
    EXPECT_EQ(StepOutputWord(0x1200, -1, false), 0x12FF);
    EXPECT_EQ(StepOutputWord(0x0000, -256, true), 0xFF00);
    EXPECT_EQ(StepOutputWord(0xFFFF, 256, true), 0x00FF);
}

TEST(PatternGenerators, ClockPhasesAndCounterSteps)
{
    Words clock(6, 0);
    ApplyClock(clock, 0x0001, 2, 1);
    EXPECT_EQ(clock, (Words{1, 1, 0, 1, 1, 0}));
    // Applied to steps that have other bits: only the clock's bits change.
    Words selected = {0x8001, 0x8000, 0x8001, 0x8000};
    ApplyClock(selected, 0x0003, 1, 1);
    EXPECT_EQ(selected, (Words{0x8003, 0x8000, 0x8003, 0x8000}));
    Words steady(3, 0);
    ApplyClock(steady, 0x0004, 1, 0);
    EXPECT_EQ(steady, (Words{4, 4, 4}));

    EXPECT_EQ(CounterWords(250, 255, 2), (Words{250, 252, 254}));
    EXPECT_EQ(CounterWords(0, 3, 1), (Words{0, 1, 2, 3}));
    EXPECT_TRUE(CounterWords(5, 4, 1).empty());
    // No end in sight: stops one word past the limit, so that the limit shows.
    EXPECT_EQ(CounterWords(0, 10, 0).size(), kMaxPatternSteps + 1);
    EXPECT_EQ(CounterWords(0, 65535, 2147483647).size(), 1u) << "no wrap back to the start";
}

TEST(PatternGenerators, StepsBeyondTheLimitAreLeftOut)
{
    std::vector<std::unique_ptr<CDigData>> pattern;
    const Words words(kMaxPatternSteps - 2, 7);
    EXPECT_TRUE(AppendPatternSteps(pattern, words, 3));
    EXPECT_FALSE(AppendPatternSteps(pattern, Words{1, 2, 3}, 5));
    ASSERT_EQ(pattern.size(), kMaxPatternSteps);
    EXPECT_EQ(*pattern.back(), CDigData(2, 5));
    EXPECT_EQ(*pattern.front(), CDigData(7, 3));
}

}  // namespace
