#include "viframework/win32/VIFrame.h"

#include <commctrl.h>

#include <algorithm>
#include <string>

#include "framework/win32/Win32Services.h"
#include "interface/InterfaceVI.h"
#include "viframework/controls/PanelResources.h"
#include "viframework/win32/VIWindow.h"

namespace {

// Tool bar images use light grey for what lets the bar show through.
constexpr COLORREF kToolBarKey = RGB(192, 192, 192);

HINSTANCE ThisModule()
{
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&ThisModule), &module);
    return module;
}

int Width(const RECT& r)
{
    return r.right - r.left;
}

int Height(const RECT& r)
{
    return r.bottom - r.top;
}

// Whether the window shows when its frame does (the frame itself may still be hidden).
bool IsShown(HWND window)
{
    return window && (GetWindowLongW(window, GWL_STYLE) & WS_VISIBLE);
}

RECT WindowRectOf(HWND window)
{
    RECT r{};
    GetWindowRect(window, &r);
    return r;
}

RECT WorkAreaOf(HWND window)
{
    return MonitorWorkArea(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST));
}

// A top-down 32-bit bitmap of the image for the common controls.
HBITMAP BitmapOf(const CPanelImage& image)
{
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = image.width;
    info.bmiHeader.biHeight = -image.height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap && bits)
        std::copy(image.pixels.begin(), image.pixels.end(), static_cast<uint32_t*>(bits));
    return bitmap;
}

}  // namespace

// ---------------------------------------------------------------- CVIFrame

CVIFrame::CVIFrame() = default;

CVIFrame::~CVIFrame()
{
    if (m_toolImages)
        ImageList_Destroy(m_toolImages);
}

bool CVIFrame::PreCreateWindow(CREATESTRUCTW& cs)
{
    cs.lpszClass = RegisterClassOnce(L"VexaInstrumentFrame", InstrumentIcon());
    cs.style |= WS_CLIPCHILDREN;
    if (m_sizable)
        cs.style |= WS_THICKFRAME | WS_MAXIMIZEBOX;
    cs.dwExStyle &= ~WS_EX_CLIENTEDGE;
    return true;
}

bool CVIFrame::Create(const RECT& rect, HWND parent, uint32_t menuId, uint32_t toolBarId, uint32_t layoutId)
{
    CWinApp* app = AfxGetApp();
    HMENU menu = menuId && app ? app->LoadMenuResource(menuId) : nullptr;
    return CreateWithMenu(rect, parent, menu, toolBarId, layoutId);
}

bool CVIFrame::CreateWithMenu(const RECT& rect, HWND parent, HMENU menu, uint32_t toolBarId, uint32_t layoutId)
{
    if (!parent) {
        if (CWnd* main = AfxGetMainWnd())
            parent = main->GetSafeHwnd();
    }
    if (!CreateView(0, WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, rect, parent, 0)) {
        if (menu)
            DestroyMenu(menu);
        return false;
    }
    // The frame's menu bar is the window's own menu: keyboard access and the
    // system's look come with it.
    if (menu)
        SetMenu(m_hWnd, menu);
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    if (toolBarId)
        CreateToolBar(toolBarId);
    m_statusBar = CreateWindowExW(0, STATUSCLASSNAMEW, nullptr, WS_CHILD | WS_VISIBLE | (m_sizable ? SBARS_SIZEGRIP : 0),
                                  0, 0, 0, 0, m_hWnd, reinterpret_cast<HMENU>(UINT_PTR(kFrameStatusBarId)),
                                  ThisModule(), nullptr);
    if (!OnCreateClient(layoutId)) {
        DestroyView();
        return false;
    }
    RecalcLayout();
    // A frame made smaller than its panes need grows to fit them.
    MINMAXINFO info{};
    GetMinTrackSize(&info);
    const RECT window = WindowRectOf(m_hWnd);
    if (Width(window) < info.ptMinTrackSize.x || Height(window) < info.ptMinTrackSize.y)
        SetWindowPos(m_hWnd, nullptr, 0, 0, std::max<int>(Width(window), info.ptMinTrackSize.x),
                     std::max<int>(Height(window), info.ptMinTrackSize.y), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    RestoreState();
    CVIEventSink::OnPanelReady(reinterpret_cast<WindowHandle>(m_hWnd));
    return true;
}

bool CVIFrame::CreateToolBar(uint32_t toolBarId)
{
    // Words: version 1, image width, image height, count, then one command
    // id per button (0 for a gap); the images come from the bitmap of the
    // same id, side by side in button order.
    const auto data = PanelResources().LoadCustom(kToolBarResourceType, toolBarId);
    if (!data || data->size() < 8)
        return false;
    auto word = [&](size_t i) { return uint16_t((*data)[2 * i] | ((*data)[2 * i + 1] << 8)); };
    const uint16_t width = word(1), height = word(2);
    const size_t count = std::min<size_t>(word(3), data->size() / 2 - 4);
    if (word(0) != 1 || width == 0 || height == 0 || width > 256 || height > 256)
        return false;

    m_toolBar = CreateWindowExW(0, TOOLBARCLASSNAMEW, nullptr,
                                WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS | CCS_TOP | CCS_NODIVIDER, 0, 0,
                                0, 0, m_hWnd, reinterpret_cast<HMENU>(UINT_PTR(kFrameToolBarId)), ThisModule(), nullptr);
    if (!m_toolBar)
        return false;
    SendMessageW(m_toolBar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    if (const auto strip = PanelResources().LoadBitmap(toolBarId); strip && strip->height == height) {
        m_toolImages = ImageList_Create(width, height, ILC_COLOR24 | ILC_MASK, strip->width / width, 0);
        if (HBITMAP bitmap = BitmapOf(*strip)) {
            ImageList_AddMasked(m_toolImages, bitmap, kToolBarKey);
            DeleteObject(bitmap);
        }
        SendMessageW(m_toolBar, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(m_toolImages));
    }
    std::vector<TBBUTTON> buttons;
    int image = 0;
    for (size_t i = 0; i < count; ++i) {
        const uint16_t id = word(4 + i);
        TBBUTTON button{};
        if (id == 0) {
            button.fsStyle = BTNS_SEP;
        } else {
            button.iBitmap = image++;
            button.idCommand = id;
            button.fsState = TBSTATE_ENABLED;
            button.fsStyle = BTNS_BUTTON;
        }
        buttons.push_back(button);
    }
    SendMessageW(m_toolBar, TB_ADDBUTTONSW, buttons.size(), reinterpret_cast<LPARAM>(buttons.data()));
    SendMessageW(m_toolBar, TB_AUTOSIZE, 0, 0);
    return true;
}

void CVIFrame::SetStatusText(const CString& text)
{
    if (m_statusBar)
        SendMessageW(m_statusBar, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(Wide(text)));
}

RECT CVIFrame::PaneArea() const
{
    RECT area{};
    GetClientRect(m_hWnd, &area);
    if (IsShown(m_toolBar))
        area.top += Height(WindowRectOf(m_toolBar));
    if (IsShown(m_statusBar))
        area.bottom -= Height(WindowRectOf(m_statusBar));
    area.bottom = std::max(area.bottom, area.top);
    return area;
}

void CVIFrame::RecalcLayout()
{
    if (m_toolBar)
        SendMessageW(m_toolBar, TB_AUTOSIZE, 0, 0);
    if (m_statusBar)
        SendMessageW(m_statusBar, WM_SIZE, 0, 0);
    if (HWND chart = GetDlgItem(m_hWnd, kFrameChartViewId)) {
        const RECT area = PaneArea();
        SetWindowPos(chart, nullptr, area.left, area.top, Width(area), Height(area), SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

bool CVIFrame::OnEvent(uint32_t code, uintptr_t value)
{
    if (code == kEventClosing) {
        OnInterfaceClosing();
        return false;
    }
    return CheckUpdate(value);
}

void CVIFrame::OnSettingChange(LPARAM section)
{
    if (!IsSlateModeChange(section))
        return;
    ReloadTouchSettings();
    RecalcLayout();
    RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN);
}

LRESULT CVIFrame::OnNotify(NMHDR* header)
{
    // Tool tips: the text after the line break of the command's string.
    if (header->code == TTN_GETDISPINFOW) {
        auto* info = reinterpret_cast<NMTTDISPINFOW*>(header);
        const CString text = PanelResources().LoadText(uint32_t(header->idFrom));
        const size_t lineBreak = text.find(u'\n');
        const CString tip = lineBreak == CString::npos ? text : text.substr(lineBreak + 1);
        const std::wstring wide(Wide(tip));
        wcsncpy(info->szText, wide.c_str(), std::size(info->szText) - 1);
        info->szText[std::size(info->szText) - 1] = 0;
        info->lpszText = info->szText;
        info->hinst = nullptr;
    }
    return 0;
}

void CVIFrame::PostNcDestroy()
{
    // A frame that failed during creation belongs to whoever tried to make it.
    if (m_autoDelete && m_created)
        delete this;
}

LRESULT CVIFrame::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (IsUpdateMessage(message)) {
        OnUpdateUI(uint32_t(wParam));
        return 0;
    }
    switch (message) {
    case WM_SIZE:
        if (wParam != SIZE_MINIMIZED)
            RecalcLayout();
        return 0;
    case WM_ERASEBKGND: {
        RECT client;
        GetClientRect(m_hWnd, &client);
        FillRect(reinterpret_cast<HDC>(wParam), &client, GetSysColorBrush(COLOR_BTNFACE));
        return 1;
    }
    case WM_SETCURSOR:
        if (LOWORD(lParam) == HTCLIENT && reinterpret_cast<HWND>(wParam) == m_hWnd) {
            SetCursor(LoadCursorW(nullptr, IDC_ARROW));
            return TRUE;
        }
        break;
    case WM_COMMAND:
        if (OnCommand(LOWORD(wParam)))
            return 0;
        break;
    case WM_NOTIFY:
        return OnNotify(reinterpret_cast<NMHDR*>(lParam));
    case WM_GETMINMAXINFO:
        GetMinTrackSize(reinterpret_cast<MINMAXINFO*>(lParam));
        return 0;
    case WM_SHOWWINDOW:
        OnShow(wParam != 0);
        break;
    case WM_SETTINGCHANGE:
        OnSettingChange(lParam);
        break;
    default:
        break;
    }
    if (OnClosingMessage(message, wParam))
        return 0;
    return CView::WindowProc(message, wParam, lParam);
}

// ---------------------------------------------------------------- CVIPaneFrame

CVIPaneFrame::CVIPaneFrame() = default;

CVIPaneFrame::~CVIPaneFrame() = default;

bool CVIPaneFrame::OnCreateClient(uint32_t layoutId)
{
    if (!layoutId)
        return true;
    m_pane = CreatePane();
    if (!m_pane->Create(layoutId, WS_CHILD | WS_VISIBLE, m_hWnd, kFrameControlPaneId)) {
        m_pane.reset();
        return false;
    }
    HWND pane = m_pane->GetSafeHwnd();
    SetWindowLongW(pane, GWL_EXSTYLE, GetWindowLongW(pane, GWL_EXSTYLE) | WS_EX_CLIENTEDGE);
    SetWindowPos(pane, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
    // The view sized itself before it had its edge.
    m_pane->ApplyZoom();
    if (m_paneMinSize.cx <= 0 || m_paneMinSize.cy <= 0)
        m_paneMinSize = m_pane->PanelSize();
    if (GetWindowTextLengthW(m_hWnd) == 0) {
        wchar_t title[256] = {};
        GetWindowTextW(pane, title, 255);
        SetWindowTextW(m_hWnd, title);
    }
    return true;
}

void CVIPaneFrame::RecalcLayout()
{
    CVIFrame::RecalcLayout();
    RECT area = PaneArea();
    if (m_pane && IsShown(m_pane->GetSafeHwnd())) {
        HWND pane = m_pane->GetSafeHwnd();
        // Its own width at its zoom, not its last one: a frame made narrow
        // and wide again gives the pane back its room.
        RECT paneClient;
        GetClientRect(pane, &paneClient);
        const int natural = m_pane->Zoom().ToDevice(m_pane->PanelSize().cx) + Width(WindowRectOf(pane)) - paneClient.right;
        const int width = std::min<int>(natural, Width(area));
        const int left = m_paneOnRight ? area.right - width : area.left;
        SetWindowPos(pane, nullptr, left, area.top, width, Height(area), SWP_NOZORDER | SWP_NOACTIVATE);
        if (m_paneOnRight)
            area.right -= width;
        else
            area.left += width;
    }
    if (HWND chart = GetDlgItem(m_hWnd, kFrameChartViewId))
        SetWindowPos(chart, nullptr, area.left, area.top, Width(area), Height(area), SWP_NOZORDER | SWP_NOACTIVATE);
}

bool CVIPaneFrame::CheckUpdate(uintptr_t value)
{
    if (!m_pane)
        return true;
    return !m_pane->IsHoldOffActive() && m_pane->CheckUpdate(value);
}

void CVIPaneFrame::GetMinTrackSize(MINMAXINFO* info)
{
    if (!m_pane || !m_pane->GetSafeHwnd())
        return;
    HWND pane = m_pane->GetSafeHwnd();
    RECT paneClient, client;
    GetClientRect(pane, &paneClient);
    GetClientRect(m_hWnd, &client);
    const RECT paneWindow = WindowRectOf(pane), window = WindowRectOf(m_hWnd), area = PaneArea();
    const CZoomRatio& zoom = m_pane->Zoom();
    const int paneWidth = zoom.ToDevice(m_paneMinSize.cx) + Width(paneWindow) - paneClient.right;
    const int paneHeight = zoom.ToDevice(m_paneMinSize.cy) + Height(paneWindow) - paneClient.bottom;
    const int bars = client.bottom - Height(area);
    // Never beyond the work area: a pane zoomed on a small screen is cut rather than the frame pushed off it.
    const RECT work = WorkAreaOf(m_hWnd);
    info->ptMinTrackSize.x = std::min<int>(paneWidth + Width(window) - client.right, Width(work));
    info->ptMinTrackSize.y = std::min<int>(paneHeight + bars + Height(window) - client.bottom, Height(work));
}

bool CVIPaneFrame::ToggleFrameZoom(bool allowWorkArea)
{
    if (!m_pane || !m_pane->CanZoom() || IsZoomed(m_hWnd))
        return false;
    const RECT window = WindowRectOf(m_hWnd);
    RECT target;
    if (m_pane->IsSecondZoom()) {
        m_pane->ToggleZoom();
        target = m_normalRect;
    } else {
        // The frame grows by what the pane grows at the second zoom level.
        const CSize panel = m_pane->PanelSize();
        const CZoomRatio& now = m_pane->Zoom();
        const CZoomRatio& second = CVIView::ZoomLevels().second;
        const RECT work = WorkAreaOf(m_hWnd);
        target = {window.left, window.top, window.right + second.ToDevice(panel.cx) - now.ToDevice(panel.cx),
                  window.bottom + second.ToDevice(panel.cy) - now.ToDevice(panel.cy)};
        if (Width(target) > Width(work) || Height(target) > Height(work)) {
            if (!allowWorkArea)
                return false;
            target = work;
        }
        m_pane->ToggleZoom();
        if (target.right > work.right || target.bottom > work.bottom) {
            const int x = work.left + (Width(work) - Width(target)) / 2;
            const int y = work.top + (Height(work) - Height(target)) / 2;
            target = {x, y, x + Width(target), y + Height(target)};
        }
        m_normalRect = window;
        m_zoomRect = target;
    }
    SetWindowPos(m_hWnd, nullptr, target.left, target.top, Width(target), Height(target),
                 SWP_NOZORDER | SWP_NOACTIVATE);
    RecalcLayout();
    return true;
}

bool CVIPaneFrame::OnZoomGesture(int32_t distance)
{
    if (m_pane && ((distance > 100 && !m_pane->IsSecondZoom()) || (distance < -100 && m_pane->IsSecondZoom())))
        ToggleFrameZoom(false);
    return true;
}

void CVIPaneFrame::OnShow(bool show)
{
    if (!m_pane || !m_pane->GetSafeHwnd())
        return;
    ShowWindow(m_pane->GetSafeHwnd(), show ? SW_SHOWNA : SW_HIDE);
    if (show)
        RecalcLayout();
}

void CVIPaneFrame::OnSettingChange(LPARAM section)
{
    CVIFrame::OnSettingChange(section);
    if (m_pane && m_pane->GetSafeHwnd() && IsSlateModeChange(section))
        InvalidateRect(m_pane->GetSafeHwnd(), nullptr, FALSE);
}

LRESULT CVIPaneFrame::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (IsUpdateMessage(message) && m_pane) {
        m_pane->OnUpdateUI(uint32_t(wParam));
        OnUpdateUI(uint32_t(wParam));
        return 0;
    }
    if (message == WM_NCLBUTTONDBLCLK && wParam == HTCAPTION && m_pane && !IsZoomed(m_hWnd)) {
        ToggleFrameZoom(GetKeyState(VK_CONTROL) < 0);
        return 0;
    }
    return CVIFrame::WindowProc(message, wParam, lParam);
}
