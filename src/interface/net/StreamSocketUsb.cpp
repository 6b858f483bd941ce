#include "interface/net/StreamSocketUsb.h"

#include <algorithm>
#include <cstring>

namespace {

void PutLe16(uint8_t* p, uint16_t v)
{
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}

constexpr size_t kNameFieldSize = 512;

} // namespace

std::array<uint8_t, kTunnelHeaderSize> EncodeTunnelHeader(TunnelRequest type, uint32_t count)
{
    std::array<uint8_t, kTunnelHeaderSize> h{};
    PutLe16(h.data(), static_cast<uint16_t>(type));
    for (int i = 0; i < 4; ++i)
        h[4 + i] = static_cast<uint8_t>(count >> (8 * i));
    return h;
}

std::vector<uint8_t> EncodeTunnelOpenPayload(uint16_t product, bool userMode, const CString& name)
{
    std::vector<uint8_t> p(kTunnelOpenPayloadSize, 0);
    PutLe16(&p[0], 1);
    PutLe16(&p[2], product);
    p[4] = userMode ? 1 : 0;
    // The last character place stays zero, so the name is always terminated.
    const size_t chars = std::min(name.size(), kNameFieldSize / 2 - 1);
    for (size_t i = 0; i < chars; ++i)
        PutLe16(&p[6 + 2 * i], static_cast<uint16_t>(name[i]));
    return p;
}

CStreamSocketUsb::~CStreamSocketUsb()
{
    if (IsConnected())
        SendCloseRequest();
}

bool CStreamSocketUsb::ConnectDevice()
{
    if (!Connect(StringToUtf8(Address()), Port(), -1))
        return false;
    std::vector<uint8_t> request(kTunnelHeaderSize);
    const auto header = EncodeTunnelHeader(TunnelRequest::Open, kTunnelOpenPayloadSize);
    std::memcpy(request.data(), header.data(), header.size());
    const auto payload = EncodeTunnelOpenPayload(m_product, m_userMode, m_name);
    request.insert(request.end(), payload.begin(), payload.end());

    uint8_t answer[kTunnelOpenAnswerSize];
    const bool answered = Send(request.data(), request.size()) && ReceiveExact(answer, sizeof answer) == sizeof answer;
    const bool opened = answered && (answer[kTunnelOpenStatusOffset] | answer[kTunnelOpenStatusOffset + 1] << 8) == 0;
    if (!opened) {
        CloseSocketHandle();
        // A service that answered and said no: the user hears which device it refused.
        if (answered && Ui())
            Ui()->ShowTunnelRefused(m_name);
    }
    return opened;
}

int CStreamSocketUsb::ShowConnectFailed(bool allowDemonstration, bool allowCancel)
{
    const int answer = CStreamSocket::ShowConnectFailed(allowDemonstration, allowCancel);
    if (answer == INetworkUi::kRetry && m_settings) {
        m_settings->WriteText(SettingsHive::CurrentUser, m_entryKey, u"Address", Address());
        m_settings->WriteNumber(SettingsHive::CurrentUser, m_entryKey, u"Port", Port());
    }
    return answer;
}

void CStreamSocketUsb::SendCloseRequest()
{
    const auto header = EncodeTunnelHeader(TunnelRequest::Close, 0);
    Send(header.data(), header.size());  // the service may be gone already
}

void CStreamSocketUsb::DisconnectDevice()
{
    SendCloseRequest();
    CStreamSocket::DisconnectDevice();
}

void CStreamSocketUsb::Read(void* buffer, uint32_t count)
{
    if (!IsConnected()) {
        std::memset(buffer, 0, count);
        return;
    }
    const auto header = EncodeTunnelHeader(TunnelRequest::Read, count);
    SendOrThrow(header.data(), header.size());
    ReceiveOrThrow(buffer, count);
}

void CStreamSocketUsb::Transmit(const uint8_t* data, uint32_t size)
{
    // Header and data leave as one send, so the service sees one message.
    std::vector<uint8_t> message(kTunnelHeaderSize + size);
    const auto header = EncodeTunnelHeader(TunnelRequest::Write, size);
    std::memcpy(message.data(), header.data(), header.size());
    if (size > 0)
        std::memcpy(message.data() + kTunnelHeaderSize, data, size);
    SendOrThrow(message.data(), message.size());
}
