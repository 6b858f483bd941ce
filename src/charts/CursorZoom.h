// The measuring cursors' read-out and the zoom of a chart, apart from the
// mouse: what the table shows, which ranges a rubber band makes, how far the
// scroll bars reach and where they stand.
#pragma once

#include <cstdint>
#include <vector>

#include "charts/ChartModel.h"
#include "framework/Geometry.h"

// Two cursors in axis units.
struct CursorPair {
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
};

// The read-out as label/value pairs: "x1", "y1", "x2", "y2", "Δx", "Δy" and,
// unless noSlope, "Δy/Δx" (14 entries, 12 without the slope). Values print
// "%.3lg"; with cursors on x positions only, the y values and the slope stay
// empty; the slope stays empty when Δx is 0.
std::vector<CString> CursorReadout(const CursorPair& cursors, bool onCurve, bool noSlope);
// "%.3lg" of a value.
CString ReadoutNumber(double value);

// The pointer is near a cursor's line: within 10 pixels, 30 in touch mode.
int32_t CursorHitTolerance(bool touchMode);
bool NearCursor(int32_t pointer, int32_t cursor, bool touchMode);

struct ScrollState {
    int32_t range = 0;     // steps the visible part can move; 0 hides the bar
    int32_t position = 0;  // steps from the full range's start
    bool operator==(const ScrollState&) const = default;
};

class CChartZoom {
public:
    // Zooms every axis to the rubber band (pixels, any two corners). A band
    // without width or height changes nothing and returns false.
    bool ZoomTo(CChartModel& chart, CRect band);
    // Back to the ranges before the first zoom; false when not zoomed.
    bool Unzoom(CChartModel& chart);
    bool Zoomed() const { return m_zoomed; }

    // The scroll bar of an axis: the zoomed part within the saved full range.
    static ScrollState ScrollOf(const CAxis& axis);
    // Moves an axis's visible part by whole steps (kept within the full
    // range); false when it did not move.
    static bool ScrollBy(CAxis& axis, int32_t steps);
    // Moves it to a scroll position.
    static bool ScrollTo(CAxis& axis, int32_t position);

private:
    bool m_zoomed = false;
};
