// The few platform calls the USB transport needs: finding the devices of a
// device interface class, the device and pipe files, the pauses and the busy
// cursor, the connection dialog and the configuration manager's device tree.
// The Windows implementation lives in win32/; tests plug in a fake, so that
// the stream's logic runs everywhere.
#pragma once

#include <cstdint>
#include <vector>

#include "framework/Types.h"

// A platform file handle; kInvalidUsbHandle (all bits set, the system's -1)
// marks none, on 32- and 64-bit alike.
using UsbHandle = uintptr_t;
constexpr UsbHandle kInvalidUsbHandle = ~UsbHandle{0};

// A node of the configuration manager's device tree.
using DeviceNode = uint32_t;

// A device interface class identifier, laid out as the platform's GUID.
struct InterfaceClassId {
    uint32_t data1;
    uint16_t data2;
    uint16_t data3;
    uint8_t data4[8];
};

inline bool operator==(const InterfaceClassId& a, const InterfaceClassId& b)
{
    if (a.data1 != b.data1 || a.data2 != b.data2 || a.data3 != b.data3)
        return false;
    for (int i = 0; i < 8; ++i)
        if (a.data4[i] != b.data4[i])
            return false;
    return true;
}

enum class UsbAccess { Read, Write, ReadWrite };

class IUsbDeviceLayer {
public:
    virtual ~IUsbDeviceLayer() = default;

    // The device paths of the present devices exposing that interface class,
    // in the system's enumeration order; empty when there are none.
    virtual std::vector<CString> ListDevicePaths(const InterfaceClassId& interfaceClass) = 0;
    // Opens an existing device or pipe file without sharing; kInvalidUsbHandle on failure.
    virtual UsbHandle Open(const CString& path, UsbAccess access) = 0;
    virtual void Close(UsbHandle handle) = 0;
    // One synchronous transfer of at most size bytes; false when it failed.
    virtual bool Read(UsbHandle handle, void* data, uint32_t size, uint32_t& transferred) = 0;
    // One synchronous transfer of size bytes; written receives how many left.
    virtual bool Write(UsbHandle handle, const void* data, uint32_t size, uint32_t& written) = 0;

    virtual void Pause(uint32_t milliseconds) = 0;
    // The busy cursor; calls nest, the last SetBusy(false) restores the cursor.
    virtual void SetBusy(bool busy) = 0;
    // The "device cannot be reached" dialog: 4 try again, 6 demonstration
    // mode, 2 cancel; -1 when it cannot be shown.
    virtual int ShowInitFailed(const CString& deviceName, bool allowDemonstration, bool allowCancel) = 0;

    // The device tree. DeviceTreeAvailable is false when the configuration
    // manager's functions cannot be had; the other calls are then not made.
    virtual bool DeviceTreeAvailable() = 0;
    virtual bool RootNode(DeviceNode& root) = 0;
    virtual bool FirstChild(DeviceNode node, DeviceNode& child) = 0;
    virtual bool NextSibling(DeviceNode node, DeviceNode& sibling) = 0;
    virtual bool IsRemovable(DeviceNode node) = 0;
    // The device instance id ("USB\VID_...\..."); empty when it cannot be read.
    virtual CString InstanceId(DeviceNode node) = 0;
    // Asks the system to eject the device, so that it restarts; true when granted.
    virtual bool RequestEject(DeviceNode node) = 0;
};
