// The demonstration chart: a generator's square wave and what a low-pass
// filter makes of it over time, or the filter's gain and phase over a
// logarithmic frequency axis. Used by the demonstration program, the chart
// window tests and the drawing benchmark.
#pragma once

#include <vector>

#include "charts/ChartCurve.h"
#include "charts/win32/ChartCurZoom.h"

class CDemoChart : public CChartCurZoom {
public:
    struct Curve {
        std::vector<double> x, y;
        size_t axis = 0;
    };

    // Time view (linear) or frequency view (logarithmic, two vertical axes).
    explicit CDemoChart(bool frequency = false, size_t points = 1001);

    std::vector<Curve> curves;
    // The curve the cursors measure: one on the first vertical axis.
    size_t measured = 1;

    void DrawSignals(IChartCanvas& canvas) override;
    bool CurveValueAt(double x, double& y) override;
    void WriteDataText(CMemStream& out) override;
};
