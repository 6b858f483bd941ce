// A simulator running in the test process on free loopback ports, spoken to
// with the plug-in's own interface-level sequences (interface/Protocol.h).
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "../ScriptedStream.h"
#include "Simulator.h"
#include "interface/Protocol.h"
#include "interface/net/StreamSocket.h"

using namespace vexasim;

class SimPeer {
public:
    explicit SimPeer(SimOptions options = {}) : m_options(Prepare(std::move(options))), m_sim(m_options)
    {
        std::string error;
        m_started = m_sim.Start(error);
        EXPECT_TRUE(m_started) << error;
    }

    bool Started() const { return m_started; }
    uint16_t Port() const { return m_sim.ProtocolPort(); }
    CSimulator& Sim() { return m_sim; }

    // An opened TCP stream to the simulator.
    std::unique_ptr<CStreamSocket> Connect()
    {
        auto stream = std::make_unique<CStreamSocket>(u"127.0.0.1", Port());
        EXPECT_TRUE(stream->Open());
        return stream;
    }

private:
    static SimOptions Prepare(SimOptions o)
    {
        o.port = 0;
        o.discovery = false;
        o.tunnelPort = 0;
        return o;
    }

    SimOptions m_options;
    CSimulator m_sim;
    bool m_started = false;
};

inline SimOptions AtLevel(int level)
{
    SimOptions o;
    o.box.level = level;
    return o;
}

inline SimOptions WithFaults(const FaultPlan& faults)
{
    SimOptions o;
    o.faults = faults;
    return o;
}

// A state-changing command: its bytes as one transfer, then the acknowledgement.
inline void SendCommand(CStreamIO& stream, std::initializer_list<uint8_t> bytes)
{
    const std::vector<uint8_t> b(bytes);
    stream.BeginBlock();
    stream.Write(b.data(), static_cast<uint32_t>(b.size()));
    stream.EndBlock();
    stream.CheckAck();
}
