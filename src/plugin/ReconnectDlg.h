// CReconnectDlg: tells the user how the plug-in is connected and asks
// whether to replace the connection; layout 11000 for network streams,
// 11001 for the others. CPlugInUserInteraction shows it for the interface
// object.
#pragma once

#include "framework/win32/Win32Services.h"
#include "viframework/win32/VIDialog.h"

class CReconnectDlg : public CVIDialog {
public:
    static constexpr uint32_t kNetworkLayout = 11000;
    static constexpr uint32_t kOtherLayout = 11001;
    // Radio buttons 100 to 103 stand for the connection kinds 0 to 3.
    static constexpr uint32_t kFirstKindId = 100;
    static constexpr uint32_t kAddressId = 110;
    static constexpr uint32_t kDeviceNameId = 111;
    static constexpr uint32_t kIdentificationId = 115;
    // The note about the instruments that will close; shown only when some are open.
    static constexpr uint32_t kInstrumentsNoteId = 116;
    // The dialog grows by this much at 96 dpi when instruments are open.
    static constexpr int32_t kNoteHeight = 40;

    CReconnectDlg(const IUserInteraction::ConnectionInfo& info, HWND owner);

    bool UpdateData(bool fromPanel) override;

private:
    void ShowText(uint32_t id, const CString& text);

    IUserInteraction::ConnectionInfo m_info;
};

// The plug-in's user: the system's dialogs, and the reconnect dialog drawn as a panel.
class CPlugInUserInteraction : public CWin32UserInteraction {
public:
    bool ConfirmReconnect(const ConnectionInfo& info) override;
};
