#include "framework/win32/PropertyPage.h"

#include "framework/win32/WinApp.h"

#include <commctrl.h>

#include <vector>

#include "framework/Exception.h"
#include "framework/win32/Win32Services.h"

bool CPropertyPage::Describe(PROPSHEETPAGEW& page)
{
    CWinApp* app = AfxGetApp();
    HMODULE module = nullptr;
    HRSRC found = app ? app->FindInChain(RT_DIALOG, MAKEINTRESOURCEW(m_templateId), &module) : nullptr;
    if (!found)
        return false;
    page = PROPSHEETPAGEW{};
    page.dwSize = sizeof page;
    page.dwFlags = PSP_DLGINDIRECT;
    page.hInstance = module;
    page.pResource = static_cast<LPCDLGTEMPLATEW>(LockResource(LoadResource(module, found)));
    page.pfnDlgProc = m_procedure;
    page.lParam = reinterpret_cast<LPARAM>(this);
    return page.pResource != nullptr;
}

CString CPropertyPage::ItemText(int id) const
{
    return WindowText(Item(id));
}

void CPropertyPage::SetItemText(int id, const CString& text)
{
    const bool quiet = m_quiet;
    m_quiet = true;
    SetDlgItemTextW(m_hWnd, id, Wide(text));
    m_quiet = quiet;
}

void CPropertyPage::SetModified()
{
    if (!m_quiet)
        PropSheet_Changed(GetParent(m_hWnd), m_hWnd);
}

INT_PTR CALLBACK CPropertyPage::DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        auto* page = reinterpret_cast<CPropertyPage*>(reinterpret_cast<const PROPSHEETPAGEW*>(lParam)->lParam);
        SetWindowLongPtrW(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(page));
        page->m_hWnd = dialog;
        page->m_quiet = true;
        page->OnInitDialog();
        page->m_quiet = false;
        return TRUE;
    }
    auto* page = reinterpret_cast<CPropertyPage*>(GetWindowLongPtrW(dialog, DWLP_USER));
    if (!page)
        return FALSE;
    switch (message) {
    case WM_COMMAND:
        page->OnCommand(LOWORD(wParam), HIWORD(wParam));
        return TRUE;
    case WM_DRAWITEM:
        page->OnDrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
    case WM_NOTIFY: {
        const NMHDR& header = *reinterpret_cast<const NMHDR*>(lParam);
        if (header.code == PSN_KILLACTIVE) {
            SetWindowLongPtrW(dialog, DWLP_MSGRESULT, page->OnKillActive() ? FALSE : TRUE);
            return TRUE;
        }
        if (header.code == PSN_APPLY) {
            if (!page->OnKillActive()) {
                SetWindowLongPtrW(dialog, DWLP_MSGRESULT, PSNRET_INVALID_NOCHANGEPAGE);
                return TRUE;
            }
            if (page->OnApply())
                page->m_wrote = true;
            SetWindowLongPtrW(dialog, DWLP_MSGRESULT, PSNRET_NOERROR);
            return TRUE;
        }
        page->OnNotify(header);
        return FALSE;
    }
    default:
        return FALSE;
    }
}

bool RunPropertySheet(HWND owner, const CString& caption, std::span<CPropertyPage* const> pages, DWORD flags)
{
    const INITCOMMONCONTROLSEX classes{sizeof(INITCOMMONCONTROLSEX),
                                       ICC_LISTVIEW_CLASSES | ICC_UPDOWN_CLASS | ICC_TAB_CLASSES};
    InitCommonControlsEx(&classes);
    std::vector<HPROPSHEETPAGE> handles;
    for (CPropertyPage* page : pages) {
        PROPSHEETPAGEW description;
        HPROPSHEETPAGE handle = page->Describe(description) ? CreatePropertySheetPageW(&description) : nullptr;
        if (!handle) {
            for (HPROPSHEETPAGE made : handles)
                DestroyPropertySheetPage(made);
            ShowMessageBox(CResourceStrings().LoadText(kTextResourceMissing), MessageIcon::Error);
            return false;
        }
        handles.push_back(handle);
    }
    PROPSHEETHEADERW header{};
    header.dwSize = sizeof header;
    header.dwFlags = flags;
    header.hwndParent = owner;
    header.pszCaption = Wide(caption);
    header.nPages = UINT(handles.size());
    header.phpage = handles.data();
    PropertySheetW(&header);
    return true;
}
