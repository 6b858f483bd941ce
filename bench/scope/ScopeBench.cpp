// How fast the main oscilloscope draws and what it costs the host: the
// plug-in hosted as the host does it, against vexa-sim.exe in a child
// process (so that this process's time is the host's and the plug-in's
// alone), at 1 ms/div (1001 samples per screen) without a trigger, for two
// and then four channels. A screen counts when the screen window
// ("VexaChart") gets WM_PAINT, seen by subclassing it; the processor share
// is this process's user and kernel time over the wall time, in % of one
// core. Runs under Windows (Wine here) beside QX7350.dll, VexaRes.dll and
// vexa-sim.exe.
//
// Usage: scope_bench [SECONDS per channel count, default 10]
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "BenchTiming.h"
#include "framework/CmdTarget.h"
#include "plugin/TorvanePlugIn.h"

namespace {

using Clock = std::chrono::steady_clock;
using GetClassObjectFn = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);

const std::wstring kInterfaceKey = L"Software\\Brennick\\Vexa Interface";
constexpr UINT kOscilloscope = 10115;
constexpr WPARAM kTimeBase1ms = 4401 + 12;
constexpr WPARAM kNoTrigger = 4500;
constexpr WPARAM kFirstTab = 10;
constexpr WPARAM kRange1V = 4430 + 5;
constexpr uint32_t kFourChannelsCheck = 4496;
constexpr COLORREF kColourC = 0xFFC400;
constexpr double kGoalScreens = 20.0;
// Poll steps start at least 50 ms apart, so 20 per second is the ceiling that
// timer jitter keeps a little under: a screen for every step counts as met
// within 3 % of it.
constexpr double kScreensTolerance = 0.97;
constexpr double kGoalPercent = 10.0;

std::wstring Folder()
{
    wchar_t path[MAX_PATH];
    const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, n);
    return folder.substr(0, folder.find_last_of(L"\\/") + 1);
}

void SetNumber(const wchar_t* key, const wchar_t* name, DWORD value)
{
    RegSetKeyValueW(HKEY_CURRENT_USER, (kInterfaceKey + key).c_str(), name, REG_DWORD, &value, sizeof value);
}

void SetText(const wchar_t* key, const wchar_t* name, const std::wstring& value)
{
    RegSetKeyValueW(HKEY_CURRENT_USER, (kInterfaceKey + key).c_str(), name, REG_SZ, value.c_str(),
                    DWORD((value.size() + 1) * sizeof(wchar_t)));
}

// The simulator in a child process with known sources on every input; its
// first line names the port it took.
class SimulatorProcess {
public:
    bool Start()
    {
        SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
        HANDLE write = nullptr;
        if (!CreatePipe(&m_output, &write, &inherit, 0))
            return false;
        SetHandleInformation(m_output, HANDLE_FLAG_INHERIT, 0);
        std::wstring command = L"\"" + Folder() +
                               L"vexa-sim.exe\" --port 0 --no-discovery --no-tunnel --input a=square,500,2 "
                               L"--input b=sine,1000,1 --input c=sine,250,1.5 --input d=triangle,100,1";
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
        startup.hStdOutput = write;
        startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
        const bool started = CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                                            &startup, &m_process);
        CloseHandle(write);
        if (!started)
            return false;
        // "vexa-sim: protocol on 127.0.0.1:PORT, ..."
        std::string line;
        char c;
        DWORD read = 0;
        while (line.find('\n') == std::string::npos && ReadFile(m_output, &c, 1, &read, nullptr) && read == 1)
            line += c;
        const size_t colon = line.find(':', line.find("protocol on"));
        m_port = colon == std::string::npos ? 0 : std::atoi(line.c_str() + colon + 1);
        return m_port != 0;
    }
    ~SimulatorProcess()
    {
        if (m_process.hProcess) {
            TerminateProcess(m_process.hProcess, 0);
            WaitForSingleObject(m_process.hProcess, 5000);
            CloseHandle(m_process.hProcess);
            CloseHandle(m_process.hThread);
        }
        if (m_output)
            CloseHandle(m_output);
    }
    int Port() const { return m_port; }

private:
    PROCESS_INFORMATION m_process{};
    HANDLE m_output = nullptr;
    int m_port = 0;
};

// Handles messages for the given time.
void Pump(double seconds)
{
    const auto end = Clock::now() + std::chrono::duration<double>(seconds);
    while (Clock::now() < end) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

// The screen window's paints, counted on the way to its own procedure.
WNDPROC g_screenProc = nullptr;
long g_paints = 0;

LRESULT CALLBACK CountPaints(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_PAINT)
        ++g_paints;
    return CallWindowProcW(g_screenProc, window, message, wParam, lParam);
}

BOOL CALLBACK FindChart(HWND child, LPARAM found)
{
    wchar_t kind[32] = {};
    GetClassNameW(child, kind, 31);
    if (std::wstring(kind) != L"VexaChart")
        return TRUE;
    *reinterpret_cast<HWND*>(found) = child;
    return FALSE;
}

BOOL CALLBACK FindScope(HWND window, LPARAM found)
{
    wchar_t title[64] = {};
    GetWindowTextW(window, title, 63);
    if (std::wstring(title) != L"OSCILLOSCOPE")
        return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

// Whether any pixel of the window shows the colour, as the screen shows it.
bool Shows(HWND window, COLORREF colour)
{
    RECT r;
    GetClientRect(window, &r);
    HDC dc = GetDC(window);
    bool seen = false;
    for (int y = 0; y < r.bottom && !seen; y += 1)
        for (int x = 0; x < r.right && !seen; x += 2)
            seen = GetPixel(dc, x, y) == colour;
    ReleaseDC(window, dc);
    return seen;
}

uint64_t ProcessorTime100ns()
{
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    auto ticks = [](const FILETIME& f) { return uint64_t(f.dwHighDateTime) << 32 | f.dwLowDateTime; };
    return ticks(kernel) + ticks(user);
}

void Measure(const char* what, double seconds)
{
    Pump(2.0);  // the new setting reaches the box and the screens follow
    g_paints = 0;
    const uint64_t processorStart = ProcessorTime100ns();
    const auto start = Clock::now();
    Pump(seconds);
    const double wall = std::chrono::duration<double>(Clock::now() - start).count();
    const double processor = double(ProcessorTime100ns() - processorStart) * 1e-7;
    const double screens = g_paints / wall;
    const double percent = processor / wall * 100.0;
    std::printf("  %s: %5.1f s, %4ld screens, %5.1f screens/s (%s), processor %5.1f %% of one core (%s)\n", what, wall,
                g_paints, screens, screens >= kGoalScreens * kScreensTolerance ? "goal met" : "below goal", percent,
                percent <= kGoalPercent ? "goal met" : "over goal");
    vexabench::Row(std::string("oscilloscope screens per second, ") + what, vexabench::Format("%.1f /s", screens),
                   vexabench::Format("%.0f /s within 3 %%", kGoalScreens));
    vexabench::Row(std::string("oscilloscope processor share, ") + what, vexabench::Format("%.1f %%", percent),
                   vexabench::Format("<= %.0f %%", kGoalPercent));
}

}  // namespace

int main(int argc, char** argv)
{
    const double seconds = argc > 1 ? std::atof(argv[1]) : 10.0;
    SimulatorProcess simulator;
    if (!simulator.Start()) {
        std::printf("vexa-sim.exe did not start beside this program\n");
        return 1;
    }
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    SetNumber(L"\\Settings", L"DemoMode", 0);
    SetNumber(L"\\WLAN", L"Supported", 1);
    SetNumber(L"\\WLAN", L"Enabled", 1);
    SetText(L"\\WLAN", L"Address", L"127.0.0.1");
    SetNumber(L"\\WLAN", L"Port", DWORD(simulator.Port()));

    WNDCLASSW frameClass{};
    frameClass.lpfnWndProc = DefWindowProcW;
    frameClass.hInstance = GetModuleHandleW(nullptr);
    frameClass.lpszClassName = L"BenchHostFrame";
    RegisterClassW(&frameClass);
    HWND frame = CreateWindowExW(0, frameClass.lpszClassName, L"Host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 800,
                                 600, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    HMODULE module = LoadLibraryW((Folder() + L"QX7350.dll").c_str());
    auto getClassObject = module ? reinterpret_cast<GetClassObjectFn>(
                                       reinterpret_cast<void*>(GetProcAddress(module, "DllGetClassObject")))
                                 : nullptr;
    IClassFactory* factory = nullptr;
    ITorvanePlugIn* plugIn = nullptr;
    if (!getClassObject || getClassObject(CLSID_VexaPlugIn, IID_IClassFactory, reinterpret_cast<void**>(&factory)) != S_OK ||
        factory->CreateInstance(nullptr, IID_ITorvanePlugIn, reinterpret_cast<void**>(&plugIn)) != S_OK) {
        std::printf("QX7350.dll did not load\n");
        return 1;
    }
    factory->Release();
    plugIn->SetHostWindow(frame, true);
    int status = 1;
    HWND panel = nullptr, screen = nullptr;
    if (!plugIn->Connect()) {
        std::printf("no connection to the simulator on port %d\n", simulator.Port());
    } else if (plugIn->OnCmdMsg(kOscilloscope, CN_COMMAND, nullptr, nullptr) &&
               (EnumThreadWindows(GetCurrentThreadId(), FindScope, reinterpret_cast<LPARAM>(&panel)), panel) &&
               (EnumChildWindows(panel, FindChart, reinterpret_cast<LPARAM>(&screen)), screen)) {
        g_screenProc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(screen, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CountPaints)));
        for (WPARAM id : {kTimeBase1ms, kNoTrigger, kFirstTab, kRange1V, kFirstTab + 1, kRange1V, kFirstTab})
            SendMessageW(panel, WM_COMMAND, id, 0);
        RECT r;
        GetClientRect(screen, &r);
        std::printf("oscilloscope at 1 ms/div (1001 samples per screen), no trigger, screen %ld x %ld pixels, "
                    "vexa-sim.exe in a child process\n",
                    r.right, r.bottom);
        std::printf("screens: WM_PAINT of the screen window; processor: this process's user + kernel time "
                    "over wall time\n");
        std::printf("goal: %.0f screens/s (one per 50 ms poll step; met within 3 %% of it), at most %.0f %% of one core\n",
                    kGoalScreens, kGoalPercent);
        Measure("2 channels", seconds);
        // The check's command toggles four channels, as its click would.
        SendMessageW(panel, WM_COMMAND, kFourChannelsCheck, 0);
        Pump(1.0);
        if (Shows(screen, kColourC)) {
            Measure("4 channels", seconds);
            status = 0;
        } else {
            std::printf("  4 channels: the screen shows no trace of channel C\n");
        }
        SetWindowLongPtrW(screen, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_screenProc));
    } else {
        std::printf("the oscilloscope did not open\n");
    }
    plugIn->Disconnect();
    plugIn->Release();
    DestroyWindow(frame);
    SetNumber(L"\\Settings", L"DemoMode", 1);
    CoUninitialize();
    return status;
}
