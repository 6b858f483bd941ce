// CVIDialog: a small modal dialog drawn as a front panel.
#pragma once

#include "viframework/win32/VIWindow.h"

class CVIDialog : public CVIWindowBase {
public:
    CVIDialog(uint32_t layoutId, HWND owner) : m_layoutId(layoutId), m_owner(owner) {}

    // Runs the dialog: 1 accepted, 2 cancelled, -1 when it could not start.
    int DoModal();
    // Moves data between the panel and the dialog's variables (true: from
    // the panel); false when the data are not acceptable.
    virtual bool UpdateData(bool fromPanel) { return true; }
    // Ends the modal loop with a result.
    void EndDialog(int result);

    bool OnPanelReady() override;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    bool OnCommand(uint32_t id) override;

    uint32_t m_layoutId;
    HWND m_owner;
    int m_result = 0;
    bool m_running = false;
};
