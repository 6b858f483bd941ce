// A second hand for tests that run a dialog on their own thread: finding the
// dialog, waiting on it, reading it and keeping its picture.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "../WineFolder.h"
#include "Capture.h"

struct DialogSearch {
    std::wstring title;
    HWND owner = nullptr;
    HWND found = nullptr;
};

inline BOOL CALLBACK MatchDialog(HWND window, LPARAM param)
{
    auto* search = reinterpret_cast<DialogSearch*>(param);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    wchar_t title[128] = {};
    wchar_t kind[16] = {};
    GetWindowTextW(window, title, 127);
    GetClassNameW(window, kind, 15);
    if (process != GetCurrentProcessId() || !IsWindowVisible(window) || std::wstring(kind) != L"#32770" ||
        (search->owner && GetWindow(window, GW_OWNER) != search->owner) ||
        (!search->title.empty() && search->title != title))
        return TRUE;
    search->found = window;
    return FALSE;
}

// A visible dialog of this process with that title (any: empty) and, when
// given, that owner, waited for up to 5 s.
inline HWND AwaitDialog(const std::wstring& title, HWND owner = nullptr)
{
    for (int i = 0; i < 250; ++i) {
        DialogSearch search{title, owner};
        EnumWindows(MatchDialog, reinterpret_cast<LPARAM>(&search));
        if (search.found)
            return search.found;
        Sleep(20);
    }
    return nullptr;
}

inline bool WaitUntil(const std::function<bool()>& condition)
{
    for (int i = 0; i < 250; ++i) {
        if (condition())
            return true;
        Sleep(20);
    }
    return false;
}

inline std::wstring TextOf(HWND window)
{
    wchar_t text[512] = {};
    GetWindowTextW(window, text, 511);
    return text;
}

// With VEXA_PICTURES set to a folder, the dialog's picture is kept there.
inline void Picture(HWND dialog, const wchar_t* name)
{
    const std::wstring folder = FolderFromEnvironment("VEXA_PICTURES");
    if (folder.empty())
        return;
    Sleep(500);  // the dialog paints on its own thread
    CaptureWindowToPng(dialog, folder + L"\\" + name);
}
