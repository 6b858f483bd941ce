#include "charts/win32/ChartCanvasWin32.h"

#include <cwchar>
#include <vector>

#include "framework/win32/WinApp.h"

CGdiChartCanvas::CGdiChartCanvas(HDC dc) : m_dc(dc)
{
    m_saved = SaveDC(dc);
    SetBkMode(dc, TRANSPARENT);
    SetTextAlign(dc, TA_LEFT | TA_TOP | TA_NOUPDATECP);
}

CGdiChartCanvas::~CGdiChartCanvas()
{
    RestoreDC(m_dc, m_saved);
    for (auto& [key, pen] : m_pens)
        DeleteObject(pen);
    for (auto& [key, font] : m_fonts)
        DeleteObject(font);
}

HPEN CGdiChartCanvas::PenFor(const ChartPen& pen)
{
    HPEN& made = m_pens[{pen.style, pen.width, pen.colour & 0xFFFFFF}];
    if (!made) {
        if (pen.style == ChartPen::alternate) {
            LOGBRUSH brush{BS_SOLID, pen.colour & 0xFFFFFF, 0};
            made = ExtCreatePen(PS_COSMETIC | PS_ALTERNATE, 1, &brush, 0, nullptr);
        }
        if (!made)
            made = CreatePen(pen.style <= ChartPen::insideFrame ? int(pen.style) : PS_DOT, pen.width,
                             pen.colour & 0xFFFFFF);
    }
    return made;
}

HFONT CGdiChartCanvas::FontFor(const FontRecord& font, bool rotated)
{
    HFONT& made = m_fonts[{font.faceName, font.height, font.weight, rotated}];
    if (!made) {
        LOGFONTW lf{};
        lf.lfHeight = font.height;
        lf.lfWeight = font.weight;
        lf.lfItalic = font.italic;
        lf.lfUnderline = font.underline;
        lf.lfCharSet = DEFAULT_CHARSET;
        lf.lfOutPrecision = OUT_TT_PRECIS;
        lf.lfQuality = ANTIALIASED_QUALITY;
        lf.lfEscapement = lf.lfOrientation = rotated ? 900 : 0;
        wcsncpy(lf.lfFaceName, Wide(font.faceName), LF_FACESIZE - 1);
        made = CreateFontIndirectW(&lf);
    }
    return made;
}

void CGdiChartCanvas::FillRect(const CRect& rect, uint32_t colour)
{
    HBRUSH brush = CreateSolidBrush(colour & 0xFFFFFF);
    const RECT r{rect.left, rect.top, rect.right, rect.bottom};
    ::FillRect(m_dc, &r, brush);
    DeleteObject(brush);
}

void CGdiChartCanvas::Line(CPoint from, CPoint to, const ChartPen& pen)
{
    if (!pen.Visible())
        return;
    SelectObject(m_dc, PenFor(pen));
    MoveToEx(m_dc, from.x, from.y, nullptr);
    LineTo(m_dc, to.x, to.y);
}

void CGdiChartCanvas::Polyline(const CPoint* points, size_t count, const ChartPen& pen)
{
    if (!pen.Visible() || count < 2)
        return;
    static_assert(sizeof(CPoint) == sizeof(POINT));
    if (pen.style == ChartPen::solid && (pen.width == 2 || pen.width == 3)) {
        // A narrow wide line as thin lines shifted by a pixel along each
        // axis, which thickens it in every direction: the same picture, and
        // under Wine a wide pen costs several times as much as the thin
        // ones (a 1001-point trace 20 times a second took 6 % of a core).
        ChartPen thin = pen;
        thin.width = 1;
        SelectObject(m_dc, PenFor(thin));
        std::vector<POINT> shifted(count);
        auto draw = [&](int32_t dx, int32_t dy) {
            for (size_t i = 0; i < count; ++i)
                shifted[i] = {points[i].x + dx, points[i].y + dy};
            ::Polyline(m_dc, shifted.data(), int(count));
        };
        const int32_t low = -(pen.width - 1) / 2, high = pen.width / 2;
        for (int32_t offset = low; offset <= high; ++offset) {
            draw(offset, 0);
            if (offset != 0)
                draw(0, offset);
        }
        return;
    }
    SelectObject(m_dc, PenFor(pen));
    ::Polyline(m_dc, reinterpret_cast<const POINT*>(points), int(count));
}

void CGdiChartCanvas::Text(const CString& text, const FontRecord& font, CPoint at, ChartAlign horizontalAlign,
                           ChartAlign verticalAlign, uint32_t colour, bool rotated)
{
    const CSize size = MeasureText(text, font);
    SelectObject(m_dc, FontFor(font, rotated));
    SetTextColor(m_dc, colour & 0xFFFFFF);
    if (!rotated) {
        TextOutW(m_dc, AlignedStart(at.x, size.cx, horizontalAlign), AlignedStart(at.y, size.cy, verticalAlign),
                 Wide(text), int(text.size()));
        return;
    }
    // Turned by 90° anticlockwise, the text's own top left is the turned box's bottom left.
    const int32_t left = AlignedStart(at.x, size.cy, horizontalAlign);
    const int32_t top = AlignedStart(at.y, size.cx, verticalAlign);
    TextOutW(m_dc, left, top + size.cx, Wide(text), int(text.size()));
}

CSize CGdiChartCanvas::MeasureText(const CString& text, const FontRecord& font)
{
    SelectObject(m_dc, FontFor(font, false));
    SIZE size{};
    GetTextExtentPoint32W(m_dc, Wide(text), int(text.size()), &size);
    if (text.empty()) {
        TEXTMETRICW metrics{};
        GetTextMetricsW(m_dc, &metrics);
        size.cy = metrics.tmHeight;
    }
    return {size.cx, size.cy};
}

void CGdiChartCanvas::SetClip(const CRect& rect)
{
    m_clipSaved = SaveDC(m_dc);
    IntersectClipRect(m_dc, rect.left, rect.top, rect.right, rect.bottom);
}

void CGdiChartCanvas::ResetClip()
{
    if (m_clipSaved) {
        // Restoring brings back the pen and font of then; ours are selected anew on use.
        RestoreDC(m_dc, m_clipSaved);
        m_clipSaved = 0;
    }
}
