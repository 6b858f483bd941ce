// The pop-up pads' panels as the build compiles them: each carries exactly
// the keys its pad acts on, its controls lie on the grid of 4, apart and
// inside the margins, and its keys are large enough to hit with a finger.
#include <gtest/gtest.h>

#include <set>

#include "CompiledPanels.h"

namespace {

struct PadPanel {
    uint32_t id;
    const char16_t* title;
    std::multiset<uint32_t> buttons;  // command ids
    std::multiset<uint32_t> fields;   // param1 of the rectangle records
    int32_t smallestKey;              // panel units, either side
};

void PrintTo(const PadPanel& panel, std::ostream* out)
{
    *out << panel.id;
}

std::vector<PadPanel> PadPanels()
{
    return {
        // Digits, minus, decimal, backspace (8), cancel (27), accept (301); the field (300).
        {10500, u"NUMERIC KEYPAD", {8, 27, 45, 46, 48, 49, 50, 51, 52, 53, 54, 55, 56, 57, 301}, {300}, 28},
        // Up, down, close.
        {10501, u"UP/DOWN", {100, 101, 301}, {}, 24},
    };
}

class PadPanelLayout : public testing::TestWithParam<PadPanel> {
protected:
    void SetUp() override
    {
        panel = LoadCompiledPanel(GetParam().id);
        ASSERT_GT(panel->bytes, 0u) << "no compiled layout " << GetParam().id;
    }
    std::unique_ptr<LoadedPanel> panel;
};

TEST_P(PadPanelLayout, CarriesExactlyTheKeysItsPadActsOnLargeEnoughToHit)
{
    EXPECT_EQ(panel->result, PanelLoadResult::Complete);
    EXPECT_EQ(panel->bytesRead, panel->bytes);
    EXPECT_EQ(panel->layout.title, CString(GetParam().title));
    std::multiset<uint32_t> buttons, others;
    for (const auto& c : panel->controls) {
        (c->m_typeCode == kHotButton ? buttons : others).insert(c->m_id);
        EXPECT_GE(c->m_rect.Width(), GetParam().smallestKey) << c->m_id;
        EXPECT_GE(c->m_rect.Height(), GetParam().smallestKey) << c->m_id;
    }
    EXPECT_EQ(buttons, GetParam().buttons);
    EXPECT_TRUE(others.empty()) << others.size() << " controls that are no keys";
    std::multiset<uint32_t> fields;
    for (const CustomRecord& c : panel->customs)
        fields.insert(c.param1);
    EXPECT_EQ(fields, GetParam().fields);
}

TEST_P(PadPanelLayout, PutsItsControlsOnTheGridApartAndInsideTheMargins)
{
    const std::vector<PlacedControl> placed = PlacedControls(*panel);
    const int32_t width = panel->layout.width, height = panel->layout.height;
    for (size_t i = 0; i < placed.size(); ++i) {
        const CRect& r = placed[i].rect;
        SCOPED_TRACE(placed[i].name);
        for (int32_t edge : {r.left, r.top, r.right, r.bottom})
            EXPECT_EQ(edge % 4, 0);
        EXPECT_GE(r.left, 8);
        EXPECT_GE(r.top, 8);
        EXPECT_LE(r.right, width - 8);
        EXPECT_LE(r.bottom, height - 8);
        for (size_t j = i + 1; j < placed.size(); ++j)
            EXPECT_FALSE(Overlap(r, placed[j].rect)) << "overlaps " << placed[j].name;
    }
    // The panel ends at the margin beyond its last control, not later.
    int32_t right = 0, bottom = 0;
    for (const PlacedControl& p : placed)
        right = std::max(right, p.rect.right), bottom = std::max(bottom, p.rect.bottom);
    EXPECT_EQ(width, right + 8);
    EXPECT_EQ(height, bottom + 8);
}

INSTANTIATE_TEST_SUITE_P(Pads, PadPanelLayout, testing::ValuesIn(PadPanels()),
                         [](const testing::TestParamInfo<PadPanel>& info) {
                             return "Panel" + std::to_string(info.param.id);
                         });

// The keypad's field spans the keys below it, so that what is typed lines up
// with the keys that type it; the step buttons of the spin pad take a
// fingertip (at least 40 units, about 10 mm at 96 dpi).
TEST(PadPanels, FieldSpansTheKeysAndStepButtonsTakeAFingertip)
{
    const auto keypad = LoadCompiledPanel(10500);
    ASSERT_EQ(keypad->customs.size(), 1u);
    const CRect field = keypad->customs[0].rect;
    int32_t left = INT32_MAX, right = 0;
    for (const auto& c : keypad->controls) {
        left = std::min(left, c->m_rect.left);
        right = std::max(right, c->m_rect.right);
        EXPECT_GE(c->m_rect.top, field.bottom + 4) << c->m_id;
    }
    EXPECT_EQ(field.left, left);
    EXPECT_EQ(field.right, right);
    EXPECT_GE(field.Height(), 20) << "a type of at least 13 pixels";

    const auto spin = LoadCompiledPanel(10501);
    for (const auto& c : spin->controls) {
        if (c->m_id == 100 || c->m_id == 101) {
            EXPECT_GE(c->m_rect.Width(), 40) << c->m_id;
            EXPECT_GE(c->m_rect.Height(), 40) << c->m_id;
        }
    }
}

}  // namespace
