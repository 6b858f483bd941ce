// The function generator (unit 3) and the three-phase generator (unit 4):
// their commands only change the signal model's settings.
#include <cmath>

#include "protocol/CommandTable.h"
#include "protocol/SimBox.h"

namespace vexasim {

namespace {

double GeneratorClock(int level)
{
    return level == 1 ? 3.2e7 : level == 2 ? 8e7 : 2e8;
}

// Acknowledged setter of one generator setting.
template <class F> void SetGenerator(CSimBox& box, CReplyWriter& r, F f)
{
    box.model.UpdateGenerator(f);
    r.Ack();
}

template <class F> void SetThreePhase(CSimBox& box, CReplyWriter& r, F f)
{
    box.model.UpdateThreePhase(f);
    r.Ack();
}

size_t UploadCount(const uint8_t* p)
{
    return GetWord(p);
}

size_t UploadWords(const uint8_t* p)
{
    return 2u * GetWord(p);
}

} // namespace

void RegisterGeneratorCommands(CCommandTable& table)
{
    table.Add(0xC0, {.name = "generator on", .unit = 3, .handler = [](CSimBox& box, const uint8_t*, size_t, CReplyWriter& r) {
                         SetGenerator(box, r, [](GeneratorSettings& g) { g.outputOn = true; });
                     }});
    table.Add(0xC1, {.name = "generator off", .unit = 3, .handler = [](CSimBox& box, const uint8_t*, size_t, CReplyWriter& r) {
                         SetGenerator(box, r, [](GeneratorSettings& g) { g.outputOn = false; });
                     }});
    // Dividers A, B and fraction C: clock / A / (B + 1), or with C the
    // fractional cycle A + A / C.
    table.Add(0xC2, {.name = "generator dividers", .unit = 3, .levels = kLevel1, .params = 5,
                     .handler = [](CSimBox& box, const uint8_t* p, size_t, CReplyWriter& r) {
                         const double a = GetWord(p), b = GetWord(p + 2), c = p[4];
                         const double cycle = c > 0 ? a + a / c : a;
                         const double f = a > 0 ? GeneratorClock(1) / cycle / (b + 1) : 0.0;
                         SetGenerator(box, r, [&](GeneratorSettings& g) { g.frequency = f; });
                     }});
    table.Add(0xC3, {.name = "generator amplitude", .unit = 3, .params = 1,
                     .handler = [](CSimBox& box, const uint8_t* p, size_t, CReplyWriter& r) {
                         SetGenerator(box, r, [&](GeneratorSettings& g) { g.amplitude = p[0]; });
                     }});
    table.Add(0xC4, {.name = "generator waveform", .unit = 3, .params = 1,
                     .handler = [](CSimBox& box, const uint8_t* p, size_t, CReplyWriter& r) {
                         SetGenerator(box, r, [&](GeneratorSettings& g) { g.waveform = p[0]; });
                     }});
    table.Add(0xC5, {.name = "generator samples", .unit = 3, .levels = kLevel1, .params = 2,
                     .handler = [](CSimBox&, const uint8_t*, size_t, CReplyWriter& r) { r.Ack(); },
                     .data = UploadCount,
                     .onData = [](CSimBox& box, const uint8_t* p, size_t size, CReplyWriter& r) {
                         SetGenerator(box, r, [&](GeneratorSettings& g) {
                             g.arbitrary.resize(size);
                             for (size_t i = 0; i < size; ++i)
                                 g.arbitrary[i] = p[i] / 255.0 * 2 - 1;
                             g.waveform = kWaveformArbitrary;
                         });
                     }});
    table.Add(0xC6, {.name = "generator output range", .unit = 3, .params = 1,
                     .handler = [](CSimBox& box, const uint8_t* p, size_t, CReplyWriter& r) {
                         SetGenerator(box, r, [&](GeneratorSettings& g) { g.outputRange = p[0] < 3 ? p[0] : 0; });
                     }});
    table.Add(0xC9, {.name = "generator duty", .unit = 3, .params = 1,
                     .handler = [](CSimBox& box, const uint8_t* p, size_t, CReplyWriter& r) {
                         SetGenerator(box, r, [&](GeneratorSettings& g) { g.duty = p[0]; });
                     }});
    table.Add(0xCA, {.name = "generator frequency", .unit = 3, .levels = kLevels23, .params = 4,
                     .handler = [](CSimBox& box, const uint8_t* p, size_t, CReplyWriter& r) {
                         SetGenerator(box, r, [&](GeneratorSettings& g) { g.frequency = GetLong(p) / 10.0; });
                     }});
    table.Add(0xCB, {.name = "generator samples", .unit = 3, .levels = kLevels23, .params = 2,
                     .handler = [](CSimBox&, const uint8_t*, size_t, CReplyWriter& r) { r.Ack(); },
                     .data = UploadWords,
                     .onData = [](CSimBox& box, const uint8_t* p, size_t size, CReplyWriter& r) {
                         SetGenerator(box, r, [&](GeneratorSettings& g) {
                             g.arbitrary.resize(size / 2);
                             for (size_t i = 0; i < size / 2; ++i)
                                 g.arbitrary[i] = static_cast<int16_t>(GetWord(p + 2 * i)) / 511.0;
                             g.waveform = kWaveformArbitrary;
                         });
                     }});
}

void RegisterThreePhaseCommands(CCommandTable& table)
{
    table.Add(0x40, {.name = "three-phase on", .unit = 4, .handler = [](CSimBox& box, const uint8_t*, size_t, CReplyWriter& r) {
                         SetThreePhase(box, r, [](ThreePhaseSettings& s) { s.outputOn = true; });
                     }});
    table.Add(0x41, {.name = "three-phase off", .unit = 4, .handler = [](CSimBox& box, const uint8_t*, size_t, CReplyWriter& r) {
                         SetThreePhase(box, r, [](ThreePhaseSettings& s) { s.outputOn = false; });
                     }});
    table.Add(0x43, {.name = "three-phase C", .unit = 4, .params = 1,
                     .handler = [](CSimBox& box, const uint8_t* p, size_t, CReplyWriter& r) {
                         SetThreePhase(box, r, [&](ThreePhaseSettings& s) { s.settingC = p[0]; });
                     }});
    table.Add(0x44, {.name = "three-phase D", .unit = 4, .params = 1,
                     .handler = [](CSimBox& box, const uint8_t* p, size_t, CReplyWriter& r) {
                         SetThreePhase(box, r, [&](ThreePhaseSettings& s) { s.settingD = p[0]; });
                     }});
    table.Add(0x45, {.name = "three-phase amplitudes", .unit = 4, .params = 3,
                     .handler = [](CSimBox& box, const uint8_t* p, size_t, CReplyWriter& r) {
                         SetThreePhase(box, r, [&](ThreePhaseSettings& s) { s.amplitude = {p[0], p[1], p[2]}; });
                     }});
    table.Add(0x46, {.name = "three-phase raw amplitude", .unit = 4, .params = 1,
                     .handler = [](CSimBox& box, const uint8_t* p, size_t, CReplyWriter& r) {
                         SetThreePhase(box, r, [&](ThreePhaseSettings& s) { s.amplitude = {p[0], p[0], p[0]}; });
                     }});
    // Sent as 360 minus each angle.
    table.Add(0x47, {.name = "three-phase angles", .unit = 4, .params = 4,
                     .handler = [](CSimBox& box, const uint8_t* p, size_t, CReplyWriter& r) {
                         SetThreePhase(box, r, [&](ThreePhaseSettings& s) {
                             s.angle[1] = (360 - GetWord(p) % 360) % 360;
                             s.angle[2] = (360 - GetWord(p + 2) % 360) % 360;
                         });
                     }});
    table.Add(0x48, {.name = "three-phase waveform", .unit = 4, .params = 1,
                     .handler = [](CSimBox& box, const uint8_t* p, size_t, CReplyWriter& r) {
                         SetThreePhase(box, r, [&](ThreePhaseSettings& s) { s.waveform = p[0]; });
                     }});
    // A byte 1, then 257 samples of one period, each -512 times the value.
    table.Add(0x49, {.name = "three-phase formula", .unit = 4, .params = 1 + 2 * 257,
                     .handler = [](CSimBox& box, const uint8_t* p, size_t, CReplyWriter& r) {
                         SetThreePhase(box, r, [&](ThreePhaseSettings& s) {
                             // The last sample repeats the first (X = 2 pi); one period is 256.
                             s.formula.resize(256);
                             for (size_t i = 0; i < 256; ++i)
                                 s.formula[i] = static_cast<int16_t>(GetWord(p + 1 + 2 * i)) / -512.0;
                             s.waveform = kWaveformArbitrary;
                         });
                     }});
    table.Add(0x4A, {.name = "three-phase DC mode", .unit = 4, .params = 1,
                     .handler = [](CSimBox& box, const uint8_t* p, size_t, CReplyWriter& r) {
                         SetThreePhase(box, r, [&](ThreePhaseSettings& s) { s.dcMode = p[0] != 0; });
                     }});
    table.Add(0x4B, {.name = "three-phase flags", .unit = 4, .params = 3,
                     .handler = [](CSimBox& box, const uint8_t* p, size_t, CReplyWriter& r) {
                         SetThreePhase(box, r, [&](ThreePhaseSettings& s) { s.inverted = {p[0], p[1], p[2]}; });
                     }});
}

} // namespace vexasim
