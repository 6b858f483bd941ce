#include "instruments/meter/MeterDialogs.h"

#include "framework/Exception.h"
#include "framework/win32/WinApp.h"
#include "framework/win32/Win32Services.h"

bool CNumberEntryDlg::DoModal(HWND owner)
{
    return RunResourceDialog(m_templateId, owner, DialogProc, reinterpret_cast<LPARAM>(this)) == IDOK;
}

bool CNumberEntryDlg::Accept(HWND dialog)
{
    wchar_t text[64] = {};
    GetDlgItemTextW(dialog, kEditId, text, 64);
    if (const auto value = ParseEntry(FromWide(text), m_limits)) {
        m_value = *value;
        return true;
    }
    const CString refusal = CResourceStrings().LoadText(m_refusalTextId);
    wchar_t title[128] = {};
    GetWindowTextW(dialog, title, 128);
    MessageBoxW(dialog, Wide(refusal), title, MB_OK | MB_ICONWARNING);
    HWND edit = GetDlgItem(dialog, kEditId);
    SetFocus(edit);
    SendMessageW(edit, EM_SETSEL, 0, -1);
    return false;
}

INT_PTR CALLBACK CNumberEntryDlg::DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG: {
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        auto* self = reinterpret_cast<CNumberEntryDlg*>(lParam);
        SetDlgItemTextW(dialog, kEditId, Wide(FormatEntry(self->m_value)));
        HWND edit = GetDlgItem(dialog, kEditId);
        SetFocus(edit);
        SendMessageW(edit, EM_SETSEL, 0, -1);
        return FALSE;  // the focus is set
    }
    case WM_COMMAND: {
        auto* self = reinterpret_cast<CNumberEntryDlg*>(GetWindowLongPtrW(dialog, DWLP_USER));
        if (LOWORD(wParam) == IDOK) {
            if (self && self->Accept(dialog))
                EndDialog(dialog, IDOK);
            return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        }
        break;
    }
    default:
        break;
    }
    return FALSE;
}
