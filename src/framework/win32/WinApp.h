// The Win32 side of the application framework, as thin as the plug-in needs:
// windows that attach foreign handles, menus, the application object with
// its resource search chain (resource library first, then the library
// itself, each for the user's language, a fallback, then neutral), and the
// host-driven idle and message pre-translation hooks.
#pragma once

#include <windows.h>

#include <vector>

#include "framework/Types.h"

class CWnd {
public:
    CWnd() = default;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;
    virtual ~CWnd() = default;

    // Takes a window handle that someone else owns; Detach gives it back.
    void Attach(HWND window) { m_hWnd = window; }
    HWND Detach()
    {
        HWND window = m_hWnd;
        m_hWnd = nullptr;
        return window;
    }
    HWND GetSafeHwnd() const { return m_hWnd; }

    HWND m_hWnd = nullptr;
};

// A menu as the host hands it over: only its handle is used.
class CMenu {
public:
    HMENU m_hMenu = nullptr;
};

class CWinApp {
public:
    CWinApp();
    virtual ~CWinApp();

    // Idle work with a growing count; true while there is more to do.
    virtual bool OnIdle(long count) { return false; }
    // Dialog keys and accelerators of the application's windows; true when consumed.
    virtual bool PreTranslateMessage(MSG* message);

    // The module whose resources are searched after the resource library.
    HINSTANCE m_hInstance = nullptr;
    // The resource library searched first; null when it could not be loaded.
    HINSTANCE m_hResource = nullptr;
    // The window every instrument window is a child of; null for none.
    CWnd* m_pMainWnd = nullptr;
    // The user-interface language resources are chosen for.
    LANGID m_language = 0;

    // The resource of that type and id along the search chain, or null;
    // module receives the module it was found in.
    HRSRC FindInChain(LPCWSTR type, LPCWSTR name, HMODULE* module) const;
    CString LoadText(UINT id) const;
    // A menu the caller owns, or null.
    HMENU LoadMenuResource(UINT id) const;

private:
    std::vector<LANGID> Languages() const;
};

CWinApp* AfxGetApp();
CWnd* AfxGetMainWnd();
inline const wchar_t* Wide(const CString& text) { return reinterpret_cast<const wchar_t*>(text.c_str()); }
inline CString FromWide(const wchar_t* text) { return CString(reinterpret_cast<const char16_t*>(text)); }
// A window's text (an edit field's content).
CString WindowText(HWND window);
