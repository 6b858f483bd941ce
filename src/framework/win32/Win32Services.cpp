#include "framework/win32/Win32Services.h"

#include <commctrl.h>

#include "framework/Exception.h"
#include "framework/win32/WinApp.h"

namespace {

HKEY Root(SettingsHive hive)
{
    return hive == SettingsHive::CurrentUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
}

class RegKey {
public:
    RegKey(SettingsHive hive, const CString& key, bool create, REGSAM access)
    {
        if (create)
            m_ok = RegCreateKeyExW(Root(hive), Wide(key), 0, nullptr, 0, access, nullptr, &m_key, nullptr) == ERROR_SUCCESS;
        else
            m_ok = RegOpenKeyExW(Root(hive), Wide(key), 0, access, &m_key) == ERROR_SUCCESS;
    }
    ~RegKey()
    {
        if (m_ok)
            RegCloseKey(m_key);
    }
    RegKey(const RegKey&) = delete;
    RegKey& operator=(const RegKey&) = delete;
    explicit operator bool() const { return m_ok; }
    HKEY get() const { return m_key; }

private:
    HKEY m_key = nullptr;
    bool m_ok = false;
};

} // namespace

HWND OwnerWindow()
{
    CWnd* main = AfxGetMainWnd();
    return main && main->m_hWnd ? main->m_hWnd : GetActiveWindow();
}

// ---------------------------------------------------------------- registry

bool CRegistrySettings::KeyExists(SettingsHive hive, const CString& key)
{
    return static_cast<bool>(RegKey(hive, key, false, KEY_READ));
}

bool CRegistrySettings::CreateKey(SettingsHive hive, const CString& key)
{
    return static_cast<bool>(RegKey(hive, key, true, KEY_READ | KEY_WRITE));
}

std::optional<uint32_t> CRegistrySettings::ReadNumber(SettingsHive hive, const CString& key, const CString& name)
{
    RegKey k(hive, key, false, KEY_READ);
    DWORD type = 0, value = 0, size = sizeof value;
    if (!k || RegQueryValueExW(k.get(), Wide(name), nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS ||
        type != REG_DWORD)
        return std::nullopt;
    return value;
}

std::optional<CString> CRegistrySettings::ReadText(SettingsHive hive, const CString& key, const CString& name)
{
    RegKey k(hive, key, false, KEY_READ);
    DWORD type = 0, size = 0;
    if (!k || RegQueryValueExW(k.get(), Wide(name), nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return std::nullopt;
    std::wstring text(size / sizeof(wchar_t) + 1, L'\0');
    if (RegQueryValueExW(k.get(), Wide(name), nullptr, &type, reinterpret_cast<BYTE*>(text.data()), &size) != ERROR_SUCCESS)
        return std::nullopt;
    return FromWide(text.c_str());
}

bool CRegistrySettings::WriteNumber(SettingsHive hive, const CString& key, const CString& name, uint32_t value)
{
    RegKey k(hive, key, true, KEY_WRITE);
    const DWORD v = value;
    return k && RegSetValueExW(k.get(), Wide(name), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v), sizeof v) == ERROR_SUCCESS;
}

bool CRegistrySettings::WriteText(SettingsHive hive, const CString& key, const CString& name, const CString& value)
{
    RegKey k(hive, key, true, KEY_WRITE);
    return k && RegSetValueExW(k.get(), Wide(name), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                               static_cast<DWORD>((value.size() + 1) * sizeof(char16_t))) == ERROR_SUCCESS;
}

// ---------------------------------------------------------------- texts

CString CResourceStrings::LoadText(uint32_t id)
{
    CWinApp* app = AfxGetApp();
    return app ? app->LoadText(id) : CString();
}

// ---------------------------------------------------------------- the user

void CWin32UserInteraction::ShowMessage(const CString& text, MessageIcon icon)
{
    ShowMessageBox(text, icon);
}

bool CWin32UserInteraction::ConfirmReconnect(const ConnectionInfo& info)
{
    constexpr uint32_t kTextReconnect = 20030;  // the menu item's text
    CWinApp* app = AfxGetApp();
    CString text = info.identification;
    if (!info.address.empty())
        text += u"\n" + info.address;
    const CString question = app ? app->LoadText(kTextReconnect) : CString();
    return MessageBoxW(OwnerWindow(), Wide(text), question.empty() ? L"Vexa" : Wide(question),
                       MB_OKCANCEL | MB_ICONQUESTION) == IDOK;
}

void ShowMessageBox(const CString& text, MessageIcon icon)
{
    const UINT style = icon == MessageIcon::Error ? MB_ICONERROR
                       : icon == MessageIcon::Warning ? MB_ICONWARNING
                       : icon == MessageIcon::Information ? MB_ICONINFORMATION
                                                          : 0;
    CWinApp* app = AfxGetApp();
    const CString title = app ? app->LoadText(57344) : CString();
    MessageBoxW(OwnerWindow(), Wide(text), title.empty() ? L"Vexa" : Wide(title), MB_OK | style);
}

void CWin32UserInteraction::Beep()
{
    MessageBeep(MB_OK);
}

void CWin32UserInteraction::BeginBusy(const CString& text)
{
    m_oldCursor = SetCursor(LoadCursor(nullptr, IDC_WAIT));
    if (text.empty() || m_busyWindow)
        return;
    // A plain caption-less window: the UI thread is busy, so it only has to
    // paint once.
    HWND owner = OwnerWindow();
    RECT area;
    if (!owner || !GetWindowRect(owner, &area))
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    const int width = 380, height = 80;
    m_busyWindow = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, L"STATIC", Wide(text),
                                   WS_POPUP | WS_BORDER | WS_VISIBLE | SS_CENTER | SS_CENTERIMAGE,
                                   (area.left + area.right - width) / 2, (area.top + area.bottom - height) / 2, width,
                                   height, owner, nullptr, nullptr, nullptr);
    if (m_busyWindow) {
        SendMessageW(m_busyWindow, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), TRUE);
        UpdateWindow(m_busyWindow);
    }
}

void CWin32UserInteraction::EndBusy()
{
    if (m_busyWindow)
        DestroyWindow(m_busyWindow);
    m_busyWindow = nullptr;
    SetCursor(m_oldCursor ? m_oldCursor : LoadCursor(nullptr, IDC_ARROW));
}

int CWin32UserInteraction::ChooseTask(uint32_t titleId, uint32_t contentId, const std::vector<ChoiceButton>& buttons,
                                      int defaultId)
{
    CWinApp* app = AfxGetApp();
    const CString title = app->LoadText(titleId);
    const CString content = app->LoadText(contentId);
    std::vector<CString> texts;
    for (const ChoiceButton& b : buttons)
        texts.push_back(app->LoadText(b.textId));
    std::vector<TASKDIALOG_BUTTON> items;
    for (size_t i = 0; i < buttons.size(); ++i)
        items.push_back({buttons[i].id, Wide(texts[i])});

    using TaskDialogIndirectFn = HRESULT(WINAPI*)(const TASKDIALOGCONFIG*, int*, int*, BOOL*);
    HMODULE comctl = LoadLibraryW(L"comctl32.dll");
    auto taskDialog = comctl ? reinterpret_cast<TaskDialogIndirectFn>(
                                   reinterpret_cast<void*>(GetProcAddress(comctl, "TaskDialogIndirect")))
                             : nullptr;
    int chosen = 2;
    if (taskDialog) {
        TASKDIALOGCONFIG config = {};
        config.cbSize = sizeof config;
        config.hwndParent = OwnerWindow();
        config.dwFlags = TDF_USE_COMMAND_LINKS | TDF_POSITION_RELATIVE_TO_WINDOW;
        config.pszMainIcon = TD_WARNING_ICON;
        config.pszWindowTitle = Wide(title);
        config.pszContent = Wide(content);
        config.cButtons = static_cast<UINT>(items.size());
        config.pButtons = items.data();
        config.nDefaultButton = defaultId;
        if (FAILED(taskDialog(&config, &chosen, nullptr, nullptr)))
            chosen = 2;
    } else {
        // Without task dialogs the choice narrows to demonstration mode or not.
        chosen = MessageBoxW(OwnerWindow(), Wide(content), Wide(title), MB_YESNO | MB_ICONWARNING) == IDYES ? 6 : 2;
    }
    if (comctl)
        FreeLibrary(comctl);
    return chosen;
}

// ---------------------------------------------------------------- windows

bool CWin32WindowBridge::IsWindow(WindowHandle window)
{
    return ::IsWindow(reinterpret_cast<HWND>(window)) != FALSE;
}

bool CWin32WindowBridge::SendWithTimeout(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam,
                                            uint32_t timeoutMs)
{
    DWORD_PTR result = 0;
    return ::SendMessageTimeoutW(reinterpret_cast<HWND>(window), message, wParam, lParam,
                                 SMTO_ABORTIFHUNG | SMTO_ERRORONEXIT, timeoutMs, &result) != 0;
}

void CWin32WindowBridge::Send(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam)
{
    ::SendMessageW(reinterpret_cast<HWND>(window), message, wParam, lParam);
}

uint32_t CWin32WindowBridge::UpdateMessage()
{
    static const UINT message = RegisterWindowMessageW(L"WM_VI_ONUPDATEUI");
    return message;
}

INT_PTR RunResourceDialog(uint32_t templateId, HWND owner, DLGPROC procedure, LPARAM parameter)
{
    CWinApp* app = AfxGetApp();
    HMODULE module = nullptr;
    HRSRC found = app ? app->FindInChain(RT_DIALOG, MAKEINTRESOURCEW(templateId), &module) : nullptr;
    if (!found) {
        // Without any texts either there is nothing to say it in; the caller's
        // answer for a dialog that cannot be shown follows.
        const CString text = CResourceStrings().LoadText(kTextResourceMissing);
        if (!text.empty())
            ShowMessageBox(text, MessageIcon::Error);
        return -1;
    }
    auto* dialog = static_cast<const DLGTEMPLATE*>(LockResource(LoadResource(module, found)));
    return DialogBoxIndirectParamW(module, dialog, owner, procedure, parameter);
}

void ReportException(const CException& e, uint32_t contextTextId)
{
    CWinApp* app = AfxGetApp();
    CString text = contextTextId && app ? app->LoadText(contextTextId) : CString();
    if (!text.empty())
        text += u"\n\n";
    text += Utf8ToString(e.what());
    ShowMessageBox(text, MessageIcon::Error);
}

bool CopyTextToClipboard(HWND owner, const CString& text)
{
    if (!OpenClipboard(owner))
        return false;
    EmptyClipboard();
    const size_t bytes = (text.size() + 1) * sizeof(char16_t);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
    bool done = false;
    if (memory) {
        if (void* data = GlobalLock(memory)) {
            memcpy(data, text.c_str(), bytes);
            GlobalUnlock(memory);
            done = SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
        }
        if (!done)
            GlobalFree(memory);
    }
    CloseClipboard();
    return done;
}
