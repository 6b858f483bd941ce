#include "ScriptedStream.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

namespace {

std::string Hex(const uint8_t* data, size_t n)
{
    std::string s;
    char buf[4];
    for (size_t i = 0; i < n; ++i) {
        std::snprintf(buf, sizeof buf, "%02X ", data[i]);
        s += buf;
    }
    return s;
}

} // namespace

ScriptedStream& ScriptedStream::ExpectWrite(Bytes bytes)
{
    std::lock_guard<std::mutex> g(m_lock);
    m_steps.push_back({Kind::Write, std::move(bytes)});
    return *this;
}

ScriptedStream& ScriptedStream::Reply(Bytes bytes)
{
    std::lock_guard<std::mutex> g(m_lock);
    m_steps.push_back({Kind::Reply, std::move(bytes)});
    return *this;
}

ScriptedStream& ScriptedStream::Fault(uint32_t code)
{
    std::lock_guard<std::mutex> g(m_lock);
    m_steps.push_back({Kind::Fault, {}, code});
    return *this;
}

void ScriptedStream::SetWaitingInput(Bytes bytes)
{
    std::lock_guard<std::mutex> g(m_lock);
    m_waiting = std::move(bytes);
}

void ScriptedStream::Mismatch(std::string what)
{
    m_mismatches.push_back(std::move(what));
}

bool ScriptedStream::TakeFault()
{
    if (!m_steps.empty() && m_steps.front().kind == Kind::Fault) {
        const uint32_t code = m_steps.front().code;
        m_steps.pop_front();
        throw CStreamException(code);
    }
    return false;
}

bool ScriptedStream::Open()
{
    std::lock_guard<std::mutex> g(m_lock);
    ++m_openCount;
    return true;
}

void ScriptedStream::Close()
{
    std::lock_guard<std::mutex> g(m_lock);
    if (m_openCount > 0)
        --m_openCount;
}

void ScriptedStream::Write(const void* buffer, uint32_t count)
{
    std::lock_guard<std::mutex> g(m_lock);
    if (!m_connected)
        return;
    const auto* bytes = static_cast<const uint8_t*>(buffer);
    if (m_inBlock)
        m_block.insert(m_block.end(), bytes, bytes + count);
    else
        m_transfers.emplace_back(bytes, bytes + count);
    if (m_anyWrites)
        return;
    for (uint32_t i = 0; i < count; ++i) {
        TakeFault();
        if (m_steps.empty() || m_steps.front().kind != Kind::Write) {
            Mismatch("unexpected write: " + Hex(bytes + i, count - i));
            return;
        }
        Step& step = m_steps.front();
        if (step.bytes[step.used] != bytes[i]) {
            Mismatch("write differs at script byte " + std::to_string(step.used) + ": expected " +
                     Hex(step.bytes.data(), step.bytes.size()) + "got " + Hex(bytes + i, count - i));
            m_steps.pop_front();
            return;
        }
        if (++step.used == step.bytes.size())
            m_steps.pop_front();
    }
}

void ScriptedStream::Read(void* buffer, uint32_t count)
{
    std::lock_guard<std::mutex> g(m_lock);
    if (!m_connected)
        return;
    auto* out = static_cast<uint8_t*>(buffer);
    for (uint32_t i = 0; i < count; ++i) {
        if (!m_waiting.empty()) {
            out[i] = m_waiting.front();
            m_waiting.erase(m_waiting.begin());
            continue;
        }
        TakeFault();
        if (m_steps.empty() || m_steps.front().kind != Kind::Reply) {
            Mismatch(m_steps.empty() ? "read past the script" : "read while writes are still expected");
            throw CStreamException(kStreamNetworkReadFailed);
        }
        Step& step = m_steps.front();
        out[i] = step.bytes[step.used];
        if (++step.used == step.bytes.size())
            m_steps.pop_front();
    }
}

void ScriptedStream::PurgeInput()
{
    std::lock_guard<std::mutex> g(m_lock);
    ++m_purges;
    m_waiting.clear();
}

uint32_t ScriptedStream::GetInputCount()
{
    std::lock_guard<std::mutex> g(m_lock);
    return static_cast<uint32_t>(m_waiting.size());
}

void ScriptedStream::BeginBlock()
{
    std::lock_guard<std::mutex> g(m_lock);
    m_inBlock = true;
}

void ScriptedStream::EndBlock()
{
    std::lock_guard<std::mutex> g(m_lock);
    m_inBlock = false;
    if (!m_block.empty()) {
        m_transfers.push_back(m_block);
        m_batches.push_back(std::move(m_block));
    }
    m_block.clear();
}

std::vector<std::string> ScriptedStream::Mismatches() const
{
    std::lock_guard<std::mutex> g(m_lock);
    return m_mismatches;
}

std::vector<ScriptedStream::Bytes> ScriptedStream::Transfers() const
{
    std::lock_guard<std::mutex> g(m_lock);
    return m_transfers;
}

std::vector<ScriptedStream::Bytes> ScriptedStream::Batches() const
{
    std::lock_guard<std::mutex> g(m_lock);
    return m_batches;
}

ScriptedStream::Bytes ScriptedStream::AllWritten() const
{
    std::lock_guard<std::mutex> g(m_lock);
    Bytes all;
    for (const Bytes& t : m_transfers)
        all.insert(all.end(), t.begin(), t.end());
    return all;
}

std::vector<std::string> ScriptedStream::Problems() const
{
    std::vector<std::string> problems = m_mismatches;
    for (const Step& s : m_steps) {
        if (s.kind == Kind::Fault)
            continue;
        problems.push_back((s.kind == Kind::Write ? "expected write never came: " : "reply never read: ") +
                           Hex(s.bytes.data() + s.used, s.bytes.size() - s.used));
    }
    return problems;
}

void ScriptedStream::ExpectDone()
{
    std::lock_guard<std::mutex> g(m_lock);
    for (const std::string& problem : Problems())
        ADD_FAILURE() << problem;
}

ScriptedStream::~ScriptedStream()
{
    if (!m_remains)
        return;
    m_remains->written = AllWritten();
    std::lock_guard<std::mutex> g(m_lock);
    m_remains->openCount = m_openCount;
    m_remains->problems = Problems();
}
