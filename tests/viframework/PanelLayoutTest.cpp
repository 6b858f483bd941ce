// The layout reader and the control list, with a minimal test kind so that
// these rules are checked apart from any real control.
#include <gtest/gtest.h>

#include "framework/File.h"
#include "viframework/controls/PanelLayout.h"

namespace {

// Reads one u32 tail; its constructor sets a high flag bit and the static bit.
class TestKind : public CHotspot {
public:
    TestKind() { m_flags = 0x00010004u | kHotVisible; }
    void Serialize(CArchive& ar) override
    {
        CHotspot::Serialize(ar);
        ar >> tail;
    }
    void OnLoaded() override { loaded = true; }
    uint32_t tail = 0;
    bool loaded = false;
};

constexpr uint32_t kTestCode = 32900;

class TestFactory : public IHotspotFactory {
public:
    std::unique_ptr<CHotspot> CreateHotspot(int32_t, int32_t, uint32_t code) override
    {
        if (code == kTestCode)
            return std::make_unique<TestKind>();
        return nullptr;
    }
    std::unique_ptr<CHotspot> CreateCustomHotspot(uint32_t p1, uint32_t p2, const CRect& rect) override
    {
        customs.push_back({p1, p2, rect});
        if (!makeCustom)
            return nullptr;
        auto h = std::make_unique<TestKind>();
        h->m_rect = rect;
        return h;
    }
    struct Custom {
        uint32_t p1, p2;
        CRect rect;
    };
    std::vector<Custom> customs;
    bool makeCustom = false;
};

// Writes layouts the way the layout compiler does.
class LayoutWriter {
public:
    LayoutWriter(int32_t w, int32_t h, const char16_t* title) : ar(&file, CArchive::store)
    {
        ar << uint32_t(w) << uint32_t(h) << CString(title);
    }
    LayoutWriter& Record(uint32_t code, CRect r, uint32_t id, uint32_t flags, uint32_t tail)
    {
        ar << code << r.left << r.top << r.right << r.bottom << id << flags << tail;
        return *this;
    }
    LayoutWriter& Custom(CRect r, uint32_t p1, uint32_t p2)
    {
        ar << uint32_t{kHotRectangle} << r.left << r.top << r.right << r.bottom << p1 << p2;
        return *this;
    }
    LayoutWriter& Raw(uint32_t v)
    {
        ar << v;
        return *this;
    }
    std::vector<uint8_t> Bytes()
    {
        ar << uint32_t{kHotEndOfList};
        return file.Data();
    }

    CMemFile file;
    CArchive ar;
};

class PanelLayout : public ::testing::Test {
protected:
    PanelLoadResult Load(const std::vector<uint8_t>& bytes)
    {
        CMemFile file(bytes.data(), bytes.size());
        CArchive ar(&file, CArchive::load);
        return ReadPanel(ar, layout, list, factory);
    }
    CPanelLayout layout;
    CHotspotArray list;
    TestFactory factory;
};

}  // namespace

TEST_F(PanelLayout, ReadsSizeTitleAndRecordsKeepingTheConstructorsHighFlags)
{
    LayoutWriter w(239, 149, u"DC SUPPLY");
    w.Record(kTestCode, {1, 2, 30, 40}, 7, 0xFFFE0001u, 99);
    ASSERT_EQ(Load(w.Bytes()), PanelLoadResult::Complete);
    EXPECT_EQ(layout.width, 239);
    EXPECT_EQ(layout.height, 149);
    EXPECT_EQ(layout.title, u"DC SUPPLY");
    ASSERT_EQ(list.size(), 1u);
    auto* h = static_cast<TestKind*>(list[0]);
    EXPECT_EQ(h->m_rect, (CRect{1, 2, 30, 40}));
    EXPECT_EQ(h->m_id, 7u);
    EXPECT_EQ(h->m_typeCode, kTestCode);
    // Stored 0xFFFE0001 on a kind that set 0x00010005: the low half from the
    // file, the high half from the kind.
    EXPECT_EQ(h->m_flags, 0x00010001u);
    EXPECT_EQ(h->tail, 99u);
    EXPECT_TRUE(h->loaded);
}

TEST_F(PanelLayout, ACodeWithoutAKindStopsLoadingAndKeepsWhatWasRead)
{
    LayoutWriter w(10, 10, u"");
    w.Record(kTestCode, {0, 0, 5, 5}, 1, 1, 0);
    w.Raw(kHotUnused);  // nothing after this may be read
    w.Record(kTestCode, {0, 0, 5, 5}, 2, 1, 0);
    EXPECT_EQ(Load(w.Bytes()), PanelLoadResult::UnknownControl);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0]->m_id, 1u);
}

TEST_F(PanelLayout, RectangleRecordsGoToTheViewWhichMayDeclineThem)
{
    LayoutWriter w(10, 10, u"");
    w.Custom({3, 4, 50, 60}, 11, 12);
    w.Record(kTestCode, {0, 0, 5, 5}, 1, 1, 0);
    const auto bytes = w.Bytes();
    EXPECT_EQ(Load(bytes), PanelLoadResult::Complete);
    ASSERT_EQ(factory.customs.size(), 1u);
    EXPECT_EQ(factory.customs[0].p1, 11u);
    EXPECT_EQ(factory.customs[0].p2, 12u);
    EXPECT_EQ(factory.customs[0].rect, (CRect{3, 4, 50, 60}));
    EXPECT_EQ(list.size(), 1u);

    factory.makeCustom = true;
    Load(bytes);
    EXPECT_EQ(list.size(), 2u);
}

TEST_F(PanelLayout, ADamagedRecordThrowsWithTheEarlierControlsInTheList)
{
    LayoutWriter w(10, 10, u"T");
    w.Record(kTestCode, {0, 0, 5, 5}, 1, 1, 0);
    auto bytes = w.Bytes();
    bytes.resize(bytes.size() - 8);  // the record's tail and the end code are cut
    EXPECT_THROW(Load(bytes), CArchiveException);
    EXPECT_EQ(list.size(), 1u);
}

TEST(HotspotArray, HitTestTakesTheLastVisibleEnabledControl)
{
    CHotspotArray list;
    auto add = [&](CRect r, uint32_t id, uint32_t flags) {
        auto h = std::make_unique<TestKind>();
        h->m_rect = r;
        h->m_id = id;
        h->m_flags = flags;
        h->m_typeCode = kTestCode;
        list.Add(std::move(h));
    };
    add({0, 0, 100, 100}, 1, kHotVisible);
    add({10, 10, 50, 50}, 2, kHotVisible);
    add({10, 10, 50, 50}, 3, kHotVisible | kHotDisabled);
    add({10, 10, 50, 50}, 4, 0);  // flags 0: neither drawn nor hit
    EXPECT_EQ(list.HitTest({20, 20})->m_id, 2u);
    EXPECT_EQ(list.HitTest({60, 60})->m_id, 1u);
    // Right and bottom edges are outside.
    EXPECT_EQ(list.HitTest({50, 20})->m_id, 1u);
    EXPECT_EQ(list.HitTest({100, 20}), nullptr);
    EXPECT_EQ(list.Find(kTestCode, 3)->m_id, 3u);
    EXPECT_EQ(list.FindByType(kTestCode)->m_id, 1u);
    EXPECT_TRUE(list.Remove(list.Find(kTestCode, 2)));
    EXPECT_EQ(list.HitTest({20, 20})->m_id, 1u);
}
