// The METRAHit link: each model's request and the decoding of its answers.
#include <gtest/gtest.h>

#include <cstring>

#include "UnitTestSupport.h"
#include "units/MetraHit.h"

namespace {

struct AnswerCase {
    const char* what;
    int model;
    Bytes answer;
    bool valid;
    CString display;
    CString unit;
    CString mode;
    bool overload;
    int32_t reading;
};

Bytes Teach(const char* text)
{
    Bytes b(30, 0);
    std::memcpy(b.data(), text, std::strlen(text));
    return b;
}

constexpr int32_t kNaN = CMetraHit::kNotANumber;
// The 23S minus sign, bit 0x800 of the word b2 b3, seen in b2.
constexpr uint8_t kMinus23S = 0x800 >> 8;

TEST(MetraHit, AnswersOfEveryModel)
{
    // clang-format off
    const AnswerCase cases[] = {
        {"18S DC 3 V", 3, {13, '3', 0, 0, 1, '1', '2', '3', '4', '5'}, true, u"+1.2345", u"V", u"DC", false, 12345},
        {"18S minus mV", 3, {13, '3', 0, 0, 8, '1', '2', '3', '4', '5'}, true, u"-123.45", u"mV", u"DC", false, -12345},
        {"18S overload", 3, {13, '2', 0, 0, 2, ':', ':', ':', ':', ':'}, true, u"+LL.LLL", u"V", u"AC+DC", true, kNaN},
        {"18S blank and minus digits", 3, {13, '3', 0, 0, 3, ';', '<', '0', '0', '1'}, true, u"+ -0.01", u"V", u"DC", false, kNaN},
        {"18S no reading", 3, {13, '0', 0, 0, 0, '1', '2', '3', '4', '5'}, true, u" ---- ", u"", u"", false, 0},
        {"18S megohms", 3, {13, '4', 0, 0, 4, '1', '0', '0', '0', '0'}, true, u"+1.0000", u"MOhm", u"", false, 10000},
        {"18S temperature", 3, {13, '6', 0, 0, 6, '0', '0', '2', '1', '5'}, true, u"+00215", u"\u00B0C", u"", false, 215},
        {"18S other meter", 3, {12, '3', 0, 0, 1, '1', '2', '3', '4', '5'}, false, u"", u"", u"", false, 0},
        {"13S minus 3 V", 2, {9, '3', 0, 0, 0x0D, '2', '9', '9', '9', '9'}, true, u"-2.9999", u"V", u"DC", false, -29999},
        {"13S wrong first byte", 2, {13, '3', 0, 0, 1, '1', '2', '3', '4', '5'}, false, u"", u"", u"", false, 0},
        {"23S 300 mV", 1, {0x01, 1, 0, 2, 9, 9, 5, 0, 0}, true, u"+299.500", u"mV", u"DC", false, 299500},
        {"23S minus 3 V", 1, {0x01, 1, 1 | kMinus23S, 0, 3, 0, 0, 0, 0}, true, u"-0.30000", u"V", u"DC", false, -30000},
        {"23S minus, digits 8 and 9", 1, {0x01, 1, kMinus23S, 9, 8, 9, 8, 9, 8}, true, u"-989.898", u"mV", u"DC", false, -989898},
        {"23S digits' high bits", 1, {0x01, 1, 1, 0xF0, 0x83, 0x80, 0x80, 0x80, 0x80}, true, u"+0.30000", u"V", u"DC", false, 30000},
        {"23S overload", 1, {0x21, 3, 4, 9, 9, 9, 9, 9, 9}, true, u"+9999.99", u"V", u"AC+DC", true, 999999},
        {"23S bad digit", 1, {0x01, 1, 2, 0, 0x0C, 0, 0, 0, 0}, true, u"+0?.0000", u"V", u"DC", false, kNaN},
        {"23S no meter", 1, {0, 1, 1, 0, 0, 0, 0, 0, 0}, false, u"", u"", u"", false, 0},
        {"TEACH volts", 4, Teach("0\r\nVDC,1.2346E+00\r"), true, u"  1.235", u"V", u"DC", false, 1235},
        {"TEACH millivolts", 4, Teach("0\r\nVAC,-1.2346E-01\r"), true, u"-123.46", u"mV", u"AC", false, -12346},
        {"TEACH kilohms", 4, Teach("0\r\nRES,4.7000E+03\r"), true, u"  4.700", u"kOhm", u"", false, 4700},
        {"TEACH fahrenheit", 4, Teach("0\r\nTEMP_F,7.2000E+01\r"), true, u" 72.000", u"\u00B0F", u"", false, 72000},
        {"TEACH overload", 4, Teach("0\r\nVDC,1E+38\r"), true, u"  0L  ", u"V", u"DC", true, kNaN},
        {"TEACH negative overload", 4, Teach("0\r\nVDC,-1E+38\r"), true, u" -0L  ", u"V", u"DC", true, kNaN},
        {"TEACH no reading", 4, Teach("2\r\nVDC,1.0E+00\r"), true, u" ---- ", u"", u"", false, 0},
        {"TEACH without CR LF", 4, Teach("0\nVDC,1.0E+00\r"), false, u"", u"", u"", false, 0},
        {"TEACH without comma", 4, Teach("0\r\nVDC 1.0E+00\r"), false, u"", u"", u"", false, 0},
        {"TEACH bad number", 4, Teach("0\r\nVDC,volts\r"), false, u"", u"", u"", false, 0},
    };
    // clang-format on
    for (const AnswerCase& c : cases) {
        CMetraHit meter(nullptr, nullptr);
        bool valid = false;
        switch (c.model) {
        case 1: valid = meter.Decode23S(c.answer); break;
        case 2: valid = meter.DecodeOne13S(c.answer); break;
        case 3: valid = meter.Decode18S(c.answer); break;
        default: valid = meter.DecodeTeach(c.answer); break;
        }
        ASSERT_EQ(valid, c.valid) << c.what;
        if (!valid) {
            EXPECT_EQ(meter.DisplayText(), u"-88.888") << c.what << ": the display keeps what it showed";
            continue;
        }
        EXPECT_EQ(meter.DisplayText(), c.display) << c.what;
        EXPECT_EQ(meter.UnitText(), c.unit) << c.what;
        EXPECT_EQ(meter.ModeName(), c.mode) << c.what;
        EXPECT_EQ(meter.Overload(), c.overload) << c.what;
        EXPECT_EQ(meter.Reading(), c.reading) << c.what;
    }
}

TEST(MetraHit, PresenceAndDisplayCodeOfThe18S)
{
    CMetraHit meter(nullptr, nullptr);
    EXPECT_FALSE(meter.Decode18S(Bytes{255, '3', 0, 0, 1, '0', '0', '0', '0', '0'}));
    EXPECT_FALSE(meter.MeterPresent());
    EXPECT_FALSE(meter.Decode18S(Bytes{7, '3', 0, 0, 1, '0', '0', '0', '0', '0'}));
    EXPECT_TRUE(meter.MeterPresent()) << "something answered";
    ASSERT_TRUE(meter.Decode18S(Bytes{13, '9', 5, 3, 1, '0', '0', '0', '0', '0'}));
    EXPECT_EQ(meter.DisplayCode(), 9);
    EXPECT_EQ(meter.StatusBits(), 3 * 16 + 5);
    EXPECT_EQ(meter.UnitText(), u"A");
    EXPECT_EQ(meter.DisplayText(), u"+00.000") << "amperes put the point after two digits in range 1";
}

TEST(MetraHit, EachModelSendsItsRequest)
{
    ScriptedInterface face(2);
    CMetraHit meter(face.stream, &face.face);
    ScriptedStream& s = *face.stream;
    s.ExpectWrite({0x51}).Reply({13, '3', 0, 0, 1, '1', '2', '3', '4', '5'});
    EXPECT_TRUE(meter.ReadMeter(kMetraHit18S));
    s.ExpectWrite({0x51}).Reply({8, '3', 0, 0, 1, '1', '2', '3', '4', '5'});
    EXPECT_TRUE(meter.ReadMeter(kMetraHitOne13S));
    s.ExpectWrite({0x50}).Reply({1, 1, 1, 0, 0, 0, 0, 0, 0});
    EXPECT_TRUE(meter.ReadMeter(kMetraHit23S));
    s.ExpectWrite({0x54, 0x04}).Reply(Teach("0\r\nVDC,1.0E+00\r"));
    EXPECT_TRUE(meter.ReadMeter(kMetraHitTeach));
    EXPECT_FALSE(meter.ReadMeter(5));
    s.ExpectDone();

    CStreamNUL demo;
    CMetraHit unplugged(&demo, nullptr);
    EXPECT_FALSE(unplugged.ReadMeter(kMetraHit18S)) << "zeros are no answer";
}

} // namespace
