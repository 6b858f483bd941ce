// CDialog: a modal dialog from a template of the resource chain (the
// resource library first, then the plug-in). The window procedure, the
// template lookup and the control helpers live here once; a dialog class
// fills in OnInitDialog and OnCommand.
#pragma once

#include <windows.h>

#include "framework/Types.h"

class CDialog {
public:
    explicit CDialog(UINT templateId) : m_templateId(templateId) {}
    virtual ~CDialog() = default;
    CDialog(const CDialog&) = delete;
    CDialog& operator=(const CDialog&) = delete;

    // Runs the dialog over owner (none: the application's main window): the
    // value it ended with, or -1 when it could not be shown (a missing
    // template is reported to the user).
    INT_PTR DoModal(HWND owner = nullptr);
    HWND GetSafeHwnd() const { return m_hWnd; }

protected:
    virtual void OnInitDialog() {}
    // A command from a control or a key; true when handled. Unhandled OK and
    // Cancel end the dialog with IDOK and IDCANCEL.
    virtual bool OnCommand(int id, int notifyCode);
    // Any other message; true when handled, with what the dialog procedure
    // returns in result (a brush for the colour messages).
    virtual bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result);

    void EndDialog(INT_PTR result);
    HWND Item(int id) const { return GetDlgItem(m_hWnd, id); }
    CString ItemText(int id) const;
    void SetItemText(int id, const CString& text);
    void EnableItem(int id, bool enable);

    HWND m_hWnd = nullptr;

private:
    static INT_PTR CALLBACK Procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

    UINT m_templateId;
};
