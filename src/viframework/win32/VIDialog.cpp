#include "viframework/win32/VIDialog.h"

#include <algorithm>

int CVIDialog::DoModal()
{
    HWND owner = m_owner ? m_owner : GetActiveWindow();
    const bool disableOwner = owner && owner != GetDesktopWindow() && IsWindowEnabled(owner);
    HWND main = AfxGetMainWnd() ? AfxGetMainWnd()->GetSafeHwnd() : nullptr;
    const bool disableMain = main && main != owner && IsWindowEnabled(main);
    if (disableOwner)
        EnableWindow(owner, FALSE);
    if (disableMain)
        EnableWindow(main, FALSE);

    m_result = 0;
    m_running = true;
    if (!CVIView::Create(m_layoutId, WS_POPUP | WS_CAPTION | WS_SYSMENU, owner, 0))
        m_result = -1;
    if (m_hWnd && m_running) {
        // Centre on the owner (or the screen).
        RECT area, self;
        if (!owner || !GetWindowRect(owner, &area))
            SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
        GetWindowRect(m_hWnd, &self);
        const int w = self.right - self.left, h = self.bottom - self.top;
        // Centred on a small owner near the screen's edge, the caption would
        // leave the screen: the dialog stays inside the owner's work area.
        const RECT work = MonitorWorkArea(MonitorFromRect(&area, MONITOR_DEFAULTTONEAREST));
        const int x = std::clamp<int>(area.left + (area.right - area.left - w) / 2, work.left,
                                      std::max<int>(work.left, work.right - w));
        const int y = std::clamp<int>(area.top + (area.bottom - area.top - h) / 2, work.top,
                                      std::max<int>(work.top, work.bottom - h));
        SetWindowPos(m_hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        ShowWindow(m_hWnd, SW_SHOW);
        MSG msg;
        while (m_running && GetMessageW(&msg, nullptr, 0, 0) > 0) {
            if (msg.hwnd == m_hWnd && msg.message == WM_CHAR) {
                if (msg.wParam == VK_RETURN) {
                    OnCommand(IDOK);
                    continue;
                }
                if (msg.wParam == VK_ESCAPE) {
                    OnCommand(IDCANCEL);
                    continue;
                }
            }
            if (msg.message == WM_QUIT) {
                PostQuitMessage(int(msg.wParam));
                break;
            }
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    if (disableMain)
        EnableWindow(main, TRUE);
    if (disableOwner) {
        EnableWindow(owner, TRUE);
        SetActiveWindow(owner);
    }
    if (m_hWnd)
        DestroyView();
    return m_result;
}

void CVIDialog::EndDialog(int result)
{
    m_result = result;
    m_running = false;
    if (m_hWnd)
        ShowWindow(m_hWnd, SW_HIDE);
}

bool CVIDialog::OnPanelReady()
{
    CVIWindowBase::OnPanelReady();
    if (!UpdateData(false)) {
        EndDialog(-1);
        return false;
    }
    return true;
}

bool CVIDialog::OnCommand(uint32_t id)
{
    if (id == IDOK) {
        if (UpdateData(true))
            EndDialog(1);
        return true;
    }
    if (id == IDCANCEL) {
        EndDialog(2);
        return true;
    }
    return false;
}

LRESULT CVIDialog::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_CLOSE) {
        EndDialog(2);
        return 0;
    }
    return CVIWindowBase::WindowProc(message, wParam, lParam);
}
