// Where the Windows tests find and put files: beside the test program, and
// folders named by an environment variable the Linux side sets.
#pragma once

#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <string>

// The folder a variable names, created when missing; empty when the variable
// is not set. One named the Unix way lies on Wine's drive for the root.
inline std::wstring FolderFromEnvironment(const char* variable)
{
    const char* value = std::getenv(variable);
    if (!value || !*value)
        return {};
    std::wstring path(value, value + std::strlen(value));
    if (path[0] == L'/')
        path = L"Z:" + path;
    for (wchar_t& c : path)
        if (c == L'/')
            c = L'\\';
    CreateDirectoryW(path.c_str(), nullptr);
    return path;
}

// A file beside the running test program (the plug-in and the resource library lie there).
inline std::wstring BesideMe(const wchar_t* name)
{
    wchar_t path[MAX_PATH];
    const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, n);
    return folder.substr(0, folder.find_last_of(L"\\/") + 1) + name;
}
