// Archived objects: class tags, back-references, schemas, owned object arrays
// and the failures a damaged archive must end in.
#include <gtest/gtest.h>

#include "ArchiveTestUtil.h"

namespace {

// Shaped like the tab strip's items: text, a word and a flag. Schema 2 added
// the flag; schema 1 archives still load.
class CTestItem : public CObject {
    DECLARE_SERIAL(CTestItem)
public:
    CTestItem() = default;
    CTestItem(CString t, uint32_t d, uint8_t e) : text(std::move(t)), data(d), enabled(e) {}

    void Serialize(CArchive& ar) override
    {
        if (ar.IsStoring()) {
            ar << text << data << enabled;
            return;
        }
        loadedSchema = ar.GetObjectSchema();
        ar >> text >> data;
        if (loadedSchema >= 2)
            ar >> enabled;
    }

    CString text;
    uint32_t data = 0;
    uint8_t enabled = 1;
    uint32_t loadedSchema = 0;
};
IMPLEMENT_SERIAL(CTestItem, CObject, VERSIONABLE_SCHEMA | 2)

class CTestSpecialItem : public CTestItem {
    DECLARE_SERIAL(CTestSpecialItem)
};
IMPLEMENT_SERIAL(CTestSpecialItem, CTestItem, VERSIONABLE_SCHEMA | 2)

// A kind whose schema must match exactly.
class CTestStrict : public CObject {
    DECLARE_SERIAL(CTestStrict)
public:
    void Serialize(CArchive& ar) override
    {
        if (ar.IsStoring())
            ar << value;
        else
            ar >> value;
    }
    uint32_t value = 0;
};
IMPLEMENT_SERIAL(CTestStrict, CObject, 3)

// Holds another of its kind, so damaged data could nest without end.
class CTestNode : public CObject {
    DECLARE_SERIAL(CTestNode)
public:
    void Serialize(CArchive& ar) override
    {
        if (ar.IsStoring())
            ar.WriteObject(child.get());
        else
            child = ar.ReadObject<CTestNode>();
    }
    std::unique_ptr<CTestNode> child;
};
IMPLEMENT_SERIAL(CTestNode, CObject, 1)

Bytes Chars(std::string_view s)
{
    return Bytes(s.begin(), s.end());
}

using Items = std::vector<std::unique_ptr<CTestItem>>;

Items MakeItems()
{
    Items items;
    items.push_back(std::make_unique<CTestItem>(u"A", 7, 1));
    items.push_back(std::make_unique<CTestItem>(u"B", 8, 0));
    return items;
}

CArchiveException::Cause LoadCause(const Bytes& bytes, const std::function<void(CArchive&)>& read)
{
    return ThrownCause([&] { LoadBytes(bytes, read); });
}

TEST(ArchiveObjects, ArrayWritesNewClassTagThenClassBackReference)
{
    Items items = MakeItems();
    const Bytes bytes = StoreBytes([&](CArchive& ar) { SerializeArray(ar, items); });
    const Bytes expected = Concat({
        {0x02, 0x00},                              // count
        {0xFF, 0xFF, 0x02, 0x00, 0x09, 0x00},      // new class, schema 2, name length 9
        Chars("CTestItem"),
        {0xFF, 0xFE, 0xFF, 0x01, 'A', 0, 7, 0, 0, 0, 1},
        {0x01, 0x80},                              // class 1 again
        {0xFF, 0xFE, 0xFF, 0x01, 'B', 0, 8, 0, 0, 0, 0},
    });
    EXPECT_EQ(bytes, expected);

    Items back;
    LoadBytes(bytes, [&](CArchive& ar) { SerializeArray(ar, back); });
    ASSERT_EQ(back.size(), 2u);
    EXPECT_EQ(back[0]->text, u"A");
    EXPECT_EQ(back[0]->data, 7u);
    EXPECT_EQ(back[0]->enabled, 1);
    EXPECT_EQ(back[1]->text, u"B");
    EXPECT_EQ(back[1]->enabled, 0);
    EXPECT_EQ(back[1]->loadedSchema, 2u);
}

TEST(ArchiveObjects, OlderSchemaOfAVersionableKindReachesEveryInstance)
{
    const Bytes schema1 = Concat({
        {0x02, 0x00, 0xFF, 0xFF, 0x01, 0x00, 0x09, 0x00},
        Chars("CTestItem"),
        {0xFF, 0xFE, 0xFF, 0x01, 'A', 0, 7, 0, 0, 0},
        {0x01, 0x80, 0xFF, 0xFE, 0xFF, 0x01, 'B', 0, 8, 0, 0, 0},
    });
    Items back;
    LoadBytes(schema1, [&](CArchive& ar) { SerializeArray(ar, back); });
    ASSERT_EQ(back.size(), 2u);
    EXPECT_EQ(back[0]->loadedSchema, 1u);
    EXPECT_EQ(back[1]->loadedSchema, 1u);
    EXPECT_EQ(back[1]->data, 8u);
    EXPECT_EQ(back[1]->enabled, 1) << "schema 1 has no flag: the default stays";
}

TEST(ArchiveObjects, SchemaIsForgottenOnceAsked)
{
    CMemFile file;
    CArchive ar(&file, CArchive::store);
    ar.SetObjectSchema(4);
    EXPECT_EQ(ar.GetObjectSchema(), 4u);
    EXPECT_EQ(ar.GetObjectSchema(), 0xFFFFFFFFu);
}

TEST(ArchiveObjects, DerivedKindLoadsWhereItsBaseIsAsked)
{
    Items items;
    items.push_back(std::make_unique<CTestSpecialItem>());
    items.push_back(std::make_unique<CTestItem>(u"x", 1, 1));
    items.push_back(std::make_unique<CTestSpecialItem>());
    Items back;
    LoadBytes(StoreBytes([&](CArchive& ar) { SerializeArray(ar, items); }),
              [&](CArchive& ar) { SerializeArray(ar, back); });
    ASSERT_EQ(back.size(), 3u);
    EXPECT_TRUE(back[0]->IsKindOf(RUNTIME_CLASS(CTestSpecialItem)));
    EXPECT_FALSE(back[1]->IsKindOf(RUNTIME_CLASS(CTestSpecialItem)));
    EXPECT_TRUE(back[2]->IsKindOf(RUNTIME_CLASS(CTestSpecialItem)));
}

TEST(ArchiveObjects, NullAndRepeatedObjectsAreStoredAsTags)
{
    CTestStrict strict;
    const Bytes bytes = StoreBytes([&](CArchive& ar) {
        ar.WriteObject(nullptr);
        ar.WriteObject(&strict);
        ar.WriteObject(&strict);
    });
    const Bytes expected = Concat({{0x00, 0x00, 0xFF, 0xFF, 0x03, 0x00, 0x0B, 0x00},
                                   Chars("CTestStrict"),
                                   {0, 0, 0, 0, 0x02, 0x00}});
    EXPECT_EQ(bytes, expected);

    // A loaded object has one owner, so a second reference to it is refused.
    EXPECT_EQ(LoadCause(bytes, [](CArchive& ar) {
                  EXPECT_EQ(ar.ReadObject<CTestStrict>(), nullptr);
                  EXPECT_NE(ar.ReadObject<CTestStrict>(), nullptr);
                  ar.ReadObject<CTestStrict>();
              }),
              CArchiveException::badIndex);
}

TEST(ArchiveObjects, BigIndicesUseTheLongTagForm)
{
    // More than 0x7FFE map entries push the next new class past the short tags.
    Items items;
    for (int i = 0; i < 0x7FFF; ++i)
        items.push_back(std::make_unique<CTestItem>(u"", static_cast<uint32_t>(i), 1));
    items.push_back(std::make_unique<CTestSpecialItem>());
    items.push_back(std::make_unique<CTestSpecialItem>());
    const Bytes bytes = StoreBytes([&](CArchive& ar) { SerializeArray(ar, items); });
    // The last object's class back-reference: 0x7FFF, then 0x80000000 | 0x8001.
    const size_t tail = bytes.size() - 9 - 6;  // before the last object's nine bytes of fields
    EXPECT_EQ(Bytes(bytes.begin() + tail, bytes.begin() + tail + 6), (Bytes{0xFF, 0x7F, 0x01, 0x80, 0x00, 0x80}));

    Items back;
    LoadBytes(bytes, [&](CArchive& ar) { SerializeArray(ar, back); });
    ASSERT_EQ(back.size(), items.size());
    EXPECT_EQ(back[0x7FFE]->data, 0x7FFEu);
    EXPECT_TRUE(back.back()->IsKindOf(RUNTIME_CLASS(CTestSpecialItem)));
}

TEST(ArchiveObjects, DamagedArchivesEndInTheMatchingCause)
{
    auto readItems = [](CArchive& ar) {
        Items items;
        SerializeArray(ar, items);
    };
    struct Case { const char* what; Bytes bytes; CArchiveException::Cause cause; };
    const Case cases[] = {
        {"unknown class name", Concat({{1, 0, 0xFF, 0xFF, 2, 0, 5, 0}, Chars("CNone")}), CArchiveException::badClass},
        {"class of another kind", Concat({{1, 0, 0xFF, 0xFF, 3, 0, 11, 0}, Chars("CTestStrict"), {0, 0, 0, 0}}),
         CArchiveException::badClass},
        {"class name too long", Concat({{1, 0, 0xFF, 0xFF, 2, 0, 200, 0}, Bytes(200, 'C')}), CArchiveException::badClass},
        {"class back-reference before any class", {1, 0, 0x01, 0x80}, CArchiveException::badIndex},
        {"class back-reference to an object", Concat({{2, 0, 0xFF, 0xFF, 2, 0, 9, 0}, Chars("CTestItem"),
                                                      {0xFF, 0xFE, 0xFF, 0, 0, 0, 0, 0, 1}, {0x02, 0x80}}),
         CArchiveException::badIndex},
        {"null element", {1, 0, 0, 0}, CArchiveException::badIndex},
        {"truncated fields", Concat({{1, 0, 0xFF, 0xFF, 2, 0, 9, 0}, Chars("CTestItem"), {0xFF, 0xFE, 0xFF, 3, 'a'}}),
         CArchiveException::endOfFile},
        {"count without elements", {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F}, CArchiveException::endOfFile},
    };
    for (const Case& c : cases)
        EXPECT_EQ(LoadCause(c.bytes, readItems), c.cause) << c.what;

    const Bytes strictSchema2 = Concat({{0xFF, 0xFF, 2, 0, 11, 0}, Chars("CTestStrict"), {0, 0, 0, 0}});
    EXPECT_EQ(LoadCause(strictSchema2, [](CArchive& ar) { ar.ReadObject<CTestStrict>(); }),
              CArchiveException::badSchema);
}

TEST(ArchiveObjects, NestingIsBoundedAndReleasedOnFailure)
{
    auto chain = [](int depth) {
        auto root = std::make_unique<CTestNode>();
        CTestNode* node = root.get();
        for (int i = 1; i < depth; ++i) {
            node->child = std::make_unique<CTestNode>();
            node = node->child.get();
        }
        return StoreBytes([&](CArchive& ar) { ar.WriteObject(root.get()); });
    };
    std::unique_ptr<CTestNode> root;
    LoadBytes(chain(60), [&](CArchive& ar) { root = ar.ReadObject<CTestNode>(); });
    int depth = 0;
    for (CTestNode* n = root.get(); n; n = n->child.get())
        ++depth;
    EXPECT_EQ(depth, 60);

    // Too deep: refused, and the partly built chain is freed (the leak checker
    // of the sanitizer build would see it otherwise).
    EXPECT_EQ(LoadCause(chain(1000), [](CArchive& ar) { ar.ReadObject<CTestNode>(); }), CArchiveException::badIndex);
}

TEST(ArchiveObjects, KindsWithoutSchemaCannotBeStored)
{
    class CPlain : public CObject {};
    CPlain plain;
    EXPECT_EQ(ThrownCause([&] { StoreBytes([&](CArchive& ar) { ar.WriteObject(&plain); }); }),
              CArchiveException::badClass);
}

} // namespace
