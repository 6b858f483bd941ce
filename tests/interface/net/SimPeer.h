// A simulator running in the test process on free loopback ports, and the
// plug-in's side of the interface-level protocol spoken to it.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "Simulator.h"
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

// What the interface object learns when it identifies the box.
struct Identification {
    CString text;
    int level = 0;
    CString deviceName;
};

// The identification sequence: purge, 0x02, and for a Vexa interface the
// variant level and, on level 3 over the network, the device name.
inline Identification Identify(CStreamIO& stream)
{
    Identification id;
    stream.PurgeInput();
    stream.WriteByte(0x02);
    id.text = stream.ReadText();
    if (id.text.substr(0, 9) != u"RV8810-4C")
        return id;
    stream.WriteByte(0x0B);
    uint8_t level = 0;
    stream.Read(&level, 1);
    id.level = level == '?' ? 1 : level;
    if (id.level == 3 && stream.IsSocketStream()) {
        uint8_t name[64];
        stream.WriteByte(0x18);
        stream.Read(name, sizeof name);
        for (size_t i = 0; i + 1 < sizeof name && (name[i] || name[i + 1]); i += 2)
            id.deviceName += static_cast<char16_t>(name[i] | name[i + 1] << 8);
    }
    stream.PurgeInput();
    return id;
}

inline void AttachUnit(CStreamIO& stream, uint8_t unit)
{
    stream.WriteByte(0x0E);
    stream.WriteByte(unit);
    stream.CheckAck();
}

inline void ReleaseUnit(CStreamIO& stream, uint8_t unit)
{
    stream.WriteByte(0x0F);
    stream.WriteByte(unit);
    stream.CheckAck();
}

// Runs f and returns the code of the CStreamException it raised (0 for none).
template <class F> uint32_t StreamErrorOf(F f)
{
    try {
        f();
    } catch (const CStreamException& e) {
        return e.ErrorCode();
    }
    return 0;
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
