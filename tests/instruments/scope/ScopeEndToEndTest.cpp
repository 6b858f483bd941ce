// The main oscilloscope against the simulator, read as a user reads it: the
// plug-in loaded like the host loads it, known sources wired to the inputs,
// the panel's controls sent or clicked, and the screen's data taken through
// its "data as text" command from the clipboard.
//
// With VEXA_SCOPE_TEXT_DIR set to a folder, the first table is also saved
// there as scope-data.txt, for a reader that did not write it.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <fstream>
#include <functional>
#include <optional>
#include <vector>

#include "../../WineFolder.h"
#include "charts/ChartCommands.h"
#include "../PlugInHarness.h"

namespace {

using namespace harness;

constexpr UINT kOscilloscope = 10115;
constexpr uint32_t kTimeBase1ms = 4401 + 12;  // 1001 samples per screen
constexpr uint32_t kTimeBase1s = 4401 + 21;   // rolling, 501 samples per screen
constexpr uint32_t kRange1V = 4430 + 5;       // 1 V/div, 5 V full scale
constexpr uint32_t kFirstTab = 10;
constexpr uint32_t kCouplingDc = 4451;
constexpr uint32_t kCouplingGnd = 4453;
constexpr uint32_t kNoTrigger = 4500;
constexpr uint32_t kStopCheck = 4487;
constexpr uint32_t kSingleCheck = 4488;
constexpr uint32_t kFourChannelsCheck = 4496;
constexpr COLORREF kColourC = 0xFFC400;
constexpr COLORREF kColourD = 0x800080;

struct Row {
    double t, a, b;
};
using Table = std::vector<Row>;

// The copied text as rows of three numbers; nothing when a line is not that.
std::optional<Table> ParseTable(std::wstring text)
{
    // The copy uses the user's decimal sign; the columns are split by tabs.
    std::replace(text.begin(), text.end(), L',', L'.');
    Table rows;
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find(L"\r\n", start);
        if (end == std::wstring::npos)
            return std::nullopt;  // every line ends with CR LF
        const std::wstring line = text.substr(start, end - start);
        Row row{};
        wchar_t extra = 0;
        if (std::swscanf(line.c_str(), L"%lf\t%lf\t%lf%lc", &row.t, &row.a, &row.b, &extra) != 3)
            return std::nullopt;
        rows.push_back(row);
        start = end + 2;
    }
    return rows;
}

double Peak(const Table& rows, double Row::*column)
{
    double peak = 0.0;
    for (const Row& r : rows)
        peak = std::max(peak, std::fabs(r.*column));
    return peak;
}

// How many times the column changes sign.
int SignChanges(const Table& rows, double Row::*column)
{
    int changes = 0;
    for (size_t i = 1; i < rows.size(); ++i)
        changes += (rows[i - 1].*column < 0) != (rows[i].*column < 0);
    return changes;
}

// Samples of A that are non-zero, and whether they all come before the first zero one.
std::pair<size_t, bool> FilledFromTheLeft(const Table& rows)
{
    const auto firstZero = std::find_if(rows.begin(), rows.end(), [](const Row& r) { return r.a == 0.0; });
    const bool prefix = std::all_of(firstZero, rows.end(), [](const Row& r) { return r.a == 0.0; });
    return {size_t(firstZero - rows.begin()), prefix};
}

// Pixels of a client rectangle of a window as the screen shows them.
std::vector<COLORREF> Pixels(HWND window, RECT r)
{
    POINT origin{r.left, r.top};
    ClientToScreen(window, &origin);
    const int width = r.right - r.left, height = r.bottom - r.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, origin.x, origin.y, SRCCOPY);
    SelectObject(memory, old);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    std::vector<uint32_t> bgr(size_t(width) * size_t(height));
    GetDIBits(memory, bitmap, 0, UINT(height), bgr.data(), &info, DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    std::vector<COLORREF> pixels;
    for (uint32_t p : bgr)
        pixels.push_back(RGB(p >> 16 & 0xFF, p >> 8 & 0xFF, p & 0xFF));
    return pixels;
}

class Oscilloscope : public PlugInWithSources {
protected:
    Oscilloscope()
    {
        Wire(0, 2, 500.0, 2.0);   // A: square, 500 Hz, 2 V peak
        Wire(1, 0, 1000.0, 1.0);  // B: sine, 1 kHz, 1 V peak
        Wire(2, 0, 250.0, 1.5);   // C and D, for four channels
        Wire(3, 1, 100.0, 1.0);
    }

    void SetUp() override
    {
        PlugInWithSources::SetUp();
        WithBox([this](auto& box) {
            box.log = [this](const std::string& line) { recordReads += line == "scope read record"; };
        });
    }

    // The main oscilloscope at the time base, A and B at 1 V/div and DC, no
    // trigger, channel A selected.
    void OpenScope(uint32_t timeBase)
    {
        panel = Open(kOscilloscope, L"OSCILLOSCOPE");
        ASSERT_NE(panel, nullptr);
        const std::vector<HWND> charts = ChartWindows(panel);
        ASSERT_FALSE(charts.empty()) << "no VexaChart window on the panel";
        screen = charts.front();
        for (uint32_t id : {timeBase, kNoTrigger, kFirstTab, kRange1V, kCouplingDc, kFirstTab + 1, kRange1V,
                            kCouplingDc, kFirstTab})
            SendMessageW(panel, WM_COMMAND, id, 0);
    }

    std::wstring CopyDataText()
    {
        ClearClipboard();
        SendMessageW(screen, WM_COMMAND, ID_CHART_COPY_TEXT, 0);
        return ClipboardText();
    }
    // Copies the screen's data until `accept` takes it (a few seconds at most).
    Table DataUntil(const std::function<bool(const Table&)>& accept, DWORD timeoutMs = 6000)
    {
        Table rows;
        PumpUntil([&] {
            const auto parsed = ParseTable(CopyDataText());
            rows = parsed.value_or(Table{});
            return parsed && accept(rows);
        }, timeoutMs);
        return rows;
    }
    static bool SquareOnA(const Table& rows)
    {
        return rows.size() == 1001 && std::all_of(rows.begin(), rows.end(), [](const Row& r) {
                   return std::fabs(std::fabs(r.a) - 2.0) <= 0.06;
               });
    }

    // Pixels of a control of the panel, in its client area.
    std::vector<COLORREF> ControlPixels(uint32_t type, uint32_t id)
    {
        const POINT from = ControlPoint(L"VexaRes.dll", kOscilloscope, type, id, panel, 0, 0);
        const POINT to = ControlPoint(L"VexaRes.dll", kOscilloscope, type, id, panel, 1, 1);
        return Pixels(panel, {from.x, from.y, to.x, to.y});
    }
    size_t ScreenPixelsOf(COLORREF colour)
    {
        RECT client;
        GetClientRect(screen, &client);
        const auto pixels = Pixels(screen, client);
        return size_t(std::count(pixels.begin(), pixels.end(), colour));
    }
    void Click(uint32_t type, uint32_t id)
    {
        ClickAt(panel, ControlCentre(L"VexaRes.dll", kOscilloscope, type, id, panel));
    }

    std::atomic<int> recordReads{0};
    HWND panel = nullptr;
    HWND screen = nullptr;
};

TEST_F(Oscilloscope, DataAsTextIsTheTableOfBothChannelsAsWired)
{
    ASSERT_NO_FATAL_FAILURE(OpenScope(kTimeBase1ms));
    const Table rows = DataUntil(SquareOnA);
    ASSERT_EQ(rows.size(), 1001u) << "the clipboard holds no table of 1001 lines of three numbers";
    for (size_t i = 0; i < rows.size(); ++i)
        ASSERT_NEAR(rows[i].t, double(i) * 10e-6, 1e-9) << "line " << i;
    EXPECT_TRUE(SquareOnA(rows)) << "A is not a square of 2 V peak, within 3 %";
    EXPECT_NEAR(SignChanges(rows, &Row::a), 10, 1) << "five periods of 500 Hz in 10 ms";
    EXPECT_NEAR(Peak(rows, &Row::b), 1.0, 0.03) << "the sine on B has 1 V peak";
    EXPECT_NEAR(SignChanges(rows, &Row::b), 20, 1) << "ten periods of 1 kHz in 10 ms";

    const std::wstring folder = FolderFromEnvironment("VEXA_SCOPE_TEXT_DIR");
    if (!folder.empty()) {
        const std::wstring path = folder + L"\\scope-data.txt";
        DeleteFileW(path.c_str());
        const std::wstring text = CopyDataText();
        ASSERT_EQ(ParseTable(text).value_or(Table{}).size(), 1001u);
        std::ofstream(path.c_str(), std::ios::binary) << std::string(text.begin(), text.end());
    }
}

TEST_F(Oscilloscope, GroundedChannelShowsZeroWhileTheOtherStays)
{
    ASSERT_NO_FATAL_FAILURE(OpenScope(kTimeBase1ms));
    ASSERT_TRUE(SquareOnA(DataUntil(SquareOnA)));
    SendMessageW(panel, WM_COMMAND, kCouplingGnd, 0);  // channel A is the selected one
    const auto groundedA = [](const Table& rows) {
        return rows.size() == 1001 && Peak(rows, &Row::a) == 0.0 && std::fabs(Peak(rows, &Row::b) - 1.0) <= 0.03;
    };
    Table rows = DataUntil(groundedA);
    EXPECT_TRUE(groundedA(rows)) << "A's peak " << Peak(rows, &Row::a) << " V, B's " << Peak(rows, &Row::b) << " V";

    SendMessageW(panel, WM_COMMAND, kFirstTab + 1, 0);
    SendMessageW(panel, WM_COMMAND, kCouplingGnd, 0);
    SendMessageW(panel, WM_COMMAND, kFirstTab, 0);
    SendMessageW(panel, WM_COMMAND, kCouplingDc, 0);
    const auto groundedB = [](const Table& rows) { return SquareOnA(rows) && Peak(rows, &Row::b) == 0.0; };
    rows = DataUntil(groundedB);
    EXPECT_TRUE(groundedB(rows)) << "A's peak " << Peak(rows, &Row::a) << " V, B's " << Peak(rows, &Row::b) << " V";
}

TEST_F(Oscilloscope, SingleShotHoldsAfterOneRecord)
{
    ASSERT_NO_FATAL_FAILURE(OpenScope(kTimeBase1ms));
    const Table first = DataUntil(SquareOnA);
    ASSERT_TRUE(SquareOnA(first));
    // Records start when armed, so the running scope shows the sine at other phases.
    const auto changed = [&](const Table& rows) {
        return SquareOnA(rows) && !std::equal(rows.begin(), rows.end(), first.begin(),
                                              [](const Row& x, const Row& y) { return x.b == y.b; });
    };
    ASSERT_TRUE(changed(DataUntil(changed))) << "the data never changed while running";

    SetCursorPos(0, GetSystemMetrics(SM_CYSCREEN) - 1);  // no control drawn as hovered
    const std::vector<COLORREF> running = ControlPixels(kHotCheck, kStopCheck);
    Click(kHotCheck, kSingleCheck);
    EXPECT_TRUE(PumpUntil([&] { return ControlPixels(kHotCheck, kStopCheck) != running; }, 5000))
        << "the STOP check never showed the hold";
    PumpUntil([] { return false; }, 200);  // the simulator's count catches up with its last answer
    const int readsAtHold = recordReads.load();
    EXPECT_GT(readsAtHold, 0);
    const std::wstring held = CopyDataText();
    ASSERT_EQ(ParseTable(held).value_or(Table{}).size(), 1001u);

    PumpUntil([] { return false; }, 1500);
    EXPECT_EQ(CopyDataText(), held) << "the held screen changed";
    EXPECT_EQ(recordReads.load(), readsAtHold) << "records were still read while holding";
}

TEST_F(Oscilloscope, FourChannelsShowCAndD)
{
    ASSERT_NO_FATAL_FAILURE(OpenScope(kTimeBase1ms));
    ASSERT_TRUE(SquareOnA(DataUntil(SquareOnA)));
    PumpUntil([] { return false; }, 300);  // the record reaches the screen
    EXPECT_EQ(ScreenPixelsOf(kColourC), 0u) << "C's colour on a two-channel screen";
    EXPECT_EQ(ScreenPixelsOf(kColourD), 0u) << "D's colour on a two-channel screen";

    Click(kHotCheck, kFourChannelsCheck);
    EXPECT_TRUE(PumpUntil([&] { return ScreenPixelsOf(kColourC) > 100 && ScreenPixelsOf(kColourD) > 100; }, 6000))
        << "C shows " << ScreenPixelsOf(kColourC) << " pixels, D " << ScreenPixelsOf(kColourD);
    // The table stays that of A and B.
    EXPECT_TRUE(SquareOnA(DataUntil(SquareOnA)));
}

TEST_F(Oscilloscope, RollModeFillsTheScreenFromTheLeft)
{
    ASSERT_NO_FATAL_FAILURE(OpenScope(kTimeBase1s));
    const auto started = [](const Table& rows) {
        return rows.size() == 501 && FilledFromTheLeft(rows).first > 0 && FilledFromTheLeft(rows).second;
    };
    const Table early = DataUntil(started);
    ASSERT_TRUE(started(early)) << "no rolling screen of 501 samples began";
    EXPECT_NEAR(early[1].t, 0.02, 1e-9) << "10 s across 500 steps";
    const size_t before = FilledFromTheLeft(early).first;

    PumpUntil([] { return false; }, 1500);
    const Table later = ParseTable(CopyDataText()).value_or(Table{});
    ASSERT_EQ(later.size(), 501u);
    const auto [after, prefix] = FilledFromTheLeft(later);
    EXPECT_TRUE(prefix) << "samples came in other than from the left";
    EXPECT_GE(after, before + 40) << "1.5 s at 20 ms a sample; " << before << " then " << after;
    EXPECT_LT(after, 501u);
    // The newest samples are the square's (the first may predate the range).
    for (size_t i = after - std::min<size_t>(after, 20); i < after; ++i)
        ASSERT_NEAR(std::fabs(later[i].a), 2.0, 0.06) << "sample " << i;
}

}  // namespace
