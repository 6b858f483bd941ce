// Layout records of the display, decoration and value kinds: every tail read
// back as it was stored, and a layout of them read through the standard factory.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>

#include "ControlTestUtil.h"
#include "viframework/controls/AnalogMeter.h"
#include "viframework/controls/BitmapKnob.h"
#include "viframework/controls/Frame.h"
#include "viframework/controls/Label.h"
#include "viframework/controls/Lcd.h"
#include "viframework/controls/Menu.h"
#include "viframework/controls/PanelLayout.h"
#include "viframework/controls/Pictures.h"
#include "viframework/controls/Progress.h"
#include "viframework/controls/ScrollBar.h"
#include "viframework/controls/Seg7.h"
#include "viframework/controls/Slider.h"
#include "viframework/controls/SlidingScale.h"
#include "viframework/controls/StatusLamp.h"
#include "viframework/controls/TabControl.h"
#include "viframework/controls/UpDownButton.h"
#include "viframework/controls/ValueField.h"

namespace {

struct RecordCase {
    const char* name;
    std::function<std::unique_ptr<CHotspot>()> make;  // every stored field away from its default
};

template <class T, class Configure>
std::unique_ptr<CHotspot> Made(Configure configure)
{
    auto hotspot = std::make_unique<T>();
    hotspot->m_rect = {3, 4, 150, 90};
    hotspot->m_id = 321;
    hotspot->m_flags = (hotspot->m_flags & 0xFFFF0000u) | 0x0011;
    configure(*hotspot);
    return hotspot;
}

const RecordCase kCases[] = {
    {"Seg7", [] { return Made<CHotSeg7>([](auto& h) { h.SetDigitCount(6); }); }},
    {"DigSeg7", [] { return Made<CHotDigSeg7>([](auto& h) { h.SetDigitCount(5), h.SetMode(3), h.SetRadix(16); }); }},
    {"LCD", [] { return Made<CHotLCD>([](auto& h) {
         h.SetGeometry(96, 40, 4);
         h.SetColours(0xFF010203u, 0xFF040506u, 0xFF070809u);
     }); }},
    {"LcdMatrix", [] { return Made<CHotLcdMatrix>([](auto& h) {
         h.SetDots(2, 1);
         h.SetColours(0xFF010203u, 0xFF040506u, 0xFF070809u);
         h.SetSize(2, 16);
     }); }},
    {"AnalogMeter", [] { return Made<CHotAnalogMeter>([](auto& h) {
         h.m_colours = {1, 2, 3, 4};
         h.m_scaleColour = 5, h.m_restAtZero = 0, h.m_minorTicks = 3, h.m_decimals = 2;
         h.SetRange(-10, 90, 20);
         h.SetBand(0, true, 60, 80, 0xFFFFA500u);
         h.SetBand(1, true, 80, 90, 0xFFFF0000u);
         h.m_startAngle = 1.0, h.m_endAngle = 2.5;
         h.m_needleWidth = 3, h.m_needleLength = 80, h.m_hubSize = 9, h.m_needleColour = 0xFF00FF00u;
         h.m_labelFont = MakeFont(u"Arial", -12, 700);
         h.SetTitle(u"VOLT");
         h.SetUnitText(u"V");
         h.m_face = 0, h.m_faceColour = 0x11223344u;
         h.SetValue(12.5);
         h.m_divisor = 2.5f, h.m_textDistance = 40;
     }); }},
    {"SlidingScale", [] { return Made<CHotSlidingScale>([](auto& h) {
         h.m_horizontal = 0, h.m_span = 50, h.m_majorStep = 5, h.m_majorLength = 15;
         h.m_minorCount = 1, h.m_minorLength = 7;
         h.m_colours = {1, 2, 3, 4, 5};
         h.m_font = MakeFont(u"Arial", -14);
     }); }},
    {"Progress", [] { return Made<CHotProgress>([](auto& h) {
         h.m_style = 0, h.m_thickness = 8, h.m_padding = 2, h.m_textGap = 6;
         h.SetRange(-5, 55);
         h.m_colours = {1, 2, 3, 4};
         h.m_font = MakeFont(u"Tahoma", -10);
         h.SetText(u"40 %");
     }); }},
    {"Status", [] { return Made<CHotStatus>([](auto& h) { h.SetStyle(3); }); }},
    {"StatusOwnLook",
     [] { return Made<CHotStatus>([](auto& h) { h.SetOwnLook(std::make_unique<CHotStatusInfo>()); }); }},
    {"Label", [] { return Made<CHotLabel>([](auto& h) {
         h.SetFont(MakeFont(u"Arial", -12, 700));
         h.SetColour(0xFF336699u);
         h.SetText(u"RANGE");
     }); }},
    {"BitmapById", [] { return Made<CHotBitmap>([](auto& h) { h.SetBitmap(5504), h.SetTransparent(false); }); }},
    {"BitmapEmbedded", [] { return Made<CHotBitmap>([](auto& h) { h.SetEmbedded({40, 0, 0, 0, 1, 2, 3}); }); }},
    {"Frame", [] { return Made<CHotFrame>([](auto& h) {
         h.m_border = 1, h.m_radius = 4, h.m_inset = 8, h.m_shadeDepth = 3, h.m_lineWidth = 1;
         h.m_lightOffset = 1, h.m_lightColour = 0x00EEEEEEu, h.m_filled = 1, h.m_colour = 0x00808080u;
     }); }},
    {"Text", [] { return Made<CHotText>([](auto& h) {
         h.m_inset = 2, h.m_colour = 0x00102030u, h.m_backColour = 0xFF0000FFu, h.m_alignment = 2;
         h.SetFont(MakeFont(u"Tahoma", -16));
         h.SetColour(0xFF00FF00u);
         h.SetText(u"two\nlines");
     }); }},
    {"GroupBox", [] { return Made<CHotGroupBox>([](auto& h) { h.SetText(u"TRIGGER"); }); }},
    {"Menu", [] { return Made<CHotMenu>([](auto& h) { h.LoadItems(4711); }); }},
    {"TabControl", [] { return Made<CHotTabControl>([](auto& h) { h.AddItem(u"A", 7), h.AddItem(u"B", 8, false); }); }},
    {"Metafile", [] { return Made<CHotMetafile>([](auto& h) { h.SetMetafile({1, 2, 3, 4, 5}); }); }},
    {"BitmapKnob", [] { return Made<CHotBitmapKnob>([](auto& h) { h.SetBitmap(5600, 5), h.SetFrame(2); }); }},
    {"Slider", [] { return Made<CHotSlider>([](auto& h) {
         h.m_style = 0, h.m_colours[0] = 0xFF102030u, h.m_factor = 0.25;
         h.SetRange(-50, 50);
         h.SetValue(-20);
     }); }},
    {"ScrollBar", [] { return Made<CHotScrollBar>([](auto& h) {
         h.m_horizontal = 0, h.m_arrowSize = 15, h.m_thumbSize = 20;
         h.m_colour = 0xFF010203u, h.m_thumbColour = 0xFF040506u;
         h.SetRange(-5, 500);
         h.SetRestValue(40);
         h.m_factor = 2.5, h.m_firstDelay = 300, h.m_shortestDelay = 20, h.m_delayStep = 50;
     }); }},
    {"UpDown", [] { return Made<CHotUpDownButton>([](auto& h) { h.SetAutoRepeat(false, 300, 20, 50); }); }},
    {"Value", [] { return Made<CHotValue>([](auto& h) {
         h.m_alignment = 1, h.m_backColour = 0xFF000000u, h.m_frameColour = 0xFF808080u, h.m_showFrame = 0;
         h.m_titleColour = 0xFF00FF00u, h.m_valueColour = 0xFFFF0000u;
         h.SetFont(MakeFont(u"Tahoma", -14));
         h.SetDecimals(3);
         h.SetTitle(u"VOLTS");
         h.SetValue(1.5);
     }); }},
};

TEST(ControlRecords, EveryTailReadsBackAsStored)
{
    for (const RecordCase& c : kCases) {
        const auto original = c.make();
        const Bytes stored = StoreRecord(*original);

        auto loaded = CreateStandardHotspot(original->m_typeCode);
        ASSERT_TRUE(loaded) << c.name;
        EXPECT_EQ(LoadRecord(*loaded, stored), stored.size()) << c.name;
        EXPECT_EQ(StoreRecord(*loaded), stored) << c.name;
        EXPECT_EQ(loaded->m_rect, original->m_rect) << c.name;
        EXPECT_EQ(loaded->m_flags, original->m_flags) << c.name;

        // The configuration must show in the record, or the case proves nothing.
        const auto fresh = CreateStandardHotspot(original->m_typeCode);
        fresh->m_rect = original->m_rect;
        fresh->m_id = original->m_id;
        fresh->m_flags = original->m_flags;
        EXPECT_NE(StoreRecord(*fresh), stored) << c.name;
    }
}

TEST(ControlRecords, TailsMatchTheirByteLayout)
{
    CHotDigSeg7 dig;
    dig.SetDigitCount(4);
    dig.SetMode(1);
    dig.SetRadix(10);
    EXPECT_EQ(StoreRecord(dig), Join({CommonPart({}, 0, 3), Encode(uint32_t(4), uint32_t(1), uint32_t(10))}));

    CHotLcdMatrix matrix;
    EXPECT_EQ(StoreRecord(matrix),
              Join({CommonPart({}, 0, 3), Encode(uint32_t(1), uint32_t(3), kSkinColour, kSkinColour, kSkinColour,
                                                 uint32_t(0), uint32_t(3), uint32_t(10))}));

    CHotFrame frame;
    EXPECT_EQ(StoreRecord(frame), Join({CommonPart({}, kNoHotspotId, 7),
                                        Encode(uint32_t(3), uint32_t(10), uint32_t(5), uint32_t(6), uint32_t(2),
                                               uint32_t(2), uint32_t(0x00FFFFFF), uint32_t(0), uint32_t(0x00C0C0C0))}));

    CHotStatus lamp;
    EXPECT_EQ(StoreRecord(lamp), Join({CommonPart({}, 0, 3), Encode(uint32_t(0), uint8_t(0))}));
}

// The low half of the flags and the id always come from the layout; the high
// half is the kind's own, and tells the view which controls are buttons and
// which follow the pointer while pressed.
TEST(ControlRecords, EveryKindTakesOnlyTheLowHalfOfStoredFlags)
{
    const std::map<uint32_t, uint32_t> kindHighs = {
        {kHotButton, kHotButtonKind},           {kHotToolButton, kHotButtonKind}, {kHotPowerButton, kHotButtonKind},
        {kHotCheck, kHotButtonKind},            {kHotRadio, kHotButtonKind},      {kHotHyperlink, kHotButtonKind},
        {kHotButtonGroup, kHotTrackMovement},   {kHotTabControl, kHotTrackMovement},
        {kHotUpDownButton, kHotTrackMovement | kHotButtonKind},
        {kHotKnob, 0x00040000u},                {kHotSlider, 0x00040000u},        {kHotScrollBar, 0x80040000u},
    };
    constexpr uint32_t kLayoutLow = kHotVisible | kHotDisabled | kHotGroupStart;
    constexpr size_t kFlagsOffset = 5 * sizeof(uint32_t);  // after rect and id
    int kinds = 0;
    for (uint32_t code = kHotLabel; code <= kHotRectangle; ++code) {
        auto stored = CreateStandardHotspot(code);
        if (!stored)
            continue;
        ++kinds;
        const uint32_t kindHigh = stored->m_flags & 0xFFFF0000u;
        const auto high = kindHighs.find(code);
        EXPECT_EQ(kindHigh, high == kindHighs.end() ? 0u : high->second) << code;
        // The complement differs from the kind's high half in every bit, so
        // neither a reader taking the whole word nor one dropping the high
        // half can pass.
        stored->m_flags = (~kindHigh & 0xFFFF0000u) | kLayoutLow;
        const Bytes record = StoreRecord(*stored);

        auto loaded = CreateStandardHotspot(code);
        ASSERT_EQ(LoadRecord(*loaded, record), record.size()) << code;
        EXPECT_EQ(loaded->m_flags, kindHigh | kLayoutLow) << code;

        // Storing writes the whole word it holds; the rest of the record is unchanged.
        Bytes expected = record;
        const Bytes flags = Encode(kindHigh | kLayoutLow);
        std::copy(flags.begin(), flags.end(), expected.begin() + kFlagsOffset);
        EXPECT_EQ(StoreRecord(*loaded), expected) << code;
    }
    EXPECT_GE(kinds, 25);  // every standard kind there is today
}

TEST(ControlRecords, ALayoutOfTheseKindsLoadsThroughTheFactory)
{
    CMemFile file;
    {
        CArchive ar(&file, CArchive::store);
        ar << uint32_t(1);
        for (int i = 0; i < 10; ++i)
            ar << uint32_t(i == 5 ? 7 : 0);
        ar << uint32_t(239) << uint32_t(149) << CString(u"DC SUPPLY");
        // The archive knows stored objects by address: every control must
        // live until it is closed, or a new one could reuse an old address.
        std::vector<std::unique_ptr<CHotspot>> stored;
        for (const RecordCase& c : kCases) {
            stored.push_back(c.make());
            ar << stored.back()->m_typeCode;
            stored.back()->Serialize(ar);
        }
        ar << uint32_t(kHotEndOfList);
    }
    CPanelLayout layout;
    CHotspotArray hotspots;
    EXPECT_EQ(ReadStandardLayout(file.Data().data(), file.Data().size(), layout, hotspots), PanelLoadResult::Complete);
    EXPECT_EQ(layout.title, u"DC SUPPLY");
    ASSERT_EQ(hotspots.size(), std::size(kCases));
    for (size_t i = 0; i < hotspots.size(); ++i)
        EXPECT_EQ(hotspots[i]->m_typeCode, kCases[i].make()->m_typeCode) << kCases[i].name;
    EXPECT_EQ(static_cast<CHotLabel*>(hotspots.Find(kHotLabel, 321))->Text(), u"RANGE");
}

}  // namespace
