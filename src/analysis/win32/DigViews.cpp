#include "analysis/win32/DigViews.h"

#include <windowsx.h>

#include <algorithm>
#include <cmath>

#include "charts/ChartCommands.h"
#include "framework/Exception.h"
#include "viframework/TouchSettings.h"

namespace {

constexpr uint32_t kInputColour = 0xFF0000;   // blue (COLORREF)
constexpr uint32_t kOutputColour = 0x0000FF;  // red
constexpr ChartPen kCursorPen{ChartPen::solid, 1, 0, 0x00FF0000};
constexpr ChartPen kTimeGridPen{ChartPen::dot, 0, 0, 0xA0A0A0};
constexpr ChartPen kNoLine{ChartPen::none, 0, 0, 0};

// The row names' font, as the label axis of the chart core has it.
FontRecord StoredRowFont()
{
    FontRecord font;
    font.height = -8;
    font.charSet = 1;
    font.outPrecision = 4;
    font.clipPrecision = 2;
    font.faceName = u"Arial";
    return font;
}

}  // namespace

// ---------------------------------------------------------------- CDigChart

CDigChart::CDigChart()
{
    CChartModel& m = Model();
    m.signals.resize(kDigRows);
    const DigRowVisibility visible = DefaultRowVisibility();
    for (int row = 0; row < kDigRows; ++row) {
        CChartSignal& s = m.signals[size_t(row)];
        s.name = DigRowName(row);
        s.pen = {ChartPen::solid, 1, 0, row < kDigInputRows ? kInputColour : kOutputColour};
        s.visible = visible[size_t(row)];
    }
    // The row axis draws no numbers: the rows are named beside the plot.
    m.Vertical(0).visible = false;
    m.horizontalGridPen = kNoLine;
    m.horizontalZeroPen = kNoLine;
    m.verticalGridPen = kTimeGridPen;
    m.Horizontal().SetUnitText(u"t/#s");
    m.Horizontal().SetRange(0, 1, 10);
    m.exportSettings.AddTextFormat();
}

DigRowVisibility CDigChart::RowVisibility() const
{
    DigRowVisibility visible{};
    const auto& signals = Model().signals;
    for (size_t row = 0; row < visible.size() && row < signals.size(); ++row)
        visible[row] = signals[row].visible;
    return visible;
}

void CDigChart::SetRowVisibility(const DigRowVisibility& visible)
{
    auto& signals = Model().signals;
    for (size_t row = 0; row < visible.size() && row < signals.size(); ++row)
        signals[row].visible = visible[row];
    Refresh();
}

void CDigChart::FollowVisibleRows()
{
    const int count = VisibleRowCount(RowVisibility());
    if (count == m_rowsShown)
        return;
    // Rows shown or hidden end a zoom of the rows: every visible row gets its band again.
    CAxis& rows = Model().Vertical(0);
    rows.SetRangeSet({0, double(std::max(count, 1)), 1, 1});
    rows.SaveRangeSet();
    m_rowsShown = count;
}

FontRecord CDigChart::RowFont() const
{
    return FontForResolution(StoredRowFont(), Model().resolutionY);
}

void CDigChart::LayOut(IChartCanvas& canvas, const CRect& area)
{
    FollowVisibleRows();
    const CSize name = canvas.MeasureText(u"Q15", RowFont());
    const int32_t column = name.cx + ScaleToResolution(8, Model().resolutionX);
    m_whole = area;
    Model().Layout(canvas, {area.left + column, area.top + name.cy / 2 + 2, area.right, area.bottom});
}

void CDigChart::Draw(IChartCanvas& canvas)
{
    canvas.FillRect(m_whole, Model().background);
    CChartCurZoom::Draw(canvas);
}

std::vector<DigRowBand> CDigChart::Bands() const
{
    return PackRowBands(RowVisibility(), *Model().VerticalAxes().front());
}

void CDigChart::DrawOverlays(IChartCanvas& canvas)
{
    CChartCurZoom::DrawOverlays(canvas);
    const CRect& plot = Model().Plot();
    const FontRecord font = RowFont();
    for (const DigRowBand& band : Bands()) {
        const int32_t middle = (band.high + band.low) / 2;
        if (middle < plot.top || middle > plot.bottom)
            continue;
        canvas.Text(DigRowName(band.row), font, {plot.left - ScaleToResolution(4, Model().resolutionX), middle},
                    ChartAlign::end, ChartAlign::centre, Model().signals[size_t(band.row)].pen.colour);
    }
}

// ---------------------------------------------------------------- CDigView

CDigView::CDigView()
{
    // The chart's "Cursors" item is the analyzer's one cursor, not the pair.
    noSlope = true;
}

void CDigView::NameRows()
{
    auto& signals = Model().signals;
    signals.resize(kDigRows);
    for (int row = 0; row < kDigRows; ++row)
        signals[size_t(row)].name = DigRowName(row);
}

void CDigView::SetRecord(std::span<const uint16_t> samples)
{
    m_samples.assign(samples.begin(), samples.end());
    Refresh();
}

void CDigView::SetPattern(const std::vector<std::unique_ptr<CDigData>>& pattern)
{
    m_pattern.clear();
    m_patternLength = 0;
    for (const auto& step : pattern) {
        m_pattern.push_back(std::make_unique<CDigData>(*step));
        m_patternLength += std::max<int32_t>(step->m_repeatCount, 0);
    }
    Refresh();
}

void CDigView::SetSampleInterval(double seconds)
{
    m_interval = seconds;
    Refresh();
}

std::optional<uint16_t> CDigView::OutputAt(int64_t sample) const
{
    if (sample < 0)
        return std::nullopt;
    int64_t end = 0;
    for (const auto& step : m_pattern) {
        end += std::max<int32_t>(step->m_repeatCount, 0);
        if (sample < end)
            return static_cast<uint16_t>(step->m_outputWord);
    }
    return std::nullopt;
}

void CDigView::SetTimeSpan(double end, bool exact)
{
    Unzoom();
    CAxis& time = Model().Horizontal();
    if (!(end > 0))
        end = 1;
    if (exact) {
        AxisRange range = ReadableRange(0, end, 10, false);
        range.maximum = end;
        time.SetRangeSet(range);
    } else {
        time.SetRange(0, end, 10);
    }
    Refresh();
}

void CDigView::ShowCursor(bool show)
{
    if (show == m_cursorShown)
        return;
    m_cursorShown = show;
    Refresh();
}

void CDigView::SetCursor(int64_t index)
{
    index = std::clamp<int64_t>(index, 0, LastCursorIndex(m_samples.size(), m_patternLength));
    if (index == m_cursor)
        return;
    InvalidateCursorStrip();
    m_cursor = index;
    InvalidateCursorStrip();
}

int32_t CDigView::CursorPixel() const
{
    return Model().Horizontal().ValueToPixel(CursorTime(m_cursor, m_interval)) + 1;
}

void CDigView::InvalidateCursorStrip()
{
    if (!m_hWnd || !m_cursorShown)
        return;
    const CRect& plot = Model().Plot();
    const int32_t x = CursorPixel();
    const RECT strip{x - 1, plot.top, x + 2, plot.bottom + 1};
    InvalidateRect(m_hWnd, &strip, FALSE);
}

void CDigView::DrawTrace(IChartCanvas& canvas, const DigTrace& trace, const DigRowBand& band, const ChartPen& pen)
{
    const CAxis& time = Model().Horizontal();
    std::vector<CPoint> points;
    points.reserve(2 * trace.changes.size() + 2);
    bool high = trace.startHigh;
    points.push_back({time.ValueToPixel(0), high ? band.high : band.low});
    for (double t : trace.changes) {
        const int32_t x = time.ValueToPixel(t);
        points.push_back({x, high ? band.high : band.low});
        high = !high;
        points.push_back({x, high ? band.high : band.low});
    }
    points.push_back({time.ValueToPixel(trace.end), high ? band.high : band.low});
    canvas.Polyline(points.data(), points.size(), pen);
}

void CDigView::DrawSignals(IChartCanvas& canvas)
{
    const CRect& plot = Model().Plot();
    // The rows' own clip keeps the frame's left line clear of the levels;
    // the chart's clip comes back after them.
    const CRect outer{plot.left - 1, plot.top, plot.right + 1, plot.bottom + 1};
    canvas.ResetClip();
    canvas.SetClip({plot.left + 1, plot.top, plot.right + 1, plot.bottom + 1});
    for (const DigRowBand& band : Bands()) {
        if (band.bottom < plot.top || band.top > plot.bottom)
            continue;
        const ChartPen& pen = Model().signals[size_t(band.row)].pen;
        const int bit = band.row % kDigInputRows;
        const auto trace = band.row < kDigInputRows ? InputTrace(m_samples, bit, m_interval)
                                                    : OutputTrace(m_pattern, bit, m_interval);
        if (trace)
            DrawTrace(canvas, *trace, band, pen);
    }
    if (m_cursorShown) {
        const int32_t x = CursorPixel();
        canvas.Line({x, plot.bottom}, {x, plot.top}, kCursorPen);
    }
    canvas.ResetClip();
    canvas.SetClip(outer);
}

bool CDigView::OnCommand(UINT id)
{
    if (id == ID_CHART_CURSORS) {
        if (onCursorCommand)
            onCursorCommand();
        return true;
    }
    return CDigChart::OnCommand(id);
}

LRESULT CDigView::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    const CPoint point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    const CRect& plot = Model().Plot();
    auto moveTo = [&](int32_t x) {
        const double t = Model().Horizontal().PixelToValue(std::clamp(x, plot.left, plot.right));
        SetCursor(m_interval > 0 ? int64_t(std::floor(t / m_interval)) : 0);
        if (onCursorMoved)
            onCursorMoved();
    };
    switch (message) {
    case WM_LBUTTONDOWN:
        // The cursor is taken by its line; anywhere else the chart zooms.
        if (m_cursorShown && point.y >= plot.top && point.y <= plot.bottom &&
            NearCursor(point.x, CursorPixel(), TouchSettings().touchMode)) {
            m_draggingCursor = true;
            SetCapture(m_hWnd);
            return 0;
        }
        break;
    case WM_MOUSEMOVE:
        if (m_draggingCursor) {
            moveTo(point.x);
            return 0;
        }
        break;
    case WM_LBUTTONUP:
        if (m_draggingCursor) {
            moveTo(point.x);
            m_draggingCursor = false;
            ReleaseCapture();
            return 0;
        }
        break;
    case WM_CAPTURECHANGED:
        m_draggingCursor = false;
        break;
    default:
        break;
    }
    return CDigChart::WindowProc(message, wParam, lParam);
}

void CDigView::SerializeSettings(CArchive& ar)
{
    Model().Serialize(ar);
    if (ar.IsStoring()) {
        SerializeSignals(ar, Model().signals);
        return;
    }
    std::vector<CChartSignal> rows = Model().signals;
    SerializeSignals(ar, rows);
    // A stored chart of another kind keeps this chart's rows.
    if (rows.size() != size_t(kDigRows))
        throw CArchiveException(CArchiveException::badSchema);
    Model().signals = std::move(rows);
    NameRows();
    m_rowsShown = -1;
    Refresh();
}

void CDigView::WriteDataText(CMemStream& out)
{
    out << u"t/s\tI\tQ\r\n";
    for (size_t i = 0; i < m_samples.size(); ++i) {
        out.Format("%lg\t%u", double(i) * m_interval, unsigned(m_samples[i]));
        if (const auto word = OutputAt(int64_t(i)))
            out.Format("\t%u", unsigned(*word));
        out << u"\r\n";
    }
}
