// A device layer without devices: paths, pipe files, transfers and the device
// tree are scripted, and every call the stream makes is recorded.
#pragma once

#include <algorithm>
#include <deque>
#include <map>
#include <set>
#include <vector>

#include "interface/usb/UsbDeviceLayer.h"

class FakeUsbLayer : public IUsbDeviceLayer {
public:
    static constexpr InterfaceClassId kPipeClass = {
        0x4D2230BB, 0x00E1, 0x48BC, {0xB6, 0x02, 0x44, 0x42, 0xC6, 0x77, 0xB9, 0xFB}};
    struct Opened {
        CString path;
        UsbAccess access;
    };
    struct Transfer {
        bool ok;
        std::vector<uint8_t> bytes;
    };
    struct TreeNode {
        CString instanceId;
        bool removable;
        std::vector<DeviceNode> children;
    };
    struct DialogCall {
        CString name;
        bool allowDemonstration, allowCancel;
    };

    std::vector<CString> pipePaths, singleHandlePaths;  // what each class lists
    std::set<CString> unopenable;
    std::vector<InterfaceClassId> listedClasses;
    std::vector<Opened> opens;
    std::set<UsbHandle> openHandles;
    std::vector<UsbHandle> closed;
    // Read transfers in order; once none is left, reads fail (the device is gone).
    std::deque<Transfer> transfers;
    bool endlessEmpty = false;  // a device that answers with nothing for ever
    std::vector<uint32_t> readSizes, writes;
    std::vector<uint8_t> written;
    int failWrite = -1, shortWrite = -1;  // the write call (from 0) that fails or falls short
    std::vector<uint32_t> pauses;
    int busyDepth = 0, busyCalls = 0;
    int dialogAnswer = 4;
    std::vector<DialogCall> dialogs;
    bool treeAvailable = true;
    std::map<DeviceNode, TreeNode> tree;  // node 0 is the root
    std::vector<DeviceNode> ejected;
    int treeCalls = 0;

    std::vector<CString> ListDevicePaths(const InterfaceClassId& c) override
    {
        listedClasses.push_back(c);
        return c == kPipeClass ? pipePaths : singleHandlePaths;
    }
    UsbHandle Open(const CString& path, UsbAccess access) override
    {
        opens.push_back({path, access});
        if (unopenable.count(path))
            return kInvalidUsbHandle;
        openHandles.insert(m_nextHandle);
        return m_nextHandle++;
    }
    void Close(UsbHandle h) override
    {
        closed.push_back(h);
        openHandles.erase(h);
    }
    bool Read(UsbHandle h, void* data, uint32_t size, uint32_t& transferred) override
    {
        readSizes.push_back(size);
        transferred = 0;
        if (endlessEmpty)
            return true;
        if (!openHandles.count(h) || transfers.empty())
            return false;
        const Transfer t = transfers.front();
        transfers.pop_front();
        std::copy(t.bytes.begin(), t.bytes.end(), static_cast<uint8_t*>(data));
        transferred = static_cast<uint32_t>(t.bytes.size());
        return t.ok;
    }
    bool Write(UsbHandle h, const void* data, uint32_t size, uint32_t& count) override
    {
        const int call = static_cast<int>(writes.size());
        writes.push_back(size);
        count = call == shortWrite ? size - 1 : size;
        if (!openHandles.count(h) || call == failWrite)
            return false;
        written.insert(written.end(), static_cast<const uint8_t*>(data), static_cast<const uint8_t*>(data) + count);
        return true;
    }
    void Pause(uint32_t ms) override { pauses.push_back(ms); }
    void SetBusy(bool busy) override
    {
        busyDepth += busy ? 1 : -1;
        busyCalls += busy;
    }
    int ShowInitFailed(const CString& name, bool allowDemonstration, bool allowCancel) override
    {
        dialogs.push_back({name, allowDemonstration, allowCancel});
        return dialogAnswer;
    }

    bool DeviceTreeAvailable() override { return treeAvailable; }
    bool RootNode(DeviceNode& root) override
    {
        root = 0;
        return ++treeCalls, tree.count(0) > 0;
    }
    bool FirstChild(DeviceNode node, DeviceNode& child) override
    {
        ++treeCalls;
        const auto& children = tree.at(node).children;
        child = children.empty() ? 0 : children.front();
        return !children.empty();
    }
    bool NextSibling(DeviceNode node, DeviceNode& sibling) override
    {
        ++treeCalls;
        for (const auto& entry : tree) {
            const auto& c = entry.second.children;
            const auto at = std::find(c.begin(), c.end(), node);
            if (at != c.end() && at + 1 != c.end()) {
                sibling = *(at + 1);
                return true;
            }
        }
        return false;
    }
    bool IsRemovable(DeviceNode node) override { return tree.at(node).removable; }
    CString InstanceId(DeviceNode node) override { return tree.at(node).instanceId; }
    bool RequestEject(DeviceNode node) override
    {
        ejected.push_back(node);
        return true;
    }

private:
    UsbHandle m_nextHandle = 100;
};
