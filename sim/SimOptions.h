// Everything vexa-sim can be told on its command line.
#pragma once

#include <string>

#include "protocol/DeviceIdentity.h"
#include "protocol/ProtocolEngine.h"
#include "protocol/SimBox.h"

namespace vexasim {

struct SimOptions {
    BoxOptions box;
    FaultPlan faults;
    std::string address = "127.0.0.1";  // protocol port's listen address
    uint16_t port = 3060;                // 0: any free port
    bool discovery = true;
    uint16_t discoveryPort = 17008;
    bool tunnel = true;
    uint16_t tunnelPort = 8080;
    std::string name = "Vexa Simulator";
    MacAddress mac{0x00, 0x1B, 0x2C, 0x3D, 0x4E, 0x5F};
    bool verbose = false;
    bool help = false;
};

// Reads the arguments after the program name into options; on a bad
// argument returns false and says why in error.
bool ParseSimOptions(int argc, const char* const* argv, SimOptions& options, std::string& error);

std::string SimHelpText();

} // namespace vexasim
