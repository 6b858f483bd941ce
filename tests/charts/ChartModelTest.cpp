// Charts without a window, drawn on a recording canvas, and their stored form.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "../framework/ArchiveTestUtil.h"
#include "RecordingCanvas.h"
#include "charts/ChartCurve.h"
#include "charts/ChartModel.h"
#include "framework/Exception.h"
#include "framework/File.h"

namespace {

const CRect kArea{0, 0, 400, 300};

// A chart or an axis stored, and loaded from bytes.
template <class T>
Bytes Store(T& object)
{
    return StoreBytes([&](CArchive& ar) { object.Serialize(ar); });
}

template <class T>
void Load(T& object, const Bytes& bytes)
{
    LoadBytes(bytes, [&](CArchive& ar) { object.Serialize(ar); });
}

enum Side { kBelow, kLeft };

// The label texts drawn below the plot (horizontal axis) or left of it.
std::vector<std::string> Labels(const RecordingCanvas& canvas, const CRect& plot, Side side)
{
    std::vector<std::string> found;
    for (const RecordedText& t : canvas.texts)
        if (!t.rotated && (side == kBelow ? t.box.top > plot.bottom : t.box.right < plot.left))
            found.push_back(t.text);
    return found;
}

}  // namespace

// The default chart (0..100 step 20 both ways, Arial 8 pt at 96 dpi = 11 px,
// lines of 13 px in the recorder): margins come from the labels' extents.
TEST(ChartLayout, MarginsComeFromTheAxesExtentsAndTheEndsLandOnThePlotEdges)
{
    CChartModel chart;
    RecordingCanvas canvas;
    chart.Layout(canvas, kArea);
    // left: half "X0" + 1 = 7, plus the vertical axis: tick 4 + "X100" 24;
    // top: half a line + 2; right: half "X100" + 1; bottom: tick 4 + line 13 + 2.
    EXPECT_EQ(chart.Plot(), (CRect{35, 8, 386, 280}));
    const CAxis& y = chart.Vertical(0);
    const CAxis& x = chart.Horizontal();
    EXPECT_EQ(y.ValueToPixel(0), 280);
    EXPECT_EQ(y.ValueToPixel(100), 8);
    EXPECT_EQ(x.ValueToPixel(0), 35);
    EXPECT_EQ(x.ValueToPixel(100), 386);
    EXPECT_EQ(x.ValueToPixel(20), 35 + 70);  // trunc(20 × 3.51)
    EXPECT_NEAR(x.PixelToValue(386), 100.0, 1e-9);
    EXPECT_NEAR(y.PixelToValue(8), 100.0, 1e-9);

    // A title takes one more line and a gap; a second visible axis stands left of the first.
    chart.Vertical(0).SetUnitText(u"U/#V");
    chart.VerticalAxes().push_back(std::make_unique<CAxis>(false));
    chart.Vertical(1).SetRange(-3, 7, 10);
    chart.Layout(canvas, kArea);
    EXPECT_EQ(chart.Plot().left, 7 + (4 + 24 + 13 + 4) + (4 + 18));  // "X-4" is 18 wide
    EXPECT_EQ(chart.AxisAt({chart.Plot().left - 5, 100}), &chart.Vertical(0));
    EXPECT_EQ(chart.AxisAt({chart.Plot().left - 50, 100}), &chart.Vertical(1));
    EXPECT_EQ(chart.AxisAt({200, chart.Plot().bottom + 5}), &chart.Horizontal());
    EXPECT_EQ(chart.AxisAt({200, 100}), nullptr);

    // Hiding the horizontal axis leaves 10 pixels round the plot.
    chart.Horizontal().visible = false;
    chart.VerticalAxes().resize(1);
    chart.Vertical(0).SetUnitText({});
    chart.Layout(canvas, kArea);
    EXPECT_EQ(chart.Plot().bottom, 299 - 10);
    EXPECT_EQ(chart.Plot().right, 399 - 10);
    EXPECT_EQ(chart.Plot().left, 10 + 28);
}

TEST(ChartAxes, LabelsSitOnWholeStepsAnchoredAtZeroWithTheirDecimals)
{
    CChartModel chart;
    chart.Horizontal().SetRange(-1, 1, 4);  // step 0.5
    chart.Vertical(0).SetRange(5, 6, 10);   // step 0.2, one decimal
    RecordingCanvas canvas;
    chart.Layout(canvas, kArea);
    chart.Paint(canvas, {});
    EXPECT_EQ(Labels(canvas, chart.Plot(), kBelow), (std::vector<std::string>{"0.0", "0.5", "1.0", "-0.5", "-1.0"}));
    EXPECT_EQ(Labels(canvas, chart.Plot(), kLeft),
              (std::vector<std::string>{"5.0", "5.2", "5.4", "5.6", "5.8", "6.0"}));
    // Each label is centred on its tick: below it on the horizontal axis,
    // right-aligned left of it on the vertical one.
    for (const RecordedText& t : canvas.texts) {
        if (t.text == "0.5") {
            EXPECT_EQ(t.at.x, chart.Horizontal().ValueToPixel(0.5));
            EXPECT_EQ(t.horizontal, ChartAlign::centre);
        }
        if (t.text == "5.4") {
            EXPECT_EQ(t.at.y, chart.Vertical(0).ValueToPixel(5.4));
            EXPECT_EQ(t.horizontal, ChartAlign::end);
        }
    }
    // The zero line of the horizontal axis is solid and vertical, at x(0).
    const int32_t zero = chart.Horizontal().ValueToPixel(0);
    int zeroLines = 0;
    for (const RecordedLine& l : canvas.lines)
        if (l.pen.style == ChartPen::solid && l.from.x == zero && l.to.x == zero && l.from.y == chart.Plot().top)
            ++zeroLines;
    EXPECT_EQ(zeroLines, 1);
}

TEST(ChartAxes, ADivisorOfAThousandPrintsThousandsAndPutsItsPrefixInTheTitle)
{
    CChartModel chart;
    chart.Vertical(0).SetRange(0, 10000, 10);  // step 2000
    chart.Vertical(0).SetUnitText(u"U/#V");
    RecordingCanvas canvas;
    chart.Layout(canvas, kArea);
    chart.Paint(canvas, {});
    EXPECT_EQ(chart.Vertical(0).RangeSet().divisor, 1000.0);
    EXPECT_EQ(Labels(canvas, chart.Plot(), kLeft), (std::vector<std::string>{"0", "2", "4", "6", "8", "10"}));
    // One title, left of the labels, clear of them and of the area's edge.
    const auto isTitle = [](const RecordedText& t) { return t.rotated; };
    ASSERT_EQ(std::count_if(canvas.texts.begin(), canvas.texts.end(), isTitle), 1);
    const RecordedText& title = *std::find_if(canvas.texts.begin(), canvas.texts.end(), isTitle);
    EXPECT_EQ(title.text, "U/kV");
    EXPECT_GE(title.box.left, 0);
    for (const RecordedText& label : canvas.texts)
        EXPECT_TRUE(label.rotated || label.box.right >= chart.Plot().left || title.box.right <= label.box.left)
            << label.text;
}

TEST(ChartAxes, ALogarithmicAxisLabelsItsDecadesAndGridsEveryUnit)
{
    CChartModel chart;
    chart.Horizontal().SetFlags(chart.Horizontal().Flags() | kAxisLogarithmic);
    chart.Horizontal().SetRange(3, 2000, 10);
    EXPECT_EQ(chart.Horizontal().RangeSet(), (AxisRange{1, 10000, 1, 1}));
    chart.verticalGridPen = {ChartPen::dot, 0, 0, 0x808080};
    RecordingCanvas canvas;
    chart.Layout(canvas, kArea);
    chart.Paint(canvas, {});
    std::vector<std::string> below = Labels(canvas, chart.Plot(), kBelow);
    EXPECT_EQ(below, (std::vector<std::string>{"10", "0", "10", "1", "10", "2", "10", "3", "10", "4"}));
    // The exponent stands half a line above its base, right after it.
    const RecordedText& base = *std::find_if(canvas.texts.begin(), canvas.texts.end(),
                                             [](const RecordedText& t) { return t.text == "10"; });
    const RecordedText& exponent = *std::find_if(canvas.texts.begin(), canvas.texts.end(),
                                                 [](const RecordedText& t) { return t.text == "0"; });
    EXPECT_EQ(exponent.box.left, base.box.right);
    EXPECT_EQ(exponent.box.top, base.box.top - base.box.Height() / 2);
    // 1..9 in each of four decades and the last decade's 1: vertical dotted lines.
    int gridLines = 0;
    for (const RecordedLine& l : canvas.lines)
        if (l.pen.style == ChartPen::dot && l.from.x == l.to.x)
            ++gridLines;
    EXPECT_EQ(gridLines, 37);
    EXPECT_EQ(chart.Horizontal().ValueToPixel(100), (chart.Plot().left + chart.Plot().right) / 2);
    // No zero line on a logarithmic axis, and values at or below 0 land far off the plot.
    EXPECT_LT(chart.Horizontal().ValueToPixel(0), -1000);
    EXPECT_LT(chart.Horizontal().ValueToPixel(-5), -1000);
}

// Whatever the range and however narrow the chart, no two labels of an axis
// touch, every label stays inside the chart, and nothing hangs.
TEST(ChartAxes, LabelsNeverOverlapOnAnyRangeOrWidth)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    struct Range {
        double minimum, maximum;
        bool logarithmic;
    };
    const Range ranges[] = {{0, 100, false},        {-3, 7, false},       {5, 6, false},
                            {123456, 123457, false}, {0, 1e-9, false},     {-1e12, 1e12, false},
                            {7, 7, false},          {nan, 5, false},      {0, inf, false},
                            {3, 2000, true},        {-5, 100, true},      {1e-12, 1e12, true},
                            {0.001, 0.0011, false}, {-0.0005, 0.002, false}};
    for (const Range& r : ranges)
        for (int width : {120, 200, 300, 640}) {
            CChartModel chart;
            if (r.logarithmic) {
                chart.Horizontal().SetFlags(chart.Horizontal().Flags() | kAxisLogarithmic);
                chart.Vertical(0).SetFlags(chart.Vertical(0).Flags() | kAxisLogarithmic);
            }
            chart.Horizontal().SetRange(r.minimum, r.maximum, 10);
            chart.Vertical(0).SetRange(r.minimum, r.maximum, 10);
            RecordingCanvas canvas;
            const CRect area{0, 0, width, width * 3 / 4};
            chart.Layout(canvas, area);
            chart.Paint(canvas, {});
            ASSERT_FALSE(canvas.texts.empty());
            for (size_t i = 0; i < canvas.texts.size(); ++i) {
                const RecordedText& a = canvas.texts[i];
                EXPECT_TRUE(a.box.left >= -1 && a.box.right <= area.right + 1)
                    << a.text << " of " << r.minimum << ".." << r.maximum << " at width " << width;
                for (size_t j = i + 1; j < canvas.texts.size(); ++j)
                    EXPECT_FALSE(a.box.Intersects(canvas.texts[j].box))
                        << a.text << " and " << canvas.texts[j].text << " of " << r.minimum << ".." << r.maximum
                        << " at width " << width;
            }
        }
}

TEST(ChartPainting, GridsAndSignalsComeInTheChosenOrderInsideTheClip)
{
    CChartModel chart;
    RecordingCanvas canvas;
    chart.Layout(canvas, kArea);
    std::string& order = canvas.order;
    auto signals = [&](IChartCanvas& c) {
        const CPoint curve[2] = {{40, 40}, {80, 80}};
        c.Polyline(curve, 2, {ChartPen::solid, 2, 0, 0xFF});
    };
    chart.Paint(canvas, signals);
    const size_t clip = order.find('C');
    const size_t curve = canvas.polylinePens.empty() ? std::string::npos : order.find('P', clip);
    ASSERT_NE(clip, std::string::npos);
    // Grid lines (L) between the clip and the curve, the frame (P) after it.
    EXPECT_NE(order.substr(clip, curve - clip).find('L'), std::string::npos);
    EXPECT_EQ(canvas.polylinePens[0].width, 2);
    EXPECT_EQ(canvas.clips.back(), (CRect{34, 8, 387, 281}));

    chart.gridInFront = true;
    RecordingCanvas front;
    chart.Layout(front, kArea);
    chart.Paint(front, signals);
    const size_t frontClip = front.order.find('C');
    EXPECT_EQ(front.order[frontClip + 1], 'P');  // the curve first

    // A pen of style 5 switches its grid off.
    chart.verticalGridPen.style = ChartPen::none;
    chart.horizontalGridPen.style = ChartPen::none;
    RecordingCanvas bare;
    chart.Layout(bare, kArea);
    chart.Paint(bare, {});
    for (const RecordedLine& l : bare.lines)
        EXPECT_NE(l.pen.style, ChartPen::alternate);
}

// A million points make a polyline of at most four points per pixel column;
// points that are not finite break the line instead of drawing to infinity.
TEST(ChartCurves, OnlyWhatThePixelsCanShowIsDrawn)
{
    CChartModel chart;
    chart.Horizontal().SetRange(0, 1e6, 10);
    chart.Vertical(0).SetRange(-1, 1, 10);
    RecordingCanvas canvas;
    chart.Layout(canvas, kArea);
    std::vector<double> xs(1000000), ys(1000000);
    for (size_t i = 0; i < xs.size(); ++i) {
        xs[i] = double(i);
        ys[i] = std::sin(double(i) / 500.0);
    }
    ys[500000] = std::numeric_limits<double>::quiet_NaN();
    const auto runs = CurveRuns(chart.Horizontal(), chart.Vertical(0), xs.data(), ys.data(), xs.size());
    ASSERT_EQ(runs.size(), 2u);
    size_t points = 0;
    int32_t top = INT32_MAX, bottom = INT32_MIN;
    for (const auto& run : runs)
        for (const CPoint& p : run) {
            ++points;
            top = std::min(top, p.y);
            bottom = std::max(bottom, p.y);
        }
    EXPECT_LE(points, size_t(4 * (chart.Plot().Width() + 2)));
    // The envelope survives: the sine still reaches both ends of its range.
    EXPECT_LE(top, chart.Vertical(0).ValueToPixel(0.999));
    EXPECT_GE(bottom, chart.Vertical(0).ValueToPixel(-0.999));

    // A few points keep every point, in order.
    const double fewX[] = {0, 500000, 1000000}, fewY[] = {0, 1, -1};
    const auto few = CurveRuns(chart.Horizontal(), chart.Vertical(0), fewX, fewY, 3);
    ASSERT_EQ(few.size(), 1u);
    EXPECT_EQ(few[0], (std::vector<CPoint>{{chart.Plot().left, chart.Vertical(0).ValueToPixel(0)},
                                           {chart.Horizontal().ValueToPixel(500000), chart.Plot().top},
                                           {chart.Plot().right, chart.Plot().bottom}}));
}

TEST(ChartLabels, ALabelIsCentredOnItsPlacePlacedByThePointerAndHitOnItsBox)
{
    CChartModel chart;
    chart.labels.push_back(std::make_unique<CLabel>());
    RecordingCanvas canvas;
    chart.Layout(canvas, kArea);
    chart.Paint(canvas, {});
    CLabel& label = *chart.labels[0];
    const CRect& plot = chart.Plot();
    const int32_t cx = (plot.left + plot.right) / 2, cy = (plot.top + plot.bottom) / 2;
    EXPECT_NEAR((label.box.left + label.box.right) / 2, cx, 1);
    EXPECT_NEAR((label.box.top + label.box.bottom) / 2, cy, 1);
    EXPECT_EQ(chart.LabelAt({cx, cy}), &label);
    EXPECT_EQ(chart.LabelAt({plot.left + 2, plot.top + 2}), nullptr);
    label.MoveTo({plot.left, plot.bottom + 50}, plot);  // kept inside the plot
    EXPECT_EQ(label.x, 0.0);
    EXPECT_EQ(label.y, 1.0);
}

TEST(ChartArchive, AChartComesBackAsStoredAndADamagedOneChangesNothing)
{
    CChartModel chart;
    chart.Vertical(0).SetRange(-3, 7, 10);
    chart.Vertical(0).SetUnitText(u"U/#V");
    chart.Vertical(0).name = u"Voltage";
    chart.VerticalAxes().push_back(std::make_unique<CAxis>(false));
    chart.Vertical(1).SetFlags(chart.Vertical(1).Flags() | kAxisLogarithmic);
    chart.Vertical(1).SetRange(3, 2000, 10);
    chart.Horizontal().minorSubdivisions = 5;
    chart.background = 0x102030;
    chart.horizontalGridPen = {ChartPen::dash, 1, 0, 0x00FF00};
    chart.printMargins[3] = 4.5;
    chart.labels.push_back(std::make_unique<CLabel>());
    chart.labels[0]->text = u"Cut-off \u2248 1 kHz";
    chart.exportSettings.destination = CExport::file;
    chart.exportSettings.formatIndex = 1;
    static_cast<CExportImageFormat&>(*chart.exportSettings.formats[1]).width = 640;
    chart.exportSettings.formats[1]->fileName = u"C:\\plots\\bode.bmp";
    const Bytes bytes = Store(chart);

    CChartModel loaded;
    loaded.currentAxis = 0;
    Load(loaded, bytes);
    ASSERT_EQ(loaded.VerticalAxes().size(), 2u);
    EXPECT_EQ(loaded.Vertical(0).RangeSet(), (AxisRange{-4, 8, 2, 1}));
    EXPECT_EQ(loaded.Vertical(0).TitleText(), u"U/V");
    EXPECT_EQ(loaded.Vertical(0).name, u"Voltage");
    EXPECT_TRUE(loaded.Vertical(1).IsLogarithmic());
    EXPECT_EQ(loaded.Vertical(1).RangeSet(), (AxisRange{1, 10000, 1, 1}));
    EXPECT_EQ(loaded.Horizontal().minorSubdivisions, 5);
    EXPECT_TRUE(loaded.Horizontal().IsHorizontal());
    EXPECT_EQ(loaded.background, 0x102030u);
    EXPECT_EQ(loaded.horizontalGridPen, chart.horizontalGridPen);
    EXPECT_EQ(loaded.printMargins[3], 4.5);
    ASSERT_EQ(loaded.labels.size(), 1u);
    EXPECT_EQ(loaded.labels[0]->text, chart.labels[0]->text);
    EXPECT_EQ(loaded.labels[0]->font, chart.labels[0]->font);
    EXPECT_EQ(loaded.exportSettings.destination, uint32_t(CExport::file));
    EXPECT_EQ(loaded.exportSettings.formatIndex, 1u);
    EXPECT_EQ(static_cast<CExportImageFormat&>(*loaded.exportSettings.formats[1]).width, 640);
    EXPECT_EQ(loaded.exportSettings.formats[1]->fileName, u"C:\\plots\\bode.bmp");
    EXPECT_TRUE(loaded.needsLayout);
    // Stored again, it loads to the same bytes (the log axis's unused zoom
    // set became its range on the way).
    const Bytes again = Store(loaded);
    CChartModel reloaded;
    Load(reloaded, again);
    EXPECT_EQ(Store(reloaded), again);

    // Cut anywhere, or with a schema from the future, the chart is refused
    // and the one being loaded into keeps what it had.
    for (size_t cut = 0; cut < bytes.size(); cut += 7) {
        CChartModel target;
        target.background = 0xABCDEF;
        Bytes part(bytes.begin(), bytes.begin() + cut);
        EXPECT_THROW(Load(target, part), CArchiveException) << cut;
        EXPECT_EQ(target.background, 0xABCDEFu);
        EXPECT_EQ(target.VerticalAxes().size(), 1u);
        EXPECT_TRUE(target.labels.empty());
    }
    Bytes future = bytes;
    future[0] = 4;
    CChartModel target;
    EXPECT_THROW(Load(target, future), CArchiveException);
}

// Schema 3 held the font height in pixels at 96 dpi, schema 2 had no zoom
// range set, schema 1 no grid flags: each loads with the rest defaulted.
TEST(ChartArchive, OlderAxisSchemasLoad)
{
    CAxis axis(false);
    axis.SetRange(-3, 7, 10);
    FontRecord font = axis.Font();
    font.height = -16;  // points now
    axis.SetFont(font);
    axis.SetGridFlags(kGridNoMaximumLine);
    Bytes v4 = Store(axis);

    // Schema 3: the same fields; the height read as pixels.
    Bytes v3 = v4;
    v3[0] = 3;
    CAxis loaded3(false);
    Load(loaded3, v3);
    EXPECT_EQ(loaded3.Font().height, -12);
    EXPECT_EQ(loaded3.RangeSet(), axis.RangeSet());

    // Schema 2: without the four doubles of the second set (after the first
    // word, the log word, three doubles and the first four doubles).
    const size_t secondSet = 4 + 4 + 3 * 8 + 4 * 8;
    Bytes v2 = v4;
    v2[0] = 2;
    v2.erase(v2.begin() + secondSet, v2.begin() + secondSet + 4 * 8);
    CAxis loaded2(false);
    Load(loaded2, v2);
    EXPECT_EQ(loaded2.RangeSet(), (AxisRange{-4, 8, 2, 1}));
    EXPECT_EQ(loaded2.SavedRangeSet(), loaded2.RangeSet());
    EXPECT_EQ(loaded2.GridFlags(), uint32_t(kGridNoMaximumLine));

    // Schema 1: also without grid flags and label colour (after six words).
    Bytes v1 = v2;
    v1[0] = 1;
    const size_t gridFlags = secondSet + 6 * 4;
    v1.erase(v1.begin() + gridFlags, v1.begin() + gridFlags + 8);
    CAxis loaded1(false);
    Load(loaded1, v1);
    EXPECT_EQ(loaded1.GridFlags(), uint32_t(kGridNoMinimumLine));
    EXPECT_EQ(loaded1.Font().faceName, u"Arial");
    EXPECT_EQ(loaded1.Font().height, -12);

    // A range stored upside down is damage, not a chart.
    CAxis target(false);
    Bytes bad = v4;
    const double upside = -100;
    std::memcpy(&bad[4 + 4 + 3 * 8 + 8], &upside, 8);  // maximum below the minimum
    EXPECT_THROW(Load(target, bad), CArchiveException);
    EXPECT_EQ(target.RangeSet(), AxisRange{});
}

TEST(ChartArchive, SignalsAreStoredAsThirtyTwoBytesEach)
{
    std::vector<CChartSignal> signals(2);
    signals[0].nameId = 20053;
    signals[0].pen = {ChartPen::dash, 2, 0, 0x0000FF};
    signals[1].visible = false;
    signals[1].barStyle = BarStyle::bars;
    const Bytes bytes = StoreBytes([&](CArchive& ar) { SerializeSignals(ar, signals); });
    ASSERT_EQ(bytes.size(), 2u + 2 * 32);
    EXPECT_EQ(bytes[2 + 8], 1);       // visible byte
    EXPECT_EQ(bytes[2 + 12], 1);      // pen style
    EXPECT_EQ(bytes[2 + 32 + 28], 1); // bar style
    std::vector<CChartSignal> loaded(2);
    loaded[0].name = u"A\nChannel A";
    LoadBytes(bytes, [&](CArchive& ar) { SerializeSignals(ar, loaded); });
    EXPECT_EQ(loaded[0].pen, signals[0].pen);
    EXPECT_EQ(loaded[0].name, u"A\nChannel A");
    EXPECT_FALSE(loaded[1].visible);
    EXPECT_EQ(loaded[1].barStyle, BarStyle::bars);
    EXPECT_EQ(SignalListName(loaded[0].name), u"Channel A");
    EXPECT_EQ(SignalShortName(loaded[0].name), u"A");
    EXPECT_EQ(SignalListName(u"B\n"), u"B");
}
