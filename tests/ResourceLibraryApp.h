// The application object of a test that shows the plug-in's dialogs without
// the plug-in: the resource library beside the test program as its resources.
#pragma once

#include <windows.h>

#include "WineFolder.h"
#include "framework/win32/WinApp.h"

class ResourceLibraryApp {
public:
    ResourceLibraryApp()
    {
        m_library = LoadLibraryExW(BesideMe(L"VexaRes.dll").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        m_app.m_hResource = m_library;
        m_app.m_language = GetUserDefaultUILanguage();
    }
    ~ResourceLibraryApp()
    {
        if (m_library)
            FreeLibrary(m_library);
    }
    ResourceLibraryApp(const ResourceLibraryApp&) = delete;
    ResourceLibraryApp& operator=(const ResourceLibraryApp&) = delete;

    bool Loaded() const { return m_library != nullptr; }
    CWinApp& App() { return m_app; }

private:
    CWinApp m_app;
    HMODULE m_library = nullptr;
};
