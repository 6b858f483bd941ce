// The digital panels' shared state: how their two numbers show the input and
// output words, kept class-wide so that every digital panel of the process
// agrees, and stored with a panel's settings.
#pragma once

#include <cstdint>
#include <optional>

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

// Command ids of the digital panels.
namespace DigCommand {
constexpr uint32_t kOutputBitFirst = 4020;  // 16: toggle output bit (id − 4020)
constexpr uint32_t kPlusOne = 4036;
constexpr uint32_t kPlus256 = 4037;
constexpr uint32_t kMinusOne = 4039;
constexpr uint32_t kMinus256 = 4040;
constexpr uint32_t kOutput8Bit = 3000;
constexpr uint32_t kOutput16Bit = 3001;
constexpr uint32_t kInput8Bit = 3002;
constexpr uint32_t kInput16Bit = 3003;
constexpr uint32_t kInputBaseFirst = 3044;   // 3: input base index = id − 3044
constexpr uint32_t kOutputBaseFirst = 3047;  // 3: output base index = id − 3047
constexpr uint32_t kRelayOnFirst = 4100;     // 8
constexpr uint32_t kRelayOffFirst = 4108;    // 8
constexpr uint32_t kRelayToggleFirst = 4116; // 8
}  // namespace DigCommand

// What a panel command works on: the output word, the relay byte and the
// shared settings.
struct DigPanelState {
    uint16_t output = 0;
    uint8_t relays = 0;
    DigPanelSettings settings;
};
// What a command changed.
enum DigChange : uint32_t {
    kDigOutputChanged = 1,
    kDigRelaysChanged = 2,
    kDigLookChanged = 4,
};
// Applies a panel command; the DigChange bits it caused (0: nothing, as
// +256 in 8-bit mode), or none when the id is not a panel command.
std::optional<uint32_t> ApplyDigCommand(uint32_t id, DigPanelState& s);
