// The cursors' read-out, the rubber-band zoom and its way back, and the
// scroll bars of a zoomed chart.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "RecordingCanvas.h"
#include "charts/ChartCurve.h"
#include "charts/CursorZoom.h"

namespace {

std::vector<std::string> Texts(const std::vector<CString>& table)
{
    std::vector<std::string> out;
    for (const CString& s : table)
        out.push_back(StringToUtf8(s));
    return out;
}

struct Zoomable {
    Zoomable()
    {
        chart.Horizontal().SetRange(0, 100, 10);
        chart.Vertical(0).SetRange(-10, 10, 10);
        chart.Layout(canvas, {0, 0, 400, 300});
    }
    void Relayout() { chart.Layout(canvas, {0, 0, 400, 300}); }
    CChartModel chart;
    RecordingCanvas canvas;
    CChartZoom zoom;
};

}  // namespace

TEST(CursorReadout, ShowsBothCursorsTheirDifferencesAndTheSlope)
{
    EXPECT_EQ(Texts(CursorReadout({1.5, 2.0, 3.5, 6.0}, true, false)),
              (std::vector<std::string>{"x1", "1.5", "y1", "2", "x2", "3.5", "y2", "6", "\u0394x", "2", "\u0394y",
                                        "4", "\u0394y/\u0394x", "2"}));
    // Three significant digits; no slope when Δx is 0 or in the no-slope mode.
    EXPECT_EQ(Texts(CursorReadout({0.0012345, 1, 0.0012345, 123456, }, true, false))[13], "");
    EXPECT_EQ(Texts(CursorReadout({0.0012345, 1, 0.0012345, 123456}, true, false))[7], "1.23e+05");
    EXPECT_EQ(CursorReadout({0, 0, 1, 1}, true, true).size(), 12u);
    // On x positions only, the y entries and the slope stay empty.
    EXPECT_EQ(Texts(CursorReadout({1, 5, 2, 7}, false, false)),
              (std::vector<std::string>{"x1", "1", "y1", "", "x2", "2", "y2", "", "\u0394x", "1", "\u0394y", "",
                                        "\u0394y/\u0394x", ""}));
    EXPECT_TRUE(NearCursor(110, 100, false));
    EXPECT_FALSE(NearCursor(111, 100, false));
    EXPECT_TRUE(NearCursor(70, 100, true));
}

// Where the cursors sit on a measured curve: between its samples, not beyond them.
TEST(CurveValueAt, InterpolatesBetweenSamplesAndRefusesOutsideOrBrokenPoints)
{
    const std::vector<double> xs = {1, 2, 4}, ys = {10, 20, -20};
    double y = 0;
    EXPECT_TRUE(CurveValueAt(xs, ys, 1.5, y));
    EXPECT_DOUBLE_EQ(y, 15);
    EXPECT_TRUE(CurveValueAt(xs, ys, 3, y));
    EXPECT_DOUBLE_EQ(y, 0);
    EXPECT_TRUE(CurveValueAt(xs, ys, 4, y));
    EXPECT_DOUBLE_EQ(y, -20);
    EXPECT_FALSE(CurveValueAt(xs, ys, 0.5, y));
    EXPECT_FALSE(CurveValueAt(xs, ys, 4.5, y));
    const std::vector<double> one = {7}, broken = {10, std::nan(""), 30};
    EXPECT_TRUE(CurveValueAt(one, one, 7, y));
    EXPECT_FALSE(CurveValueAt(xs, broken, 1.5, y));
}

TEST(ChartZoom, ARubberBandZoomsEveryAxisToReadableRangesAndUnzoomGoesBack)
{
    Zoomable z;
    CAxis& x = z.chart.Horizontal();
    CAxis& y = z.chart.Vertical(0);
    const AxisRange fullX = x.RangeSet(), fullY = y.RangeSet();

    // Without height or width: nothing happens.
    EXPECT_FALSE(z.zoom.ZoomTo(z.chart, {x.ValueToPixel(20), 100, x.ValueToPixel(40), 100}));
    EXPECT_FALSE(z.zoom.Zoomed());
    EXPECT_EQ(x.RangeSet(), fullX);

    // Corners in any order; x 20..40 and y 0..5 become readable ranges.
    ASSERT_TRUE(z.zoom.ZoomTo(z.chart, {x.ValueToPixel(40), y.ValueToPixel(0), x.ValueToPixel(20) + 1, y.ValueToPixel(5)}));
    EXPECT_TRUE(z.chart.needsLayout);
    EXPECT_NEAR(x.RangeSet().minimum, 20, 1e-9);
    EXPECT_NEAR(x.RangeSet().maximum, 40, 1e-9);
    EXPECT_NEAR(x.RangeSet().step, 2, 1e-9);
    EXPECT_NEAR(y.RangeSet().minimum, 0, 1e-9);
    EXPECT_NEAR(y.RangeSet().maximum, 5, 1e-9);
    z.Relayout();

    // A second zoom, then one unzoom: back to before the first.
    ASSERT_TRUE(z.zoom.ZoomTo(z.chart, {x.ValueToPixel(25), y.ValueToPixel(1), x.ValueToPixel(30), y.ValueToPixel(2)}));
    EXPECT_TRUE(z.zoom.Unzoom(z.chart));
    EXPECT_EQ(x.RangeSet(), fullX);
    EXPECT_EQ(y.RangeSet(), fullY);
    EXPECT_FALSE(z.zoom.Unzoom(z.chart));
}

TEST(ChartZoom, ScrollBarsReachOverTheFullRangeInSteps)
{
    Zoomable z;
    CAxis& x = z.chart.Horizontal();
    EXPECT_EQ(CChartZoom::ScrollOf(x), ScrollState{});  // not zoomed: no bar
    ASSERT_TRUE(z.zoom.ZoomTo(z.chart, {x.ValueToPixel(20) + 1, 50, x.ValueToPixel(40), 60}));
    // 0..100 full, 20..40 shown, step 2: 40 steps of travel, at step 10.
    EXPECT_EQ(CChartZoom::ScrollOf(x), (ScrollState{40, 10}));
    EXPECT_TRUE(CChartZoom::ScrollBy(x, 3));
    EXPECT_NEAR(x.RangeSet().minimum, 26, 1e-9);
    EXPECT_NEAR(x.RangeSet().maximum, 46, 1e-9);
    // Kept within the full range at both ends.
    EXPECT_TRUE(CChartZoom::ScrollBy(x, 100));
    EXPECT_NEAR(x.RangeSet().maximum, 100, 1e-9);
    EXPECT_FALSE(CChartZoom::ScrollBy(x, 1));
    EXPECT_TRUE(CChartZoom::ScrollTo(x, -5));
    EXPECT_NEAR(x.RangeSet().minimum, 0, 1e-9);

    // A logarithmic axis scrolls by decades.
    Zoomable log;
    CAxis& f = log.chart.Horizontal();
    f.SetFlags(f.Flags() | kAxisLogarithmic);
    f.SetRange(1, 1e6, 10);
    log.Relayout();
    ASSERT_TRUE(log.zoom.ZoomTo(log.chart, {f.ValueToPixel(150), 50, f.ValueToPixel(5000), 60}));
    EXPECT_EQ(f.RangeSet(), (AxisRange{100, 10000, 1, 1}));
    EXPECT_EQ(CChartZoom::ScrollOf(f), (ScrollState{4, 2}));
    EXPECT_TRUE(CChartZoom::ScrollBy(f, -1));
    EXPECT_NEAR(f.RangeSet().minimum, 10, 1e-9);
    EXPECT_NEAR(f.RangeSet().maximum, 1000, 1e-6);
}
