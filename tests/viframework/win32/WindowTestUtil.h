// What the panel window tests share: a layout as the compiler writes it, made
// from controls in code (and taking them over), a pump for the queue, and
// the pixels a window draws.
#pragma once

#include <windows.h>

#include <functional>
#include <vector>

#include "framework/File.h"
#include "viframework/controls/Hotspot.h"

inline std::vector<uint8_t> LayoutOf(int32_t width, int32_t height, const char16_t* title,
                                     const std::vector<CHotspot*>& controls)
{
    CMemFile file;
    CArchive ar(&file, CArchive::store);
    ar << uint32_t{1};
    for (int i = 0; i < 10; ++i)
        ar << uint32_t{0};
    ar << uint32_t(width) << uint32_t(height) << CString(title);
    for (CHotspot* control : controls) {
        ar << control->m_typeCode;
        control->Serialize(ar);
        delete control;
    }
    ar << uint32_t{kHotEndOfList};
    return file.Data();
}

inline void Pump()
{
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

// What draw puts into a bitmap of size, row by row.
inline std::vector<COLORREF> Drawn(SIZE size, const std::function<void(HDC)>& draw)
{
    HDC screen = GetDC(nullptr), dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, size.cx, size.cy);
    ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(dc, bitmap);
    draw(dc);
    std::vector<COLORREF> pixels;
    for (int y = 0; y < size.cy; ++y)
        for (int x = 0; x < size.cx; ++x)
            pixels.push_back(GetPixel(dc, x, y));
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return pixels;
}
