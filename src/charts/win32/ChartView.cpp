#include "charts/win32/ChartView.h"

#include <windowsx.h>

#include "charts/ChartCommands.h"
#include "charts/win32/ChartPages.h"
#include "framework/win32/Win32Services.h"
#include "framework/win32/WinApp.h"

namespace {

constexpr uint32_t kClipboardNotOpened = 1072;

int ScreenResolution(int index)
{
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, index);
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : 96;
}

CRect ClientRect(HWND window)
{
    RECT r{};
    GetClientRect(window, &r);
    return {r.left, r.top, r.right, r.bottom};
}

}  // namespace

// ------------------------------------------------------------------ CChartBase

bool CChartBase::PreCreateWindow(CREATESTRUCTW& cs)
{
    cs.lpszClass = RegisterClassOnce(L"VexaChart", nullptr);
    return true;
}

bool CChartBase::Create(HWND parent, const RECT& rect, UINT id, DWORD style)
{
    m_surface.SetTargetResolution(ScreenResolution(LOGPIXELSX), ScreenResolution(LOGPIXELSY));
    return CreateView(0, style, rect, parent, id);
}

void CChartBase::Refresh()
{
    m_surface.needsLayout = true;
    if (m_hWnd)
        InvalidateRect(m_hWnd, nullptr, FALSE);
}

void CChartBase::SetTargetResolution(int x, int y)
{
    m_surface.SetTargetResolution(x, y);
    Refresh();
}

void CChartBase::OnDraw(HDC dc)
{
    const CRect client = ClientRect(m_hWnd);
    if (client.IsEmpty())
        return;
    // Drawn off screen and copied at once, so that nothing flickers.
    if (!m_backDc || m_backSize.cx != client.right || m_backSize.cy != client.bottom) {
        ReleaseBackBuffer();
        m_backDc = CreateCompatibleDC(dc);
        m_backBitmap = CreateCompatibleBitmap(dc, client.right, client.bottom);
        if (!m_backDc || !m_backBitmap) {
            ReleaseBackBuffer();
            return;
        }
        m_backOld = SelectObject(m_backDc, m_backBitmap);
        m_backSize = {client.right, client.bottom};
    }
    {
        CGdiChartCanvas canvas(m_backDc);
        if (m_surface.needsLayout || !(client == m_laidOutFor)) {
            LayOut(canvas, client);
            m_laidOutFor = client;
        }
        Draw(canvas);
    }
    BitBlt(dc, 0, 0, client.right, client.bottom, m_backDc, 0, 0, SRCCOPY);
}

void CChartBase::ReleaseBackBuffer()
{
    if (m_backDc && m_backOld)
        SelectObject(m_backDc, m_backOld);
    if (m_backBitmap)
        DeleteObject(m_backBitmap);
    if (m_backDc)
        DeleteDC(m_backDc);
    m_backDc = nullptr;
    m_backBitmap = nullptr;
    m_backOld = nullptr;
    m_backSize = {};
}

void CChartBase::DrawForExport(HDC dc, const RECT& area, int resolutionX, int resolutionY)
{
    const int32_t screenX = m_surface.resolutionX, screenY = m_surface.resolutionY;
    m_surface.SetTargetResolution(resolutionX, resolutionY);
    m_surface.exporting = true;
    {
        CGdiChartCanvas canvas(dc);
        LayOut(canvas, {area.left, area.top, area.right, area.bottom});
        Draw(canvas);
    }
    m_surface.exporting = false;
    m_surface.SetTargetResolution(screenX, screenY);
    m_laidOutFor = {};
    Refresh();
}

bool CChartBase::CopyDataText()
{
    CMemStream stream;
    WriteDataText(stream);
    wchar_t decimal[8] = L".";
    GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, decimal, 8);
    UseDecimalSign(stream.Text(), char16_t(decimal[0]));
    if (CopyTextToClipboard(m_hWnd, stream.Text()))
        return true;
    CWin32UserInteraction().ShowMessage(CResourceStrings().LoadText(kClipboardNotOpened), MessageIcon::Error);
    return false;
}

bool CChartBase::OnCommand(UINT id)
{
    switch (id) {
    case ID_CHART_COPY: CopyPicture(); return true;
    case ID_CHART_EXPORT: ExportChart(); return true;
    case ID_CHART_COPY_TEXT: CopyDataText(); return true;
    case ID_CHART_PAGE_LAYOUT: PageLayout(); return true;
    default: return false;
    }
}

void CChartBase::ShowContextMenu(CPoint client)
{
    const int region = RegionAt(client);
    if (region < 0 || region > CChartSurface::labelMenu || !AfxGetApp())
        return;
    const uint32_t menuId = m_surface.contextMenus[region];
    HMENU menu = menuId ? AfxGetApp()->LoadMenuResource(menuId) : nullptr;
    if (!menu)
        return;
    m_menuPoint = client;
    PrepareContextMenu(GetSubMenu(menu, 0));
    POINT screen{client.x, client.y};
    ClientToScreen(m_hWnd, &screen);
    const UINT command = UINT(TrackPopupMenu(GetSubMenu(menu, 0), TPM_RETURNCMD | TPM_RIGHTBUTTON, screen.x,
                                             screen.y, 0, m_hWnd, nullptr));
    DestroyMenu(menu);
    if (command)
        OnCommand(command);
}

LRESULT CChartBase::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_ERASEBKGND:
        return 1;
    case WM_SETCURSOR:
        if (LOWORD(lParam) == HTCLIENT) {
            SetCursor(LoadCursorW(nullptr, IDC_ARROW));
            return TRUE;
        }
        break;
    case WM_SIZE:
        Refresh();
        return 0;
    case WM_CONTEXTMENU: {
        POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        if (p.x == -1 && p.y == -1) {
            // From the keyboard: the middle of the window.
            const CRect client = ClientRect(m_hWnd);
            p = {client.right / 2, client.bottom / 2};
        } else {
            ScreenToClient(m_hWnd, &p);
        }
        ShowContextMenu({p.x, p.y});
        return 0;
    }
    case WM_COMMAND:
        if (OnCommand(LOWORD(wParam)))
            return 0;
        break;
    default:
        break;
    }
    return CView::WindowProc(message, wParam, lParam);
}

// ------------------------------------------------------------------ CChart

void CChart::Draw(IChartCanvas& canvas)
{
    m_model.Paint(
        canvas, [this](IChartCanvas& c) { DrawSignals(c); }, [this](IChartCanvas& c) { DrawOverlays(c); });
}

int CChart::RegionAt(CPoint point)
{
    if (m_model.LabelAt(point))
        return CChartSurface::labelMenu;
    if (CAxis* axis = m_model.AxisAt(point))
        return axis == &m_model.Vertical(0) || axis == &m_model.Horizontal() ? CChartSurface::firstAxisMenu
                                                                                : CChartSurface::secondAxisMenu;
    return CChartSurface::plotMenu;
}

bool CChart::OnCommand(UINT id)
{
    switch (id) {
    case ID_CHART_SCALE: {
        CAxis* axis = m_model.AxisAt(m_menuPoint);
        if (!axis)
            axis = &m_model.CurrentAxis();
        if (EditChartProperties(m_hWnd, m_model, *axis, kPageScale))
            Refresh();
        return true;
    }
    case ID_CHART_GRID:
        if (EditChartProperties(m_hWnd, m_model, m_model.CurrentAxis(), kPageGrid | kPageZeroLines))
            Refresh();
        return true;
    case ID_CHART_ZERO_LINES:
        if (EditChartProperties(m_hWnd, m_model, m_model.CurrentAxis(), kPageZeroLines))
            Refresh();
        return true;
    case ID_CHART_SIGNALS:
        if (EditChartProperties(m_hWnd, m_model, m_model.CurrentAxis(), kPageSignals, SignalsPageTemplate()))
            Refresh();
        return true;
    case ID_CHART_ADD_LABEL: {
        auto label = std::make_unique<CLabel>();
        label->MoveTo(m_menuPoint, m_model.Plot());
        if (EditLabel(m_hWnd, *label)) {
            m_model.labels.push_back(std::move(label));
            Refresh();
        }
        return true;
    }
    case ID_CHART_LABEL:
        if (CLabel* label = m_model.LabelAt(m_menuPoint); label && EditLabel(m_hWnd, *label))
            Refresh();
        return true;
    case ID_CHART_DELETE_LABEL:
        if (CLabel* label = m_model.LabelAt(m_menuPoint)) {
            std::erase_if(m_model.labels, [label](const auto& l) { return l.get() == label; });
            Refresh();
        }
        return true;
    default:
        return CChartBase::OnCommand(id);
    }
}

LRESULT CChart::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    const CPoint point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    switch (message) {
    case WM_LBUTTONDOWN:
        if ((m_draggedLabel = m_model.LabelAt(point)) != nullptr) {
            SetCapture(m_hWnd);
            return 0;
        }
        break;
    case WM_MOUSEMOVE:
        if (m_draggedLabel) {
            m_draggedLabel->MoveTo(point, m_model.Plot());
            InvalidateRect(m_hWnd, nullptr, FALSE);
            return 0;
        }
        break;
    case WM_LBUTTONUP:
        if (m_draggedLabel) {
            m_draggedLabel = nullptr;
            ReleaseCapture();
            return 0;
        }
        break;
    case WM_CAPTURECHANGED:
        m_draggedLabel = nullptr;
        break;
    default:
        break;
    }
    return CChartBase::WindowProc(message, wParam, lParam);
}
