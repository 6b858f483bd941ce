// The logic analyzer's timing diagram. CDigChart is a chart whose vertical
// axis is a row axis: every visible signal row takes one band of it, named
// at its left; CDigView draws the recorded inputs I0..I15 (blue) and the
// output pattern Q0..Q15 (red) against time, with a cursor on one sample.
// Zoom, export and the row choice (the signals page) come from the chart
// library; the view keeps copies of the record and the pattern, taken on
// the window thread.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "charts/win32/ChartCurZoom.h"
#include "instruments/digital/LogicView.h"
#include "units/DigData.h"

class CDigChart : public CChartCurZoom {
public:
    CDigChart();

    DigRowVisibility RowVisibility() const;
    void SetRowVisibility(const DigRowVisibility& visible);

protected:
    // Beside the plot a column for the row names; the row axis follows the
    // number of visible rows.
    void LayOut(IChartCanvas& canvas, const CRect& area) override;
    void Draw(IChartCanvas& canvas) override;
    void DrawOverlays(IChartCanvas& canvas) override;
    std::vector<DigRowBand> Bands() const;
    // The row font at the target's resolution.
    FontRecord RowFont() const;

    int m_rowsShown = -1;  // visible rows the row axis was last set for

private:
    void FollowVisibleRows();

    CRect m_whole;
};

class CDigView : public CDigChart {
public:
    CDigView();

    // Copies of what the unit holds: the samples recorded so far, the
    // pattern, the sample interval [s].
    void SetRecord(std::span<const uint16_t> samples);
    void SetPattern(const std::vector<std::unique_ptr<CDigData>>& pattern);
    void SetSampleInterval(double seconds);
    const std::vector<uint16_t>& Samples() const { return m_samples; }
    std::optional<uint16_t> OutputAt(int64_t sample) const;
    int64_t PatternLength() const { return m_patternLength; }

    // The time axis from 0 to `end` seconds: exactly (the fit to the
    // pattern) or on a readable range. A zoom is left first.
    void SetTimeSpan(double end, bool exact);

    void ShowCursor(bool show);
    bool CursorShown() const { return m_cursorShown; }
    // Kept within the record or the pattern, whichever reaches further.
    void SetCursor(int64_t index);
    int64_t Cursor() const { return m_cursor; }
    // Called when the user drags the cursor.
    std::function<void()> onCursorMoved;
    // Where the chart's own cursor command goes (the pane's cursor switch).
    std::function<void()> onCursorCommand;

    // The chart and its rows (names, pens, visibility), without the data.
    void SerializeSettings(CArchive& ar);
    // "t/s", the input word and the output word per recorded sample.
    void WriteDataText(CMemStream& out) override;

protected:
    void DrawSignals(IChartCanvas& canvas) override;
    bool OnCommand(UINT id) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void DrawTrace(IChartCanvas& canvas, const DigTrace& trace, const DigRowBand& band, const ChartPen& pen);
    // The cursor's pixel column: x of the middle of its sample, plus one.
    int32_t CursorPixel() const;
    void InvalidateCursorStrip();
    void NameRows();

    std::vector<uint16_t> m_samples;
    std::vector<std::unique_ptr<CDigData>> m_pattern;
    int64_t m_patternLength = 0;
    double m_interval = 0.01;  // [s]
    bool m_cursorShown = false;
    int64_t m_cursor = 0;
    bool m_draggingCursor = false;
};
