// The Torvane host stand-in. Options for scripted runs:
//   --demo                 connect in demonstration mode
//   --sim HOST[:PORT]      connect to a trainer interface (or the simulator) over TCP
//   --tunnel HOST[:PORT]   connect through a device manager's tunnel service
//                          (the simulator has one) to the interface "RV8810-4C"
//   --choose PORT          leave the network off, so that USB is tried and the
//                          connection choice follows (its network button finds
//                          interfaces by discovery); PORT is the network port
//   --open ID[,ID...]      open instruments by command id after connecting
//   --load FILE            open a document after connecting
//   --save FILE            store the document before exiting
//   --capture FOLDER       after --delay seconds, save the screen, the frame and
//                          every instrument window as PNG files there, then exit
//   --delay SECONDS        for --capture (default 3)
//   --exit-after SECONDS   close by itself
//   --sample FILE          append the process's private memory, GDI and USER
//                          object counts to FILE now and every --sample-every
//                          SECONDS (default 60), for a soak run
//   --skin NAME            front panels in this skin ("Skin")
//   --overlay N            demonstration overlay opacity 0 to 255 ("Demo")
//   --no-register          use the plug-ins as they are registered, without
//                          registering the QX7350.dll beside the host first
//                          (as Torvane does once an installation registered them)
//   --zoom2                open instruments at their second zoom level, as a
//                          double-click on their caption does
//   --command ID[*N],...   then send each instrument window these commands (N
//                          times), as its controls would; ids a window does not
//                          know are ignored
// The connection options change the current user's interface settings for
// this run only; they are put back at exit.
#include <windows.h>

#include <algorithm>
#include <cwchar>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Capture.h"
#include "HostFrame.h"
#include "Usage.h"

namespace {

const wchar_t kInterfaceKey[] = L"Software\\Brennick\\Vexa Interface";

struct Options {
    bool demo = false;
    std::wstring simAddress;
    DWORD simPort = 3060;
    std::wstring tunnelAddress;
    DWORD tunnelPort = 8080;
    bool choose = false;
    std::vector<UINT> open;
    std::vector<UINT> commands;
    std::wstring load;
    std::wstring save;
    std::wstring capture;
    int delay = 3;
    int exitAfter = 0;
    std::wstring sample;
    int sampleEvery = 60;
    std::wstring skin;
    int overlay = -1;
    bool zoom2 = false;
    bool registerBundled = true;
};

Options ParseOptions()
{
    Options o;
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    for (int i = 1; i < argc; ++i) {
        const std::wstring a = argv[i];
        const bool hasValue = i + 1 < argc;
        if (a == L"--demo") {
            o.demo = true;
        } else if ((a == L"--sim" || a == L"--tunnel") && hasValue) {
            std::wstring v = argv[++i];
            DWORD& port = a == L"--sim" ? o.simPort : o.tunnelPort;
            const size_t colon = v.rfind(L':');
            if (colon != std::wstring::npos) {
                port = static_cast<DWORD>(_wtoi(v.c_str() + colon + 1));
                v.resize(colon);
            }
            (a == L"--sim" ? o.simAddress : o.tunnelAddress) = v;
        } else if (a == L"--choose" && hasValue) {
            o.choose = true;
            o.simPort = static_cast<DWORD>(_wtoi(argv[++i]));
        } else if ((a == L"--open" || a == L"--command") && hasValue) {
            std::vector<UINT>& ids = a == L"--open" ? o.open : o.commands;
            for (const wchar_t* p = argv[++i]; *p;) {
                const UINT id = static_cast<UINT>(wcstoul(p, const_cast<wchar_t**>(&p), 10));
                // ID*N repeats a command, as holding an up button would.
                unsigned long times = 1;
                if (*p == L'*')
                    times = std::min(wcstoul(p + 1, const_cast<wchar_t**>(&p), 10), 10000ul);
                ids.insert(ids.end(), times, id);
                while (*p == L',' || *p == L' ')
                    ++p;
                if (*p && !iswdigit(*p))
                    break;
            }
        } else if (a == L"--load" && hasValue) {
            o.load = argv[++i];
        } else if (a == L"--save" && hasValue) {
            o.save = argv[++i];
        } else if (a == L"--capture" && hasValue) {
            o.capture = argv[++i];
        } else if (a == L"--delay" && hasValue) {
            o.delay = _wtoi(argv[++i]);
        } else if (a == L"--exit-after" && hasValue) {
            o.exitAfter = _wtoi(argv[++i]);
        } else if (a == L"--sample" && hasValue) {
            o.sample = argv[++i];
        } else if (a == L"--sample-every" && hasValue) {
            o.sampleEvery = std::max(1, _wtoi(argv[++i]));
        } else if (a == L"--skin" && hasValue) {
            o.skin = argv[++i];
        } else if (a == L"--overlay" && hasValue) {
            o.overlay = _wtoi(argv[++i]);
        } else if (a == L"--zoom2") {
            o.zoom2 = true;
        } else if (a == L"--no-register") {
            o.registerBundled = false;
        }
    }
    LocalFree(argv);
    return o;
}

// A registry value set for this run and put back afterwards.
class TemporaryValue {
public:
    TemporaryValue(const std::wstring& key, const wchar_t* name, DWORD type, const void* data, DWORD size)
        : m_key(key), m_name(name)
    {
        HKEY k;
        if (RegCreateKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, &k,
                            nullptr) != ERROR_SUCCESS)
            return;
        DWORD oldType = 0, oldSize = 0;
        if (RegQueryValueExW(k, name, nullptr, &oldType, nullptr, &oldSize) == ERROR_SUCCESS) {
            m_old.resize(oldSize);
            RegQueryValueExW(k, name, nullptr, &oldType, m_old.data(), &oldSize);
            m_oldType = oldType;
            m_hadValue = true;
        }
        RegSetValueExW(k, name, 0, type, static_cast<const BYTE*>(data), size);
        RegCloseKey(k);
    }
    ~TemporaryValue()
    {
        HKEY k;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, m_key.c_str(), 0, KEY_WRITE, &k) != ERROR_SUCCESS)
            return;
        if (m_hadValue)
            RegSetValueExW(k, m_name.c_str(), 0, m_oldType, m_old.data(), static_cast<DWORD>(m_old.size()));
        else
            RegDeleteValueW(k, m_name.c_str());
        RegCloseKey(k);
    }
    TemporaryValue(const TemporaryValue&) = delete;
    TemporaryValue& operator=(const TemporaryValue&) = delete;

private:
    std::wstring m_key, m_name;
    std::vector<BYTE> m_old;
    DWORD m_oldType = 0;
    bool m_hadValue = false;
};

std::vector<std::unique_ptr<TemporaryValue>> PrepareConnection(const Options& o)
{
    std::vector<std::unique_ptr<TemporaryValue>> values;
    auto number = [&](const std::wstring& key, const wchar_t* name, DWORD value) {
        values.push_back(std::make_unique<TemporaryValue>(key, name, REG_DWORD, &value, sizeof value));
    };
    auto text = [&](const std::wstring& key, const wchar_t* name, const std::wstring& value) {
        values.push_back(std::make_unique<TemporaryValue>(key, name, REG_SZ, value.c_str(),
                                                          static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))));
    };
    const std::wstring settings = std::wstring(kInterfaceKey) + L"\\Settings";
    const std::wstring wlan = std::wstring(kInterfaceKey) + L"\\WLAN";
    const std::wstring tunnel = L"Software\\Brennick\\Device Manager\\Devices\\RV8810-4C";
    if (o.demo) {
        number(settings, L"DemoMode", 1);
    } else if (!o.simAddress.empty() || !o.tunnelAddress.empty() || o.choose) {
        number(settings, L"DemoMode", 0);
        number(wlan, L"Supported", 1);
        number(wlan, L"Enabled", o.simAddress.empty() ? 0 : 1);
        number(wlan, L"Port", o.simPort);
        text(wlan, L"Address", o.simAddress);
        number(tunnel, L"Enabled", o.tunnelAddress.empty() ? 0 : 1);
        if (!o.tunnelAddress.empty()) {
            text(tunnel, L"Address", o.tunnelAddress);
            number(tunnel, L"Port", o.tunnelPort);
            text(tunnel, L"Name", L"RV8810-4C");
        }
    }
    const std::wstring panels = L"Software\\Brennick\\Common\\Virtual Instruments";
    if (!o.skin.empty())
        text(panels, L"Skin", o.skin);
    if (o.overlay >= 0)
        number(panels, L"Demo", static_cast<DWORD>(o.overlay));
    return values;
}

void CaptureAll(HostFrame& frame, const std::wstring& folder)
{
    CreateDirectoryW(folder.c_str(), nullptr);
    CaptureWindowToPng(GetDesktopWindow(), folder + L"\\screen.png");
    CaptureWindowToPng(frame.Window(), folder + L"\\frame.png");
    // instruments.txt names the window of each picture: "NN<tab>title".
    std::wstring list;
    int n = 0;
    for (HWND window : frame.InstrumentWindows()) {
        // Each picture shows its window whole, whatever cascades over it.
        SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
        wchar_t name[32];
        swprintf(name, 32, L"\\instrument-%02d.png", ++n);
        CaptureWindowToPng(window, folder + name);
        wchar_t title[128] = {};
        GetWindowTextW(window, title, 127);
        swprintf(name, 32, L"%02d\t", n);
        list += name + std::wstring(title) + L"\n";
    }
    std::string utf8(static_cast<size_t>(WideCharToMultiByte(CP_UTF8, 0, list.c_str(), int(list.size()), nullptr, 0,
                                                             nullptr, nullptr)), '\0');
    WideCharToMultiByte(CP_UTF8, 0, list.c_str(), int(list.size()), utf8.data(), int(utf8.size()), nullptr, nullptr);
    if (FILE* file = _wfopen((folder + L"\\instruments.txt").c_str(), L"wb")) {
        fwrite(utf8.data(), 1, utf8.size(), file);
        fclose(file);
    }
}

HostFrame* g_frame = nullptr;
Options g_options;

void CALLBACK OnTimer(HWND, UINT, UINT_PTR id, DWORD)
{
    KillTimer(nullptr, id);
    if (!g_options.capture.empty())
        CaptureAll(*g_frame, g_options.capture);
    if (!g_options.save.empty())
        g_frame->SaveDocument(g_options.save);
    PostMessageW(g_frame->Window(), WM_CLOSE, 0, 0);
}

DWORD g_sampleStart = 0;

void CALLBACK OnSampleTimer(HWND, UINT, UINT_PTR, DWORD)
{
    AppendUsageSample(g_options.sample, (GetTickCount() - g_sampleStart) / 1000.0, MeasureUsage());
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int show)
{
    g_options = ParseOptions();
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)))
        return 1;
    int result = 0;
    {
        const auto temporary = PrepareConnection(g_options);
        HostFrame frame;
        g_frame = &frame;
        if (!frame.Create(instance, show)) {
            CoUninitialize();
            return 1;
        }
        // Timed first: an instrument or a document that cannot open stops
        // here with a message box, and a scripted run must still end.
        if (!g_options.capture.empty())
            SetTimer(nullptr, 0, static_cast<UINT>(g_options.delay) * 1000, OnTimer);
        else if (g_options.exitAfter > 0)
            SetTimer(nullptr, 0, static_cast<UINT>(g_options.exitAfter) * 1000, OnTimer);
        frame.LoadPlugIns(g_options.registerBundled);
        for (UINT id : g_options.open)
            frame.RouteCommand(id);
        if (g_options.zoom2)
            for (HWND window : frame.InstrumentWindows())
                SendMessageW(window, WM_NCLBUTTONDBLCLK, HTCAPTION, 0);
        for (UINT command : g_options.commands)
            for (HWND window : frame.InstrumentWindows())
                SendMessageW(window, WM_COMMAND, command, 0);
        if (!g_options.sample.empty()) {
            g_sampleStart = GetTickCount();
            OnSampleTimer(nullptr, 0, 0, 0);
            SetTimer(nullptr, 0, static_cast<UINT>(g_options.sampleEvery) * 1000, OnSampleTimer);
        }
        if (!g_options.load.empty())
            frame.OpenDocument(g_options.load);
        result = frame.Run();
        g_frame = nullptr;
    }
    CoUninitialize();
    return result;
}
