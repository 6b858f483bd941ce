// The two drawing targets of charts: GDI+ for the screen, GDI for
// metafiles, bitmaps and printing. Both take the same geometry from the
// chart; fonts and pens are made once per canvas and reused.
#pragma once

#include <windows.h>
// GDI+ wants min/max as macros unless told otherwise.
#include <algorithm>
using std::max;
using std::min;
#include <gdiplus.h>

#include <map>
#include <memory>
#include <tuple>

#include "charts/ChartCanvas.h"

class CGdiChartCanvas : public IChartCanvas {
public:
    explicit CGdiChartCanvas(HDC dc);
    ~CGdiChartCanvas() override;

    void FillRect(const CRect& rect, uint32_t colour) override;
    void Line(CPoint from, CPoint to, const ChartPen& pen) override;
    void Polyline(const CPoint* points, size_t count, const ChartPen& pen) override;
    void Text(const CString& text, const FontRecord& font, CPoint at, ChartAlign horizontalAlign,
              ChartAlign verticalAlign, uint32_t colour, bool rotated) override;
    CSize MeasureText(const CString& text, const FontRecord& font) override;
    void SetClip(const CRect& rect) override;
    void ResetClip() override;

private:
    HPEN PenFor(const ChartPen& pen);
    HFONT FontFor(const FontRecord& font, bool rotated);

    HDC m_dc;
    int m_saved = 0;
    int m_clipSaved = 0;
    std::map<std::tuple<uint32_t, int32_t, uint32_t>, HPEN> m_pens;
    std::map<std::tuple<CString, int32_t, int32_t, bool>, HFONT> m_fonts;
};

class CGdiPlusChartCanvas : public IChartCanvas {
public:
    explicit CGdiPlusChartCanvas(Gdiplus::Graphics& graphics);

    void FillRect(const CRect& rect, uint32_t colour) override;
    void Line(CPoint from, CPoint to, const ChartPen& pen) override;
    void Polyline(const CPoint* points, size_t count, const ChartPen& pen) override;
    void Text(const CString& text, const FontRecord& font, CPoint at, ChartAlign horizontalAlign,
              ChartAlign verticalAlign, uint32_t colour, bool rotated) override;
    CSize MeasureText(const CString& text, const FontRecord& font) override;
    void SetClip(const CRect& rect) override;
    void ResetClip() override;

private:
    Gdiplus::Pen& PenFor(const ChartPen& pen);

    Gdiplus::Graphics& m_g;
    std::map<std::tuple<uint32_t, int32_t, uint32_t>, std::unique_ptr<Gdiplus::Pen>> m_pens;
};

// Where text placed by its box starts, on one axis.
inline int32_t AlignedStart(int32_t at, int32_t extent, ChartAlign align)
{
    return align == ChartAlign::start ? at : align == ChartAlign::centre ? at - extent / 2 : at - extent;
}
