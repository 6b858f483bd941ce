// The demonstration chart in a window of its own, for looking at and for
// pictures:
//   chart_demo [--log] [--cursors] [--zoom] [--points N] [--nan]
//              [--size WxH] [--picture FILE.png] [--seconds N]
//              [--export-bmp FILE] [--export-emf FILE]
// --log shows a filter's gain and phase over frequency; --zoom drags a
// rubber band over the middle; --nan breaks the curves with missing
// points; --picture saves the window and ends; --export-* export the chart
// in the sizes of its formats before that.
#include <windows.h>

#include <cmath>
#include <cstdlib>
#include <string>

#include "Capture.h"
#include "DemoChart.h"
#include "framework/win32/WinApp.h"

namespace {

std::wstring BesideMe(const wchar_t* name)
{
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path);
    return folder.substr(0, folder.find_last_of(L"\\/") + 1) + name;
}

CDemoChart* g_chart = nullptr;

LRESULT CALLBACK FrameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_SIZE:
        if (g_chart && g_chart->GetSafeHwnd())
            MoveWindow(g_chart->GetSafeHwnd(), 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

void Pump(DWORD milliseconds)
{
    const DWORD end = GetTickCount() + milliseconds;
    MSG msg;
    while (GetTickCount() < end) {
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        Sleep(10);
    }
}

}  // namespace

int main(int argc, char** argv)
{
    bool log = false, cursors = false, zoom = false, nan = false;
    size_t points = 1001;
    int width = 640, height = 420, seconds = 0;
    std::wstring picture, bitmapFile, metafileFile;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const bool more = i + 1 < argc;
        if (a == "--log") log = true;
        else if (a == "--cursors") cursors = true;
        else if (a == "--zoom") zoom = true;
        else if (a == "--nan") nan = true;
        else if (a == "--points" && more) points = std::strtoul(argv[++i], nullptr, 10);
        else if (a == "--seconds" && more) seconds = std::atoi(argv[++i]);
        else if (a == "--size" && more) std::sscanf(argv[++i], "%dx%d", &width, &height);
        else if ((a == "--picture" || a == "--export-bmp" || a == "--export-emf") && more) {
            const std::string p = argv[++i];
            (a == "--picture" ? picture : a == "--export-bmp" ? bitmapFile : metafileFile).assign(p.begin(), p.end());
        }
    }

    CWinApp app;
    app.m_hResource = LoadLibraryExW(BesideMe(L"VexaRes.dll").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);

    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = FrameProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = L"VexaChartDemo";
    RegisterClassExW(&wc);
    RECT frame{0, 0, width, height};
    AdjustWindowRect(&frame, WS_OVERLAPPEDWINDOW, FALSE);
    HWND window = CreateWindowExW(0, wc.lpszClassName, log ? L"Chart - frequency" : L"Chart - time",
                                  WS_OVERLAPPEDWINDOW, 20, 20, frame.right - frame.left, frame.bottom - frame.top,
                                  nullptr, nullptr, wc.hInstance, nullptr);

    CDemoChart chart(log, points < 2 ? 2 : points);
    if (nan)
        for (auto& curve : chart.curves)
            for (size_t i = curve.y.size() / 3; i < curve.y.size() / 2; ++i)
                curve.y[i] = std::nan("");
    g_chart = &chart;
    chart.Create(window, {0, 0, width, height}, 1);
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);
    Pump(300);
    if (cursors)
        chart.ShowCursors(true);
    if (zoom) {
        // A rubber band over the middle of the plot, dragged as a user would.
        const CRect& plot = chart.Model().Plot();
        const int x1 = plot.left + plot.Width() / 4, x2 = plot.left + plot.Width() * 3 / 5;
        const int y1 = plot.top + plot.Height() / 5, y2 = plot.top + plot.Height() * 3 / 4;
        SendMessageW(chart.GetSafeHwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x1, y1));
        SendMessageW(chart.GetSafeHwnd(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x2, y2));
        SendMessageW(chart.GetSafeHwnd(), WM_LBUTTONUP, 0, MAKELPARAM(x2, y2));
    }
    Pump(500);
    CExport& exports = chart.ExportSettings();
    if (!bitmapFile.empty())
        ExportBitmap(chart, static_cast<CExportImageFormat&>(*exports.formats[1]), CExport::file, FromWide(bitmapFile.c_str()));
    if (!metafileFile.empty())
        ExportMetafile(chart, static_cast<CExportImageFormat&>(*exports.formats[0]), CExport::file,
                       FromWide(metafileFile.c_str()));
    if (!picture.empty()) {
        const bool saved = CaptureWindowToPng(window, picture);
        DestroyWindow(window);
        return saved ? 0 : 1;
    }
    if (seconds > 0) {
        Pump(DWORD(seconds) * 1000);
        DestroyWindow(window);
        return 0;
    }
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}
