// The pixmap compiler: bitmap and icon files decoded header by header and
// pixel by pixel, source mistakes, and the project's own pixmaps.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "Pixmap.h"

using namespace pixmap;
namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<uint8_t>;

uint32_t U32(const Bytes& b, size_t at)
{
    return uint32_t(b.at(at)) | uint32_t(b.at(at + 1)) << 8 | uint32_t(b.at(at + 2)) << 16 |
           uint32_t(b.at(at + 3)) << 24;
}

uint16_t U16(const Bytes& b, size_t at)
{
    return uint16_t(b.at(at) | b.at(at + 1) << 8);
}

// The RGB of pixel (x, y), y from the top, in an uncompressed bottom-up .bmp.
uint32_t BmpPixel(const Bytes& bmp, int x, int y)
{
    const uint32_t width = U32(bmp, 18), height = U32(bmp, 22), bits = U16(bmp, 28);
    const uint32_t stride = (width * bits + 31) / 32 * 4;
    const size_t at = U32(bmp, 10) + (height - 1 - uint32_t(y)) * stride + uint32_t(x) * bits / 8;
    return uint32_t(bmp.at(at + 2)) << 16 | uint32_t(bmp.at(at + 1)) << 8 | bmp.at(at);
}

const char* const kThreeByTwo =
    "# red, transparent, green over three blues\n"
    "#no blank needed at the start of a line\n"
    "colour . none\n"
    "colour r #FF0000\n"
    "colour g #00FF00   # green\n"
    "colour b #0000FF\n"
    "image 3 2\n"
    "\"r.g\"\n"
    "  \"bbb\"  # rows may be indented\n";

TEST(PixmapBmp, OpaqueImageIsTwentyFourBitBottomUpWithPaddedRows)
{
    const Bytes bmp = EncodeBmp(ParsePixmap(kThreeByTwo));
    ASSERT_EQ(bmp.size(), 54u + 2 * 12);  // rows of 9 bytes padded to 12
    EXPECT_EQ(bmp[0], 'B');
    EXPECT_EQ(bmp[1], 'M');
    EXPECT_EQ(U32(bmp, 2), bmp.size());
    EXPECT_EQ(U32(bmp, 10), 54u);
    EXPECT_EQ(U32(bmp, 14), 40u);
    EXPECT_EQ(U32(bmp, 18), 3u);
    EXPECT_EQ(U32(bmp, 22), 2u);  // positive: the first row stored is the bottom one
    EXPECT_EQ(U16(bmp, 26), 1);
    EXPECT_EQ(U16(bmp, 28), 24);
    EXPECT_EQ(U32(bmp, 30), 0u);  // uncompressed
    EXPECT_EQ(U32(bmp, 34), 24u);
    // Bottom row first, blue-green-red byte order, then the padding.
    const Bytes bottom = {0xFF, 0, 0, 0xFF, 0, 0, 0xFF, 0, 0, 0, 0, 0};
    EXPECT_TRUE(std::equal(bottom.begin(), bottom.end(), bmp.begin() + 54));
    EXPECT_EQ(BmpPixel(bmp, 0, 0), 0xFF0000u);
    EXPECT_EQ(BmpPixel(bmp, 1, 0), 0xFF00FFu);  // transparent becomes the colour key
    EXPECT_EQ(BmpPixel(bmp, 2, 0), 0x00FF00u);
}

TEST(PixmapBmp, KeyColourAndPartialCoverChooseWhatTransparentPixelsBecome)
{
    const Bytes keyed = EncodeBmp(ParsePixmap(std::string("key #C0C0C0\n") + kThreeByTwo));
    EXPECT_EQ(BmpPixel(keyed, 1, 0), 0xC0C0C0u);

    const Bytes alpha = EncodeBmp(ParsePixmap("colour . none\ncolour h #80FFFFFF\nimage 2 1\n\"h.\"\n"));
    EXPECT_EQ(U16(alpha, 28), 32);
    EXPECT_EQ(alpha.size(), 54u + 8);
    const Bytes pixels = {0xFF, 0xFF, 0xFF, 0x80, 0xFF, 0x00, 0xFF, 0x00};
    EXPECT_TRUE(std::equal(pixels.begin(), pixels.end(), alpha.begin() + 54));
}

TEST(PixmapBmp, SeveralImagesMakeOneStrip)
{
    const std::string source = "colour a #010101\ncolour b #020202\n"
                               "image 2 2\n\"aa\"\n\"aa\"\n"
                               "image 3 2\n\"bbb\"\n\"bab\"\n";
    const Bytes bmp = EncodeBmp(ParsePixmap(source));
    EXPECT_EQ(U32(bmp, 18), 5u);
    EXPECT_EQ(BmpPixel(bmp, 1, 1), 0x010101u);
    EXPECT_EQ(BmpPixel(bmp, 2, 1), 0x020202u);
    EXPECT_EQ(BmpPixel(bmp, 3, 1), 0x010101u);
    EXPECT_THROW(EncodeBmp(ParsePixmap(source + "image 1 1\n\"a\"\n")), std::runtime_error);
}

TEST(PixmapIco, EachImageIsOneThirtyTwoBitEntryWithItsMask)
{
    std::string source = "colour . none\ncolour k #102030\n";
    for (int size : {16, 32}) {
        source += "image " + std::to_string(size) + " " + std::to_string(size) + "\n";
        for (int y = 0; y < size; ++y)
            source += "\"" + std::string(1, '.') + std::string(size_t(size - 1), 'k') + "\"\n";
    }
    const Bytes ico = EncodeIco(ParsePixmap(source));
    EXPECT_EQ(U16(ico, 0), 0);
    EXPECT_EQ(U16(ico, 2), 1);  // icon
    EXPECT_EQ(U16(ico, 4), 2);
    size_t offset = 6 + 2 * 16;
    for (int i = 0; i < 2; ++i) {
        const uint32_t size = i == 0 ? 16 : 32;
        const size_t entry = 6 + 16 * size_t(i);
        const uint32_t maskStride = (size + 31) / 32 * 4;
        const uint32_t bytes = 40 + size * size * 4 + maskStride * size;
        EXPECT_EQ(ico[entry], size);
        EXPECT_EQ(ico[entry + 1], size);
        EXPECT_EQ(U16(ico, entry + 4), 1);
        EXPECT_EQ(U16(ico, entry + 6), 32);
        EXPECT_EQ(U32(ico, entry + 8), bytes);
        EXPECT_EQ(U32(ico, entry + 12), offset);
        // The image: header with the height of colour and mask rows together.
        EXPECT_EQ(U32(ico, offset), 40u);
        EXPECT_EQ(U32(ico, offset + 4), size);
        EXPECT_EQ(U32(ico, offset + 8), 2 * size);
        EXPECT_EQ(U16(ico, offset + 14), 32);
        // The top row is stored last; its first pixel is transparent.
        const size_t topRow = offset + 40 + (size - 1) * size * 4;
        EXPECT_EQ(U32(ico, topRow), 0u);
        EXPECT_EQ(U32(ico, topRow + 4), 0xFF102030u);
        const size_t topMask = offset + 40 + size * size * 4 + (size - 1) * maskStride;
        EXPECT_EQ(ico[topMask], 0x80);
        EXPECT_EQ(ico[topMask + 1], 0x00);
        offset += bytes;
    }
    EXPECT_EQ(ico.size(), offset);
    EXPECT_THROW(EncodeIco(ParsePixmap("colour a #000000\nimage 257 1\n\"" + std::string(257, 'a') + "\"\n")),
                 std::runtime_error);
}

struct MistakeCase {
    const char* source;
    int line;
    const char* message;
};

const MistakeCase kMistakes[] = {
    {"image 2 1\n\"ab\"\n", 2, "key 'a' has no colour"},
    {"colour a #12345\n", 1, "is not #RRGGBB"},
    {"colour ab #123456\n", 1, "one-character key"},
    {"colour # #123456\n", 1, "one-character key"},
    {"colour a #000000\n\ncolour a #FFFFFF\n", 3, "defined twice"},
    {"image 0 5\n", 1, "image sizes"},
    {"colour a #000000\nimage 2 1\n\"aaa\"\n", 3, "row of 3 pixels"},
    {"colour a #000000\nimage 1 2\n\"a\"\n", 2, "1 of its 2 rows"},
    {"colour a #000000\nimage 1 1\n\"a\"\n\"a\"\n", 4, "outside an image"},
    {"colour a #000000\nimage 1 1\n\"a\n", 3, "closing quote"},
    {"colour a #000000\nimage 1 1\n\"a\" x\n", 3, "after the row"},
    {"picture 1 1\n", 1, "unknown word 'picture'"},
    {"key #12345678\n", 1, "key needs a colour"},
    {"# nothing\n", 0, "no image"},
};

TEST(PixmapSource, MistakesNameTheirLine)
{
    for (const MistakeCase& c : kMistakes) {
        SCOPED_TRACE(c.source);
        try {
            ParsePixmap(c.source);
            ADD_FAILURE() << "accepted";
        } catch (const SourceError& e) {
            EXPECT_EQ(e.line, c.line);
            EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
        }
    }
}

// ---------------------------------------------------------------- our pixmaps

struct ProjectPixmap {
    const char* file;
    int images;
    int width;   // of each image
    int height;
    bool keyed;  // drawn with a colour key: transparent corner, key never opaque
};

const ProjectPixmap kProjectPixmaps[] = {
    {"5504.bmp.pixmap", 1, 12, 54, true},  {"5500.bmp.pixmap", 1, 48, 16, true},
    {"5501.bmp.pixmap", 1, 16, 16, true},  {"5130.bmp.pixmap", 3, 16, 16, true},
    {"5135.bmp.pixmap", 12, 16, 16, true}, {"5001.ico.pixmap", 2, 0, 0, false},
    // The METRAHit range pictures: as many frames as the model's display codes.
    {"5201.bmp.pixmap", 9, 32, 32, true},  {"5202.bmp.pixmap", 7, 32, 32, true},
    {"5203.bmp.pixmap", 10, 32, 32, true}, {"5204.bmp.pixmap", 9, 32, 32, true},
};

TEST(ProjectPixmaps, HaveTheirSizesAndKeepTheColourKeyFree)
{
    const fs::path folder = fs::path(VEXA_SOURCE_DIR) / "vexares" / "bitmaps";
    for (const ProjectPixmap& p : kProjectPixmaps) {
        SCOPED_TRACE(p.file);
        std::ifstream in(folder / p.file, std::ios::binary);
        ASSERT_TRUE(in);
        const Pixmap pixmap = ParsePixmap(std::string{std::istreambuf_iterator<char>(in), {}});
        ASSERT_EQ(pixmap.images.size(), size_t(p.images));
        if (!p.keyed) {
            EXPECT_EQ(pixmap.images[0].width, 16);
            EXPECT_EQ(pixmap.images[1].width, 32);
            EXPECT_FALSE(EncodeIco(pixmap).empty());
            continue;
        }
        for (const Image& image : pixmap.images) {
            EXPECT_EQ(image.width, p.width);
            EXPECT_EQ(image.height, p.height);
            for (uint32_t argb : image.argb) {
                if (argb >> 24 != 0) {
                    EXPECT_NE(argb & 0xFFFFFFu, pixmap.key) << "an opaque pixel in the key colour";
                }
            }
        }
        const Bytes bmp = EncodeBmp(pixmap);
        EXPECT_EQ(U16(bmp, 28), 24);
        EXPECT_EQ(BmpPixel(bmp, 0, 0), pixmap.key);  // the top-left pixel is the key
    }
}

} // namespace
