// What the chart property pages accept, without a window.
#include <gtest/gtest.h>

#include <cmath>

#include "charts/ChartPageRules.h"

namespace {

TEST(PageNumbers, TakeEitherDecimalSignAndAnExponent)
{
    const struct {
        const char16_t* typed;
        double value;
    } accepted[] = {
        {u"1.5", 1.5}, {u"1,5", 1.5}, {u" -2 ", -2}, {u"+3", 3}, {u"1E-3", 0.001}, {u"2e+2", 200},
        {u".5", 0.5},  {u"5.", 5},    {u"-0,25e1", -2.5}, {u"\u00A07\t", 7},
    };
    for (const auto& c : accepted) {
        const auto value = ParsePageNumber(c.typed);
        ASSERT_TRUE(value.has_value()) << StringToUtf8(c.typed);
        EXPECT_DOUBLE_EQ(*value, c.value) << StringToUtf8(c.typed);
    }
    for (const char16_t* typed : {u"", u" ", u"-", u".", u"abc", u"1.2.3", u"1,5,0", u"1e", u"1e+", u"0x10", u"inf",
                                  u"nan", u"1e400", u"1 000", u"12a", u"\u22125", u"--1", u"1e5.5"})
        EXPECT_FALSE(ParsePageNumber(typed).has_value()) << StringToUtf8(typed);
}

TEST(PageNumbers, ShowTwelveDigitsInTheUsersDecimalSign)
{
    EXPECT_EQ(FormatPageNumber(1234.5, u','), u"1234,5");
    EXPECT_EQ(FormatPageNumber(0.001, u'.'), u"0.001");
    EXPECT_EQ(FormatPageNumber(1e6, u'.'), u"1000000") << "no exponent where digits do";
    EXPECT_EQ(FormatPageNumber(0.1 + 0.2, u'.'), u"0.3");
    EXPECT_EQ(FormatPageNumber(-0.0, u'.'), u"0");
    for (double v : {1e-7, -2.5e12, 123456.789, 0.015, 1.0 / 3})
        EXPECT_NEAR(*ParsePageNumber(FormatPageNumber(v, u',')), v, std::fabs(v) * 1e-11) << v;
}

TEST(PageNumbers, WholeNumbersWithinLimits)
{
    EXPECT_EQ(ParsePageInteger(u"0", 0, 100), 0);
    EXPECT_EQ(ParsePageInteger(u" 100 ", 0, 100), 100);
    EXPECT_EQ(ParsePageInteger(u"-3", -5, 5), -3);
    for (const char16_t* typed : {u"101", u"-1", u"2.5", u"", u"x", u"99999999999"})
        EXPECT_FALSE(ParsePageInteger(typed, 0, 100).has_value()) << StringToUtf8(typed);
    EXPECT_EQ(ParsePenWidth(u"10"), 10);
    EXPECT_FALSE(ParsePenWidth(u"11").has_value());
}

// ---------------------------------------------------------------- the linear scale

const AxisRange kPercent{0, 100, 20, 1};

ScaleVerdict Judge(const char16_t* minimum, const char16_t* maximum, const char16_t* step,
                   const char16_t* subdivisions = u"1")
{
    return CScaleRules(kPercent, 1, u'.').Judge({minimum, maximum, step, subdivisions});
}

TEST(ScalePage, RefusesWithTheFieldToSelect)
{
    const struct {
        ScaleVerdict verdict;
        PageField field;
        uint32_t messageId;
    } cases[] = {
        {Judge(u"zero", u"10", u"1"), PageField::minimum, kTextPageNotANumber},
        {Judge(u"0", u"", u"1"), PageField::maximum, kTextPageNotANumber},
        {Judge(u"0", u"10", u"1/2"), PageField::step, kTextPageNotANumber},
        {Judge(u"0", u"10", u"1", u"101"), PageField::subdivisions, kTextPageSubdivisions},
        {Judge(u"0", u"10", u"1", u"-1"), PageField::subdivisions, kTextPageSubdivisions},
        {Judge(u"10", u"10", u"1"), PageField::maximum, kTextPageMaximumNotAbove},
        {Judge(u"10", u"-10", u"1"), PageField::maximum, kTextPageMaximumNotAbove},
        {Judge(u"0", u"10", u"0"), PageField::step, kTextPageStepNotPositive},
        {Judge(u"0", u"10", u"-2"), PageField::step, kTextPageStepNotPositive},
        {Judge(u"0", u"1000", u"1"), PageField::step, kTextPageTooManyLabels},
        {Judge(u"0", u"70", u"0.07"), PageField::step, kTextPageTooManyLabels},  // 999.99... steps
        {Judge(u"-1e308", u"1e308", u"1"), PageField::step, kTextPageTooManyLabels},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_FALSE(cases[i].verdict.Accepted()) << i;
        EXPECT_EQ(cases[i].verdict.refused, cases[i].field) << i;
        EXPECT_EQ(cases[i].verdict.messageId, cases[i].messageId) << i;
    }
}

TEST(ScalePage, TakesARangeAsTypedWithTheDivisorOfItsStep)
{
    const ScaleVerdict volts = Judge(u"-5", u"5", u"2,5", u"4");
    ASSERT_TRUE(volts.Accepted());
    EXPECT_EQ(volts.range, (AxisRange{-5, 5, 2.5, 1}));
    EXPECT_EQ(volts.subdivisions, 4);
    EXPECT_EQ(Judge(u"0", u"0.01", u"0.002").range.divisor, 0.001);
    EXPECT_EQ(Judge(u"0", u"5000", u"1000").range.divisor, 1000.0);
    // A thousand labels are enough, even where the steps do not add up exactly.
    EXPECT_TRUE(Judge(u"0", u"999", u"1").Accepted());
    EXPECT_TRUE(Judge(u"0", u"99.9", u"0.1").Accepted());
}

TEST(ScalePage, AnUntouchedPageChangesNothing)
{
    // Values twelve digits do not spell, and a divisor no step gives.
    const AxisRange odd{0.1 + 0.2, 1.0 / 3 + 1, 0.1, 1000};
    const CScaleRules rules(odd, 7, u',');
    const ScaleEntry shown = rules.Fields();
    EXPECT_EQ(shown.minimum, u"0,3");
    EXPECT_EQ(shown.subdivisions, u"7");
    const ScaleVerdict verdict = rules.Judge(shown);
    ASSERT_TRUE(verdict.Accepted());
    EXPECT_EQ(verdict.range, odd);
    EXPECT_EQ(verdict.subdivisions, 7);
    // Another step brings the divisor of that step.
    ScaleEntry typed = shown;
    typed.step = u"0,2";
    EXPECT_EQ(rules.Judge(typed).range.divisor, 1.0);
}

TEST(ScalePage, AutomaticFillsInTheReadableRange)
{
    const CScaleRules rules(kPercent, 3, u',');
    const ScaleVerdict automatic = rules.Automatic({u"3", u"97", u"ignored", u"3"});
    ASSERT_TRUE(automatic.Accepted());
    EXPECT_EQ(automatic.range, (AxisRange{0, 100, 10, 1}));
    const ScaleEntry shown = rules.FieldsOf(automatic);
    EXPECT_EQ(shown, (ScaleEntry{u"0", u"100", u"10", u"3"}));
    EXPECT_TRUE(rules.Judge(shown).Accepted());
    EXPECT_EQ(rules.FieldsOf(rules.Automatic({u"0", u"0,004", u"", u""})).step, u"0,0005");

    const ScaleVerdict refused = rules.Automatic({u"0", u"lots", u"1", u"1"});
    EXPECT_EQ(refused.refused, PageField::maximum);
    EXPECT_EQ(refused.messageId, kTextPageNotANumber);
}

// ---------------------------------------------------------------- the logarithmic scale

TEST(LogScalePage, EndsGoOutToWholeDecades)
{
    const CScaleRules rules({1, 10, 1, 1}, 1, u'.');
    const ScaleVerdict decades = rules.JudgeLogarithmic({u"2", u"500", u"", u""});
    ASSERT_TRUE(decades.Accepted()) << "step and subdivisions are not on this page";
    EXPECT_EQ(decades.range, (AxisRange{1, 1000, 1, 1}));
    EXPECT_EQ(rules.JudgeLogarithmic({u"0.05", u"0.2", u"", u""}).range, (AxisRange{0.01, 1, 1, 1}));

    const struct {
        const char16_t* minimum;
        const char16_t* maximum;
        PageField field;
        uint32_t messageId;
    } refused[] = {
        {u"0", u"10", PageField::minimum, kTextPageLogNotPositive},
        {u"-1", u"10", PageField::minimum, kTextPageLogNotPositive},
        {u"10", u"10", PageField::maximum, kTextPageMaximumNotAbove},
        {u"100", u"10", PageField::maximum, kTextPageMaximumNotAbove},
        {u"1", u"ten", PageField::maximum, kTextPageNotANumber},
    };
    for (const auto& c : refused) {
        const ScaleVerdict verdict = rules.JudgeLogarithmic({c.minimum, c.maximum, u"", u""});
        EXPECT_EQ(verdict.refused, c.field) << StringToUtf8(c.minimum) << " " << StringToUtf8(c.maximum);
        EXPECT_EQ(verdict.messageId, c.messageId) << StringToUtf8(c.minimum) << " " << StringToUtf8(c.maximum);
    }
    // An untouched range stays off the decades.
    const CScaleRules untouched({2, 500, 1, 1}, 1, u'.');
    EXPECT_EQ(untouched.JudgeLogarithmic(untouched.Fields()).range, (AxisRange{2, 500, 1, 1}));
}

// ---------------------------------------------------------------- labels

TEST(LabelPage, FontHeightsInWholeNegativePoints)
{
    EXPECT_EQ(StoredFontHeight(80), -8);
    EXPECT_EQ(StoredFontHeight(85), -9);
    EXPECT_EQ(StoredFontHeight(84), -8);
    EXPECT_EQ(StoredFontHeight(0), -1) << "a font needs a size";
}

TEST(LabelPage, LineFeedsGetTheCarriageReturnsAnEditNeeds)
{
    EXPECT_EQ(WithCarriageReturns(u"a\nb"), u"a\r\nb");
    EXPECT_EQ(WithCarriageReturns(u"a\r\nb\n"), u"a\r\nb\r\n");
    EXPECT_EQ(WithCarriageReturns(u"\n"), u"\r\n");
}

}  // namespace
