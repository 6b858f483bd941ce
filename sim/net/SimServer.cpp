#include "net/SimServer.h"

#include <algorithm>
#include <chrono>
#include <vector>

#include "protocol/SimBox.h"

namespace vexasim {

void CSimServer::Serve(SocketHandle socket, const std::atomic<bool>& stop)
{
    using Clock = std::chrono::steady_clock;
    const auto accepted = Clock::now();
    CProtocolEngine engine(m_box, m_faults);
    std::vector<uint8_t> in(64 * 1024);
    std::vector<uint8_t> out;
    uint64_t sent = 0;

    auto expired = [&] {
        return m_faults.closeAfterSeconds > 0 &&
               std::chrono::duration<double>(Clock::now() - accepted).count() >= m_faults.closeAfterSeconds;
    };
    // Sends the answers; false when the connection is to end.
    auto flush = [&] {
        size_t n = out.size();
        const bool cut = m_faults.closeAfterBytes > 0 && sent + n >= m_faults.closeAfterBytes;
        if (cut)
            n = static_cast<size_t>(m_faults.closeAfterBytes - sent);
        const bool ok = SendAll(socket, out.data(), n);
        sent += n;
        out.clear();
        return ok && !cut;
    };

    while (!stop && !expired()) {
        const WaitResult w = WaitReadable(socket, kSliceMs);
        if (w == WaitResult::Timeout)
            continue;
        if (w == WaitResult::Failed)
            return;
        const long n = ReceiveSome(socket, in.data(), in.size());
        if (n <= 0)
            return;
        engine.Feed(in.data(), static_cast<size_t>(n), out);
        for (;;) {
            if (!flush())
                return;
            if (!engine.StallDue())
                break;
            if (m_box.log)
                m_box.log("stalling");
            SleepUnlessStopped(m_faults.stallSeconds, stop);
            engine.StallDone();
            engine.Feed(nullptr, 0, out);
        }
    }
}

} // namespace vexasim
