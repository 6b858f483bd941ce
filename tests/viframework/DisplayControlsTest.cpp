// Display controls: seven-segment rows and the graphic and character LCDs.
#include <gtest/gtest.h>

#include <algorithm>
#include <string_view>

#include "ControlTestUtil.h"
#include "PanelFakes.h"
#include "viframework/controls/Lcd.h"
#include "viframework/controls/PanelLayout.h"
#include "viframework/controls/Seg7.h"

namespace {

uint8_t P(char c)
{
    return kSeg7Patterns[Seg7PatternIndex(char16_t(c))];
}

// One cell per character; a '1' in `points` lights the point of that cell.
std::vector<Seg7Cell> Cells(std::string_view characters, std::string_view points = "")
{
    std::vector<Seg7Cell> out;
    for (size_t i = 0; i < characters.size(); ++i)
        out.push_back({P(characters[i]), i < points.size() && points[i] == '1'});
    return out;
}

TEST(Seg7, PointsTakeNoCellAndLightThePrecedingOne)
{
    EXPECT_EQ(LayoutSeg7Text(u"-1.5", 4, false, false), Cells("-15 ", "01"));
    EXPECT_EQ(LayoutSeg7Text(u"8.8.8.8.", 4, false, false), Cells("8888", "1111"));
    EXPECT_EQ(LayoutSeg7Text(u"8.8.8.8", 4, false, false), Cells("8888", "1110"));
    // A leading point has nothing to attach to and gets a cell of its own.
    EXPECT_EQ(LayoutSeg7Text(u".5", 2, false, false), Cells(" 5", "1"));
    // Text beyond the cells is cut off.
    EXPECT_EQ(LayoutSeg7Text(u"12345", 3, false, false), Cells("123"));
}

TEST(Seg7, SettersReportOnlyRealChangesAndBlankAndDashOverrideTheText)
{
    CHotSeg7 seg;
    EXPECT_EQ(seg.Text(), u"@@@@@@@@@");
    EXPECT_TRUE(seg.SetNumber(42));
    EXPECT_EQ(seg.Text(), u" 42");
    EXPECT_FALSE(seg.SetNumber(42));
    EXPECT_FALSE(seg.SetText(u" 42"));
    EXPECT_TRUE(seg.SetText(u"12345678901234567890123"));
    EXPECT_EQ(seg.Text().size(), CHotSeg7::kMaxText);

    seg.SetDigitCount(3);
    seg.SetText(u"123");
    EXPECT_TRUE(seg.SetBlank(true));
    EXPECT_FALSE(seg.SetBlank(true));
    EXPECT_EQ(seg.Cells(), Cells("   "));
    EXPECT_TRUE(seg.SetDash(true));
    EXPECT_EQ(seg.Cells(), Cells("---"));
    seg.SetBlank(false);
    EXPECT_EQ(seg.Cells(), Cells("123"));
}

TEST(Seg7, DrawsEachCellsSegmentsWithLitAndUnlitBrushes)
{
    RecordingSkin skin;
    RecordingGraphics g;
    CHotSeg7 seg;
    seg.SetDigitCount(4);
    seg.PlaceAt(10, 20);
    EXPECT_EQ(seg.m_rect, (CRect{10, 20, 10 + 4 * 42, 20 + 55}));
    seg.SetText(u"-1.5");
    seg.Draw(g, skin);

    ASSERT_EQ(g.Count("FillPolygon"), 28u);
    size_t lit = 0;
    for (const auto* call : g.Of("FillPolygon"))
        lit += call->brush.colour1 == skin.m_segmentColours[2];
    EXPECT_EQ(lit, 1u + 2u + 5u);  // dash, 1, 5
    ASSERT_EQ(g.Count("FillEllipse"), 1u);
    const RectF point = g.Of("FillEllipse")[0]->rect;
    EXPECT_FLOAT_EQ(point.x, 10 + 42 + 42 - 7);  // after the second cell
    EXPECT_FLOAT_EQ(point.y, 20 + 55 - 8);
    EXPECT_EQ(g.calls[0].op, "FillRectangle");
    EXPECT_EQ(g.calls[0].brush.colour1, skin.m_segmentColours[0]);

    // The second cell's segment b spans x 28-34 of its cell.
    const auto polygons = g.Of("FillPolygon");
    const auto& b = polygons[7 + 1]->points;
    const auto [minX, maxX] = std::minmax_element(b.begin(), b.end(), [](PointF p, PointF q) { return p.x < q.x; });
    EXPECT_FLOAT_EQ(minX->x, 10 + 42 + 28);
    EXPECT_FLOAT_EQ(maxX->x, 10 + 42 + 34);
}

TEST(Seg7, OnlyANonStaticRowSendsItsIdOnPress)
{
    CHotSeg7 seg;
    seg.m_id = 13;
    ScriptedHost host;
    EXPECT_FALSE(seg.OnPress(host));
    EXPECT_TRUE(host.sent.empty());
    EXPECT_FALSE(seg.WantsHandCursor());

    seg.SetFlag(kHotStatic, false);
    EXPECT_FALSE(seg.OnPress(host));
    ASSERT_EQ(host.sent.size(), 1u);
    EXPECT_EQ(host.sent[0].id, 13u);
    EXPECT_TRUE(seg.WantsHandCursor());
}

TEST(DigSeg7, FormatsBytesAndWordsByModeAndRadix)
{
    const struct {
        uint32_t mode, radix;
        uint16_t value;
        const char16_t* text;
    } cases[] = {
        {0, 16, 0x12AB, u"@12 @ab"}, {0, 10, 0x12AB, u"018 171"}, {1, 16, 0x12AB, u"@@@12ab"},
        {1, 10, 0x12AB, u"@@04779"}, {2, 16, 0x12AB, u"@12@@@@"}, {3, 16, 0x12AB, u"@ab@@@@"},
        {3, 10, 0x0005, u"005@@@@"}, {1, 16, 0x0000, u"@@@0000"}, {0, 16, 0xFFFF, u"@ff @ff"},
    };
    for (const auto& c : cases) {
        CHotDigSeg7 dig;
        dig.SetRadix(c.radix);
        dig.SetMode(c.mode);
        dig.SetValue(c.value);
        EXPECT_EQ(dig.Text(), c.text) << "mode " << c.mode << " radix " << c.radix;
    }

    // Without a radix the row stays blank.
    CHotDigSeg7 dig;
    EXPECT_FALSE(dig.SetValue(0x1234));
    EXPECT_EQ(dig.Text(), u"@@@@@@@");
    EXPECT_EQ(dig.DigitCount(), 7u);
    dig.SetRadix(16);
    dig.SetValue(0x12AB);
    EXPECT_EQ(dig.Cells(), Cells(" 12  ab"));
    EXPECT_FALSE(dig.SetValue(0x12AB));
    EXPECT_TRUE(dig.SetRadix(10));
    EXPECT_EQ(dig.Cells(), Cells("018 171"));
}

TEST(Lcd, SetDotAddressesPagesOfEightRowsAndSizeFollowsDotsAndPitch)
{
    CHotLCD lcd;
    lcd.SetDot(127, 63);
    EXPECT_EQ(lcd.Memory()[1023], 0x80);
    lcd.SetDot(5, 9);
    EXPECT_EQ(lcd.Memory()[128 + 5], 0x02);
    const auto before = lcd.Memory();
    lcd.SetDot(128, 0);
    lcd.SetDot(0, 64);
    EXPECT_EQ(lcd.Memory(), before);
    lcd.Clear();
    EXPECT_FALSE(lcd.Dot(127, 63));

    lcd.PlaceAt(5, 6);
    EXPECT_EQ(lcd.m_rect, (CRect{5, 6, 5 + 385, 6 + 193}));
    lcd.SetGeometry(100, 32, 2);
    lcd.AutoSize();
    EXPECT_EQ(lcd.m_rect, (CRect{5, 6, 5 + 201, 6 + 65}));
}

TEST(Lcd, BuiltInFontCoversThePrintableCharacters)
{
    const auto font = BuiltInLcdFont();
    ASSERT_EQ(font.size(), 4u + 95u * 5u);
    EXPECT_EQ(font[0], 5);
    EXPECT_EQ(font[1], 8);
    EXPECT_EQ(font[2], 5);
    EXPECT_EQ(font[3], 0x20);
    for (int c = 0x20; c < 0x7F; ++c) {
        const uint8_t* glyph = &font[4 + (c - 0x20) * 5];
        const bool empty = std::all_of(glyph, glyph + 5, [](uint8_t b) { return b == 0; });
        EXPECT_EQ(empty, c == ' ') << "character " << char(c);
        // The fifth column is the gap between characters, except for the widest letters.
        if (c != 'M' && c != 'W' && c != 'm' && c != 'w') {
            EXPECT_EQ(glyph[4], 0) << "character " << char(c);
        }
    }
    const uint8_t* zero = &font[4 + ('0' - 0x20) * 5];
    const uint8_t* eight = &font[4 + ('8' - 0x20) * 5];
    EXPECT_FALSE(std::equal(zero, zero + 5, eight));
}

TEST(Lcd, DrawTextPlacesGlyphColumnsAndAdvancesByTheWidth)
{
    const auto font = BuiltInLcdFont();
    auto glyph = [&](char c, int column) { return font[4 + (c - 0x20) * 5 + column]; };
    CHotLCD lcd;
    lcd.DrawText(10, 1, u"AB");
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(lcd.Memory()[128 + 10 + i], glyph('A', i));
        EXPECT_EQ(lcd.Memory()[128 + 15 + i], glyph('B', i));
    }
    EXPECT_EQ(lcd.Memory()[128 + 9], 0);
    EXPECT_EQ(lcd.Memory()[10], 0);  // line 0 untouched

    // Columns past the memory's edge are dropped, not wrapped.
    lcd.DrawText(125, 0, u"8");
    EXPECT_EQ(lcd.Memory()[127], glyph('8', 2));
    ASSERT_NE(glyph('8', 3), 0);
    EXPECT_EQ(lcd.Memory()[128], 0);
    EXPECT_EQ(lcd.Memory()[129], 0);

    // Overwriting replaces the bytes; the other modes combine with them.
    const uint8_t glyphColumn = glyph('-', 0);
    ASSERT_EQ(glyphColumn & 0x80, 0);

    for (bool combine : {false, true}) {
        CHotLCD other;
        if (combine)
            other.SetWriteMode(CHotLCD::kWriteOr);
        other.SetDot(0, 15);  // bit 7 of page 1, column 0
        other.DrawText(0, 1, u"-");
        EXPECT_EQ(other.Memory()[128], combine ? glyphColumn | 0x80 : glyphColumn);
    }
}

TEST(Lcd, TallFontsFillSeveralPagesColumnByColumn)
{
    // Two columns of 16 dots, first character '0'; bytes: column 0 top and
    // bottom page, then column 1.
    const uint8_t table[] = {2, 16, 4, '0', 0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88};
    CHotLCD lcd;
    lcd.SetFont(table);
    lcd.DrawText(4, 1, u"01/");
    EXPECT_EQ(lcd.Memory()[2 * 128 + 4], 0x11);
    EXPECT_EQ(lcd.Memory()[3 * 128 + 4], 0x22);
    EXPECT_EQ(lcd.Memory()[2 * 128 + 5], 0x33);
    EXPECT_EQ(lcd.Memory()[3 * 128 + 5], 0x44);
    EXPECT_EQ(lcd.Memory()[2 * 128 + 6], 0x55);
    EXPECT_EQ(lcd.Memory()[3 * 128 + 7], 0x88);
    // '/' comes before the table's first character: its place stays dark.
    EXPECT_EQ(lcd.Memory()[2 * 128 + 8], 0);
    EXPECT_EQ(lcd.Memory()[2 * 128 + 9], 0);
}

TEST(Lcd, PictureUsesTheSkinsColoursUnlessTheControlHasItsOwn)
{
    CVISkinManager skin;
    skin.m_lcdColours = {0x000000FFu, 0x0000FF00u, 0x00FF0000u};  // COLORREF: red, green, blue
    CHotLCD lcd;
    lcd.SetDot(0, 0);
    auto picture = lcd.Picture(skin);
    ASSERT_EQ(picture->width, 385);
    EXPECT_EQ(picture->Pixel(0, 0), 0xFFFF0000u);  // frame
    EXPECT_EQ(picture->Pixel(1, 1), 0xFF00FF00u);  // lit dot (0, 0)
    EXPECT_EQ(picture->Pixel(4, 1), 0xFF0000FFu);  // unlit dot (1, 0)
    EXPECT_EQ(picture->Pixel(3, 1), 0xFFFF0000u);  // the gap between them

    lcd.SetColours(0xFF111111u, kSkinColour, kSkinColour);
    picture = lcd.Picture(skin);
    EXPECT_EQ(picture->Pixel(0, 0), 0xFF111111u);

    RecordingGraphics g;
    lcd.PlaceAt(7, 8);
    lcd.Draw(g, skin);
    ASSERT_EQ(g.Count("DrawImage"), 1u);
    EXPECT_FLOAT_EQ(g.calls[0].rect.width, 385);
}

TEST(LcdMatrix, SizeFollowsCountsDotsAndGapAndLinesReportChanges)
{
    CHotLcdMatrix matrix;
    EXPECT_EQ(matrix.ComputedSize(), (CSize{199, 97}));
    matrix.SetDots(3, 2);
    EXPECT_EQ(matrix.ComputedSize(), (CSize{4 * 10 * 5 + 12 * 2 - 1, 4 * 2 + 4 * 3 * 8 + 1}));
    matrix.SetDots(3, 0);
    matrix.PlaceAt(0, 0);
    EXPECT_EQ(matrix.Lines().size(), 4u);
    EXPECT_EQ(matrix.m_rect, (CRect{0, 0, 4 * 12 * 5 - 1, 4 * 4 * 8 + 1}));

    EXPECT_TRUE(matrix.SetLine(0, u"U = 5 V"));
    EXPECT_FALSE(matrix.SetLine(0, u"U = 5 V"));
    EXPECT_FALSE(matrix.SetLine(4, u"no such line"));  // the first past the four
    EXPECT_TRUE(matrix.FormatLine(1, "I = %.1f mA", 2.5));
    EXPECT_EQ(matrix.Lines()[1], u"I = 2.5 mA");
}

TEST(LcdMatrix, PressCopiesTheLinesOrSendsItsId)
{
    CHotLcdMatrix matrix;
    matrix.m_id = 77;
    matrix.SetLine(0, u"one");
    matrix.SetLine(2, u"three");
    ScriptedHost host;
    EXPECT_FALSE(matrix.OnPress(host));  // static: nothing
    EXPECT_TRUE(host.sent.empty());
    matrix.SetFlag(kHotStatic, false);
    matrix.OnPress(host);
    ASSERT_EQ(host.sent.size(), 1u);
    EXPECT_EQ(host.sent[0].id, 77u);
    matrix.SetCopyOnPress(true);
    matrix.OnPress(host);
    EXPECT_EQ(host.clipboard, u"one\r\n\r\nthree");
    EXPECT_EQ(host.sent.size(), 1u);
}

TEST(LcdMatrix, PictureShowsTheGlyphsInTheirCells)
{
    CVISkinManager skin;
    CHotLcdMatrix matrix;
    matrix.SetColours(0xFF000000u, 0xFFEEEEEEu, 0xFF333333u);
    matrix.SetLine(0, u"!");
    const auto picture = matrix.Picture(skin);
    // '!' lights column 1 of its cell from the top; column 0 stays dark.
    EXPECT_EQ(picture->Pixel(4 + 1, 1), 0xFFEEEEEEu);
    EXPECT_EQ(picture->Pixel(1, 1), 0xFF333333u);
    EXPECT_EQ(picture->Pixel(3, 1), 0xFF000000u);  // between dots
}

// ---------------------------------------------------------------- sizes a record can describe

Bytes LcdTail(uint32_t widthDots, uint32_t heightDots, uint32_t pitch)
{
    return Encode(widthDots, heightDots, pitch, kSkinColour, kSkinColour, kSkinColour);
}

Bytes MatrixTail(uint32_t dotSize, uint32_t gap, uint32_t lines, uint32_t columns)
{
    return Encode(uint32_t(1), dotSize, kSkinColour, kSkinColour, kSkinColour, gap, lines, columns);
}

struct DisplayRecord {
    const char* name;
    uint32_t type;
    Bytes tail;
    CSize size = {};       // what the size formula gives
    size_t segments = 0;  // polygons a seven-segment row draws (7 per cell)
};

std::unique_ptr<CHotspot> LoadDisplay(uint32_t type, const Bytes& tail)
{
    auto display = CreateStandardHotspot(type);
    LoadRecord(*display, Join({CommonPart({}, 9, kHotVisible | kHotStatic), tail}));
    return display;
}

TEST(DisplayRecords, EverySizeThatFitsAPanelLoadsSizesAndDraws)
{
    const DisplayRecord records[] = {
        {"320 x 240 LCD", kHotLCD, LcdTail(320, 240, 3), {961, 721}, 0},
        {"LCD at pitch 20", kHotLCD, LcdTail(128, 64, 20), {2561, 1281}, 0},
        {"320 x 240 LCD at pitch 20", kHotLCD, LcdTail(320, 240, 20), {6401, 4801}, 0},
        {"LCD filling the largest panel", kHotLCD, LcdTail(16383, 16383, 2), {32767, 32767}, 0},
        {"LCD of dots without area", kHotLCD, LcdTail(0xFFFFFFFFu, 0xFFFFFFFFu, 0), {1, 1}, 0},
        {"40 x 4 character LCD", kHotLcdMatrix, MatrixTail(3, 2, 4, 40), {883, 139}, 0},
        {"character LCD with large dots", kHotLcdMatrix, MatrixTail(20, 13, 2, 16), {1913, 376}, 0},
        {"character LCD of 200 lines", kHotLcdMatrix, MatrixTail(3, 1, 200, 100), {2101, 6602}, 0},
        {"character LCD as wide as a panel", kHotLcdMatrix, MatrixTail(0, 0, 1, 6553), {32764, 9}, 0},
        {"24-digit row", kHotSeg7, Encode(uint32_t(24)), {24 * 42, 55}, 24 * 7},
        {"row as wide as a panel", kHotSeg7, Encode(uint32_t(780)), {780 * 42, 55}, 780 * 7},
        {"12-digit value row", kHotDigSeg7, Encode(uint32_t(12), uint32_t(1), uint32_t(16)), {12 * 42, 55},
         12 * 7},
    };
    CVISkinManager skin;
    for (const DisplayRecord& r : records) {
        SCOPED_TRACE(r.name);
        const auto display = LoadDisplay(r.type, r.tail);
        display->AutoSize();
        EXPECT_EQ(display->m_rect, (CRect{0, 0, r.size.cx, r.size.cy}));

        RecordingGraphics g;
        display->Draw(g, skin);
        float right = 0, bottom = 0;
        for (const auto& call : g.calls) {
            right = std::max(right, call.rect.Right());
            bottom = std::max(bottom, call.rect.Bottom());
        }
        EXPECT_EQ(right, float(r.size.cx));
        EXPECT_EQ(bottom, float(r.size.cy));
        EXPECT_EQ(g.Count("FillPolygon"), r.segments);
    }
}

TEST(DisplayRecords, SizesBeyondAnyPanelAreDamage)
{
    const DisplayRecord records[] = {
        {"LCD one dot wider than a panel", kHotLCD, LcdTail(32768, 8, 1)},
        {"LCD whose width wraps in 32 bits", kHotLCD, LcdTail(0x80000000u, 8, 2)},
        {"LCD pitch past a panel", kHotLCD, LcdTail(1, 1, 0x10000u)},
        {"character LCD one column too wide", kHotLcdMatrix, MatrixTail(0, 0, 1, 6554)},
        {"character LCD whose pitch wraps", kHotLcdMatrix, MatrixTail(0xFFFFFFFFu, 0, 1, 10)},
        {"character LCD whose gap fills no panel", kHotLcdMatrix, MatrixTail(0, 0x4000, 1, 1)},
        {"row one digit too wide", kHotSeg7, Encode(uint32_t(781))},
        {"row whose width wraps", kHotDigSeg7, Encode(uint32_t(0x80000000u), uint32_t(0), uint32_t(10))},
    };
    for (const DisplayRecord& r : records)
        EXPECT_THROW(LoadDisplay(r.type, r.tail), CArchiveException) << r.name;
}

// Draws both displays at the origin and compares the first one's area (but
// its right and bottom edge, where the second goes on) pixel by pixel.
void ExpectSameDrawingWithin(CHotspot& small, CHotspot& large, CVISkinManager& skin)
{
    for (CHotspot* display : {&small, &large}) {
        display->m_rect = {};
        display->AutoSize();
    }
    ImageGraphics a(small.m_rect.Width(), small.m_rect.Height());
    ImageGraphics b(large.m_rect.Width(), large.m_rect.Height());
    small.Draw(a, skin);
    large.Draw(b, skin);
    int differences = 0;
    for (int32_t y = 0; y + 1 < a.image.height; ++y)
        for (int32_t x = 0; x + 1 < a.image.width; ++x)
            differences += a.image.Pixel(x, y) != b.image.Pixel(x, y);
    EXPECT_EQ(differences, 0);
    // Nothing of the large one is left unpainted.
    EXPECT_EQ(std::count(b.image.pixels.begin(), b.image.pixels.end(), Argb(0)), 0);
}

TEST(DisplayRecords, LcdTooLargeForAPictureDrawsTheSameDots)
{
    CVISkinManager skin;
    constexpr Argb kFrame = 0xFF202020u, kLit = 0xFFE0FFE0u, kUnlit = 0xFF305030u;
    CHotLCD usual, large;
    usual.SetGeometry(128, 64, 5);
    large.SetGeometry(320, 240, 5);
    for (CHotLCD* lcd : {&usual, &large}) {
        lcd->SetColours(kFrame, kLit, kUnlit);
        lcd->SetDot(0, 0);
        lcd->SetDot(127, 63);
        lcd->DrawText(10, 2, u"Vexa 42");
    }
    // The comparison only means something when the two draw differently.
    ASSERT_NE(usual.Picture(skin), nullptr);
    ASSERT_EQ(large.Picture(skin), nullptr);
    ExpectSameDrawingWithin(usual, large, skin);

    ImageGraphics g(1601, 1201);
    large.Draw(g, skin);
    EXPECT_EQ(g.image.Pixel(200 * 5 + 2, 100 * 5 + 2), kUnlit);  // beyond the memory: unlit
    EXPECT_EQ(g.image.Pixel(200 * 5, 100 * 5 + 2), kFrame);      // the space before it
    EXPECT_EQ(g.image.Pixel(1600, 1200), kFrame);                // the border
}

TEST(DisplayRecords, CharacterLcdTooLargeForAPictureDrawsTheSameGlyphs)
{
    CVISkinManager skin;
    CHotLcdMatrix usual, large;
    usual.SetSize(4, 40);
    large.SetSize(40, 80);
    for (CHotLcdMatrix* matrix : {&usual, &large}) {
        matrix->SetDots(3, 2);
        matrix->SetColours(0xFF000000u, 0xFFEEEEEEu, 0xFF333333u);
        matrix->SetLine(0, u"U = 12.5 V");
        matrix->SetLine(3, u"!\"#$%&'()*+,-./0123456789:;<=>?@ABCDEFGH");
    }
    ASSERT_NE(usual.Picture(skin), nullptr);
    ASSERT_EQ(large.Picture(skin), nullptr);
    ExpectSameDrawingWithin(usual, large, skin);
}

TEST(Seg7, WideRowsShowANumberInTheirLastCells)
{
    const auto row = LoadDisplay(kHotSeg7, Encode(uint32_t(24)));
    auto& seg = static_cast<CHotSeg7&>(*row);
    EXPECT_TRUE(seg.SetNumber(-42));
    const auto cells = seg.Cells();
    ASSERT_EQ(cells.size(), 24u);
    EXPECT_EQ(std::vector<Seg7Cell>(cells.begin() + 20, cells.end()), Cells(" -42"));
}

}  // namespace
