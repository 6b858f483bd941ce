// The DC power supply against the simulator, driven as a user would: the
// plug-in is loaded like the host loads it, the menu command opens the
// panel, and a synthesized mouse click presses its power button.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <set>
#include <string>
#include <thread>

#include "Simulator.h"
#include "framework/CmdTarget.h"
#include "framework/Archive.h"
#include "framework/File.h"
#include "framework/win32/WinApp.h"
#include "plugin/TorvanePlugIn.h"
#include "viframework/controls/PanelLayout.h"

namespace {

using GetClassObjectFn = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);

const std::wstring kInterfaceKey = L"Software\\Brennick\\Vexa Interface";
constexpr UINT kFixedDcCommand = 10040;

std::wstring Folder()
{
    wchar_t path[MAX_PATH];
    const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, n);
    return folder.substr(0, folder.find_last_of(L"\\/") + 1);
}

void SetNumber(const std::wstring& key, const wchar_t* name, DWORD value)
{
    RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), name, REG_DWORD, &value, sizeof value);
}

void SetText(const std::wstring& key, const wchar_t* name, const std::wstring& value)
{
    RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), name, REG_SZ, value.c_str(),
                    DWORD((value.size() + 1) * sizeof(wchar_t)));
}

// A plain top-level window standing for the host's frame.
HWND CreateFrame()
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
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs)
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

BOOL CALLBACK MatchPanel(HWND window, LPARAM found)
{
    wchar_t title[64] = {};
    GetWindowTextW(window, title, 63);
    if (std::wstring(title) != L"DC SUPPLY")
        return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

HWND FindPanel()
{
    HWND found = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), MatchPanel, reinterpret_cast<LPARAM>(&found));
    return found;
}


// Where the power button of the panel's layout is, in client pixels of the
// panel's window (which shows the whole panel, zoomed).
POINT PowerButtonCentre(HWND panel)
{
    HMODULE library = LoadLibraryExW((Folder() + L"QX7350.dll").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    HRSRC found = FindResourceW(library, MAKEINTRESOURCEW(10040), MAKEINTRESOURCEW(301));
    const auto* data = static_cast<const uint8_t*>(LockResource(LoadResource(library, found)));
    CPanelLayout layout;
    CHotspotArray controls;
    ReadStandardLayout(data, SizeofResource(library, found), layout, controls);
    const CHotspot* power = controls.Find(kHotPowerButton, 4302);
    RECT client;
    GetClientRect(panel, &client);
    const CRect r = power ? power->m_rect : CRect{};
    return {(r.left + r.right) / 2 * client.right / layout.width, (r.top + r.bottom) / 2 * client.bottom / layout.height};
}

// A left click at a client point of the window, through the input queue.
void ClickAt(HWND window, POINT client)
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
    MessageBoxAnswerer() : m_thread([this] { Run(); }) {}
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

    std::atomic<bool> m_stop{false};
    std::mutex m_lock;
    std::set<HWND> m_answered;
    std::vector<std::wstring> m_texts;
    std::thread m_thread;
};

class FixedDcSupply : public ::testing::Test {
protected:
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
        module = LoadLibraryW((Folder() + L"QX7350.dll").c_str());
        ASSERT_NE(module, nullptr);
        auto getClassObject = reinterpret_cast<GetClassObjectFn>(reinterpret_cast<void*>(GetProcAddress(module, "DllGetClassObject")));
        IClassFactory* factory = nullptr;
        ASSERT_EQ(getClassObject(CLSID_VexaPlugIn, IID_IClassFactory, reinterpret_cast<void**>(&factory)), S_OK);
        ASSERT_EQ(factory->CreateInstance(nullptr, IID_ITorvanePlugIn, reinterpret_cast<void**>(&plugIn)), S_OK);
        factory->Release();
        plugIn->SetHostWindow(frame, true);
        ASSERT_TRUE(plugIn->Connect());
    }

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

    vexasim::ThreePhaseSettings ThreePhase()
    {
        std::lock_guard<std::mutex> lock(sim->Box().Lock());
        return sim->Box().model.ThreePhase();
    }

    HWND OpenPanel()
    {
        EXPECT_TRUE(plugIn->OnCmdMsg(kFixedDcCommand, CN_COMMAND, nullptr, nullptr));
        HWND panel = FindPanel();
        EXPECT_NE(panel, nullptr);
        return panel;
    }

    // A simulator on a fresh port, which the interface settings name.
    void StartSimulator()
    {
        vexasim::SimOptions options;
        options.port = 0;
        options.discovery = false;
        options.tunnel = false;
        sim = std::make_unique<vexasim::CSimulator>(options);
        std::string error;
        ASSERT_TRUE(sim->Start(error)) << error;
        SetNumber(kInterfaceKey + L"\\WLAN", L"Port", sim->ProtocolPort());
    }

    std::unique_ptr<vexasim::CSimulator> sim;
    HWND frame = nullptr;
    HMODULE module = nullptr;
    ITorvanePlugIn* plugIn = nullptr;
};

TEST_F(FixedDcSupply, PowerButtonSwitchesTheOutputsAtTheDcSettings)
{
    HWND panel = OpenPanel();
    ASSERT_NE(panel, nullptr);
    // Opening leaves the outputs off and prepares the DC settings.
    ASSERT_TRUE(PumpUntil([&] { return ThreePhase().dcMode; }, 3000));
    EXPECT_FALSE(ThreePhase().outputOn);

    ClickAt(panel, PowerButtonCentre(panel));
    ASSERT_TRUE(PumpUntil([&] { return ThreePhase().outputOn; }, 5000)) << "the click did not switch the outputs on";
    const auto on = ThreePhase();
    EXPECT_TRUE(on.dcMode);
    EXPECT_EQ(on.inverted, (std::array<uint8_t, 3>{0, 1, 0}));
    // The raw 31 becomes the unit's stored amplitude of every phase, which the
    // next flush sends again as a percentage.
    constexpr uint8_t kSent = 31 * 255 / 100;
    EXPECT_EQ(on.amplitude, (std::array<uint8_t, 3>{kSent, kSent, kSent}));

    // Closing the window is how the user switches the supply off.
    SendMessageW(panel, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_FALSE(IsWindowVisible(panel));
    EXPECT_TRUE(PumpUntil([&] { return !ThreePhase().outputOn; }, 2000));
}

TEST_F(FixedDcSupply, OpeningTwiceBringsTheSameWindowBack)
{
    HWND panel = OpenPanel();
    ShowWindow(panel, SW_HIDE);
    ASSERT_TRUE(plugIn->OnCmdMsg(kFixedDcCommand, CN_COMMAND, nullptr, nullptr));
    EXPECT_EQ(FindPanel(), panel);
    EXPECT_TRUE(IsWindowVisible(panel));
    EXPECT_EQ(plugIn->GetInstrumentCount(), 1);
}

TEST_F(FixedDcSupply, SurvivesADocumentWithPositionAndVisibility)
{
    HWND panel = OpenPanel();
    SetWindowPos(panel, nullptr, 123, 77, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    CMemFile file;
    {
        CArchive ar(&file, CArchive::store);
        plugIn->Serialize(ar);
    }
    ShowWindow(panel, SW_HIDE);
    {
        CMemFile in(file.Data().data(), file.Data().size());
        CArchive ar(&in, CArchive::load);
        plugIn->Serialize(ar);
    }
    HWND again = FindPanel();
    ASSERT_NE(again, nullptr);
    RECT r;
    GetWindowRect(again, &r);
    EXPECT_EQ(r.left, 123);
    EXPECT_EQ(r.top, 77);
    EXPECT_TRUE(IsWindowVisible(again));
    EXPECT_EQ(plugIn->GetInstrumentCount(), 1);
}

TEST_F(FixedDcSupply, ADocumentLoadedWithoutAConnectionOpensAndWorksOnceReconnected)
{
    constexpr WPARAM kPowerButton = 4302;
    MessageBoxAnswerer answerer;
    HWND panel = OpenPanel();
    ASSERT_TRUE(PumpUntil([&] { return ThreePhase().dcMode; }, 3000));
    CMemFile document;
    {
        CArchive ar(&document, CArchive::store);
        plugIn->Serialize(ar);
    }

    // The box goes away; the next command finds out, and both the polling
    // thread and the closing window (which switches the supply off) meet the
    // broken connection.
    sim.reset();
    SendMessageW(panel, WM_COMMAND, kPowerButton, 0);
    ASSERT_TRUE(PumpUntil([&] { return plugIn->GetInstrumentCount() == 0 && FindPanel() == nullptr; }, 15000))
        << "the lost connection closes the panel";
    PumpUntil([] { return false; }, 300);
    EXPECT_EQ(answerer.Texts().size(), 1u) << "one fault, one message";

    // No stream now: the document still opens its panel, which exchanges
    // nothing, so nothing can fail either.
    {
        CMemFile in(document.Data().data(), document.Data().size());
        CArchive ar(&in, CArchive::load);
        plugIn->Serialize(ar);
        EXPECT_EQ(ar.Failure(), CArchiveException::none);
    }
    panel = FindPanel();
    ASSERT_NE(panel, nullptr);
    EXPECT_TRUE(IsWindowVisible(panel));
    SendMessageW(panel, WM_COMMAND, kPowerButton, 0);
    PumpUntil([] { return false; }, 300);
    EXPECT_EQ(answerer.Texts().size(), 1u);

    // Connecting again: the new box gets what the open panel shows (on).
    StartSimulator();
    ASSERT_TRUE(plugIn->Connect());
    EXPECT_TRUE(PumpUntil([&] { return ThreePhase().dcMode && ThreePhase().outputOn; }, 5000));
    SendMessageW(panel, WM_COMMAND, kPowerButton, 0);
    EXPECT_TRUE(PumpUntil([&] { return !ThreePhase().outputOn; }, 5000)) << "and the panel drives it";
}

// Demonstration mode: the same panel on the null stream.
TEST(FixedDcDemonstration, OpensOnTheNullStream)
{
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    SetNumber(kInterfaceKey + L"\\Settings", L"DemoMode", 1);
    HWND frame = CreateFrame();
    ASSERT_NE(frame, nullptr) << GetLastError();
    HMODULE module = LoadLibraryW((Folder() + L"QX7350.dll").c_str());
    auto getClassObject =
        reinterpret_cast<GetClassObjectFn>(reinterpret_cast<void*>(GetProcAddress(module, "DllGetClassObject")));
    IClassFactory* factory = nullptr;
    ASSERT_EQ(getClassObject(CLSID_VexaPlugIn, IID_IClassFactory, reinterpret_cast<void**>(&factory)), S_OK);
    ITorvanePlugIn* plugIn = nullptr;
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_ITorvanePlugIn, reinterpret_cast<void**>(&plugIn)), S_OK);
    factory->Release();
    plugIn->SetHostWindow(frame, true);
    ASSERT_TRUE(plugIn->Connect());
    EXPECT_TRUE(plugIn->OnCmdMsg(kFixedDcCommand, CN_COMMAND, nullptr, nullptr));
    HWND panel = FindPanel();
    ASSERT_NE(panel, nullptr);
    EXPECT_TRUE(IsWindowVisible(panel));
    plugIn->Disconnect();
    EXPECT_FALSE(IsWindow(panel)) << "disconnecting closes the instruments";
    plugIn->Release();
    DestroyWindow(frame);
    CoUninitialize();
}

}  // namespace
