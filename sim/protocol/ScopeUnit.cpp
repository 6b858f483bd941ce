#include "protocol/ScopeUnit.h"

#include <algorithm>
#include <cmath>

#include "protocol/CommandTable.h"
#include "protocol/SimBox.h"

namespace vexasim {

CSimScope::CSimScope(CSimBox& box) : m_box(box) {}

uint32_t CSimScope::RecordLength() const
{
    return std::clamp<uint32_t>(length, 1, kMaxRecord);
}

double CSimScope::SamplePeriod() const
{
    const double n = divider;
    if (slow)
        return std::max(n, 1.0) * 1e-4;
    switch (m_box.Level()) {
    case 1: return (n + 1) * 3.125e-8;
    case 2: return std::max(n, 1.0) * 1.25e-8;
    default: return std::max(n, 1.0) * 5e-9;
    }
}

int16_t CSimScope::Sample(int channel, double t) const
{
    const InputSetting& in = input[static_cast<size_t>(channel & 3)];
    return RawSample(m_box.model.Channel(channel, t, in.ac), in.FullScale(), m_box.Level());
}

void CSimScope::Arm()
{
    m_armed = true;
    m_complete = false;
    m_triggered = false;
    m_produced = 0;
    m_armTime = m_scanFrom = m_box.Now();
    if (slow) {
        for (auto& r : m_record)
            r.assign(RecordLength(), 0);
    }
}

void CSimScope::Stop()
{
    m_armed = false;
}

void CSimScope::SettingsChanged()
{
    if (m_armed && !m_complete)
        Arm();
}

uint8_t CSimScope::State()
{
    const double now = m_box.Now();
    Advance(now);
    if (!m_armed)
        return 0;
    if (m_complete)
        return 3;
    return (slow ? m_produced > 0 : m_triggered) ? 2 : 1;
}

void CSimScope::Advance(double now)
{
    if (!m_armed || m_complete)
        return;
    if (slow)
        return AdvanceRolling(now);
    const double dt = SamplePeriod();
    const uint32_t n = RecordLength();
    const uint32_t pre = n - std::min<uint32_t>(triggerDelay, n);
    if (!m_triggered) {
        if (triggerOn) {
            FindTrigger(now, dt, pre);
        } else {
            m_triggered = true;
            m_recordStart = m_armTime;
        }
    }
    if (m_triggered && now >= m_recordStart + n * dt) {
        Render(dt);
        m_complete = true;
    }
}

// Looks for the trigger edge between the last look and now. A periodic
// signal shows its edge within one period, so no more than that is scanned;
// the step is a sample, or a 4096th of the period when samples are finer.
void CSimScope::FindTrigger(double now, double dt, uint32_t pre)
{
    const double from = std::max(m_scanFrom, m_armTime + pre * dt);
    if (now <= from)
        return;
    m_scanFrom = now;
    const int source = std::clamp(triggerSource, 0, 3);
    const InputSetting& in = input[static_cast<size_t>(source)];
    const double period = m_box.model.Period(source);
    if (period <= 0)
        return;  // a constant signal has no edge
    const double level = triggerLevel / 127.0 * in.FullScale();
    const double step = std::max(dt, period / 4096);
    const double end = std::min(now, from + period + 2 * step);
    double previous = m_box.model.Channel(source, from, in.ac);
    for (uint32_t k = 1;; ++k) {
        const double t = from + k * step;
        if (t > end)
            return;
        const double v = m_box.model.Channel(source, t, in.ac);
        const bool edge = triggerFalling ? previous > level && v <= level : previous < level && v >= level;
        if (edge) {
            const double trigger = m_armTime + std::ceil((t - m_armTime) / dt) * dt;
            m_triggered = true;
            m_recordStart = trigger - pre * dt;
            return;
        }
        previous = v;
    }
}

void CSimScope::Render(double dt)
{
    const uint32_t n = RecordLength();
    for (int c = 0; c < 4; ++c) {
        std::vector<int16_t>& r = m_record[static_cast<size_t>(c)];
        r.resize(n);
        for (uint32_t i = 0; i < n; ++i)
            r[i] = Sample(c, m_recordStart + i * dt);
    }
}

// Slow time bases: samples arrive in real time and are read as they come.
void CSimScope::AdvanceRolling(double now)
{
    const double dt = SamplePeriod();
    const uint32_t n = RecordLength();
    const double elapsed = std::max(0.0, (now - m_armTime) / dt);
    const uint32_t due = static_cast<uint32_t>(std::min<double>(n, std::floor(elapsed)));
    // A Bode measurement leaves its records in the acquisition memory the
    // scope shares, also while a rolling record is under way; that record
    // goes on at its own length.
    for (auto& r : m_record)
        r.resize(n, 0);
    m_produced = std::min(m_produced, n);
    for (uint32_t k = m_produced; k < due; ++k) {
        const double t = m_armTime + (k + 1) * dt;
        Group g;
        for (int c = 0; c < 4; ++c) {
            g[static_cast<size_t>(c)] = Sample(c, t);
            m_record[static_cast<size_t>(c)][k] = g[static_cast<size_t>(c)];
        }
        PushRolling(g);
    }
    m_produced = std::max(m_produced, due);
    if (m_produced == n)
        m_complete = true;
}

void CSimScope::PushRolling(const Group& group)
{
    if (m_rolling.size() == kMaxRolling)
        m_rolling.pop_front();
    m_rolling.push_back(group);
}

std::vector<CSimScope::Group> CSimScope::TakeRolling()
{
    Advance(m_box.Now());
    std::vector<Group> groups(m_rolling.begin(), m_rolling.end());
    m_rolling.clear();
    return groups;
}

namespace {

// The lowest channel whose bit is set (channel A when none is).
int ChannelOfBit(uint8_t bits)
{
    for (int c = 0; c < 4; ++c)
        if (bits >> c & 1)
            return c;
    return 0;
}

void SendRecord(CSimBox& box, int channel, uint16_t count, bool wide, CReplyWriter& r)
{
    const std::vector<int16_t>& record = box.scope.Record(channel);
    std::vector<uint8_t> bytes;
    bytes.reserve(wide ? 2u * count : count);
    for (uint32_t i = 0; i < count; ++i) {
        const int16_t v = i < record.size() ? record[i] : 0;
        if (wide)
            bytes.push_back(static_cast<uint8_t>(static_cast<uint16_t>(v) >> 8));
        bytes.push_back(static_cast<uint8_t>(v));
    }
    r.Data(bytes.data(), bytes.size());
}

void SendRolling(CSimBox& box, bool wide, CReplyWriter& r)
{
    box.bode.Update();  // a low-frequency Bode measurement rolls its samples too
    const auto groups = box.scope.TakeRolling();
    std::vector<uint8_t> bytes{static_cast<uint8_t>(groups.size() >> 8), static_cast<uint8_t>(groups.size())};
    for (const auto& g : groups) {
        for (int c = 0; c < 4; ++c) {
            if (wide && !(box.scope.channelMask >> c & 1))
                continue;
            if (!wide && c > 1)
                break;  // level 1 rolls channels A and B as byte pairs
            const int16_t v = g[static_cast<size_t>(c)];
            if (wide)
                bytes.push_back(static_cast<uint8_t>(static_cast<uint16_t>(v) >> 8));
            bytes.push_back(static_cast<uint8_t>(v));
        }
    }
    r.Data(bytes.data(), bytes.size());
}

void SetTimeBase(CSimBox& box, const uint8_t* p, size_t, CReplyWriter& r)
{
    box.scope.slow = p[0] != 0;
    box.scope.divider = GetWord(p + 1);
    box.scope.length = GetWord(p + 3);
    box.scope.SettingsChanged();
    r.Ack();
}

} // namespace

void RegisterScopeCommands(CCommandTable& table)
{
    table.Add(0xD0, {.name = "scope trigger", .unit = 5, .params = 3,
                     .handler = [](CSimBox& box, const uint8_t* p, size_t, CReplyWriter& r) {
                         CSimScope& s = box.scope;
                         s.triggerDelay = GetWord(p);
                         s.triggerOn = p[2] != 0;
                         s.triggerSource = p[2] & 4 ? 0 : 1;
                         s.triggerFalling = (p[2] & 8) != 0;
                         s.SettingsChanged();
                         r.Ack();
                     }});
    table.Add(0xD1, {.name = "scope trigger level", .unit = 5, .params = 1,
                     .handler = [](CSimBox& box, const uint8_t* p, size_t, CReplyWriter&) {
                         box.scope.triggerLevel = static_cast<int8_t>(p[0]);
                     }});
    table.Add(0xD2, {.name = "scope arm", .unit = 5, .handler = [](CSimBox& box, const uint8_t*, size_t, CReplyWriter& r) {
                         box.scope.Arm();
                         r.Ack();
                     }});
    table.Add(0xD3, {.name = "scope stop", .unit = 5, .handler = [](CSimBox& box, const uint8_t*, size_t, CReplyWriter&) {
                         box.scope.Stop();
                     }});
    table.Add(0xD4, {.name = "scope read record", .unit = 5, .levels = kLevel1, .params = 7,
                     .handler = [](CSimBox& box, const uint8_t* p, size_t, CReplyWriter& r) {
                         SendRecord(box, ChannelOfBit(p[6]), GetWord(p + 2), false, r);
                     }});
    table.Add(0xD5, {.name = "scope state", .unit = 5, .handler = [](CSimBox& box, const uint8_t*, size_t, CReplyWriter& r) {
                         r.Byte(box.scope.State());
                     }});
    table.Add(0xD8, {.name = "scope time base", .unit = 5, .levels = kLevel1, .params = 5, .handler = SetTimeBase});
    table.Add(0xDB, {.name = "scope time base", .unit = 5, .levels = kLevels23, .params = 5, .handler = SetTimeBase});
    table.Add(0xD9, {.name = "scope channels", .unit = 5, .params = 2,
                     .handler = [](CSimBox& box, const uint8_t* p, size_t, CReplyWriter& r) {
                         box.scope.input[1] = InputSetting::FromByte(p[0]);
                         box.scope.input[0] = InputSetting::FromByte(p[1]);
                         r.Ack();
                     }});
    table.Add(0xDA, {.name = "scope rolling read", .unit = 5, .levels = kLevel1,
                     .handler = [](CSimBox& box, const uint8_t*, size_t, CReplyWriter& r) { SendRolling(box, false, r); }});
    table.Add(0xDC, {.name = "scope read record", .unit = 5, .levels = kLevels23, .params = 3,
                     .handler = [](CSimBox& box, const uint8_t* p, size_t, CReplyWriter& r) {
                         SendRecord(box, ChannelOfBit(p[2]), GetWord(p), true, r);
                     }});
    table.Add(0xDD, {.name = "scope rolling read", .unit = 5, .levels = kLevels23,
                     .handler = [](CSimBox& box, const uint8_t*, size_t, CReplyWriter& r) { SendRolling(box, true, r); }});
    table.Add(0xDE, {.name = "scope full setup", .unit = 5, .params = 15,
                     .handler = [](CSimBox& box, const uint8_t* p, size_t, CReplyWriter& r) {
                         CSimScope& s = box.scope;
                         s.channelMask = p[0];
                         s.slow = p[1] != 0;
                         s.length = GetWord(p + 2);
                         s.divider = GetWord(p + 4);
                         for (size_t c = 0; c < 4; ++c)
                             s.input[c] = InputSetting::FromByte(p[6 + c]);
                         s.triggerSource = p[10] & 3;
                         s.triggerOn = p[11] != 0;
                         s.triggerFalling = p[11] == 2;
                         s.triggerLevel = static_cast<int8_t>(p[12]);
                         s.triggerDelay = GetWord(p + 13);
                         s.SettingsChanged();
                         r.Ack();
                     }});
}

} // namespace vexasim
