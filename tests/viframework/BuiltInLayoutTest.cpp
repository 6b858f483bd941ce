// The DC supply's layout as the build compiles it, read by the panel loader
// with the standard control kinds.
#include <gtest/gtest.h>

#include "CompiledPanels.h"
#include "viframework/controls/HotPowerButton.h"
#include "viframework/controls/Label.h"
#include "viframework/controls/Pictures.h"
#include "viframework/controls/Seg7.h"

TEST(BuiltInLayout, TheDcSupplyPanelLoadsCompletelyIntoItsFourteenControls)
{
    const auto panel = LoadCompiledPanel(10040);
    ASSERT_EQ(panel->bytes, 660u);
    ASSERT_EQ(panel->result, PanelLoadResult::Complete);
    EXPECT_EQ(panel->bytesRead, panel->bytes) << "every byte belongs to a record";
    EXPECT_EQ(panel->layout.leading, 1u);
    EXPECT_EQ(panel->layout.resourceRecord[4], 0u);
    EXPECT_EQ(panel->layout.resourceRecord[5], 7u);
    EXPECT_EQ(panel->layout.title, u"DC SUPPLY");
    const CHotspotArray& controls = panel->controls;
    ASSERT_EQ(controls.size(), 14u);

    auto* power = controls.Find<CHotPowerButton>(4302);
    ASSERT_NE(power, nullptr);
    EXPECT_EQ(power->m_flags, 0x00010001u) << "the low half is the layout's, the high half the kind's";
    EXPECT_FALSE(power->IsOn());
    auto* display = controls.Find<CHotSeg7>(13);
    ASSERT_NE(display, nullptr);
    EXPECT_EQ(display->m_flags & 0xFFFFu, 3u);
    std::vector<CString> labels;
    int fins = 0;
    for (const auto& control : controls) {
        if (control->m_typeCode == kHotLabel)
            labels.push_back(static_cast<CHotLabel*>(control.get())->Text());
        fins += control->m_typeCode == kHotBitmap && control->m_rect.Width() == 12 && control->m_rect.Height() == 54;
    }
    EXPECT_EQ(labels, (std::vector<CString>{u"POWER", u"DC VOLTAGE"}));
    EXPECT_EQ(fins, 8);
    EXPECT_EQ(controls.HitTest({power->m_rect.left + 18, power->m_rect.top + 18}), power);
}
