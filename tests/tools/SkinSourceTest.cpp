// The skin compiler: the shipped skins, the round trip between text and
// record, and the mistakes a skin source can contain.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>

#include "SkinPreview.h"
#include "SkinSource.h"
#include "viframework/SkinManager.h"

namespace {

std::string ReadSkin(const char* name)
{
    std::ifstream in(std::string(VEXA_SKIN_DIR) + "/" + name, std::ios::binary);
    EXPECT_TRUE(in.good()) << name;
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// The smallest complete source, with one field replaceable for error cases.
std::string MinimalSource()
{
    CVISkinManager skin;
    skin.m_lampStyles.push_back(std::make_unique<CHotStatusInfo>());
    return FormatSkinSource(skin);
}

std::string Replace(std::string text, const std::string& from, const std::string& to)
{
    const size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos)
        text.replace(at, from.size(), to);
    return text;
}

}  // namespace

TEST(ShippedSkins, CompileAndLoadWithEveryFieldAsWritten)
{
    struct Case {
        const char* file;
        uint32_t background;  // COLORREF
        int32_t fontWeight;
        size_t lamps;
        Argb lamp0LitSurround;
        Argb onSymbol;
    } cases[] = {
        {"gray.skin", 0x00DBD8D6, 400, 3, 0xFF2DBE3C, 0xFF4BE05F},
        {"blue.skin", 0x003A2A1F, 700, 4, 0xFF2FC8F5, 0xFF5FDCFF},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const std::string text = ReadSkin(c.file);
        std::vector<uint8_t> record;
        ASSERT_NO_THROW(record = CompileSkin(text));

        CVISkinManager loaded;
        ASSERT_TRUE(loaded.LoadRecord(record));
        EXPECT_EQ(loaded.m_backgroundColour, c.background);
        EXPECT_EQ(loaded.m_textFont.faceName, u"Tahoma");
        EXPECT_EQ(loaded.m_textFont.height, -11);
        EXPECT_EQ(loaded.m_textFont.weight, c.fontWeight);
        EXPECT_EQ(loaded.m_smoothingMode, 4u);
        ASSERT_EQ(loaded.LampStyleCount(), c.lamps);
        EXPECT_EQ(loaded.GetLampStyle(0).m_lit.surroundColour, c.lamp0LitSurround);
        EXPECT_EQ(loaded.GetLampStyle(0).m_size, 21u);
        EXPECT_EQ(loaded.m_powerAppearance.m_values[26], c.onSymbol);

        // Every field the text sets arrives in the loaded skin.
        CVISkinManager parsed;
        ParseSkinSource(text, parsed);
        EXPECT_EQ(StoreSkinRecord(loaded), StoreSkinRecord(parsed));
        EXPECT_EQ(StoreSkinRecord(parsed), record);
        for (size_t i = 0; i < 10; ++i)
            EXPECT_NE(loaded.m_colourTable[i], 0xFF000000u)
                << "colour table entry " << i << " left at the default";
    }
}

TEST(ShippedSkins, CompileOfDecompileGivesTheSameBytes)
{
    for (const char* file : {"gray.skin", "blue.skin"}) {
        SCOPED_TRACE(file);
        const std::vector<uint8_t> record = CompileSkin(ReadSkin(file));
        const std::string text = DecompileSkin(record);
        EXPECT_EQ(CompileSkin(text), record);
        EXPECT_NE(text.find("[power_button]"), std::string::npos);
    }
}

TEST(SkinSource, ValuesInEveryForm)
{
    std::string text = MinimalSource();
    text = Replace(text, "background_colour = #000000", "background_colour = #D4D0C8   # a comment");
    text = Replace(text, "label_colour = #000000", "label_colour = #80102030");
    text = Replace(text, "shadow = #000000", "shadow = 0x12345678");
    text = Replace(text, "text_font = \"Tahoma\" -11 400",
                   "text_font = \"Courier \\\"New\\\"\" -13 700 italic=1 charset=238 width=-2");
    text = Replace(text, "lit.highlight_x = 5", "lit.highlight_x = -3");
    text = Replace(text, "hover_lift = 0", "hover_lift = 0x20");
    CVISkinManager skin;
    ParseSkinSource(text, skin);
    EXPECT_EQ(skin.m_backgroundColour, 0x00C8D0D4u);
    EXPECT_EQ(skin.m_colour, 0x80102030u);
    EXPECT_EQ(skin.m_colourTable[kSkinShadow], 0x12345678u);
    EXPECT_EQ(skin.m_textFont.faceName, u"Courier \"New\"");
    EXPECT_EQ(skin.m_textFont.height, -13);
    EXPECT_EQ(skin.m_textFont.italic, 1);
    EXPECT_EQ(skin.m_textFont.charSet, 238);
    EXPECT_EQ(skin.m_textFont.width, -2);
    EXPECT_EQ(skin.GetLampStyle(0).m_lit.highlightX, -3);
    EXPECT_EQ(skin.m_lookParameters[kLookHoverLift], 32u);
    // And back: the text written for these values reads as the same values.
    CVISkinManager again;
    ParseSkinSource(FormatSkinSource(skin), again);
    EXPECT_EQ(StoreSkinRecord(again), StoreSkinRecord(skin));
}

TEST(SkinSource, MistakesAreReportedWithTheirLine)
{
    const std::string good = MinimalSource();
    struct Case {
        const char* name;
        std::string text;
        const char* message;
    } cases[] = {
        {"unknown field", Replace(good, "hover_lift = 0", "hover_lfit = 0"), "unknown field 'hover_lfit'"},
        {"field twice", Replace(good, "hover_lift = 0", "hover_lift = 0\nhover_lift = 1"), "given twice"},
        {"missing field", Replace(good, "hover_lift = 0", ""), "'hover_lift' is missing"},
        {"bad colour", Replace(good, "label_colour = #000000", "label_colour = #12345"), "a colour is"},
        {"COLORREF with alpha", Replace(good, "background_colour = #000000", "background_colour = #FF000000"),
         "a colour is #RRGGBB,"},
        {"number too large", Replace(good, "reserved = 0", "reserved = 256"), "out of range"},
        {"not a number", Replace(good, "press_depth = 0", "press_depth = deep"), "a number was expected"},
        {"unknown section", Replace(good, "[displays]", "[display]"), "unknown section"},
        {"section twice", good + "\n[look]\n", "given twice"},
        {"font without weight", Replace(good, "\"Tahoma\" -11 400", "\"Tahoma\" -11"), "a font is"},
        {"no lamp style", good.substr(0, good.find("[lamp_style]")), "at least one [lamp_style]"},
        {"no value", Replace(good, "press_depth = 0", "press_depth"), "expected name = value"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        try {
            CompileSkin(c.text);
            ADD_FAILURE() << "compiled";
        } catch (const SkinSourceError& e) {
            EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
        }
    }
    try {
        CompileSkin(Replace(good, "press_depth = 0", "press_depth = deep"));
    } catch (const SkinSourceError& e) {
        const size_t line = size_t(std::count(good.begin(), good.begin() + ptrdiff_t(good.find("press_depth")), '\n'));
        EXPECT_EQ(e.m_line, int(line) + 1);
    }
}

TEST(SkinSource, DecompileRefusesDamagedRecords)
{
    const std::vector<uint8_t> record = CompileSkin(ReadSkin("gray.skin"));
    std::vector<uint8_t> cut(record.begin(), record.end() - 3);
    EXPECT_THROW(DecompileSkin(cut), SkinSourceError);
    std::vector<uint8_t> longer = record;
    longer.push_back(0);
    EXPECT_THROW(DecompileSkin(longer), SkinSourceError);
}

TEST(SkinPreview, DrawsEveryControlOfTheSamplePanel)
{
    CVISkinManager skin;
    ParseSkinSource(ReadSkin("blue.skin"), skin);
    const std::string svg = PreviewSkin(skin, 2.0f);
    EXPECT_EQ(svg.rfind("<svg", 0), 0u);
    EXPECT_NE(svg.find("width='680.00'"), std::string::npos);
    for (const char* text : {">RUN<", ">START<", ">10 V<", ">GND<", ">POWER AND LAMPS<"})
        EXPECT_NE(svg.find(text), std::string::npos) << text;
    // Background, then the table's button text colour on the buttons.
    EXPECT_NE(svg.find("fill='#1F2A3A'"), std::string::npos);
    EXPECT_NE(svg.find("fill='#E6EEF7'"), std::string::npos);
    // Every clip opened is closed again.
    size_t opened = 0, closed = 0;
    for (size_t at = 0; (at = svg.find("<g clip-path", at)) != std::string::npos; ++at)
        ++opened;
    for (size_t at = 0; (at = svg.find("</g>", at)) != std::string::npos; ++at)
        ++closed;
    EXPECT_GT(opened, 0u);
    EXPECT_EQ(opened, closed);
}
