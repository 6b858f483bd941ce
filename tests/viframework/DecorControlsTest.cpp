// Labels, pictures, frames, drop-down selectors and tab strips, and the
// decoding of device-independent bitmaps.
#include <gtest/gtest.h>

#include "ControlTestUtil.h"
#include "PanelFakes.h"
#include "viframework/controls/Frame.h"
#include "viframework/controls/Label.h"
#include "viframework/controls/Menu.h"
#include "viframework/controls/Pictures.h"
#include "viframework/controls/TabControl.h"

namespace {

// ---------------------------------------------------------------- DIB decoding

void Put(Bytes& b, uint32_t v, int bytes = 4)
{
    for (int i = 0; i < bytes; ++i)
        b.push_back(uint8_t(v >> (8 * i)));
}

// A packed DIB with a 40-byte header. Pixels are given top row first:
// palette indices up to 8 bits, raw words for 16 and 32 bits, 0xRRGGBB for 24.
Bytes MakeDib(int32_t width, uint16_t bpp, const std::vector<std::vector<uint32_t>>& rows, bool topDown = false,
              const std::vector<uint32_t>& palette = {}, uint32_t compression = 0,
              const std::vector<uint32_t>& masks = {})
{
    const int32_t height = int32_t(rows.size());
    Bytes b;
    Put(b, 40);
    Put(b, uint32_t(width));
    Put(b, uint32_t(topDown ? -height : height));
    Put(b, 1, 2);
    Put(b, bpp, 2);
    Put(b, compression);
    for (int i = 0; i < 3; ++i)
        Put(b, 0);
    Put(b, uint32_t(palette.size()));
    Put(b, 0);
    for (uint32_t m : masks)
        Put(b, m);
    for (uint32_t c : palette)
        Put(b, c & 0x00FFFFFF);  // stored as blue, green, red, 0
    const size_t stride = size_t((width * bpp + 31) / 32) * 4;
    for (int32_t i = 0; i < height; ++i) {
        const auto& row = rows[size_t(topDown ? i : height - 1 - i)];
        Bytes line(stride, 0);
        for (int32_t x = 0; x < width; ++x) {
            const uint32_t v = row[size_t(x)];
            if (bpp <= 8) {
                const size_t bit = size_t(x) * bpp;
                line[bit / 8] |= uint8_t(v << (8 - bpp - bit % 8));
            } else {
                for (int k = 0; k < bpp / 8; ++k)
                    line[size_t(x) * (bpp / 8) + k] = uint8_t(v >> (8 * k));
            }
        }
        b.insert(b.end(), line.begin(), line.end());
    }
    return b;
}

std::vector<Argb> Decoded(const Bytes& dib)
{
    auto image = DecodeDib(dib.data(), dib.size());
    return image ? image->pixels : std::vector<Argb>{};
}

TEST(Dib, DecodesEveryDepthAndRowOrder)
{
    const uint32_t W = 0xFFFFFFFFu, K = 0xFF000000u;
    const struct {
        const char* name;
        Bytes dib;
        std::vector<Argb> pixels;  // top row first
    } cases[] = {
        {"1 bpp bottom-up", MakeDib(3, 1, {{1, 0, 1}, {0, 1, 0}}, false, {0x000000, 0xFFFFFF}), {W, K, W, K, W, K}},
        {"4 bpp short palette", MakeDib(3, 4, {{2, 0, 1}}, false, {0xFF0000, 0x00FF00, 0x0000FF}),
         {0xFF0000FFu, 0xFFFF0000u, 0xFF00FF00u}},
        {"8 bpp top-down", MakeDib(2, 8, {{0, 1}, {1, 0}}, true, {0x112233, 0x445566}),
         {0xFF112233u, 0xFF445566u, 0xFF445566u, 0xFF112233u}},
        {"24 bpp padded rows", MakeDib(3, 24, {{0x010203, 0x040506, 0x070809}, {0xA0B0C0, 0xD0E0F0, 0x102030}}),
         {0xFF010203u, 0xFF040506u, 0xFF070809u, 0xFFA0B0C0u, 0xFFD0E0F0u, 0xFF102030u}},
        {"32 bpp without alpha", MakeDib(1, 32, {{0x00112233}}), {0xFF112233u}},
        {"32 bpp with alpha", MakeDib(2, 32, {{0x80112233, 0x00445566}}), {0x80112233u, 0x00445566u}},
        {"32 bpp bit fields", MakeDib(1, 32, {{0x00332211}}, false, {}, 3, {0x000000FF, 0x0000FF00, 0x00FF0000}),
         {0xFF112233u}},
        {"16 bpp 565", MakeDib(2, 16, {{0xF800, 0x07E0}}, false, {}, 3, {0xF800, 0x07E0, 0x001F}),
         {0xFFFF0000u, 0xFF00FF00u}},
        {"16 bpp 555", MakeDib(2, 16, {{0x7C00, 0x001F}}), {0xFFFF0000u, 0xFF0000FFu}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Decoded(c.dib), c.pixels) << c.name;

    // The old core header: 16-bit sides, 3-byte colours.
    Bytes core;
    Put(core, 12);
    for (uint16_t v : {1, 1, 1, 24})  // width, height, planes, bits
        Put(core, v, 2);
    core.insert(core.end(), {0x33, 0x22, 0x11, 0});
    EXPECT_EQ(Decoded(core), std::vector<Argb>{0xFF112233u});

    const auto image = DecodeDib(MakeDib(3, 24, {{1, 2, 3}, {4, 5, 6}}).data(), 54 + 24);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->width, 3);
    EXPECT_EQ(image->height, 2);
}

TEST(Dib, DamagedOrUnsupportedGivesNone)
{
    const Bytes good = MakeDib(3, 24, {{1, 2, 3}, {4, 5, 6}});
    ASSERT_TRUE(DecodeDib(good.data(), good.size()));
    auto patched = [&](size_t at, std::initializer_list<uint8_t> bytes) {
        Bytes b = good;
        std::copy(bytes.begin(), bytes.end(), b.begin() + long(at));
        return b;
    };
    const Bytes broken[] = {
        Bytes(good.begin(), good.end() - 1),  // bits cut short
        patched(4, {0, 0, 0, 0}),             // width 0
        patched(8, {0, 0, 0, 0}),             // height 0
        patched(12, {2, 0}),                  // two planes
        patched(14, {7, 0}),                  // 7 bits per pixel
        patched(16, {1, 0, 0, 0}),            // run-length compression
        patched(8, {0xA0, 0x86, 0x01, 0}),    // 100000 rows
        patched(0, {39, 0, 0, 0}),            // header too small
        MakeDib(1, 8, {{0}}, false, std::vector<uint32_t>(300, 0)),  // more colours than indices
        Bytes{40, 0, 0},
    };
    for (const Bytes& b : broken)
        EXPECT_FALSE(DecodeDib(b.data(), b.size()));
    EXPECT_FALSE(DecodeDib(nullptr, 0));
}

TEST(Label, OldWhiteColourInALayoutDrawsInTheSkinsTextColour)
{
    const Bytes record = Join({CommonPart({5, 5, 60, 16}, 50, 0x3), Encode(MakeFont(u"Tahoma", -9, 700)),
                               Encode(uint32_t(0x00FFFFFF), CString(u"POWER"))});
    CHotLabel label;
    EXPECT_EQ(LoadRecord(label, record), record.size());
    EXPECT_EQ(label.Colour(), kSkinColour);
    EXPECT_EQ(label.Text(), u"POWER");
    EXPECT_EQ(label.m_rect, (CRect{5, 5, 60, 16}));

    RecordingSkin skin;
    RecordingGraphics g;
    label.Draw(g, skin);
    ASSERT_EQ(g.Count("DrawString"), 1u);
    EXPECT_EQ(g.Of("DrawString")[0]->colour, skin.LabelColour());
    EXPECT_EQ(g.Of("DrawString")[0]->font.weight, 700);
}

class FixedMeasurer : public ITextMeasurer {
public:
    SizeF MeasureString(const CString& text, const FontRecord&) override { return {10.2f * float(text.size()), 12}; }
};

TEST(Label, PlacingAndTextSizeTheLabelWithTheMeasurer)
{
    CHotLabel label;
    label.PlaceAt(10, 20);
    EXPECT_EQ(label.Text(), u"TEXT");
    EXPECT_EQ(label.m_rect, (CRect{10, 20, 10 + 22, 20 + 11}));  // estimate: 0.6 x 9 per character

    FixedMeasurer measurer;
    SetTextMeasurer(&measurer);
    EXPECT_TRUE(label.SetText(u"CHANNEL A"));
    EXPECT_EQ(label.m_rect, (CRect{10, 20, 10 + 92, 20 + 12 + 2})) << "two units to spare for other zoom levels";
    EXPECT_FALSE(label.SetText(u"CHANNEL A"));
    SetTextMeasurer(nullptr);
}

class PicturesTest : public ::testing::Test {
protected:
    void SetUp() override { SetPanelResources(&resources); }
    void TearDown() override { SetPanelResources(nullptr); }
    FakePanelResources resources;
};

TEST_F(PicturesTest, EmbeddedBitmapRecordCarriesTheDibAndTransparentOnesKeyOutTheTopLeftColour)
{
    CHotBitmap bitmap;
    bitmap.SetEmbedded(MakeDib(2, 24, {{0xFF00FF, 0x123456}, {0x123456, 0xFF00FF}}));
    bitmap.m_rect = {0, 0, 20, 20};
    RecordingSkin skin;
    RecordingGraphics g;
    bitmap.Draw(g, skin);
    ASSERT_EQ(g.Count("DrawImage"), 1u);
    EXPECT_EQ(g.calls[0].colour, 0xFFFF00FFu);
    EXPECT_FLOAT_EQ(g.calls[0].rect.width, 20);
    EXPECT_EQ(bitmap.m_naturalWidth, 2);

    bitmap.SetTransparent(false);
    RecordingGraphics opaque;
    bitmap.Draw(opaque, skin);
    EXPECT_EQ(opaque.calls[0].colour, 0u);

    const Bytes dib = MakeDib(1, 24, {{0x010203}});
    bitmap.SetEmbedded(dib);
    bitmap.m_rect = {};
    const Bytes expected =
        Join({CommonPart({}, kNoHotspotId, 0x3), Encode(uint32_t(0), uint32_t(dib.size())), dib, Encode(uint8_t(0))});
    EXPECT_EQ(StoreRecord(bitmap), expected);
    CHotBitmap back;
    LoadRecord(back, expected);
    EXPECT_EQ(back.Embedded(), dib);
    ASSERT_TRUE(back.Image());
    EXPECT_EQ(back.Image()->Pixel(0, 0), 0xFF010203u);
}

TEST_F(PicturesTest, ResourceBitmapsComeFromTheLibrary)
{
    resources.bitmaps[5500] = std::make_shared<CPanelImage>(4, 3);
    CHotBitmap bitmap;
    bitmap.OnLoaded();
    EXPECT_EQ(bitmap.m_naturalWidth, 4);
    EXPECT_EQ(bitmap.m_naturalHeight, 3);

    bitmap.SetBitmap(77);
    RecordingSkin skin;
    RecordingGraphics g;
    bitmap.Draw(g, skin);
    EXPECT_TRUE(g.calls.empty());
}

TEST(Metafile, ReadsEnhancedBytesAndRefusesTheOlderEncoding)
{
    Bytes emf(88, 0);
    auto put = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i)
            emf[at + i] = uint8_t(v >> (8 * i));
    };
    put(0, 1);
    put(4, 88);
    put(16, 49);  // bounds right
    put(20, 29);  // bounds bottom
    put(40, 0x464D4520u);
    CHotMetafile metafile;
    metafile.PlaceAt(3, 4);
    EXPECT_EQ(metafile.m_rect, (CRect{3, 4, 103, 104}));
    metafile.SetMetafile(emf);
    metafile.PlaceAt(3, 4);
    EXPECT_EQ(metafile.m_rect, (CRect{3, 4, 53, 34}));

    CHotMetafile back;
    LoadRecord(back, StoreRecord(metafile));
    EXPECT_EQ(back.Metafile(), emf);

    CHotMetafile old;
    EXPECT_THROW(LoadRecord(old, Join({CommonPart({}, 0, 3), Encode(uint32_t(1), uint32_t(0))})), CArchiveException);
    // A count larger than what follows ends in the archive's error, not an allocation.
    EXPECT_THROW(LoadRecord(old, Join({CommonPart({}, 0, 3), Encode(uint32_t(2), uint32_t(0x7FFFFFFF))})),
                 CArchiveException);
}

TEST(Frames, FramesAndGroupBoxesLetClicksThroughButTextBlocksDoNot)
{
    CHotspotArray panel;
    auto menu = std::make_unique<CHotMenu>();
    menu->m_rect = {10, 10, 100, 30};
    CHotspot* beneath = menu.get();
    panel.Add(std::move(menu));
    auto frame = std::make_unique<CHotFrame>();
    frame->PlaceAt(0, 0);
    EXPECT_EQ(frame->m_rect, (CRect{0, 0, 100, 100}));
    EXPECT_EQ(frame->InnerRect(), (CRect{6, 6, 94, 94}));
    panel.Add(std::move(frame));
    auto group = std::make_unique<CHotGroupBox>();
    group->PlaceAt(0, 0);
    panel.Add(std::move(group));
    EXPECT_EQ(panel.HitTest({50, 20}), beneath);
    EXPECT_EQ(panel.HitTest({50, 50}), nullptr);

    auto text = std::make_unique<CHotText>();
    text->m_rect = {0, 0, 100, 100};
    CHotspot* block = text.get();
    panel.Add(std::move(text));
    EXPECT_EQ(panel.HitTest({50, 20}), block);
}

TEST(Frames, TextBlockSizesToItsTextWithinTheFrame)
{
    CHotText text;
    text.PlaceAt(0, 0);
    EXPECT_EQ(text.Text(), u"TEXT");
    // Arial 24 estimated at 0.6 x 24 per character, plus the frame's inset on both sides.
    EXPECT_EQ(text.m_rect, (CRect{0, 0, 58 + 12, 29 + 12}));

    RecordingSkin skin;
    RecordingGraphics g;
    text.Draw(g, skin);
    const auto strings = g.Of("DrawString");
    ASSERT_EQ(strings.size(), 1u);
    EXPECT_EQ(strings[0]->colour, 0xFF000000u);
    EXPECT_FLOAT_EQ(strings[0]->rect.x, 6);
}

class MenuTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetPanelResources(&resources);
        resources.menus[600] = {{1, u"A", 0}, {2, u"B", 0}, {0, u"", 0}, {3, u"C", CHotMenu::kColumnBreak},
                                {0xFFFFFFFFu, u"", 0}, {4, u"D", 0}};
        menu.m_rect = {10, 10, 84, 31};
        menu.m_notifySink = &sink;
    }
    void TearDown() override { SetPanelResources(nullptr); }

    FakePanelResources resources;
    RecordingSink sink;
    CHotMenu menu;
};

TEST_F(MenuTest, ColumnBreaksStartNewColumnsAndAStoredResourceIdLoadsTheItems)
{
    ASSERT_EQ(menu.LoadItems(600), 4u);
    const auto& items = menu.Items();
    const std::pair<int32_t, int32_t> expected[] = {{0, 0}, {0, 1}, {1, 0}, {1, 1}};
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(items[i].column, expected[i].first) << i;
        EXPECT_EQ(items[i].row, expected[i].second) << i;
    }
    EXPECT_EQ(items[2].text, u"C");
    EXPECT_EQ(menu.Text(), u"A");
    menu.SetSelection(7);
    EXPECT_EQ(menu.Text(), u"");
    EXPECT_EQ(menu.LoadItems(601), 0u);

    // The record holds only the resource id; loading it loads the items.
    const Bytes record = Join({CommonPart({10, 10, 84, 31}, 30, 1), Encode(uint32_t(600))});
    CHotMenu loaded;
    LoadRecord(loaded, record);
    EXPECT_EQ(loaded.Items().size(), 4u);
    EXPECT_EQ(loaded.m_id, 30u);
}

TEST_F(MenuTest, ReleaseInsideOpensTheListAndSendsEachChoice)
{
    menu.LoadItems(600);
    for (int round = 0; round < 2; ++round) {
        ScriptedHost host;
        host.Release(10, {40, 20});
        host.popupChoice = 3;
        EXPECT_TRUE(menu.OnPress(host));
        ASSERT_EQ(host.sent.size(), 1u) << "round " << round;
        EXPECT_EQ(host.sent[0].id, 3u);
        EXPECT_EQ(host.popupAt, (CPoint{10, 31}));
        ASSERT_EQ(host.popupEntries.size(), 4u);
        EXPECT_EQ(host.popupEntries[3].column, 1);
        EXPECT_EQ(host.popupEntries[3].row, 1);
        EXPECT_FALSE(host.captured);
    }
    EXPECT_FALSE(menu.IsPressed());
    EXPECT_EQ(sink.invalidations, 4);
}

TEST_F(MenuTest, LeavingReleasingOutsideChoosingNothingOrNoItemsSendsNothing)
{
    ScriptedHost empty;
    empty.Release(10, {40, 20});
    EXPECT_FALSE(menu.OnPress(empty));
    EXPECT_EQ(empty.captures, 0);
    EXPECT_EQ(sink.invalidations, 0);

    menu.LoadItems(600);
    ScriptedHost left;
    left.Move(5, {200, 20});
    left.Release(10, {40, 20});
    EXPECT_FALSE(menu.OnPress(left));
    EXPECT_TRUE(left.popupEntries.empty());

    ScriptedHost outside;
    outside.Release(10, {200, 20});
    menu.OnPress(outside);
    EXPECT_TRUE(outside.popupEntries.empty());

    ScriptedHost nothing;
    nothing.Release(10, {40, 20});
    nothing.popupChoice = -1;
    menu.OnPress(nothing);
    EXPECT_EQ(nothing.popupEntries.size(), 4u);
    EXPECT_TRUE(nothing.sent.empty());
}

TEST_F(MenuTest, ListTextsBecomeItemsWithConsecutiveCommands)
{
    EXPECT_EQ(menu.SetItems(u"AV;|AV|;P;PP;RMS", 21), 5u);
    EXPECT_EQ(menu.Items()[4].id, 25u);
    EXPECT_EQ(menu.Items()[1].text, u"|AV|");
    EXPECT_EQ(menu.Items()[4].row, 4);
    EXPECT_TRUE(menu.SetSelection(4));
    EXPECT_FALSE(menu.SetSelection(4));
    RecordingSkin skin;
    RecordingGraphics g;
    menu.Draw(g, skin);
    ASSERT_EQ(skin.menuTexts.size(), 1u);
    EXPECT_EQ(skin.menuTexts[0], u"RMS");
}

class TabTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        tabs.m_rect = {0, 0, 100, 22};
        tabs.m_notifySink = &sink;
        tabs.AddItem(u"Time");
        tabs.AddItem(u"Frequency");
        tabs.AddItem(u"Phase");
    }
    RecordingSink sink;
    CHotTabControl tabs;
};

TEST_F(TabTest, TabsShareTheWidth)
{
    EXPECT_EQ(tabs.TabAt({0, 5}), 0);
    EXPECT_EQ(tabs.TabAt({65, 5}), 1);
    EXPECT_EQ(tabs.TabAt({98, 5}), 2);
    EXPECT_EQ(tabs.TabAt({99, 5}), -1);  // the rest after three tabs of 33
    EXPECT_EQ(tabs.TabAt({50, 30}), -1);
    EXPECT_TRUE(tabs.OnMouseMove({70, 5}));
    EXPECT_FALSE(tabs.OnMouseMove({71, 5}));
    EXPECT_EQ(tabs.HoverTab(), 2);
    EXPECT_TRUE(tabs.OnMouseMove({70, 40}));
    EXPECT_EQ(tabs.HoverTab(), -1);
}

TEST_F(TabTest, PressSelectsAnotherTabAndSendsIdPlusIndex)
{
    ScriptedHost host;
    host.pointer = {40, 5};
    EXPECT_TRUE(tabs.OnPress(host));
    ASSERT_EQ(host.sent.size(), 1u);
    EXPECT_EQ(host.sent[0].id, 10u + 1u);
    EXPECT_EQ(tabs.Selected(), 1);
    EXPECT_EQ(sink.invalidations, 1);

    // The selected tab again: repainted, no command.
    EXPECT_FALSE(tabs.OnPress(host));
    EXPECT_EQ(host.sent.size(), 1u);
    EXPECT_EQ(sink.invalidations, 2);

    tabs.EnableItem(2, false);
    host.pointer = {80, 5};
    EXPECT_FALSE(tabs.OnPress(host));
    EXPECT_EQ(host.sent.size(), 1u);
    EXPECT_EQ(tabs.Selected(), 1);
}

TEST_F(TabTest, ItemsAreStoredAsArchivedObjects)
{
    tabs.EnableItem(1, false);
    tabs.m_id = 40;
    const Bytes record = StoreRecord(tabs);
    const std::string text(record.begin(), record.end());
    EXPECT_EQ(text.find("CHotTabItem"), text.rfind("CHotTabItem"));  // one class tag, then back-references
    EXPECT_NE(text.find("CHotTabItem"), std::string::npos);

    CHotTabControl back;
    EXPECT_EQ(LoadRecord(back, record), record.size());
    ASSERT_EQ(back.Items().size(), 3u);
    EXPECT_EQ(back.Items()[1]->m_text, u"Frequency");
    EXPECT_EQ(back.Items()[1]->m_enabled, 0);
    EXPECT_EQ(back.m_id, 40u);
    EXPECT_EQ(back.m_flags, 0x80000005u);

    RecordingSkin skin;
    RecordingGraphics g;
    back.Select(2);
    back.Draw(g, skin);
    ASSERT_EQ(skin.segments.size(), 3u);
    EXPECT_TRUE(skin.segments[2].selected);
    EXPECT_FALSE(skin.segments[1].enabled);
    EXPECT_FLOAT_EQ(skin.segments[1].rect.x, 33);
}

}  // namespace
