// The USB device layer on Windows: SetupDi finds the devices, the file
// functions open them and their pipes, and the configuration manager's
// functions, loaded at run time, walk the device tree for a restart.
#pragma once

#include <windows.h>

#include <memory>

#include "interface/usb/UsbDeviceLayer.h"

class CWin32UsbDeviceLayer : public IUsbDeviceLayer {
public:
    CWin32UsbDeviceLayer();
    ~CWin32UsbDeviceLayer() override;
    CWin32UsbDeviceLayer(const CWin32UsbDeviceLayer&) = delete;
    CWin32UsbDeviceLayer& operator=(const CWin32UsbDeviceLayer&) = delete;

    std::vector<CString> ListDevicePaths(const InterfaceClassId& interfaceClass) override;
    UsbHandle Open(const CString& path, UsbAccess access) override;
    void Close(UsbHandle handle) override;
    bool Read(UsbHandle handle, void* data, uint32_t size, uint32_t& transferred) override;
    bool Write(UsbHandle handle, const void* data, uint32_t size, uint32_t& written) override;
    void Pause(uint32_t milliseconds) override;
    void SetBusy(bool busy) override;
    int ShowInitFailed(const CString& deviceName, bool allowDemonstration, bool allowCancel) override;

    bool DeviceTreeAvailable() override;
    bool RootNode(DeviceNode& root) override;
    bool FirstChild(DeviceNode node, DeviceNode& child) override;
    bool NextSibling(DeviceNode node, DeviceNode& sibling) override;
    bool IsRemovable(DeviceNode node) override;
    CString InstanceId(DeviceNode node) override;
    bool RequestEject(DeviceNode node) override;

private:
    struct ConfigManager;
    // Loads the configuration manager's functions once; null when one is missing.
    const ConfigManager* Functions();

    int m_busyDepth = 0;
    HCURSOR m_cursorBeforeBusy = nullptr;
    HMODULE m_setupLibrary = nullptr;
    bool m_loadTried = false;
    std::unique_ptr<ConfigManager> m_functions;
};
