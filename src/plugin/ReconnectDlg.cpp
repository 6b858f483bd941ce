#include "plugin/ReconnectDlg.h"

#include "viframework/controls/HotToggle.h"
#include "viframework/controls/Label.h"

CReconnectDlg::CReconnectDlg(const IUserInteraction::ConnectionInfo& info, HWND owner)
    : CVIDialog(info.kind == IUserInteraction::ConnectionInfo::kNetwork ? kNetworkLayout : kOtherLayout, owner),
      m_info(info)
{
}

bool CReconnectDlg::UpdateData(bool fromPanel)
{
    if (fromPanel)
        return true;
    for (int32_t kind = 0; kind <= IUserInteraction::ConnectionInfo::kNetwork; ++kind) {
        if (auto* radio = Find<CHotRadio>(kFirstKindId + uint32_t(kind))) {
            radio->SetChecked(kind == m_info.kind);
            // The kinds only tell; the choice of a new connection comes after OK.
            radio->SetFlag(kHotDisabled, true);
        }
    }
    ShowText(kAddressId, m_info.address);
    ShowText(kDeviceNameId, m_info.deviceName);
    ShowText(kIdentificationId, m_info.identification);
    if (CHotspot* note = FindHotspot(kHotLabel, kInstrumentsNoteId)) {
        note->SetFlag(kHotVisible, m_info.instrumentsOpen);
        // The note sits below the panel's own height; the panel grows to show it
        // (40 units, which are 40 pixels at 96 dpi at the first zoom level).
        if (m_info.instrumentsOpen)
            SetPanelSize(-1, PanelSize().cy + kNoteHeight);
    }
    return true;
}

void CReconnectDlg::ShowText(uint32_t id, const CString& text)
{
    if (auto* label = Find<CHotLabel>(id))
        label->SetText(text.empty() ? CString(u"-") : text);
}

bool CPlugInUserInteraction::ConfirmReconnect(const ConnectionInfo& info)
{
    CReconnectDlg dialog(info, nullptr);
    return dialog.DoModal() == 1;
}
