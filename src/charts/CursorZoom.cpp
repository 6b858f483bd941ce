#include "charts/CursorZoom.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

constexpr int kZoomDivisions = 10;

// The full range and the visible part of an axis in scroll units: values
// on a linear axis, decades on a logarithmic one; and the step.
struct ScrollSpan {
    double fullMinimum, fullWidth, minimum, width, step;
};

ScrollSpan SpanOf(const CAxis& axis)
{
    const AxisRange& full = axis.SavedRangeSet();
    const AxisRange& now = axis.RangeSet();
    if (axis.IsLogarithmic())
        return {std::log10(full.minimum), std::log10(full.maximum) - std::log10(full.minimum),
                std::log10(now.minimum), std::log10(now.maximum) - std::log10(now.minimum), 1.0};
    return {full.minimum, full.maximum - full.minimum, now.minimum, now.maximum - now.minimum, now.step};
}

int32_t Steps(double v)
{
    return std::isfinite(v) ? int32_t(std::clamp(std::lround(v), -1000000L, 1000000L)) : 0;
}

}  // namespace

CString ReadoutNumber(double value)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.3lg", value);
    return Utf8ToString(text);
}

std::vector<CString> CursorReadout(const CursorPair& c, bool onCurve, bool noSlope)
{
    std::vector<CString> table = {u"x1", {}, u"y1", {}, u"x2", {}, u"y2", {}, u"\u0394x", {}, u"\u0394y", {}};
    if (!noSlope) {
        table.push_back(u"\u0394y/\u0394x");
        table.emplace_back();
    }
    const double dx = c.x2 - c.x1;
    table[1] = ReadoutNumber(c.x1);
    table[5] = ReadoutNumber(c.x2);
    table[9] = ReadoutNumber(dx);
    if (onCurve) {
        table[3] = ReadoutNumber(c.y1);
        table[7] = ReadoutNumber(c.y2);
        table[11] = ReadoutNumber(c.y2 - c.y1);
        if (!noSlope && dx != 0)
            table[13] = ReadoutNumber((c.y2 - c.y1) / dx);
    }
    return table;
}

int32_t CursorHitTolerance(bool touchMode)
{
    return touchMode ? 30 : 10;
}

bool NearCursor(int32_t pointer, int32_t cursor, bool touchMode)
{
    return std::abs(int64_t(pointer) - cursor) <= CursorHitTolerance(touchMode);
}

bool CChartZoom::ZoomTo(CChartModel& chart, CRect band)
{
    if (band.left > band.right)
        std::swap(band.left, band.right);
    if (band.top > band.bottom)
        std::swap(band.top, band.bottom);
    if (band.left == band.right || band.top == band.bottom)
        return false;
    if (!m_zoomed) {
        chart.Horizontal().SaveRangeSet();
        for (auto& axis : chart.VerticalAxes())
            axis->SaveRangeSet();
        m_zoomed = true;
    }
    CAxis& horizontal = chart.Horizontal();
    horizontal.SetRange(horizontal.PixelToValue(band.left), horizontal.PixelToValue(band.right), kZoomDivisions);
    for (auto& axis : chart.VerticalAxes())
        axis->SetRange(axis->PixelToValue(band.bottom), axis->PixelToValue(band.top), kZoomDivisions);
    chart.needsLayout = true;
    return true;
}

bool CChartZoom::Unzoom(CChartModel& chart)
{
    if (!m_zoomed)
        return false;
    chart.Horizontal().RestoreRangeSet();
    for (auto& axis : chart.VerticalAxes())
        axis->RestoreRangeSet();
    m_zoomed = false;
    chart.needsLayout = true;
    return true;
}

ScrollState CChartZoom::ScrollOf(const CAxis& axis)
{
    const ScrollSpan s = SpanOf(axis);
    if (!(s.step > 0))
        return {};
    return {std::max(0, Steps((s.fullWidth - s.width) / s.step)), std::max(0, Steps((s.minimum - s.fullMinimum) / s.step))};
}

bool CChartZoom::ScrollTo(CAxis& axis, int32_t position)
{
    const ScrollSpan s = SpanOf(axis);
    if (!(s.step > 0) || s.width >= s.fullWidth)
        return false;
    const double minimum = std::clamp(s.fullMinimum + position * s.step, s.fullMinimum, s.fullMinimum + s.fullWidth - s.width);
    if (minimum == s.minimum)
        return false;
    AxisRange range = axis.RangeSet();
    if (axis.IsLogarithmic()) {
        range.minimum = std::pow(10.0, minimum);
        range.maximum = std::pow(10.0, minimum + s.width);
    } else {
        range.minimum = minimum;
        range.maximum = minimum + s.width;
    }
    axis.SetRangeSet(range);
    return true;
}

bool CChartZoom::ScrollBy(CAxis& axis, int32_t steps)
{
    return ScrollTo(axis, ScrollOf(axis).position + steps);
}
