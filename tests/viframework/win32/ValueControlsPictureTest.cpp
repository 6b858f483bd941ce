// A panel with every value control, drawn by the window at both zoom levels
// in both skins of the resource library: every control puts something of
// its own on the screen. With VEXA_PICTURES naming a folder, the pictures
// are saved there for the eye (value-controls-SKIN-zN.png).
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "../PanelFakes.h"
#include "WindowTestUtil.h"
#include "Capture.h"
#include "viframework/SkinManager.h"
#include "viframework/controls/BitmapKnob.h"
#include "viframework/controls/Knob.h"
#include "viframework/controls/Label.h"
#include "viframework/controls/ScrollBar.h"
#include "viframework/controls/Slider.h"
#include "viframework/controls/UpDownButton.h"
#include "viframework/controls/ValueField.h"
#include "viframework/win32/GdiPlusGraphics.h"
#include "viframework/win32/VIWindow.h"

namespace {

constexpr uint32_t kLayoutId = 10920;
constexpr uint32_t kSwitchBitmap = 5135;

std::vector<uint8_t> ReadCompiled(const std::string& name)
{
    std::ifstream in(std::string(VEXA_COMPILED_RESOURCES) + "/" + name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

template <class T>
T& Place(std::vector<CHotspot*>& controls, CRect rect, uint32_t id)
{
    auto* control = new T;
    control->m_rect = rect;
    control->m_id = id;
    controls.push_back(control);
    return *control;
}

void Caption(std::vector<CHotspot*>& controls, CRect rect, const char16_t* text)
{
    CHotLabel& label = Place<CHotLabel>(controls, rect, kNoHotspotId);
    label.SetText(text);
    label.SetFont(MakeFont(u"Tahoma", -9, 700));
}

// The panel in the layout's form: what the reader makes of it is what a
// layout from the resource library gives.
std::vector<uint8_t> ValueControlsLayout()
{
    std::vector<CHotspot*> controls;
    Caption(controls, {12, 8, 108, 20}, u"LEVEL");
    Place<CHotKnob>(controls, {12, 24, 108, 120}, 401);
    Caption(controls, {124, 8, 260, 20}, u"FREQUENCY");
    CHotValue& field = Place<CHotValue>(controls, {124, 24, 240, 72}, 402);
    field.SetTitle(u"f");
    field.SetDecimals(1);
    field.SetValue(1234.5);
    Place<CHotUpDownButton>(controls, {244, 32, 260, 62}, 403);
    Caption(controls, {124, 84, 260, 96}, u"AMPLITUDE");
    CHotSlider& level = Place<CHotSlider>(controls, {124, 100, 260, 124}, 405);
    level.SetValue(60);
    Caption(controls, {276, 8, 340, 20}, u"OFFSET");
    CHotSlider& offset = Place<CHotSlider>(controls, {284, 24, 308, 160}, 406);
    offset.SetValue(30);
    Caption(controls, {12, 132, 108, 144}, u"RANGE");
    CHotBitmapKnob& range = Place<CHotBitmapKnob>(controls, {12, 148, 60, 196}, 407);
    range.SetBitmap(kSwitchBitmap, 12);
    range.SetFrame(3);
    Caption(controls, {124, 136, 260, 148}, u"POSITION");
    Place<CHotScrollBar>(controls, {124, 152, 260, 168}, 408);
    Place<CHotScrollBar>(controls, {320, 24, 336, 196}, 409).m_horizontal = 0;

    return LayoutOf(348, 208, u"VALUE CONTROLS", controls);
}

class PictureWindow : public CVIWindowBase {
public:
    void PostNcDestroy() override {}
};

class ValueControlsPicture : public ::testing::TestWithParam<const char*> {
protected:
    static void SetUpTestSuite() { StartGdiPlus(); }

    ValueControlsPicture()
    {
        SetPanelResources(&resources);
        ClearSharedBitmaps();
        for (const char* skin : {"gray", "blue"})
            resources.named.push_back({{kSkinResourceType, Utf8ToString(skin)}, ReadCompiled(std::string(skin) + ".bin")});
        const std::vector<uint8_t> bmp = ReadCompiled(std::to_string(kSwitchBitmap) + ".bmp");
        // The file's own header comes before the packed bitmap resources hold.
        if (bmp.size() > 14)
            resources.bitmaps[kSwitchBitmap] = DecodeDib(bmp.data() + 14, bmp.size() - 14);
        resources.numbered[{kLayoutResourceType, kLayoutId}] = ValueControlsLayout();
    }
    ~ValueControlsPicture() override
    {
        window.DestroyView();
        ClearSharedBitmaps();
        SetPanelResources(nullptr);
        CVISkinManager::GetSkin().Reset();
    }

    FakePanelResources resources;
    PictureWindow window;
};

TEST_P(ValueControlsPicture, EveryControlDrawsAtBothZoomLevels)
{
    const std::string skin = GetParam();
    ASSERT_TRUE(CVISkinManager::GetSkin().Load(Utf8ToString(skin.c_str()), resources)) << skin;
    ASSERT_TRUE(window.Create(kLayoutId, WS_CAPTION | WS_SYSMENU | WS_VISIBLE));
    ASSERT_EQ(window.Hotspots().size(), 14u) << "the reader stopped early";
    // Knobs and scroll bars keep no value in their records: the instrument sets it.
    window.Find<CHotKnob>(401)->SetValue(40);
    window.Find<CHotScrollBar>(408)->SetValue(25);
    window.Find<CHotScrollBar>(409)->SetValue(70);
    const COLORREF background = CVISkinManager::GetSkin().m_backgroundColour & 0x00FFFFFF;

    for (int level : {1, 2}) {
        if (level == 2)
            window.ToggleZoom();
        RECT client;
        GetClientRect(window.GetSafeHwnd(), &client);
        const SIZE size{client.right, client.bottom};
        const std::vector<COLORREF> pixels = Drawn(size, [&](HDC dc) { window.RenderPanel(dc, client); });
        for (const auto& control : window.Hotspots()) {
            if (control->m_typeCode == kHotLabel)
                continue;
            const CRect device = window.ToDevice(control->m_rect);
            int drawn = 0;
            for (int y = std::max(device.top, 0); y < std::min<int>(device.bottom, size.cy); ++y)
                for (int x = std::max(device.left, 0); x < std::min<int>(device.right, size.cx); ++x)
                    drawn += pixels[size_t(y) * size.cx + x] != background;
            EXPECT_GT(drawn, device.Width() * device.Height() / 10)
                << "type " << control->m_typeCode << " id " << control->m_id << " in " << skin << " at zoom " << level;
        }
        if (const char* folder = std::getenv("VEXA_PICTURES")) {
            RedrawWindow(window.GetSafeHwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_FRAME);
            const std::string path = std::string(folder) + "/value-controls-" + skin + "-z" + std::to_string(level) + ".png";
            EXPECT_TRUE(CaptureWindowToPng(window.GetSafeHwnd(), std::wstring(path.begin(), path.end())));
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Skins, ValueControlsPicture, ::testing::Values("gray", "blue"));

}  // namespace
