#include "interface/usb/StreamUSB.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

// The device tree is shallow; a deeper walk means the tree is broken.
constexpr int kMaxTreeDepth = 64;

char16_t FoldCase(char16_t c)
{
    return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c;
}

// The parts of a device instance id: enumerator, device id, instance.
std::vector<CString> InstanceIdParts(const CString& id)
{
    std::vector<CString> parts;
    size_t start = 0;
    for (;;) {
        const size_t end = id.find(u'\\', start);
        parts.push_back(id.substr(start, end == CString::npos ? CString::npos : end - start));
        if (end == CString::npos)
            return parts;
        start = end + 1;
    }
}

} // namespace

CString ProductIdText(uint16_t productId)
{
    char text[16];
    std::snprintf(text, sizeof text, "pid_%04x", static_cast<unsigned>(productId));
    return Utf8ToString(text);
}

bool MatchesNamePattern(const CString& pattern, const CString& text)
{
    for (size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == u'*')
            return true;
        if (i >= text.size() || FoldCase(pattern[i]) != FoldCase(text[i]))
            return false;
    }
    return pattern.size() == text.size();
}

CStreamUSB::CStreamUSB(std::unique_ptr<IUsbDeviceLayer> layer) : m_layer(std::move(layer)) {}

CStreamUSB::~CStreamUSB()
{
    // Nobody can use the handles once the stream is gone, whatever the count.
    ReleaseHandles();
}

int CStreamUSB::ShowConnectFailed(bool allowDemonstration, bool allowCancel)
{
    const int answer = m_layer->ShowInitFailed(GetDeviceName(), allowDemonstration, allowCancel);
    return answer == -1 ? 2 : answer;
}

CString CStreamUSB::GetPipeName(bool read)
{
    return read ? u"PIPE02" : u"PIPE03";
}

InterfaceClassId CStreamUSB::GetInterfaceClass()
{
    return m_openMode == 0 ? kPipeInterfaceClass : kSingleHandleInterfaceClass;
}

bool CStreamUSB::Open()
{
    if (IsConnected()) {
        ++m_openCount;
        return true;
    }
    UsbBusyScope busy(*m_layer);
    const bool pipes = m_openMode == 0;
    if (!(pipes ? OpenPipes() : OpenSingleHandle()))
        return false;
    // The single-handle method goes without the pause: the driver behind it
    // is ready once its file opens.
    if (pipes)
        m_layer->Pause(m_openPause);
    m_readPosition = m_fillCount = 0;
    m_blockCount = 0;
    ++m_openCount;
    return true;
}

bool CStreamUSB::OpenPipes()
{
    const CString product = ProductIdText(GetProductId());
    for (const CString& path : m_layer->ListDevicePaths(GetInterfaceClass())) {
        if (path.find(product) == CString::npos)
            continue;
        // Opening the device itself first tells a device in use by another
        // program from one whose pipes are missing.
        const UsbHandle test = m_layer->Open(path, UsbAccess::ReadWrite);
        if (test == kInvalidUsbHandle)
            continue;
        m_layer->Close(test);
        const UsbHandle read = m_layer->Open(path + u"\\" + GetPipeName(true), UsbAccess::Read);
        const UsbHandle write = m_layer->Open(path + u"\\" + GetPipeName(false), UsbAccess::Write);
        if (read != kInvalidUsbHandle && write != kInvalidUsbHandle) {
            m_readHandle = read;
            m_writeHandle = write;
            return true;
        }
        if (read != kInvalidUsbHandle)
            m_layer->Close(read);
        if (write != kInvalidUsbHandle)
            m_layer->Close(write);
    }
    return false;
}

bool CStreamUSB::OpenSingleHandle()
{
    const CString product = ProductIdText(GetProductId());
    for (const CString& path : m_layer->ListDevicePaths(GetInterfaceClass())) {
        if (path.find(product) == CString::npos)
            continue;
        const UsbHandle handle = m_layer->Open(path, UsbAccess::ReadWrite);
        if (handle == kInvalidUsbHandle)
            return false;
        m_readHandle = m_writeHandle = handle;
        return true;
    }
    return false;
}

void CStreamUSB::Close()
{
    if (IsConnected() && LeaveUser())
        ReleaseHandles();
}

void CStreamUSB::ReleaseHandles()
{
    if (m_readHandle != kInvalidUsbHandle)
        m_layer->Close(m_readHandle);
    if (m_writeHandle != kInvalidUsbHandle && m_writeHandle != m_readHandle)
        m_layer->Close(m_writeHandle);
    m_readHandle = m_writeHandle = kInvalidUsbHandle;
    m_openCount = 0;
    m_blockMode = false;
    m_blockCount = 0;
}

void CStreamUSB::Read(void* buffer, uint32_t count)
{
    auto* out = static_cast<uint8_t*>(buffer);
    if (!IsConnected()) {
        // Nothing is transferred; zeros keep callers away from stale memory.
        std::memset(out, 0, count);
        return;
    }
    while (count > 0) {
        if (m_readPosition == m_fillCount)
            ReceiveTransfer();
        const uint32_t n = std::min(count, m_fillCount - m_readPosition);
        std::memcpy(out, m_receive + m_readPosition, n);
        m_readPosition += n;
        out += n;
        count -= n;
    }
}

void CStreamUSB::ReceiveTransfer()
{
    m_readPosition = m_fillCount = 0;
    for (uint32_t empty = 0; empty < kMaxEmptyTransfers; ++empty) {
        uint32_t received = 0;
        // More than was asked for can only come from a broken driver.
        if (!m_layer->Read(m_readHandle, m_receive, kTransferSize, received) || received > kTransferSize)
            ThrowStreamException(kStreamUsbReadFailed);
        if (received > 0) {
            m_fillCount = received;
            return;
        }
    }
    ThrowStreamException(kStreamUsbReadFailed);
}

void CStreamUSB::Write(const void* buffer, uint32_t count)
{
    if (!IsConnected())
        return;
    const auto* bytes = static_cast<const uint8_t*>(buffer);
    if (!m_blockMode) {
        Transmit(bytes, count);
        return;
    }
    while (count > 0) {
        const uint32_t n = std::min(count, kBlockSize - m_blockCount);
        std::memcpy(m_block + m_blockCount, bytes, n);
        m_blockCount += n;
        bytes += n;
        count -= n;
        if (m_blockCount == kBlockSize) {
            // Emptied first: a failed send must not leave the full block behind.
            m_blockCount = 0;
            Transmit(m_block, kBlockSize);
        }
    }
}

void CStreamUSB::Transmit(const uint8_t* data, uint32_t size)
{
    while (size > 0) {
        const uint32_t chunk = std::min(size, kWriteChunkSize);
        uint32_t written = 0;
        if (!m_layer->Write(m_writeHandle, data, chunk, written) || written != chunk)
            ThrowStreamException(kStreamUsbWriteFailed);
        data += chunk;
        size -= chunk;
    }
}

void CStreamUSB::PurgeInput()
{
    m_readPosition = 0;
    m_fillCount = 0;
}

void CStreamUSB::EndBlock()
{
    m_blockMode = false;
    const uint32_t n = m_blockCount;
    m_blockCount = 0;
    if (n > 0 && IsConnected())
        Transmit(m_block, n);
}

bool CStreamUSB::ResetDevice()
{
    UsbBusyScope busy(*m_layer);
    Close();
    RestartMatchingDevices();
    m_layer->Pause(kRestartPause);
    return true;
}

void CStreamUSB::RestartMatchingDevices()
{
    DeviceNode root = 0;
    if (!m_layer->DeviceTreeAvailable() || !m_layer->RootNode(root))
        return;
    std::vector<DeviceNode> ejected;
    VisitDevice(root, std::nullopt, 0, ejected);
}

void CStreamUSB::VisitDevice(DeviceNode node, std::optional<DeviceNode> removableAncestor, int depth,
                             std::vector<DeviceNode>& ejected)
{
    if (m_layer->IsRemovable(node))
        removableAncestor = node;
    // Every part of the instance id is compared, so that a name pattern can
    // select by enumerator, device id or instance alike.
    const CString pattern = GetDeviceName();
    bool matches = false;
    for (const CString& part : InstanceIdParts(m_layer->InstanceId(node)))
        matches = matches || MatchesNamePattern(pattern, part);
    if (matches) {
        // A device that cannot be removed itself restarts with the hub or
        // port above it; without one, the device is asked all the same.
        const DeviceNode target = removableAncestor.value_or(node);
        if (std::find(ejected.begin(), ejected.end(), target) == ejected.end()) {
            m_layer->RequestEject(target);
            ejected.push_back(target);
        }
    }
    if (depth >= kMaxTreeDepth)
        return;
    DeviceNode child = 0;
    for (bool more = m_layer->FirstChild(node, child); more; more = m_layer->NextSibling(child, child))
        VisitDevice(child, removableAncestor, depth + 1, ejected);
}
