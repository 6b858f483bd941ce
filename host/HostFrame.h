// The host's frame window: it finds the plug-ins of the Torvane category,
// creates them, gives them its window, connects them, shows their menus,
// routes commands and command-UI updates to them, lists their instruments in
// its Window menu, and stores their instrument sets in its documents.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "framework/Exception.h"
#include "plugin/TorvanePlugIn.h"

class HostFrame {
public:
    bool Create(HINSTANCE instance, int show);
    void Destroy();
    HWND Window() const { return m_window; }

    // Creates every plug-in of the category (registering the one beside the
    // host first, unless registerBundled is false), connects them, builds
    // the menus.
    int LoadPlugIns(bool registerBundled = true);
    // Routes a command to the plug-ins; true when one took it.
    bool RouteCommand(UINT id);
    // Stores or loads the plug-ins' instrument sets. A failure is told to the
    // user and leaves the current document (and on saving, the file) as it was.
    bool SaveDocument(const std::wstring& path);
    bool OpenDocument(const std::wstring& path);

    // The message loop, with the plug-ins' pre-translation and idle work.
    int Run();
    // Every top-level window of this thread that belongs to an instrument.
    std::vector<HWND> InstrumentWindows() const;

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
    void BuildMenus();
    void UpdatePopup(HMENU popup);
    void RefreshWindowMenu(HMENU popup);
    void Paint();
    std::wstring AskFileName(bool save);
    void SetDocument(const std::wstring& path);
    void ReportDocumentFailure(bool saving, const std::wstring& path, const CException& e);

    HWND m_window = nullptr;
    HMENU m_windowMenu = nullptr;
    std::vector<ITorvanePlugIn*> m_plugIns;
    std::wstring m_status;
};
