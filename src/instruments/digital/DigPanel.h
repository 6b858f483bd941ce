// The digital panels' shared state: how their two numbers show the input and
// output words, kept class-wide so that every digital panel of the process
// agrees, and stored with a panel's settings.
#pragma once

#include <cstdint>

#include "framework/Archive.h"

struct DigPanelSettings {
    // 1: the output number shows all 16 bits and +1/−1 count over them; 0: 8-bit mode.
    uint8_t outputSixteenBit = 1;
    // The input number's width, read the same way (buttons 3002: 8 bits, 3003: 16 bits).
    uint8_t inputSixteenBit = 1;
    // 0 hexadecimal, 1 decimal, 2 the two bytes apart in decimal.
    int32_t inputBase = 0;
    int32_t outputBase = 0;
};

constexpr int32_t kDigBaseCount = 3;

// Version 1: width flag, input display flag (8-bit each), input base,
// output base (32-bit each). A damaged archive throws and changes nothing.
void SerializeDigPanel(CArchive& ar, DigPanelSettings& s);

// The mode and radix of a seven-segment number (CHotDigSeg7) for a word
// shown in 8 or 16 bits at a base index; 8 bits show the low byte alone.
struct DigNumberLook {
    uint32_t mode;
    uint32_t radix;
    bool operator==(const DigNumberLook&) const = default;
};
DigNumberLook DigNumberLookFor(bool sixteenBit, int32_t base);
