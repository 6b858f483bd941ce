#include "charts/win32/ChartCurZoom.h"

#include <windowsx.h>

#include <algorithm>

#include "charts/ChartCommands.h"
#include "viframework/TouchSettings.h"

namespace {

// Only one rubber band can be dragged at a time in the process.
bool s_bandActive = false;

const ChartPen kCursorPens[2] = {{ChartPen::dash, 0, 0, 0x0000C0}, {ChartPen::dash, 0, 0, 0xC00000}};

}  // namespace

CChartCurZoom::CChartCurZoom()
{
    Model().contextMenus[CChartSurface::firstAxisMenu] = IDM_CHART_AXIS;
    Model().contextMenus[CChartSurface::secondAxisMenu] = IDM_CHART_AXIS;
    Model().contextMenus[CChartSurface::plotMenu] = IDM_CHART_PLOT;
    Model().contextMenus[CChartSurface::labelMenu] = IDM_CHART_LABEL;
    m_readout = CursorReadout(m_cursors, false, noSlope);
}

void CChartCurZoom::ShowCursors(bool show)
{
    m_cursorsShown = show;
    if (show && m_cursors.x1 == m_cursors.x2) {
        // New cursors stand at a third and two thirds of the visible range.
        const CAxis& x = Model().Horizontal();
        const CRect& plot = Model().Plot();
        SetCursors(x.PixelToValue(plot.left + plot.Width() / 3), x.PixelToValue(plot.left + 2 * plot.Width() / 3));
        return;
    }
    UpdateReadout();
}

void CChartCurZoom::SetCursors(double x1, double x2)
{
    m_cursors.x1 = x1;
    m_cursors.x2 = x2;
    UpdateReadout();
}

std::vector<CString> CChartCurZoom::MakeReadout()
{
    return CursorReadout(m_cursors, m_onCurve, noSlope);
}

void CChartCurZoom::UpdateReadout()
{
    double y1 = 0, y2 = 0;
    m_onCurve = CurveValueAt(m_cursors.x1, y1) && CurveValueAt(m_cursors.x2, y2);
    m_cursors.y1 = m_onCurve ? y1 : 0;
    m_cursors.y2 = m_onCurve ? y2 : 0;
    m_readout = MakeReadout();
    if (m_hWnd)
        InvalidateRect(m_hWnd, nullptr, FALSE);
}

void CChartCurZoom::DrawOverlays(IChartCanvas& canvas)
{
    if (!m_cursorsShown || Model().exporting)
        return;
    const CRect& plot = Model().Plot();
    const CAxis& x = Model().Horizontal();
    const CAxis* y = Model().FirstVisibleVertical();
    canvas.SetClip({plot.left, plot.top, plot.right + 1, plot.bottom + 1});
    const double xs[2] = {m_cursors.x1, m_cursors.x2}, ys[2] = {m_cursors.y1, m_cursors.y2};
    for (int i = 0; i < 2; ++i) {
        const int32_t px = x.ValueToPixel(xs[i]);
        canvas.Line({px, plot.top}, {px, plot.bottom}, kCursorPens[i]);
        if (m_onCurve && y) {
            const int32_t py = y->ValueToPixel(ys[i]);
            canvas.FillRect({px - 3, py - 3, px + 4, py + 4}, kCursorPens[i].colour);
        }
    }
    canvas.ResetClip();

    // The read-out: a small table in the plot's top right corner.
    FontRecord font = x.PixelFont();
    int32_t labelWidth = 0, valueWidth = 0, lineHeight = canvas.MeasureText(u"X", font).cy;
    for (size_t i = 0; i + 1 < m_readout.size(); i += 2) {
        labelWidth = std::max(labelWidth, canvas.MeasureText(m_readout[i], font).cx);
        valueWidth = std::max(valueWidth, canvas.MeasureText(m_readout[i + 1], font).cx);
    }
    valueWidth = std::max(valueWidth, canvas.MeasureText(u"-0.000e+00", font).cx);
    const int32_t rows = int32_t(m_readout.size() / 2);
    const CRect box{plot.right - labelWidth - valueWidth - 16, plot.top + 4, plot.right - 4,
                    plot.top + 8 + rows * lineHeight};
    if (box.left <= plot.left)
        return;
    canvas.FillRect(box, 0xF4F4F4);
    const CPoint frame[5] = {{box.left, box.top}, {box.right - 1, box.top}, {box.right - 1, box.bottom - 1},
                             {box.left, box.bottom - 1}, {box.left, box.top}};
    canvas.Polyline(frame, 5, {ChartPen::solid, 0, 0, 0x808080});
    for (int32_t row = 0; row < rows; ++row) {
        const int32_t top = box.top + 2 + row * lineHeight;
        const uint32_t colour = row == 0 || row == 1 ? kCursorPens[0].colour
                                : row == 2 || row == 3 ? kCursorPens[1].colour : 0x000000;
        canvas.Text(m_readout[2 * row], font, {box.left + 4, top}, ChartAlign::start, ChartAlign::start, colour);
        canvas.Text(m_readout[2 * row + 1], font, {box.right - 4, top}, ChartAlign::end, ChartAlign::start, 0);
    }
}

bool CChartCurZoom::ZoomTo(const CRect& band)
{
    if (!m_zoom.ZoomTo(Model(), band))
        return false;
    UpdateScrollBars();
    Refresh();
    UpdateReadout();
    return true;
}

bool CChartCurZoom::Unzoom()
{
    if (!m_zoom.Unzoom(Model()))
        return false;
    UpdateScrollBars();
    Refresh();
    UpdateReadout();
    return true;
}

void CChartCurZoom::UpdateScrollBars()
{
    if (!m_hWnd)
        return;
    auto set = [this](int bar, const CAxis* axis) {
        const ScrollState state = axis && m_zoom.Zoomed() ? CChartZoom::ScrollOf(*axis) : ScrollState{};
        SCROLLINFO info{sizeof info, SIF_RANGE | SIF_POS | SIF_PAGE, 0, state.range, 1, state.position, 0};
        // A vertical bar runs top to bottom, the axis bottom to top.
        if (bar == SB_VERT)
            info.nPos = state.range - state.position;
        info.nMax = state.range;
        info.nPage = 1;
        ShowScrollBar(m_hWnd, bar, state.range > 0);
        if (state.range > 0)
            SetScrollInfo(m_hWnd, bar, &info, TRUE);
    };
    set(SB_HORZ, &Model().Horizontal());
    set(SB_VERT, Model().FirstVisibleVertical());
}

void CChartCurZoom::OnScroll(int bar, int code)
{
    CAxis* axis = bar == SB_HORZ ? &Model().Horizontal() : Model().FirstVisibleVertical();
    if (!axis || !m_zoom.Zoomed())
        return;
    // Scroll bars count down the screen; a vertical axis counts up.
    const int sign = bar == SB_VERT ? -1 : 1;
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_ALL;
    GetScrollInfo(m_hWnd, bar, &info);
    bool moved = false;
    switch (code) {
    case SB_LINELEFT: moved = CChartZoom::ScrollBy(*axis, -sign); break;
    case SB_LINERIGHT: moved = CChartZoom::ScrollBy(*axis, sign); break;
    case SB_PAGELEFT: moved = CChartZoom::ScrollBy(*axis, -sign * 5); break;
    case SB_PAGERIGHT: moved = CChartZoom::ScrollBy(*axis, sign * 5); break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION:
        moved = CChartZoom::ScrollTo(*axis, bar == SB_VERT ? info.nMax - info.nTrackPos : info.nTrackPos);
        break;
    default: break;
    }
    if (moved) {
        UpdateScrollBars();
        Refresh();
        UpdateReadout();
    }
}

void CChartCurZoom::DrawBand(const CRect& band)
{
    HDC dc = GetDC(m_hWnd);
    const int32_t left = std::min(band.left, band.right), right = std::max(band.left, band.right);
    const int32_t top = std::min(band.top, band.bottom), bottom = std::max(band.top, band.bottom);
    PatBlt(dc, left, top, right - left + 1, 1, DSTINVERT);
    PatBlt(dc, left, bottom, right - left + 1, 1, DSTINVERT);
    PatBlt(dc, left, top + 1, 1, bottom - top - 1, DSTINVERT);
    PatBlt(dc, right, top + 1, 1, bottom - top - 1, DSTINVERT);
    ReleaseDC(m_hWnd, dc);
}

void CChartCurZoom::EndBand(bool zoom)
{
    if (!m_ownsBand)
        return;
    m_ownsBand = false;
    s_bandActive = false;
    if (m_bandDrawn)
        DrawBand({m_bandStart.x, m_bandStart.y, m_bandEnd.x, m_bandEnd.y});
    m_bandDrawn = false;
    ClipCursor(nullptr);
    if (GetCapture() == m_hWnd)
        ReleaseCapture();
    if (zoom)
        ZoomTo({m_bandStart.x, m_bandStart.y, m_bandEnd.x, m_bandEnd.y});
}

int CChartCurZoom::CursorAt(CPoint point) const
{
    if (!m_cursorsShown)
        return 0;
    const bool touch = TouchSettings().touchMode;
    const CAxis& x = const_cast<CChartCurZoom*>(this)->Model().Horizontal();
    const CRect& plot = const_cast<CChartCurZoom*>(this)->Model().Plot();
    if (point.y < plot.top || point.y > plot.bottom)
        return 0;
    const int32_t p1 = x.ValueToPixel(m_cursors.x1), p2 = x.ValueToPixel(m_cursors.x2);
    const bool near1 = NearCursor(point.x, p1, touch), near2 = NearCursor(point.x, p2, touch);
    if (near1 && near2)
        return std::abs(point.x - p1) <= std::abs(point.x - p2) ? 1 : 2;
    return near1 ? 1 : near2 ? 2 : 0;
}

void CChartCurZoom::MoveCursor(int which, int32_t px)
{
    const CRect& plot = Model().Plot();
    const double v = Model().Horizontal().PixelToValue(std::clamp(px, plot.left, plot.right));
    (which == 1 ? m_cursors.x1 : m_cursors.x2) = v;
    UpdateReadout();
}

bool CChartCurZoom::OnCommand(UINT id)
{
    switch (id) {
    case ID_CHART_UNZOOM: Unzoom(); return true;
    case ID_CHART_CURSORS: ShowCursors(!m_cursorsShown); return true;
    default: return CChart::OnCommand(id);
    }
}

LRESULT CChartCurZoom::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    const CPoint point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    const CRect& plot = Model().Plot();
    switch (message) {
    case WM_LBUTTONDOWN: {
        SetFocus(m_hWnd);
        if (Model().LabelAt(point))
            break;  // the chart moves its labels
        if (const int cursor = CursorAt(point)) {
            m_draggedCursor = cursor;
            m_grabOffset = Model().Horizontal().ValueToPixel(cursor == 1 ? m_cursors.x1 : m_cursors.x2) - point.x;
            SetCapture(m_hWnd);
            SetCursor(LoadCursorW(nullptr, IDC_SIZEWE));
            return 0;
        }
        const CRect inside{plot.left, plot.top, plot.right + 1, plot.bottom + 1};
        if (!inside.Contains(point) || s_bandActive)
            return 0;
        s_bandActive = true;
        m_ownsBand = true;
        m_bandStart = m_bandEnd = point;
        SetCapture(m_hWnd);
        POINT corners[2] = {{inside.left, inside.top}, {inside.right, inside.bottom}};
        MapWindowPoints(m_hWnd, nullptr, corners, 2);
        const RECT confine{corners[0].x, corners[0].y, corners[1].x, corners[1].y};
        ClipCursor(&confine);
        return 0;
    }
    case WM_MOUSEMOVE:
        if (m_draggedCursor) {
            MoveCursor(m_draggedCursor, point.x + m_grabOffset);
            return 0;
        }
        if (m_ownsBand) {
            if (m_bandDrawn)
                DrawBand({m_bandStart.x, m_bandStart.y, m_bandEnd.x, m_bandEnd.y});
            m_bandEnd = {std::clamp(point.x, plot.left, plot.right), std::clamp(point.y, plot.top, plot.bottom)};
            DrawBand({m_bandStart.x, m_bandStart.y, m_bandEnd.x, m_bandEnd.y});
            m_bandDrawn = true;
            return 0;
        }
        break;
    case WM_LBUTTONUP:
        if (m_draggedCursor) {
            MoveCursor(m_draggedCursor, point.x + m_grabOffset);
            m_draggedCursor = 0;
            ReleaseCapture();
            SetCursor(LoadCursorW(nullptr, IDC_ARROW));
            return 0;
        }
        if (m_ownsBand) {
            m_bandEnd = {std::clamp(point.x, plot.left, plot.right), std::clamp(point.y, plot.top, plot.bottom)};
            EndBand(true);
            return 0;
        }
        break;
    case WM_CAPTURECHANGED:
        m_draggedCursor = 0;
        if (m_ownsBand && reinterpret_cast<HWND>(lParam) != m_hWnd)
            EndBand(false);
        break;
    case WM_SETCURSOR:
        if (LOWORD(lParam) == HTCLIENT) {
            POINT p;
            GetCursorPos(&p);
            ScreenToClient(m_hWnd, &p);
            const bool onCursor = m_draggedCursor || CursorAt({p.x, p.y});
            SetCursor(LoadCursorW(nullptr, onCursor ? IDC_SIZEWE : IDC_ARROW));
            return TRUE;
        }
        break;
    case WM_GETDLGCODE:
        return DLGC_WANTARROWS;
    case WM_KEYDOWN:
        if (wParam == VK_ESCAPE && m_ownsBand) {
            EndBand(false);
            return 0;
        }
        if (keyboardPointer && (wParam == VK_LEFT || wParam == VK_RIGHT || wParam == VK_UP || wParam == VK_DOWN)) {
            POINT p;
            GetCursorPos(&p);
            p.x += wParam == VK_LEFT ? -1 : wParam == VK_RIGHT ? 1 : 0;
            p.y += wParam == VK_UP ? -1 : wParam == VK_DOWN ? 1 : 0;
            SetCursorPos(p.x, p.y);
            return 0;
        }
        if (keyboardPointer && wParam == VK_SPACE) {
            POINT p;
            GetCursorPos(&p);
            ScreenToClient(m_hWnd, &p);
            SendMessageW(m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(p.x, p.y));
            SendMessageW(m_hWnd, WM_LBUTTONUP, 0, MAKELPARAM(p.x, p.y));
            return 0;
        }
        if (m_zoom.Zoomed()) {
            switch (wParam) {
            case VK_LEFT: OnScroll(SB_HORZ, SB_LINELEFT); return 0;
            case VK_RIGHT: OnScroll(SB_HORZ, SB_LINERIGHT); return 0;
            case VK_UP: OnScroll(SB_VERT, SB_LINEUP); return 0;
            case VK_DOWN: OnScroll(SB_VERT, SB_LINEDOWN); return 0;
            default: break;
            }
        }
        break;
    case WM_HSCROLL:
        OnScroll(SB_HORZ, LOWORD(wParam));
        return 0;
    case WM_VSCROLL:
        OnScroll(SB_VERT, LOWORD(wParam));
        return 0;
    case WM_DESTROY:
        EndBand(false);
        break;
    default:
        break;
    }
    return CChart::WindowProc(message, wParam, lParam);
}
