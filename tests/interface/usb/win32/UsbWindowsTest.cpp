// The USB stream on the real Windows layer without a device, and its connection
// dialog from the resource library, worked by a second hand.
#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>
#include <string>
#include <thread>

#include "../../../ResourceLibraryApp.h"
#include "../../DialogHand.h"
#include "framework/win32/WinApp.h"
#include "interface/usb/VexaUsb.h"
#include "interface/usb/win32/UsbDeviceWin32.h"

namespace {

CVexaUsb MakeStream()
{
    return CVexaUsb(std::make_unique<CWin32UsbDeviceLayer>());
}

TEST(UsbWithoutDevice, NoInterfaceIsListedAndOpenFailsWithoutWaiting)
{
    CWin32UsbDeviceLayer layer;
    EXPECT_TRUE(layer.ListDevicePaths(kPipeInterfaceClass).empty()) << "this test expects no trainer attached";
    EXPECT_TRUE(layer.ListDevicePaths(kSingleHandleInterfaceClass).empty());
    EXPECT_EQ(layer.Open(u"\\\\?\\usb#vid_0000&pid_930c#none", UsbAccess::ReadWrite), kInvalidUsbHandle);

    for (int mode : {0, 1}) {
        CVexaUsb stream(std::make_unique<CWin32UsbDeviceLayer>());
        stream.SetOpenMode(mode);
        const auto start = std::chrono::steady_clock::now();
        EXPECT_FALSE(stream.Open());
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(900))
            << "no open pause without a device";
        EXPECT_FALSE(stream.IsConnected());
        uint8_t byte = 0xFF;
        stream.Write(&byte, 1);
        stream.Read(&byte, 1);
        EXPECT_EQ(byte, 0);
        stream.Close();
    }
}

struct DialogView {
    std::wstring message;
    bool hasCancel = false;
    bool demonstrationEnabled = false;
    int pictureHeight = 0;  // of the bitmap control at the top, 0 when none
    int messageTop = 0;     // client coordinates
    int lowestBottom = 0;   // of any control
    int clientHeight = 0;
};

DialogView Look(HWND dialog)
{
    DialogView view;
    wchar_t text[512] = {};
    // Read without messages to the dialog's own thread where that is possible.
    InternalGetWindowText(GetDlgItem(dialog, 101), text, 511);
    view.message = text;
    view.hasCancel = GetDlgItem(dialog, IDCANCEL) != nullptr;
    view.demonstrationEnabled = IsWindowEnabled(GetDlgItem(dialog, 6)) != FALSE;
    RECT client;
    GetClientRect(dialog, &client);
    view.clientHeight = client.bottom;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        RECT r;
        GetWindowRect(child, &r);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
        view.lowestBottom = std::max<int>(view.lowestBottom, r.bottom);
        if ((GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_BITMAP && r.top == 0)
            view.pictureHeight = r.bottom;
        if (GetDlgCtrlID(child) == 101)
            view.messageTop = r.top;
    }
    return view;
}

// Runs the dialog through the stream while a second hand looks at it and
// posts the commands; a dialog still open after them is closed with 4, so
// that a failing test cannot hang.
int WorkDialog(bool allowDemonstration, bool allowCancel, std::initializer_list<int> commands, DialogView* view)
{
    std::thread hand([&] {
        HWND dialog = AwaitDialog(L"");
        if (!dialog) {
            ADD_FAILURE() << "no USB dialog";
            return;
        }
        Sleep(100);
        *view = Look(dialog);
        Picture(dialog, allowCancel ? L"usb-dialog.png" : L"usb-dialog-no-cancel.png");
        for (int command : commands) {
            PostMessageW(dialog, WM_COMMAND, command, 0);
            Sleep(150);
        }
        if (IsWindow(dialog)) {
            view->message += L" [still open]";
            PostMessageW(dialog, WM_COMMAND, 4, 0);
        }
    });
    CVexaUsb stream = MakeStream();
    const int answer = stream.ShowConnectFailed(allowDemonstration, allowCancel);
    hand.join();
    return answer;
}

class UsbDialog : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(resources.Loaded()) << "VexaRes.dll beside the test"; }

    ResourceLibraryApp resources;
    DialogView view;
};

TEST_F(UsbDialog, TryAgainAndDemonstrationAnswerWithTheirIdsUnderThePicture)
{
    EXPECT_EQ(WorkDialog(true, true, {4}, &view), 4);
    EXPECT_EQ(view.message.find(L"[still open]"), std::wstring::npos);
    EXPECT_NE(view.message.find(L"\"Brennick Vexa Interface\""), std::wstring::npos);
    EXPECT_TRUE(view.hasCancel);
    EXPECT_TRUE(view.demonstrationEnabled);
    // The picture sits above the controls and the dialog grew for it.
    EXPECT_EQ(view.pictureHeight, 56);
    EXPECT_GE(view.messageTop, view.pictureHeight);
    EXPECT_LE(view.lowestBottom, view.clientHeight) << "the moved buttons are still inside";
    EXPECT_EQ(WorkDialog(true, false, {6}, &view), 6);
}

TEST_F(UsbDialog, CancelAndDemonstrationAnswerOnlyWhereTheyAreAllowed)
{
    EXPECT_EQ(WorkDialog(true, true, {IDCANCEL}, &view), 2);
    EXPECT_EQ(WorkDialog(true, false, {IDCANCEL, 4}, &view), 4) << "cancel is ignored";
    EXPECT_FALSE(view.hasCancel);
    EXPECT_EQ(WorkDialog(false, true, {6, 4}, &view), 4);
    EXPECT_FALSE(view.demonstrationEnabled);
}

TEST_F(UsbDialog, GermanUsersReadGerman)
{
    if (PRIMARYLANGID(GetUserDefaultUILanguage()) != LANG_GERMAN)
        GTEST_SKIP() << "run with a German locale";
    WorkDialog(true, true, {4}, &view);
    EXPECT_EQ(view.message.rfind(L"Das Trainerinterface \"Brennick Vexa Interface\"", 0), 0u);
}

TEST(UsbDialogAlone, WithoutTheResourceLibraryTheDialogCancels)
{
    CWinApp app;  // no resource library and no module of its own
    CVexaUsb stream = MakeStream();
    EXPECT_EQ(stream.ShowConnectFailed(true, true), 2);
}

} // namespace
