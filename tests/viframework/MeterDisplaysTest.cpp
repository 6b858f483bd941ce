// Meter displays: the read-out with its bar graph, the pointer meter, bars,
// the sliding scale and status lamps.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>

#include "ControlTestUtil.h"
#include "PanelFakes.h"
#include "viframework/controls/AnalogMeter.h"
#include "viframework/controls/Progress.h"
#include "viframework/controls/SlidingScale.h"
#include "viframework/controls/StatusLamp.h"
#include "viframework/controls/ValueDisplay.h"

namespace {

// ---------------------------------------------------------------- meter read-out

const ValueScaleMark kLabelledMarks[] = {{0, "0"}, {5, "50"}, {10, ""}};
const ValueScaleMark kPlainMarks[] = {{4, ""}};
const ValueDisplayRange kRanges[] = {
    {100, 1000, kLabelledMarks, "%5.1lf"},
    {10, 1, kPlainMarks, "%6.2lf"},
    {0, 0, nullptr, nullptr},
};

void LoadState(CHotValueDisplay& display, const Bytes& state)
{
    CMemFile file(state.data(), state.size());
    CArchive ar(&file, CArchive::load);
    display.SerializeState(ar);
}

TEST(ValueDisplay, FactorScalesTheValueForTextAndBar)
{
    CHotValueDisplay display;
    display.m_rect = {0, 0, 187, 120};
    display.SetRanges(kRanges, 0);
    EXPECT_EQ(display.RangeCount(), 2u);
    EXPECT_TRUE(display.SetValue(0.0123));
    EXPECT_EQ(display.Text(), u" 12.3");
    EXPECT_DOUBLE_EQ(display.ShownValue(), 12.3);
    EXPECT_EQ(display.BarLength(), int32_t(147 * 12.3 / 100 + 0.5));
    EXPECT_FALSE(display.SetValue(0.0123));

    // Over full scale or negative, the bar shows the magnitude up to its end.
    display.SetValue(-0.5);
    EXPECT_EQ(display.BarLength(), 147);
}

TEST(ValueDisplay, BarScaleTicksLabelsAndBaseline)
{
    RecordingSkin skin;
    RecordingGraphics g;
    CHotValueDisplay display;
    display.m_rect = {0, 0, 187, 120};
    display.SetRanges(kRanges, 2);
    display.SetValue(0.05);
    display.Draw(g, skin);

    auto barsOf = [](const RecordingGraphics& drawn) {
        std::vector<RectF> bars;
        for (const auto* call : drawn.Of("FillRectangle"))
            if (call->brush.colour1 == CHotValueDisplay::kBarColour)
                bars.push_back(call->rect);
        return bars;
    };
    const std::vector<RectF> bars = barsOf(g);
    std::vector<RectF> ticks;
    for (const auto* call : g.Of("FillRectangle"))
        if (call->brush.colour1 == 0xFF000000u && call->rect.width == 2)
            ticks.push_back(call->rect);
    ASSERT_EQ(bars.size(), 1u);
    EXPECT_FLOAT_EQ(bars[0].x, 20);
    EXPECT_FLOAT_EQ(bars[0].y + bars[0].height, 120 - 37);
    EXPECT_FLOAT_EQ(bars[0].width, float(int32_t(147 * 50.0 / 100 + 0.5)));
    ASSERT_EQ(ticks.size(), 11u);
    EXPECT_FLOAT_EQ(ticks[0].height, 13);   // "0"
    EXPECT_FLOAT_EQ(ticks[1].height, 10);
    EXPECT_FLOAT_EQ(ticks[5].height, 13);   // "50"
    EXPECT_FLOAT_EQ(ticks[5].x + 1, 20 + 147 * 5 / 10.0f);
    std::vector<CString> labels;
    for (const auto* call : g.Of("DrawString"))
        labels.push_back(call->text);
    EXPECT_NE(std::find(labels.begin(), labels.end(), u"50"), labels.end());

    // Without labels the bar sits lower.
    RecordingGraphics plain;
    display.SetRange(1);
    display.SetValue(5);
    display.Draw(plain, skin);
    const std::vector<RectF> plainBars = barsOf(plain);
    ASSERT_EQ(plainBars.size(), 1u);
    EXPECT_FLOAT_EQ(plainBars[0].y + plainBars[0].height, 120 - 30);
}

TEST(ValueDisplay, DigitsLightTheirSegmentsAndDecimalPointAndAPressCopiesThem)
{
    RecordingSkin skin;
    RecordingGraphics g;
    CHotValueDisplay display;
    display.m_rect = {0, 0, 187, 80};
    display.SetText(u" 12.3");
    display.Draw(g, skin);
    size_t lit = 0, all = 0;
    for (const auto* call : g.Of("FillPolygon")) {
        ++all;
        lit += call->brush.colour1 == 0xFF000000u;
    }
    EXPECT_EQ(all, 5u * 7u);
    EXPECT_EQ(lit, 2u + 5u + 5u);
    bool point = false;
    for (const auto* call : g.Of("FillRectangle"))
        point |= call->rect.width == 4 && call->rect.x == 10 + 33 * 3 && call->rect.y == 54;
    EXPECT_TRUE(point);

    ScriptedHost host;
    EXPECT_FALSE(display.OnPress(host));
    EXPECT_EQ(host.clipboard, u" 12.3");
}

TEST(ValueDisplay, StateRoundTripAndVersionOne)
{
    CHotValueDisplay display;
    display.SetRanges(kRanges, 0);
    display.SetRange(1);
    display.SetDigits(6);
    CMemFile file;
    {
        CArchive ar(&file, CArchive::store);
        display.SerializeState(ar);
    }
    EXPECT_EQ(file.Data(), Join({Encode(uint32_t(2), uint8_t(1), uint32_t(6))}));

    CHotValueDisplay back;
    back.SetText(u"12345");
    LoadState(back, file.Data());
    EXPECT_EQ(back.RangeIndex(), 1u);
    EXPECT_EQ(back.DigitCount(), 6u);
    EXPECT_EQ(back.Text(), u"      ");

    CHotValueDisplay older;
    LoadState(older, Encode(uint32_t(1), uint8_t(2)));
    EXPECT_EQ(older.RangeIndex(), 2u);
    EXPECT_EQ(older.DigitCount(), 5u);
    EXPECT_EQ(older.Text(), u"     ");
}

TEST(ValueDisplay, StateTakesEveryDigitCountAPanelHoldsAndAutoSizeFollowsDigitsUnlessFlagged)
{
    auto load = [](uint32_t digits) {
        auto display = std::make_unique<CHotValueDisplay>();
        LoadState(*display, Encode(uint32_t(2), uint8_t(0), digits));
        return display;
    };
    RecordingSkin skin;
    for (uint32_t digits : {0u, 16u, 992u}) {
        const auto display = load(digits);
        EXPECT_EQ(display->DigitCount(), digits);
        display->AutoSize();
        EXPECT_EQ(display->m_rect.Width(), int32_t(20 + 33 * digits));
        RecordingGraphics g;
        display->Draw(g, skin);
        EXPECT_EQ(g.Count("FillPolygon"), 7u * digits);
    }
    // Wider than any panel: damage.
    EXPECT_THROW(load(993), CArchiveException);
    EXPECT_THROW(load(0x80000000u), CArchiveException);

    // The flag keeps the size the layout gave.
    CHotValueDisplay display;
    display.m_rect = {10, 10, 50, 50};
    display.SetDigits(4);
    display.AutoSize();
    EXPECT_EQ(display.m_rect, (CRect{10, 10, 10 + 20 + 4 * 33, 10 + 80}));
    display.SetFlag(kHotDefaultCursor, true);
    display.m_rect = {10, 10, 50, 50};
    display.AutoSize();
    EXPECT_EQ(display.m_rect, (CRect{10, 10, 50, 50}));
}

TEST(AnalogMeter, ResetMovesToRestOnlyBeyondTheThreshold)
{
    const struct {
        double minimum, maximum, value;
        float divisor;
        uint8_t restAtZero;
        bool moves;
        double after;
    } cases[] = {
        {0, 150, 50, 1, 1, true, 0},       {0, 150, 0.1, 1, 1, false, 0.1},  // threshold 0.15
        {0, 150, 0.1, 1000, 1, true, 0},   {10, 50, 30, 1, 1, true, 10},     // zero outside: the minimum
        {-20, -5, -10, 1, 1, true, -20},   {-50, 50, 0.09, 1, 1, false, 0.09},
        {-50, 50, 0.11, 1, 1, true, 0},    {-50, 50, 20, 1, 0, true, -50},
    };
    for (const auto& c : cases) {
        CHotAnalogMeter meter;
        meter.m_minimum = c.minimum;
        meter.m_maximum = c.maximum;
        meter.m_divisor = c.divisor;
        meter.m_restAtZero = c.restAtZero;
        meter.SetValue(c.value);
        EXPECT_EQ(meter.Reset(), c.moves) << c.minimum << ".." << c.maximum << " at " << c.value;
        EXPECT_DOUBLE_EQ(meter.Value(), c.after);
    }
}

TEST(AnalogMeter, FaceIsTheLargestSquareShrunkByThreePercent)
{
    CHotAnalogMeter meter;
    meter.m_rect = {100, 50, 300, 150};
    EXPECT_EQ(meter.FaceRect(), (CRect{56, 6, 144, 94}));
    // Less than half a turn: the face may reach below the control.
    meter.m_startAngle = 100 * std::numbers::pi / 180;
    meter.m_endAngle = 260 * std::numbers::pi / 180;
    EXPECT_EQ(meter.FaceRect(), (CRect{6, 6, 194, 194}));
}

TEST(AnalogMeter, ScaleTicksFollowTheAngleRule)
{
    CHotAnalogMeter meter;
    meter.m_rect = {0, 0, 200, 100};
    const auto ticks = meter.ScaleTicks();
    const auto majors = std::count_if(ticks.begin(), ticks.end(), [](const MeterTick& t) { return t.major; });
    EXPECT_EQ(majors, 16);                  // 0, 10, ..., 150
    EXPECT_EQ(ticks.size(), 16u + 15u * 4u);  // no minor ticks past the maximum
    EXPECT_EQ(ticks.front().label, u"0");
    EXPECT_EQ(ticks.back().label, u"150");

    // Face radius 44 at (100, 50); scale radius 44 - 10.
    const MeterTick& first = ticks.front();
    EXPECT_NEAR(std::hypot(first.outer.x - 100, first.outer.y - 50), 34, 1e-3);
    EXPECT_NEAR(std::hypot(first.inner.x - 100, first.inner.y - 50), 34 - 4.4, 1e-3);
    EXPECT_NEAR(first.outer.x, 100 - 34 * 0.5, 1e-3);  // 30 degrees left of straight down
    EXPECT_GT(first.outer.y, 50);
    const PointF top = meter.PointAt(75, 34);
    EXPECT_NEAR(top.x, 100, 1e-3);
    EXPECT_NEAR(top.y, 50 - 34, 1e-3);
    const PointF end = ticks.back().outer;
    EXPECT_NEAR(end.x, 100 + 34 * 0.5, 1e-3);

    // A major tick may stand just past the maximum, within 5 % of a step.
    meter.m_maximum = 149.6;
    EXPECT_EQ(meter.ScaleTicks().back().label, u"150");
    meter.m_maximum = 145;
    meter.m_decimals = 1;
    const auto fewer = meter.ScaleTicks();
    EXPECT_EQ(fewer.back().major ? fewer.back().label : u"minor", u"minor");
    EXPECT_EQ(fewer.front().label, u"0.0");
}

TEST(AnalogMeter, DrawsTheNeedleInItsColour)
{
    RecordingSkin skin;
    RecordingGraphics g;
    CHotAnalogMeter meter;
    meter.m_rect = {0, 0, 200, 200};
    meter.SetValue(75);
    meter.Draw(g, skin);
    bool needle = false;
    for (const auto* call : g.Of("FillPolygon"))
        needle |= call->brush.colour1 == meter.m_needleColour;
    EXPECT_TRUE(needle);
    EXPECT_EQ(g.Count("PushClip"), g.Count("PopClip"));
}

TEST(Progress, ResetGoesToTheLowerEndAndBothStylesDrawTheBarInProportion)
{
    CHotProgress bar;
    bar.SetRange(20, 80);
    bar.SetValue(50);
    EXPECT_DOUBLE_EQ(bar.Fraction(), 0.5);
    EXPECT_TRUE(bar.Reset());
    EXPECT_EQ(bar.Value(), 20);
    EXPECT_FALSE(bar.Reset());
    bar.SetRange(80, 20);
    bar.SetValue(50);
    EXPECT_TRUE(bar.Reset());
    EXPECT_EQ(bar.Value(), 20);

    RecordingSkin skin;
    bar.SetRange(0, 100);
    bar.m_rect = {0, 0, 108, 20};
    bar.SetValue(25);
    bar.m_style = 0;
    RecordingGraphics box;
    bar.Draw(box, skin);
    const auto fills = box.Of("FillRectangle");
    ASSERT_EQ(fills.size(), 2u);
    EXPECT_FLOAT_EQ(fills[1]->rect.width, 25.0f);  // a quarter of 108 - 2 x 4
    EXPECT_EQ(fills[1]->brush.colour1, bar.m_colours[0]);

    bar.m_style = 1;
    bar.SetText(u"25 %");
    RecordingGraphics slim;
    bar.Draw(slim, skin);
    EXPECT_EQ(slim.Count("DrawString"), 1u);
    const auto rounded = slim.Of("FillRoundedRectangle");
    ASSERT_EQ(rounded.size(), 2u);
    EXPECT_FLOAT_EQ(rounded[1]->rect.width, rounded[0]->rect.width / 4);
    EXPECT_FLOAT_EQ(rounded[0]->rect.height, 12);
}

TEST(SlidingScale, TheValueSitsUnderThePointer)
{
    RecordingSkin skin;
    CHotSlidingScale scale;
    scale.m_rect = {0, 0, 200, 60};
    scale.SetValue(42);
    EXPECT_FLOAT_EQ(scale.PositionOf(42), 100);
    EXPECT_FLOAT_EQ(scale.PositionOf(92), 200);
    EXPECT_FALSE(scale.SetValue(42));

    // Labels need 36 units ("100" at 0.6 x 18 each, and a margin) where
    // major ticks stand 20 apart: every second one gets its label.
    RecordingGraphics g;
    scale.SetValue(40);
    scale.Draw(g, skin);
    std::vector<CString> labels;
    for (const auto* call : g.Of("DrawString")) {
        labels.push_back(call->text);
        if (call->text == u"40") {
            EXPECT_FLOAT_EQ(call->rect.x + call->rect.width / 2, 100);
        }
    }
    EXPECT_EQ(labels, (std::vector<CString>{u"0", u"20", u"40", u"60", u"80", u"100"}));
}

TEST(Status, ReportsChangesAndDrawsTheSkinsStyleOrItsOwnLook)
{
    CHotStatus lamp;
    EXPECT_FALSE(lamp.Reset());
    EXPECT_TRUE(lamp.SetLit(true));
    EXPECT_FALSE(lamp.SetLit(true));
    EXPECT_TRUE(lamp.Reset());
    EXPECT_FALSE(lamp.IsLit());

    RecordingSkin skin;
    lamp.m_rect = {0, 0, 21, 21};
    lamp.SetStyle(2);
    lamp.SetLit(true);
    RecordingGraphics g;
    lamp.Draw(g, skin);
    ASSERT_EQ(skin.lamps.size(), 1u);
    EXPECT_EQ(skin.lamps[0].style, 2u);
    EXPECT_TRUE(skin.lamps[0].lit);

    auto look = std::make_unique<CHotStatusInfo>();
    look->m_size = 30;
    lamp.SetOwnLook(std::move(look));
    EXPECT_EQ(lamp.m_naturalWidth, 30);
    RecordingGraphics own;
    lamp.Draw(own, skin);
    EXPECT_EQ(skin.lamps.size(), 1u);
    ASSERT_EQ(own.Count("FillEllipse"), 1u);
    EXPECT_FLOAT_EQ(own.calls[0].rect.x, 1);
    EXPECT_FLOAT_EQ(own.calls[0].rect.width, 19);
    EXPECT_EQ(own.calls[0].brush.colour1, 0xFFFFFFFFu);  // the lit look's centre
}

}  // namespace
