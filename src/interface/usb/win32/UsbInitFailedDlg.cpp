#include "interface/usb/win32/UsbInitFailedDlg.h"

#include <vector>

#include "framework/UserInteraction.h"
#include "framework/win32/Win32Services.h"
#include "framework/win32/WinApp.h"

namespace {

// A bitmap resource (a packed DIB) as a bitmap for the screen; null when
// it is missing or not readable.
HBITMAP LoadPicture(UINT id)
{
    CWinApp* app = AfxGetApp();
    HMODULE module = nullptr;
    HRSRC found = app ? app->FindInChain(RT_BITMAP, MAKEINTRESOURCEW(id), &module) : nullptr;
    if (!found)
        return nullptr;
    const auto* bytes = static_cast<const BYTE*>(LockResource(LoadResource(module, found)));
    const DWORD size = SizeofResource(module, found);
    if (!bytes || size < sizeof(BITMAPINFOHEADER))
        return nullptr;
    const auto* header = reinterpret_cast<const BITMAPINFOHEADER*>(bytes);
    DWORD bitsAt = header->biSize;
    if (header->biBitCount <= 8)
        bitsAt += (header->biClrUsed ? header->biClrUsed : 1u << header->biBitCount) * sizeof(RGBQUAD);
    else if (header->biCompression == BI_BITFIELDS && header->biSize == sizeof(BITMAPINFOHEADER))
        bitsAt += 3 * sizeof(DWORD);
    if (bitsAt >= size)
        return nullptr;
    HDC screen = GetDC(nullptr);
    HBITMAP picture = CreateDIBitmap(screen, header, CBM_INIT, bytes + bitsAt,
                                     reinterpret_cast<const BITMAPINFO*>(header), DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    return picture;
}

} // namespace

CUsbInitFailedDlg::~CUsbInitFailedDlg()
{
    if (m_picture)
        DeleteObject(m_picture);
}

void CUsbInitFailedDlg::OnInitDialog()
{
    PlacePicture();
    CResourceStrings strings;
    SetItemText(kMessageControl, FormatText(strings, kTextCannotOpen, {m_deviceName}));
    EnableItem(kDemonstration, m_allowDemonstration);
}

void CUsbInitFailedDlg::PlacePicture()
{
    HWND dialog = m_hWnd;
    m_picture = LoadPicture(kPicture);
    BITMAP info = {};
    if (!m_picture || !GetObjectW(m_picture, sizeof info, &info) || info.bmHeight <= 0)
        return;
    const int height = info.bmHeight;

    std::vector<HWND> controls;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        controls.push_back(child);
    for (HWND control : controls) {
        RECT r;
        GetWindowRect(control, &r);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
        SetWindowPos(control, nullptr, r.left, r.top + height, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }

    // Grown by the picture's height and moved up by half of it, so that a
    // centred dialog stays centred.
    RECT frame;
    GetWindowRect(dialog, &frame);
    SetWindowPos(dialog, nullptr, frame.left, frame.top - height / 2, frame.right - frame.left,
                 frame.bottom - frame.top + height, SWP_NOZORDER | SWP_NOACTIVATE);

    // The picture spans the dialog's width; its corner colour fills what it
    // leaves on either side.
    RECT client;
    GetClientRect(dialog, &client);
    HWND picture = CreateWindowExW(0, L"STATIC", nullptr, WS_CHILD | WS_VISIBLE | SS_BITMAP | SS_CENTERIMAGE, 0, 0,
                                   client.right, height, dialog, nullptr,
                                   reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(dialog, GWLP_HINSTANCE)), nullptr);
    if (picture)
        SendMessageW(picture, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(m_picture));
}

bool CUsbInitFailedDlg::OnCommand(int id, int)
{
    switch (id) {
    case kTryAgain:
        EndDialog(kTryAgain);
        return true;
    case kDemonstration:
        // A disabled button sends nothing, and a posted command must not get round it.
        if (m_allowDemonstration)
            EndDialog(kDemonstration);
        return true;
    case IDCANCEL:
        // Escape and the close box do nothing while giving up is not allowed.
        if (m_allowCancel)
            EndDialog(kCancel);
        return true;
    default:
        return false;
    }
}
