// vexa-sim: runs the simulated trainer interface until interrupted.
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <mutex>
#include <thread>

#include "Simulator.h"

namespace {

std::atomic<bool> g_stop{false};

extern "C" void OnSignal(int)
{
    g_stop = true;
}

} // namespace

using namespace vexasim;

int main(int argc, char** argv)
{
    SimOptions options;
    std::string error;
    if (!ParseSimOptions(argc, argv, options, error)) {
        std::fprintf(stderr, "vexa-sim: %s\n", error.c_str());
        return 2;
    }
    if (options.help) {
        std::fputs(SimHelpText().c_str(), stdout);
        return 0;
    }

    CSimulator simulator(options);
    static std::mutex logLock;
    if (options.verbose) {
        simulator.Box().log = [](const std::string& line) {
            std::lock_guard<std::mutex> g(logLock);
            std::fprintf(stderr, "vexa-sim: %s\n", line.c_str());
        };
    }
    if (!simulator.Start(error)) {
        std::fprintf(stderr, "vexa-sim: %s\n", error.c_str());
        return 1;
    }
    for (const auto& warning : simulator.Warnings())
        std::fprintf(stderr, "vexa-sim: warning: %s\n", warning.c_str());
    std::printf("vexa-sim: protocol on %s:%u, variant level %d", options.address.c_str(), simulator.ProtocolPort(),
                options.box.level);
    if (simulator.DiscoveryPort())
        std::printf(", discovery on port %u (requests from this computer)", simulator.DiscoveryPort());
    if (simulator.TunnelPort())
        std::printf(", tunnel on 127.0.0.1:%u", simulator.TunnelPort());
    std::printf("\n");
    std::fflush(stdout);

    std::signal(SIGINT, OnSignal);
    std::signal(SIGTERM, OnSignal);
    while (!g_stop)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    simulator.Stop();
    return 0;
}
