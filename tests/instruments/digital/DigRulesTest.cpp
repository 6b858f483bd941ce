// The pattern editor's generators at their edges: steady clocks, counters
// without steps or an end, and no wrap back to the start.
#include <gtest/gtest.h>

#include <vector>

#include "instruments/digital/DigRules.h"

namespace {

using Words = std::vector<uint16_t>;

TEST(PatternGenerators, ClockPhasesAndCounterSteps)
{
    // Applied to steps that have other bits: only the clock's bits change.
    Words selected = {0x8001, 0x8000, 0x8001, 0x8000};
    ApplyClock(selected, 0x0003, 1, 1);
    EXPECT_EQ(selected, (Words{0x8003, 0x8000, 0x8003, 0x8000}));
    Words steady(3, 0);
    ApplyClock(steady, 0x0004, 1, 0);
    EXPECT_EQ(steady, (Words{4, 4, 4}));

    EXPECT_EQ(CounterWords(0, 3, 1), (Words{0, 1, 2, 3}));
    EXPECT_TRUE(CounterWords(5, 4, 1).empty());
    // No end in sight: stops one word past the limit, so that the limit shows.
    EXPECT_EQ(CounterWords(0, 10, 0).size(), kMaxPatternSteps + 1);
    EXPECT_EQ(CounterWords(0, 65535, 2147483647).size(), 1u) << "no wrap back to the start";
}

}  // namespace
