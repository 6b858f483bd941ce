#include "instruments/scope/ScopeView.h"

#include <windowsx.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "charts/ChartCommands.h"
#include "charts/Engineering.h"
#include "units/Scope.h"

void CopyScopeRecord(const CScopeBuffer& from, CScopeBuffer& to)
{
    std::span<const int16_t> samples = from.Front();
    to.SetCount(static_cast<int32_t>(samples.size()));
    std::copy(samples.begin(), samples.end(), to.Back().begin());
    to.Swap();
    to.SetRangeFactor(from.RangeFactor());
    to.SetFillPosition(from.FillPosition());
    to.SetExpectedCount(from.ExpectedCount());
    to.SetLastIndex(from.LastIndex());
}

ScopeReadings ReadScopeSettings(const CScope& unit)
{
    ScopeReadings readings;
    readings.timePerDivision = unit.CurrentTimeBase().timePerDivision;
    readings.triggerSource = unit.TriggerSource();
    readings.triggerLevel = unit.TriggerLevel();
    readings.triggerPosition = unit.TriggerPosition();
    for (int c = 0; c < 4; ++c)
        readings.channels[static_cast<size_t>(c)] = {unit.Mode(c), unit.Range(c)};
    return readings;
}

// ---------------------------------------------------------------- CScopeViewBase

ScopeReadings CScopeViewBase::Readings() const
{
    return m_unit ? ReadScopeSettings(*m_unit) : ScopeReadings{};
}

void CScopeViewBase::RepaintNow()
{
    if (!m_hWnd)
        return;
    InvalidateRect(m_hWnd, nullptr, FALSE);
    UpdateWindow(m_hWnd);
}

void CScopeViewBase::ShowChannel(int32_t channel, bool show)
{
    if (CScopeData* data = m_screen.Channel(channel)) {
        data->visible = show;
        Refresh();
    }
}

void CScopeViewBase::InvertChannel(int32_t channel, bool invert)
{
    if (CScopeData* data = m_screen.Channel(channel)) {
        data->inverted = invert;
        Refresh();
    }
}

void CScopeViewBase::MoveChannel(int32_t channel, int32_t steps)
{
    if (CScopeData* data = m_screen.Channel(channel)) {
        data->position = std::clamp(data->position + steps, -100.0, 100.0);
        Refresh();
    }
}

void CScopeViewBase::LayOut(IChartCanvas&, const CRect& area)
{
    m_area = area;
    m_screen.LayOut(area);
}

void CScopeViewBase::Draw(IChartCanvas& canvas)
{
    // The screen shows the plot on a grey surround; pictures go on white.
    canvas.FillRect(m_area, m_screen.exporting ? 0xFFFFFF : m_screen.surround);
    m_screen.Paint(canvas, Readings());
}

bool CScopeViewBase::OnCommand(UINT id)
{
    switch (id) {
    case ID_SCOPE_INFO_TEXTS: m_screen.infoTexts = !m_screen.infoTexts; break;
    case ID_SCOPE_GRID: m_screen.gridVisible = !m_screen.gridVisible; break;
    case ID_SCOPE_ZERO_MARKERS: m_screen.zeroMarkers = !m_screen.zeroMarkers; break;
    default:
        if (id >= ID_SCOPE_FIRST_VISIBLE && id < ID_SCOPE_FIRST_VISIBLE + 4) {
            const CScopeData* data = m_screen.Channel(int32_t(id - ID_SCOPE_FIRST_VISIBLE));
            ShowChannel(int32_t(id - ID_SCOPE_FIRST_VISIBLE), data && !data->visible);
            return true;
        }
        if (id >= ID_SCOPE_FIRST_INVERT && id < ID_SCOPE_FIRST_INVERT + 4) {
            const CScopeData* data = m_screen.Channel(int32_t(id - ID_SCOPE_FIRST_INVERT));
            InvertChannel(int32_t(id - ID_SCOPE_FIRST_INVERT), data && !data->inverted);
            return true;
        }
        return CChartBase::OnCommand(id);
    }
    Refresh();
    return true;
}

void CScopeViewBase::PrepareContextMenu(HMENU menu)
{
    auto check = [menu](UINT id, bool on) { CheckMenuItem(menu, id, MF_BYCOMMAND | (on ? MF_CHECKED : MF_UNCHECKED)); };
    check(ID_SCOPE_INFO_TEXTS, m_screen.infoTexts != 0);
    check(ID_SCOPE_GRID, m_screen.gridVisible != 0);
    check(ID_SCOPE_ZERO_MARKERS, m_screen.zeroMarkers != 0);
    for (int32_t c = 0; c < 4; ++c) {
        const CScopeData* data = c < m_screen.InputCount() ? m_screen.Channel(c) : nullptr;
        if (!data) {
            DeleteMenu(menu, ID_SCOPE_FIRST_VISIBLE + UINT(c), MF_BYCOMMAND);
            DeleteMenu(menu, ID_SCOPE_FIRST_INVERT + UINT(c), MF_BYCOMMAND);
            continue;
        }
        check(ID_SCOPE_FIRST_VISIBLE + UINT(c), data->visible != 0);
        check(ID_SCOPE_FIRST_INVERT + UINT(c), data->inverted != 0);
    }
}

// ---------------------------------------------------------------- CScopeViewEx

void CScopeViewEx::SetFourChannels(bool on)
{
    m_ex.SetFourChannels(on);
    Refresh();
}

void CScopeViewEx::Draw(IChartCanvas& canvas)
{
    CScopeViewBase::Draw(canvas);
    if (!m_dragged || m_screen.exporting)
        return;
    // The guide across the plot while a marker is dragged.
    const CRect& plot = m_ex.Plot();
    const ChartPen guide{ChartPen::dot, 1, 0, GetSysColor(COLOR_WINDOWFRAME) & 0xFFFFFFu};
    const int32_t at = m_dragged->Pixel();
    if (m_draggedVertical)
        canvas.Line({plot.left, at}, {plot.right, at}, guide);
    else
        canvas.Line({at, plot.top}, {at, plot.bottom}, guide);
}

bool CScopeViewEx::OnCommand(UINT id)
{
    if (id == ID_SCOPE_RULERS) {
        m_ex.showRulers = !m_ex.showRulers;
        Refresh();
        return true;
    }
    return CScopeViewBase::OnCommand(id);
}

void CScopeViewEx::PrepareContextMenu(HMENU menu)
{
    CScopeViewBase::PrepareContextMenu(menu);
    CheckMenuItem(menu, ID_SCOPE_RULERS, MF_BYCOMMAND | (m_ex.showRulers ? MF_CHECKED : MF_UNCHECKED));
}

void CScopeViewEx::BeginDrag(CPoint point)
{
    m_ex.PlaceRulers(Readings());
    m_dragged = m_ex.RulerItemAt(point, m_draggedVertical);
    m_ex.dragged = m_dragged;
    if (!m_dragged)
        return;
    SetCapture(m_hWnd);
    Drag(point);
}

void CScopeViewEx::Drag(CPoint point)
{
    if (!m_dragged)
        return;
    m_dragged->MoveTo(m_draggedVertical ? point.y : point.x);
    InvalidateRect(m_hWnd, nullptr, FALSE);
}

void CScopeViewEx::EndDrag()
{
    CRulerItem* item = m_dragged;
    m_dragged = nullptr;
    m_ex.dragged = nullptr;
    if (GetCapture() == m_hWnd)
        ReleaseCapture();
    if (!item)
        return;
    const int32_t pixel = item->Pixel();
    const CRect& plot = m_ex.Plot();
    if (m_draggedVertical && item->kind <= 4) {
        // A channel marker: its zero line goes where it was dropped.
        CScopeData* data = item->kind < 4 ? m_ex.Channel(item->kind) : m_ex.MathChannel();
        if (data)
            data->position = m_ex.PositionForPixel(pixel);
    } else if (m_draggedVertical && item->kind >= 11 && m_unit) {
        const ScopeReadings readings = Readings();
        if (const CScopeData* data = m_ex.Channel(readings.triggerSource - 1)) {
            const double full = m_ex.PixelsPerSample(*data) * 32767.0;
            if (full != 0.0)
                m_unit->SetTriggerLevel(int32_t(std::lround((m_ex.ZeroPixel(*data) - pixel) / full * 100.0)));
        }
    } else if (!m_draggedVertical && item->kind == 6 && m_unit) {
        const int32_t width = std::max(plot.right - plot.left, 1);
        const int32_t pre = std::clamp(int32_t(std::lround((pixel - plot.left) * 100.0 / width)), 0, 100);
        m_unit->SetTriggerPosition(100 - pre);
    }
    Refresh();
}

LRESULT CScopeViewEx::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    const CPoint point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    switch (message) {
    case WM_LBUTTONDOWN:
        BeginDrag(point);
        return 0;
    case WM_MOUSEMOVE:
        Drag(point);
        return 0;
    case WM_LBUTTONUP:
        EndDrag();
        return 0;
    case WM_CAPTURECHANGED:
        if (m_dragged && HWND(lParam) != m_hWnd)
            EndDrag();
        return 0;
    case WM_KEYDOWN:
        if (wParam == VK_ESCAPE && m_dragged) {
            m_dragged = nullptr;
            m_ex.dragged = nullptr;
            ReleaseCapture();
            Refresh();
            return 0;
        }
        break;
    case WM_SETCURSOR:
        if (LOWORD(lParam) == HTCLIENT) {
            POINT p;
            GetCursorPos(&p);
            ScreenToClient(m_hWnd, &p);
            bool vertical = false;
            m_ex.PlaceRulers(Readings());
            if (m_dragged || m_ex.RulerItemAt({p.x, p.y}, vertical)) {
                const bool upDown = m_dragged ? m_draggedVertical : vertical;
                SetCursor(LoadCursorW(nullptr, upDown ? IDC_SIZENS : IDC_SIZEWE));
                return TRUE;
            }
        }
        break;
    default:
        break;
    }
    return CScopeView::WindowProc(message, wParam, lParam);
}

// ---------------------------------------------------------------- CScopePreview

void CScopePreview::LayOut(IChartCanvas& canvas, const CRect& area)
{
    m_area = area;
    // Two caption lines under the picture.
    const int32_t line = canvas.MeasureText(u"\u00C4g", FontForResolution(m_screen.infoFont, m_screen.resolutionY)).cy + 2;
    CRect picture = area;
    picture.bottom = std::max(area.top + 8, area.bottom - 2 * line);
    m_screen.LayOut(picture);
}

void CScopePreview::Draw(IChartCanvas& canvas)
{
    CScopeViewBase::Draw(canvas);
    const ScopeReadings readings = Readings();
    const FontRecord font = FontForResolution(m_screen.infoFont, m_screen.resolutionY);
    const int32_t line = canvas.MeasureText(u"\u00C4g", font).cy + 2;
    int32_t y = m_screen.Plot().bottom + m_screen.Px(4);
    for (int32_t c = 0; c < 2; ++c) {
        const double voltsPerDivision = CMeasureBase::RangeRow(readings.channels[size_t(c)].range).voltsPerDivision;
        char text[64];
        std::snprintf(text, sizeof text, "CHN %c [%s]", 'A' + c,
                      StringToUtf8(FormatEngineering(voltsPerDivision, u"V/DIV")).c_str());
        canvas.Text(Utf8ToString(text), font, {m_area.left + m_screen.Px(4), y}, ChartAlign::start, ChartAlign::start,
                    kScopeColours[size_t(c)]);
        y += line;
    }
}
