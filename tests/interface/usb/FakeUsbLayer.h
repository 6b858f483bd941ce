// A device layer without devices: paths, pipe files, transfers and the device
// tree are scripted, and every call the stream makes is recorded.
#pragma once

#include <deque>
#include <map>
#include <set>
#include <vector>

#include "interface/usb/UsbDeviceLayer.h"

class FakeUsbLayer : public IUsbDeviceLayer {
public:
    struct Opened {
        CString path;
        UsbAccess access;
    };
    // One read transfer: its bytes, or a failure.
    struct Transfer {
        bool ok;
        std::vector<uint8_t> bytes;
    };
    struct TreeNode {
        CString instanceId;
        bool removable = false;
        std::vector<DeviceNode> children;
    };

    // What ListDevicePaths answers, by class.
    std::vector<CString> pipePaths, singleHandlePaths;
    std::set<CString> unopenable;  // paths whose Open fails
    std::vector<Opened> opens;
    std::set<UsbHandle> openHandles;
    std::vector<UsbHandle> closed;

    // Read transfers in order; when none is left, reads fail (the device is gone).
    std::deque<Transfer> transfers;
    // Reads answer with empty transfers for ever: a device that sends nothing.
    bool endlessEmpty = false;
    std::vector<uint32_t> readSizes;
    std::vector<uint32_t> writes;
    std::vector<uint8_t> written;
    // Write call n (counted from 0) fails or writes one byte too few.
    int failWrite = -1, shortWrite = -1;

    std::vector<uint32_t> pauses;
    int busyDepth = 0, busyCalls = 0;

    int dialogAnswer = 4;
    struct DialogCall {
        CString name;
        bool allowDemonstration, allowCancel;
    };
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
        const UsbHandle h = m_nextHandle++;
        openHandles.insert(h);
        return h;
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
        if (!openHandles.count(h))
            return false;
        if (endlessEmpty)
            return true;
        if (transfers.empty())
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
        count = 0;
        if (!openHandles.count(h) || call == failWrite)
            return false;
        count = call == shortWrite ? size - 1 : size;
        const auto* bytes = static_cast<const uint8_t*>(data);
        written.insert(written.end(), bytes, bytes + count);
        return true;
    }
    void Pause(uint32_t ms) override { pauses.push_back(ms); }
    void SetBusy(bool busy) override
    {
        busyDepth += busy ? 1 : -1;
        busyCalls += busy ? 1 : 0;
    }
    int ShowInitFailed(const CString& name, bool allowDemonstration, bool allowCancel) override
    {
        dialogs.push_back({name, allowDemonstration, allowCancel});
        return dialogAnswer;
    }

    bool DeviceTreeAvailable() override { return treeAvailable; }
    bool RootNode(DeviceNode& root) override
    {
        ++treeCalls;
        root = 0;
        return tree.count(0) > 0;
    }
    bool FirstChild(DeviceNode node, DeviceNode& child) override
    {
        ++treeCalls;
        const auto& children = tree.at(node).children;
        if (children.empty())
            return false;
        child = children.front();
        return true;
    }
    bool NextSibling(DeviceNode node, DeviceNode& sibling) override
    {
        ++treeCalls;
        for (const auto& [id, n] : tree) {
            for (size_t i = 0; i + 1 < n.children.size(); ++i) {
                if (n.children[i] == node) {
                    sibling = n.children[i + 1];
                    return true;
                }
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

    std::vector<InterfaceClassId> listedClasses;
    static constexpr InterfaceClassId kPipeClass = {
        0x4D2230BB, 0x00E1, 0x48BC, {0xB6, 0x02, 0x44, 0x42, 0xC6, 0x77, 0xB9, 0xFB}};

private:
    UsbHandle m_nextHandle = 100;
};
