// The bitmap switch: its record and which frame of its bitmap it draws.
#include <gtest/gtest.h>

#include "ControlTestUtil.h"
#include "PanelFakes.h"
#include "viframework/controls/BitmapKnob.h"
#include "viframework/controls/PanelResources.h"

namespace {

constexpr uint32_t kSwitchBitmap = 5600;

// Five frames of 20 x 16 side by side.
class BitmapKnobTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ClearSharedBitmaps();
        fake.bitmaps[kSwitchBitmap] = std::make_shared<CPanelImage>(100, 16);
        SetPanelResources(&fake);
    }
    void TearDown() override
    {
        SetPanelResources(nullptr);
        ClearSharedBitmaps();
    }

    std::vector<RecordingGraphics::Call> Drawn(CHotBitmapKnob& knob)
    {
        RecordingGraphics g;
        knob.Draw(g, skin);
        return g.calls;
    }

    FakePanelResources fake;
    RecordingSkin skin;
};

TEST_F(BitmapKnobTest, RecordTailAndNaturalSizeOfOneFrame)
{
    const Bytes record = Join({CommonPart({4, 6, 30, 30}, 77, 0x3), Encode(kSwitchBitmap, uint32_t(5), uint32_t(2))});
    CHotBitmapKnob knob;
    EXPECT_EQ(LoadRecord(knob, record), record.size());
    EXPECT_EQ(knob.BitmapId(), kSwitchBitmap);
    EXPECT_EQ(knob.FrameCount(), 5u);
    EXPECT_EQ(knob.Frame(), 2u);
    EXPECT_EQ(knob.m_naturalWidth, 20);
    EXPECT_EQ(knob.m_naturalHeight, 16);
    EXPECT_TRUE(knob.IsStatic());
    EXPECT_EQ(StoreRecord(knob), record);

    CHotBitmapKnob cut;
    Bytes shortRecord = record;
    shortRecord.resize(record.size() - 2);
    EXPECT_THROW(LoadRecord(cut, shortRecord), CArchiveException);
    EXPECT_EQ(cut.FrameCount(), 5u);
    EXPECT_EQ(cut.Frame(), 0u);
}

TEST_F(BitmapKnobTest, DrawsTheSelectedFrameWithMagentaTransparentAndNothingOutsideTheBitmap)
{
    CHotBitmapKnob knob;
    knob.SetBitmap(kSwitchBitmap, 5);
    knob.PlaceAt(10, 10);
    EXPECT_EQ(knob.m_rect, (CRect{10, 10, 30, 26}));
    EXPECT_TRUE(knob.SetFrame(3));
    EXPECT_FALSE(knob.SetFrame(3));
    auto calls = Drawn(knob);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].op, "DrawImage");
    EXPECT_EQ(calls[0].source, (CRect{60, 0, 80, 16}));
    EXPECT_EQ(calls[0].colour, 0x00FF00FFu);

    knob.SetBitmap(kSwitchBitmap, 4);
    knob.SetFrame(0);
    calls = Drawn(knob);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].source, (CRect{0, 0, 25, 16})) << "frames follow the count";

    // Frames outside the bitmap show nothing.
    knob.SetBitmap(kSwitchBitmap, 5);
    EXPECT_TRUE(knob.SetFrame(5));
    EXPECT_TRUE(Drawn(knob).empty());
    knob.SetFrame(0xFFFFFFFFu);
    EXPECT_TRUE(Drawn(knob).empty());

    knob.SetFrame(0);
    knob.SetBitmap(kSwitchBitmap, 0);
    EXPECT_TRUE(Drawn(knob).empty()) << "no frames";
    knob.SetBitmap(kSwitchBitmap, 1000);
    EXPECT_TRUE(Drawn(knob).empty()) << "frames narrower than a pixel";
    knob.SetBitmap(4711, 5);
    EXPECT_TRUE(Drawn(knob).empty()) << "missing bitmap";
}

}  // namespace
