#include "instruments/digital/DigPanel.h"

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
