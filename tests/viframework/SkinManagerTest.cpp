// The skin record reader, the choice of skin and the drawing operations.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "PanelFakes.h"
#include "framework/Exception.h"
#include "framework/Settings.h"
#include "viframework/SkinManager.h"

namespace {

// Writes a skin record field by field in the documented order, without the
// reader's help; the lamp styles in the object-array form written by hand.
struct RecordWriter {
    CMemFile file;
    CArchive ar{&file, CArchive::store};

    void Lamp(uint32_t size, uint32_t seed, bool first)
    {
        if (first) {
            ar << uint16_t{0xFFFF} << uint16_t{1} << uint16_t{14};
            ar.Write("CHotStatusInfo", 14);
        } else {
            ar << uint16_t{0x8001};  // the class stored first, by reference
        }
        ar << size;
        for (uint32_t state = 0; state < 2; ++state)
            ar << (seed + state) << (0xFF000000u | seed) << (0xFF00FF00u + state) << (0xFF0000FFu + seed)
               << int32_t(-1 - int32_t(state)) << int32_t(4 + state);
    }

    std::vector<uint8_t> Full(size_t lampCount = 2)
    {
        ar << uint32_t{7} << uint8_t{9};
        ar << uint32_t{4} << uint32_t{2} << uint32_t{5} << uint32_t{0x00C8D0D4};
        ar << uint32_t{0xFF112233};
        ar << MakeFont(u"Verdana", -12, 700);
        for (uint32_t i = 0; i < 10; ++i)
            ar << (0xFF000000u + i);
        for (uint32_t i = 0; i < 28; ++i)
            ar << (100 + i);
        for (uint32_t i = 0; i < 34; ++i)
            ar << (200 + i);
        ar << uint32_t{0xFFABCDEF} << uint32_t{0xFF123456};
        ar.WriteCount(uint32_t(lampCount));
        for (size_t i = 0; i < lampCount; ++i)
            Lamp(21 + uint32_t(i), 10 * uint32_t(i + 1), i == 0);
        ar << uint32_t{0x00010203} << uint32_t{0x00040506} << uint32_t{0x00070809};
        ar << uint32_t{0xFF0A0B0C} << uint32_t{0xFF0D0E0F} << uint32_t{0xFF101112};
        return file.Data();
    }
};

std::vector<uint8_t> FullRecord()
{
    return RecordWriter().Full();
}

// A record that differs from every other by its background colour.
std::vector<uint8_t> RecordWithBackground(uint32_t colorRef)
{
    CVISkinManager skin;
    skin.m_backgroundColour = colorRef;
    skin.m_lampStyles.push_back(std::make_unique<CHotStatusInfo>());
    CMemFile file;
    CArchive ar(&file, CArchive::store);
    skin.Serialize(ar);
    return file.Data();
}

void ExpectDefaults(const CVISkinManager& skin)
{
    EXPECT_EQ(skin.m_smoothingMode, 0u);
    EXPECT_EQ(skin.m_compositingQuality, 0u);
    EXPECT_EQ(skin.m_textRenderingHint, 0u);
    EXPECT_EQ(skin.m_backgroundColour, 0u);
    EXPECT_EQ(skin.m_textFont, MakeFont(u"Tahoma", -11, 400));
    EXPECT_EQ(skin.m_displayFont, MakeFont(u"Courier New", -11, 700));
    for (Argb c : skin.m_colourTable)
        EXPECT_EQ(c, 0xFF000000u);
    EXPECT_EQ(skin.m_lampStyles.size(), 0u);
}

}  // namespace

TEST(SkinRecord, ReadsEveryFieldInRecordOrderAndStoresTheSameBytes)
{
    const std::vector<uint8_t> record = FullRecord();
    CVISkinManager skin;
    ASSERT_TRUE(skin.LoadRecord(record));
    EXPECT_EQ(skin.m_recordVersion, 7u);
    EXPECT_EQ(skin.m_recordReserved, 9u);
    EXPECT_EQ(skin.m_smoothingMode, 4u);
    EXPECT_EQ(skin.m_compositingQuality, 2u);
    EXPECT_EQ(skin.m_textRenderingHint, 5u);
    EXPECT_EQ(skin.m_backgroundColour, 0x00C8D0D4u);
    EXPECT_EQ(skin.BackgroundArgb(), 0xFFD4D0C8u);
    EXPECT_EQ(skin.m_colour, 0xFF112233u);
    EXPECT_EQ(skin.m_textFont, MakeFont(u"Verdana", -12, 700));
    for (uint32_t i = 0; i < 10; ++i)
        EXPECT_EQ(skin.m_colourTable[i], 0xFF000000u + i);
    for (uint32_t i = 0; i < 28; ++i)
        EXPECT_EQ(skin.m_lookParameters[i], 100 + i) << "look parameter " << i;
    for (uint32_t i = 0; i < 34; ++i)
        EXPECT_EQ(skin.m_powerAppearance.m_values[i], 200 + i);
    EXPECT_EQ(skin.m_extraColours[0], 0xFFABCDEFu);
    EXPECT_EQ(skin.m_extraColours[1], 0xFF123456u);
    ASSERT_EQ(skin.LampStyleCount(), 2u);
    const CHotStatusInfo& second = skin.GetLampStyle(1);
    EXPECT_EQ(second.m_size, 22u);
    EXPECT_EQ(second.m_lit.borderWidth, 20u);
    EXPECT_EQ(second.m_lit.borderColour, 0xFF000014u);
    EXPECT_EQ(second.m_unlit.centreColour, 0xFF00FF01u);
    EXPECT_EQ(second.m_unlit.surroundColour, 0xFF000113u);
    EXPECT_EQ(second.m_unlit.highlightX, -2);
    EXPECT_EQ(second.m_unlit.highlightY, 5);
    EXPECT_EQ(skin.m_lcdColours, (std::array<uint32_t, 3>{0x00010203, 0x00040506, 0x00070809}));
    EXPECT_EQ(skin.m_segmentColours, (std::array<Argb, 3>{0xFF0A0B0C, 0xFF0D0E0F, 0xFF101112}));
    // The display font is not part of the record.
    EXPECT_EQ(skin.m_displayFont, MakeFont(u"Courier New", -11, 700));

    CMemFile file;
    CArchive ar(&file, CArchive::store);
    skin.Serialize(ar);
    EXPECT_EQ(file.Data(), record);
}

TEST(SkinRecord, CutRecordKeepsWhatWasRead)
{
    const std::vector<uint8_t> record = FullRecord();
    // Header 5, rendering and background 16, colour 4, font 5*4+8+text.
    const size_t fontEnd = 5 + 16 + 4 + 28 + 4 + 2 * 7;
    const size_t tableEnd = fontEnd + 40;
    struct Case {
        size_t length;
        bool tableRead;
        bool lookRead;
        size_t lamps;
    } cases[] = {
        {tableEnd, true, false, 0},
        {tableEnd + 50, true, false, 0},           // inside the look parameters
        {record.size() - 24 - 60, true, true, 0},  // inside the lamp styles: none kept
        {record.size() - 2, true, true, 2},        // inside the segment colours
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.length);
        CVISkinManager skin;
        EXPECT_FALSE(skin.LoadRecord({record.begin(), record.begin() + ptrdiff_t(c.length)}));
        EXPECT_EQ(skin.m_smoothingMode, 4u);
        EXPECT_EQ(skin.m_textFont.faceName, u"Verdana");
        EXPECT_EQ(skin.m_colourTable[9], c.tableRead ? 0xFF000009u : 0xFF000000u);
        EXPECT_EQ(skin.m_lookParameters[27], c.lookRead ? 127u : 0u);
        EXPECT_EQ(skin.LampStyleCount(), c.lamps);
    }
}

TEST(SkinRecord, LampStyleOfAnotherClassIsRefused)
{
    std::vector<uint8_t> record = FullRecord();
    const char name[] = "CHotStatusInfo";
    auto at = std::search(record.begin(), record.end(), name, name + 14);
    ASSERT_NE(at, record.end());
    *at = 'X';
    CVISkinManager skin;
    EXPECT_FALSE(skin.LoadRecord(record));
    EXPECT_EQ(skin.m_extraColours[1], 0xFF123456u);
    EXPECT_EQ(skin.LampStyleCount(), 0u);
}

TEST(SkinRecord, LampStyleIndexOutsideTheListIsAnErrorAndResetGoesBackToDefaults)
{
    CVISkinManager skin;
    EXPECT_THROW(skin.GetLampStyle(0), CInvalidArgException);
    ASSERT_TRUE(skin.LoadRecord(FullRecord()));
    EXPECT_NO_THROW(skin.GetLampStyle(1));
    EXPECT_THROW(skin.GetLampStyle(2), CInvalidArgException);
    skin.ClearLampStyles();
    EXPECT_THROW(skin.GetLampStyle(0), CInvalidArgException);

    EXPECT_TRUE(skin.ResetFonts());
    EXPECT_EQ(skin.m_textFont, MakeFont(u"Tahoma", -11, 400));
    skin.Reset();
    ExpectDefaults(skin);
}

TEST(SkinChoice, FallsBackAlongTheRegistryAndTheResources)
{
    constexpr uint32_t kBlue = 0x00804020, kGray = 0x00808080;
    struct Case {
        const char* name;
        const char16_t* currentUser;
        const char16_t* localMachine;
        bool withSkins;
        uint32_t expected;
    } cases[] = {
        {"no value: gray", nullptr, nullptr, true, kGray},
        {"current user's choice", u"blue", u"gray", true, kBlue},
        {"local machine's choice", nullptr, u"blue", true, kBlue},
        {"missing skin: the first listed", u"dark", nullptr, true, kBlue},
        {"no skins at all: defaults", u"gray", nullptr, false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CMemorySettingsStore settings;
        if (c.currentUser)
            settings.WriteText(SettingsHive::CurrentUser, kVirtualInstrumentsKey, u"Skin", c.currentUser);
        if (c.localMachine)
            settings.WriteText(SettingsHive::LocalMachine, kVirtualInstrumentsKey, u"Skin", c.localMachine);
        FakePanelResources resources;
        if (c.withSkins) {
            resources.named.push_back({{kSkinResourceType, u"blue"}, RecordWithBackground(kBlue)});
            resources.named.push_back({{kSkinResourceType, u"gray"}, RecordWithBackground(kGray)});
        }
        resources.named.push_back({{301, u"gray"}, RecordWithBackground(0x00FFFFFF)});  // another type
        CVISkinManager skin;
        skin.Load(settings, resources);
        EXPECT_EQ(skin.m_backgroundColour, c.expected);
        if (!c.withSkins)
            ExpectDefaults(skin);
    }
}

TEST(SkinChoice, LoadByNameReportsWhetherASkinWasFound)
{
    FakePanelResources resources;
    CVISkinManager skin;
    EXPECT_FALSE(skin.Load(u"gray", resources));
    resources.named.push_back({{kSkinResourceType, u"cut"}, {1, 0, 0}});
    EXPECT_TRUE(skin.Load(u"gray", resources));
    EXPECT_EQ(skin.m_recordVersion, 1u);  // three bytes are no version word
}

class SkinDrawing : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(skin.LoadRecord(FullRecord()));
        // A plain standard face: radius 3, white to grey, border 1, no gloss.
        auto& p = skin.m_lookParameters;
        p[kLookHoverLift] = 20;
        p[kLookPressDepth] = 30;
        p[kLookShadowOffset] = 0;
        const uint32_t face[6] = {3, 0xFFF0F0F0u, 0xFFC0C0C0u, 0xFF404040u, 1, 0};
        std::copy(face, face + 6, p.begin() + kLookStandardFace);
    }

    const RecordingGraphics::Call* FaceFill() const
    {
        for (const auto& call : g.calls)
            if (call.op == "FillRoundedRectangle")
                return &call;
        return nullptr;
    }

    CVISkinManager skin;
    RecordingGraphics g;
};

TEST_F(SkinDrawing, RenderingSettingsAndButtonTextCentredInTextFontAndTableColourNine)
{
    skin.PrepareGraphics(g);
    EXPECT_EQ(g.rendering, (std::vector<uint32_t>{4, 2, 5}));
    const RectF rect{10, 20, 38, 22};
    skin.DrawButton(g, rect, u"RUN", 0, false, false);
    const auto texts = g.Of("DrawString");
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0]->text, u"RUN");
    EXPECT_EQ(texts[0]->font, skin.m_textFont);
    EXPECT_EQ(texts[0]->colour, skin.m_colourTable[9]);
    EXPECT_FLOAT_EQ(texts[0]->rect.x + texts[0]->rect.width / 2, 29.0f);
    EXPECT_FLOAT_EQ(texts[0]->rect.y + texts[0]->rect.height / 2, 31.0f);
}

TEST_F(SkinDrawing, ButtonFaceFollowsHoverAndPressAndAToolButtonIsFlatUntilThePointerComes)
{
    const RectF rect{0, 0, 38, 22};
    struct Case {
        bool hover, pressed;
        Argb top, bottom;
    } cases[] = {
        {false, false, 0xFFF0F0F0u, 0xFFC0C0C0u},
        {true, false, 0xFFFFFFFFu, 0xFFD4D4D4u},   // lifted by 20
        {false, true, 0xFFA2A2A2u, 0xFFD2D2D2u},   // turned over, 30 darker
    };
    for (const Case& c : cases) {
        g.calls.clear();
        skin.DrawButton(g, rect, u"", 0, c.hover, c.pressed);
        const auto* fill = FaceFill();
        ASSERT_NE(fill, nullptr);
        EXPECT_EQ(fill->brush.kind, Brush::Kind::Linear);
        EXPECT_EQ(fill->brush.colour1, c.top);
        EXPECT_EQ(fill->brush.colour2, c.bottom);
        const auto borders = g.Of("DrawRoundedRectangle");
        ASSERT_EQ(borders.size(), 1u);
        EXPECT_EQ(borders[0]->pen.colour, c.hover ? skin.m_colourTable[kSkinHoverRing] : 0xFF404040u);
    }
    g.calls.clear();
    skin.DrawButton(g, {0, 0, 26, 26}, u"", 9, false, false);
    EXPECT_EQ(g.calls.size(), 0u);
    skin.DrawButton(g, {0, 0, 26, 26}, u"", 9, true, false);
    EXPECT_NE(FaceFill(), nullptr);
}

TEST_F(SkinDrawing, LampDrawsItsStyleInsideTheRectangle)
{
    skin.DrawLamp(g, {10, 10, 21, 21}, 1, true);
    const auto fills = g.Of("FillEllipse");
    ASSERT_EQ(fills.size(), 1u);
    EXPECT_FLOAT_EQ(fills[0]->rect.x, 11.0f);
    EXPECT_FLOAT_EQ(fills[0]->rect.width, 19.0f);
    EXPECT_EQ(fills[0]->brush.colour1, skin.GetLampStyle(1).m_lit.centreColour);
    // A style the skin lacks is a damaged layout's: the lamp still shows, in
    // the default look, rather than taking the panel down.
    EXPECT_THROW(skin.GetLampStyle(5), CInvalidArgException);
    g.calls.clear();
    skin.DrawLamp(g, {0, 0, 21, 21}, 5, true);
    ASSERT_EQ(g.Count("FillEllipse"), 1u);
    EXPECT_EQ(g.Of("FillEllipse")[0]->brush.colour1, CHotStatusInfo().m_lit.centreColour);
}

TEST_F(SkinDrawing, LabelsInTheSkinsColourUseTheLabelColour)
{
    const FontRecord font = MakeFont(u"Tahoma", -9);
    for (Argb asked : {kSkinColour, Argb{0x00FFFFFFu}}) {
        g.calls.clear();
        skin.DrawLabelText(g, {0, 0, 50, 12}, u"POWER", font, asked);
        ASSERT_EQ(g.Count("DrawString"), 1u);
        EXPECT_EQ(g.calls[0].colour, skin.m_colour);
    }
    g.calls.clear();
    skin.DrawLabelText(g, {0, 0, 50, 12}, u"POWER", font, 0xFF00FF00u);
    EXPECT_EQ(g.calls[0].colour, 0xFF00FF00u);
}

TEST_F(SkinDrawing, GlyphArrowsHaveTheirSizes)
{
    struct Case {
        int kind;
        float width, height;
    } cases[] = {{1, 12, 8}, {4, 12, 8}, {2, 12, 8}, {5, 12, 8}, {10, 8, 12}, {11, 8, 12}};
    for (const Case& c : cases) {
        g.calls.clear();
        skin.DrawGlyph(g, {0, 0, 20, 20}, c.kind, kSkinColour);
        const auto polys = g.Of("FillPolygon");
        ASSERT_EQ(polys.size(), 1u) << c.kind;
        float minX = 1e9f, maxX = -1e9f, minY = 1e9f, maxY = -1e9f;
        for (const PointF& p : polys[0]->points) {
            minX = std::min(minX, p.x), maxX = std::max(maxX, p.x);
            minY = std::min(minY, p.y), maxY = std::max(maxY, p.y);
        }
        EXPECT_FLOAT_EQ(maxX - minX, c.width) << c.kind;
        EXPECT_FLOAT_EQ(maxY - minY, c.height) << c.kind;
        EXPECT_EQ(polys[0]->brush.colour1, skin.m_colourTable[kSkinGlyph]);
    }
}

TEST_F(SkinDrawing, JoinedGroupItemsStayInsideTheirOwnRectangle)
{
    const RectF rect{40, 0, 40, 22};
    skin.DrawSegment(g, rect, u"B", SegmentPosition::Middle, false, false, false, true);
    const auto clips = g.Of("PushClip");
    ASSERT_EQ(clips.size(), 1u);
    EXPECT_FLOAT_EQ(clips[0]->rect.x, 40.0f);
    EXPECT_FLOAT_EQ(clips[0]->rect.width, 40.0f);
    EXPECT_EQ(g.Count("PopClip"), 1u);
    g.calls.clear();
    skin.DrawSegment(g, rect, u"B", SegmentPosition::Only, false, false, true, false);
    EXPECT_EQ(g.Count("PushClip"), 0u);
    EXPECT_EQ(g.Of("DrawString")[0]->colour, skin.m_colourTable[kSkinDisabledText]);
}

TEST_F(SkinDrawing, PowerSymbolGlowsInTheOnLampColourAndTheStyledOneShowsTheIndicator)
{
    CHotPowerEnableInfo look;
    skin.DrawPowerButton(g, {0, 0, 36, 36}, look, false, false, true);
    const auto arcs = g.Of("DrawArc");
    ASSERT_EQ(arcs.size(), 1u);
    EXPECT_EQ(arcs[0]->pen.colour, look.m_values[26]);
    g.calls.clear();
    skin.DrawPowerButton(g, {0, 0, 36, 36}, look, false, false, false);
    EXPECT_EQ(g.Of("DrawArc")[0]->pen.colour, look.m_values[11]);

    // The styled switch shows its indicator unless told it is none.
    look.m_values[31] = 0xFFFFEE00u;  // unlike every other lamp colour
    const Argb indicatorCentre = look.m_values[31];
    auto indicatorLit = [&](bool notIndicator) {
        g.calls.clear();
        skin.DrawPowerButtonStyled(g, {0, 0, 36, 36}, look, false, false, true, notIndicator, 1);
        for (const auto* fill : g.Of("FillEllipse"))
            if (fill->brush.colour1 == indicatorCentre)
                return true;
        return false;
    };
    EXPECT_TRUE(indicatorLit(false));
    EXPECT_FALSE(indicatorLit(true));
}
