#include "HostFrame.h"

#include <comcat.h>
#include <commdlg.h>

#include <cstring>

#include "framework/Archive.h"
#include "framework/CmdTarget.h"
#include "framework/win32/WinApp.h"

namespace {

constexpr wchar_t kFrameClass[] = L"TorvaneHostFrame";
constexpr uint32_t kDocumentMagic = 0x44485854;  // "TXHD"
constexpr uint32_t kDocumentVersion = 1;

enum HostCommand : UINT {
    kCommandOpen = 100,
    kCommandSave = 101,
    kCommandExit = 102,
    kCommandShowAll = 110,
    kCommandHideAll = 111,
    kFirstWindowItem = 0xE100,  // instrument list items, wrapping in 16 bits
};
constexpr int kWindowItemCount = 256;

// A menu item while the plug-in decides whether it is enabled or checked.
class MenuCmdUI : public CCmdUI {
public:
    MenuCmdUI(HMENU menu, UINT id) : m_menu(menu) { m_nID = id; }
    void Enable(bool on) override { EnableMenuItem(m_menu, m_nID, MF_BYCOMMAND | (on ? MF_ENABLED : MF_GRAYED)); }
    void SetCheck(int check) override { CheckMenuItem(m_menu, m_nID, MF_BYCOMMAND | (check ? MF_CHECKED : MF_UNCHECKED)); }

private:
    HMENU m_menu;
};

std::wstring HostFolder()
{
    wchar_t path[MAX_PATH];
    const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, n);
    return folder.substr(0, folder.find_last_of(L"\\/") + 1);
}

std::vector<CLSID> PlugInClasses()
{
    std::vector<CLSID> classes;
    ICatInformation* info = nullptr;
    if (FAILED(CoCreateInstance(CLSID_StdComponentCategoriesMgr, nullptr, CLSCTX_INPROC_SERVER, IID_ICatInformation,
                                reinterpret_cast<void**>(&info))))
        return classes;
    CATID catid = CATID_TorvanePlugIns;
    IEnumCLSID* found = nullptr;
    if (SUCCEEDED(info->EnumClassesOfCategories(1, &catid, 0, nullptr, &found)) && found) {
        CLSID clsid;
        ULONG got = 0;
        while (found->Next(1, &clsid, &got) == S_OK && got == 1)
            classes.push_back(clsid);
        found->Release();
    }
    info->Release();
    return classes;
}

// Registers the plug-in that is installed beside the host.
void RegisterBundledPlugIn()
{
    HMODULE module = LoadLibraryW((HostFolder() + L"QX7350.dll").c_str());
    if (!module)
        return;
    using RegisterFn = HRESULT(STDAPICALLTYPE*)();
    if (auto reg = reinterpret_cast<RegisterFn>(reinterpret_cast<void*>(GetProcAddress(module, "DllRegisterServer"))))
        reg();
    FreeLibrary(module);
}

BOOL CALLBACK CollectVisible(HWND window, LPARAM list)
{
    if (IsWindowVisible(window))
        reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
    return TRUE;
}

} // namespace

bool HostFrame::Create(HINSTANCE instance, int show)
{
    WNDCLASSW wc = {};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hIcon = LoadIcon(nullptr, IDI_APPLICATION);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_APPWORKSPACE + 1);
    wc.lpszClassName = kFrameClass;
    RegisterClassW(&wc);
    m_window = CreateWindowW(kFrameClass, L"Torvane", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 20, 20, 960, 700,
                             nullptr, nullptr, instance, this);
    if (!m_window)
        return false;
    BuildMenus();
    ShowWindow(m_window, show);
    UpdateWindow(m_window);
    return true;
}

void HostFrame::Destroy()
{
    for (ITorvanePlugIn* plugIn : m_plugIns) {
        plugIn->Disconnect();
        plugIn->SetHostWindow(nullptr, true);
        plugIn->Release();
    }
    m_plugIns.clear();
    if (m_window)
        DestroyWindow(m_window);
    m_window = nullptr;
}

void HostFrame::BuildMenus()
{
    HMENU bar = CreateMenu();
    HMENU file = CreatePopupMenu();
    AppendMenuW(file, MF_STRING, kCommandOpen, L"&Open...\tCtrl+O");
    AppendMenuW(file, MF_STRING, kCommandSave, L"Save &As...\tCtrl+S");
    AppendMenuW(file, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(file, MF_STRING, kCommandExit, L"E&xit");
    AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), L"&File");
    m_windowMenu = CreatePopupMenu();
    AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(m_windowMenu), L"&Window");
    SetMenu(m_window, bar);
}

int HostFrame::LoadPlugIns(bool registerBundled)
{
    // The plug-in installed beside the host is the one it runs with, whatever
    // an earlier installation registered.
    if (registerBundled)
        RegisterBundledPlugIn();
    std::vector<CLSID> classes = PlugInClasses();
    HMENU bar = GetMenu(m_window);
    for (const CLSID& clsid : classes) {
        ITorvanePlugIn* plugIn = nullptr;
        if (FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_ITorvanePlugIn,
                                    reinterpret_cast<void**>(&plugIn))) || !plugIn)
            continue;
        m_plugIns.push_back(plugIn);
        plugIn->SetHostWindow(m_window, true);
        CString name;
        plugIn->GetName(name);
        const bool connected = plugIn->Connect();
        m_status += std::wstring(Wide(name)) + (connected ? L": connected\n" : L": not connected\n");

        // The plug-in's pop-ups go into the menu bar before "Window"; its
        // plain items (the reconnect command) into a pop-up of its own name.
        HMENU own = nullptr;
        bool separatorPending = false;
        for (int n = 0;; ++n) {
            HMENU menu = plugIn->GetMenu(n);
            if (!menu)
                break;
            while (GetMenuItemCount(menu) > 0) {
                wchar_t text[128] = {};
                GetMenuStringW(menu, 0, text, 128, MF_BYPOSITION);
                HMENU sub = GetSubMenu(menu, 0);
                const UINT id = GetMenuItemID(menu, 0);
                const UINT state = GetMenuState(menu, 0, MF_BYPOSITION);
                RemoveMenu(menu, 0, MF_BYPOSITION);
                if (sub) {
                    InsertMenuW(bar, GetMenuItemCount(bar) - 1, MF_BYPOSITION | MF_POPUP,
                                reinterpret_cast<UINT_PTR>(sub), text);
                    continue;
                }
                if (!own)
                    own = CreatePopupMenu();
                // Every menu of a plug-in may carry the same plain item (its
                // reconnect command): it is shown once.
                if (state & MF_SEPARATOR) {
                    separatorPending = GetMenuItemCount(own) > 0;
                } else if (GetMenuState(own, id, MF_BYCOMMAND) == UINT(-1)) {
                    if (separatorPending)
                        AppendMenuW(own, MF_SEPARATOR, 0, nullptr);
                    separatorPending = false;
                    AppendMenuW(own, MF_STRING, id, text);
                }
            }
            DestroyMenu(menu);
        }
        if (own)
            InsertMenuW(bar, GetMenuItemCount(bar) - 1, MF_BYPOSITION | MF_POPUP, reinterpret_cast<UINT_PTR>(own),
                        Wide(name.empty() ? CString(u"Plug-in") : name));
    }
    DrawMenuBar(m_window);
    InvalidateRect(m_window, nullptr, TRUE);
    return static_cast<int>(m_plugIns.size());
}

bool HostFrame::RouteCommand(UINT id)
{
    for (ITorvanePlugIn* plugIn : m_plugIns)
        if (plugIn->OnCmdMsg(id, CN_COMMAND, nullptr, nullptr))
            return true;
    return false;
}

void HostFrame::UpdatePopup(HMENU popup)
{
    if (popup == m_windowMenu) {
        RefreshWindowMenu(popup);
        return;
    }
    for (int i = 0; i < GetMenuItemCount(popup); ++i) {
        const UINT id = GetMenuItemID(popup, i);
        if (id == 0 || id == static_cast<UINT>(-1))
            continue;
        MenuCmdUI ui(popup, id);
        for (ITorvanePlugIn* plugIn : m_plugIns)
            if (plugIn->OnCmdMsg(id, CN_UPDATE_COMMAND_UI, &ui, nullptr))
                break;
    }
}

void HostFrame::RefreshWindowMenu(HMENU popup)
{
    while (GetMenuItemCount(popup) > 0)
        DeleteMenu(popup, 0, MF_BYPOSITION);
    AppendMenuW(popup, MF_STRING, kCommandShowAll, L"&Show All Instruments");
    AppendMenuW(popup, MF_STRING, kCommandHideAll, L"&Hide All Instruments");
    int count = 0;
    for (ITorvanePlugIn* plugIn : m_plugIns)
        count += plugIn->GetInstrumentCount();
    if (count == 0)
        return;
    AppendMenuW(popup, MF_SEPARATOR, 0, nullptr);
    CMenu menu;
    menu.m_hMenu = popup;
    WORD next = kFirstWindowItem;
    for (ITorvanePlugIn* plugIn : m_plugIns)
        plugIn->AppendWindowMenu(&menu, &next);
}

namespace {

// A plug-in hands back the failure of its part of the document in the archive.
void SerializePlugIn(ITorvanePlugIn* plugIn, CArchive& ar)
{
    plugIn->Serialize(ar);
    if (ar.Failure() != CArchiveException::none)
        throw CArchiveException(ar.Failure());
}

}  // namespace

bool HostFrame::SaveDocument(const std::wstring& path)
{
    try {
        // Composed in memory first: a document that cannot be written
        // completely leaves the file as it was.
        CMemFile memory;
        {
            CArchive ar(&memory, CArchive::store);
            ar << kDocumentMagic << kDocumentVersion << static_cast<uint32_t>(m_plugIns.size());
            for (ITorvanePlugIn* plugIn : m_plugIns)
                SerializePlugIn(plugIn, ar);
        }
        CFile file(std::filesystem::path(path), CFile::modeCreate | CFile::modeWrite);
        file.Write(memory.Data().data(), memory.Data().size());
        SetDocument(path);
        return true;
    } catch (const CException& e) {
        ReportDocumentFailure(true, path, e);
        return false;
    }
}

bool HostFrame::OpenDocument(const std::wstring& path)
{
    try {
        CFile file(std::filesystem::path(path), CFile::modeRead);
        CArchive ar(&file, CArchive::load);
        uint32_t magic, version, count;
        ar >> magic >> version >> count;
        if (magic != kDocumentMagic || count != m_plugIns.size())
            throw CArchiveException(CArchiveException::badIndex);
        for (ITorvanePlugIn* plugIn : m_plugIns)
            SerializePlugIn(plugIn, ar);
        SetDocument(path);
        return true;
    } catch (const CException& e) {
        ReportDocumentFailure(false, path, e);
        return false;
    }
}

void HostFrame::SetDocument(const std::wstring& path)
{
    const std::wstring name = path.substr(path.find_last_of(L"\\/") + 1);
    SetWindowTextW(m_window, (name + L" - Torvane").c_str());
}

void HostFrame::ReportDocumentFailure(bool saving, const std::wstring& path, const CException& e)
{
    // The document shown before stays the current one.
    const char* reason = e.what();
    const std::wstring text = std::wstring(saving ? L"The document could not be saved as " : L"The document ") + path +
                              (saving ? L"." : L" could not be opened.") + L"\n\n" +
                              std::wstring(reason, reason + strlen(reason));
    MessageBoxW(m_window, text.c_str(), L"Torvane", MB_OK | MB_ICONERROR);
}

std::wstring HostFrame::AskFileName(bool save)
{
    wchar_t name[MAX_PATH] = L"";
    OPENFILENAMEW ofn = {};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = m_window;
    ofn.lpstrFilter = L"Torvane documents (*.tvd)\0*.tvd\0All files\0*.*\0";
    ofn.lpstrFile = name;
    ofn.nMaxFile = MAX_PATH;
    ofn.lpstrDefExt = L"tvd";
    ofn.Flags = save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST;
    const BOOL ok = save ? GetSaveFileNameW(&ofn) : GetOpenFileNameW(&ofn);
    return ok ? name : L"";
}

std::vector<HWND> HostFrame::InstrumentWindows() const
{
    std::vector<HWND> windows;
    EnumThreadWindows(GetCurrentThreadId(), CollectVisible, reinterpret_cast<LPARAM>(&windows));
    std::vector<HWND> children;
    for (HWND window : windows)
        if (window != m_window)
            children.push_back(window);
    // Instrument windows are children of the frame.
    for (HWND child = GetWindow(m_window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        children.push_back(child);
    return children;
}

void HostFrame::Paint()
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(m_window, &ps);
    RECT rc;
    GetClientRect(m_window, &rc);
    rc.left += 12;
    rc.top += 12;
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(255, 255, 255));
    HGDIOBJ old = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    const std::wstring text = m_status.empty() ? L"No plug-in found." : m_status;
    DrawTextW(dc, text.c_str(), -1, &rc, DT_LEFT | DT_TOP);
    SelectObject(dc, old);
    EndPaint(m_window, &ps);
}

LRESULT CALLBACK HostFrame::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        auto* self = static_cast<HostFrame*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        self->m_window = window;
    }
    auto* self = reinterpret_cast<HostFrame*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    return self ? self->Handle(message, wParam, lParam) : DefWindowProcW(window, message, wParam, lParam);
}

LRESULT HostFrame::Handle(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_PAINT:
        Paint();
        return 0;
    case WM_INITMENUPOPUP:
        UpdatePopup(reinterpret_cast<HMENU>(wParam));
        return 0;
    case WM_COMMAND: {
        const UINT id = LOWORD(wParam);
        if (id == kCommandExit) {
            PostMessageW(m_window, WM_CLOSE, 0, 0);
        } else if (id == kCommandOpen || id == kCommandSave) {
            const std::wstring path = AskFileName(id == kCommandSave);
            if (!path.empty())
                id == kCommandSave ? SaveDocument(path) : OpenDocument(path);
        } else if (id == kCommandShowAll || id == kCommandHideAll) {
            for (ITorvanePlugIn* plugIn : m_plugIns)
                id == kCommandShowAll ? plugIn->ShowAllInstruments() : plugIn->HideAllInstruments();
        } else if (id >= kFirstWindowItem && id < kFirstWindowItem + kWindowItemCount) {
            int index = id - kFirstWindowItem;
            for (ITorvanePlugIn* plugIn : m_plugIns) {
                const int count = plugIn->GetInstrumentCount();
                if (index < count) {
                    plugIn->ToggleInstrument(index);
                    break;
                }
                index -= count;
            }
        } else {
            RouteCommand(id);
        }
        return 0;
    }
    case WM_CLOSE:
        Destroy();
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(m_window, message, wParam, lParam);
}

int HostFrame::Run()
{
    MSG msg;
    for (;;) {
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT)
                return static_cast<int>(msg.wParam);
            bool consumed = false;
            for (ITorvanePlugIn* plugIn : m_plugIns)
                if (plugIn->PreTranslateMessage(&msg)) {
                    consumed = true;
                    break;
                }
            if (!consumed) {
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            }
        }
        for (ITorvanePlugIn* plugIn : m_plugIns)
            plugIn->OnIdle();
        WaitMessage();
    }
}
