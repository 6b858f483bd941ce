// What the meters' number fields accept.
#include <gtest/gtest.h>

#include "instruments/meter/NumberEntry.h"

namespace {

TEST(NumberEntry, ReadsDecimalsWithPointOrCommaAndAMetricPrefix)
{
    EXPECT_EQ(ParseEntry(u"10", kShuntLimits), 10.0);
    EXPECT_EQ(ParseEntry(u"  0,5 ", kShuntLimits), 0.5);
    EXPECT_EQ(ParseEntry(u"1.5k", kShuntLimits), 1500.0);
    EXPECT_EQ(ParseEntry(u"100 m", kShuntLimits), 0.1);
    EXPECT_EQ(ParseEntry(u"1M", kShuntLimits), 1.0e6) << "the upper limit itself is fine";
    EXPECT_EQ(ParseEntry(u"-12.5", kCalibrationLimits), -12.5);
    EXPECT_EQ(ParseEntry(u"+5", kCalibrationLimits), 5.0);
}

TEST(NumberEntry, RefusesWhatIsNoNumberOrOutsideItsLimits)
{
    // A shunt of 0 ohms would divide by zero; none below it makes sense either.
    for (const char16_t* text : {u"0", u"0.000", u"-0", u"-1", u"1.1M", u"2000000"})
        EXPECT_FALSE(ParseEntry(text, kShuntLimits)) << std::string(text, text + std::char_traits<char16_t>::length(text));
    for (const char16_t* text : {u"", u"  ", u"abc", u"1e3", u"0x10", u"inf", u"nan", u"1.2.3", u"5 ohm", u"5kk", u"k"})
        EXPECT_FALSE(ParseEntry(text, kShuntLimits)) << std::string(text, text + std::char_traits<char16_t>::length(text));
    EXPECT_FALSE(ParseEntry(u"100.5", kCalibrationLimits));
    EXPECT_FALSE(ParseEntry(u"-101", kCalibrationLimits));
    EXPECT_EQ(ParseEntry(u"-100", kCalibrationLimits), -100.0);
    EXPECT_EQ(ParseEntry(u"0", kCalibrationLimits), 0.0) << "no offset is an offset";
}

TEST(NumberEntry, ShowsAValueSoThatItReadsBackTheSame)
{
    for (double value : {10.0, 0.1, 1500.0, -12.5, 1e6, 2.5e-5, 0.0})
        EXPECT_EQ(ParseEntry(FormatEntry(value), {-1e7, 1e7, true}), value);
}

}  // namespace
