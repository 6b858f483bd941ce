// CMyTabView: the chart side of the analysis frames. A strip of tabs along
// the top and one page below it at a time; the pages are the frame's chart
// views, made children of the tab view.
#pragma once

#include <windows.h>

#include <vector>

#include "framework/Types.h"
#include "framework/win32/View.h"

class CMyTabView : public CView {
public:
    // Fired after the user or Select changed the page.
    static constexpr UINT kTabStripId = 1;

    bool Create(HWND parent, UINT childId);
    // Adds a page: a window to be created as a child of the tab view
    // (create it with Parent() as its parent first). The first page shows.
    void AddPage(HWND page, const CString& title);
    void Select(int index);
    int Selected() const { return m_selected; }
    int PageCount() const { return static_cast<int>(m_pages.size()); }
    HWND Page(int index) const;
    HWND Parent() const { return m_hWnd; }
    // The area the pages take (client pixels).
    RECT PageArea() const;
    // A command of the frame's menu bar: firstPageCommand + i shows page i,
    // the charts' commands (32900 to 32999) go to the page on top. False
    // for other commands.
    bool RouteFrameCommand(uint32_t id, uint32_t firstPageCommand);

protected:
    bool PreCreateWindow(CREATESTRUCTW& cs) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void PlacePages();

    HWND m_tabs = nullptr;
    HFONT m_font = nullptr;
    std::vector<HWND> m_pages;
    int m_selected = -1;
};
