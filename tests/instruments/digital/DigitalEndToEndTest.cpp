// The digital panels against the simulator with its digital loopback (the
// inputs read the outputs), driven as a user would: a switch on the output
// panel lights the matching lamp on the input panel, the step keys count in
// 8 or 16 bits, and the relay panels switch the simulator's relays.
#include <gtest/gtest.h>

#include <windows.h>

#include "../PlugInHarness.h"

namespace {

using namespace harness;

constexpr UINT kInput = 10011;
constexpr UINT kOutput = 10012;
constexpr UINT kRelays = 10021;
constexpr UINT kRelayBoard = 10022;

class DigitalPanels : public PlugInWithSimulator {
protected:
    void TearDown() override
    {
        PlugInWithSimulator::TearDown();
        for (const std::wstring& text : answerer.Texts())
            ADD_FAILURE() << "message: " << std::string(text.begin(), text.end());
    }

    uint16_t SimOutput()
    {
        return WithBox([](auto& box) { return box.digital.outputWord; });
    }
    uint8_t SimRelays()
    {
        return WithBox([](auto& box) { return box.relays; });
    }

    void Click(HWND panel, UINT layout, uint32_t type, uint32_t id)
    {
        ClickAt(panel, ControlCentre(L"VexaRes.dll", layout, type, id, panel));
    }

    // Whether a lamp shows lit: lit lamps are bright at their centre, dark
    // ones are not, in either skin.
    bool LampLit(HWND panel, UINT layout, uint32_t id)
    {
        UpdateWindow(panel);
        const POINT p = ControlCentre(L"VexaRes.dll", layout, kHotStatus, id, panel);
        HDC dc = GetDC(panel);
        const COLORREF c = GetPixel(dc, p.x, p.y);
        ReleaseDC(panel, dc);
        return std::max({GetRValue(c), GetGValue(c), GetBValue(c)}) > 160;
    }

    MessageBoxAnswerer answerer;
};

TEST_F(DigitalPanels, AnOutputSwitchLightsItsInputLampThroughTheLoopback)
{
    HWND output = Open(kOutput, L"DIGITAL OUTPUT");
    HWND input = Open(kInput, L"DIGITAL INPUT");
    ASSERT_TRUE(output && input);
    // Clicks go through the input queue: the panels must not cover each other.
    RECT r;
    GetWindowRect(output, &r);
    SetWindowPos(input, nullptr, r.left, r.bottom + 8, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    // Opening sends the word the switches show; whatever it is, it goes first.
    PumpUntil([] { return false; }, 300);
    const uint16_t left = SimOutput();
    for (uint32_t bit = 0; bit < 16; ++bit)
        if (left & (1u << bit))
            Click(output, kOutput, kHotPowerButton, 4020 + bit);
    ASSERT_TRUE(PumpUntil([&] { return SimOutput() == 0; }, 2000));
    ASSERT_TRUE(PumpUntil([&] { return !LampLit(input, kInput, 4003); }, 2000));

    Click(output, kOutput, kHotPowerButton, 4023);
    ASSERT_TRUE(PumpUntil([&] { return SimOutput() == 0x0008; }, 2000)) << "the box gets bit 3";
    EXPECT_TRUE(PumpUntil([&] { return LampLit(input, kInput, 4003); }, 2000)) << "input lamp 3";
    EXPECT_FALSE(LampLit(input, kInput, 4002));
    EXPECT_FALSE(LampLit(input, kInput, 4004));

    // The step keys: 8-bit mode wraps in the low byte, 16-bit mode carries.
    Click(output, kOutput, kHotRadio, 3000);
    PumpUntil([] { return false; }, 500);  // the click is queued input; the keys below are not
    for (int i = 0; i < 0xF8; ++i)
        SendMessageW(output, WM_COMMAND, 4036, 0);
    ASSERT_TRUE(PumpUntil([&] { return SimOutput() == 0x0000; }, 2000)) << "0x08 + 0xF8 wraps to 0x00 in 8 bits";
    Click(output, kOutput, kHotButton, 4037);
    PumpUntil([] { return false; }, 300);
    EXPECT_EQ(SimOutput(), 0x0000) << "+256 does nothing in 8-bit mode";
    Click(output, kOutput, kHotRadio, 3001);
    PumpUntil([] { return false; }, 500);
    SendMessageW(output, WM_COMMAND, 4039, 0);
    EXPECT_TRUE(PumpUntil([&] { return SimOutput() == 0xFFFF; }, 2000)) << "0 - 1 in 16 bits";
    EXPECT_TRUE(PumpUntil([&] { return LampLit(input, kInput, 4015); }, 2000));
    SendMessageW(output, WM_COMMAND, 4036, 0);
    EXPECT_TRUE(PumpUntil([&] { return SimOutput() == 0x0000; }, 2000));
}

TEST_F(DigitalPanels, RelayKeysAndSwitchesSwitchTheBoxsRelays)
{
    HWND relays = Open(kRelays, L"RELAYS");
    ASSERT_NE(relays, nullptr);
    Click(relays, kRelays, kHotButton, 4100 + 2);
    ASSERT_TRUE(PumpUntil([&] { return SimRelays() == 0x04; }, 2000)) << "relay 2 on";
    EXPECT_TRUE(LampLit(relays, kRelays, 308 + 2));
    EXPECT_FALSE(LampLit(relays, kRelays, 300 + 2));
    EXPECT_TRUE(LampLit(relays, kRelays, 300 + 3)) << "relay 3 shows off";
    SendMessageW(relays, WM_CLOSE, 0, 0);  // ends it: the board needs the same relays

    HWND board = Open(kRelayBoard, L"RELAY BOARD");
    ASSERT_NE(board, nullptr);
    EXPECT_TRUE(LampLit(board, kRelayBoard, 308 + 2)) << "the board shows the relay the other panel set";
    Click(board, kRelayBoard, kHotPowerButton, 4116 + 7);
    EXPECT_TRUE(PumpUntil([&] { return SimRelays() == 0x84; }, 2000));
    Click(board, kRelayBoard, kHotPowerButton, 4116 + 2);
    EXPECT_TRUE(PumpUntil([&] { return SimRelays() == 0x80; }, 2000));
    Click(board, kRelayBoard, kHotPowerButton, 4116 + 7);
    EXPECT_TRUE(PumpUntil([&] { return SimRelays() == 0x00; }, 2000));
}

}  // namespace
