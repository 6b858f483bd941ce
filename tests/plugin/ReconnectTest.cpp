// The reconnect command through the plug-in as the host uses it, against the
// simulator: the dialog shows the connection, grows when instruments are
// open, cancel leaves everything as it was, and OK closes the instruments
// and shows the choice of connection at once.
//
// With VEXA_PICTURES set to a folder, the test saves pictures of the dialog.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <atomic>
#include <thread>

#include "../WineFolder.h"
#include "../instruments/PlugInHarness.h"
#include "Capture.h"

namespace {

using namespace harness;

constexpr UINT kReconnect = 11000;
constexpr UINT kVoltmeter = 10120;

class Reconnecting : public PlugInWithSimulator {
protected:
    // Runs the reconnect command while a second hand answers the dialog
    // with `button` (1 OK, 2 cancel) and, after OK, the choice with `choice`.
    void Reconnect(int button, int choice, const wchar_t* picture)
    {
        std::thread hands([=, this] {
            HWND dialog = AwaitWindow(L"RECONNECT");
            if (!dialog)
                return;
            RECT r;
            GetWindowRect(dialog, &r);
            dialogHeight = r.bottom - r.top;
            dialogTop = r.top;
            const std::wstring folder = FolderFromEnvironment("VEXA_PICTURES");
            if (!folder.empty()) {
                Sleep(1000);  // the dialog paints on the plug-in's thread
                CaptureWindowToPng(dialog, folder + L"\\" + picture);
            }
            PostMessageW(dialog, WM_COMMAND, button, 0);
            if (button != 1)
                return;
            if (HWND choose = AwaitWindow(L"Connect the trainer interface")) {
                choiceShown = true;
                SendMessageW(choose, TDM_CLICK_BUTTON, choice, 0);
            }
        });
        plugIn->OnCmdMsg(kReconnect, CN_COMMAND, nullptr, nullptr);
        hands.join();
    }

    std::atomic<int> dialogHeight{0};
    std::atomic<int> dialogTop{-1};
    std::atomic<bool> choiceShown{false};
};

TEST_F(Reconnecting, CancelLeavesTheInstrumentsAndTheConnection)
{
    Reconnect(2, 0, L"reconnect-network.png");
    const int bare = dialogHeight;
    ASSERT_GT(bare, 0) << "the dialog came";

    HWND meter = Open(kVoltmeter, L"VOLTMETER A");
    ASSERT_NE(meter, nullptr);
    Reconnect(2, 0, L"reconnect-instruments.png");
    EXPECT_EQ(dialogHeight - bare, 40 * GetDeviceCaps(GetDC(nullptr), LOGPIXELSY) / 96)
        << "room for the note about the instruments";
    EXPECT_GE(dialogTop, 0) << "centred on the small meter near the top, the caption stays on the screen";
    EXPECT_TRUE(IsWindowVisible(meter)) << "cancel changes nothing";
    EXPECT_FALSE(choiceShown);
}

TEST_F(Reconnecting, OkClosesTheInstrumentsAndAsksAtOnce)
{
    HWND meter = Open(kVoltmeter, L"VOLTMETER A");
    ASSERT_NE(meter, nullptr);
    Reconnect(1, 6, L"reconnect-ok.png");
    EXPECT_TRUE(choiceShown) << "the choice of connection comes at once";
    EXPECT_FALSE(IsWindow(meter)) << "every instrument closed";
    // Demonstration mode now: the dialog says so, with the other layout.
    Reconnect(2, 0, L"reconnect-demonstration.png");
    EXPECT_GT(dialogHeight, 0);
}

}  // namespace
