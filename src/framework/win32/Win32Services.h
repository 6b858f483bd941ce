// The Win32 implementations of the core's seams: the registry as settings
// store, resource texts, the user (message boxes, busy window, the
// connection task dialog) and the window bridge.
#pragma once

#include <windows.h>

#include "framework/Settings.h"
#include "framework/UserInteraction.h"
#include "viframework/WindowBridge.h"

class CWinApp;

class CRegistrySettings : public ISettingsStore {
public:
    bool KeyExists(SettingsHive hive, const CString& key) override;
    bool CreateKey(SettingsHive hive, const CString& key) override;
    std::optional<uint32_t> ReadNumber(SettingsHive hive, const CString& key, const CString& name) override;
    std::optional<CString> ReadText(SettingsHive hive, const CString& key, const CString& name) override;
    bool WriteNumber(SettingsHive hive, const CString& key, const CString& name, uint32_t value) override;
    bool WriteText(SettingsHive hive, const CString& key, const CString& name, const CString& value) override;
};

class CResourceStrings : public IStringSource {
public:
    CString LoadText(uint32_t id) override;
};

// A message box over the host's window, titled with the product's name.
void ShowMessageBox(const CString& text, MessageIcon icon);

// What the user sees through the system's own dialogs; the dialogs drawn as
// panels (the reconnect dialog) belong to the plug-in.
class CWin32UserInteraction : public IUserInteraction {
public:
    void ShowMessage(const CString& text, MessageIcon icon) override;
    void Beep() override;
    void BeginBusy(const CString& text) override;
    void EndBusy() override;
    int ChooseTask(uint32_t titleId, uint32_t contentId, const std::vector<ChoiceButton>& buttons,
                   int defaultId) override;
    // A plain question box; the plug-in shows its panel dialog instead.
    bool ConfirmReconnect(const ConnectionInfo& info) override;

private:
    HWND m_busyWindow = nullptr;
    HCURSOR m_oldCursor = nullptr;
};

class CWin32WindowBridge : public IWindowBridge {
public:
    bool IsWindow(WindowHandle window) override;
    bool SendWithTimeout(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam,
                            uint32_t timeoutMs) override;
    void Send(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) override;
    uint32_t UpdateMessage() override;
};

// The window message boxes and dialogs belong to: the main window, else the active one.
HWND OwnerWindow();

class CException;
// Tells the user that something could not be read: the text of string
// contextTextId (when not 0), then what went wrong.
void ReportException(const CException& e, uint32_t contextTextId = 0);
// Runs the modal dialog of template templateId from the resource chain;
// its result, or -1 when the template is missing (which the user is told).
INT_PTR RunResourceDialog(uint32_t templateId, HWND owner, DLGPROC procedure, LPARAM parameter);
// Puts text on the clipboard for the window; false when that failed.
bool CopyTextToClipboard(HWND owner, const CString& text);
