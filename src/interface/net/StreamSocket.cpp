#include "interface/net/StreamSocket.h"

#include <algorithm>
#include <cstring>

int CStreamSocket::ShowConnectFailed(bool allowDemonstration, bool allowCancel)
{
    if (!m_ui)
        return INetworkUi::kCancel;
    CString address = m_address;
    uint16_t port = m_port;
    const int answer = m_ui->AskLogin(address, port, allowDemonstration, allowCancel);
    if (answer == INetworkUi::kCannotShow)
        return INetworkUi::kCancel;
    if (answer == INetworkUi::kRetry) {
        m_address = address;
        m_port = port;
    }
    return answer;
}

bool CStreamSocket::Open()
{
    if (IsConnected()) {
        ++m_openCount;
        return true;
    }
    // Without the socket layer there is nothing to try; the caller tells the user.
    if (!SocketLayerStartup() || m_address.empty())
        return false;
    if (!ConnectDevice())
        return false;
    ++m_openCount;
    return true;
}

void CStreamSocket::Close()
{
    if (IsConnected() && LeaveUser())
        DisconnectDevice();
}

bool CStreamSocket::ConnectDevice()
{
    return Connect(StringToUtf8(m_address), m_port, kConnectTimeoutMs);
}

void CStreamSocket::DisconnectDevice()
{
    CloseSocketHandle();
    m_blockMode = false;
    m_blockCount = 0;
}

void CStreamSocket::Read(void* buffer, uint32_t count)
{
    if (!IsConnected()) {
        // Nothing is transferred; zeros keep callers away from stale memory.
        std::memset(buffer, 0, count);
        return;
    }
    ReceiveOrThrow(buffer, count);
}

void CStreamSocket::ReceiveOrThrow(void* data, uint32_t size)
{
    if (ReceiveExact(data, size) < size)
        ThrowStreamException(kStreamNetworkReadFailed);
}

void CStreamSocket::SendOrThrow(const void* data, size_t size)
{
    if (!Send(data, size))
        ThrowStreamException(kStreamNetworkReadFailed);
}

void CStreamSocket::Write(const void* buffer, uint32_t count)
{
    if (!IsConnected())
        return;
    const auto* bytes = static_cast<const uint8_t*>(buffer);
    if (!m_blockMode) {
        Transmit(bytes, count);
        return;
    }
    while (count > 0) {
        if (m_blockCount == kBlockSize) {
            // Reset first: a failed transmit must not leave the full block behind.
            m_blockCount = 0;
            Transmit(m_block, kBlockSize);
        }
        const uint32_t n = std::min(count, kBlockSize - m_blockCount);
        std::memcpy(m_block + m_blockCount, bytes, n);
        m_blockCount += n;
        bytes += n;
        count -= n;
    }
}

void CStreamSocket::Transmit(const uint8_t* data, uint32_t size)
{
    SendOrThrow(data, size);
}

void CStreamSocket::PurgeInput()
{
    uint8_t dropped[256];
    while (IsDataWaiting()) {
        // A readable socket with nothing to read is a closed one: stop there.
        if (ReceiveSome(Handle(), dropped, sizeof dropped) <= 0)
            break;
    }
}

uint32_t CStreamSocket::GetInputCount()
{
    return WaitingCount();
}

void CStreamSocket::BeginBlock()
{
    m_blockMode = true;
    m_blockCount = 0;
}

void CStreamSocket::EndBlock()
{
    m_blockMode = false;
    const uint32_t n = m_blockCount;
    m_blockCount = 0;
    if (n > 0 && IsConnected())
        Transmit(m_block, n);
}

bool CStreamSocket::ResetDevice()
{
    Close();
    return true;
}
