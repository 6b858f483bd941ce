// The adjustable supplies and the three-phase panels against the simulator,
// as a user drives them: the plug-in loaded like the host loads it, each
// panel opened by its command, its power button clicked, its steps sent as
// the controls send them, and what the box was told read back from the
// simulator.
#include <gtest/gtest.h>

#include <windows.h>

#include "../PlugInHarness.h"

namespace {

using namespace harness;
using Bytes = std::vector<uint8_t>;
using Triple = std::array<uint8_t, 3>;

struct Panel {
    UINT command;
    const wchar_t* title;
    uint32_t powerId;
};
constexpr Panel kSupply40V{10001, L"DC POWER SUPPLY 0-40 V", 300};
constexpr Panel kSupply24V{10043, L"DC POWER SUPPLY \u00B124 V", 300};
constexpr Panel kTripleSource{10041, L"TRIPLE DC SOURCE", 300};
constexpr Panel kSineSource{10042, L"THREE-PHASE SINE SOURCE", 4302};
constexpr Panel kGenerator{10048, L"THREE-PHASE GENERATOR", 4302};

// The byte the box keeps for an amplitude in percent.
constexpr uint8_t Byte(int percent) { return uint8_t(percent * 255 / 100); }

class SupplyPanels : public PlugInWithSimulator {
protected:
    vexasim::ThreePhaseSettings ThreePhase()
    {
        return WithBox([](auto& box) { return box.model.ThreePhase(); });
    }

    // Opens the panel on a box a previous user left on, phases inverted;
    // opening switches it off before anything else.
    HWND OpenOnALiveBox(const Panel& panel, bool dcMode)
    {
        WithBox([&](auto& box) {
            box.model.UpdateThreePhase([&](vexasim::ThreePhaseSettings& s) {
                s.outputOn = true;
                s.dcMode = dcMode;
                s.inverted = {1, 1, 1};
            });
        });
        HWND window = Open(panel.command, panel.title);
        EXPECT_FALSE(ThreePhase().outputOn) << "opening switches the outputs off at once";
        return window;
    }

    // As the control with that id sends it, n times.
    static void Send(HWND window, WPARAM id, int n = 1)
    {
        for (int i = 0; i < n; ++i)
            SendMessageW(window, WM_COMMAND, id, 0);
    }

    void PressPower(HWND window, const Panel& panel)
    {
        ClickAt(window, ControlCentre(L"VexaRes.dll", panel.command, kHotPowerButton, panel.powerId, window));
        ASSERT_TRUE(PumpUntil([&] { return ThreePhase().outputOn; }, 5000)) << "the click did not switch the outputs on";
    }

    // The user closes the window: it hides, and the outputs are off by the
    // time the close returns.
    void CloseByCaption(HWND window)
    {
        SendMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
        EXPECT_FALSE(IsWindowVisible(window));
        EXPECT_FALSE(ThreePhase().outputOn) << "closing switches the outputs off at once";
    }

    // Ends the instrument, so that another one may take the unit.
    void End(HWND window)
    {
        SendMessageW(window, WM_CLOSE, 0, 0);
        ASSERT_TRUE(PumpUntil([&] { return plugIn->GetInstrumentCount() == 0; }, 5000));
    }
};

TEST_F(SupplyPanels, SingleSuppliesDrivePhasesOneAndTwoInSeries)
{
    HWND panel = OpenOnALiveBox(kSupply40V, false);
    EXPECT_TRUE(PumpUntil([&] { return ThreePhase().dcMode && ThreePhase().inverted == Triple{0, 1, 0}; }, 5000))
        << "opening prepares DC mode, positive: phase 2 inverted";
    EXPECT_FALSE(ThreePhase().outputOn);

    Send(panel, 100, 400);  // 40.0 V
    PressPower(panel, kSupply40V);
    EXPECT_TRUE(PumpUntil([&] { return ThreePhase().amplitude == Triple{255, 255, 0}; }, 5000))
        << "40.0 V is full scale on phases 1 and 2";
    Send(panel, 101, 200);  // 20.0 V
    EXPECT_TRUE(PumpUntil([&] { return ThreePhase().amplitude == Triple{Byte(50), Byte(50), 0}; }, 5000));
    EXPECT_TRUE(ThreePhase().outputOn);
    CloseByCaption(panel);
    End(panel);

    // The ±24 V supply goes negative below 0 V: phase 1 inverted instead.
    panel = OpenOnALiveBox(kSupply24V, false);
    ASSERT_TRUE(PumpUntil([&] { return ThreePhase().dcMode && ThreePhase().inverted == Triple{0, 1, 0}; }, 5000));
    Send(panel, 101);  // -0.1 V
    EXPECT_TRUE(PumpUntil([&] { return ThreePhase().inverted == Triple{1, 0, 0}; }, 5000));
    EXPECT_EQ(ThreePhase().amplitude, (Triple{0, 0, 0})) << "0.25 % truncated";
    Send(panel, 101, 99);  // -10.0 V
    PressPower(panel, kSupply24V);
    EXPECT_TRUE(PumpUntil([&] { return ThreePhase().amplitude == Triple{Byte(25), Byte(25), 0}; }, 5000));
    Send(panel, 100, 101);  // +0.1 V
    EXPECT_TRUE(PumpUntil([&] { return ThreePhase().inverted == Triple{0, 1, 0}; }, 5000)) << "positive again";
    CloseByCaption(panel);
}

TEST_F(SupplyPanels, TripleSourceSetsEachChannelAndItsPolarity)
{
    HWND panel = OpenOnALiveBox(kTripleSource, false);
    ASSERT_TRUE(PumpUntil([&] { return ThreePhase().dcMode && ThreePhase().inverted == Triple{0, 0, 0}; }, 5000));
    Send(panel, 100, 200);  // channel 1: 20.0 V
    Send(panel, 102, 99);   // channel 2: 9.9 V
    Send(panel, 104, 30);   // channel 3: 3.0 V
    Send(panel, 105, 10);   // and back to 2.0 V
    ClickAt(panel, ControlCentre(L"VexaRes.dll", kTripleSource.command, kHotCheck, 202, panel));
    PressPower(panel, kTripleSource);
    EXPECT_TRUE(PumpUntil([&] { return ThreePhase().amplitude == Triple{Byte(100), Byte(50), Byte(10)}; }, 5000))
        << "20.0 V is beyond full scale, 9.9 V half of it";
    EXPECT_TRUE(PumpUntil([&] { return ThreePhase().inverted == Triple{0, 0, 1}; }, 5000))
        << "the click on channel 3's polarity inverts phase 3";
    CloseByCaption(panel);
}

TEST_F(SupplyPanels, SineSourceDrivesEveryPhaseAlike)
{
    HWND panel = OpenOnALiveBox(kSineSource, true);
    ASSERT_TRUE(PumpUntil([&] { return !ThreePhase().dcMode && ThreePhase().settingD == 50; }, 5000))
        << "an alternating source at 50 Hz";
    EXPECT_EQ(ThreePhase().inverted, (Triple{0, 0, 0}));
    EXPECT_EQ(ThreePhase().angle, (std::array<int, 3>{0, 120, 240}));
    Send(panel, 4315, 70);  // 7.0 V in 0.1 V steps
    Send(panel, 4311, 10);  // 40 Hz
    PressPower(panel, kSineSource);
    EXPECT_TRUE(PumpUntil([&] { return ThreePhase().amplitude == Triple{Byte(50), Byte(50), Byte(50)}; }, 5000))
        << "7.0 V is half of 14 V";
    EXPECT_EQ(ThreePhase().settingD, 40);
    EXPECT_EQ(ThreePhase().waveform, 0);
    CloseByCaption(panel);
}

TEST_F(SupplyPanels, GeneratorPanelSendsEverySetting)
{
    HWND panel = OpenOnALiveBox(kGenerator, true);
    ASSERT_TRUE(PumpUntil([&] { return !ThreePhase().dcMode; }, 5000)) << "opening clears DC mode";
    Send(panel, 4400, 50);  // phase 1 amplitude up, through its up/down control
    Send(panel, 4315, 10);  // all phases up
    Send(panel, 4403, 3);   // phase 2 down
    Send(panel, 4410, 10);  // phase 3 angle up: 250
    Send(panel, 4409, 20);  // phase 2 angle down: 100
    Send(panel, 4310, 49);  // setting D: 50
    Send(panel, 4306);      // waveform 3
    Send(panel, 4321);      // phase 2 inverted
    PressPower(panel, kGenerator);
    const auto s = ThreePhase();
    EXPECT_EQ(s.amplitude, (Triple{Byte(60), Byte(7), Byte(10)}));
    EXPECT_EQ(s.angle, (std::array<int, 3>{0, 100, 250}));
    EXPECT_EQ(s.settingD, 50);
    EXPECT_EQ(s.waveform, 3);
    EXPECT_EQ(s.inverted, (Triple{0, 1, 0})) << "the unit's flags, phase 2 toggled";
    CloseByCaption(panel);
}

TEST_F(SupplyPanels, DocumentsKeepEverySupplyByteForByte)
{
    struct Case {
        Panel panel;
        std::vector<WPARAM> steps;
    };
    const Case cases[] = {
        {kSupply40V, {100, 100, 100}},
        {kSupply24V, {101, 101, 101, 101}},
        {kTripleSource, {100, 102, 102, 104, 201}},
        {kSineSource, {4315, 4315, 4311}},
        {kGenerator, {4400, 4406, 4408, 4327, 4304, 4322}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.panel.command);
        HWND panel = Open(c.panel.command, c.panel.title);
        ASSERT_NE(panel, nullptr);
        for (WPARAM id : c.steps)
            Send(panel, id);
        PumpUntil([] { return false; }, 300);  // the updates reach the unit
        const Bytes first = StoreDocument(plugIn);
        LoadDocument(plugIn, first);
        panel = FindWindowTitled(c.panel.title);
        ASSERT_NE(panel, nullptr);
        PumpUntil([] { return false; }, 300);
        EXPECT_EQ(StoreDocument(plugIn), first);
        End(panel);
    }
}

}  // namespace
