#include <gtest/gtest.h>

#include "framework/Types.h"

namespace {

TEST(TextConversion, Utf8RoundTripsEveryPlane)
{
    const std::string text = "A\xC3\xA4\xE2\x82\xAC\xF0\x9F\x94\x8C";  // A ä € 🔌
    const CString wide = Utf8ToString(text);
    EXPECT_EQ(wide, (CString{u'A', 0x00E4, 0x20AC, 0xD83D, 0xDD0C}));
    EXPECT_EQ(StringToUtf8(wide), text);
}

TEST(TextConversion, BrokenUtf8BecomesReplacementCharacters)
{
    EXPECT_EQ(Utf8ToString("a\xFF" "b"), (CString{u'a', 0xFFFD, u'b'}));
    EXPECT_EQ(Utf8ToString("a\xC3"), (CString{u'a', 0xFFFD}));
    EXPECT_EQ(Utf8ToString("\xC0\x80"), (CString{0xFFFD, 0xFFFD}));  // overlong
    EXPECT_EQ(Utf8ToString("\xED\xA0\x80" "x").back(), u'x');          // encoded surrogate
    EXPECT_EQ(StringToUtf8(CString{0xDC00}), "\xEF\xBF\xBD");
}

TEST(TextConversion, WesternCodePageMapsTheHighControlsRow)
{
    EXPECT_EQ(AnsiToString("\x80\x8A\x9F\xA0\xFF"), (CString{0x20AC, 0x0160, 0x0178, 0x00A0, 0x00FF}));
    EXPECT_EQ(AnsiToString("\x81\x8D"), (CString{0x0081, 0x008D}));
}

} // namespace
