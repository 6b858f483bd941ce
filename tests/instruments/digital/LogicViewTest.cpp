// The logic analyzer's timing diagram without a window: the rows' bands and
// levels, the edges of input and output rows in time, the cursor's texts and
// the pane's stored settings.
#include <gtest/gtest.h>

#include "../../charts/RecordingCanvas.h"
#include "../../framework/ArchiveTestUtil.h"
#include "framework/Exception.h"
#include "instruments/digital/LogicView.h"

namespace {

using Pattern = std::vector<std::unique_ptr<CDigData>>;

Pattern MakePattern(std::initializer_list<std::pair<uint32_t, int32_t>> steps)
{
    Pattern pattern;
    for (const auto& [word, count] : steps)
        pattern.push_back(std::make_unique<CDigData>(word, count));
    return pattern;
}

// A row axis showing minimum to maximum over pixels 0 (top) to 100.
CAxis RowAxis(double minimum, double maximum)
{
    CAxis axis(false);
    axis.SetRangeSet({minimum, maximum, 1, 1});
    RecordingCanvas canvas;
    axis.Layout(canvas, 96, 96);
    axis.SetPixelExtent(0, 100);
    return axis;
}

TEST(DigRows, VisibleRowsTakeTheBandsInOrderInputsFirst)
{
    DigRowVisibility visible{};
    visible[17] = visible[2] = visible[25] = visible[5] = true;
    const auto bands = PackRowBands(visible, RowAxis(0, 4));
    ASSERT_EQ(bands.size(), 4u);
    const int rows[] = {2, 5, 17, 25};
    for (size_t k = 0; k < 4; ++k) {
        EXPECT_EQ(bands[k].row, rows[k]);
        EXPECT_EQ(bands[k].top, int32_t(25 * k));
        EXPECT_EQ(bands[k].bottom, int32_t(25 * k + 25));
        EXPECT_EQ(bands[k].low, bands[k].bottom);
        // Two thirds of 25 pixels round to 17.
        EXPECT_EQ(bands[k].high, bands[k].bottom - 17);
    }
    // Zoomed to the upper half of the axis: the first two rows fill the plot.
    const auto zoomed = PackRowBands(visible, RowAxis(2, 4));
    EXPECT_EQ(zoomed[0].top, 0);
    EXPECT_EQ(zoomed[1].bottom, 100);
    EXPECT_EQ(zoomed[2].top, 100) << "below the plot";
    EXPECT_EQ(zoomed[2].bottom, 150);

    const DigRowVisibility first = DefaultRowVisibility();
    EXPECT_EQ(VisibleRowCount(first), 16);
    EXPECT_TRUE(first[7] && first[16] && first[23]);
    EXPECT_FALSE(first[8] || first[15] || first[24] || first[31]);
    EXPECT_EQ(DigRowName(0), u"I0");
    EXPECT_EQ(DigRowName(31), u"Q15");
}

TEST(DigTraces, InputRowsFlipWhereTheirBitChangesOutputRowsWhereTheirStepDoes)
{
    const std::vector<uint16_t> samples = {0b01, 0b11, 0b10, 0b10, 0b01};
    const auto bit0 = InputTrace(samples, 0, 0.5);
    ASSERT_TRUE(bit0);
    EXPECT_EQ(*bit0, (DigTrace{true, {1.0, 2.0}, 2.5}));
    EXPECT_EQ(*InputTrace(samples, 1, 0.5), (DigTrace{false, {0.5, 2.0}, 2.5}));
    EXPECT_EQ(*InputTrace(samples, 15, 0.5), (DigTrace{false, {}, 2.5}));
    EXPECT_FALSE(InputTrace({}, 0, 0.5));

    // Output steps start at the sum of the earlier repeat counts.
    const Pattern pattern = MakePattern({{1, 3}, {1, 2}, {0, 4}, {0x8001, 1}});
    EXPECT_EQ(*OutputTrace(pattern, 0, 0.25), (DigTrace{true, {1.25, 2.25}, 2.5}));
    EXPECT_EQ(*OutputTrace(pattern, 15, 0.25), (DigTrace{false, {2.25}, 2.5}));
    // A step held for no interval leaves no edge.
    const Pattern blip = MakePattern({{0, 2}, {1, 0}, {0, 2}});
    EXPECT_EQ(*OutputTrace(blip, 0, 1.0), (DigTrace{false, {}, 4.0}));
    EXPECT_FALSE(OutputTrace(Pattern{}, 0, 1.0));
}

TEST(DigCursor, ReadoutFormatsAndPositions)
{
    const std::vector<uint16_t> samples = {7, 300, 0xBEEF};
    DigCursorReadout r = CursorReadout(samples, uint16_t(42), 1, false);
    EXPECT_EQ(r.input, u"  300");
    EXPECT_EQ(r.output, u"   42");
    EXPECT_EQ(r.position, u"    2");
    r = CursorReadout(samples, uint16_t(0x2A), 2, true);
    EXPECT_EQ(r.input, u" BEEF");
    EXPECT_EQ(r.output, u"   2A");
    r = CursorReadout(samples, std::nullopt, 3, false);
    EXPECT_EQ(r.input, u"-----");
    EXPECT_EQ(r.output, u"-----");
    EXPECT_EQ(r.position, u"    4");

    EXPECT_DOUBLE_EQ(CursorTime(3, 0.5), 1.75);
    EXPECT_EQ(LastCursorIndex(10, 25), 24);
    EXPECT_EQ(LastCursorIndex(10, 0), 9);
    EXPECT_EQ(LastCursorIndex(0, 0), 0);
}

TEST(LogicPane, SampleIntervalChoicesAndStoredFitFlag)
{
    EXPECT_EQ(SampleIntervalChoice(1), 0);
    EXPECT_EQ(SampleIntervalChoice(100), 6);
    EXPECT_EQ(SampleIntervalChoice(50000), 14);
    EXPECT_EQ(SampleIntervalChoice(3), -1);

    for (bool stored : {false, true}) {
        const Bytes bytes = StoreBytes([&](CArchive& ar) { SerializeLogicPane(ar, stored); });
        EXPECT_EQ(bytes, (Bytes{1, 0, 0, 0, uint8_t(stored)}));
        bool loaded = !stored;
        LoadBytes(bytes, [&](CArchive& ar) { SerializeLogicPane(ar, loaded); });
        EXPECT_EQ(loaded, stored);
    }
    bool fit = true;
    EXPECT_THROW(LoadBytes({2, 0, 0, 0, 0}, [&](CArchive& ar) { SerializeLogicPane(ar, fit); }), CArchiveException);
    EXPECT_TRUE(fit) << "a version it does not know changes nothing";
}

}  // namespace
