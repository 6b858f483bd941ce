// The numeric pad's rules: what may be typed and which keys show for given
// limits, how values are written, and what entered texts come to.
#include <gtest/gtest.h>

#include "viframework/NumPadRules.h"

namespace {

using Outcome = NumPadVerdict::Outcome;

struct JudgeCase {
    const char16_t* text;
    Outcome outcome;
    uint32_t messageId;
    const char16_t* argument;
};

void ExpectJudged(const CNumPadRules& rules, const std::vector<JudgeCase>& cases)
{
    for (const JudgeCase& c : cases) {
        SCOPED_TRACE(StringToUtf8(c.text));
        const NumPadVerdict verdict = rules.Judge(c.text);
        EXPECT_EQ(verdict.outcome, c.outcome);
        EXPECT_EQ(verdict.messageId, c.messageId);
        EXPECT_EQ(verdict.argument, CString(c.argument));
    }
}

TEST(NumPadRules, IntegerFromZeroToHundredOffersNoMinusAndNoPoint)
{
    const CNumPadRules rules = CNumPadRules::ForInteger(0, 100);
    for (char16_t ch : CString(u"0123456789\b\x01\x16\x1f"))
        EXPECT_TRUE(rules.IsCharAllowed(ch)) << int(ch);
    for (char16_t ch : CString(u"-.,eE+ x"))
        EXPECT_FALSE(rules.IsCharAllowed(ch)) << char(ch);
    const NumPadKeys keys = rules.Keys();
    EXPECT_FALSE(keys.minusShown);
    EXPECT_FALSE(keys.decimalShown);

    ExpectJudged(rules, {
        {u"150", Outcome::Refuse, kTextAboveMaximum, u"100"},
        {u"100", Outcome::Accept, 0, u""},
        {u"0", Outcome::Accept, 0, u""},
        // Pasted rather than typed: the limits still hold.
        {u"-5", Outcome::Refuse, kTextBelowMinimum, u"0"},
        {u"5-3", Outcome::Refuse, kTextNotANumber, u""},
        {u"1.5", Outcome::Refuse, kTextNotANumber, u""},
        {u"-", Outcome::Refuse, kTextNotANumber, u""},
        {u" 5", Outcome::Refuse, kTextNotANumber, u""},
        // More digits than any 64-bit number: still above the maximum.
        {u"123456789012345678901234567890", Outcome::Refuse, kTextAboveMaximum, u"100"},
        {u"", Outcome::Cancel, 0, u""},
    });
    EXPECT_EQ(rules.Judge(u"042").integer, 42);
}

TEST(NumPadRules, IntegerWithNegativeLimitsTakesTheMinus)
{
    const CNumPadRules rules = CNumPadRules::ForInteger(-50, 50);
    EXPECT_TRUE(rules.IsCharAllowed(u'-'));
    EXPECT_TRUE(rules.Keys().minusShown);
    ExpectJudged(rules, {
        {u"-51", Outcome::Refuse, kTextBelowMinimum, u"-50"},
        {u"-123456789012345678901234567890", Outcome::Refuse, kTextBelowMinimum, u"-50"},
        {u"-50", Outcome::Accept, 0, u""},
    });
    EXPECT_EQ(rules.Judge(u"-17").integer, -17);
    // Integer limits hold exactly at the ends of the 32-bit range.
    const CNumPadRules full = CNumPadRules::ForInteger(INT32_MIN, INT32_MAX);
    EXPECT_EQ(full.Judge(u"-2147483648").integer, INT32_MIN);
    EXPECT_EQ(full.Judge(u"2147483648").messageId, kTextAboveMaximum);
    EXPECT_EQ(full.Judge(u"2147483648").argument, u"2147483647");
}

TEST(NumPadRules, FloatingWithACommaTypesAndReadsTheComma)
{
    const CNumPadRules rules = CNumPadRules::ForFloating(0, 2000, u',');
    EXPECT_EQ(rules.CharForKey(kPadKeyDecimal), u',');
    EXPECT_EQ(rules.CharForKey(kPadKeyMinus), u'-');
    EXPECT_EQ(rules.CharForKey(u'7'), u'7');
    for (char16_t ch : CString(u",eE09\b"))
        EXPECT_TRUE(rules.IsCharAllowed(ch)) << char(ch);
    for (char16_t ch : CString(u".-+x"))
        EXPECT_FALSE(rules.IsCharAllowed(ch)) << char(ch);
    const NumPadKeys keys = rules.Keys();
    EXPECT_TRUE(keys.decimalShown);
    EXPECT_EQ(keys.decimalLabel, u',');
    EXPECT_FALSE(keys.minusShown);

    const NumPadVerdict accepted = rules.Judge(u"1,5e3");
    EXPECT_EQ(accepted.outcome, Outcome::Accept);
    EXPECT_EQ(accepted.floating, 1500.0);
    ExpectJudged(rules, {
        // The point is no decimal character here, even when pasted.
        {u"1.5", Outcome::Refuse, kTextNotANumber, u""},
        {u"1,5,5", Outcome::Refuse, kTextNotANumber, u""},
        {u"1,5e", Outcome::Refuse, kTextNotANumber, u""},
        {u"2,5e3", Outcome::Refuse, kTextAboveMaximum, u"2000"},
        {u"1,5e-400", Outcome::Refuse, kTextNotANumber, u""},
        {u"", Outcome::Cancel, 0, u""},
    });
}

TEST(NumPadRules, FloatingLimitsAndNumbersThatAreNone)
{
    const CNumPadRules rules = CNumPadRules::ForFloating(-1.5, 1, u'.');
    EXPECT_TRUE(rules.IsCharAllowed(u'-'));
    EXPECT_FALSE(rules.IsCharAllowed(u','));
    EXPECT_TRUE(rules.Keys().minusShown);
    ExpectJudged(rules, {
        {u"-2", Outcome::Refuse, kTextBelowMinimum, u"-1.5"},
        {u"1.0000001", Outcome::Refuse, kTextAboveMaximum, u"1"},
        {u"1e999", Outcome::Refuse, kTextNotANumber, u""},
        {u"inf", Outcome::Refuse, kTextNotANumber, u""},
        {u"nan", Outcome::Refuse, kTextNotANumber, u""},
        {u"0x1", Outcome::Refuse, kTextNotANumber, u""},
        {u"1,5", Outcome::Refuse, kTextNotANumber, u""},
        {u"\u0661", Outcome::Refuse, kTextNotANumber, u""},
    });
    EXPECT_EQ(rules.Judge(u"-1.5").floating, -1.5);
    EXPECT_EQ(rules.Judge(u".5").floating, 0.5);
}

TEST(NumPadRules, ValuesAreWrittenAsPrintfWritesThemWithTheUsersDecimal)
{
    const CNumPadRules point = CNumPadRules::ForFloating(0, 1, u'.');
    const CNumPadRules comma = CNumPadRules::ForFloating(0, 1, u',');
    EXPECT_EQ(point.Format(1.5), u"1.5");
    EXPECT_EQ(comma.Format(1.5), u"1,5");
    EXPECT_EQ(point.Format(1e6), u"1e+06");
    EXPECT_EQ(point.Format(1234567.0), u"1.23457e+06");
    EXPECT_EQ(comma.Format(0.0001), u"0,0001");
    EXPECT_EQ(point.Format(100000.0), u"100000");
    EXPECT_EQ(point.Format(int32_t{-42}), u"-42");
    // Whatever the pad writes it reads back.
    for (double value : {0.1, -0.25, 1e-5, 123456.0})
        EXPECT_EQ(CNumPadRules::ForFloating(-1e6, 1e6, u',').Judge(comma.Format(value)).floating, value);
}

TEST(NumPadRules, ButtonsTypeTheirCodeAndMessagesNameTheLimit)
{
    EXPECT_EQ(PadCharForCommand(8), u'\b');
    EXPECT_EQ(PadCharForCommand(27), 0);
    EXPECT_EQ(PadCharForCommand(32), u' ');
    EXPECT_EQ(PadCharForCommand(255), char16_t(255));
    EXPECT_EQ(PadCharForCommand(256), 0);
    EXPECT_EQ(PadCharForCommand(301), 0);

    EXPECT_EQ(ComposePadMessage(kTextAboveMaximum, u"At most %s, please.", u"100"), u"At most 100, please.");
    // Without the resource the refusal still says something, never nothing.
    EXPECT_EQ(ComposePadMessage(kTextBelowMinimum, u"", u"-5"), u"Please enter a number no less than -5.");
    EXPECT_FALSE(ComposePadMessage(kTextNotANumber, u"", u"").empty());
}

}  // namespace
