// The logic analyzer's settings sheet without windows: the pattern editor's
// operations on its copy, the generators with the step limit, the trigger
// page's boxes and the fields' refusals.
#include <gtest/gtest.h>

#include "instruments/digital/DigRules.h"
#include "instruments/digital/PatternEditor.h"
#include "viframework/NumPadRules.h"

namespace {

using Pattern = std::vector<std::unique_ptr<CDigData>>;
using Words = std::vector<uint32_t>;

Pattern MakePattern(std::initializer_list<std::pair<uint32_t, int32_t>> steps)
{
    Pattern pattern;
    for (const auto& [word, count] : steps)
        pattern.push_back(std::make_unique<CDigData>(word, count));
    return pattern;
}

Words WordsOf(const CPatternEditor& editor)
{
    Words words;
    for (const auto& step : editor.Steps())
        words.push_back(step->m_outputWord);
    return words;
}

std::vector<bool> SelectionOf(const CPatternEditor& editor)
{
    std::vector<bool> selected;
    for (size_t i = 0; i < editor.Count(); ++i)
        selected.push_back(editor.IsSelected(i));
    return selected;
}

TEST(PatternEditor, WorksOnACopyAndAddsAndDeletesAroundTheSelection)
{
    const Pattern original = MakePattern({{1, 1}, {2, 1}, {3, 1}});
    CPatternEditor editor(original);
    editor.Select(0, true);
    EXPECT_TRUE(editor.AddStep());
    EXPECT_EQ(WordsOf(editor), (Words{1, 0, 2, 3}));
    EXPECT_EQ(SelectionOf(editor), (std::vector<bool>{false, true, false, false}));
    editor.Select(3, true);
    EXPECT_TRUE(editor.AddStep()) << "after the last selected step";
    EXPECT_EQ(WordsOf(editor), (Words{1, 0, 2, 3, 0}));
    EXPECT_EQ(*editor.Steps()[4], CDigData(0, 1));
    editor.Select(4, false);
    EXPECT_TRUE(editor.AddStep()) << "without a selection at the end";
    EXPECT_EQ(WordsOf(editor), (Words{1, 0, 2, 3, 0, 0}));

    editor.Select(5, false);
    editor.Select(1, true);
    editor.Select(2, true);
    editor.DeleteSelected();
    EXPECT_EQ(WordsOf(editor), (Words{1, 3, 0, 0}));
    EXPECT_EQ(SelectionOf(editor), (std::vector<bool>{false, true, false, false}));
    editor.SelectAll();
    EXPECT_EQ(editor.SelectionCount(), 4u);
    editor.DeleteSelected();
    EXPECT_EQ(editor.Count(), 0u);

    ASSERT_EQ(original.size(), 3u);
    EXPECT_EQ(*original[1], CDigData(2, 1)) << "the unit's pattern stays until OK";
}

TEST(PatternEditor, BitsAndRepeatCountsOfTheSelectedSteps)
{
    CPatternEditor editor(MakePattern({{0x0001, 5}, {0x0003, 5}, {0x0002, 7}}));
    EXPECT_EQ(editor.BitOf(0), BitState::clear) << "nothing selected";
    EXPECT_FALSE(editor.RepeatCount());
    editor.Select(0, true);
    editor.Select(1, true);
    EXPECT_EQ(editor.BitOf(0), BitState::set);
    EXPECT_EQ(editor.BitOf(1), BitState::mixed);
    EXPECT_EQ(editor.BitOf(2), BitState::clear);
    EXPECT_EQ(editor.RepeatCount(), 5);
    editor.Select(2, true);
    EXPECT_FALSE(editor.RepeatCount()) << "counts that differ";

    editor.Select(2, false);
    editor.SetBit(15, true);
    editor.SetBit(0, false);
    EXPECT_EQ(WordsOf(editor), (Words{0x8000, 0x8002, 0x0002}));
    editor.SetRepeatCount(9);
    EXPECT_EQ(editor.Steps()[1]->m_repeatCount, 9);
    EXPECT_EQ(editor.Steps()[2]->m_repeatCount, 7);
}

TEST(PatternEditor, GeneratorsAppendOrClockTheSelection)
{
    CPatternEditor editor(MakePattern({{0x8000, 1}}));
    EXPECT_TRUE(editor.Generate(ClockEntry{0x0001, 2, 1, 6, 3, false}));
    EXPECT_EQ(WordsOf(editor), (Words{0x8000, 1, 1, 0, 1, 1, 0}));
    EXPECT_EQ(editor.Steps()[6]->m_repeatCount, 3);
    EXPECT_EQ(editor.SelectionCount(), 6u) << "the new steps are selected";
    EXPECT_TRUE(editor.OffersClockOnSelection());

    EXPECT_TRUE(editor.Generate(CounterEntry{250, 255, 2, 4}));
    EXPECT_EQ(editor.Count(), 10u);
    EXPECT_EQ(*editor.Steps()[9], CDigData(254, 4));
    EXPECT_TRUE(editor.Generate(ConstantEntry{0x00A5, 2, 5}));
    EXPECT_EQ(*editor.Steps()[11], CDigData(0xA5, 5));

    // The clock over the counter's steps only: their other bits stay.
    for (size_t i = 0; i < editor.Count(); ++i)
        editor.Select(i, i >= 7 && i <= 9);
    EXPECT_TRUE(editor.Generate(ClockEntry{0x0100, 1, 1, 10, 1, true}));
    EXPECT_EQ(WordsOf(editor), (Words{0x8000, 1, 1, 0, 1, 1, 0, 0x1FA, 252, 0x1FE, 0xA5, 0xA5}));
    editor.Select(7, false);
    editor.Select(8, false);
    EXPECT_FALSE(editor.OffersClockOnSelection()) << "one step selected";
}

TEST(PatternEditor, TheStepLimitStopsGeneratorsAndAdding)
{
    CPatternEditor editor(MakePattern({}));
    EXPECT_TRUE(editor.Generate(ConstantEntry{1, int32_t(kMaxPatternSteps) - 2, 1}));
    EXPECT_FALSE(editor.Generate(CounterEntry{0, 10, 1, 1}));
    EXPECT_EQ(editor.Count(), kMaxPatternSteps);
    EXPECT_EQ(editor.Steps().back()->m_outputWord, 1u) << "the counter's first two steps fit";
    EXPECT_FALSE(editor.AddStep());
    EXPECT_FALSE(editor.Generate(ClockEntry{1, 1, 1, 1, 1, false}));
    EXPECT_EQ(editor.Count(), kMaxPatternSteps);
}

TEST(TriggerPage, WordBoxesAndDontCareBoxesMapToWordAndMask)
{
    // Bit 0 is not in the mask: its "do not care" box 317 is checked.
    CTriggerBoxes boxes(false, 0x0005, 0xFFF0);
    const std::pair<uint32_t, bool> checked[] = {{301, true},  {302, false}, {303, true},
                                                  {317, true},  {321, false}, {333, false}};
    for (const auto& [box, on] : checked)
        EXPECT_EQ(boxes.Checked(box), on) << box;
    EXPECT_FALSE(boxes.Enabled(301));
    EXPECT_TRUE(boxes.Enabled(305));

    const std::pair<uint32_t, bool> changes[] = {{317, false}, {332, true}, {316, true}, {303, false}, {333, true}};
    for (const auto& [box, on] : changes)
        boxes.SetChecked(box, on);
    EXPECT_EQ(boxes.Mask(), 0x7FF1);
    EXPECT_EQ(boxes.Word(), 0x8001);
    EXPECT_TRUE(boxes.On());
    EXPECT_TRUE(boxes.Enabled(301));
    EXPECT_FALSE(boxes.Enabled(316));
    EXPECT_FALSE(boxes.ComparesNothing());

    // Every input marked "do not care" with the trigger on is refused; off, it is fine.
    for (uint32_t box = 317; box <= 332; ++box)
        boxes.SetChecked(box, true);
    EXPECT_TRUE(boxes.ComparesNothing());
    boxes.SetChecked(333, false);
    EXPECT_FALSE(boxes.ComparesNothing());
}

TEST(PageFields, WholeNumbersWithinBoundsOrAMessage)
{
    EXPECT_EQ(JudgeField(u"12", 1, 65535).value, 12);
    const FieldEntry high = JudgeField(u"70000", 1, 65535);
    EXPECT_FALSE(high.value);
    EXPECT_EQ(high.messageId, kTextAboveMaximum);
    EXPECT_EQ(high.argument, u"65535");
    EXPECT_EQ(JudgeField(u"0", 1, 65535).messageId, kTextBelowMinimum);
    EXPECT_EQ(JudgeField(u"x", 1, 65535).messageId, kTextNotANumber);
    EXPECT_EQ(JudgeField(u"", 1, 65535).messageId, kTextNotANumber);
}

}  // namespace
