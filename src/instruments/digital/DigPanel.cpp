#include "instruments/digital/DigPanel.h"

#include "instruments/digital/DigRules.h"

namespace {

constexpr uint32_t kVersion = 1;
// The seven-segment row's modes.
constexpr uint32_t kBytesApart = 0;
constexpr uint32_t kWholeWord = 1;
constexpr uint32_t kLowByte = 3;

}  // namespace

void SerializeDigPanel(CArchive& ar, DigPanelSettings& s)
{
    if (ar.IsStoring()) {
        ar << kVersion << s.outputSixteenBit << s.inputSixteenBit << s.inputBase << s.outputBase;
        return;
    }
    ReadSchemaVersion(ar, kVersion);
    DigPanelSettings loaded;
    ar >> loaded.outputSixteenBit >> loaded.inputSixteenBit >> loaded.inputBase >> loaded.outputBase;
    RequireSchema(loaded.outputSixteenBit <= 1 && loaded.inputSixteenBit <= 1);
    RequireSchema(loaded.inputBase >= 0 && loaded.inputBase < kDigBaseCount);
    RequireSchema(loaded.outputBase >= 0 && loaded.outputBase < kDigBaseCount);
    s = loaded;
}

DigNumberLook DigNumberLookFor(bool sixteenBit, int32_t base)
{
    const uint32_t radix = base == 0 ? 16 : 10;
    if (!sixteenBit)
        return {kLowByte, radix};
    return {base == 2 ? kBytesApart : kWholeWord, radix};
}

namespace {

template <class T>
uint32_t Assign(T& target, T value, uint32_t change)
{
    if (target == value)
        return 0;
    target = value;
    return change;
}

bool InRange(uint32_t id, uint32_t first, uint32_t count, uint32_t& index)
{
    index = id - first;
    return id >= first && index < count;
}

}  // namespace

std::optional<uint32_t> ApplyDigCommand(uint32_t id, DigPanelState& s)
{
    using namespace DigCommand;
    DigPanelSettings& look = s.settings;
    const bool sixteenBit = look.outputSixteenBit != 0;
    uint32_t k = 0;
    if (InRange(id, kOutputBitFirst, 16, k))
        return Assign(s.output, uint16_t(s.output ^ (1u << k)), kDigOutputChanged);
    if (InRange(id, kRelayOnFirst, 8, k))
        return Assign(s.relays, uint8_t(s.relays | (1u << k)), kDigRelaysChanged);
    if (InRange(id, kRelayOffFirst, 8, k))
        return Assign(s.relays, uint8_t(s.relays & ~(1u << k)), kDigRelaysChanged);
    if (InRange(id, kRelayToggleFirst, 8, k))
        return Assign(s.relays, uint8_t(s.relays ^ (1u << k)), kDigRelaysChanged);
    if (InRange(id, kInputBaseFirst, kDigBaseCount, k))
        return Assign(look.inputBase, int32_t(k), kDigLookChanged);
    if (InRange(id, kOutputBaseFirst, kDigBaseCount, k))
        return Assign(look.outputBase, int32_t(k), kDigLookChanged);
    switch (id) {
    case kPlusOne: return Assign(s.output, StepOutputWord(s.output, 1, sixteenBit), kDigOutputChanged);
    case kMinusOne: return Assign(s.output, StepOutputWord(s.output, -1, sixteenBit), kDigOutputChanged);
    // The high byte's buttons are disabled in 8-bit mode; a late click changes nothing.
    case kPlus256: return sixteenBit ? Assign(s.output, StepOutputWord(s.output, 256, true), kDigOutputChanged) : 0;
    case kMinus256: return sixteenBit ? Assign(s.output, StepOutputWord(s.output, -256, true), kDigOutputChanged) : 0;
    case kOutput8Bit: return Assign(look.outputSixteenBit, uint8_t(0), kDigLookChanged);
    case kOutput16Bit: return Assign(look.outputSixteenBit, uint8_t(1), kDigLookChanged);
    case kInput8Bit: return Assign(look.inputSixteenBit, uint8_t(0), kDigLookChanged);
    case kInput16Bit: return Assign(look.inputSixteenBit, uint8_t(1), kDigLookChanged);
    default: return std::nullopt;
    }
}
