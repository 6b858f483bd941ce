// The bitmap switch: its record, its place among the standard kinds, and
// which frame of its bitmap it draws.
#include <gtest/gtest.h>

#include "ControlTestUtil.h"
#include "PanelFakes.h"
#include "viframework/controls/BitmapKnob.h"
#include "viframework/controls/PanelLayout.h"
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

TEST_F(BitmapKnobTest, LayoutsCreateItFromItsTypeCode)
{
    auto made = CreateStandardHotspot(kHotBitmapKnob);
    ASSERT_NE(made, nullptr);
    EXPECT_NE(dynamic_cast<CHotBitmapKnob*>(made.get()), nullptr);

    // A layout with a switch followed by another control reads both.
    CMemFile file;
    CArchive ar(&file, CArchive::store);
    ar << uint32_t(1);
    for (int i = 0; i < 10; ++i)
        ar << uint32_t(0);
    ar << uint32_t(50) << uint32_t(40) << CString(u"");
    ar << uint32_t{kHotBitmapKnob} << int32_t(0) << int32_t(0) << int32_t(20) << int32_t(16) << uint32_t(3)
       << uint32_t(3) << kSwitchBitmap << uint32_t(5) << uint32_t(4);
    ar << uint32_t{kHotStatus} << int32_t(0) << int32_t(20) << int32_t(21) << int32_t(41) << uint32_t(4)
       << uint32_t(1) << uint32_t(0) << uint8_t(0);
    ar << uint32_t{kHotEndOfList};
    const std::vector<uint8_t> bytes = file.Data();
    CPanelLayout layout;
    CHotspotArray list;
    ASSERT_EQ(ReadStandardLayout(bytes.data(), bytes.size(), layout, list), PanelLoadResult::Complete);
    ASSERT_EQ(list.size(), 2u);
    auto* knob = list.Find<CHotBitmapKnob>(3);
    ASSERT_NE(knob, nullptr);
    EXPECT_EQ(knob->Frame(), 4u);
}

TEST_F(BitmapKnobTest, DrawsTheSelectedFrameWithMagentaTransparent)
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
}

TEST_F(BitmapKnobTest, FramesOutsideTheBitmapShowNothing)
{
    CHotBitmapKnob knob;
    knob.m_rect = {0, 0, 20, 16};
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
