#include "protocol/ProtocolEngine.h"

#include <cstdio>
#include <mutex>

#include "protocol/SimBox.h"

namespace vexasim {

CProtocolEngine::CProtocolEngine(CSimBox& box, const FaultPlan& faults) : m_box(box), m_faults(faults) {}

void CProtocolEngine::Arm(const FaultPlan& faults)
{
    m_faults = faults;
    if (faults.wrongAckAt != 0)
        m_faults.wrongAckAt = m_acks + faults.wrongAckAt;
    if (faults.garbageAfterQuery != 0)
        m_faults.garbageAfterQuery = m_queries + faults.garbageAfterQuery;
    if (faults.garbageAfterAck != 0)
        m_faults.garbageAfterAck = m_acks + faults.garbageAfterAck;
    if (faults.stallAtCommand != 0)
        m_faults.stallAtCommand = static_cast<uint32_t>(m_commands) + faults.stallAtCommand;
    m_stalled = false;
}

void CProtocolEngine::Feed(const uint8_t* data, size_t size, std::vector<uint8_t>& out)
{
    if (size > 0)
        m_input.insert(m_input.end(), data, data + size);
    const uint32_t acks = m_acks;
    while (!m_stallDue && m_consumed < m_input.size() && Step(out)) {
    }
    if (m_faults.wrongAckAt > acks && m_faults.wrongAckAt <= m_acks)
        ++m_played;
    // Drop what was used once it is the larger part, so input never piles up.
    if (m_consumed > 0 && m_consumed * 2 >= m_input.size()) {
        m_input.erase(m_input.begin(), m_input.begin() + static_cast<std::ptrdiff_t>(m_consumed));
        m_consumed = 0;
    }
}

bool CProtocolEngine::Accepts(const CommandSpec& spec) const
{
    if (!(spec.levels >> m_box.Level() & 1))
        return false;
    if (m_box.Options().firmware < spec.minFirmware)
        return false;
    return !m_box.Options().strictAttach || spec.unit == 0 || m_box.IsAttached(spec.unit);
}

bool CProtocolEngine::Step(std::vector<uint8_t>& out)
{
    const uint8_t* front = m_input.data() + m_consumed;
    const size_t available = m_input.size() - m_consumed;

    if (m_upload) {
        if (available < m_uploadSize)
            return false;
        CReplyWriter reply(out, m_acks, m_faults.wrongAckAt);
        {
            std::lock_guard<std::mutex> g(m_box.Lock());
            m_upload->onData(m_box, front, m_uploadSize, reply);
        }
        m_consumed += m_uploadSize;
        m_upload = nullptr;
        return true;
    }

    const CommandSpec& spec = CCommandTable::Instance()[front[0]];
    size_t params = spec.params;
    if (available < 1 + params)
        return false;
    if (spec.extra) {
        params += spec.extra(front + 1);
        if (available < 1 + params)
            return false;
    }
    if (m_faults.stallAtCommand != 0 && m_commands + 1 == m_faults.stallAtCommand && !m_stalled) {
        m_stallDue = true;
        ++m_played;
        return false;
    }

    ++m_commands;
    m_consumed += 1 + params;
    const uint32_t acks = m_acks;
    CReplyWriter reply(out, m_acks, m_faults.wrongAckAt);
    if (!spec.name || !Accepts(spec)) {
        ++m_rejected;
        reply.Reject();
        if (m_box.log) {
            char line[64];
            std::snprintf(line, sizeof line, "command %02X refused", front[0]);
            m_box.log(line);
        }
        return true;
    }
    {
        std::lock_guard<std::mutex> g(m_box.Lock());
        spec.handler(m_box, front + 1, params, reply);
    }
    if (m_box.log)
        m_box.log(spec.name);
    if (spec.data) {
        m_upload = &spec;
        m_uploadSize = spec.data(front + 1);
    }
    if (reply.AnsweredData() && ++m_queries == m_faults.garbageAfterQuery)
        AppendGarbage(out);
    else if (m_faults.garbageAfterAck > acks && m_faults.garbageAfterAck <= m_acks)
        AppendGarbage(out);
    return true;
}

void CProtocolEngine::AppendGarbage(std::vector<uint8_t>& out)
{
    ++m_played;
    for (uint32_t i = 0; i < m_faults.garbageBytes; ++i) {
        m_garbageSeed = m_garbageSeed * 1664525u + 1013904223u;
        const auto b = static_cast<uint8_t>(m_garbageSeed >> 24);
        // Never an acknowledgement: garbage must not pass for one.
        out.push_back(b == kAckByte ? 0x7E : b);
    }
}

} // namespace vexasim
