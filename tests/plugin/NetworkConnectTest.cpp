// Reaching the simulator the way a user reaches a box on the network, through
// the plug-in as the host loads it: USB finds nothing, the user chooses the
// network, picks the simulator from the interfaces a search found, and the
// voltmeter reads. Then the simulator cuts the connection; the user is told,
// the meter closes, and the reconnect command with the same choice brings
// back a voltmeter that reads again.
//
// With VEXA_PICTURES set to a folder, the test saves pictures of the dialogs.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <atomic>
#include <cmath>
#include <thread>

#include "../WineFolder.h"
#include "../instruments/PlugInHarness.h"
#include "Capture.h"

namespace {

using namespace harness;

constexpr UINT kReconnect = 11000;
constexpr UINT kVoltmeter = 10120;
constexpr int kDc = 4;
constexpr double kVolts = 2.5;
constexpr double kCutAfterSeconds = 8;

void Picture(HWND window, const wchar_t* name)
{
    const std::wstring folder = FolderFromEnvironment("VEXA_PICTURES");
    if (folder.empty())
        return;
    Sleep(700);  // the window paints on the plug-in's thread
    CaptureWindowToPng(window, folder + L"\\" + name);
}

BOOL CALLBACK SweepDialog(HWND window, LPARAM)
{
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    wchar_t kind[16] = {};
    wchar_t title[128] = {};
    GetClassNameW(window, kind, 15);
    InternalGetWindowText(window, title, 127);  // no message to a thread that may be busy
    if (process != GetCurrentProcessId() || !IsWindowVisible(window) || std::wstring(kind) != L"#32770")
        return TRUE;
    if (std::wstring(title) == L"Connect the trainer interface") {
        PostMessageW(window, WM_COMMAND, 6, 0);  // demonstration: the choice allows no cancel
    } else {
        PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
        PostMessageW(window, WM_COMMAND, IDOK, 0);
    }
    return TRUE;
}

// When the hands did not get through (a fault in what they work), closes
// whatever dialog is left after a grace time, so that the test fails on its
// checks instead of waiting for a user.
class Sweeper {
public:
    Sweeper()
        : m_thread([this] {
              for (int waited = 0; !m_stop; waited += 100) {
                  if (waited > 20000)
                      EnumWindows(SweepDialog, 0);
                  Sleep(100);
              }
          })
    {
    }
    ~Sweeper()
    {
        m_stop = true;
        m_thread.join();
    }

private:
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

class NetworkSimulator : public PlugInWithSimulator {
protected:
    void Configure(vexasim::SimOptions& options) override
    {
        options.discovery = true;
        options.name = "Bench 9";
        options.mac = {0x02, 0x56, 0x45, 0x58, 0x41, 0x09};
        options.box.inputs[0] = {.on = true, .waveform = kDc, .frequency = 0.0, .peak = kVolts};
        // The first connection is cut a while after it came up; the next ones work.
        options.faults.closeAfterSeconds = kCutAfterSeconds;
        options.faults.faultyConnections = 1;
    }

    void ConnectPlugIn() override
    {
        // USB first, which finds no interface here; then the choice.
        SetNumber(kInterfaceKey + L"\\WLAN", L"Enabled", 0);
        SetText(kInterfaceKey + L"\\WLAN", L"Address", L"");
        std::thread hands([this] { ChooseTheSimulator(L"network-address.png"); });
        {
            Sweeper sweeper;
            connected = plugIn->Connect();
        }
        hands.join();
    }

    // Answers the choice with the network and picks the simulator from the list.
    void ChooseTheSimulator(const wchar_t* addressPicture)
    {
        HWND choose = AwaitWindow(L"Connect the trainer interface", 10000);
        if (!choose)
            return;
        SendMessageW(choose, TDM_CLICK_BUTTON, 101, 0);
        HWND dialog = AwaitWindow(L"Network Address", 10000);
        if (!dialog)
            return;
        HWND list = GetDlgItem(dialog, 401);
        for (int i = 0; i < 250 && !listed; ++i) {
            const LRESULT index = SendMessageW(list, LB_FINDSTRING, static_cast<WPARAM>(-1),
                                               reinterpret_cast<LPARAM>(L"Bench 9 (127.0.0.1)"));
            if (index != LB_ERR) {
                SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
                SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(401, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
                listed = true;
            }
            Sleep(20);
        }
        wchar_t address[64] = {};
        GetDlgItemTextW(dialog, 151, address, 63);
        chosenAddress = address;
        Picture(dialog, addressPicture);
        PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    }

    double VoltmeterReading(HWND panel)
    {
        const std::wstring text = ReadUntil(panel, kVoltmeter, 1, [](const std::wstring& t) {
            const auto v = Number(t);
            return v && std::fabs(*v - kVolts) < 0.1;
        });
        return Number(text).value_or(-1.0);
    }

    bool connected = false;
    bool listed = false;
    std::wstring chosenAddress;
};

TEST_F(NetworkSimulator, FoundByDiscoveryLostAndReconnected)
{
    ASSERT_TRUE(connected);
    EXPECT_TRUE(listed) << "the search found the simulator";
    EXPECT_EQ(chosenAddress, L"127.0.0.1");
    HWND meter = Open(kVoltmeter, L"VOLTMETER A");
    ASSERT_NE(meter, nullptr);
    EXPECT_NEAR(VoltmeterReading(meter), kVolts, 0.1);

    // The cut: the user is told once and the meter closes.
    {
        MessageBoxAnswerer answerer;
        PumpUntil([&] { return !IsWindow(meter); }, static_cast<DWORD>(kCutAfterSeconds * 1000) + 10000);
        EXPECT_FALSE(IsWindow(meter)) << "the instrument closed with the connection";
        PumpUntil([] { return false; }, 300);
        const auto told = answerer.Texts();
        ASSERT_EQ(told.size(), 1u);
        EXPECT_NE(told[0].find(L"stopped answering"), std::wstring::npos);
    }

    // Reconnect: confirm, then the same choice as at the start.
    listed = false;
    std::thread hands([this] {
        if (HWND dialog = AwaitWindow(L"RECONNECT", 10000)) {
            Picture(dialog, L"network-reconnect.png");
            PostMessageW(dialog, WM_COMMAND, 1, 0);
            ChooseTheSimulator(L"network-address-again.png");
        }
    });
    {
        Sweeper sweeper;
        plugIn->OnCmdMsg(kReconnect, CN_COMMAND, nullptr, nullptr);
    }
    hands.join();
    EXPECT_TRUE(listed);
    EXPECT_EQ(sim->Box().AttachedUnits(), 0xFE) << "units 1 to 7 attached on the new connection";

    MessageBoxAnswerer answerer;
    meter = Open(kVoltmeter, L"VOLTMETER A");
    ASSERT_NE(meter, nullptr);
    EXPECT_NEAR(VoltmeterReading(meter), kVolts, 0.1);
    EXPECT_TRUE(answerer.Texts().empty()) << "nothing more went wrong";
}

}  // namespace
