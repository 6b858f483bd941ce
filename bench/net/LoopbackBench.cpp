// Prints what the protocol achieves over loopback TCP against the simulator
// next to what raw sockets achieve on this machine (the physical limit):
// round trips per second of a one-byte query, and bytes per second of a
// full scope record.
//
//   loopback_bench [seconds per figure, default 3]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "BenchSimulator.h"
#include "BenchTiming.h"
#include "net/TcpService.h"

using namespace vexasim;

namespace {

using Clock = std::chrono::steady_clock;

// Answers every byte it receives with a reply of a fixed size (1: an echo).
// It blocks in the receive call itself, the cheapest way to wait; Stop()
// shuts the socket, which ends the wait.
class CReplyService : public CTcpService {
public:
    explicit CReplyService(size_t replySize) : m_reply(replySize, 0x5A) {}
    ~CReplyService() override { Stop(); }

protected:
    void Serve(SocketHandle socket, const std::atomic<bool>&) override
    {
        uint8_t request;
        while (ReceiveSome(socket, &request, 1) == 1) {
            if (!SendAll(socket, m_reply.data(), m_reply.size()))
                return;
        }
    }

private:
    std::vector<uint8_t> m_reply;
};

// Runs one exchange repeatedly for about the given time; exchanges per second.
double Rate(double seconds, const std::function<void()>& exchange)
{
    for (int i = 0; i < 50; ++i)
        exchange();  // warm up
    long count = 0;
    const auto start = Clock::now();
    double elapsed = 0;
    do {
        for (int i = 0; i < 50; ++i)
            exchange();
        count += 50;
        elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    } while (elapsed < seconds);
    return static_cast<double>(count) / elapsed;
}

double RawRate(double seconds, size_t replySize)
{
    CReplyService service(replySize);
    std::string error;
    if (!service.Start(kLoopbackAddress, 0, error)) {
        std::fprintf(stderr, "loopback_bench: %s\n", error.c_str());
        std::exit(1);
    }
    CSocketClient client;
    if (!client.Connect("127.0.0.1", service.Port(), 5000)) {
        std::fprintf(stderr, "loopback_bench: cannot connect to the raw service\n");
        std::exit(1);
    }
    std::vector<uint8_t> reply(replySize);
    const uint8_t request = 1;
    return Rate(seconds, [&] {
        bool ok = SendSome(client.Handle(), &request, 1) == 1;
        for (size_t got = 0; ok && got < replySize;) {
            const long n = ReceiveSome(client.Handle(), reply.data() + got, replySize - got);
            ok = n > 0;
            got += ok ? static_cast<size_t>(n) : 0;
        }
        if (!ok) {
            std::fprintf(stderr, "loopback_bench: the raw service stopped answering\n");
            std::exit(1);
        }
    });
}

void Print(const char* what, double raw, double sim, const char* unit, double scale)
{
    std::printf("%-34s %14.1f %14.1f %-6s %5.0f %%\n", what, raw / scale, sim / scale, unit, 100 * sim / raw);
}

} // namespace

int main(int argc, char** argv)
{
    const double seconds = argc > 1 ? std::atof(argv[1]) : 3.0;
    vexabench::LocalSimulator local("loopback_bench");
    CStreamSocket& stream = local.stream;

    // The machine is shared: each figure is the best of three rounds, the
    // raw and simulated measurements taking turns.
    auto best = [&](const std::function<double()>& measure) {
        double top = 0;
        for (int round = 0; round < 3; ++round)
            top = std::max(top, measure());
        return top;
    };
    const double slice = seconds / 3;

    // One-byte query: the scope state.
    const double simQueries = best([&] {
        return Rate(slice, [&] {
            stream.WriteByte(0xD5);
            uint8_t state;
            stream.Read(&state, 1);
        });
    });
    const double rawQueries = best([&] { return RawRate(slice, 1); });

    std::printf("%-34s %14s %14s\n", "", "raw socket", "simulator");
    Print("one-byte query, round trips", rawQueries, simQueries, "/s", 1);
    Print("one-byte query, round trip time", 1e6 / rawQueries, 1e6 / simQueries, "us", 1);
    vexabench::Row("protocol round trip (one-byte query) vs raw loopback",
                   vexabench::Format("%.1f us vs %.1f us", 1e6 / simQueries, 1e6 / rawQueries), "-");

    // Full records of channel A: the longest time base record (1001
    // samples) and the whole record buffer (8192), 16-bit samples.
    for (uint16_t samples : {uint16_t{1001}, uint16_t{8192}}) {
        const size_t bytes = 2u * samples;
        std::vector<uint8_t> record(bytes);
        const double simReads = best([&] {
            return Rate(slice, [&] {
                stream.BeginBlock();
                stream.WriteByte(0xDC);
                stream.WriteWord(samples);
                stream.WriteByte(1);
                stream.EndBlock();
                stream.Read(record.data(), static_cast<uint32_t>(bytes));
            });
        });
        const double rawReads = best([&] { return RawRate(slice, bytes); });
        const std::string what = "record of " + std::to_string(samples) + " samples (" + std::to_string(bytes) + " B)";
        Print(what.c_str(), rawReads * static_cast<double>(bytes), simReads * static_cast<double>(bytes), "MB/s", 1e6);
        if (samples == 8192)
            vexabench::Row("record of 8192 samples over the protocol vs raw loopback",
                           vexabench::Format("%.1f MB/s vs %.1f MB/s", simReads * double(bytes) / 1e6,
                                             rawReads * double(bytes) / 1e6),
                           "-");
    }
    stream.Close();
    return 0;
}
