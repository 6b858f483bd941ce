// Folders the Windows tests write pictures and files into, named by an
// environment variable the Linux side sets.
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
