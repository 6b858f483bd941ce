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
    // Later connections run clean once the faulty ones are used up, so that
    // a reconnect after a planned loss finds a working box.
    const uint32_t number = ++m_connections;
    const FaultPlan faults = m_faults.faultyConnections == 0 || number <= m_faults.faultyConnections ? m_faults : FaultPlan{};
    CProtocolEngine engine(m_box, faults);
    std::vector<uint8_t> in(64 * 1024);
    std::vector<uint8_t> out;
    uint64_t sent = 0;

    auto expired = [&] {
        return faults.closeAfterSeconds > 0 &&
               std::chrono::duration<double>(Clock::now() - accepted).count() >= faults.closeAfterSeconds;
    };
    // Sends the answers; false when the connection is to end.
    auto flush = [&] {
        size_t n = out.size();
        const bool cut = faults.closeAfterBytes > 0 && sent + n >= faults.closeAfterBytes;
        if (cut)
            n = static_cast<size_t>(faults.closeAfterBytes - sent);
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
            SleepUnlessStopped(faults.stallSeconds, stop);
            engine.StallDone();
            engine.Feed(nullptr, 0, out);
        }
    }
}

} // namespace vexasim
