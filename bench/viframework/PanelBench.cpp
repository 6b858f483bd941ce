// Prints how long the DC supply's front panel takes to load from its layout
// and to repaint completely at both zoom levels, in each skin of the
// resource library. Runs under Windows (Wine here) beside QX7350.dll and
// VexaRes.dll.
#include <windows.h>

#include <cstdio>
#include <string>

#include "BenchTiming.h"
#include "framework/File.h"
#include "framework/win32/WinApp.h"
#include "viframework/SkinManager.h"
#include "viframework/controls/PanelLayout.h"
#include "viframework/win32/GdiPlusGraphics.h"
#include "viframework/win32/VIView.h"
#include "viframework/win32/Win32PanelResources.h"

namespace {


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
    void SetZoom(const CZoomRatio& zoom)
    {
        m_zoom = zoom;
        ApplyZoom();
    }
};

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

    const auto layout = resources.LoadCustom(kLayoutResourceType, 10040);
    if (!layout) {
        std::printf("layout 301/10040 not found\n");
        return 1;
    }

    // The reader alone: bytes to controls.
    const double readUs = vexabench::MicrosecondsPer(20000, [&] {
        CPanelLayout header;
        CHotspotArray controls;
        ReadStandardLayout(layout->data(), layout->size(), header, controls);
    });

    BenchView view;
    if (!view.CreateEmpty(WS_OVERLAPPED | WS_CAPTION, nullptr, 0)) {
        std::printf("no window\n");
        return 1;
    }
    const double loadUs = vexabench::MicrosecondsPer(2000, [&] {
        CMemFile file(layout->data(), layout->size());
        CArchive ar(&file, CArchive::load);
        CPanelLayout header;
        ReadLayoutHeader(ar, header);
        view.LoadLayout(ar);
    });
    std::printf("layout 10040: %zu bytes, %zu controls: read %.1f us; into the window (with resizing and title) %.1f us\n",
                layout->size(), view.Hotspots().size(), readUs, loadUs);

    for (const CString& skinName : resources.CustomNames(kSkinResourceType)) {
        CVISkinManager::GetSkin().Load(skinName, resources);
        for (const CZoomRatio zoom : {CVIView::ZoomLevels().first, CVIView::ZoomLevels().second}) {
            view.SetZoom(zoom);
            RECT client;
            GetClientRect(view.GetSafeHwnd(), &client);
            HDC screen = GetDC(nullptr);
            HDC memory = CreateCompatibleDC(screen);
            HBITMAP bitmap = CreateCompatibleBitmap(screen, client.right, client.bottom);
            SelectObject(memory, bitmap);
            view.RenderPanel(memory, client);  // first paint builds the caches
            const double paintUs = vexabench::MicrosecondsPer(200, [&] { view.RenderPanel(memory, client); });
            std::printf("skin %-6s zoom %3d/%d (%ld x %ld): full repaint %.0f us\n",
                        StringToUtf8(skinName).c_str(), zoom.num, zoom.den, client.right, client.bottom, paintUs);
            DeleteDC(memory);
            DeleteObject(bitmap);
            ReleaseDC(nullptr, screen);
        }
    }
    return 0;
}
