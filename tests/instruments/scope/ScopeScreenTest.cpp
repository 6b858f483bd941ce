// The oscilloscope screen's arithmetic drawn on a recording canvas: the
// vertical and horizontal mappings with their edge cases, the graticule, the
// math traces, the trigger marker at and beyond the edges, the information
// texts, data as text and the stored forms with their older schemas.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "../../charts/RecordingCanvas.h"
#include "../../framework/ArchiveTestUtil.h"
#include "charts/Export.h"
#include "instruments/scope/ScopeScreen.h"

namespace {

// A plot of 500 x 400 pixels: 50 pixels a division both ways.
const CRect kPlot{10, 20, 510, 420};

void Fill(CScopeData& data, std::initializer_list<int16_t> samples, double rangeFactor = 1.0)
{
    data.buffer.SetCount(static_cast<int32_t>(samples.size()));
    std::copy(samples.begin(), samples.end(), data.buffer.Back().begin());
    data.buffer.Swap();
    data.buffer.SetRangeFactor(rangeFactor);
}

// A screen of that kind on the plot above.
template <class Screen>
struct On : Screen {
    On() { this->SetPlot(kPlot); }
};

void Ramp(CScopeData& data, int32_t n, int16_t value)
{
    data.buffer.SetCount(n);
    std::fill_n(data.buffer.Back().begin(), n, value);
    data.buffer.Swap();
}

TEST(ScopeScreen, FullScaleReachesTheEdgesAndFiveDivisionsAreDrawnOffTheScreenAndClipped)
{
    On<CScopeScreen> screen;
    CScopeData& a = *screen.Channel(0);
    EXPECT_EQ(screen.ZeroPixel(a), 220);
    // 32767 of 65535 halves is 199.997 pixels: truncation lands one pixel below the top edge.
    EXPECT_EQ(screen.SampleY(a, 32767), kPlot.top + 1);
    EXPECT_EQ(screen.SampleY(a, -32768), kPlot.bottom);
    EXPECT_EQ(screen.SampleY(a, 0), 220);

    a.position = 50.0;  // zero line half-way up the upper half
    EXPECT_EQ(screen.ZeroPixel(a), 120);
    a.position = -100.0;
    EXPECT_EQ(screen.ZeroPixel(a), kPlot.bottom);
    a.position = 0.0;
    a.inverted = 1;
    EXPECT_EQ(screen.SampleY(a, 32767), kPlot.bottom - 1);
    a.inverted = 0;
    a.gain = 200.0;
    EXPECT_EQ(screen.SampleY(a, 16384), kPlot.top);
    a.gain = 100.0;

    // 20 mV/div with 0.1 V full scale: factor 1.25, five divisions above the centre.
    Fill(a, {0, 32767, -32768}, 1.25);
    EXPECT_EQ(screen.SampleY(a, 32767), 220 - 249);
    screen.Channel(1)->visible = 0;
    RecordingCanvas canvas;
    screen.DrawTraces(canvas);
    ASSERT_EQ(canvas.polylines.size(), 1u);
    EXPECT_EQ(canvas.polylines[0][1].y, -29);
    EXPECT_EQ(canvas.polylines[0][2].y, 470);
    ASSERT_FALSE(canvas.clips.empty());
    EXPECT_EQ(canvas.clips[0], (CRect{10, 20, 511, 421})) << "drawn inside the plot only";

    // A gain no screen can show is held far out, never wrapped round to the other side.
    a.gain = 1e4;
    EXPECT_LT(screen.SampleY(a, 32767), kPlot.top - 1000);
    EXPECT_GT(screen.SampleY(a, -32768), kPlot.bottom + 1000);
}

TEST(ScopeScreen, PointsSpanThePlotAndTheTraceUsesTheChannelPen)
{
    On<CScopeScreen> screen;
    EXPECT_EQ(screen.PointX(1000, 1001), kPlot.right);
    EXPECT_EQ(screen.PointX(500, 1001), 260);
    EXPECT_EQ(screen.PointX(0, 1001), kPlot.left);

    Ramp(*screen.Channel(0), 1001, 0);
    Ramp(*screen.Channel(1), 1001, 0);
    screen.Channel(1)->position = 50.0;
    RecordingCanvas canvas;
    screen.DrawTraces(canvas);
    ASSERT_EQ(canvas.polylines.size(), 2u);
    EXPECT_EQ(canvas.polylines[0].size(), 1001u);
    EXPECT_EQ(canvas.polylines[1].back(), (CPoint{510, 120})) << "B's flat line at its position";
    EXPECT_EQ(canvas.polylinePens[0].colour, 0xFF0000u);
    EXPECT_EQ(canvas.polylinePens[1].colour, 0x0000FFu);
    EXPECT_EQ(canvas.polylinePens[1].width, 2);

    // A rolling screen still filling shows only the samples that came.
    CScopeData& a = *screen.Channel(0);
    a.buffer.Reset(501);
    const int16_t some[3] = {100, 200, 300};
    a.buffer.AppendSamples(some);
    RecordingCanvas rolling;
    screen.DrawTraces(rolling);
    EXPECT_EQ(rolling.polylines[0].size(), 3u);
    EXPECT_EQ(rolling.polylines[0][2].x, screen.PointX(2, 501));
}

TEST(ScopeScreen, XYModeDrivesXFromAOverEightDivisions)
{
    On<CScopeScreen> screen;
    screen.displayMode = kScopeModeXY;
    Fill(*screen.Channel(0), {-32768, 0, 32767});
    Fill(*screen.Channel(1), {0, 0, 32767});
    RecordingCanvas canvas;
    screen.DrawTraces(canvas);
    ASSERT_EQ(canvas.polylines.size(), 1u);
    const auto& p = canvas.polylines[0];
    EXPECT_EQ(p[1], (CPoint{260, 220}));
    // The full range spans 8 of the 10 divisions: a volt is as wide as it is high.
    EXPECT_EQ(p[0].x, 260 - 200);
    EXPECT_EQ(p[2].x, 260 + 199);
    EXPECT_EQ(p[2].y, 21);
}

TEST(ScopeScreen, GraticuleHasItsLinesAndTicks)
{
    On<CScopeScreen> screen;
    RecordingCanvas canvas;
    screen.DrawGraticule(canvas);
    // 11 + 9 lines, 39 ticks on the centre column, 49 on each of rows 2, 4, 6.
    EXPECT_EQ(canvas.lines.size(), 11u + 9u + 39u + 3u * 49u);
    auto has = [&](CPoint from, CPoint to) {
        return std::any_of(canvas.lines.begin(), canvas.lines.end(),
                           [&](const RecordedLine& l) { return l.from == from && l.to == to; });
    };
    // W = H + 100 = 499, H = 399.
    EXPECT_TRUE(has({10, 20}, {10, 420}));
    EXPECT_TRUE(has({509, 20}, {509, 420})) << "the last vertical line at left + W";
    EXPECT_TRUE(has({10, 419}, {510, 419}));
    EXPECT_TRUE(has({257, 30}, {264, 30})) << "centre column tick k = 1: 3 pixels either side";
    EXPECT_TRUE(has({20, 118}, {20, 123})) << "row 2 tick: 5 pixels";
    EXPECT_TRUE(has({20, 217}, {20, 224})) << "centre row tick: 7 pixels";
    EXPECT_EQ(canvas.lines[0].pen.colour, 0x808080u);

    screen.resolutionY = 192;  // a printer at twice the screen's resolution
    RecordingCanvas printed;
    screen.DrawGraticule(printed);
    EXPECT_TRUE(std::any_of(printed.lines.begin(), printed.lines.end(),
                            [](const RecordedLine& l) { return l.from == CPoint{254, 30} && l.to == CPoint{267, 30}; }));

    screen.gridVisible = 0;
    RecordingCanvas none;
    screen.DrawGraticule(none);
    EXPECT_TRUE(none.lines.empty());
}

TEST(ScopeScreen, MathTracesAddAndMultiplyVolts)
{
    On<CScopeScreenEx> screen;
    screen.math = 1;
    ScopeReadings readings;
    readings.channels[0].range = 5;  // 1 V/div, full scale 5 V
    readings.channels[1].range = 5;
    screen.mathRange = 8;            // 10 V/div: 5 pixels a volt
    EXPECT_DOUBLE_EQ(screen.MathPixelsPerVolt(), 5.0);
    EXPECT_EQ(screen.MathY(32767, 32767, readings), 220 - 50);
    EXPECT_EQ(screen.MathY(32767, -32767, readings), 220);
    screen.mathOperation = 1;
    EXPECT_EQ(screen.MathY(32767, 32767, readings), 220 - 125);
    screen.mathOperation = 0;
    screen.Channel(0)->inverted = 1;
    EXPECT_EQ(screen.MathY(32767, 32767, readings), 220) << "an inverted A is subtracted";
    screen.Channel(0)->inverted = 0;
    screen.MathChannel()->inverted = 1;
    EXPECT_EQ(screen.MathY(32767, 32767, readings), 220 + 50);

    Ramp(*screen.Channel(0), 11, 32767);
    Ramp(*screen.Channel(1), 11, 32767);
    screen.MathChannel()->inverted = 0;
    RecordingCanvas canvas;
    screen.DrawMath(canvas, readings);
    ASSERT_EQ(canvas.polylines.size(), 1u);
    EXPECT_EQ(canvas.polylines[0].size(), 11u);
    EXPECT_EQ(canvas.polylines[0][10], (CPoint{510, 170}));
    EXPECT_EQ(canvas.polylinePens[0].colour, 0xFF00FFu);

    screen.displayMode = kScopeModeXY;
    RecordingCanvas xy;
    screen.DrawMath(xy, readings);
    EXPECT_TRUE(xy.polylines.empty()) << "no math trace in XY mode";
}

TEST(ScopeScreen, TriggerMarkerStandsAtTheLevelAndClampsToTheEdges)
{
    On<CScopeScreen> screen;
    ScopeReadings readings;
    RecordingCanvas none;
    screen.DrawTriggerMarker(none, readings);
    EXPECT_TRUE(none.lines.empty()) << "no marker without a source";

    readings.triggerSource = 1;
    readings.triggerLevel = 50;
    readings.triggerPosition = 75;  // 25 % before the trigger
    EXPECT_EQ(screen.TriggerPoint(readings), (CPoint{135, 220 - 99}));
    readings.triggerPosition = 100;
    EXPECT_EQ(screen.TriggerPoint(readings).x, kPlot.left + 2) << "two pixels in when nothing precedes";

    // 100 % on a channel at position +50 lies above the plot: the bar hangs 6 pixels below the top.
    screen.Channel(0)->position = 50.0;
    readings.triggerLevel = 100;
    readings.triggerPosition = 50;
    EXPECT_LT(screen.TriggerPoint(readings).y, kPlot.top);
    RecordingCanvas above;
    screen.DrawTriggerMarker(above, readings);
    ASSERT_EQ(above.lines.size(), 2u);
    EXPECT_EQ(above.lines[0].from, (CPoint{260, 20}));
    EXPECT_EQ(above.lines[0].to.y, 27);
    EXPECT_EQ(above.lines[1].from, (CPoint{254, 26}));
    EXPECT_EQ(above.lines[1].pen.colour, 0x000000u) << "the inverse of the white background";

    screen.Channel(0)->position = -50.0;
    readings.triggerLevel = -100;
    RecordingCanvas below;
    screen.DrawTriggerMarker(below, readings);
    ASSERT_EQ(below.lines.size(), 2u);
    EXPECT_EQ(below.lines[0].to, (CPoint{260, 420}));
    EXPECT_EQ(below.lines[1].from.y, 419 - 6);
}

TEST(ScopeScreen, InformationTexts)
{
    On<CScopeScreenEx> screen;
    ScopeReadings readings;
    readings.timePerDivision = 1e-3;
    readings.channels[0] = {0, 5};
    readings.channels[1] = {2, 0};
    EXPECT_EQ(StringToUtf8(screen.TimeText(readings)), "T: 1 ms/DIV");
    EXPECT_TRUE(screen.TriggerText(readings).empty());
    readings.triggerSource = 2;
    readings.triggerLevel = -20;
    readings.triggerPosition = 70;
    EXPECT_EQ(StringToUtf8(screen.TriggerText(readings)), "TRG(B) LVL: -20% PRE: 30%");
    EXPECT_EQ(StringToUtf8(screen.ChannelText(0, readings)), "A [1 V/DIV] DC");
    EXPECT_EQ(StringToUtf8(screen.ChannelText(1, readings)), "B [20 mV/DIV] GND");
    EXPECT_TRUE(screen.MathText().empty());
    screen.math = 1;
    screen.mathOperation = 1;
    EXPECT_EQ(StringToUtf8(screen.MathText()), "Y [10 V/DIV] MULT");
    EXPECT_EQ(StringToUtf8(screen.ModeText()), "MUL");
    screen.displayMode = kScopeModeXY;
    EXPECT_EQ(StringToUtf8(screen.ModeText()), "XY ");

    EXPECT_TRUE(screen.CursorTexts(readings).empty());
    screen.cursorChannel = 1;
    std::vector<CString> lines = screen.CursorTexts(readings);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(StringToUtf8(lines[0]), "\u0394T: 8 ms");  // 0.1 to 0.9 of 10 ms
    EXPECT_EQ(StringToUtf8(lines[1]), "f: 125 Hz");
    EXPECT_EQ(StringToUtf8(lines[2]), "\u0394UA: 6 V");  // 0.125 to 0.875 of 8 V
    screen.HorizontalItems()[CScopeScreenEx::kFirstCursorX + 1].position = 0.1;
    lines = screen.CursorTexts(readings);
    ASSERT_EQ(lines.size(), 2u) << "no frequency for cursors at one place";
    EXPECT_EQ(StringToUtf8(lines[0]), "\u0394T: 0 s");

    // Drawn: time top left, trigger top right, channels bottom up from the last, mode bottom right.
    screen.displayMode = kScopeModeXT;
    RecordingCanvas canvas;
    screen.DrawInfoTexts(canvas, readings);
    std::vector<std::string> texts;
    for (const RecordedText& t : canvas.texts)
        texts.push_back(t.text);
    const std::vector<std::string> expected = {"T: 1 ms/DIV", "TRG(B) LVL: -20% PRE: 30%", "\u0394T: 0 s",
                                               "\u0394UA: 6 V",   "B [20 mV/DIV] GND",         "A [1 V/DIV] DC",
                                               "Y [10 V/DIV] MULT", "MUL"};
    EXPECT_EQ(texts, expected);
    EXPECT_LT(canvas.texts[5].box.bottom, canvas.texts[4].box.top + 1) << "A above B";
    EXPECT_EQ(canvas.texts[1].box.right, kPlot.right - 5);
}

TEST(ScopeScreen, DataAsTextHasTimeAndBothChannelsInVolts)
{
    CScopeScreenEx screen;
    screen.SetFourChannels(true);
    Fill(*screen.Channel(0), {0, 32767, -32767});
    Fill(*screen.Channel(1), {16384, 0, 0});
    Fill(*screen.Channel(2), {1, 2, 3});
    ScopeReadings readings;
    readings.timePerDivision = 1e-3;
    readings.channels[0].range = 5;  // 5 V full scale
    readings.channels[1].range = 8;  // 50 V
    CMemStream out;
    screen.WriteDataText(out, readings);
    std::istringstream lines(StringToUtf8(out.Text()));
    std::string line;
    std::vector<std::vector<double>> rows;
    while (std::getline(lines, line)) {
        ASSERT_FALSE(line.empty());
        ASSERT_EQ(line.back(), '\r');
        std::istringstream fields(line);
        std::vector<double> row;
        double v;
        while (fields >> v)
            row.push_back(v);
        rows.push_back(row);
    }
    ASSERT_EQ(rows.size(), 3u);
    for (const auto& row : rows)
        ASSERT_EQ(row.size(), 3u) << "time, A and B only, also with four channels";
    EXPECT_DOUBLE_EQ(rows[1][0], 0.005);
    EXPECT_DOUBLE_EQ(rows[2][0], 0.01);
    EXPECT_DOUBLE_EQ(rows[1][1], 5.0);
    EXPECT_DOUBLE_EQ(rows[2][1], -5.0);
    EXPECT_NEAR(rows[0][2], 25.0, 1e-3);
}

// ---------------------------------------------------------------- archives

TEST(ScopeScreenArchive, ChannelSchemasThreeTwoAndOne)
{
    CScopeData stored(1);
    stored.position = 12.5;
    stored.gain = 50.0;
    stored.inverted = 1;
    stored.secondPercentage = 77.0;
    Fill(stored, {1, -2, 3}, 1.25);
    const Bytes bytes = StoreBytes([&](CArchive& ar) { ar.WriteObject(&stored); });
    std::unique_ptr<CScopeData> loaded;
    LoadBytes(bytes, [&](CArchive& ar) { loaded = ar.ReadObject<CScopeData>(); });
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->channel, 1);
    EXPECT_EQ(loaded->position, 12.5);
    EXPECT_EQ(loaded->gain, 50.0);
    EXPECT_EQ(loaded->inverted, 1);
    EXPECT_EQ(loaded->secondPercentage, 77.0);
    EXPECT_EQ(loaded->pen, stored.pen);
    ASSERT_EQ(loaded->buffer.Count(), 3);
    EXPECT_EQ(loaded->buffer.Front()[1], -2);
    EXPECT_EQ(loaded->buffer.RangeFactor(), 1.25);

    // Schema 2: no second percentage; its buffer of 8-bit samples (buffer schema 1).
    const Bytes two = StoreBytes([&](CArchive& ar) {
        ar << stored.pen << 5.0 << 100.0 << int32_t(0) << uint8_t(0) << uint8_t(0) << uint8_t(1);
        ar << uint32_t(1) << int32_t(2) << int32_t(1) << 1.0 << int8_t(-1) << int8_t(2);
    });
    CScopeData old;
    LoadBytes(two, [&](CArchive& ar) {
        ar.SetObjectSchema(2);
        old.Serialize(ar);
    });
    EXPECT_EQ(old.position, 5.0);
    EXPECT_EQ(old.visible, 0);
    EXPECT_EQ(old.ground, 1);
    EXPECT_EQ(old.secondPercentage, 100.0);
    ASSERT_EQ(old.buffer.Count(), 2);
    EXPECT_EQ(old.buffer.Front()[0], -256);
    EXPECT_EQ(old.buffer.Front()[1], 512);

    // Schema 1: pen, position, gain and index only.
    const Bytes one = StoreBytes([&](CArchive& ar) { ar << stored.pen << -5.0 << 100.0 << int32_t(1); });
    CScopeData oldest(0);
    LoadBytes(one, [&](CArchive& ar) {
        ar.SetObjectSchema(1);
        oldest.Serialize(ar);
    });
    EXPECT_EQ(oldest.channel, 1);
    EXPECT_EQ(oldest.position, -5.0);
    EXPECT_EQ(oldest.visible, 1);

    const Bytes badIndex = StoreBytes([&](CArchive& ar) { ar << stored.pen << 0.0 << 100.0 << int32_t(7); });
    CScopeData kept(0);
    kept.position = 3.0;
    EXPECT_THROW(LoadBytes(badIndex, [&](CArchive& ar) {
                     ar.SetObjectSchema(1);
                     kept.Serialize(ar);
                 }),
                 CArchiveException);
    EXPECT_EQ(kept.position, 3.0);
}

TEST(ScopeScreenArchive, ScreenRoundTripAndOlderSchemas)
{
    CScopeScreen stored;
    stored.gridVisible = 0;
    stored.zeroMarkers = 1;
    stored.displayMode = kScopeModeXY;
    stored.background = 0x102030;
    stored.printMargins[2] = 4.5;
    stored.Channel(1)->position = -40.0;
    Fill(*stored.Channel(0), {7, 8}, 1.0);
    const Bytes bytes = StoreBytes([&](CArchive& ar) { stored.Serialize(ar); });
    CScopeScreen loaded;
    LoadBytes(bytes, [&](CArchive& ar) { loaded.Serialize(ar); });
    EXPECT_EQ(loaded.gridVisible, 0);
    EXPECT_EQ(loaded.zeroMarkers, 1);
    EXPECT_EQ(loaded.displayMode, kScopeModeXY);
    EXPECT_EQ(loaded.background, 0x102030u);
    EXPECT_EQ(loaded.printMargins[2], 4.5);
    EXPECT_EQ(loaded.infoFont, stored.infoFont);
    EXPECT_EQ(loaded.Channel(1)->position, -40.0);
    EXPECT_EQ(loaded.Channel(0)->buffer.Front()[1], 8);

    // Schemas 3 and below kept the font in pixels; 2 and below two more words; 1 no zero-marker flag.
    auto header = [&](CArchive& ar, uint32_t schema, const FontRecord& font, uint8_t zeroMarkers) {
        ar << schema << int32_t(8) << int32_t(10) << uint8_t(1) << font << uint8_t(1) << stored.gridPen
           << uint32_t(0xFFFFFF);
        if (schema >= 2)
            ar << zeroMarkers;
        for (int i = 0; i < 4; ++i)
            ar << 1.0;
        ar << int32_t(0);
        if (schema < 3)
            ar << uint32_t(0xDEAD) << uint32_t(0xBEEF);
    };
    auto older = [&](uint32_t schema) {
        return StoreBytes([&](CArchive& ar) {
            FontRecord font = stored.infoFont;
            font.height = -12;  // pixels at 96 dpi
            header(ar, schema, font, 1);
            ar.WriteCount(0);
            ar << uint32_t(42);
        });
    };
    for (uint32_t schema = 1; schema <= 3; ++schema) {
        CScopeScreen old;
        LoadBytes(older(schema), [&](CArchive& ar) { old.Serialize(ar); });
        EXPECT_EQ(old.infoFont.height, -9) << "schema " << schema;
        EXPECT_EQ(old.lastWord, 42u) << "schema " << schema;
        EXPECT_EQ(old.zeroMarkers, schema >= 2 ? 1 : 0);
        ASSERT_NE(old.Channel(1), nullptr) << "missing channels come back";
    }

    // Damaged: unknown schema, no divisions, two channels with one index. Nothing changes.
    Bytes bad = older(3);
    bad[0] = 9;
    CScopeScreen kept;
    kept.zeroMarkers = 1;
    EXPECT_THROW(LoadBytes(bad, [&](CArchive& ar) { kept.Serialize(ar); }), CArchiveException);
    const Bytes twins = StoreBytes([&](CArchive& ar) {
        header(ar, 4, stored.infoFont, 0);
        CScopeData a(0), again(0);
        ar.WriteCount(2);
        ar.WriteObject(&a);
        ar.WriteObject(&again);
        ar << uint32_t(0);
    });
    EXPECT_THROW(LoadBytes(twins, [&](CArchive& ar) { kept.Serialize(ar); }), CArchiveException);
    EXPECT_EQ(kept.zeroMarkers, 1);
}

TEST(ScopeScreen, RulersFollowTheChannelsAndDragWithinThePlot)
{
    CScopeScreenEx screen;
    screen.LayOut(CRect{0, 0, 528, 428});
    EXPECT_EQ(screen.Plot(), (CRect{14, 14, 514, 414}));
    ScopeReadings readings;
    screen.Channel(1)->position = 50.0;
    screen.PlaceRulers(readings);
    CRulerItemVert& b = screen.VerticalItems()[1];
    EXPECT_EQ(b.Pixel(), screen.ZeroPixel(*screen.Channel(1)));
    EXPECT_FALSE(screen.VerticalItems()[CScopeScreenEx::kTriggerLevelItem].shown) << "no source, no trigger items";
    EXPECT_FALSE(screen.VerticalItems()[4].shown) << "math marker only with the math trace";

    bool vertical = false;
    const CRect box = screen.RulerItemRect(b, true);
    EXPECT_EQ(screen.RulerItemAt({box.left + 2, box.top + 2}, vertical), &b);
    EXPECT_TRUE(vertical);
    b.MoveTo(-50);
    EXPECT_EQ(b.Pixel(), screen.Plot().top);
    EXPECT_NEAR(screen.PositionForPixel(b.Pixel()), 100.0, 0.5);
    EXPECT_NEAR(screen.PositionForPixel(214), 0.0, 0.5);
    screen.dragged = &b;
    screen.PlaceRulers(readings);
    EXPECT_EQ(b.Pixel(), screen.Plot().top) << "a marker being dragged stays under the pointer";
    screen.dragged = nullptr;

    readings.triggerSource = 1;
    readings.triggerLevel = 100;
    screen.Channel(0)->position = 50.0;
    screen.PlaceRulers(readings);
    const CRulerItemVert& level = screen.VerticalItems()[CScopeScreenEx::kTriggerLevelItem];
    EXPECT_TRUE(level.shown);
    EXPECT_EQ(level.kind, 12) << "the icon pointing out of the plot";
    EXPECT_EQ(level.Pixel(), screen.Plot().top);
}

}  // namespace
