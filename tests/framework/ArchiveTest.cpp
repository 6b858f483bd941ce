// Numbers, texts, fonts and counts: the exact bytes of each stored form and
// the round trip through loading.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "ArchiveTestUtil.h"

namespace {

TEST(ArchiveNumbers, AreLittleEndianWithFixedWidths)
{
    const Bytes bytes = StoreBytes([](CArchive& ar) {
        ar << uint8_t{0xAB} << uint16_t{0x1234} << uint32_t{0x89ABCDEF} << int32_t{-2} << int16_t{-3}
           << 1.0f << -2.5;
    });
    const Bytes expected = {0xAB, 0x34, 0x12, 0xEF, 0xCD, 0xAB, 0x89, 0xFE, 0xFF, 0xFF, 0xFF, 0xFD, 0xFF,
                            0x00, 0x00, 0x80, 0x3F,                          // 1.0f
                            0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x04, 0xC0}; // -2.5
    EXPECT_EQ(bytes, expected);

    uint8_t u8; uint16_t u16; uint32_t u32; int32_t i32; int16_t i16; float f32; double f64;
    LoadBytes(bytes, [&](CArchive& ar) { ar >> u8 >> u16 >> u32 >> i32 >> i16 >> f32 >> f64; });
    EXPECT_EQ(u8, 0xAB);
    EXPECT_EQ(u16, 0x1234);
    EXPECT_EQ(u32, 0x89ABCDEFu);
    EXPECT_EQ(i32, -2);
    EXPECT_EQ(i16, -3);
    EXPECT_EQ(f32, 1.0f);
    EXPECT_EQ(f64, -2.5);
}

TEST(ArchiveNumbers, SpecialDoublesKeepTheirBits)
{
    const double values[] = {std::numeric_limits<double>::infinity(), -0.0,
                             std::numeric_limits<double>::denorm_min(), 1e308};
    for (double v : values) {
        double back = 0;
        LoadBytes(StoreBytes([&](CArchive& ar) { ar << v; }), [&](CArchive& ar) { ar >> back; });
        EXPECT_EQ(std::signbit(back), std::signbit(v));
        EXPECT_EQ(back, v);
    }
    double nan = 0;
    LoadBytes(StoreBytes([](CArchive& ar) { ar << std::numeric_limits<double>::quiet_NaN(); }),
              [&](CArchive& ar) { ar >> nan; });
    EXPECT_TRUE(std::isnan(nan));
}

Bytes TextBytes(const CString& text)
{
    return StoreBytes([&](CArchive& ar) { ar << text; });
}

CString LoadText(const Bytes& bytes)
{
    CString text;
    LoadBytes(bytes, [&](CArchive& ar) { ar >> text; });
    return text;
}

TEST(ArchiveText, EmptyAndShortTextsAreMarkerAndOneByteLength)
{
    EXPECT_EQ(TextBytes(u""), (Bytes{0xFF, 0xFE, 0xFF, 0x00}));
    EXPECT_EQ(TextBytes(u"Hi\u00e4"), (Bytes{0xFF, 0xFE, 0xFF, 0x03, 'H', 0, 'i', 0, 0xE4, 0}));
}

TEST(ArchiveText, LengthFormsSwitchAt255And65534)
{
    struct Case { size_t length; Bytes header; };
    const Case cases[] = {
        {254, {0xFF, 0xFE, 0xFF, 0xFE}},
        {255, {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0x00}},
        {300, {0xFF, 0xFE, 0xFF, 0xFF, 0x2C, 0x01}},
        {65533, {0xFF, 0xFE, 0xFF, 0xFF, 0xFD, 0xFF}},
        {65534, {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0x00, 0x00}},
        {70000, {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0x70, 0x11, 0x01, 0x00}},
    };
    for (const Case& c : cases) {
        CString text(c.length, u'x');
        text[c.length / 2] = u'\u20AC';
        const Bytes bytes = TextBytes(text);
        ASSERT_EQ(bytes.size(), c.header.size() + 2 * c.length) << c.length;
        EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + c.header.size()), c.header) << c.length;
        EXPECT_EQ(LoadText(bytes), text) << c.length;
    }
}

TEST(ArchiveText, EightBitFormIsReadInWesternCodePage)
{
    EXPECT_EQ(LoadText({0x00}), u"");
    EXPECT_EQ(LoadText({0x04, 'P', 'O', 'W', 0x80}), u"POW\u20AC");
    EXPECT_EQ(LoadText({0x02, 0xE9, 0x81}), u"\u00e9\u0081");

    Bytes longForm = {0xFF, 0x2C, 0x01};  // 300 characters, 16-bit length
    longForm.insert(longForm.end(), 300, 'a');
    EXPECT_EQ(LoadText(longForm), CString(300, u'a'));

    Bytes hugeForm = {0xFF, 0xFF, 0xFF, 0x03, 0x00, 0x00, 0x00, 'a', 'b', 'c'};
    EXPECT_EQ(LoadText(hugeForm), u"abc");
}

TEST(ArchiveText, UnpairedSurrogatesSurviveTheRoundTrip)
{
    const CString odd = {0xD800, u'a', 0xDFFF};
    EXPECT_EQ(LoadText(TextBytes(odd)), odd);
}

TEST(ArchiveText, DamagedLengthsEndInEndOfFileWithoutHugeAllocation)
{
    const Bytes damaged[] = {
        {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 'a', 0},  // 4 G characters announced
        {0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0xFF, 0xFF},                            // 8-bit, 4 G announced
        {0xFF, 0xFE, 0xFF, 0x05, 'a', 0},
        {0xFF, 0xFE},
        {0xFF},
        {},
    };
    for (const Bytes& bytes : damaged)
        EXPECT_EQ(ThrownCause([&] { LoadText(bytes); }), CArchiveException::endOfFile) << bytes.size() << " bytes";
    // The 64-bit length form has no place in our formats.
    EXPECT_THROW(LoadText({0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0, 0, 0, 0, 0}),
                 CArchiveException);
}

TEST(ArchiveFont, StoresTheLogicalFontFieldsThenTheFaceName)
{
    FontRecord font;
    font.height = -9;
    font.weight = 700;
    font.italic = 1;
    font.charSet = 0xEE;
    font.pitchAndFamily = 0x22;
    font.faceName = u"Tahoma";
    const Bytes bytes = StoreBytes([&](CArchive& ar) { ar << font; });
    const Bytes expected = Concat({
        {0xF7, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xBC, 0x02, 0, 0},
        {1, 0, 0, 0xEE, 0, 0, 0, 0x22},
        {0xFF, 0xFE, 0xFF, 6, 'T', 0, 'a', 0, 'h', 0, 'o', 0, 'm', 0, 'a', 0},
    });
    EXPECT_EQ(bytes, expected);

    FontRecord back;
    LoadBytes(bytes, [&](CArchive& ar) { ar >> back; });
    EXPECT_EQ(back, font);
}

TEST(ArchiveFont, TruncatedFontLeavesTheTargetUntouched)
{
    FontRecord font;
    font.faceName = u"Courier New";
    Bytes bytes = StoreBytes([&](CArchive& ar) { ar << font; });
    bytes.resize(bytes.size() - 3);
    FontRecord target;
    target.height = 42;
    EXPECT_THROW(LoadBytes(bytes, [&](CArchive& ar) { ar >> target; }), CArchiveException);
    EXPECT_EQ(target.height, 42);
}

TEST(ArchiveCount, SixteenBitsBelow0xFFFFElse32Bits)
{
    EXPECT_EQ(StoreBytes([](CArchive& ar) { ar.WriteCount(3); }), (Bytes{3, 0}));
    EXPECT_EQ(StoreBytes([](CArchive& ar) { ar.WriteCount(0xFFFE); }), (Bytes{0xFE, 0xFF}));
    EXPECT_EQ(StoreBytes([](CArchive& ar) { ar.WriteCount(0xFFFF); }), (Bytes{0xFF, 0xFF, 0xFF, 0xFF, 0, 0}));
    uint32_t count = 0;
    LoadBytes({0xFF, 0xFF, 0x00, 0x00, 0x01, 0x00}, [&](CArchive& ar) { count = ar.ReadCount(); });
    EXPECT_EQ(count, 0x10000u);
}

TEST(ArchiveStringArray, RoundTripsCountAndTexts)
{
    std::vector<CString> texts = {u"one", u"", CString(400, u'z')};
    const Bytes bytes = StoreBytes([&](CArchive& ar) { SerializeArray(ar, texts); });
    EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + 2), (Bytes{3, 0}));
    std::vector<CString> back = {u"old"};
    LoadBytes(bytes, [&](CArchive& ar) { SerializeArray(ar, back); });
    EXPECT_EQ(back, texts);
}

TEST(ArchiveStringArray, HugeCountEndsAtTheEndOfData)
{
    std::vector<CString> texts = {u"kept"};
    EXPECT_THROW(LoadBytes({0xFF, 0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0x00, 0x00},
                           [&](CArchive& ar) { SerializeArray(ar, texts); }),
                 CArchiveException);
    EXPECT_EQ(texts, std::vector<CString>{u"kept"});
}

TEST(ArchiveMode, ReadingAStoringArchiveAndWritingALoadingOneAreRefused)
{
    uint32_t value;
    EXPECT_EQ(ThrownCause([&] { StoreBytes([&](CArchive& ar) { ar >> value; }); }), CArchiveException::writeOnly);
    EXPECT_EQ(ThrownCause([] { LoadBytes({0, 0, 0, 0}, [](CArchive& ar) { ar << uint32_t{1}; }); }),
              CArchiveException::readOnly);
}

TEST(ArchiveFile, StoresToDiskAndLoadsBack)
{
    const auto path = std::filesystem::temp_directory_path() / "vexa-archive-test.bin";
    {
        CFile file(path, CFile::modeCreate | CFile::modeWrite);
        CArchive ar(&file, CArchive::store);
        ar << uint32_t{0x49564B42} << CString(u"file");
    }
    uint32_t magic = 0;
    CString text;
    {
        CFile file(path, CFile::modeRead);
        EXPECT_EQ(file.GetLength(), 4u + 4u + 8u);
        CArchive ar(&file, CArchive::load);
        ar >> magic >> text;
        EXPECT_THROW(ar >> magic, CArchiveException);
    }
    std::filesystem::remove(path);
    EXPECT_EQ(magic, 0x49564B42u);
    EXPECT_EQ(text, u"file");
    EXPECT_THROW(CFile(path, CFile::modeRead), CFileException);
}

} // namespace
