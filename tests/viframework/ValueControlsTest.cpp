// The value controls: knob, slider, scroll bar, up/down keys and the value
// field. Presses run on a scripted pointer and a clock that only moves while
// the control waits.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <optional>
#include <vector>

#include "ControlTestUtil.h"
#include "PanelFakes.h"
#include "viframework/TouchSettings.h"
#include "viframework/controls/AutoRepeat.h"
#include "viframework/controls/ControlMath.h"
#include "viframework/controls/Knob.h"
#include "viframework/controls/PanelLayout.h"
#include "viframework/controls/ScrollBar.h"
#include "viframework/controls/Slider.h"
#include "viframework/controls/UpDownButton.h"
#include "viframework/controls/ValueField.h"

namespace {

// Notes every value-control slot in order, the scroll part it carries and
// the clock at each scroll; `during` runs at every repaint request.
class SlotSink : public RecordingSink {
public:
    explicit SlotSink(ScriptedHost& host) : m_host(host) {}
    void OnSliderBegin(CHotspot&) override { slots.push_back(4); }
    void OnSliderChanging(CHotspot&) override { slots.push_back(5); }
    void OnSliderEnd(CHotspot&) override { slots.push_back(6); }
    void OnKnobBegin(CHotspot&) override { slots.push_back(7); }
    void OnKnobChanging(CHotspot&) override { slots.push_back(8); }
    void OnKnobEnd(CHotspot&) override { slots.push_back(9); }
    void OnScroll(CHotspot&, int32_t part) override
    {
        slots.push_back(10);
        parts.push_back(part);
        times.push_back(m_host.now);
    }
    void OnHotspotInvalidate(CHotspot& h) override
    {
        RecordingSink::OnHotspotInvalidate(h);
        if (during)
            during(h);
    }

    std::vector<int> slots;
    std::vector<int32_t> parts;
    std::vector<uint32_t> times;
    std::function<void(CHotspot&)> during;

private:
    ScriptedHost& m_host;
};

// A press at `at` that the script then moves through `path` (one step each
// 10 ms) and releases where it ends.
void Script(ScriptedHost& host, CPoint at, std::vector<CPoint> path, uint32_t releaseAt = 0)
{
    host.pointer = at;
    uint32_t t = 0;
    for (CPoint p : path)
        host.Move(t += 10, p);
    host.Release(std::max(releaseAt, t + 10), path.empty() ? at : path.back());
}

const std::vector<uint32_t> kRepeatTimes = {0, 500, 900, 1200, 1400, 1500, 1510, 1520};

}  // namespace

TEST(ControlMath, MulDivRoundsHalfAwayFromZeroAndRefusesWhatDoesNotFit)
{
    struct Case {
        int32_t a, b, c, expected;
    } cases[] = {
        {100, 50, 200, 25}, {5, 1, 2, 3}, {-5, 1, 2, -3}, {7, 3, 2, 11}, {10, 3, -4, -8}, {54, 33, 100, 18},
        {1, 1, 3, 0},       {1, 1, 0, -1}, {INT32_MAX, 2, 1, -1}, {INT32_MAX, INT32_MAX, INT32_MAX, INT32_MAX},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MulDiv(c.a, c.b, c.c), c.expected) << c.a << " " << c.b << " " << c.c;
    EXPECT_EQ(LimitTo(5, 10, 0), 10);  // upside down: never outside the two numbers
    EXPECT_EQ(LimitTo(int64_t(INT32_MAX) + 5, 0, 100), 100);
    EXPECT_EQ(SpanOf(INT32_MIN, INT32_MAX), INT32_MAX);
    EXPECT_EQ(SpanOf(10, 0), 0);

    // A repeat with zero delays still waits.
    CAutoRepeat repeat(0, 0, 0);
    EXPECT_TRUE(repeat.Due(7));
    EXPECT_FALSE(repeat.Due(7));
    EXPECT_EQ(repeat.Wait(7), 1u);
    EXPECT_TRUE(repeat.Due(8));
}

TEST(Knob, PointerDirectionGivesTheValue)
{
    CHotKnob knob;
    knob.PlaceAt(0, 0);
    ASSERT_EQ(knob.Centre(), (CPoint{100, 100}));
    struct Case {
        CPoint at;
        int32_t minimum, maximum;
        std::optional<int32_t> expected;
    } cases[] = {
        {{10, 100}, 0, 100, 16},     // left: 45° of 270°
        {{100, 10}, 0, 100, 50},     // above
        {{190, 100}, 0, 100, 83},    // right
        {{150, 190}, 0, 100, 100},   // lower right, past 270°
        {{100, 190}, 0, 100, 0},     // straight below: -45°
        {{20, 180}, 0, 100, 0},      // lower left
        {{100, 100}, 0, 100, {}},    // the centre has no direction
        {{10, 100}, 20, 120, 36},    // the minimum is where the scale starts
        {{100, 10}, 20, 120, 70},
        {{150, 190}, 20, 120, 120},
        {{100, 10}, 50, 50, 50},     // an empty range stays put
        {{100, 10}, 100, 0, 100},    // upside down: one of its ends
    };
    for (const Case& c : cases) {
        knob.SetRange(c.minimum, c.maximum);
        EXPECT_EQ(knob.ValueAt(c.at), c.expected) << c.at.x << "," << c.at.y << " " << c.minimum;
    }
}

TEST(Knob, DragReportsBeginChangesAndEndAndNeverCrossesTheGap)
{
    ScriptedHost host;
    SlotSink sink(host);
    CHotKnob knob;
    knob.PlaceAt(0, 0);
    knob.m_notifySink = &sink;
    Script(host, {10, 100}, {{100, 10}, {100, 12}});
    EXPECT_TRUE(knob.OnPress(host));
    EXPECT_EQ(knob.Value(), 50);
    EXPECT_EQ(sink.slots, (std::vector<int>{7, 8, 8, 9}));  // 16, then 50; the last move stays at 50
    EXPECT_FALSE(knob.IsPressed());
    EXPECT_FALSE(host.captured);

    // At the maximum, across the bottom to the lower left: no jump to 0.
    knob.SetValue(100);
    sink.slots.clear();
    Script(host, {150, 190}, {{150, 195}, {100, 195}, {20, 180}});
    knob.OnPress(host);
    EXPECT_EQ(knob.Value(), 100);
    EXPECT_EQ(sink.slots, (std::vector<int>{7, 9}));

    // A press on the centre changes nothing.
    Script(host, {100, 100}, {});
    knob.OnPress(host);
    EXPECT_EQ(knob.Value(), 100);

    EXPECT_TRUE(knob.Reset());
    EXPECT_EQ(knob.Value(), 0);
    EXPECT_FALSE(knob.Reset());
}

TEST(Knob, PointerTipLiesWhereTheAngleRuleSays)
{
    CVISkinManager skin;
    CHotKnob knob;
    knob.PlaceAt(0, 0);
    knob.m_pointerColour = 0xFFFF0000u;
    knob.m_scaleColour = 0xFF0000FFu;
    for (int32_t value : {0, 50, 100, 25}) {
        SCOPED_TRACE(value);
        knob.SetValue(value);
        const double angle = (135 + value * 270 / 100) / 57.29577951308232;  // the integer rule, then radians
        ImageGraphics g(200, 200);
        knob.Draw(g, skin);
        // Whether the pointer's colour is within a pixel of radius r on the pointer's line.
        auto pointerNear = [&](double r) {
            const int32_t x = int32_t(std::floor(100 + r * std::cos(angle)));
            const int32_t y = int32_t(std::floor(100 + r * std::sin(angle)));
            for (int32_t dy = -1; dy <= 1; ++dy)
                for (int32_t dx = -1; dx <= 1; ++dx)
                    if (g.image.Pixel(x + dx, y + dy) == knob.m_pointerColour)
                        return true;
            return false;
        };
        EXPECT_TRUE(pointerNear(89));  // the tip is at 90 = width / 2 - 10
        EXPECT_TRUE(pointerNear(40));
        EXPECT_FALSE(pointerNear(94));
        EXPECT_FALSE(pointerNear(-60));
    }
}

TEST(Slider, DragMovesTheValueByTheWayAlongTheTrack)
{
    struct Case {
        const char* name;
        CRect rect;
        int32_t start;
        CPoint to;  // the press is at (100, 100)
        int32_t expected;
    } cases[] = {
        {"50 units of 200 add 25", {0, 88, 212, 112}, 0, {150, 100}, 25},
        {"one unit is half a step, rounded up", {0, 88, 212, 112}, 40, {101, 100}, 41},
        {"three units back", {0, 88, 212, 112}, 40, {97, 100}, 39},
        {"across the pointer's other axis nothing", {0, 88, 212, 112}, 40, {100, 10}, 40},
        {"beyond the end is the maximum", {0, 88, 212, 112}, 40, {5000, 100}, 100},
        {"before the start is the minimum", {0, 88, 212, 112}, 40, {-5000, 100}, 0},
        {"standing: upwards grows", {88, 0, 112, 212}, 0, {100, 50}, 25},
        {"standing: downwards shrinks", {88, 0, 112, 212}, 60, {100, 140}, 40},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedHost host;
        SlotSink sink(host);
        CHotSlider slider;
        slider.m_rect = c.rect;
        slider.m_notifySink = &sink;
        slider.SetValue(c.start);
        ASSERT_EQ(slider.TrackLength(), 200);
        bool draggingLook = false;
        sink.during = [&](CHotspot& h) { draggingLook |= slider.IsDragging() && h.PaintMargin() == 3; };
        Script(host, {100, 100}, {c.to});
        EXPECT_TRUE(slider.OnPress(host));
        EXPECT_EQ(slider.Value(), c.expected);
        const bool changed = c.expected != c.start;
        EXPECT_EQ(sink.slots, changed ? (std::vector<int>{4, 5, 6}) : (std::vector<int>{4, 6}));
        EXPECT_TRUE(draggingLook);
        EXPECT_FALSE(slider.IsDragging());
        EXPECT_FALSE(host.captured);
    }
}

TEST(Slider, LoadedValueIsTheRestAndShadesFollowTheBar)
{
    CHotSlider stored;
    stored.SetRange(-10, 10);
    stored.SetValue(7);
    stored.m_colours[0] = 0xFF112233u;
    CHotSlider slider;
    LoadRecord(slider, StoreRecord(stored));
    EXPECT_EQ(slider.Value(), 7);
    EXPECT_EQ(slider.RestValue(), 7);
    EXPECT_EQ(slider.Shades(), (std::array<Argb, 4>{0xC8112233u, 0xE6112233u, 0xFF112233u, 0x64112233u}));

    slider.SetValue(-3);
    EXPECT_TRUE(slider.Reset());
    EXPECT_EQ(slider.Value(), 7);
    slider.SetRange(-10, 5);
    EXPECT_TRUE(slider.Reset());
    EXPECT_EQ(slider.Value(), 5);  // the rest value held to the range
    EXPECT_FALSE(slider.Reset());
}

TEST(ScrollBar, PartsAndThumbInBothOrientations)
{
    CHotScrollBar bar;
    bar.m_rect = {0, 0, 100, 17};
    using P = CHotScrollBar::Part;
    const std::pair<CPoint, P> horizontal[] = {
        {{5, 8}, P::kPartDecrease}, {{16, 8}, P::kPartDecrease}, {{17, 8}, P::kPartThumb}, {{28, 8}, P::kPartThumb},
        {{29, 8}, P::kPartTrack},   {{83, 8}, P::kPartTrack},    {{84, 8}, P::kPartIncrease}, {{120, 8}, P::kPartNone},
    };
    for (const auto& [at, part] : horizontal)
        EXPECT_EQ(bar.PartAt(at), part) << at.x;
    // The thumb's free way is 100 - 2 × 17 - 12 = 54 units.
    const std::pair<int32_t, int32_t> leftEdges[] = {{0, 17}, {33, 35}, {50, 44}, {100, 71}, {250, 71}, {-9, 17}};
    for (const auto& [value, left] : leftEdges) {
        bar.SetValue(value);
        EXPECT_EQ(bar.ThumbRect(), (CRect{left, 0, left + 12, 17})) << value;
    }

    bar.m_horizontal = 0;
    bar.m_rect = {0, 0, 17, 100};
    bar.SetValue(0);
    const std::pair<CPoint, P> vertical[] = {
        {{8, 99}, P::kPartDecrease}, {{8, 84}, P::kPartDecrease}, {{8, 83}, P::kPartTrack},
        {{8, 82}, P::kPartThumb},    {{8, 16}, P::kPartIncrease}, {{8, 17}, P::kPartTrack},
    };
    for (const auto& [at, part] : vertical)
        EXPECT_EQ(bar.PartAt(at), part) << at.y;
    for (const auto& [value, offset] : leftEdges) {
        bar.SetValue(value);
        const int32_t bottom = 100 - offset;  // mirrored: the value grows upwards
        EXPECT_EQ(bar.ThumbRect(), (CRect{0, bottom - 12, 17, bottom})) << value;
    }
}

TEST(ScrollBar, ArrowsRepeatFasterUntilReleasedOrLeft)
{
    struct Case {
        const char* name;
        int32_t start;
        CPoint press;
        bool leave;  // the pointer leaves the bar at 600 ms
        std::vector<uint32_t> times;
        int32_t part;
    } cases[] = {
        {"increase, held", 0, {90, 8}, false, kRepeatTimes, 1},
        {"decrease, held", 1000, {5, 8}, false, kRepeatTimes, 0},
        {"leaving ends it", 0, {90, 8}, true, {0, 500}, 1},
        {"at the maximum nothing moves", 1000, {90, 8}, false, {}, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedHost host;
        SlotSink sink(host);
        CHotScrollBar bar;
        bar.m_rect = {0, 0, 100, 17};
        bar.m_notifySink = &sink;
        bar.SetRange(0, 1000);
        bar.SetValue(c.start);
        host.pointer = c.press;
        if (c.leave)
            host.Move(600, {90, 30});
        host.Release(1525, c.leave ? CPoint{90, 30} : c.press);
        EXPECT_TRUE(bar.OnPress(host));
        EXPECT_EQ(sink.times, c.times);
        EXPECT_EQ(sink.parts, std::vector<int32_t>(sink.times.size(), c.part));
        const int32_t moved = int32_t(sink.times.size());
        EXPECT_EQ(bar.Value(), c.part == 1 ? std::min(c.start + moved, 1000) : c.start - moved);
        EXPECT_EQ(bar.PressedPart(), CHotScrollBar::kPartNone);
        EXPECT_FALSE(host.captured);
    }
}

TEST(ScrollBar, ThumbFollowsThePointerAndTheTrackTakesNoPress)
{
    for (bool horizontal : {true, false}) {
        SCOPED_TRACE(horizontal);
        ScriptedHost host;
        SlotSink sink(host);
        CHotScrollBar bar;
        bar.m_horizontal = horizontal;
        bar.m_rect = horizontal ? CRect{0, 0, 100, 17} : CRect{0, 0, 17, 100};
        bar.m_notifySink = &sink;
        // 33 of the 66 units between the arrows is half the range.
        const CPoint thumb = horizontal ? CPoint{20, 8} : CPoint{8, 80};
        const CPoint half = horizontal ? CPoint{53, 8} : CPoint{8, 47};
        const CPoint far = horizontal ? CPoint{900, 40} : CPoint{40, -900};
        std::vector<uint8_t> alphas;
        sink.during = [&](CHotspot&) { alphas.push_back(bar.ThumbAlpha()); };
        Script(host, thumb, {half, far});
        EXPECT_TRUE(bar.OnPress(host));
        EXPECT_EQ(bar.Value(), 100);
        EXPECT_EQ(sink.parts, (std::vector<int32_t>{5, 5}));
        EXPECT_EQ(alphas.front(), 255);
        EXPECT_EQ(alphas.back(), 200);

        const CPoint track = horizontal ? CPoint{40, 8} : CPoint{8, 60};
        ASSERT_EQ(bar.PartAt(track), CHotScrollBar::kPartTrack);
        host.pointer = track;
        host.captures = 0;
        EXPECT_FALSE(bar.OnPress(host));
        EXPECT_EQ(host.captures, 0);
    }
}

TEST(ScrollBar, HoverFollowsTheParts)
{
    CHotScrollBar bar;
    bar.m_rect = {0, 0, 100, 17};
    bar.SetHover(true, {50, 8});
    EXPECT_EQ(bar.HoverPart(), CHotScrollBar::kPartTrack);
    EXPECT_EQ(bar.ThumbAlpha(), 200);
    EXPECT_TRUE(bar.OnMouseMove({20, 8}));
    EXPECT_FALSE(bar.OnMouseMove({21, 8}));
    EXPECT_EQ(bar.ThumbAlpha(), 230);
    EXPECT_TRUE(bar.OnMouseMove({95, 8}));
    EXPECT_EQ(bar.HoverPart(), CHotScrollBar::kPartIncrease);
    bar.SetHover(false, {});
    EXPECT_EQ(bar.HoverPart(), CHotScrollBar::kPartNone);
    bar.SetFlag(kHotDisabled, true);
    EXPECT_EQ(bar.ThumbAlpha(), 100);
}

TEST(UpDown, HalvesLightAndPostTheirCommands)
{
    CHotUpDownButton keys;
    keys.m_id = 300;
    keys.PlaceAt(0, 0);
    ASSERT_EQ(keys.m_rect, (CRect{0, 0, 16, 30}));
    EXPECT_EQ(keys.HalfAt({8, 14}), CHotUpDownButton::kHalfUp);
    EXPECT_EQ(keys.HalfAt({8, 15}), CHotUpDownButton::kHalfDown);
    EXPECT_TRUE(keys.OnMouseMove({8, 3}));
    EXPECT_FALSE(keys.OnMouseMove({8, 10}));
    EXPECT_TRUE(keys.OnMouseMove({8, 20}));
    EXPECT_EQ(keys.LitHalf(), CHotUpDownButton::kHalfDown);

    struct Case {
        const char* name;
        bool autoRepeat;
        CPoint press;
        std::vector<CPoint> path;
        uint32_t releaseAt;
        std::vector<uint32_t> ids, times;
    } cases[] = {
        {"lower, plain: one command at release", false, {8, 20}, {{8, 22}}, 300, {301}, {300}},
        {"lower, plain, released on the upper key: none", false, {8, 20}, {{8, 5}}, 300, {}, {}},
        {"upper, plain", false, {8, 5}, {}, 80, {300}, {80}},
        {"upper, repeating", true, {8, 5}, {}, 1300, {300, 300, 300, 300}, {0, 500, 900, 1200}},
        {"lower, repeating until it leaves", true, {8, 20}, {{8, 25}, {30, 25}}, 1300, {301}, {0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedHost host;
        keys.m_autoRepeat = c.autoRepeat;
        Script(host, c.press, c.path, c.releaseAt);
        keys.OnPress(host);
        std::vector<uint32_t> ids, times;
        for (const auto& command : host.posted) {
            ids.push_back(command.id);
            times.push_back(command.at);
        }
        EXPECT_EQ(ids, c.ids);
        EXPECT_EQ(times, c.times);
        EXPECT_EQ(keys.LitHalf(), CHotUpDownButton::kHalfNone);
        EXPECT_FALSE(host.captured);
    }
}

TEST(UpDown, TouchModeOpensTheSpinPadInstead)
{
    const CTouchSettings before = TouchSettings();
    CTouchSettings touch = before;
    touch.touchMode = true;
    SetTouchSettings(touch);
    ScriptedHost host;
    CHotUpDownButton keys;
    keys.m_id = 44;
    keys.PlaceAt(0, 0);
    Script(host, {8, 20}, {});
    keys.OnPress(host);
    SetTouchSettings(before);
    EXPECT_EQ(host.spinPads, std::vector<uint32_t>{44});
    EXPECT_TRUE(host.posted.empty());
    EXPECT_EQ(host.captures, 0);
}

TEST(ValueField, FormatsWithItsDecimalsDrawsTitleNumberAndUnitAndTakesNoClick)
{
    const struct {
        double value;
        uint32_t decimals;
        const char16_t* text;
    } cases[] = {
        {3.14159, 2, u"3.14"},
        {-12.5, 1, u"-12.5"},
        {2.0, 0, u"2"},
        {1.0, 4000000000u, u"1.000000000000000"},  // held to fifteen
        {std::numeric_limits<double>::infinity(), 2, u"---"},
        {std::nan(""), 2, u"---"},
    };
    CHotValue field;
    for (const auto& c : cases) {
        field.SetDecimals(c.decimals);
        field.SetValue(c.value);
        EXPECT_EQ(field.ValueText(), CString(c.text));
    }
    field.SetDecimals(15);
    field.SetValue(-1e308);
    EXPECT_EQ(field.ValueText().size(), 1u + 309 + 16);
    EXPECT_TRUE(field.Reset());
    EXPECT_EQ(field.ValueText(), u"0.000000000000000");
    EXPECT_FALSE(field.Reset());

    CVISkinManager skin;
    field.SetDecimals(2);
    field.PlaceAt(10, 20);
    EXPECT_EQ(field.m_rect, (CRect{10, 20, 160, 120}));
    field.PlaceAt(0, 0);
    EXPECT_EQ(field.m_rect, (CRect{0, 0, 150, 100}));
    field.SetTitle(u"FREQUENCY");
    field.SetUnit(u"kHz");
    field.SetValue(12.346);
    RecordingGraphics g;
    field.Draw(g, skin);
    std::vector<CString> texts;
    for (const auto* call : g.Of("DrawString"))
        texts.push_back(call->text);
    EXPECT_EQ(texts, (std::vector<CString>{u"FREQUENCY", u"kHz", u"12.35"}));
    ScriptedHost host;
    EXPECT_FALSE(field.OnPress(host));
}

TEST(ValueRecords, DefaultsAreWhatTheLayoutCompilerWrites)
{
    CHotProgress bar;
    const Bytes barRecord = StoreRecord(bar);
    const Bytes barTail(barRecord.begin() + 24, barRecord.end());  // after rect, id and flags
    const struct {
        uint32_t type;
        uint32_t flags;
        Bytes tail;
    } kinds[] = {
        {kHotKnob, 0x00040005, {}},
        {kHotSlider, 0x00040005, Join({barTail, Encode(int32_t(0), int32_t(100), int32_t(0), 1.0)})},
        {kHotScrollBar, 0x80040005,
         Encode(uint8_t(1), uint32_t(17), uint32_t(12), 0xFF5B5B5Bu, 0xFF5B7ACAu, int32_t(0), int32_t(100), int32_t(0),
                1.0, uint16_t(500), uint16_t(10), uint16_t(100))},
        {kHotUpDownButton, 0x80010001,
         Encode(uint32_t(20), uint8_t(0), CString(), uint8_t(1), uint16_t(500), uint16_t(10), uint16_t(100))},
        {kHotValue, 0x00000001,
         Encode(uint32_t(1), uint32_t(0), 0xFFFFFFFFu, 0xFFADD8E6u, uint32_t(0), int32_t(-20), uint8_t(1), uint32_t(2),
                0xFFFFFFFFu, 0xFF000000u, CString(u"Title"), MakeFont(u"Arial", -20, 700), 0.0)},
    };
    for (const auto& kind : kinds) {
        SCOPED_TRACE(kind.type);
        const Bytes record = Join({CommonPart({}, 0, kind.flags), kind.tail});
        auto made = CreateStandardHotspot(kind.type);
        ASSERT_TRUE(made);
        EXPECT_EQ(made->m_flags, kind.flags);
        EXPECT_EQ(StoreRecord(*made), record);
        auto loaded = CreateStandardHotspot(kind.type);
        EXPECT_EQ(LoadRecord(*loaded, record), record.size());
        EXPECT_EQ(StoreRecord(*loaded), record);
    }
    auto keys = CreateStandardHotspot(kHotUpDownButton);
    LoadRecord(*keys, StoreRecord(*keys));
    EXPECT_EQ((CSize{keys->m_naturalWidth, keys->m_naturalHeight}), (CSize{16, 30}));
}
