// The DC power supply against the simulator, driven as a user would: the
// plug-in is loaded like the host loads it, the menu command opens the
// panel, and a synthesized mouse click presses its power button.
#include <gtest/gtest.h>

#include <windows.h>

#include "../PlugInHarness.h"

namespace {

using namespace harness;

constexpr UINT kFixedDcCommand = 10040;

HWND FindPanel()
{
    return FindWindowTitled(L"DC SUPPLY");
}

class FixedDcSupply : public PlugInWithSimulator {
protected:
    vexasim::ThreePhaseSettings ThreePhase()
    {
        return WithBox([](auto& box) { return box.model.ThreePhase(); });
    }

    HWND OpenPanel() { return Open(kFixedDcCommand, L"DC SUPPLY"); }
};

TEST_F(FixedDcSupply, PowerButtonSwitchesTheOutputsAtTheDcSettings)
{
    HWND panel = OpenPanel();
    ASSERT_NE(panel, nullptr);
    // Opening leaves the outputs off and prepares the DC settings.
    ASSERT_TRUE(PumpUntil([&] { return ThreePhase().dcMode; }, 3000));
    EXPECT_FALSE(ThreePhase().outputOn);

    ClickAt(panel, ControlCentre(L"QX7350.dll", kFixedDcCommand, kHotPowerButton, 4302, panel));
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
    const std::vector<uint8_t> document = StoreDocument(plugIn);
    ShowWindow(panel, SW_HIDE);
    LoadDocument(plugIn, document);
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
    const std::vector<uint8_t> document = StoreDocument(plugIn);

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
    LoadDocument(plugIn, document);
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
    ITorvanePlugIn* plugIn = CreatePlugIn();
    ASSERT_NE(plugIn, nullptr);
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
