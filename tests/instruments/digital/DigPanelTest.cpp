// The digital panels' shared settings: their archive byte for byte, damaged
// ones that change nothing, and the number looks for width and base.
#include <gtest/gtest.h>

#include "../../framework/ArchiveTestUtil.h"
#include "instruments/digital/DigPanel.h"

namespace {

Bytes Encode(uint32_t version, uint8_t width, uint8_t input, int32_t inBase, int32_t outBase)
{
    return StoreBytes([&](CArchive& ar) { ar << version << width << input << inBase << outBase; });
}

TEST(DigPanel, SettingsArchive)
{
    DigPanelSettings s{0, 1, 2, 1};
    const Bytes stored = StoreBytes([&](CArchive& ar) { SerializeDigPanel(ar, s); });
    EXPECT_EQ(stored, Encode(1, 0, 1, 2, 1)) << "version, width, input flag, input base, output base";
    DigPanelSettings back;
    LoadBytes(stored, [&](CArchive& ar) { SerializeDigPanel(ar, back); });
    EXPECT_EQ(StoreBytes([&](CArchive& ar) { SerializeDigPanel(ar, back); }), stored);

    const Bytes damaged[] = {Encode(2, 0, 1, 2, 1), Encode(1, 2, 1, 0, 0), Encode(1, 1, 1, 3, 0),
                             Encode(1, 1, 1, 0, -1), Bytes(stored.begin(), stored.end() - 1)};
    for (const Bytes& bytes : damaged) {
        DigPanelSettings kept{0, 0, 1, 2};
        EXPECT_THROW(LoadBytes(bytes, [&](CArchive& ar) { SerializeDigPanel(ar, kept); }), CArchiveException);
        EXPECT_EQ(kept.inputBase, 1);
        EXPECT_EQ(kept.outputBase, 2);
        EXPECT_EQ(kept.outputSixteenBit, 0);
    }
}

TEST(DigPanel, NumberLooks)
{
    // Whole word in hex or decimal, the bytes apart; 8 bits show the low byte only.
    EXPECT_EQ(DigNumberLookFor(true, 0), (DigNumberLook{1, 16}));
    EXPECT_EQ(DigNumberLookFor(true, 1), (DigNumberLook{1, 10}));
    EXPECT_EQ(DigNumberLookFor(true, 2), (DigNumberLook{0, 10}));
    EXPECT_EQ(DigNumberLookFor(false, 0), (DigNumberLook{3, 16}));
    EXPECT_EQ(DigNumberLookFor(false, 2), (DigNumberLook{3, 10}));
}

using namespace DigCommand;

TEST(DigPanel, CommandsChangeTheWordTheRelaysAndTheLook)
{
    DigPanelState s;
    EXPECT_EQ(ApplyDigCommand(kOutputBitFirst + 15, s), kDigOutputChanged);
    EXPECT_EQ(ApplyDigCommand(kOutputBitFirst + 0, s), kDigOutputChanged);
    EXPECT_EQ(s.output, 0x8001);
    EXPECT_EQ(ApplyDigCommand(kOutputBitFirst + 15, s), kDigOutputChanged);
    EXPECT_EQ(s.output, 0x0001);

    s.output = 0x12FF;
    EXPECT_EQ(ApplyDigCommand(kOutput8Bit, s), kDigLookChanged);
    EXPECT_EQ(ApplyDigCommand(kOutput8Bit, s), 0u) << "already 8-bit";
    EXPECT_EQ(ApplyDigCommand(kPlusOne, s), kDigOutputChanged);
    EXPECT_EQ(s.output, 0x1200);
    EXPECT_EQ(ApplyDigCommand(kPlus256, s), 0u) << "disabled in 8-bit mode";
    EXPECT_EQ(ApplyDigCommand(kMinusOne, s), kDigOutputChanged);
    EXPECT_EQ(s.output, 0x12FF);
    ApplyDigCommand(kOutput16Bit, s);
    ApplyDigCommand(kPlusOne, s);
    EXPECT_EQ(s.output, 0x1300);
    s.output = 0xFFFF;
    ApplyDigCommand(kPlus256, s);
    EXPECT_EQ(s.output, 0x00FF) << "16-bit mode wraps in the word";
    s.output = 0;
    ApplyDigCommand(kMinus256, s);
    EXPECT_EQ(s.output, 0xFF00);

    EXPECT_EQ(ApplyDigCommand(kRelayOnFirst + 7, s), kDigRelaysChanged);
    EXPECT_EQ(ApplyDigCommand(kRelayOnFirst + 7, s), 0u);
    EXPECT_EQ(ApplyDigCommand(kRelayToggleFirst + 0, s), kDigRelaysChanged);
    EXPECT_EQ(s.relays, 0x81);
    EXPECT_EQ(ApplyDigCommand(kRelayOffFirst + 7, s), kDigRelaysChanged);
    EXPECT_EQ(ApplyDigCommand(kRelayToggleFirst + 0, s), kDigRelaysChanged);
    EXPECT_EQ(s.relays, 0x00);

    ApplyDigCommand(kInputBaseFirst + 2, s);
    ApplyDigCommand(kOutputBaseFirst + 1, s);
    ApplyDigCommand(kInput8Bit, s);
    EXPECT_EQ(s.settings.inputBase, 2);
    EXPECT_EQ(s.settings.outputBase, 1);
    EXPECT_EQ(s.settings.inputSixteenBit, 0);
    EXPECT_EQ(s.output, 0xFF00) << "looks leave the word alone";

    for (uint32_t id : {4019u, 4036u + 16u, 4038u, 4124u, 3004u, 3050u, 3043u})
        EXPECT_FALSE(ApplyDigCommand(id, s).has_value()) << id;
}

}  // namespace
