#include "charts/ChartCurve.h"

#include <algorithm>
#include <cmath>

namespace {

// One pixel column's points in the order they matter for the picture.
struct Column {
    int32_t x = 0;
    int32_t first = 0, lowest = 0, highest = 0, last = 0;
    bool lowestFirst = true;  // the lowest point came before the highest

    void Emit(std::vector<CPoint>& run) const
    {
        auto add = [&](int32_t y) {
            if (run.empty() || run.back().x != x || run.back().y != y)
                run.push_back({x, y});
        };
        add(first);
        add(lowestFirst ? lowest : highest);
        add(lowestFirst ? highest : lowest);
        add(last);
    }
};

}  // namespace

std::vector<std::vector<CPoint>> CurveRuns(const CAxis& xAxis, const CAxis& yAxis, const double* xs,
                                           const double* ys, size_t count)
{
    std::vector<std::vector<CPoint>> runs;
    std::vector<CPoint> run;
    Column column;
    bool open = false;
    auto close = [&]() {
        if (open)
            column.Emit(run);
        open = false;
        if (!run.empty())
            runs.push_back(std::move(run));
        run.clear();
    };
    for (size_t i = 0; i < count; ++i) {
        if (!std::isfinite(xs[i]) || !std::isfinite(ys[i])) {
            close();
            continue;
        }
        const int32_t x = xAxis.ValueToPixel(xs[i]);
        const int32_t y = yAxis.ValueToPixel(ys[i]);
        if (open && x == column.x) {
            column.last = y;
            if (y < column.lowest) {
                column.lowest = y;
                column.lowestFirst = false;
            }
            if (y > column.highest) {
                column.highest = y;
                column.lowestFirst = true;
            }
            continue;
        }
        if (open)
            column.Emit(run);
        column = {x, y, y, y, y, true};
        open = true;
    }
    close();
    return runs;
}

void DrawCurve(IChartCanvas& canvas, const CAxis& xAxis, const CAxis& yAxis, const double* xs, const double* ys,
               size_t count, const ChartPen& pen, BarStyle style)
{
    if (!pen.Visible())
        return;
    const std::vector<std::vector<CPoint>> runs = CurveRuns(xAxis, yAxis, xs, ys, count);
    const int32_t base = yAxis.IsLogarithmic() ? yAxis.PixelEnd()
                                               : yAxis.ValueToPixel(std::clamp(0.0, yAxis.RangeSet().minimum,
                                                                               yAxis.RangeSet().maximum));
    for (const std::vector<CPoint>& run : runs) {
        switch (style) {
        case BarStyle::line:
            if (run.size() == 1)
                canvas.Line(run[0], {run[0].x + 1, run[0].y}, pen);
            else
                canvas.Polyline(run.data(), run.size(), pen);
            break;
        case BarStyle::bars:
            for (const CPoint& p : run)
                canvas.Line({p.x, base}, p, pen);
            break;
        case BarStyle::steps: {
            std::vector<CPoint> steps;
            steps.reserve(run.size() * 2);
            for (const CPoint& p : run) {
                if (!steps.empty())
                    steps.push_back({p.x, steps.back().y});
                steps.push_back(p);
            }
            canvas.Polyline(steps.data(), steps.size(), pen);
            break;
        }
        case BarStyle::points:
            for (const CPoint& p : run) {
                canvas.Line({p.x - 2, p.y}, {p.x + 3, p.y}, pen);
                canvas.Line({p.x, p.y - 2}, {p.x, p.y + 3}, pen);
            }
            break;
        }
    }
}

bool CurveValueAt(std::span<const double> xs, std::span<const double> ys, double x, double& y)
{
    if (xs.empty() || xs.size() != ys.size() || !(x >= xs.front() && x <= xs.back()))
        return false;
    if (xs.size() == 1) {
        y = ys[0];
        return std::isfinite(y);
    }
    const size_t i = std::max<size_t>(size_t(std::lower_bound(xs.begin(), xs.end(), x) - xs.begin()), 1);
    const double span = xs[i] - xs[i - 1];
    y = ys[i - 1] + (span > 0 ? (x - xs[i - 1]) / span : 0) * (ys[i] - ys[i - 1]);
    return std::isfinite(y);
}
