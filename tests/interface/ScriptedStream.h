// A stream for protocol tests: it plays a script of expected writes and
// canned replies in order, and can inject faults.
//
//   ScriptedStream s;
//   s.ExpectWrite({0x0E, 0x05}).Reply({'!'});
//   ... code under test ...
//   s.ExpectDone();   // every step was used, nothing unexpected happened
//
// A write that differs from the script, a read before the expected writes,
// or a read past the replies is recorded as a mismatch; the read then
// throws CStreamException 20020, as a network stream's short read does.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "interface/StreamIO.h"

// Runs f and returns the code of the CStreamException it raised (0 for none).
template <class F>
uint32_t StreamErrorOf(F f)
{
    try {
        f();
    } catch (const CStreamException& e) {
        return e.ErrorCode();
    }
    return 0;
}

class ScriptedStream : public CStreamIO {
public:
    using Bytes = std::vector<uint8_t>;

    // What a stream the interface object deleted had seen, for the test to check.
    struct Remains {
        Bytes written;
        int openCount = 0;
        std::vector<std::string> problems;  // mismatches and unused steps
    };
    ~ScriptedStream() override;
    // The stream fills remains when it is deleted.
    void LeaveRemains(std::shared_ptr<Remains> remains) { m_remains = std::move(remains); }

    ScriptedStream& ExpectWrite(Bytes bytes);
    ScriptedStream& Reply(Bytes bytes);
    // The next read or write (after the steps before it) throws this code.
    ScriptedStream& Fault(uint32_t code);
    // Writes are recorded but not checked against the script.
    void AcceptAnyWrites(bool on) { m_anyWrites = on; }

    // Adds a test failure for every mismatch and every unused step.
    void ExpectDone();
    std::vector<std::string> Mismatches() const;
    // Every transfer as it left: a write outside a block, or a whole block.
    std::vector<Bytes> Transfers() const;
    // The transfers that were collected between BeginBlock and EndBlock.
    std::vector<Bytes> Batches() const;
    Bytes AllWritten() const;

    void SetConnected(bool on) { m_connected = on; }
    int OpenCount() const { return m_openCount; }
    int Purges() const { return m_purges; }
    void SetSocketStream(bool on) { m_socket = on; }
    void SetNetworkAddress(const CString& address) { m_address = address; }
    // Bytes that GetInputCount reports and DrainInput then reads.
    void SetWaitingInput(Bytes bytes);

    bool Open() override;
    void Close() override;
    bool IsConnected() override { return m_connected; }
    void Read(void* buffer, uint32_t count) override;
    void Write(const void* buffer, uint32_t count) override;
    void PurgeInput() override;
    uint32_t GetInputCount() override;
    void BeginBlock() override;
    void EndBlock() override;
    bool ResetDevice() override { return true; }
    bool IsSocketStream() const override { return m_socket; }
    CString NetworkAddress() const override { return m_address; }

private:
    enum class Kind { Write, Reply, Fault };
    struct Step {
        Kind kind;
        Bytes bytes;
        uint32_t code = 0;
        size_t used = 0;
    };

    void Mismatch(std::string what);
    bool TakeFault();

    // Unused steps and mismatches, as ExpectDone reports them.
    std::vector<std::string> Problems() const;

    mutable std::mutex m_lock;
    std::shared_ptr<Remains> m_remains;
    std::deque<Step> m_steps;
    std::vector<std::string> m_mismatches;
    std::vector<Bytes> m_transfers;
    std::vector<Bytes> m_batches;
    Bytes m_block;
    Bytes m_waiting;
    bool m_inBlock = false;
    bool m_connected = true;
    bool m_anyWrites = false;
    bool m_socket = false;
    CString m_address;
    int m_purges = 0;
};
