// The network dialogs: the login dialog a network stream shows when the
// interface does not answer at its address, the address dialog of the
// connection choice with the interfaces a search found, the configuration
// dialog that identifies, readdresses and renames a found interface, and the
// dialog that sets its address; and CWin32NetworkUi, which shows them for the
// streams.
#pragma once

#include <memory>

#include "framework/win32/Dialog.h"
#include "interface/net/Discovery.h"
#include "interface/net/NetworkUi.h"

// Control ids shared by the templates.
enum NetDialogControl : int {
    kNetStatus = 101,
    kNetDeviceAddress = 130,
    kNetDeviceMask = 131,
    kNetLocalAddress = 132,
    kNetLocalMask = 133,
    kNetAddress = 151,   // the address field; the name field of 20008
    kNetPort = 152,      // the port field; the MAC shown in 20008
    kNetSearch = 201,
    kNetIdentify = 202,
    kNetConfigure = 203,
    kNetRename = 204,
    kNetDevices = 401,
};

class CSocketLoginDlg : public CDialog {
public:
    static constexpr UINT kTemplate = 20004;

    // DoModal ends it with 4 (retry with Address and Port), 6 or 2.
    CSocketLoginDlg(CString address, uint16_t port, bool allowDemonstration, bool allowCancel);

    const CString& Address() const { return m_address; }
    uint16_t Port() const { return m_port; }

private:
    void OnInitDialog() override;
    bool OnCommand(int id, int notifyCode) override;
    bool TakeFields();

    CString m_address;
    uint16_t m_port;
    bool m_allowDemonstration;
    bool m_allowCancel;
};

// What the search dialogs share: the search, the list of found interfaces
// and the identify command.
class CDeviceListDlg : public CDialog {
protected:
    CDeviceListDlg(UINT templateId, uint32_t productId, IDiscoveryNetwork* network);

    // Searches once the dialog is on the screen, so that it shows at once.
    void OnInitDialog() override;
    bool OnCommand(int id, int notifyCode) override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;
    // The selection changed; selected is none when nothing is selected.
    virtual void OnSelect(const CSocketDeviceInfo* selected);

    void Search();
    const CSocketDeviceInfo* Selected() const;
    CUdpDiscovery& Discovery() { return m_discovery; }
    uint32_t ProductId() const { return m_productId; }
    IDiscoveryNetwork& Network() { return m_network; }

private:
    uint32_t m_productId;
    std::unique_ptr<IDiscoveryNetwork> m_ownNetwork;
    IDiscoveryNetwork& m_network;
    CUdpDiscovery m_discovery;
};

class CUdpConnectDlg : public CDeviceListDlg {
public:
    static constexpr UINT kTemplate = 20005;

    // network: none uses this computer's sockets.
    CUdpConnectDlg(uint32_t productId, CString address, IDiscoveryNetwork* network = nullptr);

    // The address chosen or typed, after OK.
    const CString& Address() const { return m_address; }

private:
    void OnInitDialog() override;
    bool OnCommand(int id, int notifyCode) override;
    void OnSelect(const CSocketDeviceInfo* selected) override;

    CString m_address;
};

class CUdpConfigDlg : public CDeviceListDlg {
public:
    static constexpr UINT kTemplate = 20008;

    explicit CUdpConfigDlg(uint32_t productId, IDiscoveryNetwork* network = nullptr);

private:
    void OnInitDialog() override;
    bool OnCommand(int id, int notifyCode) override;
    void OnSelect(const CSocketDeviceInfo* selected) override;
};

class CSetAddressDlg : public CDialog {
public:
    static constexpr UINT kTemplate = 20006;

    // localMask: the mask of the local interface the device answered on.
    CSetAddressDlg(const CSocketDeviceInfo& device, uint32_t localMask, CUdpDiscovery& discovery);

private:
    void OnInitDialog() override;
    bool OnCommand(int id, int notifyCode) override;

    CSocketDeviceInfo m_device;
    uint32_t m_localMask;
    CUdpDiscovery& m_discovery;
};

// The streams' user: the login dialog and the tunnel's refusal as a message.
class CWin32NetworkUi : public INetworkUi {
public:
    int AskLogin(CString& address, uint16_t& port, bool allowDemonstration, bool allowCancel) override;
    void ShowTunnelRefused(const CString& deviceName) override;
};
