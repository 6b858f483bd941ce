// A chart with two measuring cursors and their read-out, rubber-band zoom
// with scroll bars, the way back to the unzoomed ranges, and keyboard
// control. The Bode, spectrum and time views build on it.
#pragma once

#include "charts/CursorZoom.h"
#include "charts/win32/ChartView.h"

class CChartCurZoom : public CChart {
public:
    CChartCurZoom();

    void ShowCursors(bool show);
    bool CursorsShown() const { return m_cursorsShown; }
    // Places the cursors at two x values; their y values follow the curve.
    void SetCursors(double x1, double x2);
    const CursorPair& Cursors() const { return m_cursors; }
    // The read-out: label/value pairs.
    const std::vector<CString>& Readout() const { return m_readout; }

    // Zooms to a rectangle of client pixels; false when it has no area.
    bool ZoomTo(const CRect& band);
    bool Unzoom();
    bool Zoomed() const { return m_zoom.Zoomed(); }

    // Leaves out the Δy/Δx pair of the read-out.
    bool noSlope = false;
    // The arrow keys move the pointer and the space bar clicks.
    bool keyboardPointer = false;

protected:
    // The y value of the measured curve at x; false when the cursors only
    // measure x (the y entries then stay empty).
    virtual bool CurveValueAt(double x, double& y) { return false; }
    // The table beside the cursors; derived views replace labels and formats.
    virtual std::vector<CString> MakeReadout();

    void DrawOverlays(IChartCanvas& canvas) override;
    bool OnCommand(UINT id) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    void UpdateReadout();

private:
    void UpdateScrollBars();
    void OnScroll(int bar, int code);
    void DrawBand(const CRect& band);
    void EndBand(bool zoom);
    int CursorAt(CPoint point) const;
    void MoveCursor(int which, int32_t x);

    CChartZoom m_zoom;
    CursorPair m_cursors;
    bool m_onCurve = false;
    bool m_cursorsShown = false;
    int m_draggedCursor = 0;  // 1 or 2 while dragged
    int32_t m_grabOffset = 0; // from the pointer to the line, so that the line does not jump
    std::vector<CString> m_readout;
    CPoint m_bandStart, m_bandEnd;
    bool m_bandDrawn = false;
    bool m_ownsBand = false;
};
