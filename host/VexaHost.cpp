// The host application, for now a frame that loads the plug-in library from
// its own folder and shows what it found. It grows into the full host that
// drives the plug-in through its COM interface.
//
// Options: --exit-after SECONDS closes the window by itself (for scripted runs).
#include <windows.h>

#include <cwchar>
#include <string>

namespace {

std::wstring g_status;

std::wstring ModuleFolder()
{
    wchar_t path[MAX_PATH];
    const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, n);
    const size_t slash = folder.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : folder.substr(0, slash + 1);
}

std::wstring Probe(const wchar_t* name)
{
    const std::wstring path = ModuleFolder() + name;
    HMODULE module = LoadLibraryExW(path.c_str(), nullptr, 0);
    if (!module) {
        wchar_t line[128];
        std::swprintf(line, 128, L"%ls: not loaded (error %lu)", name, GetLastError());
        return line;
    }
    FreeLibrary(module);
    return std::wstring(name) + L": loaded";
}

LRESULT CALLBACK FrameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(window, &ps);
        RECT rc;
        GetClientRect(window, &rc);
        FillRect(dc, &rc, reinterpret_cast<HBRUSH>(COLOR_APPWORKSPACE + 1));
        rc.left += 16;
        rc.top += 16;
        SetBkMode(dc, TRANSPARENT);
        DrawTextW(dc, g_status.c_str(), -1, &rc, DT_LEFT | DT_TOP);
        EndPaint(window, &ps);
        return 0;
    }
    case WM_TIMER:
        DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR commandLine, int show)
{
    int exitAfter = 0;
    if (const wchar_t* opt = std::wcsstr(commandLine, L"--exit-after"))
        exitAfter = _wtoi(opt + std::wcslen(L"--exit-after"));

    g_status = L"Vexa host\n\n" + Probe(L"QX7350.dll") + L"\n" + Probe(L"VexaRes.dll");

    WNDCLASSW wc = {};
    wc.lpfnWndProc = FrameProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.lpszClassName = L"VexaHostFrame";
    RegisterClassW(&wc);
    HWND frame = CreateWindowW(wc.lpszClassName, L"Torvane - Vexa", WS_OVERLAPPEDWINDOW, 40, 40, 800, 600,
                               nullptr, nullptr, instance, nullptr);
    ShowWindow(frame, show);
    UpdateWindow(frame);
    if (exitAfter > 0)
        SetTimer(frame, 1, static_cast<UINT>(exitAfter) * 1000, nullptr);

    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}
