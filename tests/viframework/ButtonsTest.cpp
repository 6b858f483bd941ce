// Push, tool and power buttons, the toggles and the button group: records,
// presses and what they report.
#include <gtest/gtest.h>

#include <map>
#include <optional>

#include "ControlTestUtil.h"
#include "PanelFakes.h"
#include "viframework/SkinManager.h"
#include "viframework/controls/HotButton.h"
#include "viframework/controls/HotButtonGroup.h"
#include "viframework/controls/HotPowerButton.h"
#include "viframework/controls/HotToggle.h"
#include "viframework/controls/PanelLayout.h"

namespace {

// A sink that notes the fake clock at every command.
class TimedSink : public RecordingSink {
public:
    explicit TimedSink(ScriptedHost& host) : m_host(host) {}
    void OnHotspotCommand(CHotspot& h) override
    {
        RecordingSink::OnHotspotCommand(h);
        times.push_back(m_host.now);
    }
    std::vector<uint32_t> times;

private:
    ScriptedHost& m_host;
};

std::unique_ptr<CHotspot> LoadAs(uint32_t typeCode, const Bytes& bytes)
{
    auto hotspot = CreateStandardHotspot(typeCode);
    LoadRecord(*hotspot, bytes);
    return hotspot;
}

template <class T>
T* Place(T* hotspot, CRect rect, IHotspotNotifySink* sink)
{
    hotspot->m_rect = rect;
    hotspot->m_notifySink = sink;
    return hotspot;
}

}  // namespace

TEST(ButtonRecords, StoreThenLoadGivesTheSameControl)
{
    CHotButton button;
    button.m_rect = {1, 2, 40, 24};
    button.m_id = 77;
    button.SetText(u"START");
    button.SetStyle(4);
    button.m_notifyPressAndRelease = 1;
    button.SetAutoRepeat(false, 300, 20, 50);

    CHotToolButton tool;
    tool.SetImage(5201, 3);

    CHotPowerButton power;
    power.m_style = 1;
    power.m_on = 1;
    power.m_flags |= kHotPowerAppearance;
    power.Appearance().m_values[5] = 0xFF123456u;

    CHotCheck check;
    check.SetChecked(true);
    CHotRadio radio;
    radio.m_id = 40;
    CHotHyperlink link;
    link.m_text = u"www.example.org";
    link.m_font = MakeFont(u"Arial", -10, 700);

    CHotButtonGroup group;
    group.m_toggleMode = 1;
    group.m_spacing = 2;
    group.AddItem(u"A");
    group.AddItem(u"B", false, true);

    CHotspot* all[] = {&button, &tool, &power, &check, &radio, &link, &group};
    for (CHotspot* original : all) {
        SCOPED_TRACE(original->m_typeCode);
        const Bytes bytes = StoreRecord(*original);
        auto loaded = LoadAs(original->m_typeCode, bytes);
        EXPECT_EQ(loaded->m_typeCode, original->m_typeCode);
        EXPECT_EQ(StoreRecord(*loaded), bytes);
        EXPECT_EQ(loaded->m_flags, original->m_flags);
    }
    auto loadedButton = LoadAs(kHotButton, StoreRecord(button));
    EXPECT_EQ(static_cast<CHotButton&>(*loadedButton).m_text, u"START");
    EXPECT_EQ(loadedButton->m_naturalWidth, 28);  // style 4
    auto loadedPower = LoadAs(kHotPowerButton, StoreRecord(power));
    EXPECT_EQ(static_cast<CHotPowerButton&>(*loadedPower).Appearance().m_values[5], 0xFF123456u);

    // Loading sets the power style's flag from the style byte.
    const std::pair<uint8_t, uint32_t> styles[] = {{0, 0}, {1, 0}, {2, kHotPowerStyle2}, {3, kHotPowerStyle3}};
    for (const auto& [style, bit] : styles) {
        CHotPowerButton stored;
        stored.m_style = style;
        EXPECT_EQ(LoadAs(kHotPowerButton, StoreRecord(stored))->m_flags & (kHotPowerStyle2 | kHotPowerStyle3), bit)
            << int(style);
    }
}

TEST(ButtonRecords, NaturalSizes)
{
    const std::pair<uint32_t, CSize> cases[] = {
        {kHotButton, {38, 22}}, {kHotToolButton, {26, 26}}, {kHotPowerButton, {36, 36}}, {kHotCheck, {24, 22}},
        {kHotRadio, {24, 22}},  {kHotHyperlink, {24, 22}},  {kHotButtonGroup, {0, 0}},
    };
    for (const auto& [typeCode, natural] : cases) {
        auto hotspot = CreateStandardHotspot(typeCode);
        ASSERT_NE(hotspot, nullptr) << typeCode;
        EXPECT_EQ((CSize{hotspot->m_naturalWidth, hotspot->m_naturalHeight}), natural) << typeCode;
    }
    CHotButtonGroup group;
    group.PlaceAt(5, 6);
    EXPECT_EQ(group.m_rect, (CRect{5, 6, 205, 29}));
}

TEST(PushButton, AutoRepeatSpeedsUpToTheShortestDelay)
{
    // The script runs on the fake clock; the button reads a tick count that
    // is offset from it, the second time so that it wraps around mid-press.
    class OffsetHost : public ScriptedHost {
    public:
        uint32_t TickCount() override { return now + offset; }
        uint32_t offset = 0;
    };
    for (uint32_t offset : {0u, 0xFFFFFE00u}) {
        SCOPED_TRACE(offset);
        OffsetHost host;
        host.offset = offset;
        host.Release(2000, {5, 5});
        TimedSink sink(host);
        CHotButton button;
        Place(&button, {0, 0, 38, 22}, &sink);
        EXPECT_TRUE(button.OnPress(host));

        ASSERT_GE(sink.times.size(), 50u);
        const uint32_t expected[] = {0, 500, 900, 1200, 1400, 1500};
        for (size_t i = 0; i < 6; ++i)
            EXPECT_NEAR(double(sink.times[i]), double(expected[i]), 10.0) << i;
        for (size_t i = 6; i < sink.times.size(); ++i)
            EXPECT_EQ(sink.times[i] - sink.times[i - 1], 10u) << i;
        EXPECT_GE(sink.times.back(), 1980u);
        EXPECT_FALSE(host.captured);
    }
}

TEST(PushButton, ReleaseRules)
{
    struct Case {
        const char* name;
        bool autoRepeat, notifyPressAndRelease, releaseInside;
        std::vector<uint32_t> times;
    } cases[] = {
        {"auto-repeat released outside early: the first command stays", true, false, false, {0}},
        {"auto-repeat released inside early", true, false, true, {0}},
        {"plain click inside: one command at release", false, false, true, {300}},
        {"plain click released outside: nothing", false, false, false, {}},
        {"press and release: both reported", false, true, false, {0, 300}},
        {"press and release with auto-repeat", true, true, true, {0, 0, 300}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedHost host;
        if (!c.releaseInside)
            host.Move(100, {100, 100});
        host.Release(300, c.releaseInside ? CPoint{5, 5} : CPoint{100, 100});
        TimedSink sink(host);
        CHotButton button;
        Place(&button, {0, 0, 38, 22}, &sink);
        button.SetAutoRepeat(c.autoRepeat);
        button.m_notifyPressAndRelease = c.notifyPressAndRelease;
        EXPECT_TRUE(button.OnPress(host));
        EXPECT_EQ(sink.times, c.times);
        EXPECT_FALSE(button.IsPressed());
        EXPECT_GE(sink.invalidations, 2);
    }
    // Without a sink the press is not taken at all.
    ScriptedHost host;
    host.Release(100, {5, 5});
    CHotButton button;
    button.m_rect = {0, 0, 38, 22};
    EXPECT_FALSE(button.OnPress(host));
    EXPECT_EQ(host.captures, 0);
    EXPECT_EQ(host.script.size(), 1u);
}

// Draws the control whenever it asks to be repainted, so tests see the look
// it has in the middle of a press.
class DrawingSink : public RecordingSink {
public:
    void OnHotspotInvalidate(CHotspot& h) override
    {
        RecordingSink::OnHotspotInvalidate(h);
        h.Draw(graphics, skin);
    }
    RecordingGraphics graphics;
    CVISkinManager skin;
};

class CountingResources : public FakePanelResources {
public:
    std::shared_ptr<const CPanelImage> LoadBitmap(uint32_t id) override
    {
        ++loads[id];
        return FakePanelResources::LoadBitmap(id);
    }
    std::map<uint32_t, int> loads;
};

TEST(ToolButton, DrawsItsFrameCentredAndShiftedWhilePressed)
{
    CountingResources resources;
    resources.bitmaps[5201] = std::make_shared<CPanelImage>(64, 16);  // four frames of 16 x 16
    SetPanelResources(&resources);
    ClearToolButtonStrips();

    DrawingSink sink;
    CHotToolButton tool;
    Place(&tool, {10, 10, 36, 36}, &sink);
    tool.SetImage(5201, 2);
    tool.Draw(sink.graphics, sink.skin);
    auto images = sink.graphics.Of("DrawImage");
    ASSERT_EQ(images.size(), 1u);
    EXPECT_FLOAT_EQ(images[0]->rect.x, 15.0f);
    EXPECT_FLOAT_EQ(images[0]->rect.y, 15.0f);
    EXPECT_FLOAT_EQ(images[0]->rect.width, 16.0f);
    EXPECT_EQ(images[0]->colour, 0x00C0C0C0u);

    sink.graphics.calls.clear();
    ScriptedHost host;
    host.Release(50, {20, 20});
    tool.OnPress(host);
    images = sink.graphics.Of("DrawImage");
    ASSERT_GE(images.size(), 2u);
    EXPECT_FLOAT_EQ(images.front()->rect.x, 16.0f);  // pressed
    EXPECT_FLOAT_EQ(images.back()->rect.x, 15.0f);   // released
    EXPECT_EQ(resources.loads[5201], 1);              // one strip, shared

    tool.SetImage(5201, 4);  // beyond the strip
    sink.graphics.calls.clear();
    tool.Draw(sink.graphics, sink.skin);
    EXPECT_EQ(sink.graphics.Count("DrawImage"), 0u);
    SetPanelResources(nullptr);
    ClearToolButtonStrips();
}

TEST(PowerButton, PressInsideSwitchesAndNotifies)
{
    struct Case {
        CPoint release;
        bool disabled, clicked;
        uint8_t on;
        size_t commands;
    } cases[] = {
        {{5, 5}, false, true, 1, 1},
        {{50, 50}, false, true, 0, 0},
        {{5, 5}, true, false, 0, 0},
    };
    for (const Case& c : cases) {
        ScriptedHost host;
        if (c.release.x > 40)
            host.Move(10, c.release);
        host.Release(20, c.release);
        RecordingSink sink;
        CHotPowerButton power;
        Place(&power, {0, 0, 36, 36}, &sink);
        power.SetFlag(kHotDisabled, c.disabled);
        EXPECT_EQ(power.OnPress(host), c.clicked);
        EXPECT_EQ(power.m_on, c.on);
        ASSERT_EQ(sink.commands.size(), c.commands);
        if (c.commands) {
            EXPECT_EQ(sink.commands[0].slot, 3);
        }
    }
}

TEST(PowerButton, SetStateReportsChangesAndRepaintsThroughTheView)
{
    RecordingSink view;
    CHotPowerButton power;
    EXPECT_TRUE(power.SetState(true, false, &view));
    EXPECT_EQ(view.invalidations, 1);
    EXPECT_FALSE(power.SetState(true, false, &view));
    EXPECT_EQ(view.invalidations, 1);
    EXPECT_TRUE(power.SetState(true, true));
    EXPECT_TRUE(power.Reset());
    EXPECT_FALSE(power.IsOn());
    EXPECT_FALSE(power.HasIndicator());
    EXPECT_FALSE(power.Reset());
}

TEST(PowerButton, ADisabledSwitchFadesIntoThePanel)
{
    CVISkinManager skin;
    CHotPowerButton power;
    power.m_rect = {4, 4, 40, 40};
    RecordingGraphics enabled, disabled;
    power.Draw(enabled, skin);
    power.SetFlag(kHotDisabled, true);
    power.Draw(disabled, skin);
    // The same drawing, then a veil of the panel's colour over the whole switch.
    ASSERT_EQ(disabled.calls.size(), enabled.calls.size() + 1);
    const auto& veil = disabled.calls.back();
    EXPECT_EQ(veil.op, "FillRectangle");
    EXPECT_EQ(veil.brush.colour1, skin.BackgroundArgb(0x99));
    EXPECT_FLOAT_EQ(veil.rect.x, 4.0f);
    EXPECT_FLOAT_EQ(veil.rect.width, 36.0f);
}

TEST(Toggles, CheckBoxAndHyperlinkFlipOnAClickInside)
{
    CHotCheck check;
    CHotHyperlink link;
    for (CHotToggle* toggle : std::initializer_list<CHotToggle*>{&check, &link}) {
        for (bool inside : {true, false}) {
            ScriptedHost host;
            if (!inside)
                host.Move(5, {90, 90});
            host.Release(10, inside ? CPoint{3, 3} : CPoint{90, 90});
            RecordingSink sink;
            Place(toggle, {0, 0, 24, 22}, &sink);
            toggle->SetChecked(false);
            EXPECT_EQ(toggle->OnPress(host), inside);
            EXPECT_EQ(toggle->IsChecked(), inside);
            ASSERT_EQ(sink.commands.size(), inside ? 1u : 0u);
            if (inside) {
                EXPECT_EQ(sink.commands[0].slot, 1);
            }
            EXPECT_FALSE(toggle->IsPressed());
            EXPECT_FALSE(host.captured);
        }
    }
}

TEST(Toggles, RadioPostsOnlyWhenItBecomesSelected)
{
    ScriptedHost host;
    host.Release(10, {3, 3});
    host.Release(20, {3, 3});
    RecordingSink sink;
    CHotRadio radio;
    Place(&radio, {0, 0, 24, 22}, &sink);
    radio.m_id = 42;
    EXPECT_TRUE(radio.OnPress(host));
    EXPECT_TRUE(radio.IsChecked());
    EXPECT_TRUE(radio.OnPress(host));  // already selected
    ASSERT_EQ(host.posted.size(), 1u);
    EXPECT_EQ(host.posted[0].id, 42u);
    EXPECT_EQ(host.redraws, 2);
    EXPECT_TRUE(sink.commands.empty());
}

TEST(Toggles, ExclusiveRadioWalkStopsAtTheFirstOtherControl)
{
    // radio(sel) button radio(sel) radio [clicked] radio(sel) check radio(sel)
    CHotspotArray panel;
    const bool radio[] = {true, false, true, true, true, true, false, true};
    const bool selected[] = {true, false, true, false, false, true, false, true};
    for (size_t i = 0; i < 8; ++i) {
        if (radio[i]) {
            auto r = std::make_unique<CHotRadio>();
            r->m_id = uint32_t(i);
            r->SetChecked(selected[i]);
            panel.Add(std::move(r));
        } else if (i == 1) {
            panel.Add(std::make_unique<CHotButton>());
        } else {
            panel.Add(std::make_unique<CHotCheck>());
        }
    }
    std::vector<uint32_t> redrawn;
    SelectRadioExclusive(panel, *static_cast<CHotRadio*>(panel[4]),
                         [&](CHotspot& h) { redrawn.push_back(h.m_id); });
    const bool expected[] = {true, false, false, false, true, false, false, true};
    for (size_t i = 0; i < 8; ++i)
        EXPECT_TRUE(!radio[i] || static_cast<CHotRadio*>(panel[i])->IsChecked() == expected[i]) << i;
    EXPECT_EQ(redrawn, (std::vector<uint32_t>{5, 2, 4}));
}

TEST(Toggles, HyperlinkSizesToItsTextAndAsksForTheHand)
{
    CHotHyperlink link;
    link.m_rect = {10, 10, 20, 20};
    EXPECT_TRUE(link.WantsHandCursor());
    link.AutoSize();
    const int32_t shortWidth = link.m_rect.Width();
    link.m_text = u"HYPERLINK TO THE MANUAL";
    link.AutoSize();
    EXPECT_GT(link.m_rect.Width(), 2 * shortWidth);
    EXPECT_EQ(link.m_rect.left, 10);
    EXPECT_GE(link.m_rect.Height(), 9);
}

class ButtonGroupTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Place(&group, {0, 0, 120, 20}, &sink);
        group.m_id = 300;
        for (const char16_t* text : {u"A", u"B", u"C"})
            group.AddItem(text);
    }
    void Click(int item, std::optional<CPoint> release = {})
    {
        const CPoint at{item * 40 + 5, 5};
        host.pointer = at;
        host.Release(host.now + 10, release.value_or(at));
        group.OnPress(host);
    }

    ScriptedHost host;
    RecordingSink sink;
    CHotButtonGroup group;
};

TEST_F(ButtonGroupTest, ExclusiveModeReportsOnlyChangesToggleModeEveryClick)
{
    Click(1);
    Click(1);
    Click(0);
    EXPECT_TRUE(group.m_items[0].selected);
    EXPECT_FALSE(group.m_items[1].selected);

    group.m_toggleMode = 1;
    Click(2);
    EXPECT_TRUE(group.m_items[2].selected);
    Click(2);
    EXPECT_FALSE(group.m_items[2].selected);
    std::vector<uint32_t> sent;
    for (const auto& command : host.sent)
        sent.push_back(command.id);
    EXPECT_EQ(sent, (std::vector<uint32_t>{301, 300, 302, 302}));
}

TEST_F(ButtonGroupTest, ReleaseOutsideTheItemOrOnADisabledItemDoesNothing)
{
    Click(0, CPoint{45, 5});  // released over the next item
    EXPECT_TRUE(host.sent.empty());
    EXPECT_EQ(group.m_hoverItem, -1);
    group.EnableItem(2, false);
    Click(2);
    EXPECT_TRUE(host.sent.empty());
    EXPECT_FALSE(group.m_items[2].selected);
}

TEST_F(ButtonGroupTest, ItemsHitAndHover)
{
    group.m_spacing = 2;
    EXPECT_EQ(group.ItemExtent(), 40);
    EXPECT_EQ(group.ItemRect(1), (CRect{42, 0, 78, 20}));
    EXPECT_EQ(group.ItemAt({119, 5}), 2);
    EXPECT_TRUE(group.HitTest({60, 5}));
    EXPECT_FALSE(group.HitTest({120, 5}));
    group.SetHover(true, {60, 5});
    EXPECT_EQ(group.m_hoverItem, 1);
    EXPECT_FALSE(group.OnMouseMove({61, 5}));
    EXPECT_TRUE(group.OnMouseMove({5, 5}));
    EXPECT_EQ(group.m_hoverItem, 0);
    group.SetHover(false, {5, 5});
    EXPECT_EQ(group.m_hoverItem, -1);
    EXPECT_EQ(sink.invalidations, 3);

    group.m_horizontal = 0;
    group.m_rect = {0, 0, 20, 90};
    EXPECT_EQ(group.ItemAt({5, 65}), 2);
    group.ClearItems();
    EXPECT_EQ(group.ItemExtent(), 0);
    EXPECT_FALSE(group.HitTest({5, 5}));
}

TEST_F(ButtonGroupTest, JoinedItemsDrawAsOneStrip)
{
    RecordingGraphics g;
    CVISkinManager skin;
    group.Select(1);
    group.Draw(g, skin);
    EXPECT_EQ(g.Count("DrawString"), 3u);
    EXPECT_EQ(g.Count("PushClip"), 3u);  // first, middle and last are joined
    group.m_spacing = 3;
    g.calls.clear();
    group.Draw(g, skin);
    EXPECT_EQ(g.Count("PushClip"), 0u);
}
