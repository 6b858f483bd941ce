// CUsbInitFailedDlg: tells the user that the USB device cannot be reached
// and asks whether to try again, to work in demonstration mode or to give up.
#pragma once

#include <windows.h>

#include "framework/Types.h"
#include "framework/win32/Dialog.h"

class CUsbInitFailedDlg : public CDialog {
public:
    static constexpr UINT kTemplateWithCancel = 20002;
    static constexpr UINT kTemplateWithoutCancel = 20003;
    static constexpr UINT kPicture = 20000;
    static constexpr UINT kTextCannotOpen = 20006;  // %1: the device name
    static constexpr int kMessageControl = 101;
    static constexpr int kTryAgain = 4;
    static constexpr int kDemonstration = 6;
    static constexpr int kCancel = 2;

    // DoModal ends it with 4 try again, 6 demonstration mode or 2 cancel.
    CUsbInitFailedDlg(CString deviceName, bool allowDemonstration, bool allowCancel)
        : CDialog(allowCancel ? kTemplateWithCancel : kTemplateWithoutCancel), m_deviceName(std::move(deviceName)),
          m_allowDemonstration(allowDemonstration), m_allowCancel(allowCancel)
    {
    }
    ~CUsbInitFailedDlg() override;

private:
    void OnInitDialog() override;
    // Puts the resource library's picture above everything else.
    void PlacePicture();
    bool OnCommand(int id, int notifyCode) override;

    CString m_deviceName;
    bool m_allowDemonstration;
    bool m_allowCancel;
    HBITMAP m_picture = nullptr;
};
