// What the end-to-end tests of instruments share: the plug-in loaded as the
// host loads it, connected to a simulator running in the test, and a user's
// hands (clicks, the clipboard, answering message boxes).
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <array>
#include <atomic>
#include <cwchar>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "Simulator.h"
#include "framework/Archive.h"
#include "framework/CmdTarget.h"
#include "framework/File.h"
#include "plugin/TorvanePlugIn.h"
#include "viframework/controls/PanelLayout.h"

namespace harness {

using GetClassObjectFn = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);

inline const std::wstring kInterfaceKey = L"Software\\Brennick\\Vexa Interface";

inline std::wstring Folder()
{
    wchar_t path[MAX_PATH];
    const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, n);
    return folder.substr(0, folder.find_last_of(L"\\/") + 1);
}

inline void SetNumber(const std::wstring& key, const wchar_t* name, DWORD value)
{
    RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), name, REG_DWORD, &value, sizeof value);
}

inline void SetText(const std::wstring& key, const wchar_t* name, const std::wstring& value)
{
    RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), name, REG_SZ, value.c_str(),
                    DWORD((value.size() + 1) * sizeof(wchar_t)));
}

// A plain top-level window standing for the host's frame.
inline HWND CreateFrame()
{
    static const ATOM frameClass = [] {
        WNDCLASSW wc{};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"TestHostFrame";
        return RegisterClassW(&wc);
    }();
    return CreateWindowExW(0, MAKEINTATOM(frameClass), L"Host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 800, 600,
                           nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
}

// Handles messages until done() or the time is up; true when done.
inline bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs)
{
    const DWORD start = GetTickCount();
    for (;;) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (done())
            return true;
        if (GetTickCount() - start > timeoutMs)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

// A left click at a client point of the window, through the input queue.
inline void ClickAt(HWND window, POINT client)
{
    SetForegroundWindow(window);
    POINT screen = client;
    ClientToScreen(window, &screen);
    const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    INPUT inputs[3] = {};
    for (INPUT& input : inputs) {
        input.type = INPUT_MOUSE;
        input.mi.dx = LONG((screen.x * 65535 + width / 2) / (width - 1));
        input.mi.dy = LONG((screen.y * 65535 + height / 2) / (height - 1));
    }
    inputs[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    inputs[1].mi.dwFlags = MOUSEEVENTF_LEFTDOWN | MOUSEEVENTF_ABSOLUTE;
    inputs[2].mi.dwFlags = MOUSEEVENTF_LEFTUP | MOUSEEVENTF_ABSOLUTE;
    SendInput(3, inputs, sizeof(INPUT));
}

// Answers the message boxes of this process with OK from a thread of its own
// and keeps their texts: faults are told to the user, and no user is here.
class MessageBoxAnswerer {
public:
    // Dialogs titled leaveAlone are the test's own to fill in.
    explicit MessageBoxAnswerer(std::wstring leaveAlone = {})
        : m_leaveAlone(std::move(leaveAlone)), m_thread([this] { Run(); })
    {
    }
    ~MessageBoxAnswerer()
    {
        m_stop = true;
        m_thread.join();
    }
    std::vector<std::wstring> Texts()
    {
        std::lock_guard<std::mutex> g(m_lock);
        return m_texts;
    }

private:
    static BOOL CALLBACK LongestText(HWND child, LPARAM found)
    {
        wchar_t text[512] = {};
        GetWindowTextW(child, text, 511);
        auto* longest = reinterpret_cast<std::wstring*>(found);
        if (wcslen(text) > longest->size())
            *longest = text;
        return TRUE;
    }
    static BOOL CALLBACK Visit(HWND window, LPARAM self)
    {
        auto* answerer = reinterpret_cast<MessageBoxAnswerer*>(self);
        DWORD process = 0;
        GetWindowThreadProcessId(window, &process);
        wchar_t kind[16] = {};
        GetClassNameW(window, kind, 15);
        if (process != GetCurrentProcessId() || std::wstring(kind) != L"#32770" || !IsWindowVisible(window))
            return TRUE;
        wchar_t title[64] = {};
        GetWindowTextW(window, title, 63);
        if (!answerer->m_leaveAlone.empty() && answerer->m_leaveAlone == title)
            return TRUE;
        {
            std::lock_guard<std::mutex> g(answerer->m_lock);
            if (answerer->m_answered.insert(window).second) {
                std::wstring text;
                EnumChildWindows(window, LongestText, reinterpret_cast<LPARAM>(&text));
                answerer->m_texts.push_back(text);
            }
        }
        PostMessageW(window, WM_COMMAND, IDOK, 0);
        return TRUE;
    }
    void Run()
    {
        while (!m_stop) {
            EnumWindows(Visit, reinterpret_cast<LPARAM>(this));
            Sleep(20);
        }
    }

    std::wstring m_leaveAlone;
    std::atomic<bool> m_stop{false};
    std::mutex m_lock;
    std::set<HWND> m_answered;
    std::vector<std::wstring> m_texts;
    std::thread m_thread;
};


struct TitleSearch {
    std::wstring title;
    HWND found = nullptr;
};

inline BOOL CALLBACK MatchTitle(HWND window, LPARAM param)
{
    auto* search = reinterpret_cast<TitleSearch*>(param);
    wchar_t text[128] = {};
    GetWindowTextW(window, text, 127);
    if (search->title != text)
        return TRUE;
    search->found = window;
    return FALSE;
}

// The top-level window of this thread with that title, or none.
inline HWND FindWindowTitled(const std::wstring& title)
{
    TitleSearch search{title};
    EnumThreadWindows(GetCurrentThreadId(), MatchTitle, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Where a point of a control of a panel layout (resource 301/layoutId of the
// module) is, in client pixels of the panel's window (which shows the whole
// panel, zoomed): fx and fy are fractions of the control's width and height.
inline POINT ControlPoint(const wchar_t* moduleName, uint32_t layoutId, uint32_t typeCode, uint32_t id, HWND panel,
                          double fx, double fy)
{
    HMODULE library = LoadLibraryExW((Folder() + moduleName).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    HRSRC found = FindResourceW(library, MAKEINTRESOURCEW(layoutId), MAKEINTRESOURCEW(301));
    EXPECT_NE(found, nullptr) << "layout " << layoutId;
    if (!found)
        return {};
    const auto* data = static_cast<const uint8_t*>(LockResource(LoadResource(library, found)));
    CPanelLayout layout;
    CHotspotArray controls;
    ReadStandardLayout(data, SizeofResource(library, found), layout, controls);
    const CHotspot* control = controls.Find(typeCode, id);
    EXPECT_NE(control, nullptr) << "control " << typeCode << "/" << id << " of layout " << layoutId;
    RECT client;
    GetClientRect(panel, &client);
    const CRect r = control ? control->m_rect : CRect{};
    const double x = r.left + fx * r.Width(), y = r.top + fy * r.Height();
    return {LONG(x * client.right / layout.width), LONG(y * client.bottom / layout.height)};
}

inline POINT ControlCentre(const wchar_t* moduleName, uint32_t layoutId, uint32_t typeCode, uint32_t id, HWND panel)
{
    return ControlPoint(moduleName, layoutId, typeCode, id, panel, 0.5, 0.5);
}

inline BOOL CALLBACK CollectCharts(HWND child, LPARAM found)
{
    wchar_t kind[32] = {};
    GetClassNameW(child, kind, 31);
    if (std::wstring(kind) == L"VexaChart")
        reinterpret_cast<std::vector<HWND>*>(found)->push_back(child);
    return TRUE;
}

// The chart windows of a frame, in the order the window system lists them.
inline std::vector<HWND> ChartWindows(HWND frame)
{
    std::vector<HWND> charts;
    EnumChildWindows(frame, CollectCharts, reinterpret_cast<LPARAM>(&charts));
    return charts;
}

// The text on the clipboard, or empty.
inline std::wstring ClipboardText()
{
    std::wstring text;
    if (!OpenClipboard(nullptr))
        return text;
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* chars = static_cast<const wchar_t*>(GlobalLock(data))) {
            text = chars;
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return text;
}

inline void ClearClipboard()
{
    if (OpenClipboard(nullptr)) {
        EmptyClipboard();
        CloseClipboard();
    }
}

struct TopLevelSearch {
    std::wstring title;
    HWND window = nullptr;
};

inline BOOL CALLBACK MatchTopLevel(HWND window, LPARAM param)
{
    auto* search = reinterpret_cast<TopLevelSearch*>(param);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    wchar_t title[128] = {};
    InternalGetWindowText(window, title, 127);  // no message to a thread that may be busy
    if (process != GetCurrentProcessId() || !IsWindowVisible(window) || search->title != title)
        return TRUE;
    search->window = window;
    return FALSE;
}

// A visible top-level window of this process with that title, from any
// thread, waited for up to timeoutMs; none when it did not come.
inline HWND AwaitWindow(const std::wstring& title, DWORD timeoutMs = 5000)
{
    for (DWORD waited = 0; waited <= timeoutMs; waited += 20) {
        TopLevelSearch search{title};
        EnumWindows(MatchTopLevel, reinterpret_cast<LPARAM>(&search));
        if (search.window)
            return search.window;
        Sleep(20);
    }
    return nullptr;
}

// The text a value display shows, taken by clicking it; empty when the click
// copied nothing.
inline std::wstring ReadDisplay(HWND panel, uint32_t layoutId, uint32_t displayId)
{
    ClearClipboard();
    ClickAt(panel, ControlCentre(L"VexaRes.dll", layoutId, kHotValueDisplay, displayId, panel));
    std::wstring text;
    PumpUntil([&] { return !(text = ClipboardText()).empty(); }, 1000);
    return text;
}

inline std::optional<double> Number(const std::wstring& text)
{
    wchar_t* end = nullptr;
    const double value = std::wcstod(text.c_str(), &end);
    if (end == text.c_str())
        return std::nullopt;
    return value;
}

inline std::wstring ReadUntil(HWND panel, uint32_t layoutId, uint32_t displayId,
                       const std::function<bool(const std::wstring&)>& accept)
{
    std::wstring text;
    PumpUntil([&] { return accept(text = ReadDisplay(panel, layoutId, displayId)); }, 6000);
    return text;
}

// The plug-in beside the test program, created through its class factory
// as the host does it; none when it does not load.
inline ITorvanePlugIn* CreatePlugIn()
{
    HMODULE module = LoadLibraryW((Folder() + L"QX7350.dll").c_str());
    auto getClassObject = module ? reinterpret_cast<GetClassObjectFn>(
                                       reinterpret_cast<void*>(GetProcAddress(module, "DllGetClassObject")))
                                 : nullptr;
    IClassFactory* factory = nullptr;
    if (!getClassObject || getClassObject(CLSID_VexaPlugIn, IID_IClassFactory, reinterpret_cast<void**>(&factory)) != S_OK)
        return nullptr;
    ITorvanePlugIn* plugIn = nullptr;
    factory->CreateInstance(nullptr, IID_ITorvanePlugIn, reinterpret_cast<void**>(&plugIn));
    factory->Release();
    return plugIn;
}

// The plug-in's document as the host stores it.
inline std::vector<uint8_t> StoreDocument(ITorvanePlugIn* plugIn)
{
    CMemFile file;
    {
        CArchive ar(&file, CArchive::store);
        plugIn->Serialize(ar);
        EXPECT_EQ(ar.Failure(), CArchiveException::none);
    }
    return file.Data();
}

// Loads a stored document into the plug-in as the host does; it must load.
inline void LoadDocument(ITorvanePlugIn* plugIn, const std::vector<uint8_t>& bytes)
{
    CMemFile in(bytes.data(), bytes.size());
    CArchive ar(&in, CArchive::load);
    plugIn->Serialize(ar);
    EXPECT_EQ(ar.Failure(), CArchiveException::none);
}

// The plug-in, created and connected as the host does it, against a
// simulator on a fresh port. Derived fixtures set the simulator's options
// in Configure.
class PlugInWithSimulator : public ::testing::Test {
protected:
    virtual void Configure(vexasim::SimOptions&) {}

    void SetUp() override
    {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        StartSimulator();
        SetNumber(kInterfaceKey + L"\\Settings", L"DemoMode", 0);
        SetNumber(kInterfaceKey + L"\\WLAN", L"Supported", 1);
        SetNumber(kInterfaceKey + L"\\WLAN", L"Enabled", 1);
        SetText(kInterfaceKey + L"\\WLAN", L"Address", L"127.0.0.1");

        frame = CreateFrame();
        ASSERT_NE(frame, nullptr);
        plugIn = CreatePlugIn();
        ASSERT_NE(plugIn, nullptr);
        plugIn->SetHostWindow(frame, true);
        ConnectPlugIn();
    }

    // Connects as the host does; a fixture that answers the connection's
    // dialogs itself does it here.
    virtual void ConnectPlugIn() { ASSERT_TRUE(plugIn->Connect()); }

    void TearDown() override
    {
        if (plugIn) {
            plugIn->Disconnect();
            plugIn->Release();
        }
        if (frame)
            DestroyWindow(frame);
        SetNumber(kInterfaceKey + L"\\Settings", L"DemoMode", 1);
        sim.reset();
        CoUninitialize();
    }

    // A simulator on a fresh port, which the interface settings name.
    void StartSimulator()
    {
        vexasim::SimOptions options;
        options.port = 0;
        options.discovery = false;
        options.tunnel = false;
        Configure(options);
        sim = std::make_unique<vexasim::CSimulator>(options);
        std::string error;
        ASSERT_TRUE(sim->Start(error)) << error;
        SetNumber(kInterfaceKey + L"\\WLAN", L"Port", sim->ProtocolPort());
    }

    // Chooses the menu command and finds the window it opened.
    HWND Open(UINT command, const std::wstring& title)
    {
        EXPECT_TRUE(plugIn->OnCmdMsg(command, CN_COMMAND, nullptr, nullptr));
        HWND panel = FindWindowTitled(title);
        EXPECT_NE(panel, nullptr) << "no window \"" << std::string(title.begin(), title.end()) << "\"";
        return panel;
    }

    // fn(box) with the simulator's box locked: what it was told, or a change to it.
    template <class Fn>
    auto WithBox(Fn fn)
    {
        std::lock_guard<std::mutex> lock(sim->Box().Lock());
        return fn(sim->Box());
    }

    std::unique_ptr<vexasim::CSimulator> sim;
    HWND frame = nullptr;
    ITorvanePlugIn* plugIn = nullptr;
};

// The simulator with sources wired to its inputs; derived fixtures wire them
// in their constructors, before the simulator starts.
class PlugInWithSources : public PlugInWithSimulator {
protected:
    void Configure(vexasim::SimOptions& options) override { options.box.inputs = inputs; }
    void Wire(int channel, int waveform, double frequency, double peak)
    {
        inputs[size_t(channel)] = {.on = true, .waveform = waveform, .frequency = frequency, .peak = peak};
    }

    std::array<vexasim::ExternalSource, 4> inputs{};
};

}  // namespace harness
