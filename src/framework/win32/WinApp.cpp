#include "framework/win32/WinApp.h"

#include <algorithm>
#include <string>

namespace {
CWinApp* g_app = nullptr;
}

CWinApp::CWinApp()
{
    g_app = this;
}

CWinApp::~CWinApp()
{
    if (g_app == this)
        g_app = nullptr;
}

CWinApp* AfxGetApp()
{
    return g_app;
}

CWnd* AfxGetMainWnd()
{
    return g_app ? g_app->m_pMainWnd : nullptr;
}

bool CWinApp::PreTranslateMessage(MSG* message)
{
    // Keyboard navigation inside dialogs that belong to the application.
    HWND window = message->hwnd;
    while (window != nullptr) {
        wchar_t className[8];
        if (GetClassNameW(window, className, 8) && lstrcmpW(className, L"#32770") == 0)
            return IsDialogMessageW(window, message) != FALSE;
        if (!(GetWindowLongW(window, GWL_STYLE) & WS_CHILD))
            break;
        window = GetParent(window);
    }
    return false;
}

std::vector<LANGID> CWinApp::Languages() const
{
    std::vector<LANGID> languages;
    auto add = [&](LANGID id) {
        for (LANGID l : languages)
            if (l == id)
                return;
        languages.push_back(id);
    };
    if (m_language != 0) {
        add(m_language);
        add(MAKELANGID(PRIMARYLANGID(m_language), SUBLANG_NEUTRAL));
        add(MAKELANGID(PRIMARYLANGID(m_language), SUBLANG_DEFAULT));
    }
    add(MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL));
    add(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
    return languages;
}

HRSRC CWinApp::FindInChain(LPCWSTR type, LPCWSTR name, HMODULE* module) const
{
    for (HINSTANCE candidate : {m_hResource, m_hInstance}) {
        if (candidate == nullptr)
            continue;
        for (LANGID language : Languages()) {
            if (HRSRC found = FindResourceExW(candidate, type, name, language)) {
                if (module)
                    *module = candidate;
                return found;
            }
        }
        // Any language at all rather than nothing.
        if (HRSRC found = ::FindResourceW(candidate, name, type)) {
            if (module)
                *module = candidate;
            return found;
        }
    }
    return nullptr;
}

CString CWinApp::LoadText(UINT id) const
{
    HMODULE module = nullptr;
    HRSRC block = FindInChain(RT_STRING, MAKEINTRESOURCEW(id / 16 + 1), &module);
    if (!block)
        return CString();
    HGLOBAL loaded = LoadResource(module, block);
    const auto* p = static_cast<const WCHAR*>(LockResource(loaded));
    const DWORD size = SizeofResource(module, block) / sizeof(WCHAR);
    if (!p)
        return CString();
    // A string block holds sixteen counted strings; skip to ours.
    DWORD at = 0;
    for (UINT i = 0; i < id % 16; ++i) {
        if (at >= size)
            return CString();
        at += 1 + p[at];
    }
    if (at >= size || at + 1 + p[at] > size)
        return CString();
    return CString(reinterpret_cast<const char16_t*>(p + at + 1), p[at]);
}

HMENU CWinApp::LoadMenuResource(UINT id) const
{
    HMODULE module = nullptr;
    HRSRC found = FindInChain(RT_MENU, MAKEINTRESOURCEW(id), &module);
    if (!found)
        return nullptr;
    const void* menu = LockResource(LoadResource(module, found));
    return menu ? LoadMenuIndirectW(menu) : nullptr;
}

CString WindowText(HWND window)
{
    const int length = std::max(GetWindowTextLengthW(window), 0);
    std::wstring text(size_t(length) + 1, L'\0');
    const int got = GetWindowTextW(window, text.data(), length + 1);
    text.resize(size_t(std::clamp(got, 0, length)));
    return FromWide(text.c_str());
}
