#include "framework/win32/Dialog.h"

#include "framework/win32/Win32Services.h"
#include "framework/win32/WinApp.h"

INT_PTR CDialog::DoModal(HWND owner)
{
    const INT_PTR result =
        RunResourceDialog(m_templateId, owner ? owner : OwnerWindow(), Procedure, reinterpret_cast<LPARAM>(this));
    m_hWnd = nullptr;
    // 0 means the owner was not a window: the dialog never showed.
    return result == 0 ? -1 : result;
}

INT_PTR CALLBACK CDialog::Procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        auto* self = reinterpret_cast<CDialog*>(lParam);
        self->m_hWnd = dialog;
        self->OnInitDialog();
        return TRUE;
    }
    auto* self = reinterpret_cast<CDialog*>(GetWindowLongPtrW(dialog, DWLP_USER));
    if (!self)
        return FALSE;
    if (message == WM_COMMAND)
        return self->OnCommand(LOWORD(wParam), HIWORD(wParam)) ? TRUE : FALSE;
    INT_PTR result = TRUE;
    return self->OnMessage(message, wParam, lParam, result) ? result : FALSE;
}

bool CDialog::OnCommand(int id, int)
{
    if (id != IDOK && id != IDCANCEL)
        return false;
    EndDialog(id);
    return true;
}

bool CDialog::OnMessage(UINT, WPARAM, LPARAM, INT_PTR&)
{
    return false;
}

void CDialog::EndDialog(INT_PTR result)
{
    ::EndDialog(m_hWnd, result);
}

CString CDialog::ItemText(int id) const
{
    return WindowText(Item(id));
}

void CDialog::SetItemText(int id, const CString& text)
{
    SetDlgItemTextW(m_hWnd, id, Wide(text));
}

void CDialog::EnableItem(int id, bool enable)
{
    EnableWindow(Item(id), enable ? TRUE : FALSE);
}
