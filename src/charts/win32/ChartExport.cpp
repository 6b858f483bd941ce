// Contents:
//   [SECTION] Helpers: texts, handles, the clipboard, files
//   [SECTION] The exports
//   [SECTION] The size dialog
//   [SECTION] The export dialog
//   [SECTION] The page layout
#include "charts/win32/ChartExport.h"

#include <commdlg.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <memory>
#include <type_traits>
#include <vector>

#include "framework/Exception.h"
#include "framework/File.h"
#include "framework/UserInteraction.h"
#include "framework/win32/Win32Services.h"
#include "framework/win32/WinApp.h"
#include "viframework/NumPadRules.h"
#include "viframework/win32/PadPopups.h"

// ---------------------------------------------------------------- [SECTION] Helpers

namespace {

// Texts of the resource library.
constexpr uint32_t kTextClipboardBusy = 1072;
constexpr uint32_t kTextFileNotWritten = 1073;   // %1: the file
constexpr uint32_t kTextNoPictureMemory = 1074;
constexpr uint32_t kTextNoFileName = 1075;
constexpr uint32_t kTextNoPageSetup = 1076;      // %1: the dialog's error code
constexpr uint32_t kTextIntegerRange = 61714;    // %1, %2: the limits
constexpr uint32_t kTextApplicationTitle = 57344;

constexpr uint32_t kMetafileSizeDialog = 3017;
constexpr uint32_t kBitmapSizeDialog = 3018;
constexpr uint32_t kExportDialog = 3019;

// Controls of the size dialogs.
constexpr int kWidthEdit = 100;
constexpr int kHeightEdit = 101;
// Controls of the export dialog.
constexpr int kBrowseButton = 101;
constexpr int kFileNameEdit = 151;
constexpr int kOptionsButton = 201;
constexpr int kToClipboard = 351;
constexpr int kToFile = 352;
constexpr int kFormatList = 451;

constexpr uint32_t kUnicodeTextCodePage = 1200;

CString LoadText(uint32_t id)
{
    return CResourceStrings().LoadText(id);
}

CString FormatResource(uint32_t id, std::initializer_list<CString> args)
{
    CResourceStrings strings;
    return FormatText(strings, id, args);
}

// Told after a dialog has closed: the message belongs to the main window.
void Tell(const CString& text)
{
    CWin32UserInteraction().ShowMessage(text, MessageIcon::Warning);
}

// Told while a dialog is open: the message belongs to the dialog, which it
// disables, and leaves the dialog's own owner as the dialog left it.
void RefuseInDialog(HWND dialog, const CString& text, int field)
{
    CString title = LoadText(kTextApplicationTitle);
    if (title.empty())
        title = u"Vexa";
    MessageBoxW(dialog, Wide(text), Wide(title), MB_OK | MB_ICONWARNING);
    HWND edit = GetDlgItem(dialog, field);
    SetFocus(edit);
    SendMessageW(edit, EM_SETSEL, 0, -1);
}

CString FieldText(HWND dialog, int id)
{
    const int length = GetWindowTextLengthW(GetDlgItem(dialog, id));
    std::wstring text(size_t(length) + 1, L'\0');
    GetDlgItemTextW(dialog, id, text.data(), length + 1);
    return FromWide(text.c_str());
}

class CScreenDC {
public:
    CScreenDC() : m_dc(GetDC(nullptr)) {}
    ~CScreenDC() { ReleaseDC(nullptr, m_dc); }
    CScreenDC(const CScreenDC&) = delete;
    CScreenDC& operator=(const CScreenDC&) = delete;
    operator HDC() const { return m_dc; }

private:
    HDC m_dc;
};

struct DCDeleter {
    void operator()(HDC dc) const { DeleteDC(dc); }
};
struct GdiObjectDeleter {
    void operator()(HGDIOBJ object) const { DeleteObject(object); }
};
struct MetafileDeleter {
    void operator()(HENHMETAFILE metafile) const { DeleteEnhMetaFile(metafile); }
};
struct GlobalDeleter {
    void operator()(HGLOBAL memory) const { GlobalFree(memory); }
};
using MemoryDC = std::unique_ptr<std::remove_pointer_t<HDC>, DCDeleter>;
using Bitmap = std::unique_ptr<std::remove_pointer_t<HBITMAP>, GdiObjectDeleter>;
using Metafile = std::unique_ptr<std::remove_pointer_t<HENHMETAFILE>, MetafileDeleter>;
using GlobalMemory = std::unique_ptr<void, GlobalDeleter>;

// Hands data to the clipboard, which owns it from then on (the handle is
// released). False, with the user told, when the clipboard cannot be had.
template <class Handle>
bool PutOnClipboard(HWND owner, UINT format, Handle& data)
{
    if (!OpenClipboard(owner)) {
        Tell(LoadText(kTextClipboardBusy));
        return false;
    }
    EmptyClipboard();
    const bool done = SetClipboardData(format, data.get()) != nullptr;
    CloseClipboard();
    if (!done) {
        Tell(LoadText(kTextClipboardBusy));
        return false;
    }
    data.release();
    return true;
}

// Writes the whole file or, with the user told, nothing: a file cut short
// would look like a finished export.
bool WriteExportFile(const CString& path, const std::vector<uint8_t>& bytes)
{
    const std::filesystem::path where(Wide(path));
    bool created = false;
    try {
        CFile file(where, CFile::modeCreate | CFile::modeWrite);
        created = true;
        file.Write(bytes.data(), bytes.size());
        file.Close();
        return true;
    } catch (const CFileException&) {
        if (created) {
            std::error_code ignored;
            std::filesystem::remove(where, ignored);
        }
        Tell(FormatResource(kTextFileNotWritten, {path}));
        return false;
    }
}

// The picture as a bitmap file: 24 bits per pixel, bottom row first, each
// row padded to four bytes. Empty when the bits cannot be read.
std::vector<uint8_t> BitmapFileBytes(HDC screen, HBITMAP bitmap, int width, int height)
{
    BITMAPINFO info = {};
    BITMAPINFOHEADER& header = info.bmiHeader;
    header.biSize = sizeof header;
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    const DWORD stride = (DWORD(width) * 3 + 3) & ~3u;
    header.biSizeImage = stride * DWORD(height);
    // Pixels per metre, so that programs show the picture at the screen's size.
    header.biXPelsPerMeter = MulDiv(GetDeviceCaps(screen, LOGPIXELSX), 10000, 254);
    header.biYPelsPerMeter = MulDiv(GetDeviceCaps(screen, LOGPIXELSY), 10000, 254);

    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42;  // "BM"
    file.bfOffBits = sizeof file + sizeof header;
    file.bfSize = file.bfOffBits + header.biSizeImage;

    std::vector<uint8_t> bytes(file.bfSize);
    const BITMAPINFOHEADER asked = header;
    if (GetDIBits(screen, bitmap, 0, UINT(height), bytes.data() + file.bfOffBits, &info, DIB_RGB_COLORS) != height)
        return {};
    memcpy(bytes.data(), &file, sizeof file);
    memcpy(bytes.data() + sizeof file, &asked, sizeof asked);
    return bytes;
}

}  // namespace

// ---------------------------------------------------------------- [SECTION] The exports

bool ExportMetafile(IExportableChart& chart, const CExportImageFormat& format, CExport::Destination destination,
                    const CString& path)
{
    Metafile metafile;
    {
        // The picture is laid out for the screen it is measured against.
        CScreenDC screen;
        const int pixelsX = GetDeviceCaps(screen, HORZRES), pixelsY = GetDeviceCaps(screen, VERTRES);
        const int hundredthsX = GetDeviceCaps(screen, HORZSIZE) * 100, hundredthsY = GetDeviceCaps(screen, VERTSIZE) * 100;
        const RECT frame = {0, 0, format.width * 100, format.height * 100};  // [0.01 mm]
        HDC dc = CreateEnhMetaFileW(screen, nullptr, &frame, nullptr);
        if (!dc) {
            Tell(LoadText(kTextNoPictureMemory));
            return false;
        }
        const RECT area = {0, 0, MulDiv(frame.right, pixelsX, hundredthsX), MulDiv(frame.bottom, pixelsY, hundredthsY)};
        chart.DrawForExport(dc, area, MulDiv(pixelsX, 2540, hundredthsX), MulDiv(pixelsY, 2540, hundredthsY));
        metafile.reset(CloseEnhMetaFile(dc));
    }
    if (!metafile) {
        Tell(LoadText(kTextNoPictureMemory));
        return false;
    }
    if (destination == CExport::clipboard)
        return PutOnClipboard(chart.ExportOwner(), CF_ENHMETAFILE, metafile);
    std::vector<uint8_t> bytes(GetEnhMetaFileBits(metafile.get(), 0, nullptr));
    GetEnhMetaFileBits(metafile.get(), UINT(bytes.size()), bytes.data());
    return WriteExportFile(path, bytes);
}

bool ExportBitmap(IExportableChart& chart, const CExportImageFormat& format, CExport::Destination destination,
                  const CString& path)
{
    CScreenDC screen;
    MemoryDC memory(CreateCompatibleDC(screen));
    Bitmap bitmap(memory ? CreateCompatibleBitmap(screen, format.width, format.height) : nullptr);
    if (!bitmap) {
        Tell(LoadText(kTextNoPictureMemory));
        return false;
    }
    const HGDIOBJ before = SelectObject(memory.get(), bitmap.get());
    const RECT area = {0, 0, format.width, format.height};
    FillRect(memory.get(), &area, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    chart.DrawForExport(memory.get(), area, GetDeviceCaps(screen, LOGPIXELSX), GetDeviceCaps(screen, LOGPIXELSY));
    // The clipboard and the bits reader take only a bitmap no DC holds.
    SelectObject(memory.get(), before);
    memory.reset();

    if (destination == CExport::clipboard)
        return PutOnClipboard(chart.ExportOwner(), CF_BITMAP, bitmap);
    const std::vector<uint8_t> bytes = BitmapFileBytes(screen, bitmap.get(), format.width, format.height);
    if (bytes.empty()) {
        Tell(LoadText(kTextNoPictureMemory));
        return false;
    }
    return WriteExportFile(path, bytes);
}

bool ExportText(IExportableChart& chart, CExport::Destination destination, const CString& path)
{
    CMemStream stream;
    chart.WriteDataText(stream);
    CString& text = stream.Text();
    UseDecimalSign(text, char16_t(LocaleDecimalCharacter()));
    // Clipboard text ends with its NUL; the file keeps it too, as readers of
    // older exports expect.
    text.push_back(u'\0');

    if (destination == CExport::file)
        return WriteExportFile(path, EncodeTextFile(text, kUnicodeTextCodePage));
    const size_t bytes = text.size() * sizeof(char16_t);
    GlobalMemory memory(GlobalAlloc(GMEM_MOVEABLE, bytes));
    void* data = memory ? GlobalLock(memory.get()) : nullptr;
    if (!data) {
        Tell(LoadText(kTextNoPictureMemory));
        return false;
    }
    memcpy(data, text.data(), bytes);
    GlobalUnlock(memory.get());
    return PutOnClipboard(chart.ExportOwner(), CF_UNICODETEXT, memory);
}

bool CopyChartPicture(IExportableChart& chart)
{
    const auto& format = static_cast<const CExportImageFormat&>(*chart.ExportSettings().formats[0]);
    return ExportMetafile(chart, format, CExport::clipboard, CString());
}

// ---------------------------------------------------------------- [SECTION] The size dialog

namespace {

// Width and height of an image format, each a whole number within the
// format's limits. The format changes only when both are accepted.
class CExpSizeDialog {
public:
    explicit CExpSizeDialog(CExportImageFormat& format) : m_format(format) {}

    bool DoModal(HWND owner)
    {
        const uint32_t templateId =
            m_format.GetKind() == CExportFormat::Kind::metafile ? kMetafileSizeDialog : kBitmapSizeDialog;
        return RunResourceDialog(templateId, owner, DialogProc, reinterpret_cast<LPARAM>(this)) == IDOK;
    }

private:
    static INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
    {
        if (message == WM_INITDIALOG) {
            SetWindowLongPtrW(dialog, DWLP_USER, lParam);
            auto* self = reinterpret_cast<CExpSizeDialog*>(lParam);
            SetDlgItemInt(dialog, kWidthEdit, UINT(self->m_format.width), TRUE);
            SetDlgItemInt(dialog, kHeightEdit, UINT(self->m_format.height), TRUE);
            return TRUE;  // the first field takes the focus, its text selected
        }
        if (message != WM_COMMAND)
            return FALSE;
        auto* self = reinterpret_cast<CExpSizeDialog*>(GetWindowLongPtrW(dialog, DWLP_USER));
        if (LOWORD(wParam) == IDOK) {
            if (self && self->Accept(dialog))
                EndDialog(dialog, IDOK);
            return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        }
        return FALSE;
    }

    bool Accept(HWND dialog)
    {
        const CNumPadRules rules = CNumPadRules::ForInteger(m_format.smallest, m_format.largest);
        int32_t values[2] = {};
        const int fields[2] = {kWidthEdit, kHeightEdit};
        for (int i = 0; i < 2; ++i) {
            const NumPadVerdict verdict = rules.Judge(FieldText(dialog, fields[i]));
            if (verdict.outcome != NumPadVerdict::Outcome::Accept) {
                RefuseInDialog(dialog,
                               FormatResource(kTextIntegerRange,
                                              {rules.Format(m_format.smallest), rules.Format(m_format.largest)}),
                               fields[i]);
                return false;
            }
            values[i] = verdict.integer;
        }
        m_format.width = values[0];
        m_format.height = values[1];
        return true;
    }

    CExportImageFormat& m_format;
};

}  // namespace

bool EditExportSize(HWND owner, CExportImageFormat& format)
{
    return CExpSizeDialog(format).DoModal(owner);
}

// ---------------------------------------------------------------- [SECTION] The export dialog

namespace {

// The format, the destination and a file name for each format. The chart's
// settings take them on OK; sizes changed through the options go back to
// what they were on Cancel.
class CExportDialog {
public:
    explicit CExportDialog(IExportableChart& chart) : m_chart(chart), m_settings(chart.ExportSettings())
    {
        m_formatIndex = m_settings.Chosen() ? m_settings.formatIndex : 0;
        for (const auto& format : m_settings.formats) {
            m_fileNames.push_back(format->fileName);
            const auto* image = dynamic_cast<const CExportImageFormat*>(format.get());
            m_sizesBefore.push_back(image ? SIZE{image->width, image->height} : SIZE{});
        }
    }

    bool DoModal()
    {
        if (m_settings.formats.empty())
            return false;
        const INT_PTR result =
            RunResourceDialog(kExportDialog, m_chart.ExportOwner(), DialogProc, reinterpret_cast<LPARAM>(this));
        if (result == IDOK)
            return true;
        RestoreSizes();
        return false;
    }

private:
    static INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
    {
        if (message == WM_INITDIALOG) {
            SetWindowLongPtrW(dialog, DWLP_USER, lParam);
            reinterpret_cast<CExportDialog*>(lParam)->OnInit(dialog);
            return TRUE;
        }
        auto* self = reinterpret_cast<CExportDialog*>(GetWindowLongPtrW(dialog, DWLP_USER));
        if (message != WM_COMMAND || !self)
            return FALSE;
        switch (LOWORD(wParam)) {
        case kFormatList:
            if (HIWORD(wParam) == LBN_SELCHANGE)
                self->OnFormatChanged(dialog);
            return TRUE;
        case kToClipboard:
        case kToFile:
            self->UpdateControls(dialog);
            return TRUE;
        case kBrowseButton:
            self->OnBrowse(dialog);
            return TRUE;
        case kOptionsButton:
            self->OnOptions(dialog);
            return TRUE;
        case IDOK:
            if (self->Accept(dialog))
                EndDialog(dialog, IDOK);
            return TRUE;
        case IDCANCEL:
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        default:
            return FALSE;
        }
    }

    CExportFormat& Format() const { return *m_settings.formats[m_formatIndex]; }

    void OnInit(HWND dialog)
    {
        HWND list = GetDlgItem(dialog, kFormatList);
        for (const auto& format : m_settings.formats)
            SendMessageW(list, LB_ADDSTRING, 0,
                         reinterpret_cast<LPARAM>(Wide(ExportFormatTitle(LoadText(format->nameId)))));
        SendMessageW(list, LB_SETCURSEL, m_formatIndex, 0);
        CheckRadioButton(dialog, kToClipboard, kToFile, m_settings.destination == CExport::file ? kToFile : kToClipboard);
        SetDlgItemTextW(dialog, kFileNameEdit, Wide(m_fileNames[m_formatIndex]));
        UpdateControls(dialog);
    }

    void OnFormatChanged(HWND dialog)
    {
        const LRESULT chosen = SendDlgItemMessageW(dialog, kFormatList, LB_GETCURSEL, 0, 0);
        if (chosen < 0 || size_t(chosen) >= m_settings.formats.size())
            return;
        m_fileNames[m_formatIndex] = FieldText(dialog, kFileNameEdit);
        m_formatIndex = uint32_t(chosen);
        SetDlgItemTextW(dialog, kFileNameEdit, Wide(m_fileNames[m_formatIndex]));
        UpdateControls(dialog);
    }

    void UpdateControls(HWND dialog) const
    {
        const bool toFile = IsDlgButtonChecked(dialog, kToFile) == BST_CHECKED;
        EnableWindow(GetDlgItem(dialog, kFileNameEdit), toFile);
        EnableWindow(GetDlgItem(dialog, kBrowseButton), toFile);
        EnableWindow(GetDlgItem(dialog, kOptionsButton), Format().hasOptions);
    }

    void OnBrowse(HWND dialog)
    {
        const CString resource = LoadText(Format().nameId);
        // "Name|*.ext|" becomes the filter's pairs of NUL-ended texts.
        std::wstring filter(Wide(resource));
        for (wchar_t& c : filter)
            if (c == L'|')
                c = L'\0';
        filter.push_back(L'\0');
        const CString extension = ExportFormatExtension(resource);

        wchar_t name[MAX_PATH] = {};
        lstrcpynW(name, Wide(FieldText(dialog, kFileNameEdit)), MAX_PATH);
        OPENFILENAMEW ofn = {};
        ofn.lStructSize = sizeof ofn;
        ofn.hwndOwner = dialog;
        ofn.lpstrFilter = filter.c_str();
        ofn.lpstrFile = name;
        ofn.nMaxFile = MAX_PATH;
        ofn.lpstrDefExt = extension.empty() ? nullptr : Wide(extension);
        ofn.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
        if (GetSaveFileNameW(&ofn))
            SetDlgItemTextW(dialog, kFileNameEdit, name);
    }

    void OnOptions(HWND dialog)
    {
        if (auto* image = dynamic_cast<CExportImageFormat*>(&Format()); image && image->hasOptions)
            EditExportSize(dialog, *image);
    }

    bool Accept(HWND dialog)
    {
        m_fileNames[m_formatIndex] = FieldText(dialog, kFileNameEdit);
        const bool toFile = IsDlgButtonChecked(dialog, kToFile) == BST_CHECKED;
        if (toFile && m_fileNames[m_formatIndex].find_first_not_of(u' ') == CString::npos) {
            RefuseInDialog(dialog, LoadText(kTextNoFileName), kFileNameEdit);
            return false;
        }
        m_settings.destination = toFile ? CExport::file : CExport::clipboard;
        m_settings.formatIndex = m_formatIndex;
        Format().fileName = m_fileNames[m_formatIndex];
        return true;
    }

    void RestoreSizes()
    {
        for (size_t i = 0; i < m_settings.formats.size(); ++i)
            if (auto* image = dynamic_cast<CExportImageFormat*>(m_settings.formats[i].get())) {
                image->width = m_sizesBefore[i].cx;
                image->height = m_sizesBefore[i].cy;
            }
    }

    IExportableChart& m_chart;
    CExport& m_settings;
    uint32_t m_formatIndex = 0;
    std::vector<CString> m_fileNames;
    std::vector<SIZE> m_sizesBefore;
};

}  // namespace

bool RunExportDialog(IExportableChart& chart)
{
    if (!CExportDialog(chart).DoModal())
        return false;
    const CExport& settings = chart.ExportSettings();
    const CExportFormat& format = *settings.Chosen();
    const auto destination = CExport::Destination(settings.destination);
    switch (format.GetKind()) {
    case CExportFormat::Kind::metafile:
        return ExportMetafile(chart, static_cast<const CExportImageFormat&>(format), destination, format.fileName);
    case CExportFormat::Kind::bitmap:
        return ExportBitmap(chart, static_cast<const CExportImageFormat&>(format), destination, format.fileName);
    case CExportFormat::Kind::text:
        break;
    }
    return ExportText(chart, destination, format.fileName);
}

// ---------------------------------------------------------------- [SECTION] The page layout

bool EditPageLayout(HWND owner, double margins[4])
{
    // The dialog works in hundredths of millimetres; margins are kept in centimetres.
    const auto hundredths = [](double centimetres) { return LONG(std::lround(centimetres * 1000)); };
    PAGESETUPDLGW setup = {};
    setup.lStructSize = sizeof setup;
    setup.hwndOwner = owner;
    // Without a printer the system's own warning would come before ours,
    // which names the error and speaks the user's language.
    setup.Flags = PSD_MARGINS | PSD_INHUNDREDTHSOFMILLIMETERS | PSD_NOWARNING;
    setup.rtMargin = {hundredths(margins[0]), hundredths(margins[1]), hundredths(margins[2]), hundredths(margins[3])};
    const BOOL accepted = PageSetupDlgW(&setup);
    const DWORD error = accepted ? 0 : CommDlgExtendedError();
    if (setup.hDevMode)
        GlobalFree(setup.hDevMode);
    if (setup.hDevNames)
        GlobalFree(setup.hDevNames);
    if (!accepted) {
        // No error: the user cancelled.
        if (error != 0) {
            wchar_t code[16];
            wsprintfW(code, L"0x%04X", unsigned(error));
            Tell(FormatResource(kTextNoPageSetup, {FromWide(code)}));
        }
        return false;
    }
    margins[0] = setup.rtMargin.left / 1000.0;
    margins[1] = setup.rtMargin.top / 1000.0;
    margins[2] = setup.rtMargin.right / 1000.0;
    margins[3] = setup.rtMargin.bottom / 1000.0;
    return true;
}
