#include "net/SimServer.h"

#include <algorithm>
#include <chrono>
#include <vector>

#include "protocol/SimBox.h"

namespace vexasim {

void CSimServer::ArmFaults(const FaultPlan& faults)
{
    std::lock_guard<std::mutex> g(m_armLock);
    m_armed = faults;
    ++m_armings;
}

void CSimServer::Serve(SocketHandle socket, const std::atomic<bool>& stop)
{
    using Clock = std::chrono::steady_clock;
    struct Open {
        std::atomic<int>& count;
        explicit Open(std::atomic<int>& c) : count(c) { ++count; }
        ~Open() { --count; }
    } open(m_open);
    auto accepted = Clock::now();
    uint32_t armings = m_armings;
    // Later connections run clean once the faulty ones are used up, so that
    // a reconnect after a planned loss finds a working box.
    const uint32_t number = ++m_connections;
    FaultPlan faults = m_faults.faultyConnections == 0 || number <= m_faults.faultyConnections ? m_faults : FaultPlan{};
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
        // Counted before they leave: a client that has read them must find them counted.
        m_bytesSent += n;
        const bool ok = SendAll(socket, out.data(), n);
        sent += n;
        out.clear();
        m_faultsPlayed += cut;
        return ok && !cut;
    };

    // Taken before every feed, so that whatever arrives after ArmFaults
    // returned meets the new plan.
    auto takeArmed = [&] {
        if (armings == m_armings)
            return;
        std::lock_guard<std::mutex> g(m_armLock);
        armings = m_armings;
        faults = m_armed;
        engine.Arm(faults);
        if (faults.closeAfterBytes != 0)
            faults.closeAfterBytes += sent;
        accepted = Clock::now();
    };

    auto feed = [&](const uint8_t* data, size_t size) {
        const uint32_t played = engine.FaultsPlayed();
        engine.Feed(data, size, out);
        m_faultsPlayed += engine.FaultsPlayed() - played;
    };

    while (!stop) {
        takeArmed();
        if (expired()) {
            ++m_faultsPlayed;
            return;
        }
        const WaitResult w = WaitReadable(socket, kSliceMs);
        if (w == WaitResult::Timeout)
            continue;
        if (w == WaitResult::Failed)
            return;
        const long n = ReceiveSome(socket, in.data(), in.size());
        if (n <= 0)
            return;
        takeArmed();
        feed(in.data(), static_cast<size_t>(n));
        for (;;) {
            if (!flush())
                return;
            if (!engine.StallDue())
                break;
            if (m_box.log)
                m_box.log("stalling");
            SleepUnlessStopped(faults.stallSeconds, stop);
            engine.StallDone();
            feed(nullptr, 0);
        }
    }
}

} // namespace vexasim
