// The simulator in the benchmark's own process, on a free loopback port
// without discovery or tunnel, and a protocol stream connected to it. A
// benchmark that cannot have both says why and ends.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

#include "Simulator.h"
#include "interface/net/StreamSocket.h"

namespace vexabench {

struct LocalSimulator {
    LocalSimulator(const char* program, vexasim::SimOptions options = {}) : sim(Local(options))
    {
        std::string error;
        if (!sim.Start(error)) {
            std::fprintf(stderr, "%s: %s\n", program, error.c_str());
            std::exit(1);
        }
        stream.SetAddress(u"127.0.0.1");
        stream.SetPort(sim.ProtocolPort());
        if (!stream.Open()) {
            std::fprintf(stderr, "%s: cannot connect to the simulator\n", program);
            std::exit(1);
        }
    }

    static vexasim::SimOptions Local(vexasim::SimOptions options)
    {
        options.port = 0;
        options.discovery = false;
        options.tunnel = false;
        return options;
    }

    vexasim::CSimulator sim;
    CStreamSocket stream;
};

}  // namespace vexabench
