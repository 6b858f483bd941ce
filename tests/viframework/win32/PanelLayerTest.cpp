// A knob keeps a picture of its body and, when turned, only copies it. The
// picture must be made anew whenever anything it shows changes: a knob that
// drew from its kept picture has to look exactly like a knob drawn afresh.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <vector>

#include "WindowTestUtil.h"
#include "viframework/SkinManager.h"
#include "viframework/controls/Knob.h"
#include "viframework/win32/GdiPlusGraphics.h"

namespace {

constexpr SIZE kCanvas{200, 200};

std::vector<COLORREF> Picture(CHotKnob& knob, float scale)
{
    return Drawn(kCanvas, [&](HDC dc) {
        Gdiplus::Graphics graphics(dc);
        graphics.Clear(Gdiplus::Color(0xFFE0E4E8));
        CGdiPlusGraphics g(graphics, scale);
        g.SetRendering(Gdiplus::SmoothingModeAntiAlias, Gdiplus::CompositingQualityDefault,
                       Gdiplus::TextRenderingHintSystemDefault);
        knob.Draw(g, CVISkinManager::GetSkin());
    });
}

void Prepare(CHotKnob& knob)
{
    knob.m_rect = {10, 10, 90, 90};
    knob.SetValue(30);
}

int Differing(const std::vector<COLORREF>& a, const std::vector<COLORREF>& b)
{
    int count = 0;
    for (size_t i = 0; i < a.size() && i < b.size(); ++i)
        count += a[i] != b[i];
    return count;
}

struct Change {
    const char* what;
    float scale;
    std::function<void(CHotKnob&)> apply;
};

TEST(PanelLayer, AKnobDrawnFromItsKeptBodyLooksLikeOneDrawnAfresh)
{
    ASSERT_TRUE(StartGdiPlus());
    CVISkinManager& skin = CVISkinManager::GetSkin();
    skin.m_colourTable[kSkinShadow] = 0x60000000u;
    skin.m_colourTable[kSkinHoverRing] = 0xFF2080F0u;

    const Change changes[] = {
        {"turned", 1.0f, [](CHotKnob& k) { k.SetValue(80); }},
        {"hovered", 1.0f, [](CHotKnob& k) { k.SetHover(true, {50, 50}); }},
        {"cap colour", 1.0f, [](CHotKnob& k) { k.m_capColour = 0xFFFFD080u; }},
        {"skirt colour", 1.0f, [](CHotKnob& k) { k.m_skirtColour = 0xFF406080u; }},
        {"scale colour", 1.0f, [](CHotKnob& k) { k.m_scaleColour = 0xFFC00000u; }},
        {"range", 1.0f, [](CHotKnob& k) { k.SetRange(0, 7); }},
        {"no scale", 1.0f, [](CHotKnob& k) { k.m_showScale = 0; }},
        {"flat skirt", 1.0f, [](CHotKnob& k) { k.m_shadedSkirt = 0; }},
        {"skirt width", 1.0f, [](CHotKnob& k) { k.m_skirtWidth = 25; }},
        {"line width", 1.0f, [](CHotKnob& k) { k.m_lineWidth = 4; }},
        {"skin shadow", 1.0f, [](CHotKnob&) { CVISkinManager::GetSkin().m_colourTable[kSkinShadow] = 0xFF000000u; }},
        {"resized", 1.0f, [](CHotKnob& k) { k.m_rect = {10, 10, 70, 70}; }},
        {"moved by whole units", 1.0f, [](CHotKnob& k) { k.m_rect = {30, 20, 110, 100}; }},
        {"zoomed", 2.0f, [](CHotKnob&) {}},
        {"moved within a pixel", 1.5f, [](CHotKnob& k) { k.m_rect = {11, 11, 91, 91}; }},
    };
    for (const Change& change : changes) {
        SCOPED_TRACE(change.what);
        const Argb shadow = skin.m_colourTable[kSkinShadow];
        CHotKnob kept;
        Prepare(kept);
        const float before = change.scale == 1.5f ? 1.5f : 1.0f;
        const std::vector<COLORREF> old = Picture(kept, before);
        change.apply(kept);
        const std::vector<COLORREF> fromKept = Picture(kept, change.scale);

        CHotKnob fresh;
        Prepare(fresh);
        change.apply(fresh);
        const std::vector<COLORREF> afresh = Picture(fresh, change.scale);
        EXPECT_GT(Differing(afresh, old), 0) << "the change shows";
        EXPECT_EQ(Differing(fromKept, afresh), 0);
        skin.m_colourTable[kSkinShadow] = shadow;
    }
    skin.Reset();
}

}  // namespace
