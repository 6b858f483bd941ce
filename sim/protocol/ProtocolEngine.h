// The box's side of one connection as a pure bytes-in, bytes-out machine:
// bytes from the plug-in are collected until a command and its parameters
// are complete, the command runs on the box, and its answer is appended to
// the output. Commands may arrive split or batched in any way.
//
// A byte that is no command, a command of another variant level or firmware,
// or (with strict attaching) one of a unit not attached is answered with "?"
// after its parameters are skipped.
#pragma once

#include <cstdint>
#include <vector>

#include "protocol/CommandTable.h"

namespace vexasim {

class CSimBox;

// Faults a connection shows on purpose. Counts are 1-based; 0 switches a
// fault off.
struct FaultPlan {
    uint32_t wrongAckAt = 0;         // this acknowledgement goes out as "?"
    uint32_t garbageAfterQuery = 0;  // garbage follows the answer of this query
    uint32_t garbageAfterAck = 0;    // ... or follows this acknowledgement
    uint32_t garbageBytes = 8;
    uint32_t stallAtCommand = 0;     // the answer of this command waits stallSeconds
    double stallSeconds = 0;
    uint64_t closeAfterBytes = 0;    // the connection ends after sending this many bytes
    double closeAfterSeconds = 0;    // ... or this long after it was accepted
    uint32_t faultyConnections = 0;  // the faults hit only this many first connections (0: all)
};

class CProtocolEngine {
public:
    CProtocolEngine(CSimBox& box, const FaultPlan& faults = {});

    // Takes input bytes and appends the answers to out. When a planned stall
    // is due, it stops before that command: StallDue() is then true and the
    // caller waits, calls StallDone() and feeds again (with no new bytes).
    void Feed(const uint8_t* data, size_t size, std::vector<uint8_t>& out);

    bool StallDue() const { return m_stallDue; }
    void StallDone() { m_stallDue = false; m_stalled = true; }

    // Replaces the planned faults on a running connection; their numbers
    // count from now, so a fault can be aimed at a point of a running cycle.
    void Arm(const FaultPlan& faults);

    // How many planned faults were played so far (a cut is the server's).
    uint32_t FaultsPlayed() const { return m_played; }

    uint64_t Commands() const { return m_commands; }
    uint64_t Rejected() const { return m_rejected; }
    size_t Pending() const { return m_input.size() - m_consumed; }

private:
    // Runs the command at the front of the input if it is complete; false
    // when more bytes are needed.
    bool Step(std::vector<uint8_t>& out);
    void AppendGarbage(std::vector<uint8_t>& out);
    bool Accepts(const CommandSpec& spec) const;

    CSimBox& m_box;
    FaultPlan m_faults;
    std::vector<uint8_t> m_input;
    size_t m_consumed = 0;
    // A command whose first phase ran and whose data bytes are awaited.
    const CommandSpec* m_upload = nullptr;
    size_t m_uploadSize = 0;
    uint64_t m_commands = 0;
    uint64_t m_rejected = 0;
    uint32_t m_acks = 0;
    uint32_t m_queries = 0;
    uint32_t m_garbageSeed = 0x2F6B1E3Du;
    uint32_t m_played = 0;
    bool m_stallDue = false;
    bool m_stalled = false;
};

} // namespace vexasim
