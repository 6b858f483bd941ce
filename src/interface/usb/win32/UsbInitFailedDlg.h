// CUsbInitFailedDlg: tells the user that the USB device cannot be reached
// and asks whether to try again, to work in demonstration mode or to give up.
#pragma once

#include <windows.h>

#include "framework/Types.h"

class CUsbInitFailedDlg {
public:
    static constexpr UINT kTemplateWithCancel = 20002;
    static constexpr UINT kTemplateWithoutCancel = 20003;
    static constexpr UINT kPicture = 20000;
    static constexpr UINT kTextCannotOpen = 20006;  // %1: the device name
    static constexpr int kMessageControl = 101;
    static constexpr int kTryAgain = 4;
    static constexpr int kDemonstration = 6;
    static constexpr int kCancel = 2;

    CUsbInitFailedDlg(CString deviceName, bool allowDemonstration, bool allowCancel)
        : m_deviceName(std::move(deviceName)), m_allowDemonstration(allowDemonstration), m_allowCancel(allowCancel)
    {
    }
    ~CUsbInitFailedDlg();
    CUsbInitFailedDlg(const CUsbInitFailedDlg&) = delete;
    CUsbInitFailedDlg& operator=(const CUsbInitFailedDlg&) = delete;

    // Runs the dialog over owner (none: the application's main window):
    // 4 try again, 6 demonstration mode, 2 cancel; -1 when it cannot be shown.
    int DoModal(HWND owner = nullptr);

private:
    static INT_PTR CALLBACK Procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    void OnInitDialog(HWND dialog);
    // Puts the resource library's picture above everything else.
    void PlacePicture(HWND dialog);
    bool OnCommand(HWND dialog, int id);

    CString m_deviceName;
    bool m_allowDemonstration;
    bool m_allowCancel;
    HBITMAP m_picture = nullptr;
};
