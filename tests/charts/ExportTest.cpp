// What a chart remembers about exporting (its bytes and damaged archives)
// and the text side of an export.
#include <gtest/gtest.h>

#include <string>

#include "../framework/ArchiveTestUtil.h"
#include "charts/Export.h"

namespace {

// A chart with all three formats and something in every field.
CExport Filled()
{
    CExport e;
    e.AddTextFormat();
    e.destination = CExport::file;
    e.formatIndex = 2;
    auto& wmf = static_cast<CExportImageFormat&>(*e.formats[0]);
    auto& bmp = static_cast<CExportImageFormat&>(*e.formats[1]);
    wmf.width = 320;
    wmf.height = 10;
    wmf.fileName = u"C:\\Bilder\\Übersicht.emf";
    bmp.width = 1000;
    bmp.height = 11;
    bmp.fileName = u"b.bmp";
    e.formats[2]->fileName = u"daten.txt";
    return e;
}

Bytes Store(CExport& e)
{
    return StoreBytes([&](CArchive& ar) { e.Serialize(ar); });
}

CExportImageFormat& Image(CExport& e, size_t i)
{
    return static_cast<CExportImageFormat&>(*e.formats[i]);
}

Bytes U32(uint32_t v)
{
    return {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
}

Bytes ShortText(std::u16string_view s)
{
    Bytes b{0xFF, 0xFE, 0xFF, uint8_t(s.size())};
    for (char16_t c : s) {
        b.push_back(uint8_t(c));
        b.push_back(uint8_t(c >> 8));
    }
    return b;
}

// ---------------------------------------------------------------- archive

TEST(ExportArchive, StoresSchemaChoicesAndEachFormatInListOrderAndLoadsThemBack)
{
    CExport e = Filled();
    const Bytes bytes = Store(e);
    EXPECT_EQ(bytes, Concat({U32(1), U32(1), U32(2),                                               //
                             U32(2), U32(320), U32(10), U32(1), ShortText(u"C:\\Bilder\\Übersicht.emf"),  //
                             U32(2), U32(1000), U32(11), U32(1), ShortText(u"b.bmp"),              //
                             U32(1), ShortText(u"daten.txt")}));
    CExport loaded;
    loaded.AddTextFormat();
    LoadBytes(bytes, [&](CArchive& ar) { loaded.Serialize(ar); });
    EXPECT_EQ(loaded.destination, uint32_t(CExport::file));
    EXPECT_EQ(loaded.formatIndex, 2u);
    EXPECT_EQ(loaded.formats[0]->fileName, u"C:\\Bilder\\Übersicht.emf");
    // The bytes above hold every value: stored again, the loaded settings give them back.
    EXPECT_EQ(Store(loaded), bytes);
}

TEST(ExportArchive, AChoiceBeyondAShorterListFallsBackToTheFirstFormat)
{
    // Stored by a chart with a text format, read by one without.
    CExport stored;
    stored.AddTextFormat();
    stored.formatIndex = 2;
    CExport loaded;
    loaded.formatIndex = 1;
    LoadBytes(Store(stored), [&](CArchive& ar) { loaded.Serialize(ar); });
    EXPECT_EQ(loaded.formatIndex, 0u);
    EXPECT_EQ(loaded.Chosen(), loaded.formats[0].get());
}

// Loads bytes into a chart whose settings differ from Filled() everywhere;
// the cause of the exception, or none.
CArchiveException::Cause LoadInto(CExport& target, const Bytes& bytes)
{
    try {
        LoadBytes(bytes, [&](CArchive& ar) { target.Serialize(ar); });
    } catch (const CArchiveException& e) {
        return e.m_cause;
    }
    return CArchiveException::none;
}

TEST(ExportArchive, ATruncatedArchiveIsRefusedAndKeepsTheChoices)
{
    CExport stored = Filled();
    const Bytes full = Store(stored);
    CExport untouched;
    untouched.AddTextFormat();
    untouched.formatIndex = 1;
    for (size_t length = 0; length < full.size(); ++length) {
        CExport target;
        target.AddTextFormat();
        target.formatIndex = 1;
        const Bytes cut(full.begin(), full.begin() + length);
        EXPECT_EQ(LoadInto(target, cut), CArchiveException::endOfFile) << "cut at " << length;
        EXPECT_EQ(target.destination, uint32_t(CExport::clipboard)) << "cut at " << length;
        EXPECT_EQ(target.formatIndex, 1u) << "cut at " << length;
        // Formats read before the cut are put back as they were.
        EXPECT_EQ(Store(target), Store(untouched)) << "cut at " << length;
    }
}

TEST(ExportArchive, WrongSchemaWordsAndAnImpossibleDestinationAreRefused)
{
    CExport stored = Filled();
    const Bytes full = Store(stored);
    // Offsets of the schema words: the chart's, the metafile's two (image,
    // then format) and the text format's.
    const size_t wmfName = 12 + 12 + 4;
    const size_t bmpStart = wmfName + ShortText(u"C:\\Bilder\\Übersicht.emf").size();
    const size_t txtStart = bmpStart + 16 + ShortText(u"b.bmp").size();
    for (size_t at : {size_t(0), size_t(12), size_t(24), bmpStart, bmpStart + 12, txtStart}) {
        for (uint32_t wrong : {0u, 3u, 0xFFFFFFFFu}) {
            Bytes damaged = full;
            const Bytes word = U32(wrong);
            std::copy(word.begin(), word.end(), damaged.begin() + at);
            CExport target;
            target.AddTextFormat();
            EXPECT_EQ(LoadInto(target, damaged), CArchiveException::badSchema) << "word at " << at << " = " << wrong;
            EXPECT_EQ(target.formatIndex, 0u);
        }
    }
    // A destination that is neither the clipboard nor a file.
    Bytes damaged = full;
    damaged[4] = 2;
    CExport target;
    target.AddTextFormat();
    EXPECT_EQ(LoadInto(target, damaged), CArchiveException::badSchema);
    EXPECT_EQ(target.destination, uint32_t(CExport::clipboard));
}

TEST(ExportArchive, ASizeOutsideTheFormatsLimitsIsRefusedAndTheSizeKept)
{
    struct Case {
        size_t format;
        int32_t width, height;
    };
    // The metafile goes from 10 to 320 mm, the bitmap from 10 to 1000 pixels.
    const Case cases[] = {{0, 321, 100}, {0, 100, 9}, {0, -150, 150}, {1, 1001, 100}, {1, 100, 1001}, {1, 9, 9}};
    for (const Case& c : cases) {
        CExport stored;
        Image(stored, c.format).width = c.width;
        Image(stored, c.format).height = c.height;
        CExport target;
        const int32_t width = Image(target, c.format).width, height = Image(target, c.format).height;
        EXPECT_EQ(LoadInto(target, Store(stored)), CArchiveException::badSchema) << c.width << " x " << c.height;
        EXPECT_EQ(Image(target, c.format).width, width);
        EXPECT_EQ(Image(target, c.format).height, height);
    }
}

// ---------------------------------------------------------------- format texts

TEST(ExportFormatTexts, TitleIsBeforeTheFirstBarAndExtensionAfterTheStar)
{
    struct Case {
        std::u16string_view resource, title, extension;
    };
    const Case cases[] = {
        {u"Enhanced Metafile (*.emf)|*.emf|", u"Enhanced Metafile (*.emf)", u"emf"},
        {u"Bitmap (*.bmp)|*.bmp|", u"Bitmap (*.bmp)", u"bmp"},
        {u"Text|*.txt", u"Text", u"txt"},  // without the closing bar
        {u"Text", u"Text", u""},
        {u"Text|", u"Text", u""},
        {u"Text|*.", u"Text", u""},
        {u"", u"", u""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ExportFormatTitle(c.resource), c.title);
        EXPECT_EQ(ExportFormatExtension(c.resource), c.extension);
    }
}

// ---------------------------------------------------------------- text

TEST(ExportText, DecimalSignReplacesEveryPointAndNothingElse)
{
    CString text = u"U/V.\t1.5\t-0.25\r\n2,0";
    UseDecimalSign(text, u',');
    EXPECT_EQ(text, u"U/V,\t1,5\t-0,25\r\n2,0");
    for (char16_t sign : {u'.', char16_t(0)}) {
        CString same = u"1.5";
        UseDecimalSign(same, sign);
        EXPECT_EQ(same, u"1.5");
    }
}

TEST(ExportText, FormattedTextAppendsAndSurvivesLongLines)
{
    CMemStream out;
    out << u"t/s\t";
    out.Format("%.1f µs\t%d", 0.5, 42);
    EXPECT_EQ(out.Text(), u"t/s\t0.5 µs\t42");
    const std::string longer(700, 'x');
    out.Format("%s|", longer.c_str());
    EXPECT_EQ(out.Text().size(), 13 + 701u);
    EXPECT_EQ(out.Text().back(), u'|');
}

TEST(ExportText, FileBytesInEachCodePage)
{
    const std::u16string text = u"a\u00e4\u20ac\U0001F600";
    Bytes utf16 = {0xFF, 0xFE, 'a', 0, 0xE4, 0, 0xAC, 0x20, 0x3D, 0xD8, 0x00, 0xDE};
    EXPECT_EQ(EncodeTextFile(text, 1200), utf16);
    EXPECT_EQ(EncodeTextFile(std::u16string(u"x\0", 2), 1200), (Bytes{0xFF, 0xFE, 'x', 0, 0, 0}))
        << "a closing NUL is written like any character";
    EXPECT_EQ(EncodeTextFile(text, 65001),
              (Bytes{0xEF, 0xBB, 0xBF, 'a', 0xC3, 0xA4, 0xE2, 0x82, 0xAC, 0xF0, 0x9F, 0x98, 0x80}));
    EXPECT_EQ(EncodeTextFile(text, 1252), (Bytes{'a', 0xE4, '?', '?', '?'})) << "no converter: Latin-1 or '?'";

    static uint32_t asked = 0;
    const auto convert = [](std::u16string_view t, uint32_t codePage) {
        asked = codePage;
        return Bytes(t.size(), 0x80);
    };
    EXPECT_EQ(EncodeTextFile(u"ab", 1252, convert), (Bytes{0x80, 0x80}));
    EXPECT_EQ(asked, 1252u);
}

}  // namespace
