#include "Capture.h"

#include <gdiplus.h>

namespace {

// The PNG encoder of GDI+.
const CLSID kPngEncoder = {0x557CF406, 0x1A04, 0x11D3, {0x9A, 0x73, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};

class GdiPlus {
public:
    GdiPlus()
    {
        Gdiplus::GdiplusStartupInput input;
        m_ok = Gdiplus::GdiplusStartup(&m_token, &input, nullptr) == Gdiplus::Ok;
    }
    ~GdiPlus()
    {
        if (m_ok)
            Gdiplus::GdiplusShutdown(m_token);
    }
    bool ok() const { return m_ok; }

private:
    ULONG_PTR m_token = 0;
    bool m_ok = false;
};

} // namespace

bool CaptureWindowToPng(HWND window, const std::wstring& path)
{
    RECT rc;
    if (!GetWindowRect(window, &rc))
        return false;
    const int width = rc.right - rc.left, height = rc.bottom - rc.top;
    if (width <= 0 || height <= 0)
        return false;
    // Copied from the screen: what the user sees, overlapping windows included.
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, rc.left, rc.top, SRCCOPY);
    SelectObject(memory, old);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);

    bool saved = false;
    {
        GdiPlus gdiplus;
        if (gdiplus.ok()) {
            Gdiplus::GpBitmap* image = nullptr;
            if (Gdiplus::DllExports::GdipCreateBitmapFromHBITMAP(bitmap, nullptr, &image) == Gdiplus::Ok) {
                saved = Gdiplus::DllExports::GdipSaveImageToFile(image, path.c_str(), &kPngEncoder, nullptr) == Gdiplus::Ok;
                Gdiplus::DllExports::GdipDisposeImage(image);
            }
        }
    }
    DeleteObject(bitmap);
    return saved;
}
