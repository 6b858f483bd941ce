// The network dialogs from the resource library, worked by a second hand against
// the simulator on the loopback. With VEXA_PICTURES set to a folder, pictures are saved.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>

#include "../../../ResourceLibraryApp.h"
#include "../../DialogHand.h"
#include "Simulator.h"
#include "framework/win32/WinApp.h"
#include "interface/net/win32/NetDialogs.h"

namespace {

const DeviceMac kMac{0x02, 0x56, 0x45, 0x58, 0x41, 0x07};

// Only the loopback, so that no search leaves this computer.
class LoopbackOnlyNetwork : public CSocketDiscoveryNetwork {
public:
    std::vector<LocalInterface> LocalInterfaces() override { return {{kLoopbackAddress, 0xFF000000}}; }
};

// A network where nobody answers.
class SilentNetwork : public IDiscoveryNetwork {
public:
    std::vector<LocalInterface> LocalInterfaces() override { return {{kLoopbackAddress, 0xFF000000}}; }
    bool OpenReceiver(int) override { return true; }
    SendResult Broadcast(uint32_t, const DiscoveryDatagram&) override { return SendResult::Sent; }
    long Receive(uint8_t*, size_t, uint32_t&) override { return -1; }
    void Close() override {}
};

// The text of the message box that came over owner, which is then closed.
std::wstring TakeMessage(HWND owner)
{
    HWND box = AwaitDialog(L"", owner);
    if (!box)
        return L"[no message]";
    std::wstring text;
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        wchar_t kind[16] = {};
        GetClassNameW(child, kind, 15);
        if (std::wstring(kind) == L"Static")
            text += TextOf(child);
    }
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    WaitUntil([&] { return !IsWindow(box); });
    return text;
}

void Command(HWND dialog, int id, int code = BN_CLICKED)
{
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

// Selects the list entry that starts with text; false when there is none.
bool Choose(HWND dialog, const std::wstring& text)
{
    HWND list = GetDlgItem(dialog, kNetDevices);
    const LRESULT index = SendMessageW(list, LB_FINDSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text.c_str()));
    if (index == LB_ERR)
        return false;
    SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
    Command(dialog, kNetDevices, LBN_SELCHANGE);
    return true;
}

uint32_t IpField(HWND dialog, int id)
{
    DWORD value = 0;
    SendMessageW(GetDlgItem(dialog, id), IPM_GETADDRESS, 0, reinterpret_cast<LPARAM>(&value));
    return value;
}

class NetDialogs : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(resources.Loaded()) << "VexaRes.dll beside the test";
        vexasim::SimOptions options;
        options.port = 0;
        options.tunnel = false;
        options.name = "Bench 7";
        options.mac = kMac;
        sim = std::make_unique<vexasim::CSimulator>(options);
        std::string error;
        ASSERT_TRUE(sim->Start(error)) << error;
    }

    // Runs the dialog on this thread while hand works it from another.
    INT_PTR Work(CDialog& dialog, const std::function<void(HWND)>& hand, const std::wstring& title)
    {
        std::thread second([&] {
            HWND window = AwaitDialog(title);
            if (!window) {
                ADD_FAILURE() << "no dialog";
                return;
            }
            hand(window);
            // A dialog the hand left open is closed, so that a failing test cannot hang.
            if (IsWindow(window))
                PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
        });
        const INT_PTR result = dialog.DoModal(nullptr);
        second.join();
        return result;
    }

    ResourceLibraryApp resources;
    std::unique_ptr<vexasim::CSimulator> sim;
};

TEST_F(NetDialogs, LoginRefusesAnEmptyAddressAndABadPortThenRetries)
{
    CSocketLoginDlg dialog(u"", 3060, false, false);
    std::wstring emptyMessage, portMessage;
    bool demonstrationEnabled = true;
    const INT_PTR result = Work(dialog, [&](HWND d) {
        demonstrationEnabled = IsWindowEnabled(GetDlgItem(d, 6)) != FALSE;
        PostMessageW(d, WM_COMMAND, 4, 0);
        emptyMessage = TakeMessage(d);
        SetDlgItemTextW(d, kNetAddress, L" 192.168.7.20 ");
        SetDlgItemTextW(d, kNetPort, L"0");
        PostMessageW(d, WM_COMMAND, 4, 0);
        portMessage = TakeMessage(d);
        SetDlgItemTextW(d, kNetPort, L"3071");
        Picture(d, L"net-login.png");
        PostMessageW(d, WM_COMMAND, 6, 0);         // not allowed: nothing
        PostMessageW(d, WM_COMMAND, IDCANCEL, 0);  // not allowed: nothing
        Sleep(200);
        PostMessageW(d, WM_COMMAND, 4, 0);
        WaitUntil([&] { return !IsWindow(d); });
    }, L"Network Connection");
    EXPECT_EQ(result, 4);
    EXPECT_FALSE(demonstrationEnabled);
    EXPECT_NE(emptyMessage.find(L"network address"), std::wstring::npos) << std::string(emptyMessage.begin(), emptyMessage.end());
    EXPECT_NE(portMessage.find(L"1 to 65535"), std::wstring::npos);
    EXPECT_EQ(dialog.Address(), u"192.168.7.20");
    EXPECT_EQ(dialog.Port(), 3071);
}

TEST_F(NetDialogs, TheAddressDialogFindsIdentifiesAndTakesTheSimulator)
{
    LoopbackOnlyNetwork network;
    CUdpConnectDlg dialog(kInterfaceProductId, u"10.9.9.9", &network);
    bool chosen = false, identifyDisabledAtFirst = false;
    std::wstring field;
    const INT_PTR result = Work(dialog, [&](HWND d) {
        identifyDisabledAtFirst = !IsWindowEnabled(GetDlgItem(d, kNetIdentify));
        chosen = WaitUntil([&] { return Choose(d, L"Bench 7 (127.0.0.1)"); });
        field = TextOf(GetDlgItem(d, kNetAddress));
        Command(d, kNetIdentify);
        Picture(d, L"net-connect.png");
        PostMessageW(d, WM_COMMAND, IDOK, 0);
    }, L"Network Address");
    ASSERT_TRUE(chosen) << "the simulator is listed";
    EXPECT_TRUE(identifyDisabledAtFirst);
    EXPECT_EQ(field, L"127.0.0.1");
    EXPECT_EQ(sim->Identity().IdentifyCount(), 1u);
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(dialog.Address(), u"127.0.0.1");
}

TEST_F(NetDialogs, WhenNobodyAnswersTheListSaysSoAndTheTypedAddressCounts)
{
    SilentNetwork network;
    CUdpConnectDlg dialog(kInterfaceProductId, u"", &network);
    std::wstring status, emptyMessage;
    const INT_PTR result = Work(dialog, [&](HWND d) {
        WaitUntil([&] { return IsWindowVisible(GetDlgItem(d, kNetStatus)) != FALSE; });
        status = TextOf(GetDlgItem(d, kNetStatus));
        Picture(d, L"net-connect-nothing.png");
        PostMessageW(d, WM_COMMAND, IDOK, 0);
        emptyMessage = TakeMessage(d);
        SetDlgItemTextW(d, kNetAddress, L"lab-box.local");
        PostMessageW(d, WM_COMMAND, IDOK, 0);
        WaitUntil([&] { return !IsWindow(d); });
    }, L"Network Address");
    EXPECT_NE(status.find(L"No trainer interface answered"), std::wstring::npos);
    EXPECT_NE(emptyMessage.find(L"network address"), std::wstring::npos);
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(dialog.Address(), u"lab-box.local");
}

TEST_F(NetDialogs, ConfigurationRenamesAndReaddressesTheSimulator)
{
    LoopbackOnlyNetwork network;
    CUdpConfigDlg dialog(kInterfaceProductId, &network);
    bool chosen = false, renamed = false, buttonsDisabledAtFirst = false;
    std::wstring mac, refusal;
    uint32_t shownAddress = 0, presetMask = 0, localAddress = 0, localMask = 0;
    Work(dialog, [&](HWND d) {
        buttonsDisabledAtFirst = !IsWindowEnabled(GetDlgItem(d, kNetConfigure)) && !IsWindowEnabled(GetDlgItem(d, kNetRename));
        chosen = WaitUntil([&] { return Choose(d, L"Bench 7 (127.0.0.1)"); });
        shownAddress = IpField(d, kNetDeviceAddress);
        mac = TextOf(GetDlgItem(d, kNetPort));
        SetDlgItemTextW(d, kNetAddress, L"Bench 8");
        Picture(d, L"net-config.png");
        Command(d, kNetRename);
        renamed = WaitUntil([&] { return Choose(d, L"Bench 8 (127.0.0.1)"); });

        // The set-address dialog, opened from here, worked by the same hand.
        PostMessageW(d, WM_COMMAND, kNetConfigure, 0);
        HWND set = AwaitDialog(L"Interface Address");
        if (!set)
            return;
        presetMask = IpField(set, kNetDeviceMask);
        localAddress = IpField(set, kNetLocalAddress);
        localMask = IpField(set, kNetLocalMask);
        Picture(set, L"net-set-address.png");
        SendMessageW(GetDlgItem(set, kNetDeviceAddress), IPM_SETADDRESS, 0, 0x7F000005);  // loopback: refused
        PostMessageW(set, WM_COMMAND, IDOK, 0);
        refusal = TakeMessage(set);
        SendMessageW(GetDlgItem(set, kNetDeviceAddress), IPM_SETADDRESS, 0, 0x0A00002A);  // 10.0.0.42
        PostMessageW(set, WM_COMMAND, IDOK, 0);
        WaitUntil([&] { return !IsWindow(set); });
        WaitUntil([&] { return Choose(d, L"Bench 8 (10.0.0.42)"); });
        PostMessageW(d, WM_COMMAND, IDCANCEL, 0);
    }, L"Configure Network Interfaces");
    ASSERT_TRUE(chosen);
    EXPECT_TRUE(buttonsDisabledAtFirst);
    EXPECT_EQ(shownAddress, kLoopbackAddress);
    EXPECT_EQ(mac, L"02-56-45-58-41-07");
    EXPECT_TRUE(renamed);
    EXPECT_EQ(sim->Identity().Name(), u"Bench 8");
    EXPECT_EQ(presetMask, 0xFF000000u) << "the mask the simulator reported";
    EXPECT_EQ(localAddress, kLoopbackAddress);
    EXPECT_EQ(localMask, 0xFF000000u);
    EXPECT_NE(refusal.find(L"subnet mask"), std::wstring::npos);
    EXPECT_EQ(sim->Identity().Address(), 0x0A00002Au);
    EXPECT_EQ(sim->Identity().Mask(), 0xFF000000u);
}

} // namespace
