// Drawing a curve of sampled points on a chart's axes. Only what the pixels
// can show is drawn: many points that fall in one pixel column become the
// column's first, lowest, highest and last point, so a million samples cost
// a few thousand line segments. Points that are not finite break the line.
#pragma once

#include <cstddef>
#include <span>
#include <vector>

#include "charts/Axis.h"
#include "charts/ChartCanvas.h"
#include "charts/ChartItems.h"

void DrawCurve(IChartCanvas& canvas, const CAxis& xAxis, const CAxis& yAxis, const double* xs, const double* ys,
               size_t count, const ChartPen& pen, BarStyle style = BarStyle::line);

// The polylines DrawCurve draws for the line style, one per unbroken run.
std::vector<std::vector<CPoint>> CurveRuns(const CAxis& xAxis, const CAxis& yAxis, const double* xs,
                                           const double* ys, size_t count);

// The value of a curve sampled at ascending xs at x, between its two
// neighbouring points; false outside the samples or where it is not finite.
bool CurveValueAt(std::span<const double> xs, std::span<const double> ys, double x, double& y);
