// The generator panels against the simulator, driven as a user would: the
// plug-in loaded like the host loads it, panels opened from the menu
// commands, clicks on knobs, strips and switches, and the formula dialog
// filled in by a second hand.
//
// With VEXA_PICTURES set to a folder, the formula test also saves pictures of
// the formula dialog there.
#include <gtest/gtest.h>

#include <windows.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <numbers>

#include "../../WineFolder.h"
#include "../PlugInHarness.h"
#include "Capture.h"

namespace {

using namespace harness;

constexpr UINT kFunctionGenerator = 10031;
constexpr UINT kFormulaGenerator = 10033;
constexpr UINT kDcSource = 10035;
constexpr UINT kPulseGenerator = 10036;
constexpr uint32_t kOutputButton = 4202;

class Generators : public PlugInWithSimulator {
protected:
    // Nothing here should need telling the user; a message box would otherwise wait forever.
    void TearDown() override
    {
        PlugInWithSimulator::TearDown();
        for (const std::wstring& text : answerer.Texts())
            ADD_FAILURE() << "message: " << std::string(text.begin(), text.end());
    }

    vexasim::GeneratorSettings Generator()
    {
        return WithBox([](auto& box) { return box.model.Generator(); });
    }

    // A click on a point of a control, given as fractions of its size.
    void Click(HWND panel, UINT layout, uint32_t type, uint32_t id, double fx = 0.5, double fy = 0.5)
    {
        ClickAt(panel, ControlPoint(L"VexaRes.dll", layout, type, id, panel, fx, fy));
    }
    // Item `item` of a strip of `count` buttons.
    void ClickItem(HWND panel, UINT layout, uint32_t id, int item, int count, bool horizontal = true)
    {
        const double along = (item + 0.5) / count;
        Click(panel, layout, kHotButtonGroup, id, horizontal ? along : 0.5, horizontal ? 0.5 : along);
    }
    void Close(HWND panel) { SendMessageW(panel, WM_SYSCOMMAND, SC_CLOSE, 0); }

    MessageBoxAnswerer answerer{L"Formula"};
};

TEST_F(Generators, FunctionGeneratorPlaysWhatThePanelIsSetTo)
{
    HWND panel = Open(kFunctionGenerator, L"FUNCTION GENERATOR");
    ASSERT_NE(panel, nullptr);
    // Row 4 starts at 1 kHz; the top of the amplitude knob is half its travel.
    ClickItem(panel, kFunctionGenerator, 4235, 4, 7);
    Click(panel, kFunctionGenerator, kHotKnob, 100, 0.5, 0.03);
    ClickItem(panel, kFunctionGenerator, 4203, 2, 6);  // square first, so that sine is a change
    ClickItem(panel, kFunctionGenerator, 4203, 0, 6);
    Click(panel, kFunctionGenerator, kHotPowerButton, kOutputButton);
    ASSERT_TRUE(PumpUntil([&] { return Generator().outputOn; }, 5000)) << "the output switch";
    const auto on = Generator();
    EXPECT_EQ(on.frequency, 1000.0);
    EXPECT_EQ(on.amplitude, 50 * 255 / 100);
    EXPECT_EQ(on.waveform, 0);
    EXPECT_EQ(on.outputRange, 0);

    // The number pad's target and the up/down keys step the same setting.
    Click(panel, kFunctionGenerator, kHotUpDownButton, 4222, 0.5, 0.25);
    EXPECT_TRUE(PumpUntil([&] { return Generator().amplitude == 51 * 255 / 100; }, 3000));
    Click(panel, kFunctionGenerator, kHotUpDownButton, 4220, 0.5, 0.75);
    EXPECT_TRUE(PumpUntil([&] { return Generator().frequency == 1000.0; }, 1000)) << "the row's lowest stays";
    Click(panel, kFunctionGenerator, kHotUpDownButton, 4220, 0.5, 0.25);
    EXPECT_TRUE(PumpUntil([&] { return Generator().frequency == 1100.0; }, 3000)) << "one step of the row: 100 Hz";

    // Closing the window is how the user switches the generator off.
    Close(panel);
    EXPECT_FALSE(IsWindowVisible(panel));
    EXPECT_TRUE(PumpUntil([&] { return !Generator().outputOn; }, 2000));
}

TEST_F(Generators, PulseGeneratorTakesItsOwnShapeAndTheDuty)
{
    HWND function = Open(kFunctionGenerator, L"FUNCTION GENERATOR");
    ClickItem(function, kFunctionGenerator, 4203, 3, 6);  // the ramp is no pulse
    ASSERT_TRUE(PumpUntil([&] { return Generator().waveform == 3; }, 3000));
    Close(function);

    HWND panel = Open(kPulseGenerator, L"PULSE GENERATOR");
    ASSERT_NE(panel, nullptr);
    EXPECT_TRUE(PumpUntil([&] { return Generator().waveform == 9; }, 3000)) << "opening chooses the negative pulse";
    ClickItem(panel, kPulseGenerator, 4211, 0, 2);
    Click(panel, kPulseGenerator, kHotKnob, 102, 0.5, 0.03);
    Click(panel, kPulseGenerator, kHotUpDownButton, 4224, 0.5, 0.25);
    EXPECT_TRUE(PumpUntil([&] { return Generator().waveform == 8 && Generator().duty == 51 * 255 / 100; }, 3000));
}

TEST_F(Generators, DcSourceStepsThroughZeroWithTheSignAsWaveform)
{
    // The function generator leaves half amplitude behind; the DC source shows 0.0 V and gives it.
    HWND function = Open(kFunctionGenerator, L"FUNCTION GENERATOR");
    Click(function, kFunctionGenerator, kHotKnob, 100, 0.5, 0.03);
    ASSERT_TRUE(PumpUntil([&] { return Generator().amplitude == 50 * 255 / 100; }, 3000));
    Close(function);
    HWND panel = Open(kDcSource, L"DC SOURCE");
    ASSERT_NE(panel, nullptr);
    EXPECT_TRUE(PumpUntil([&] { return Generator().amplitude == 0 && Generator().waveform == 4; }, 3000));
    Click(panel, kDcSource, kHotPowerButton, kOutputButton);
    Click(panel, kDcSource, kHotUpDownButton, 4222, 0.5, 0.75);
    ASSERT_TRUE(PumpUntil([&] { return Generator().outputOn && Generator().waveform == 5; }, 5000));
    EXPECT_EQ(Generator().amplitude, 1 * 255 / 100) << "-0.1 V is 1 % of 10 V";
    // In the 1 V scale the same 0.1 V is 10 %; the knob's top is 0 V again.
    ClickItem(panel, kDcSource, 4226, 1, 3, false);
    EXPECT_TRUE(PumpUntil([&] { return Generator().outputRange == 1 && Generator().amplitude == 10 * 255 / 100; }, 3000));
    // Disconnecting the host switches the output off before the line goes.
    plugIn->Disconnect();
    EXPECT_FALSE(Generator().outputOn);
}

// Fills in the formula dialog from a second thread while the panel's
// thread runs the dialog.
class FormulaDialogHand {
public:
    explicit FormulaDialogHand(std::function<void(HWND)> script)
        : m_script(std::move(script)), m_thread([this] { Run(); })
    {
    }
    ~FormulaDialogHand() { m_thread.join(); }
    bool Done() const { return m_done; }

private:
    void Run()
    {
        for (int i = 0; i < 500; ++i) {
            if (HWND dialog = FindWindowW(L"#32770", L"Formula"); dialog && IsWindowVisible(dialog)) {
                m_script(dialog);
                m_done = true;
                return;
            }
            Sleep(10);
        }
    }

    std::function<void(HWND)> m_script;
    std::atomic<bool> m_done{false};
    std::thread m_thread;
};

void SavePicture(HWND window, const wchar_t* name)
{
    const std::wstring path = FolderFromEnvironment("VEXA_PICTURES");
    if (path.empty())
        return;
    CaptureWindowToPng(window, path + L"\\" + name);
}

std::wstring ItemText(HWND dialog, int id)
{
    wchar_t text[256] = {};
    GetDlgItemTextW(dialog, id, text, 255);
    return text;
}

TEST_F(Generators, FormulaGeneratorPlaysAFormulaTheUserEntered)
{
    HWND panel = Open(kFormulaGenerator, L"FORMULA GENERATOR");
    ASSERT_NE(panel, nullptr);
    std::wstring refusal;
    bool stayedOpen = false;
    DWORD selection = 0;
    {
        FormulaDialogHand hand([&](HWND dialog) {
            SetDlgItemTextW(dialog, 151, L"Two sines");
            SetDlgItemTextW(dialog, 152, L"0.5*SIN(X)+0.25*sin(3*X)");
            SendMessageW(dialog, WM_COMMAND, IDOK, 0);
            Sleep(100);
            stayedOpen = IsWindowVisible(dialog) != FALSE;
            refusal = ItemText(dialog, 153);
            selection = DWORD(SendDlgItemMessageW(dialog, 152, EM_GETSEL, 0, 0));
            SavePicture(dialog, L"formula-dialog-error.png");
            SetDlgItemTextW(dialog, 152, L"0.5*SIN(X)+0.25*SIN(3*X)");
            Sleep(300);  // the preview repaints
            SavePicture(dialog, L"formula-dialog.png");
            SendMessageW(dialog, WM_COMMAND, IDOK, 0);
        });
        SendMessageW(panel, WM_COMMAND, 201, 0);
        ASSERT_TRUE(hand.Done());
    }
    EXPECT_TRUE(stayedOpen) << "a formula that does not compile is not taken";
    EXPECT_NE(refusal.find(L"17"), std::wstring::npos) << "the message names the character: " << std::string(refusal.begin(), refusal.end());
    EXPECT_EQ(LOWORD(selection), 16u) << "the wrong name is selected for correcting";
    EXPECT_EQ(HIWORD(selection), 19u);

    Click(panel, kFormulaGenerator, kHotPowerButton, kOutputButton);
    ASSERT_TRUE(PumpUntil([&] { return Generator().outputOn && Generator().arbitrary.size() == 8192; }, 5000));
    const auto on = Generator();
    EXPECT_EQ(on.waveform, 6);
    // One period of the formula, as the box's samples carry it.
    const double x = 2 * std::numbers::pi * 1000 / 8191;
    EXPECT_NEAR(on.arbitrary[1000], 0.5 * std::sin(x) + 0.25 * std::sin(3 * x), 2.0 / 511);

    // Deleting the only entry leaves nothing to play: the output goes off.
    SendMessageW(panel, WM_COMMAND, 203, 0);
    EXPECT_TRUE(PumpUntil([&] { return !Generator().outputOn; }, 3000));
}

TEST_F(Generators, ADocumentWithAGeneratorAndASupplyRoundTripsByteForByte)
{
    HWND supply = Open(10001, L"DC POWER SUPPLY 0-40 V");
    ASSERT_NE(supply, nullptr);
    HWND panel = Open(kFunctionGenerator, L"FUNCTION GENERATOR");
    ASSERT_NE(panel, nullptr);
    SendMessageW(supply, WM_COMMAND, 100, 0);  // 0.1 V up
    ClickItem(panel, kFunctionGenerator, 4235, 3, 7);
    ClickItem(panel, kFunctionGenerator, 4226, 2, 3, false);
    PumpUntil([] { return false; }, 300);
    const auto first = StoreDocument(plugIn);
    Close(panel);
    Close(supply);
    LoadDocument(plugIn, first);
    EXPECT_NE(FindWindowTitled(L"FUNCTION GENERATOR"), nullptr);
    EXPECT_NE(FindWindowTitled(L"DC POWER SUPPLY 0-40 V"), nullptr);
    EXPECT_EQ(plugIn->GetInstrumentCount(), 2);
    EXPECT_EQ(StoreDocument(plugIn), first);
}

}  // namespace
