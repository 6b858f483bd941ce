// The DC supply's layout as the build compiles it, read by the panel loader
// with the real control kinds.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "framework/File.h"
#include "viframework/controls/HotPowerButton.h"
#include "viframework/controls/Label.h"
#include "viframework/controls/PanelLayout.h"
#include "viframework/controls/Pictures.h"
#include "viframework/controls/Seg7.h"

namespace {

std::vector<uint8_t> ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

TEST(BuiltInLayout, TheDcSupplyPanelLoadsCompletelyIntoItsFourteenControls)
{
    const auto bytes = ReadFile(VEXA_COMPILED_RESOURCES "/10040.bin");
    ASSERT_EQ(bytes.size(), 660u);
    CMemFile file(bytes.data(), bytes.size());
    CArchive ar(&file, CArchive::load);
    CPanelLayout layout;
    CHotspotArray controls;
    CStandardHotspotFactory factory;
    ReadLayoutHeader(ar, layout);
    ASSERT_EQ(ReadPanel(ar, layout, controls, factory), PanelLoadResult::Complete);
    EXPECT_EQ(file.GetPosition(), bytes.size()) << "every byte belongs to a record";
    EXPECT_EQ(layout.resourceRecord[5], 7u);
    EXPECT_EQ(layout.title, u"DC SUPPLY");
    ASSERT_EQ(controls.size(), 14u);

    auto* power = controls.Find<CHotPowerButton>(4302);
    ASSERT_NE(power, nullptr);
    EXPECT_EQ(power->m_flags, 0x00010001u) << "the low half is the layout's, the high half the kind's";
    EXPECT_FALSE(power->IsOn());
    auto* display = controls.Find<CHotSeg7>(13);
    ASSERT_NE(display, nullptr);
    EXPECT_EQ(display->m_flags & 0xFFFFu, 3u);
    std::vector<CString> labels;
    for (const auto& control : controls)
        if (control->m_typeCode == kHotLabel)
            labels.push_back(static_cast<CHotLabel*>(control.get())->Text());
    EXPECT_EQ(labels, (std::vector<CString>{u"POWER", u"DC VOLTAGE"}));
    int fins = 0;
    for (const auto& control : controls)
        fins += control->m_typeCode == kHotBitmap && control->m_rect.Width() == 12 && control->m_rect.Height() == 54;
    EXPECT_EQ(fins, 8);
    EXPECT_EQ(controls.HitTest({power->m_rect.left + 18, power->m_rect.top + 18}), power);
}
