// Prints how long every front panel of the resource library takes to repaint
// completely at both zoom levels, in each skin, beside the floor: a plain
// GDI+ fill of the same size on the same device context. A full repaint
// copies the panel as last drawn; beside it the redraw of every control (a
// knob's body then comes from the picture it keeps) and the slowest repaint
// of one changed control, such as a turned knob. Also the
// layout reader's time for the DC supply's panel. Runs under Windows (Wine
// here) beside QX7350.dll and VexaRes.dll.
#include <windows.h>
#include <gdiplus.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "BenchTiming.h"
#include "framework/File.h"
#include "framework/win32/WinApp.h"
#include "viframework/SkinManager.h"
#include "viframework/controls/PanelLayout.h"
#include "viframework/win32/GdiPlusGraphics.h"
#include "viframework/win32/VIView.h"
#include "viframework/win32/Win32PanelResources.h"

namespace {

constexpr double kGoalMs = 2.0;  // a full repaint at 100 %

std::wstring Folder()
{
    wchar_t path[MAX_PATH];
    const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, n);
    return folder.substr(0, folder.find_last_of(L"\\/") + 1);
}

class BenchApp : public CWinApp {};

class BenchView : public CVIView {
public:
    using CVIView::ApplyZoom;
    using CVIView::OnDraw;
    void SetZoom(const CZoomRatio& zoom)
    {
        m_zoom = zoom;
        ApplyZoom();
    }
};

BOOL CALLBACK AddLayoutId(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR ids)
{
    if (IS_INTRESOURCE(name))
        reinterpret_cast<std::vector<uint32_t>*>(ids)->push_back(static_cast<uint32_t>(reinterpret_cast<ULONG_PTR>(name)));
    return TRUE;
}

// A paint into a bitmap of the window's client size, as WM_PAINT's double
// buffer does it.
struct Canvas {
    explicit Canvas(const RECT& r) : client(r)
    {
        HDC screen = GetDC(nullptr);
        dc = CreateCompatibleDC(screen);
        bitmap = CreateCompatibleBitmap(screen, r.right, r.bottom);
        old = SelectObject(dc, bitmap);
        ReleaseDC(nullptr, screen);
    }
    ~Canvas()
    {
        SelectObject(dc, old);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }
    RECT client;
    HDC dc;
    HBITMAP bitmap;
    HGDIOBJ old;
};

double FloorUs(const Canvas& canvas)
{
    return vexabench::MicrosecondsFor(0.1, [&] {
        Gdiplus::Graphics graphics(canvas.dc);
        Gdiplus::SolidBrush brush(Gdiplus::Color(255, 0xC0, 0xC0, 0xC0));
        graphics.FillRectangle(&brush, 0, 0, canvas.client.right, canvas.client.bottom);
    });
}

}  // namespace

int main()
{
    BenchApp app;
    app.m_hInstance = LoadLibraryExW((Folder() + L"QX7350.dll").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    app.m_hResource = LoadLibraryExW((Folder() + L"VexaRes.dll").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    CWin32PanelResources resources(app);
    SetPanelResources(&resources);
    StartGdiPlus();
    InstallGdiPlusTextMeasurer();

    const auto supply = resources.LoadCustom(kLayoutResourceType, 10040);
    if (!supply) {
        std::printf("layout 301/10040 not found\n");
        return 1;
    }
    const double readUs = vexabench::MicrosecondsPer(20000, [&] {
        CPanelLayout header;
        CHotspotArray controls;
        ReadStandardLayout(supply->data(), supply->size(), header, controls);
    });
    std::printf("layout 10040: %zu bytes read into controls in %.1f us\n", supply->size(), readUs);
    vexabench::Row("panel layout read (DC supply)", vexabench::Format("%.1f us", readUs), "-");

    std::vector<uint32_t> ids;
    EnumResourceNamesW(app.m_hResource, MAKEINTRESOURCEW(kLayoutResourceType), AddLayoutId,
                       reinterpret_cast<LONG_PTR>(&ids));
    std::sort(ids.begin(), ids.end());

    std::printf("repaint of every panel (mean over 0.2 s) beside a GDI+ fill of the same size; goal: a full "
                "repaint in at most %.1f ms at 100 %%\n",
                kGoalMs);
    std::printf("%-6s %-6s %-7s %11s %9s %9s %9s %9s\n", "panel", "skin", "zoom", "pixels", "full", "floor",
                "redraw", "control");
    struct Worst {
        double ms = 0;
        uint32_t id = 0;
        void Take(double candidate, uint32_t panel)
        {
            if (candidate > ms)
                *this = {candidate, panel};
        }
    } full[2], redrawn[2], control;
    int over = 0;
    for (const CString& skinName : resources.CustomNames(kSkinResourceType)) {
        CVISkinManager::GetSkin().Load(skinName, resources);
        for (uint32_t id : ids) {
            const auto layout = resources.LoadCustom(kLayoutResourceType, id);
            BenchView view;
            if (!layout || !view.CreateEmpty(WS_OVERLAPPED | WS_CAPTION, nullptr, 0))
                continue;
            try {
                CMemFile file(layout->data(), layout->size());
                CArchive ar(&file, CArchive::load);
                CPanelLayout header;
                ReadLayoutHeader(ar, header);
                view.LoadLayout(ar);
            } catch (const CException&) {
                std::printf("%-6u layout not readable\n", id);
                continue;
            }
            int level = 0;
            for (const CZoomRatio zoom : {CVIView::ZoomLevels().first, CVIView::ZoomLevels().second}) {
                view.SetZoom(zoom);
                RECT client;
                GetClientRect(view.GetSafeHwnd(), &client);
                Canvas canvas(client);
                const double drawn = vexabench::MicrosecondsFor(0.2, [&] {
                    view.MarkStale(nullptr);
                    view.OnDraw(canvas.dc);
                }) / 1000;
                const double copied = vexabench::MicrosecondsFor(0.2, [&] { view.OnDraw(canvas.dc); }) / 1000;
                const double floor = FloorUs(canvas) / 1000;
                // One control changed, at 100 %: the slowest of them.
                double oneControl = 0;
                if (level == 0)
                    for (const auto& hotspot : view.Hotspots()) {
                        const CRect r = view.ToDevice(hotspot->m_rect).Inflated(2, 2);
                        const RECT part{r.left, r.top, r.right, r.bottom};
                        oneControl = std::max(oneControl, vexabench::MicrosecondsFor(0.01, [&] {
                                                  view.MarkStale(&part);
                                                  view.OnDraw(canvas.dc);
                                              }) / 1000);
                    }
                std::printf("%-6u %-6s %3d/%-3d %4ld x %-4ld %6.2f ms %6.2f ms %6.2f ms %6.2f ms\n", id,
                            StringToUtf8(skinName).c_str(), zoom.num, zoom.den, client.right, client.bottom, copied,
                            floor, drawn, oneControl);
                full[level].Take(copied, id);
                redrawn[level].Take(drawn, id);
                if (level == 0) {
                    control.Take(oneControl, id);
                    over += copied > kGoalMs;
                }
                ++level;
            }
        }
    }
    std::printf("full repaint, slowest panel: %.2f ms at 100 %% (%u), %.2f ms at the second zoom level (%u); over "
                "the goal: %d\n",
                full[0].ms, full[0].id, full[1].ms, full[1].id, over);
    vexabench::Row("panel full repaint, slowest panel, 100 %", vexabench::Format("%.2f ms (%u)", full[0].ms, full[0].id),
                   "<= 2 ms");
    vexabench::Row("panel full repaint, slowest panel, 2nd zoom",
                   vexabench::Format("%.2f ms (%u)", full[1].ms, full[1].id), "-");
    vexabench::Row("panel with every control redrawn, slowest, 100 %",
                   vexabench::Format("%.1f ms (%u)", redrawn[0].ms, redrawn[0].id), "-");
    vexabench::Row("panel repaint of one changed control, slowest, 100 %",
                   vexabench::Format("%.1f ms (%u)", control.ms, control.id), "-");
    return 0;
}
