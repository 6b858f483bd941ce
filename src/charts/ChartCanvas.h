// What charts draw with. A chart computes its geometry once, in device
// pixels of its target, and hands it to a canvas: GDI on Windows (the screen,
// metafiles, bitmaps and printing alike), a recorder in tests. So every
// target shows the same picture and the geometry is tested without a window.
#pragma once

#include <cstddef>
#include <cstdint>

#include "framework/Archive.h"
#include "framework/Geometry.h"
#include "framework/Types.h"

// A logical pen as stored: style, width (x; y is kept and unused) and a
// COLORREF (0x00BBGGRR).
struct ChartPen {
    enum Style : uint32_t { solid = 0, dash = 1, dot = 2, dashDot = 3, dashDotDot = 4, none = 5, insideFrame = 6,
                            alternate = 8 };
    uint32_t style = solid;
    int32_t width = 0;
    int32_t widthY = 0;
    uint32_t colour = 0;

    bool Visible() const { return style != none; }
    bool operator==(const ChartPen&) const = default;
};
CArchive& operator<<(CArchive& ar, const ChartPen& pen);
CArchive& operator>>(CArchive& ar, ChartPen& pen);

enum class ChartAlign { start, centre, end };

class IChartCanvas {
public:
    virtual ~IChartCanvas() = default;

    // Colours are COLORREFs. Rectangles exclude right and bottom.
    virtual void FillRect(const CRect& rect, uint32_t colour) = 0;
    virtual void Line(CPoint from, CPoint to, const ChartPen& pen) = 0;
    virtual void Polyline(const CPoint* points, size_t count, const ChartPen& pen) = 0;
    // Text placed by its box: `at` is the box's start, centre or end point on
    // each screen axis. Rotated text reads from bottom to top (turned by
    // 270°), and its box is turned with it. The font's height is in pixels.
    virtual void Text(const CString& text, const FontRecord& font, CPoint at, ChartAlign horizontalAlign,
                      ChartAlign verticalAlign, uint32_t colour, bool rotated = false) = 0;
    virtual CSize MeasureText(const CString& text, const FontRecord& font) = 0;
    // Drawing stays inside rect until ResetClip.
    virtual void SetClip(const CRect& rect) = 0;
    virtual void ResetClip() = 0;
};

// The font for a target: a stored height in points (negative: character
// height) becomes pixels at the target's vertical resolution.
FontRecord FontForResolution(const FontRecord& font, int32_t resolutionY);
// a × b / c rounded half away from zero, as the platform's multiply-divide;
// 0 for c = 0.
int32_t MultiplyDivide(int32_t a, int32_t b, int32_t c);
// Screen pixels (96 per inch) scaled to a target resolution.
int32_t ScaleToResolution(int32_t screenPixels, int32_t resolution);
