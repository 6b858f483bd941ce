#include "analysis/win32/MyTabView.h"

#include <commctrl.h>

#include "framework/win32/Win32Services.h"
#include "viframework/controls/Menu.h"

bool CMyTabView::PreCreateWindow(CREATESTRUCTW& cs)
{
    cs.lpszClass = RegisterClassOnce(L"VexaTabView", nullptr);
    return true;
}

bool CMyTabView::Create(HWND parent, UINT childId)
{
    if (!CreateView(0, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, RECT{0, 0, 100, 100}, parent, childId))
        return false;
    m_tabs = CreateWindowExW(0, WC_TABCONTROLW, nullptr, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | TCS_FOCUSNEVER, 0,
                             0, 100, 24, m_hWnd, reinterpret_cast<HMENU>(UINT_PTR(kTabStripId)),
                             GetModuleHandleW(nullptr), nullptr);
    if (!m_tabs)
        return false;
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0))
        m_font = CreateFontIndirectW(&metrics.lfMessageFont);
    SendMessageW(m_tabs, WM_SETFONT, reinterpret_cast<WPARAM>(m_font ? m_font : GetStockObject(DEFAULT_GUI_FONT)),
                 FALSE);
    return true;
}

void CMyTabView::AddPage(HWND page, const CString& title)
{
    if (!page || !m_tabs)
        return;
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    std::wstring text(Wide(title));
    item.pszText = text.data();
    SendMessageW(m_tabs, TCM_INSERTITEMW, m_pages.size(), reinterpret_cast<LPARAM>(&item));
    m_pages.push_back(page);
    ShowWindow(page, SW_HIDE);
    if (m_selected < 0)
        Select(0);
    else
        PlacePages();
}

void CMyTabView::Select(int index)
{
    if (index < 0 || index >= PageCount())
        return;
    m_selected = index;
    SendMessageW(m_tabs, TCM_SETCURSEL, index, 0);
    PlacePages();
    for (int i = 0; i < PageCount(); ++i)
        ShowWindow(m_pages[size_t(i)], i == index ? SW_SHOW : SW_HIDE);
}

HWND CMyTabView::Page(int index) const
{
    return index >= 0 && index < PageCount() ? m_pages[size_t(index)] : nullptr;
}

RECT CMyTabView::PageArea() const
{
    RECT area{};
    GetClientRect(m_hWnd, &area);
    RECT strip = area;
    SendMessageW(m_tabs, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&strip));
    // The pages start under the tabs and use the width; the tab control's own
    // border around the page would only take room from the chart.
    area.top = std::min<LONG>(std::max<LONG>(strip.top - 2, 0), area.bottom);
    return area;
}

bool CMyTabView::RouteFrameCommand(uint32_t id, uint32_t firstPageCommand)
{
    if (const int32_t page = ItemOf(id, firstPageCommand, PageCount()); page >= 0) {
        Select(page);
        return true;
    }
    if (id < 32900 || id > 32999)
        return false;
    if (HWND page = Page(m_selected))
        SendMessageW(page, WM_COMMAND, id, 0);
    return true;
}

void CMyTabView::PlacePages()
{
    RECT client{};
    GetClientRect(m_hWnd, &client);
    const RECT area = PageArea();
    SetWindowPos(m_tabs, HWND_BOTTOM, 0, 0, client.right, area.top + 2, SWP_NOACTIVATE);
    for (HWND page : m_pages)
        SetWindowPos(page, HWND_TOP, area.left, area.top, area.right - area.left, area.bottom - area.top,
                     SWP_NOACTIVATE);
}

LRESULT CMyTabView::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_SIZE:
        PlacePages();
        return 0;
    case WM_ERASEBKGND: {
        RECT client;
        GetClientRect(m_hWnd, &client);
        FillRect(reinterpret_cast<HDC>(wParam), &client, GetSysColorBrush(COLOR_BTNFACE));
        return 1;
    }
    case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header->hwndFrom == m_tabs && header->code == TCN_SELCHANGE) {
            Select(int(SendMessageW(m_tabs, TCM_GETCURSEL, 0, 0)));
            return 0;
        }
        break;
    }
    case WM_COMMAND:
        // The pages' menus and controls reach the frame.
        return SendMessageW(GetParent(m_hWnd), message, wParam, lParam);
    case WM_DESTROY:
        if (m_font)
            DeleteObject(m_font);
        m_font = nullptr;
        break;
    default:
        break;
    }
    return CView::WindowProc(message, wParam, lParam);
}
