#include "net/TunnelService.h"

#include <algorithm>
#include <vector>

#include "net/Discovery.h"
#include "protocol/ProtocolEngine.h"
#include "protocol/SimBox.h"

namespace vexasim {

namespace {

constexpr size_t kOpenPayloadSize = 518;
constexpr size_t kOpenAnswerSize = 260;
constexpr size_t kStatusOffset = 258;
// Larger writes are taken in pieces of this size.
constexpr size_t kChunk = 64 * 1024;

uint16_t Le16(const uint8_t* p)
{
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}

} // namespace

uint16_t CTunnelService::OpenStatus(const uint8_t* payload, size_t size)
{
    if (size < 6 || Le16(payload) != 1)
        return 2;
    const uint16_t product = Le16(payload + 2);
    return product == 0 || product == kInterfaceProductId ? 0 : 1;
}

void CTunnelService::Serve(SocketHandle socket, const std::atomic<bool>& stop)
{
    CProtocolEngine engine(m_box);
    std::vector<uint8_t> answers;  // what the box said and nobody read yet
    std::vector<uint8_t> data;
    bool open = false;
    for (;;) {
        uint8_t header[8];
        if (!ReceiveAll(socket, header, sizeof header, stop))
            return;
        const uint16_t type = Le16(header);
        const uint32_t count = header[4] | header[5] << 8 | static_cast<uint32_t>(header[6]) << 16 |
                               static_cast<uint32_t>(header[7]) << 24;
        switch (type) {
        case 3: {  // open
            if (count > 4096)
                return;
            data.resize(count);
            if (!ReceiveAll(socket, data.data(), count, stop))
                return;
            uint8_t answer[kOpenAnswerSize] = {};
            const uint16_t status = count == kOpenPayloadSize ? OpenStatus(data.data(), count) : 2;
            answer[kStatusOffset] = static_cast<uint8_t>(status);
            answer[kStatusOffset + 1] = static_cast<uint8_t>(status >> 8);
            open = status == 0;
            if (!SendAll(socket, answer, sizeof answer))
                return;
            break;
        }
        case 2:  // write: the bytes go to the box as they come
            if (!open)
                return;
            for (uint32_t left = count; left > 0;) {
                const size_t n = std::min<size_t>(left, kChunk);
                data.resize(n);
                if (!ReceiveAll(socket, data.data(), n, stop))
                    return;
                engine.Feed(data.data(), n, answers);
                left -= static_cast<uint32_t>(n);
            }
            break;
        case 1: {  // read: what is there, up to count; the client times out on the rest
            if (!open)
                return;
            const size_t n = std::min<size_t>(count, answers.size());
            if (!SendAll(socket, answers.data(), n))
                return;
            answers.erase(answers.begin(), answers.begin() + static_cast<std::ptrdiff_t>(n));
            break;
        }
        case 4:  // close
            return;
        default:
            if (m_box.log)
                m_box.log("tunnel: unknown request type " + std::to_string(type));
            return;
        }
    }
}

} // namespace vexasim
