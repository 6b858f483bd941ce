#include "protocol/MeterUnit.h"

#include <algorithm>
#include <cstdlib>

#include "protocol/CommandTable.h"
#include "protocol/SimBox.h"

namespace vexasim {

void CSimMeter::Start()
{
    running = true;
    m_blockStart = m_box.Now();
}

double CSimMeter::SamplePeriod() const
{
    return std::max<uint16_t>(interval, 1) * 1e-5;
}

uint8_t CSimMeter::Status() const
{
    if (!running)
        return 0;
    return m_box.Now() - m_blockStart >= samples * SamplePeriod() ? 2 : 1;
}

MeterBlock CSimMeter::Measure(int x, int y)
{
    const double now = m_box.Now();
    const double dt = SamplePeriod();
    const uint32_t n = std::max<uint16_t>(samples, 1);
    MeterBlock b;
    const int channels[2] = {x, y};
    for (size_t k = 0; k < 2; ++k) {
        const int c = channels[k];
        const InputSetting& in = input[static_cast<size_t>(c)];
        auto raw = [&](double t) { return RawSample(m_box.model.Channel(c, t, in.ac), in.FullScale(), m_box.Level()); };
        int64_t sum = 0, sumAbs = 0, sumSquares = 0;
        int16_t lo = INT16_MAX, hi = INT16_MIN;
        for (uint32_t i = 0; i < n; ++i) {
            const int16_t v = raw(now - (n - i) * dt);
            sum += v;
            sumAbs += std::abs(v);
            sumSquares += static_cast<int64_t>(v) * v;
            lo = std::min(lo, v);
            hi = std::max(hi, v);
        }
        b.instant[k] = raw(now);
        b.sum[k] = static_cast<int32_t>(sum);
        b.sumAbs[k] = static_cast<int32_t>(sumAbs);
        b.sumSquares[k] = static_cast<int32_t>(static_cast<uint32_t>(sumSquares));
        b.min[k] = lo;
        b.max[k] = hi;
    }
    if (x == 0)
        m_blockStart = now;
    return b;
}

void WriteMeterBlock(const MeterBlock& b, bool wide, CReplyWriter& r)
{
    auto small = [&](int16_t v) {
        if (wide)
            r.Word(static_cast<uint16_t>(v));
        else
            r.Byte(static_cast<uint8_t>(v));
    };
    small(b.instant[0]);
    small(b.instant[1]);
    for (const auto* sums : {&b.sum, &b.sumAbs, &b.sumSquares}) {
        r.Long(static_cast<uint32_t>((*sums)[0]));
        r.Long(static_cast<uint32_t>((*sums)[1]));
    }
    for (size_t k = 0; k < 2; ++k) {
        small(b.min[k]);
        small(b.max[k]);
    }
}

namespace {

void SetChannelsAB(CSimMeter& m, const uint8_t* word)
{
    m.input[1] = InputSetting::FromByte(word[0]);
    m.input[0] = InputSetting::FromByte(word[1]);
}

void ReadBlock(CSimBox& box, int first, bool wide, CReplyWriter& r)
{
    WriteMeterBlock(box.meter.Measure(first, first + 1), wide, r);
}

} // namespace

void RegisterMeterCommands(CCommandTable& table)
{
    table.Add(0x65, {.name = "meter status", .unit = 6, .handler = [](CSimBox& box, const uint8_t*, size_t, CReplyWriter& r) {
                         r.Byte(box.meter.Status());
                     }});
    table.Add(0x62, {.name = "meter start", .unit = 6, .handler = [](CSimBox& box, const uint8_t*, size_t, CReplyWriter& r) {
                         box.meter.Start();
                         r.Ack();
                     }});
    table.Add(0x63, {.name = "meter stop", .unit = 6, .handler = [](CSimBox& box, const uint8_t*, size_t, CReplyWriter&) {
                         box.meter.Stop();
                     }});
    table.Add(0x60, {.name = "meter channels A B", .unit = 6, .params = 2,
                     .handler = [](CSimBox& box, const uint8_t* p, size_t, CReplyWriter& r) {
                         SetChannelsAB(box.meter, p);
                         r.Ack();
                     }});
    table.Add(0x61, {.name = "meter acquisition", .unit = 6, .params = 6,
                     .handler = [](CSimBox& box, const uint8_t* p, size_t, CReplyWriter& r) {
                         box.meter.interval = GetWord(p);
                         SetChannelsAB(box.meter, p + 2);
                         box.meter.samples = GetWord(p + 4);
                         r.Ack();
                     }});
    table.Add(0x67, {.name = "meter G flag", .unit = 6, .params = 1,
                     .handler = [](CSimBox& box, const uint8_t* p, size_t, CReplyWriter&) { box.meter.gFlag = p[0]; },
                     .minFirmware = 239});
    table.Add(0x69, {.name = "meter channels C D", .unit = 6, .params = 2,
                     .handler = [](CSimBox& box, const uint8_t* p, size_t, CReplyWriter& r) {
                         box.meter.input[3] = InputSetting::FromByte(p[0]);
                         box.meter.input[2] = InputSetting::FromByte(p[1]);
                         r.Ack();
                     }});
    table.Add(0x66, {.name = "meter read A B", .unit = 6, .levels = kLevels23,
                     .handler = [](CSimBox& box, const uint8_t*, size_t, CReplyWriter& r) { ReadBlock(box, 0, true, r); }});
    table.Add(0x64, {.name = "meter read A B", .unit = 6, .levels = kLevel1,
                     .handler = [](CSimBox& box, const uint8_t*, size_t, CReplyWriter& r) { ReadBlock(box, 0, false, r); }});
    table.Add(0x6B, {.name = "meter read C D", .unit = 6, .levels = kLevel3,
                     .handler = [](CSimBox& box, const uint8_t*, size_t, CReplyWriter& r) { ReadBlock(box, 2, true, r); }});
    table.Add(0x6C, {.name = "meter read C D currents", .unit = 6, .levels = kLevel3,
                     .handler = [](CSimBox& box, const uint8_t*, size_t, CReplyWriter& r) { ReadBlock(box, 2, true, r); }});

    table.Add(0x59, {.name = "counter start", .unit = 7, .handler = [](CSimBox& box, const uint8_t*, size_t, CReplyWriter& r) {
                         box.counterRunning = true;
                         r.Ack();
                     }});
    table.Add(0x5A, {.name = "counter stop", .unit = 7, .handler = [](CSimBox& box, const uint8_t*, size_t, CReplyWriter& r) {
                         box.counterRunning = false;
                         r.Ack();
                     }});
}

} // namespace vexasim
