// Exporting a chart under Windows, on the resource library's texts and
// dialogs, to files (check_export_files.py reads them afterwards with tools
// that did not write them) and to the clipboard; dialogs are worked by a
// second hand. VEXA_EXPORT_DIR names the folder for the files; with
// VEXA_PICTURES set to a folder, pictures of the dialogs are saved there.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <functional>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "../../WineFolder.h"
#include "Capture.h"
#include "charts/win32/ChartExport.h"
#include "framework/win32/WinApp.h"

namespace {

// ---------------------------------------------------------------- places

std::wstring ExportFolder()
{
    static const std::wstring folder = [] {
        const std::wstring f = FolderFromEnvironment("VEXA_EXPORT_DIR");
        return f.empty() ? std::filesystem::temp_directory_path().wstring() : f;
    }();
    return folder;
}

CString ExportPath(const wchar_t* name)
{
    const std::wstring path = ExportFolder() + L"\\" + name;
    DeleteFileW(path.c_str());
    return FromWide(path.c_str());
}

std::string Narrow(const std::wstring& text)
{
    std::string out;
    for (wchar_t c : text)
        out += c < 0x80 ? char(c) : '?';
    return out;
}

std::vector<uint8_t> FileBytes(const CString& path)
{
    std::ifstream file(std::filesystem::path(Wide(path)), std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(file), {});
}

bool Exists(const CString& path)
{
    return GetFileAttributesW(Wide(path)) != INVALID_FILE_ATTRIBUTES;
}

std::wstring DecimalSign()
{
    wchar_t decimal[4] = {};
    GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, decimal, 4);
    return decimal;
}

// The clipboard's Unicode text; empty when there is none.
std::u16string ClipboardText()
{
    std::u16string text;
    if (!OpenClipboard(nullptr))
        return text;
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT))
        if (const auto* chars = static_cast<const char16_t*>(GlobalLock(data))) {
            text = chars;
            GlobalUnlock(data);
        }
    CloseClipboard();
    return text;
}

// ---------------------------------------------------------------- the chart

// The data a chart writes: titles with points in them and decimals.
constexpr char16_t kData[] = u"t/s\tCh. A/V\tCh. B/mA\r\n0.5\t1.25\t-0.125\r\n1\t2.5\t0\r\n";

// Draws a frame around the area, its diagonal from top left to bottom right
// and a caption in the lower left; remembers how it was asked to draw.
class FakeChart : public IExportableChart {
public:
    struct Drawing {
        RECT area;
        int resolutionX, resolutionY;
    };

    HWND ExportOwner() const override { return owner; }
    CExport& ExportSettings() override { return settings; }
    void DrawForExport(HDC dc, const RECT& area, int resolutionX, int resolutionY) override
    {
        drawings.push_back({area, resolutionX, resolutionY});
        HPEN pen = CreatePen(PS_SOLID, 3, RGB(0, 0, 0));
        const HGDIOBJ oldPen = SelectObject(dc, pen);
        const HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
        Rectangle(dc, area.left, area.top, area.right, area.bottom);
        MoveToEx(dc, area.left, area.top, nullptr);
        LineTo(dc, area.right, area.bottom);
        const int width = area.right - area.left, height = area.bottom - area.top;
        SetBkMode(dc, TRANSPARENT);
        TextOutW(dc, area.left + width / 16, area.top + height * 3 / 4, L"U = 0.5 V", 9);
        SelectObject(dc, oldBrush);
        SelectObject(dc, oldPen);
        DeleteObject(pen);
    }
    void WriteDataText(CMemStream& out) override { out << kData; }

    HWND owner = nullptr;
    CExport settings;
    std::vector<Drawing> drawings;
};

// ---------------------------------------------------------------- hands

BOOL CALLBACK Collect(HWND window, LPARAM windows)
{
    reinterpret_cast<std::vector<HWND>*>(windows)->push_back(window);
    return TRUE;
}

std::vector<HWND> TopLevelWindows()
{
    std::vector<HWND> all;
    EnumWindows(Collect, reinterpret_cast<LPARAM>(&all));
    return all;
}

// The title of a visible dialog of this process, or none. Read without
// sending messages: the window's thread may be the one waiting for this thread.
std::optional<std::wstring> DialogTitle(HWND window)
{
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    wchar_t kind[16] = {}, title[128] = {};
    GetClassNameW(window, kind, 15);
    if (process != GetCurrentProcessId() || std::wstring(kind) != L"#32770" || !IsWindowVisible(window))
        return std::nullopt;
    InternalGetWindowText(window, title, 127);
    return title;
}

// The application's message boxes are titled as the application.
bool IsMessageBox(HWND window)
{
    return DialogTitle(window) == L"Vexa";
}

// Answers this process's message boxes with OK from a thread of its own and
// keeps their texts: no user is here.
class MessageAnswerer {
public:
    MessageAnswerer() : m_thread([this] { Run(); }) {}
    ~MessageAnswerer()
    {
        m_stop = true;
        m_thread.join();
    }
    std::vector<std::wstring> Texts()
    {
        std::lock_guard<std::mutex> g(m_lock);
        return m_texts;
    }
    // Waits until `count` messages have been answered and closed.
    bool WaitFor(size_t count, DWORD timeoutMs = 5000)
    {
        for (DWORD waited = 0; waited < timeoutMs; waited += 10) {
            {
                std::lock_guard<std::mutex> g(m_lock);
                if (m_texts.size() >= count && std::none_of(m_answered.begin(), m_answered.end(), IsWindow))
                    return true;
            }
            Sleep(10);
        }
        return false;
    }

private:
    static BOOL CALLBACK LongestText(HWND child, LPARAM found)
    {
        wchar_t text[512] = {};
        GetWindowTextW(child, text, 511);
        auto* longest = reinterpret_cast<std::wstring*>(found);
        if (wcslen(text) > longest->size())
            *longest = text;
        return TRUE;
    }
    void Run()
    {
        for (; !m_stop; Sleep(20))
            for (HWND window : TopLevelWindows()) {
                if (!IsMessageBox(window))
                    continue;
                {
                    std::lock_guard<std::mutex> g(m_lock);
                    if (m_answered.insert(window).second) {
                        std::wstring text;
                        EnumChildWindows(window, LongestText, reinterpret_cast<LPARAM>(&text));
                        m_texts.push_back(text);
                    }
                }
                PostMessageW(window, WM_COMMAND, IDOK, 0);
            }
    }

    std::atomic<bool> m_stop{false};
    std::mutex m_lock;
    std::set<HWND> m_answered;
    std::vector<std::wstring> m_texts;
    std::thread m_thread;
};

// The visible dialog of this process with that title, waited for.
HWND WaitForDialog(const wchar_t* title, DWORD timeoutMs = 5000)
{
    for (DWORD waited = 0; waited < timeoutMs; waited += 10) {
        HWND dialog = FindWindowW(L"#32770", title);
        if (dialog && IsWindowVisible(dialog))
            return dialog;
        Sleep(10);
    }
    return nullptr;
}

void WaitClosed(HWND window)
{
    for (int i = 0; i < 300 && IsWindow(window); ++i)
        Sleep(10);
}

// A dialog other than a message box that the system opened over owner, or none.
HWND OwnedDialog(HWND owner, std::wstring* title = nullptr)
{
    for (HWND window : TopLevelWindows()) {
        const std::optional<std::wstring> shown = DialogTitle(window);
        if (GetWindow(window, GW_OWNER) == owner && shown && *shown != L"Vexa") {
            if (title)
                *title = *shown;
            return window;
        }
    }
    return nullptr;
}

// Runs open() on this thread while script() works the dialog titled `title`
// from another; a dialog the script leaves open is cancelled, so that a
// failing script cannot hang the test. What open() returned.
bool WithHand(const wchar_t* title, const std::function<void(HWND)>& script, const std::function<bool()>& open)
{
    std::thread hand([&] {
        HWND dialog = WaitForDialog(title);
        if (!dialog) {
            ADD_FAILURE() << "no dialog \"" << Narrow(title) << "\"";
            return;
        }
        script(dialog);
        for (int i = 0; i < 100 && IsWindow(dialog); ++i) {
            if (i == 50)
                PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
            Sleep(20);
        }
    });
    const bool result = open();
    hand.join();
    return result;
}

std::wstring ItemText(HWND dialog, int id)
{
    wchar_t text[512] = {};
    GetDlgItemTextW(dialog, id, text, 511);
    return text;
}

bool Enabled(HWND dialog, int id)
{
    return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE;
}

// A format chosen in the export dialog's list as a click chooses it: with its notification.
void ChooseFormat(HWND dialog, int index)
{
    HWND list = GetDlgItem(dialog, 451);
    SendMessageW(list, LB_SETCURSEL, index, 0);
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(451, LBN_SELCHANGE), LPARAM(list));
}

void SavePicture(HWND window, const wchar_t* name)
{
    const std::wstring folder = FolderFromEnvironment("VEXA_PICTURES");
    if (folder.empty())
        return;
    Sleep(300);  // the picture is taken from the screen: the dialog paints first
    CaptureWindowToPng(window, folder + L"\\" + name);
}

// ---------------------------------------------------------------- pictures read back

// Whether a dark pixel lies within two pixels of (x, y): lines are three wide.
bool DarkNear(HDC dc, int x, int y)
{
    for (int dy = -2; dy <= 2; ++dy)
        for (int dx = -2; dx <= 2; ++dx) {
            const COLORREF c = GetPixel(dc, x + dx, y + dy);
            if (GetRValue(c) < 96 && GetGValue(c) < 96 && GetBValue(c) < 96)
                return true;
        }
    return false;
}

// The frame's corners and the diagonal are there, the other half of the
// picture is empty: the drawing filled the picture the right way up.
void ExpectFrameAndDiagonal(HDC dc, int width, int height)
{
    EXPECT_TRUE(DarkNear(dc, 1, 1));
    EXPECT_TRUE(DarkNear(dc, width - 2, height - 2));
    EXPECT_TRUE(DarkNear(dc, width - 2, 1));
    EXPECT_TRUE(DarkNear(dc, width / 4, height / 4));
    EXPECT_TRUE(DarkNear(dc, width / 2, height / 2));
    EXPECT_TRUE(DarkNear(dc, width * 3 / 4, height * 3 / 4));
    EXPECT_FALSE(DarkNear(dc, width * 3 / 4, height / 4)) << "the diagonal runs from the top left";
    EXPECT_FALSE(DarkNear(dc, width / 2, height / 8));
}

// ---------------------------------------------------------------- fixture

class ChartExport : public ::testing::Test {
protected:
    ChartExport()
    {
        library = LoadLibraryExW(BesideMe(L"VexaRes.dll").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        app.m_hResource = library;
        app.m_language = GetUserDefaultUILanguage();
        static const ATOM windowClass = [] {
            WNDCLASSW wc{};
            wc.lpfnWndProc = DefWindowProcW;
            wc.hInstance = GetModuleHandleW(nullptr);
            wc.lpszClassName = L"ChartExportTestOwner";
            return RegisterClassW(&wc);
        }();
        chart.owner = CreateWindowExW(0, MAKEINTATOM(windowClass), L"Chart", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40,
                                      40, 600, 400, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        chart.settings.AddTextFormat();
    }
    ~ChartExport() override
    {
        DestroyWindow(chart.owner);
        if (library)
            FreeLibrary(library);
    }
    void SetUp() override
    {
        ASSERT_NE(library, nullptr) << "VexaRes.dll beside the test";
        ASSERT_NE(chart.owner, nullptr);
    }

    CExportImageFormat& Image(size_t index)
    {
        return static_cast<CExportImageFormat&>(*chart.settings.formats[index]);
    }

    CWinApp app;
    HMODULE library = nullptr;
    FakeChart chart;
    MessageAnswerer answerer;
};

// ---------------------------------------------------------------- files

TEST_F(ChartExport, FilesOfEachFormatHoldTheChartAtTheChosenSize)
{
    Image(0).width = 120;
    Image(0).height = 90;
    Image(1).width = 400;
    Image(1).height = 300;
    const CString emf = ExportPath(L"chart.emf"), bmp = ExportPath(L"chart.bmp"), txt = ExportPath(L"chart-point.txt");
    ASSERT_TRUE(ExportMetafile(chart, Image(0), CExport::file, emf));
    ASSERT_TRUE(ExportBitmap(chart, Image(1), CExport::file, bmp));
    ASSERT_EQ(DecimalSign(), L".") << "this run is meant for a user with a decimal point";
    ASSERT_TRUE(ExportText(chart, CExport::file, txt));
    EXPECT_TRUE(answerer.Texts().empty());

    // The metafile is laid out in the screen's pixels for 120 x 90 mm, at
    // the screen's own resolution.
    ASSERT_EQ(chart.drawings.size(), 2u);
    HDC screen = GetDC(nullptr);
    const double pixelsPerMm = double(GetDeviceCaps(screen, HORZRES)) / GetDeviceCaps(screen, HORZSIZE);
    const int dpiX = GetDeviceCaps(screen, LOGPIXELSX), dpiY = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    const FakeChart::Drawing& picture = chart.drawings[0];
    EXPECT_NEAR(picture.area.right, 120 * pixelsPerMm, 1.0);
    EXPECT_NEAR(picture.area.right * 25.4 / picture.resolutionX, 120.0, 0.5) << "area and resolution agree";
    EXPECT_NEAR(picture.area.bottom * 25.4 / picture.resolutionY, 90.0, 0.5);
    // The bitmap is drawn pixel for pixel at the screen's logical resolution.
    const FakeChart::Drawing& bitmap = chart.drawings[1];
    EXPECT_EQ(bitmap.area.right, 400);
    EXPECT_EQ(bitmap.area.bottom, 300);
    EXPECT_EQ(bitmap.resolutionX, dpiX);
    EXPECT_EQ(bitmap.resolutionY, dpiY);

    // The text file: the Unicode mark, the data as the chart wrote them and the closing NUL.
    std::vector<uint8_t> expected = {0xFF, 0xFE};
    for (char16_t c : std::u16string(kData) + u'\0') {
        expected.push_back(uint8_t(c));
        expected.push_back(uint8_t(c >> 8));
    }
    EXPECT_EQ(FileBytes(txt), expected);
    // The bitmap's pixels are check_export_files.py's to read.
}

TEST_F(ChartExport, AFileThatCannotBeWrittenIsToldAndNothingIsWritten)
{
    const CString missingFolder = FromWide((ExportFolder() + L"\\no such folder\\chart").c_str());
    const CString folderItself = FromWide(ExportFolder().c_str());
    struct Case {
        const char* what;
        std::function<bool(const CString&)> run;
    };
    const Case cases[] = {
        {"metafile", [&](const CString& p) { return ExportMetafile(chart, Image(0), CExport::file, p); }},
        {"bitmap", [&](const CString& p) { return ExportBitmap(chart, Image(1), CExport::file, p); }},
        {"text", [&](const CString& p) { return ExportText(chart, CExport::file, p); }},
    };
    size_t told = 0;
    for (const Case& c : cases) {
        for (const CString& path : {missingFolder, folderItself}) {
            EXPECT_FALSE(c.run(path)) << c.what;
            ASSERT_TRUE(answerer.WaitFor(++told)) << c.what << ": the user is told";
            const std::wstring message = answerer.Texts().back();
            EXPECT_NE(message.find(Wide(path)), std::wstring::npos) << "the message names the file: " << Narrow(message);
        }
        EXPECT_FALSE(Exists(missingFolder)) << c.what;
    }
    // The chart's settings are the export's input only.
    EXPECT_EQ(chart.settings.destination, uint32_t(CExport::clipboard));
    EXPECT_EQ(chart.settings.formats[2]->fileName, u"");
    EXPECT_EQ(Image(1).width, 400);
}

TEST_F(ChartExport, AReadOnlyFileKeepsItsContent)
{
    const CString path = ExportPath(L"read-only.txt");
    HANDLE file = CreateFileW(Wide(path), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_READONLY, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(file, "keep", 4, &written, nullptr);
    CloseHandle(file);
    // Wine keeps the attribute as the file's write permission, which root
    // passes by: there any program may write the file.
    HANDLE writer = CreateFileW(Wide(path), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (writer != INVALID_HANDLE_VALUE) {
        CloseHandle(writer);
        SetFileAttributesW(Wide(path), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(Wide(path));
        GTEST_SKIP() << "this system lets every program write a read-only file";
    }

    EXPECT_FALSE(ExportText(chart, CExport::file, path));
    EXPECT_TRUE(answerer.WaitFor(1));
    EXPECT_EQ(FileBytes(path), (std::vector<uint8_t>{'k', 'e', 'e', 'p'}));
    SetFileAttributesW(Wide(path), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(Wide(path));
}

TEST_F(ChartExport, ABitmapNoMemoryHoldsIsToldBeforeAnythingIsDrawn)
{
    // Beyond what either system makes a bitmap for, without trying.
    Image(1).width = 1 << 28;
    Image(1).height = 1 << 28;
    const CString path = ExportPath(L"huge.bmp");
    EXPECT_FALSE(ExportBitmap(chart, Image(1), CExport::file, path));
    ASSERT_TRUE(answerer.WaitFor(1));
    EXPECT_NE(answerer.Texts()[0].find(L"memory"), std::wstring::npos) << Narrow(answerer.Texts()[0]);
    EXPECT_TRUE(chart.drawings.empty());
    EXPECT_FALSE(Exists(path));
}

// ---------------------------------------------------------------- clipboard

TEST_F(ChartExport, TheClipboardGetsTextMetafileAndBitmap)
{
    ASSERT_TRUE(ExportText(chart, CExport::clipboard, CString()));
    EXPECT_EQ(ClipboardText(), kData);

    // The copy command: the first format's size, 150 x 150 mm unless changed.
    Image(0).width = 160;
    Image(0).height = 100;
    ASSERT_TRUE(CopyChartPicture(chart));
    ASSERT_TRUE(OpenClipboard(nullptr));
    HENHMETAFILE metafile = HENHMETAFILE(GetClipboardData(CF_ENHMETAFILE));
    ASSERT_NE(metafile, nullptr);
    ENHMETAHEADER header{};
    GetEnhMetaFileHeader(metafile, sizeof header, &header);
    const RECTL& frame = header.rclFrame;
    EXPECT_EQ(std::vector<LONG>({frame.left, frame.top, frame.right, frame.bottom}),
              (std::vector<LONG>{0, 0, 16000, 10000}));
    // Played into a picture of its own proportions, it fills it.
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP target = CreateCompatibleBitmap(screen, 320, 200);
    ReleaseDC(nullptr, screen);
    const HGDIOBJ old = SelectObject(dc, target);
    const RECT all = {0, 0, 320, 200};
    FillRect(dc, &all, HBRUSH(GetStockObject(WHITE_BRUSH)));
    EXPECT_TRUE(PlayEnhMetaFile(dc, metafile, &all));
    CloseClipboard();
    ExpectFrameAndDiagonal(dc, 320, 200);
    SelectObject(dc, old);
    DeleteObject(target);

    Image(1).width = 300;
    Image(1).height = 200;
    ASSERT_TRUE(ExportBitmap(chart, Image(1), CExport::clipboard, CString()));
    ASSERT_TRUE(OpenClipboard(nullptr));
    HBITMAP bitmap = HBITMAP(GetClipboardData(CF_BITMAP));
    ASSERT_NE(bitmap, nullptr);
    BITMAP info{};
    GetObjectW(bitmap, sizeof info, &info);
    EXPECT_EQ(info.bmWidth, 300);
    EXPECT_EQ(info.bmHeight, 200);
    const HGDIOBJ before = SelectObject(dc, bitmap);
    ExpectFrameAndDiagonal(dc, 300, 200);
    SelectObject(dc, before);
    CloseClipboard();
    DeleteDC(dc);
    EXPECT_TRUE(answerer.Texts().empty());
}

TEST_F(ChartExport, AClipboardHeldElsewhereIsToldAndKeepsItsContent)
{
    std::atomic<bool> held{false}, release{false};
    std::thread other([&] {
        if (OpenClipboard(nullptr)) {
            EmptyClipboard();
            held = true;
            while (!release)
                Sleep(10);
            CloseClipboard();
        }
    });
    while (!held)
        Sleep(10);
    EXPECT_FALSE(ExportText(chart, CExport::clipboard, CString()));
    EXPECT_FALSE(CopyChartPicture(chart));
    release = true;
    other.join();
    ASSERT_TRUE(answerer.WaitFor(2));
    EXPECT_NE(answerer.Texts()[0].find(L"clipboard"), std::wstring::npos) << Narrow(answerer.Texts()[0]);
    EXPECT_EQ(answerer.Texts()[1], answerer.Texts()[0]);
    EXPECT_FALSE(IsClipboardFormatAvailable(CF_UNICODETEXT));
}

// ---------------------------------------------------------------- size dialog

TEST_F(ChartExport, TheSizeDialogRefusesWhatIsNoWholeNumberWithinTheLimits)
{
    struct Entry {
        const wchar_t* width;
        const wchar_t* height;
        int refusedField;
    };
    const Entry refused[] = {
        {L"5", L"350", 100}, {L"1001", L"350", 100}, {L"abc", L"350", 100}, {L"12.5", L"350", 100},
        {L"", L"350", 100},  {L"400", L"9", 101},    {L"400", L"-20", 101},
    };
    const bool accepted = WithHand(
        L"Bitmap Size",
        [&](HWND dialog) {
            EXPECT_EQ(ItemText(dialog, 100), L"400");
            EXPECT_EQ(ItemText(dialog, 101), L"350");
            SavePicture(dialog, L"export-size-bitmap.png");
            size_t told = 0;
            for (const Entry& e : refused) {
                SCOPED_TRACE(Narrow(e.width) + " x " + Narrow(e.height));
                SetDlgItemTextW(dialog, 100, e.width);
                SetDlgItemTextW(dialog, 101, e.height);
                PostMessageW(dialog, WM_COMMAND, IDOK, 0);
                ASSERT_TRUE(answerer.WaitFor(++told));
                Sleep(100);  // the refusal selects the field after its message
                EXPECT_EQ(answerer.Texts().back(), L"Please enter an integer between 10 and 1000.");
                EXPECT_TRUE(IsWindowVisible(dialog));
                GUITHREADINFO gui = {};
                gui.cbSize = sizeof gui;
                GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &gui);
                EXPECT_EQ(GetDlgCtrlID(gui.hwndFocus), e.refusedField);
                DWORD from = 0, to = 0;
                SendMessageW(gui.hwndFocus, EM_GETSEL, WPARAM(&from), LPARAM(&to));
                EXPECT_EQ(ItemText(dialog, GetDlgCtrlID(gui.hwndFocus)).substr(from, to - from),
                          e.refusedField == 100 ? e.width : e.height)
                    << "the whole entry is selected for typing over";
            }
            SetDlgItemTextW(dialog, 100, L"1000");
            SetDlgItemTextW(dialog, 101, L"10");
            PostMessageW(dialog, WM_COMMAND, IDOK, 0);
        },
        [&] { return EditExportSize(chart.owner, Image(1)); });
    EXPECT_EQ(answerer.Texts().size(), std::size(refused));
    EXPECT_TRUE(accepted);
    EXPECT_EQ(Image(1).width, 1000);
    EXPECT_EQ(Image(1).height, 10);
}

TEST_F(ChartExport, TheMetafileSizeIsInMillimetresUpTo320AndCancelKeepsIt)
{
    EXPECT_FALSE(WithHand(
        L"Metafile Size",
        [&](HWND dialog) {
            SavePicture(dialog, L"export-size-metafile.png");
            SetDlgItemTextW(dialog, 101, L"321");
            PostMessageW(dialog, WM_COMMAND, IDOK, 0);
            ASSERT_TRUE(answerer.WaitFor(1));
            EXPECT_EQ(answerer.Texts()[0], L"Please enter an integer between 10 and 320.");
            SetDlgItemTextW(dialog, 101, L"200");
            PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        },
        [&] { return EditExportSize(chart.owner, Image(0)); }));
    EXPECT_EQ(answerer.Texts().size(), 1u);
    EXPECT_EQ(Image(0).width, 150);
    EXPECT_EQ(Image(0).height, 150);
}

// ---------------------------------------------------------------- export dialog

TEST_F(ChartExport, TheExportDialogOffersFileControlsOnlyForAFileAndOptionsOnlyForPictures)
{
    chart.settings.formatIndex = 1;
    std::vector<std::wstring> items;
    EXPECT_FALSE(WithHand(
        L"Export",
        [&](HWND dialog) {
            SavePicture(dialog, L"export-dialog.png");
            HWND list = GetDlgItem(dialog, 451);
            for (LRESULT i = 0; i < SendMessageW(list, LB_GETCOUNT, 0, 0); ++i) {
                wchar_t text[128] = {};
                SendMessageW(list, LB_GETTEXT, i, LPARAM(text));
                items.push_back(text);
            }
            EXPECT_EQ(SendMessageW(list, LB_GETCURSEL, 0, 0), 1);
            EXPECT_TRUE(IsDlgButtonChecked(dialog, 351) == BST_CHECKED) << "the clipboard";
            EXPECT_FALSE(Enabled(dialog, 151) || Enabled(dialog, 101)) << "no file for the clipboard";
            EXPECT_TRUE(Enabled(dialog, 201)) << "options for a bitmap";
            ChooseFormat(dialog, 2);
            EXPECT_FALSE(Enabled(dialog, 201)) << "none for text";
            SendDlgItemMessageW(dialog, 352, BM_CLICK, 0, 0);
            EXPECT_TRUE(Enabled(dialog, 151));
            EXPECT_TRUE(Enabled(dialog, 101));
            SavePicture(dialog, L"export-dialog-file.png");
            SendDlgItemMessageW(dialog, 351, BM_CLICK, 0, 0);
            EXPECT_FALSE(Enabled(dialog, 151) || Enabled(dialog, 101)) << "back to the clipboard";
            PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        },
        [&] { return RunExportDialog(chart); }));
    EXPECT_EQ(items, (std::vector<std::wstring>{L"Enhanced Metafile (*.emf)", L"Bitmap (*.bmp)", L"Text (*.txt)"}));
    EXPECT_EQ(chart.settings.formatIndex, 1u) << "Cancel changes nothing";
    EXPECT_EQ(chart.settings.destination, uint32_t(CExport::clipboard));
    EXPECT_TRUE(chart.drawings.empty());
}

TEST_F(ChartExport, TheExportDialogWantsAFileNameThenExportsAndRemembersTheChoice)
{
    const CString path = ExportPath(L"from-dialog.bmp");
    chart.settings.formatIndex = 1;
    chart.settings.formats[2]->fileName = u"old.txt";
    EXPECT_TRUE(WithHand(
        L"Export",
        [&](HWND dialog) {
            SendDlgItemMessageW(dialog, 352, BM_CLICK, 0, 0);
            PostMessageW(dialog, WM_COMMAND, IDOK, 0);
            ASSERT_TRUE(answerer.WaitFor(1));
            Sleep(100);
            EXPECT_TRUE(IsWindowVisible(dialog)) << "the dialog stays open";
            SetDlgItemTextW(dialog, 151, Wide(path));
            // Each format keeps its own name while the user looks around.
            ChooseFormat(dialog, 2);
            EXPECT_EQ(ItemText(dialog, 151), L"old.txt");
            ChooseFormat(dialog, 1);
            PostMessageW(dialog, WM_COMMAND, IDOK, 0);
        },
        [&] { return RunExportDialog(chart); }));
    ASSERT_EQ(answerer.Texts().size(), 1u);
    EXPECT_EQ(answerer.Texts()[0], L"Please enter the name of the file to export to.");
    EXPECT_EQ(chart.settings.destination, uint32_t(CExport::file));
    EXPECT_EQ(chart.settings.formatIndex, 1u);
    EXPECT_EQ(chart.settings.formats[1]->fileName, path);
    EXPECT_EQ(chart.settings.formats[2]->fileName, u"old.txt") << "only the chosen format's name is taken";
    const std::vector<uint8_t> bytes = FileBytes(path);
    ASSERT_GT(bytes.size(), 54u);
    EXPECT_EQ(bytes[0], 'B');
    EXPECT_EQ(bytes[1], 'M');
}

TEST_F(ChartExport, OptionsChangeTheSizeForThisExportAndCancelTakesItBack)
{
    chart.settings.formatIndex = 1;
    // Options, a width of 640, then the export dialog's OK or Cancel.
    auto withWidth640 = [&](UINT close) {
        return WithHand(
            L"Export",
            [&](HWND dialog) {
                PostMessageW(dialog, WM_COMMAND, 201, 0);
                if (HWND size = WaitForDialog(L"Bitmap Size")) {
                    SetDlgItemTextW(size, 100, L"640");
                    PostMessageW(size, WM_COMMAND, IDOK, 0);
                    WaitClosed(size);
                }
                PostMessageW(dialog, WM_COMMAND, close, 0);
            },
            [&] { return RunExportDialog(chart); });
    };
    EXPECT_FALSE(withWidth640(IDCANCEL));
    EXPECT_EQ(Image(1).width, 400) << "Cancel changes nothing";
    EXPECT_TRUE(withWidth640(IDOK));
    EXPECT_EQ(Image(1).width, 640);
    ASSERT_EQ(chart.drawings.size(), 1u);
    EXPECT_EQ(chart.drawings[0].area.right, 640) << "the export took the new size";
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_BITMAP));
}

// The save dialog's file name box: the Explorer style's combo box edit or the old edit.
HWND FileNameBox(HWND saveDialog)
{
    HWND box = GetDlgItem(saveDialog, 1148);
    return box ? box : GetDlgItem(saveDialog, 1152);
}

TEST_F(ChartExport, BrowseOffersTheFormatsFilesAndAddsItsExtension)
{
    chart.settings.formatIndex = 0;
    chart.settings.destination = CExport::file;
    EXPECT_FALSE(WithHand(
        L"Export",
        [&](HWND dialog) {
            PostMessageW(dialog, WM_COMMAND, 101, 0);
            HWND save = nullptr;
            for (int i = 0; i < 500 && !save; ++i) {
                Sleep(10);
                save = OwnedDialog(dialog);
            }
            ASSERT_NE(save, nullptr) << "no save dialog";
            Sleep(200);
            EXPECT_EQ(ItemText(save, 1136), L"Enhanced Metafile (*.emf)") << "the file type box";
            SetWindowTextW(FileNameBox(save), (ExportFolder() + L"\\picked").c_str());
            PostMessageW(save, WM_COMMAND, IDOK, 0);
            WaitClosed(save);
            EXPECT_EQ(ItemText(dialog, 151), ExportFolder() + L"\\picked.emf");
            PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        },
        [&] { return RunExportDialog(chart); }));
    EXPECT_EQ(chart.settings.formats[0]->fileName, u"");
}

// ---------------------------------------------------------------- page layout

TEST_F(ChartExport, ThePageLayoutIsShownOrWithoutAPrinterToldOnceAndKeepsTheMargins)
{
    double margins[4] = {2.0, 2.5, 1.0, 1.5};
    std::vector<std::wstring> shown;
    std::atomic<bool> done{false};
    std::thread hand([&] {
        // Whatever the system opens over the chart (with a printer the
        // page set-up, without one perhaps a warning of its own) is closed.
        for (std::wstring title; !done; Sleep(20))
            if (HWND dialog = OwnedDialog(chart.owner, &title)) {
                shown.push_back(title);
                SavePicture(dialog, L"page-layout.png");
                PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
                WaitClosed(dialog);
            }
    });
    const bool accepted = EditPageLayout(chart.owner, margins);
    done = true;
    hand.join();
    EXPECT_FALSE(accepted);
    EXPECT_EQ(margins[0], 2.0);
    EXPECT_EQ(margins[3], 1.5);
    const std::vector<std::wstring> told = answerer.Texts();
    EXPECT_EQ(shown.size() + told.size(), 1u) << "the page set-up, or one message saying why not";
    for (const std::wstring& text : told)
        EXPECT_NE(text.find(L"printer"), std::wstring::npos) << Narrow(text);
}

// ---------------------------------------------------------------- a German user

TEST_F(ChartExport, GermanDecimalCommaReplacesEveryPointInTheText)
{
    ASSERT_EQ(DecimalSign(), L",") << "this run is meant for a user with a decimal comma";
    const CString path = ExportPath(L"chart-comma.txt");
    ASSERT_TRUE(ExportText(chart, CExport::file, path));
    ASSERT_TRUE(ExportText(chart, CExport::clipboard, CString()));
    std::u16string comma = kData;
    for (char16_t& c : comma)
        if (c == u'.')
            c = u',';
    EXPECT_EQ(ClipboardText(), comma);
}

TEST_F(ChartExport, GermanDialogsAsTheUserSeesThem)
{
    chart.settings.formatIndex = 1;
    chart.settings.destination = CExport::file;
    WithHand(
        L"Exportieren",
        [&](HWND dialog) {
            SavePicture(dialog, L"export-dialog-de.png");
            PostMessageW(dialog, WM_COMMAND, 201, 0);
            if (HWND size = WaitForDialog(L"Größe der Bitmap")) {
                SavePicture(size, L"export-size-bitmap-de.png");
                PostMessageW(size, WM_COMMAND, IDCANCEL, 0);
                WaitClosed(size);
            } else {
                ADD_FAILURE() << "no German size dialog";
            }
            PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        },
        [&] { return RunExportDialog(chart); });
    WithHand(
        L"Größe der Metadatei",
        [&](HWND dialog) {
            SavePicture(dialog, L"export-size-metafile-de.png");
            SetDlgItemTextW(dialog, 100, L"0");
            PostMessageW(dialog, WM_COMMAND, IDOK, 0);
            answerer.WaitFor(1);
            PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        },
        [&] { return EditExportSize(chart.owner, Image(0)); });
    ASSERT_EQ(answerer.Texts().size(), 1u);
    EXPECT_EQ(answerer.Texts()[0], L"Bitte geben Sie eine ganze Zahl zwischen 10 und 320 ein.");
}

}  // namespace
