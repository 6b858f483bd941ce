// How long a chart takes to draw: 4 curves of 1001 points and 1 curve of
// 100 000 points, laid out and painted off screen as the chart window does,
// 640 × 420 pixels; and the axes and grid alone.
#include <cmath>
#include <cstdio>
#include <vector>

#include "BenchTiming.h"
#include "charts/ChartCurve.h"
#include "charts/ChartModel.h"
#include "charts/win32/ChartCanvasWin32.h"

namespace {

struct Curve {
    std::vector<double> x, y;
};

std::vector<Curve> Curves(int count, size_t points)
{
    std::vector<Curve> curves(static_cast<size_t>(count));
    for (int c = 0; c < count; ++c)
        for (size_t i = 0; i < points; ++i) {
            const double t = double(i) / double(points - 1);
            curves[size_t(c)].x.push_back(t * 0.01);
            curves[size_t(c)].y.push_back(4 * std::sin(2 * 3.14159265 * (5 + c) * t + c) + std::sin(t * 900));
        }
    return curves;
}

void Paint(IChartCanvas& canvas, CChartModel& chart, const std::vector<Curve>& curves)
{
    chart.Layout(canvas, {0, 0, 640, 420});
    chart.Paint(canvas, [&](IChartCanvas& c) {
        uint32_t colour = 0x0000C0;
        for (const Curve& curve : curves) {
            DrawCurve(c, chart.Horizontal(), chart.Vertical(0), curve.x.data(), curve.y.data(), curve.x.size(),
                      {ChartPen::solid, 1, 0, colour});
            colour <<= 4;
        }
    });
}

}  // namespace

int main()
{
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 640, 420);
    SelectObject(memory, bitmap);
    CChartModel chart;
    chart.Horizontal().SetRange(0, 0.01, 10);
    chart.Vertical(0).SetRange(-5, 5, 10);
    chart.horizontalGridPen = chart.verticalGridPen = {ChartPen::dot, 0, 0, 0xA0A0A0};

    struct Case {
        const char* name;
        int curves;
        size_t points;
        double goalMs;
    } cases[] = {{"4 curves x 1001 points", 4, 1001, 2.0}, {"1 curve x 100000 points", 1, 100000, 20.0}};
    std::printf("chart drawing, 640 x 420 pixels, mean of 50 runs\n");
    for (const Case& c : cases) {
        const std::vector<Curve> curves = Curves(c.curves, c.points);
        const double all = vexabench::MicrosecondsPer(50, [&] {
            CGdiChartCanvas canvas(memory);
            Paint(canvas, chart, curves);
        });
        const double axes = vexabench::MicrosecondsPer(50, [&] {
            CGdiChartCanvas canvas(memory);
            Paint(canvas, chart, {});
        });
        std::printf("  %-26s %7.2f ms   (axes and grid alone %.2f ms; goal under %.0f ms)\n", c.name, all / 1000,
                    axes / 1000, c.goalMs);
        vexabench::Row(std::string("chart draw, ") + c.name, vexabench::Format("%.2f ms", all / 1000),
                       vexabench::Format("< %.0f ms", c.goalMs));
    }
    DeleteDC(memory);
    DeleteObject(bitmap);
    ReleaseDC(nullptr, screen);
    return 0;
}
