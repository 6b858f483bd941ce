// The meters against the simulator, read as a user reads them: the plug-in
// is loaded like the host loads it, menu commands open the panels, sources
// wired to the simulator's inputs give known signals, and a click on a
// read-out copies what it shows to the clipboard.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cwchar>
#include <optional>
#include <vector>

#include "../PlugInHarness.h"

namespace {

using namespace harness;

std::string Narrow(const std::wstring& text)
{
    return std::string(text.begin(), text.end());
}

std::wstring Trimmed(const std::wstring& text)
{
    const size_t first = text.find_first_not_of(L' ');
    return first == std::wstring::npos ? L"" : text.substr(first, text.find_last_not_of(L' ') - first + 1);
}

class Meters : public PlugInWithSources {
protected:
    double ModelRms(int channel)
    {
        return WithBox([&](auto& box) { return box.model.Rms(channel); });
    }
    // Reads a display until it shows the text.
    std::wstring ReadUntilShown(HWND panel, uint32_t layoutId, const std::wstring& wanted)
    {
        return Trimmed(ReadUntil(panel, layoutId, 1, [&](const std::wstring& t) { return Trimmed(t) == wanted; }));
    }
};

constexpr int kSine = 0;
constexpr int kDc = 4;

// Meters with one source wired before the simulator starts.
template <int Channel, int Waveform, double Frequency, double Peak>
class Wired : public Meters {
protected:
    Wired() { this->Wire(Channel, Waveform, Frequency, Peak); }
};
using SineOnB = Wired<1, kSine, 50.0, 4.0>;
using DcOnB = Wired<1, kDc, 0.0, 0.775>;
using DcOnA = Wired<0, kDc, 0.0, 2.5>;

TEST_F(SineOnB, VoltmeterShowsTheRmsOfTheSignalWithinOneDigit)
{
    HWND panel = Open(10121, L"VOLTMETER B");
    ASSERT_NE(panel, nullptr);
    const double model = ModelRms(1);
    ASSERT_NEAR(model, 4.0 / std::sqrt(2.0), 0.01);
    // Range 10 V shows one decimal: one digit is 0.1 V.
    const std::wstring text = ReadUntil(panel, 10121, 1, [&](const std::wstring& t) {
        const auto v = Number(t);
        return v && std::fabs(*v - model) <= 0.1;
    });
    EXPECT_TRUE(Number(text) && std::fabs(*Number(text) - model) <= 0.1) << "shown \"" << Narrow(text) << "\"";
}

TEST_F(DcOnB, DbMeterReadsZeroAtTheReferenceLevel)
{
    HWND panel = Open(10125, L"dB METER B");
    ASSERT_NE(panel, nullptr);
    SendMessageW(panel, WM_COMMAND, 30 + 3, 0);  // the 1 V range
    EXPECT_EQ(ReadUntilShown(panel, 10125, L"0.0"), L"0.0");
}

TEST_F(DcOnA, ThermometerWithTheSecondSensorReads25DegreesOr77Fahrenheit)
{
    HWND panel = Open(10068, L"THERMOMETER");
    ASSERT_NE(panel, nullptr);
    SendMessageW(panel, WM_COMMAND, 205, 0);  // sensor type 1: 10 degrees per volt
    SendMessageW(panel, WM_COMMAND, 201, 0);  // Celsius
    EXPECT_EQ(ReadUntilShown(panel, 10068, L"25"), L"25");
    SendMessageW(panel, WM_COMMAND, 202, 0);
    EXPECT_EQ(ReadUntilShown(panel, 10068, L"77"), L"77");
    SendMessageW(panel, WM_COMMAND, 201, 0);  // the choice is process-wide: leave it as found
}

TEST_F(Meters, MetersOnDifferentChannelsOpenTogetherAndTheSameChannelIsRefused)
{
    MessageBoxAnswerer answerer;
    ASSERT_NE(Open(10120, L"VOLTMETER A"), nullptr);
    ASSERT_NE(Open(10121, L"VOLTMETER B"), nullptr);
    ASSERT_NE(Open(10211, L"DUAL VOLTMETER"), nullptr);
    EXPECT_EQ(plugIn->GetInstrumentCount(), 3);
    EXPECT_TRUE(answerer.Texts().empty());

    for (UINT sameChannel : {10122u, 10067u, 10061u, 10068u, 10212u}) {
        EXPECT_TRUE(plugIn->OnCmdMsg(sameChannel, CN_COMMAND, nullptr, nullptr));
        PumpUntil([&] { return false; }, 100);
    }
    EXPECT_EQ(plugIn->GetInstrumentCount(), 3) << "nothing more opened";
    const auto texts = answerer.Texts();
    ASSERT_EQ(texts.size(), 5u);
    EXPECT_NE(texts[0].find(L"VOLTMETER A"), std::wstring::npos) << Narrow(texts[0]);
    EXPECT_NE(texts[4].find(L"DUAL VOLTMETER"), std::wstring::npos) << Narrow(texts[4]);
}

TEST_F(Meters, EveryMeterOpensFromItsCommand)
{
    const std::vector<std::pair<UINT, std::wstring>> meters = {
        {10061, L"ANALOG VOLTMETER A"},   {10062, L"ANALOG VOLTMETER B"}, {10063, L"ANALOG AMPEREMETER A"},
        {10064, L"ANALOG AMPEREMETER B"}, {10065, L"ANALOG dB METER A"},  {10066, L"ANALOG dB METER B"},
        {10067, L"POWER METER"},          {10068, L"THERMOMETER"},        {10069, L"METRAHIT 23S"},
        {10070, L"METRAHIT ONE/13S"},     {10071, L"METRAHIT 18S"},       {10072, L"METRAHIT TEACH"},
        {10120, L"VOLTMETER A"},          {10121, L"VOLTMETER B"},        {10122, L"AMPEREMETER A"},
        {10123, L"AMPEREMETER B"},        {10124, L"dB METER A"},         {10125, L"dB METER B"},
        {10211, L"DUAL VOLTMETER"},       {10212, L"DUAL AMPEREMETER"},
    };
    for (const auto& [command, title] : meters) {
        HWND panel = Open(command, title);
        ASSERT_NE(panel, nullptr);
        EXPECT_TRUE(IsWindowVisible(panel)) << command;
        SendMessageW(panel, WM_CLOSE, 0, 0);
        ASSERT_TRUE(PumpUntil([&] { return plugIn->GetInstrumentCount() == 0; }, 3000)) << command;
    }
}

class LevelTwoBox : public Meters {
protected:
    void Configure(vexasim::SimOptions& options) override { options.box.level = 2; }
};

TEST_F(LevelTwoBox, DualMetersAreRefusedWithTheirMessage)
{
    MessageBoxAnswerer answerer;
    EXPECT_TRUE(plugIn->OnCmdMsg(10211, CN_COMMAND, nullptr, nullptr));
    EXPECT_TRUE(plugIn->OnCmdMsg(10212, CN_COMMAND, nullptr, nullptr));
    PumpUntil([&] { return answerer.Texts().size() == 2; }, 2000);
    EXPECT_EQ(plugIn->GetInstrumentCount(), 0);
    ASSERT_EQ(answerer.Texts().size(), 2u);
    EXPECT_NE(answerer.Texts()[0].find(L"variant level 3"), std::wstring::npos) << Narrow(answerer.Texts()[0]);
}

TEST_F(Meters, AnalogMeterAtTheEndOfItsRangesSendsNothing)
{
    std::atomic<int> channelCommands{0};
    WithBox([&](auto& box) {
        box.log = [&](const std::string& line) { channelCommands += line == "meter channels A B"; };
    });
    HWND panel = Open(10061, L"ANALOG VOLTMETER A");
    ASSERT_NE(panel, nullptr);
    for (int i = 0; i < 9; ++i)
        SendMessageW(panel, WM_COMMAND, 233, 0);  // range down, without the beep
    PumpUntil([] { return false; }, 500);
    const int settled = channelCommands.load();
    EXPECT_GT(settled, 0);

    SendMessageW(panel, WM_COMMAND, 231, 0);  // down again at the bottom: a beep, nothing else
    PumpUntil([] { return false; }, 500);
    EXPECT_EQ(channelCommands.load(), settled);

    SendMessageW(panel, WM_COMMAND, 230, 0);  // and up: the box hears of it
    EXPECT_TRUE(PumpUntil([&] { return channelCommands.load() > settled; }, 2000));
    WithBox([](auto& box) { box.log = nullptr; });
}

TEST_F(DcOnA, MetraHitKeepsItsLastReadingForThreeSecondsThenGoesBlank)
{
    HWND panel = Open(10071, L"METRAHIT 18S");
    ASSERT_NE(panel, nullptr);
    // The read-out fills the panel's top (8, 8, 232 x 76 of 248 x 132); a
    // click copies what it shows, and nothing when it is blank.
    auto read = [&] {
        RECT client;
        GetClientRect(panel, &client);
        ClearClipboard();
        ClickAt(panel, {124 * client.right / 248, 46 * client.bottom / 132});
        std::wstring text;
        PumpUntil([&] { return !(text = ClipboardText()).empty(); }, 300);
        return text;
    };
    std::wstring shown;
    ASSERT_TRUE(PumpUntil([&] { return (shown = read()).find(L"2.5") != std::wstring::npos; }, 6000))
        << "shown \"" << Narrow(shown) << "\"";

    WithBox([](auto& box) { box.metraHitPlugged = false; });
    const DWORD unplugged = GetTickCount();
    PumpUntil([] { return false; }, 1000);
    EXPECT_EQ(read(), shown) << "answers without a meter keep the last reading for a while";
    ASSERT_TRUE(PumpUntil([&] { return read().empty(); }, 6000)) << "the display never went blank";
    EXPECT_GE(GetTickCount() - unplugged, 2900u);
}

TEST_F(Meters, ADocumentWithEveryMeterThatFitsTogetherSavesAndLoadsToTheSameBytes)
{
    struct Placed {
        UINT command;
        std::wstring title;
        int x, y;
        bool visible;
    };
    const std::vector<Placed> meters = {{10120, L"VOLTMETER A", 40, 30, true}, {10123, L"AMPEREMETER B", 320, 30, false},
                                        {10211, L"DUAL VOLTMETER", 40, 260, true}, {10071, L"METRAHIT 18S", 600, 260, true}};
    for (const Placed& m : meters) {
        HWND panel = Open(m.command, m.title);
        ASSERT_NE(panel, nullptr);
        SetWindowPos(panel, nullptr, m.x, m.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        if (!m.visible)
            SendMessageW(panel, WM_SYSCOMMAND, SC_CLOSE, 0);
    }
    // Settings away from their defaults: range 1 V and |AV| on the voltmeter,
    // AC on the dual voltmeter's D half, its rate flag cleared.
    const std::pair<const wchar_t*, WPARAM> settings[] = {
        {L"VOLTMETER A", 33}, {L"VOLTMETER A", 22}, {L"DUAL VOLTMETER", 111}, {L"DUAL VOLTMETER", 50}};
    for (const auto& [title, id] : settings)
        SendMessageW(FindWindowTitled(title), WM_COMMAND, id, 0);
    // The unit takes the channel settings with the next polling pass; the
    // document holds both the unit's and the instruments' copies.
    PumpUntil([] { return false; }, 600);

    const std::vector<uint8_t> first = StoreDocument(plugIn);
    LoadDocument(plugIn, first);
    EXPECT_EQ(plugIn->GetInstrumentCount(), int(meters.size()));
    for (const Placed& m : meters) {
        SCOPED_TRACE(Narrow(m.title));
        HWND panel = FindWindowTitled(m.title);
        ASSERT_NE(panel, nullptr);
        RECT r;
        GetWindowRect(panel, &r);
        EXPECT_EQ(r.left, m.x);
        EXPECT_EQ(r.top, m.y);
        EXPECT_EQ(IsWindowVisible(panel) != FALSE, m.visible);
    }
    const std::vector<uint8_t> second = StoreDocument(plugIn);
    EXPECT_EQ(second.size(), first.size());
    const auto differ = std::mismatch(first.begin(), first.end(), second.begin(), second.end());
    EXPECT_TRUE(differ.first == first.end() && differ.second == second.end())
        << "the second save differs from byte " << (differ.first - first.begin()) << " of " << first.size();
}

}  // namespace
