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

}  // namespace
