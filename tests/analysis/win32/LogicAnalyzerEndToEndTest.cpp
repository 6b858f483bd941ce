// The logic analyzer against the simulator's digital loopback, read through
// the chart's "data as text". With VEXA_PICTURES set to a folder, pictures of
// the sheet's pages, the counter dialog and the timing diagram are saved there.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

#include <algorithm>
#include <atomic>
#include <cwchar>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "../../WineFolder.h"
#include "../../instruments/PlugInHarness.h"
#include "Capture.h"
#include "charts/ChartCommands.h"

namespace {

using namespace harness;

constexpr UINT kLogicAnalyzer = 10105;
constexpr UINT kSettings = 50, kRun = 401, kOneMillisecond = 23;
constexpr UINT kCounterGenerator = 507;
constexpr int kStepList = 402, kCounterEnd = 152;
const std::wstring kSheetTitle = L"Logic Analyzer Settings";
const std::wstring kCounterTitle = L"Counter";

BOOL CALLBACK FindStepList(HWND child, LPARAM found)
{
    if (GetDlgCtrlID(child) != kStepList)
        return TRUE;
    *reinterpret_cast<HWND*>(found) = child;
    return FALSE;
}

// The rows of numbers below the header line.
std::vector<std::vector<double>> ParseRows(std::wstring text)
{
    std::replace(text.begin(), text.end(), L',', L'.');
    std::vector<std::vector<double>> rows;
    size_t start = text.find(L"\r\n");
    while (start != std::wstring::npos && start + 2 < text.size()) {
        start += 2;
        const size_t end = text.find(L"\r\n", start);
        const std::wstring line = text.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start);
        std::vector<double> row;
        const wchar_t* p = line.c_str();
        wchar_t* next = nullptr;
        for (double v = std::wcstod(p, &next); next != p; v = std::wcstod(p, &next)) {
            row.push_back(v);
            p = next;
        }
        rows.push_back(row);
        start = end;
    }
    return rows;
}

void SavePicture(HWND window, const wchar_t* name)
{
    const std::wstring path = FolderFromEnvironment("VEXA_PICTURES");
    if (!path.empty() && window)
        CaptureWindowToPng(window, path + L"\\" + name);
}

// The user's hands in the sheet, from a thread of their own while the
// sheet runs its modal loop: the counter generator 0 to 15, then OK.
void MakeCounterPattern(std::atomic<bool>& done, std::atomic<bool>& ok)
{
    HWND sheet = AwaitWindow(kSheetTitle);
    HWND list = nullptr;
    if (sheet)
        EnumChildWindows(sheet, FindStepList, reinterpret_cast<LPARAM>(&list));
    if (list) {
        PostMessageW(GetParent(list), WM_COMMAND, MAKEWPARAM(kCounterGenerator, BN_CLICKED), 0);
        if (HWND counter = AwaitWindow(kCounterTitle)) {
            SetDlgItemTextW(counter, kCounterEnd, L"15");
            SavePicture(counter, L"logic-counter.png");
            PostMessageW(counter, WM_COMMAND, IDOK, 0);
            for (int i = 0; i < 250 && SendMessageW(list, LB_GETCOUNT, 0, 0) != 16; ++i)
                Sleep(20);
            ok = SendMessageW(list, LB_GETCOUNT, 0, 0) == 16;
            SavePicture(sheet, L"logic-pattern.png");
            if (!FolderFromEnvironment("VEXA_PICTURES").empty()) {
                PostMessageW(sheet, PSM_SETCURSEL, 1, 0);
                Sleep(500);
                SavePicture(sheet, L"logic-trigger.png");
            }
        }
    }
    if (sheet)
        PostMessageW(sheet, PSM_PRESSBUTTON, ok ? PSBTN_OK : PSBTN_CANCEL, 0);
    done = true;
}

class LogicAnalyzer : public PlugInWithSimulator {};

TEST_F(LogicAnalyzer, RecordsTheCounterPatternItPlaysOnTheLoopback)
{
    HWND analyzer = Open(kLogicAnalyzer, L"LOGIC ANALYZER");
    ASSERT_NE(analyzer, nullptr);
    const std::vector<HWND> charts = ChartWindows(analyzer);
    ASSERT_EQ(charts.size(), 1u);

    std::atomic<bool> done{false}, ok{false};
    std::thread hands(MakeCounterPattern, std::ref(done), std::ref(ok));
    PostMessageW(analyzer, WM_COMMAND, kSettings, 0);
    PumpUntil([&] { return done.load() && !FindWindowTitled(kSheetTitle); }, 15000);
    hands.join();
    ASSERT_TRUE(ok) << "the counter's 16 steps in the editor";

    // From here on any message box is a fault, answered and kept.
    MessageBoxAnswerer answerer;
    SendMessageW(analyzer, WM_COMMAND, kOneMillisecond, 0);
    PostMessageW(analyzer, WM_COMMAND, kRun, 0);
    std::vector<std::vector<double>> rows;
    PumpUntil([&] {
        ClearClipboard();
        SendMessageW(charts[0], WM_COMMAND, ID_CHART_COPY_TEXT, 0);
        rows = ParseRows(ClipboardText());
        return rows.size() == 16 && rows.back().size() == 3 && rows.back()[1] == 15;
    }, 10000);
    EXPECT_TRUE(answerer.Texts().empty()) << "no message while running";
    ASSERT_EQ(rows.size(), 16u) << "the record is as long as the pattern";
    for (size_t i = 0; i < rows.size(); ++i) {
        ASSERT_EQ(rows[i].size(), 3u) << "time, input word, output word in row " << i;
        EXPECT_NEAR(rows[i][0], 0.001 * double(i), 1e-9);
        EXPECT_EQ(rows[i][1], double(i)) << "the inputs show the binary count";
        EXPECT_EQ(rows[i][2], double(i)) << "the pattern's word at that sample";
    }
    PumpUntil([] { return false; }, 300);
    SavePicture(analyzer, L"10105.png");
}

}  // namespace
