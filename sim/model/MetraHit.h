// Telegrams of the METRAHit handheld meters that the box relays through
// unit 8, as each model sends them for a voltage reading.
//
// 18S (answer to "Q", 10 bytes): b0 13; b1 "0" + mode (2 AC+DC, 3 DC);
// b2, b3 status 0; b4 range 0 to 4 (300 mV, 3 V, 30 V, 300 V, 1000 V) plus 8
// for minus; b5 to b9 five ASCII digits, most significant first (":" for an
// overload). ONE/13S: the same with b0 8 and ranges 0 to 3.
// 23S (answer to "P", 9 bytes): b0 status 1 (0x20 added for an overload);
// b1 mode (1 DC, 3 AC+DC); b2 range 0 to 4 (300 mV to 3000 V); b3 to b8 six
// digits in the low four bits, most significant first; bit 0x800 of the word
// b2 b3 (bit 3 of the range byte) the sign.
// TEACH (answer to "T" 4, 30 bytes): "0", CR, LF, then "VDC," or "VAC," and
// the value as "%.4E", CR, zero-padded.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vexasim {

enum class MetraHitModel { None = 0, M23S = 1, One13S = 2, M18S = 3, Teach = 4 };

enum class MetraHitRequest { P, Q, T };

// What the meter answers to a request while showing volts; a meter of
// another model (or none) answers zeros of the requested length.
// dc selects DC volts, otherwise AC+DC (RMS).
std::vector<uint8_t> MetraHitAnswer(MetraHitModel model, MetraHitRequest request, double volts, bool dc);

size_t MetraHitAnswerSize(MetraHitRequest request);

} // namespace vexasim
