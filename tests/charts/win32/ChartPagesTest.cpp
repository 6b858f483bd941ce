// The chart property pages on the resource library's templates and texts,
// worked by a second thread while the test's thread sits in the sheet's modal
// loop. With VEXA_PICTURES set to a folder, PicturesOfEveryPage saves each
// page there, named with the user's language.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>
#include <prsht.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "../../WineFolder.h"
#include "Capture.h"
#include "charts/ChartModel.h"
#include "charts/ChartPageRules.h"
#include "charts/win32/ChartPages.h"
#include "framework/UserInteraction.h"
#include "framework/win32/WinApp.h"
#include "framework/win32/Win32Services.h"

namespace {

constexpr int kMinimum = 100, kMaximum = 101, kStep = 102, kSubdivisions = 103, kAutomatic = 200;
constexpr int kVerticalLine = 300, kSignalList = 302, kStyleButton = 202;
constexpr int kLabelText = 100, kFontButton = 200, kFramed = 300;
constexpr int kLineCombo = 300, kWidth = 100;
constexpr uint32_t kAllPages = kPageScale | kPageGrid | kPageZeroLines | kPageSignals;
constexpr uint32_t kTextChartCaption = 3145, kTextLabelCaption = 3146, kTextStyleCaption = 3147;

std::wstring Wide16(const CString& text)
{
    return std::wstring(text.begin(), text.end());
}

std::wstring Text(HWND window)
{
    wchar_t text[512] = {};
    GetWindowTextW(window, text, 511);
    return text;
}

std::wstring LoadedText(uint32_t id)
{
    return Wide16(CResourceStrings().LoadText(id));
}

// The caption of the style sheet of the signal named "A".
std::wstring StyleCaption()
{
    CResourceStrings strings;
    return Wide16(FormatText(strings, kTextStyleCaption, {u"A"}));
}

bool WaitFor(const std::function<bool()>& done, int timeoutMs = 5000)
{
    for (int waited = 0; waited < timeoutMs; waited += 10) {
        if (done())
            return true;
        Sleep(10);
    }
    return done();
}

// ---------------------------------------------------------------- the hand

// Runs a script in a second thread against the dialogs the test's thread
// opens; whatever it leaves open is closed afterwards, so that the test's
// thread returns even when the script failed.
class Hand {
public:
    explicit Hand(std::function<void(Hand&)> script)
        : m_windowThread(GetCurrentThreadId()), m_thread([this, script] {
              script(*this);
              CloseLeftovers();
          })
    {
    }
    ~Hand() { m_thread.join(); }

    // The visible dialog of the test's thread with that caption.
    HWND WaitForDialog(const std::wstring& caption)
    {
        HWND found = nullptr;
        WaitFor([&] {
            found = FindWindowW(L"#32770", caption.c_str());
            return found && IsWindowVisible(found);
        });
        return found && IsWindowVisible(found) ? found : nullptr;
    }
    // A visible dialog that `owner` owns (a message box, the font dialog).
    HWND WaitForOwned(HWND owner)
    {
        HWND found = nullptr;
        WaitFor([&] {
            for (HWND dialog : Dialogs())
                if (GetWindow(dialog, GW_OWNER) == owner)
                    found = dialog;
            return found != nullptr;
        });
        return found;
    }
    // The message a box owned by `owner` shows; the box is answered with OK.
    std::wstring AnswerMessage(HWND owner)
    {
        HWND box = WaitForOwned(owner);
        if (!box)
            return L"(no message)";
        const std::wstring text = Text(GetDlgItem(box, 0xFFFF));
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        WaitFor([&] { return !IsWindow(box); });
        return text;
    }
    static HWND Page(HWND sheet) { return PropSheet_GetCurrentPageHwnd(sheet); }
    // Posted, since a refusal opens a message box before the press returns.
    static void Press(HWND sheet, int button) { PostMessageW(sheet, PSM_PRESSBUTTON, button, 0); }
    static bool WaitClosed(HWND window) { return WaitFor([&] { return !IsWindow(window); }); }
    static bool Close(HWND sheet, int button)
    {
        Press(sheet, button);
        return WaitClosed(sheet);
    }
    static void Type(HWND page, int id, const wchar_t* text) { SetDlgItemTextW(page, id, text); }
    // Chooses an item of a drop-down list as the user's choice does: with its notification.
    static void Choose(HWND page, int id, int index)
    {
        SendDlgItemMessageW(page, id, CB_SETCURSEL, WPARAM(index), 0);
        SendMessageW(page, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), LPARAM(GetDlgItem(page, id)));
    }
    // A button pressed without waiting for what it opens.
    static void Click(HWND page, int id)
    {
        PostMessageW(page, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), LPARAM(GetDlgItem(page, id)));
    }
    HWND Focus() const
    {
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        return GetGUIThreadInfo(m_windowThread, &info) ? info.hwndFocus : nullptr;
    }

private:
    void CloseLeftovers()
    {
        WaitFor([&] {
            const std::vector<HWND> open = Dialogs();
            for (HWND dialog : open)
                PostMessageW(dialog, WM_CLOSE, 0, 0);
            if (!open.empty())
                Sleep(100);
            return open.empty();
        });
    }
    static BOOL CALLBACK NoteDialog(HWND window, LPARAM dialogs)
    {
        wchar_t kind[16] = {};
        GetClassNameW(window, kind, 15);
        if (IsWindowVisible(window) && !wcscmp(kind, L"#32770"))
            reinterpret_cast<std::vector<HWND>*>(dialogs)->push_back(window);
        return TRUE;
    }
    // The visible dialogs of the test's thread.
    std::vector<HWND> Dialogs() const
    {
        std::vector<HWND> dialogs;
        EnumThreadWindows(m_windowThread, NoteDialog, reinterpret_cast<LPARAM>(&dialogs));
        return dialogs;
    }

    DWORD m_windowThread;
    std::thread m_thread;
};

// ---------------------------------------------------------------- fixture

class ChartPages : public ::testing::Test {
protected:
    ChartPages()
    {
        library = LoadLibraryExW(BesideMe(L"VexaRes.dll").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        app.m_hResource = library;
        app.m_language = GetUserDefaultUILanguage();
        CChartSignal a;
        a.name = u"A\nChannel A";
        a.pen = {ChartPen::solid, 1, 0, 0x0000FF};
        CChartSignal b;
        b.nameId = 57344;  // the product's name, a text every resource library has
        b.visible = false;
        chart.signals = {a, b};
    }
    ~ChartPages() override
    {
        if (library)
            FreeLibrary(library);
    }
    void SetUp() override { ASSERT_NE(library, nullptr) << "VexaRes.dll beside the test"; }

    CAxis& Axis() { return *chart.VerticalAxes()[0]; }
    std::wstring ChartCaption() { return LoadedText(kTextChartCaption); }
    // Runs the chart's sheet with those pages and a script for it.
    bool EditChart(uint32_t pages, const std::function<void(Hand&, HWND sheet)>& script)
    {
        Hand hand([&](Hand& h) { script(h, h.WaitForDialog(ChartCaption())); });
        return EditChartProperties(nullptr, chart, Axis(), pages);
    }

    CWinApp app;
    HMODULE library = nullptr;
    CChartModel chart;
};

// ---------------------------------------------------------------- scale

TEST_F(ChartPages, ScalePageSetsTheTypedRangeOnOk)
{
    EXPECT_TRUE(EditChart(kPageScale | kPageGrid, [&](Hand& h, HWND sheet) {
        HWND page = h.Page(sheet);
        EXPECT_EQ(Text(GetDlgItem(page, kMinimum)), L"0");
        EXPECT_EQ(Text(GetDlgItem(page, kStep)), L"20");
        EXPECT_EQ(Text(GetDlgItem(page, kSubdivisions)), L"1");
        h.Type(page, kMinimum, L"-5");
        h.Type(page, kMaximum, L"5");
        h.Type(page, kStep, L"2.5");
        h.Type(page, kSubdivisions, L"4");
        EXPECT_TRUE(h.Close(sheet, PSBTN_OK));
    }));
    EXPECT_EQ(Axis().RangeSet(), (AxisRange{-5, 5, 2.5, 1}));
    EXPECT_EQ(Axis().minorSubdivisions, 4);
    EXPECT_TRUE(Axis().LayoutDirty());
    EXPECT_TRUE(chart.needsLayout);
}

TEST_F(ChartPages, ABadRangeIsRefusedAndTheUserStaysOnTheField)
{
    const AxisRange before = Axis().RangeSet();
    EXPECT_FALSE(EditChart(kPageScale, [&](Hand& h, HWND sheet) {
        HWND page = h.Page(sheet);
        h.Type(page, kMaximum, L"-1");
        h.Press(sheet, PSBTN_OK);
        EXPECT_EQ(h.AnswerMessage(sheet), LoadedText(kTextPageMaximumNotAbove));
        Sleep(100);
        EXPECT_TRUE(IsWindowVisible(sheet) && h.Page(sheet) == page) << "the sheet stays on the page";
        HWND field = GetDlgItem(page, kMaximum);
        EXPECT_EQ(h.Focus(), field) << "the refused field has the focus";
        EXPECT_EQ(DWORD(SendMessageW(field, EM_GETSEL, 0, 0)), DWORD(MAKELONG(0, 2))) << "and is selected for typing over";
        // The automatic range of 3 to 97, then Cancel: nothing of it stays.
        h.Type(page, kMinimum, L"3");
        h.Type(page, kMaximum, L"97");
        SendDlgItemMessageW(page, kAutomatic, BM_CLICK, 0, 0);
        EXPECT_EQ(Text(GetDlgItem(page, kStep)), L"10");
        h.Close(sheet, PSBTN_CANCEL);
    }));
    EXPECT_EQ(Axis().RangeSet(), before);
}

TEST_F(ChartPages, LogarithmicAxisTakesWholeDecadesOnApply)
{
    Axis().SetFlags(Axis().Flags() | kAxisLogarithmic);
    Axis().SetRangeSet({1, 10, 1, 1});
    AxisRange applied;
    EXPECT_TRUE(EditChart(kPageScale, [&](Hand& h, HWND sheet) {
        HWND page = h.Page(sheet);
        EXPECT_EQ(GetDlgItem(page, kStep), nullptr) << "no step on a logarithmic axis";
        h.Type(page, kMinimum, L"2");
        h.Type(page, kMaximum, L"500");
        SendMessageW(sheet, PSM_PRESSBUTTON, PSBTN_APPLYNOW, 0);
        EXPECT_EQ(Text(GetDlgItem(page, kMinimum)), L"1");
        EXPECT_EQ(Text(GetDlgItem(page, kMaximum)), L"1000");
        applied = Axis().RangeSet();
        h.Close(sheet, PSBTN_CANCEL);
    })) << "applied, then cancelled";
    EXPECT_EQ(applied, (AxisRange{1, 1000, 1, 1}));
    EXPECT_EQ(Axis().RangeSet(), applied) << "Cancel after Apply keeps what was applied";
}

// ---------------------------------------------------------------- grid and signals

TEST_F(ChartPages, GridPageSwitchesALineOff)
{
    const ChartPen horizontal = chart.horizontalGridPen;
    EXPECT_TRUE(EditChart(kPageGrid, [&](Hand& h, HWND sheet) {
        HWND page = h.Page(sheet);
        const LRESULT items = SendDlgItemMessageW(page, kVerticalLine, CB_GETCOUNT, 0, 0);
        EXPECT_EQ(items, 7) << "six line styles and none";
        h.Choose(page, kVerticalLine, int(items) - 1);
        h.Close(sheet, PSBTN_OK);
    }));
    EXPECT_EQ(chart.verticalGridPen.style, uint32_t(ChartPen::none));
    EXPECT_EQ(chart.verticalGridPen.colour, 0u);
    EXPECT_EQ(chart.horizontalGridPen, horizontal);
}

TEST_F(ChartPages, SignalChecksAreTheVisibleFlagsAndStyleEditsTheSelectedOne)
{
    EXPECT_TRUE(EditChart(kPageSignals, [&](Hand& h, HWND sheet) {
        HWND list = GetDlgItem(h.Page(sheet), kSignalList);
        wchar_t names[2][64] = {};
        for (int i = 0; i < 2; ++i)
            ListView_GetItemText(list, i, 0, names[i], 63);
        EXPECT_STREQ(names[0], L"Channel A") << "the long form of the name";
        EXPECT_EQ(names[1], LoadedText(57344)) << "the resource text of a signal without a name";
        EXPECT_TRUE(ListView_GetCheckState(list, 0));
        EXPECT_FALSE(ListView_GetCheckState(list, 1));
        ListView_SetCheckState(list, 0, FALSE);
        ListView_SetCheckState(list, 1, TRUE);
        // The first signal is selected; its style in the nested sheet.
        h.Click(h.Page(sheet), kStyleButton);
        HWND style = h.WaitForDialog(StyleCaption());
        h.Type(h.Page(style), kWidth, L"2");
        h.Close(style, PSBTN_OK);
        h.Close(sheet, PSBTN_OK);
    }));
    EXPECT_FALSE(chart.signals[0].visible);
    EXPECT_TRUE(chart.signals[1].visible);
    EXPECT_EQ(chart.signals[0].pen.width, 2);
}

TEST_F(ChartPages, CancelLeavesEveryPageUnchanged)
{
    const auto signals = chart.signals;
    const AxisRange range = Axis().RangeSet();
    const ChartPen zero = chart.verticalZeroPen;
    EXPECT_FALSE(EditChart(kAllPages, [&](Hand& h, HWND sheet) {
        h.Type(h.Page(sheet), kMaximum, L"50");
        PropSheet_SetCurSel(sheet, nullptr, 2);  // zero lines
        h.Choose(h.Page(sheet), kVerticalLine, 1);
        PropSheet_SetCurSel(sheet, nullptr, 3);  // signals
        ListView_SetCheckState(GetDlgItem(h.Page(sheet), kSignalList), 0, FALSE);
        h.Click(h.Page(sheet), kStyleButton);
        HWND style = h.WaitForDialog(StyleCaption());
        h.Type(h.Page(style), kWidth, L"7");
        h.Close(style, PSBTN_OK);
        h.Close(sheet, PSBTN_CANCEL);
    }));
    EXPECT_EQ(chart.signals, signals);
    EXPECT_EQ(Axis().RangeSet(), range);
    EXPECT_EQ(chart.verticalZeroPen, zero);
}

// ---------------------------------------------------------------- signal style

TEST_F(ChartPages, StylePagesListTheStylesAndRefuseAWidthOverTen)
{
    CChartSignal signal = chart.signals[0];
    {
        Hand hand([&](Hand& h) {
            HWND sheet = h.WaitForDialog(StyleCaption());
            HWND line = h.Page(sheet);
            EXPECT_EQ(SendDlgItemMessageW(line, kLineCombo, CB_GETCOUNT, 0, 0), 7);
            h.Choose(line, kLineCombo, 1);  // dashes
            h.Type(line, kWidth, L"11");
            h.Press(sheet, PSBTN_OK);
            EXPECT_EQ(h.AnswerMessage(sheet), LoadedText(kTextPageWidth));
            h.Type(line, kWidth, L"3");
            PropSheet_SetCurSel(sheet, nullptr, 1);
            HWND bars = h.Page(sheet);
            EXPECT_EQ(SendDlgItemMessageW(bars, kLineCombo, CB_GETCOUNT, 0, 0), 4) << "line, bars, steps, points";
            h.Choose(bars, kLineCombo, 2);  // steps
            h.Close(sheet, PSBTN_OK);
        });
        EXPECT_TRUE(EditSignalStyle(nullptr, signal));
    }
    EXPECT_EQ(signal.pen, (ChartPen{ChartPen::dash, 3, 0, 0x0000FF}));
    EXPECT_EQ(signal.barStyle, BarStyle::steps);
}

// ---------------------------------------------------------------- label

class LabelPage : public ChartPages {
protected:
    LabelPage()
    {
        label.text = u"Two\nlines";
        label.font.faceName = u"Tahoma";
        label.font.height = -10;
        label.font.weight = FW_BOLD;
        label.textColour = 0x804020;
        label.backgroundColour = 0xE0FFFF;
        label.frame = 0;
    }
    // Runs the label's sheet with a script for its page.
    bool Edit(const std::function<void(Hand&, HWND sheet, HWND page)>& script)
    {
        Hand hand([&](Hand& h) {
            HWND sheet = h.WaitForDialog(LoadedText(kTextLabelCaption));
            script(h, sheet, h.Page(sheet));
            h.WaitClosed(sheet);
        });
        return EditLabel(nullptr, label);
    }
    CLabel label;
};

TEST_F(LabelPage, UntouchedChangesNothingNotEvenTheLineBreaks)
{
    EXPECT_FALSE(Edit([&](Hand& h, HWND sheet, HWND page) {
        EXPECT_EQ(Text(GetDlgItem(page, kLabelText)), L"Two\r\nlines");
        h.Press(sheet, PSBTN_OK);
    }));
    EXPECT_EQ(label.text, u"Two\nlines");
}

TEST_F(LabelPage, TextAndFrameComeBackAndTheFontSurvivesItsDialog)
{
    const FontRecord font = label.font;
    EXPECT_TRUE(Edit([&](Hand& h, HWND sheet, HWND page) {
        h.Click(page, kFontButton);
        HWND dialog = h.WaitForOwned(sheet);
        EXPECT_NE(dialog, nullptr) << "the font dialog";
        PostMessageW(dialog, WM_COMMAND, IDOK, 0);
        h.WaitClosed(dialog);
        h.Type(page, kLabelText, L"New\r\ntext");
        SendDlgItemMessageW(page, kFramed, BM_CLICK, 0, 0);
        h.Press(sheet, PSBTN_OK);
    }));
    EXPECT_EQ(label.text, u"New\r\ntext");
    EXPECT_EQ(label.frame, CLabel::kFramed);
    EXPECT_EQ(label.font, font) << "size in points, face and weight through LOGFONT and back";
    EXPECT_EQ(label.textColour, 0x804020u);
    EXPECT_EQ(label.backgroundColour, 0xE0FFFFu);
}

// ---------------------------------------------------------------- pictures

// Saves the sheet with each of its pages in front; the open drop-down lists too.
void SaveSheet(Hand& h, HWND sheet, const std::wstring& folder, const std::wstring& prefix, int pages)
{
    const std::wstring language = PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_GERMAN ? L"-de" : L"-en";
    for (int i = 0; i < pages; ++i) {
        PropSheet_SetCurSel(sheet, nullptr, i);
        Sleep(300);
        const std::wstring name = prefix + L"-" + std::to_wstring(i) + language;
        CaptureWindowToPng(sheet, folder + L"\\" + name + L".png");
        HWND combo = GetDlgItem(h.Page(sheet), kLineCombo);
        if (combo && SendMessageW(combo, CB_GETCOUNT, 0, 0) > 0) {
            SendMessageW(combo, CB_SHOWDROPDOWN, TRUE, 0);
            Sleep(300);
            COMBOBOXINFO info{};
            info.cbSize = sizeof info;
            GetComboBoxInfo(combo, &info);
            CaptureWindowToPng(info.hwndList, folder + L"\\" + name + L"-list.png");
            SendMessageW(combo, CB_SHOWDROPDOWN, FALSE, 0);
        }
    }
    h.Close(sheet, PSBTN_CANCEL);
}

TEST_F(ChartPages, PicturesOfEveryPage)
{
    const std::wstring folder = FolderFromEnvironment("VEXA_PICTURES");
    if (folder.empty())
        GTEST_SKIP() << "VEXA_PICTURES names no folder";
    EditChart(kAllPages, [&](Hand& h, HWND sheet) { SaveSheet(h, sheet, folder, L"chart", 4); });
    Axis().SetFlags(Axis().Flags() | kAxisLogarithmic);
    Axis().SetRangeSet({0.01, 1000, 1, 1});
    EditChart(kPageScale, [&](Hand& h, HWND sheet) { SaveSheet(h, sheet, folder, L"chart-log", 1); });
    {
        CLabel label;
        label.text = u"U = 5 V\nf = 1 kHz";
        label.font.height = -12;
        label.font.weight = FW_BOLD;
        label.font.faceName = u"Arial";
        label.textColour = 0x802000;
        label.backgroundColour = 0xD0F0FF;
        label.frame = CLabel::kFramed;
        Hand hand([&](Hand& h) { SaveSheet(h, h.WaitForDialog(LoadedText(kTextLabelCaption)), folder, L"label", 1); });
        EditLabel(nullptr, label);
    }
    {
        Hand hand([&](Hand& h) { SaveSheet(h, h.WaitForDialog(StyleCaption()), folder, L"style", 2); });
        EditSignalStyle(nullptr, chart.signals[0]);
    }
}

}  // namespace
