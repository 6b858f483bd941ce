#include "interface/net/win32/NetDialogs.h"

#include <commctrl.h>

#include <cstdio>

#include "framework/UserInteraction.h"
#include "framework/win32/Win32Services.h"
#include "framework/win32/WinApp.h"

namespace {

enum NetText : uint32_t {
    kTextTunnelRefused = 20006,
    kTextBadPort = 20018,
    kTextEmptyAddress = 20019,
    kTextBadDeviceAddress = 20021,
    kTextEmptyName = 20022,
    kTextNothingFound = 20023,
};

constexpr UINT kSearchMessage = WM_APP + 1;

void Warn(uint32_t textId)
{
    ShowMessageBox(CResourceStrings().LoadText(textId), MessageIcon::Warning);
}

CString Trimmed(const CString& text)
{
    const size_t first = text.find_first_not_of(u" \t");
    if (first == CString::npos)
        return {};
    return text.substr(first, text.find_last_not_of(u" \t") - first + 1);
}

// The IP address controls work in host byte order, as everything here.
void SetIpField(HWND control, uint32_t address)
{
    SendMessageW(control, IPM_SETADDRESS, 0, static_cast<LPARAM>(address));
}

// The address in control; false unless all four parts are filled in.
bool GetIpField(HWND control, uint32_t& address)
{
    DWORD value = 0;
    const LRESULT filled = SendMessageW(control, IPM_GETADDRESS, 0, reinterpret_cast<LPARAM>(&value));
    address = value;
    return filled == 4;
}

void RegisterIpAddressControl()
{
    INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_INTERNET_CLASSES};
    InitCommonControlsEx(&classes);
}

CString MacText(const DeviceMac& mac)
{
    char text[24];
    std::snprintf(text, sizeof text, "%02X-%02X-%02X-%02X-%02X-%02X", mac[0], mac[1], mac[2], mac[3], mac[4], mac[5]);
    return Utf8ToString(text);
}

// The busy cursor while the UI thread waits for the network.
class WaitCursor {
public:
    WaitCursor() : m_before(SetCursor(LoadCursor(nullptr, IDC_WAIT))) {}
    ~WaitCursor() { SetCursor(m_before); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

private:
    HCURSOR m_before;
};

} // namespace

// ---------------------------------------------------------------- login

CSocketLoginDlg::CSocketLoginDlg(CString address, uint16_t port, bool allowDemonstration, bool allowCancel)
    : CDialog(kTemplate), m_address(std::move(address)), m_port(port), m_allowDemonstration(allowDemonstration),
      m_allowCancel(allowCancel)
{
}

void CSocketLoginDlg::OnInitDialog()
{
    SetItemText(kNetAddress, m_address);
    SetItemText(kNetPort, Utf8ToString(std::to_string(m_port)));
    SendMessageW(Item(kNetPort), EM_LIMITTEXT, 5, 0);
    EnableItem(INetworkUi::kDemonstration, m_allowDemonstration);
    EnableItem(IDCANCEL, m_allowCancel);
}

bool CSocketLoginDlg::TakeFields()
{
    const CString address = Trimmed(ItemText(kNetAddress));
    if (address.empty()) {
        Warn(kTextEmptyAddress);
        SetFocus(Item(kNetAddress));
        return false;
    }
    const std::string port = StringToUtf8(Trimmed(ItemText(kNetPort)));
    const unsigned long number = port.empty() || port.size() > 5 ? 0 : std::strtoul(port.c_str(), nullptr, 10);
    if (number < 1 || number > 65535) {
        Warn(kTextBadPort);
        SetFocus(Item(kNetPort));
        return false;
    }
    m_address = address;
    m_port = static_cast<uint16_t>(number);
    return true;
}

bool CSocketLoginDlg::OnCommand(int id, int)
{
    switch (id) {
    case IDOK:  // Enter
    case INetworkUi::kRetry:
        if (TakeFields())
            EndDialog(INetworkUi::kRetry);
        return true;
    case INetworkUi::kDemonstration:
        // A disabled button sends nothing, and a posted command must not get round it.
        if (m_allowDemonstration)
            EndDialog(INetworkUi::kDemonstration);
        return true;
    case IDCANCEL:
        if (m_allowCancel)
            EndDialog(INetworkUi::kCancel);
        return true;
    default:
        return false;
    }
}

// ---------------------------------------------------------------- device lists

CDeviceListDlg::CDeviceListDlg(UINT templateId, uint32_t productId, IDiscoveryNetwork* network)
    : CDialog(templateId), m_productId(productId),
      m_ownNetwork(network ? nullptr : std::make_unique<CSocketDiscoveryNetwork>()),
      m_network(network ? *network : *m_ownNetwork), m_discovery(m_network)
{
    RegisterIpAddressControl();
}

void CDeviceListDlg::OnInitDialog()
{
    ShowWindow(Item(kNetStatus), SW_HIDE);
    OnSelect(nullptr);
    PostMessageW(m_hWnd, kSearchMessage, 0, 0);
}

bool CDeviceListDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result)
{
    if (message == kSearchMessage) {
        Search();
        return true;
    }
    // The note about an empty search sits inside the list: the list's colours.
    if (message == WM_CTLCOLORSTATIC && reinterpret_cast<HWND>(lParam) == Item(kNetStatus)) {
        const auto dc = reinterpret_cast<HDC>(wParam);
        SetBkColor(dc, GetSysColor(COLOR_WINDOW));
        SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
        result = reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_WINDOW));
        return true;
    }
    return false;
}

void CDeviceListDlg::Search()
{
    HWND list = Item(kNetDevices);
    SendMessageW(list, LB_RESETCONTENT, 0, 0);
    ShowWindow(Item(kNetStatus), SW_HIDE);
    OnSelect(nullptr);
    UpdateWindow(m_hWnd);
    {
        WaitCursor busy;
        m_discovery.Search(m_productId);
    }
    for (const CSocketDeviceInfo& device : m_discovery.Devices())
        SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(device.ListText())));
    if (m_discovery.Devices().empty()) {
        SetItemText(kNetStatus, CResourceStrings().LoadText(kTextNothingFound));
        ShowWindow(Item(kNetStatus), SW_SHOW);
    }
}

const CSocketDeviceInfo* CDeviceListDlg::Selected() const
{
    const LRESULT index = SendMessageW(Item(kNetDevices), LB_GETCURSEL, 0, 0);
    const auto& devices = m_discovery.Devices();
    if (index < 0 || static_cast<size_t>(index) >= devices.size())
        return nullptr;
    return &devices[static_cast<size_t>(index)];
}

void CDeviceListDlg::OnSelect(const CSocketDeviceInfo* selected)
{
    EnableItem(kNetIdentify, selected != nullptr);
}

bool CDeviceListDlg::OnCommand(int id, int notifyCode)
{
    switch (id) {
    case kNetDevices:
        if (notifyCode == LBN_SELCHANGE)
            OnSelect(Selected());
        return true;
    case kNetSearch:
        Search();
        return true;
    case kNetIdentify:
        if (const CSocketDeviceInfo* device = Selected())
            m_discovery.SendCommand(EncodeIdentifyCommand(device->mac));
        return true;
    default:
        return CDialog::OnCommand(id, notifyCode);
    }
}

// ---------------------------------------------------------------- connect

CUdpConnectDlg::CUdpConnectDlg(uint32_t productId, CString address, IDiscoveryNetwork* network)
    : CDeviceListDlg(kTemplate, productId, network), m_address(std::move(address))
{
}

void CUdpConnectDlg::OnInitDialog()
{
    SetItemText(kNetAddress, m_address);
    CDeviceListDlg::OnInitDialog();
}

void CUdpConnectDlg::OnSelect(const CSocketDeviceInfo* selected)
{
    CDeviceListDlg::OnSelect(selected);
    if (selected)
        SetItemText(kNetAddress, selected->AddressText());
}

bool CUdpConnectDlg::OnCommand(int id, int notifyCode)
{
    switch (id) {
    case kNetDevices:
        if (notifyCode == LBN_DBLCLK && Selected())
            PostMessageW(m_hWnd, WM_COMMAND, IDOK, 0);
        return CDeviceListDlg::OnCommand(id, notifyCode);
    case kNetConfigure: {
        CUdpConfigDlg config(ProductId(), &Network());
        config.DoModal(m_hWnd);
        // Addresses and names may have changed.
        Search();
        return true;
    }
    case IDOK: {
        const CString address = Trimmed(ItemText(kNetAddress));
        if (address.empty()) {
            Warn(kTextEmptyAddress);
            SetFocus(Item(kNetAddress));
            return true;
        }
        m_address = address;
        EndDialog(IDOK);
        return true;
    }
    default:
        return CDeviceListDlg::OnCommand(id, notifyCode);
    }
}

// ---------------------------------------------------------------- configure

CUdpConfigDlg::CUdpConfigDlg(uint32_t productId, IDiscoveryNetwork* network)
    : CDeviceListDlg(kTemplate, productId, network)
{
}

void CUdpConfigDlg::OnInitDialog()
{
    SendMessageW(Item(kNetAddress), EM_LIMITTEXT, kDiscoveryNameLength, 0);
    CDeviceListDlg::OnInitDialog();
}

void CUdpConfigDlg::OnSelect(const CSocketDeviceInfo* selected)
{
    CDeviceListDlg::OnSelect(selected);
    EnableItem(kNetConfigure, selected != nullptr);
    EnableItem(kNetRename, selected != nullptr);
    EnableItem(kNetAddress, selected != nullptr);
    if (selected) {
        SetIpField(Item(kNetDeviceAddress), selected->address);
        SetItemText(kNetAddress, selected->name);
        SetItemText(kNetPort, MacText(selected->mac));
    } else {
        SendMessageW(Item(kNetDeviceAddress), IPM_CLEARADDRESS, 0, 0);
        SetItemText(kNetAddress, CString());
        SetItemText(kNetPort, CString());
    }
}

bool CUdpConfigDlg::OnCommand(int id, int notifyCode)
{
    const CSocketDeviceInfo* device = Selected();
    switch (id) {
    case kNetConfigure:
        if (device) {
            CSetAddressDlg dialog(*device, Discovery().InterfaceMask(device->localAddress), Discovery());
            if (dialog.DoModal(m_hWnd) == IDOK)
                Search();
        }
        return true;
    case kNetRename: {
        if (!device)
            return true;
        const CString name = Trimmed(ItemText(kNetAddress));
        if (name.empty()) {
            Warn(kTextEmptyName);
            SetFocus(Item(kNetAddress));
            return true;
        }
        Discovery().SendCommand(EncodeRenameCommand(device->mac, name));
        Search();
        return true;
    }
    default:
        return CDeviceListDlg::OnCommand(id, notifyCode);
    }
}

// ---------------------------------------------------------------- set address

CSetAddressDlg::CSetAddressDlg(const CSocketDeviceInfo& device, uint32_t localMask, CUdpDiscovery& discovery)
    : CDialog(kTemplate), m_device(device), m_localMask(localMask), m_discovery(discovery)
{
    RegisterIpAddressControl();
}

void CSetAddressDlg::OnInitDialog()
{
    SetIpField(Item(kNetDeviceAddress), m_device.address);
    SetIpField(Item(kNetDeviceMask), m_device.mask != 0 ? m_device.mask : m_localMask);
    SetIpField(Item(kNetLocalAddress), m_device.localAddress);
    SetIpField(Item(kNetLocalMask), m_localMask);
}

bool CSetAddressDlg::OnCommand(int id, int notifyCode)
{
    if (id != IDOK)
        return CDialog::OnCommand(id, notifyCode);
    uint32_t address = 0, mask = 0;
    if (!GetIpField(Item(kNetDeviceAddress), address) || !GetIpField(Item(kNetDeviceMask), mask) ||
        !IsUsableDeviceAddress(address, mask)) {
        Warn(kTextBadDeviceAddress);
        SetFocus(Item(kNetDeviceAddress));
        return true;
    }
    m_discovery.SendCommand(EncodeSetAddressCommand(m_device.mac, address, mask));
    EndDialog(IDOK);
    return true;
}

// ---------------------------------------------------------------- streams' user

int CWin32NetworkUi::AskLogin(CString& address, uint16_t& port, bool allowDemonstration, bool allowCancel)
{
    CSocketLoginDlg dialog(address, port, allowDemonstration, allowCancel);
    const auto answer = static_cast<int>(dialog.DoModal());
    if (answer == kRetry) {
        address = dialog.Address();
        port = dialog.Port();
    }
    return answer < 0 ? kCannotShow : answer;
}

void CWin32NetworkUi::ShowTunnelRefused(const CString& deviceName)
{
    CResourceStrings strings;
    ShowMessageBox(FormatText(strings, kTextTunnelRefused, {deviceName}), MessageIcon::Warning);
}
