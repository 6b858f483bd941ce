#include "protocol/BodeUnit.h"

#include <algorithm>
#include <cmath>

#include "protocol/CommandTable.h"
#include "protocol/SimBox.h"

namespace vexasim {

namespace {

// Generator clock [Hz] by variant level.
double GeneratorClock(int level)
{
    return level == 1 ? 3.2e7 : level == 2 ? 8e7 : 2e8;
}

// Low-frequency mode: a step in units of 100 us and the steps of one period.
double LowFrequency(uint16_t step, uint16_t steps)
{
    const double period = std::max<double>(steps, 1) * std::max<double>(step, 1) * 1e-4;
    return 1.0 / period;
}

} // namespace

void CSimBode::Setup(bool lowFrequency, double frequency, uint32_t samples)
{
    m_lowFrequency = lowFrequency;
    m_frequency = frequency;
    m_samples = std::clamp<uint32_t>(samples, 1, 8192);
    m_state = 0;
    m_box.model.UpdateGenerator([&](GeneratorSettings& g) { g.frequency = frequency; });
}

void CSimBode::Start()
{
    m_state = 1;
    m_start = m_box.Now();
    m_produced = 0;
    m_a.assign(m_samples, 0);
    m_b.assign(m_samples, 0);
    m_box.scope.ClearRolling();
}

uint8_t CSimBode::State()
{
    Update();
    return m_state;
}

void CSimBode::Update()
{
    const double now = m_box.Now();
    if (m_state != 1 || m_frequency <= 0)
        return;
    const double dt = 1.0 / m_frequency / m_samples;
    uint32_t due = m_samples;
    if (m_lowFrequency) {
        due = static_cast<uint32_t>(std::min<double>(m_samples, std::floor((now - m_start) / dt)));
    } else if (now < m_start + m_samples * dt) {
        return;
    }
    for (uint32_t k = m_produced; k < due; ++k) {
        const double t = m_start + k * dt;
        m_a[k] = m_box.scope.Sample(0, t);
        m_b[k] = m_box.scope.Sample(1, t);
        if (m_lowFrequency)
            m_box.scope.PushRolling({m_a[k], m_b[k], 0, 0});
    }
    m_produced = std::max(m_produced, due);
    if (m_produced == m_samples) {
        m_box.scope.SetRecord(0, m_a);
        m_box.scope.SetRecord(1, m_b);
        m_state = 3;
    }
}

void RegisterBodeCommands(CCommandTable& table)
{
    // Low-frequency flag, byte parameter (fraction C), dividers A and B (B
    // twice), 0. At low frequency A is the step and B the steps per period.
    table.Add(0x90, {.name = "bode setup", .levels = kLevel1, .params = 9,
                     .handler = [](CSimBox& box, const uint8_t* p, size_t, CReplyWriter& r) {
                         const uint16_t a = GetWord(p + 2), b = GetWord(p + 4);
                         if (p[0]) {
                             box.bode.Setup(true, LowFrequency(a, b), b);
                         } else {
                             const double clock = GeneratorClock(1);
                             const double cycle = p[1] ? a + static_cast<double>(a) / p[1] : a;
                             box.bode.Setup(false, a ? clock / cycle / (b + 1.0) : 0.0, a);
                         }
                         r.Ack();
                     }});
    // Low-frequency flag, frequency [0.1 Hz], dividers A and B (B twice), 1.
    table.Add(0x96, {.name = "bode setup", .levels = kLevels23, .params = 12,
                     .handler = [](CSimBox& box, const uint8_t* p, size_t, CReplyWriter& r) {
                         const uint16_t a = GetWord(p + 5), b = GetWord(p + 7);
                         if (p[0]) {
                             box.bode.Setup(true, LowFrequency(a, b), b);
                         } else {
                             const double clock = GeneratorClock(box.Level());
                             const double f = a && b ? clock / (static_cast<double>(a) * b) : GetLong(p + 1) / 10.0;
                             box.bode.Setup(false, f, a ? a : 1024);
                         }
                         r.Ack();
                     }});
    table.Add(0x91, {.name = "bode start", .handler = [](CSimBox& box, const uint8_t*, size_t, CReplyWriter& r) {
                         box.bode.Start();
                         r.Ack();
                     }});
    table.Add(0x92, {.name = "bode stop", .handler = [](CSimBox& box, const uint8_t*, size_t, CReplyWriter& r) {
                         box.bode.Stop();
                         r.Ack();
                     }});
    table.Add(0x93, {.name = "bode state", .handler = [](CSimBox& box, const uint8_t*, size_t, CReplyWriter& r) {
                         r.Byte(box.bode.State());
                     }});
}

} // namespace vexasim
