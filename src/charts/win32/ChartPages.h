// The property pages of charts. Each edit works on a copy and changes the
// chart only when the user confirms; the callers lay out and repaint.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "charts/ChartModel.h"

// The pages a chart's property sheet shows.
enum ChartPageSet : uint32_t {
    kPageScale = 0x1,      // CScalePPg (3037) or, on a logarithmic axis, CScaleLogPPg (3038)
    kPageGrid = 0x2,       // CGridPPg (3031)
    kPageZeroLines = 0x4,  // CZeroLinePPg (3032)
    kPageSignals = 0x8,    // CChartSignalsPPg, template given by the chart
};

// The chart's property sheet with those pages; the scale page edits `axis`.
// True when the user confirmed and something changed.
bool EditChartProperties(HWND owner, CChartModel& chart, CAxis& axis, uint32_t pages,
                         uint32_t signalsTemplateId = 3050);
// A label's text, font and colours (CLabelPropPage, 3030).
bool EditLabel(HWND owner, CLabel& label);
// A signal's line style (CLineStylePPg, 3048) and bar style (CBarStylePPg, 3046).
bool EditSignalStyle(HWND owner, CChartSignal& signal);
