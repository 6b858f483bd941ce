#include "viframework/NumPadRules.h"

#include <charconv>
#include <cmath>
#include <string>

namespace {

bool IsDigit(char16_t ch)
{
    return ch >= u'0' && ch <= u'9';
}

CString FromAscii(const char* begin, const char* end)
{
    return CString(begin, end);
}

// The text as the parser reads it, with the decimal character as a point.
// A character that cannot be part of a number here becomes a letter the
// parser stops at, so that the text counts as having trailing characters.
std::string ToParserText(const CString& text, char16_t decimal)
{
    std::string ascii;
    ascii.reserve(text.size());
    for (char16_t ch : text) {
        if (ch == decimal)
            ascii += '.';
        else if (ch == u'.' || ch >= 0x80)
            ascii += '#';
        else
            ascii += char(ch);
    }
    return ascii;
}

NumPadVerdict Refuse(uint32_t messageId, CString argument = {})
{
    NumPadVerdict verdict;
    verdict.outcome = NumPadVerdict::Outcome::Refuse;
    verdict.messageId = messageId;
    verdict.argument = std::move(argument);
    return verdict;
}

}  // namespace

CNumPadRules CNumPadRules::ForInteger(int32_t minimum, int32_t maximum)
{
    CNumPadRules rules;
    rules.m_kind = PadNumberKind::Integer;
    rules.m_intMinimum = minimum;
    rules.m_intMaximum = maximum;
    rules.m_minimum = minimum;
    rules.m_maximum = maximum;
    return rules;
}

CNumPadRules CNumPadRules::ForFloating(double minimum, double maximum, char16_t decimal)
{
    CNumPadRules rules;
    rules.m_kind = PadNumberKind::Floating;
    rules.m_minimum = minimum;
    rules.m_maximum = maximum;
    rules.m_decimal = decimal != 0 ? decimal : u'.';
    return rules;
}

CString CNumPadRules::Format(int32_t value) const
{
    const std::string text = std::to_string(value);
    return FromAscii(text.data(), text.data() + text.size());
}

CString CNumPadRules::Format(double value) const
{
    // to_chars with six significant digits writes what "%lg" writes, without
    // asking the C runtime's locale for the decimal point.
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 6);
    CString text = FromAscii(buffer, result.ptr);
    for (char16_t& ch : text)
        if (ch == u'.')
            ch = m_decimal;
    return text;
}

bool CNumPadRules::MinusAllowed() const
{
    return m_minimum < 0 || m_maximum < 0;
}

bool CNumPadRules::IsCharAllowed(char16_t ch) const
{
    if (IsDigit(ch) || ch < 32)
        return true;
    if (ch == u'-')
        return MinusAllowed();
    if (m_kind == PadNumberKind::Integer)
        return false;
    return ch == m_decimal || ch == u'e' || ch == u'E';
}

NumPadKeys CNumPadRules::Keys() const
{
    NumPadKeys keys;
    keys.minusShown = m_minimum < 0;
    keys.decimalShown = m_kind == PadNumberKind::Floating;
    keys.decimalLabel = m_decimal;
    return keys;
}

char16_t CNumPadRules::CharForKey(uint32_t commandId) const
{
    if (commandId == kPadKeyDecimal)
        return m_decimal;
    return PadCharForCommand(commandId);
}

NumPadVerdict CNumPadRules::Judge(const CString& text) const
{
    if (text.empty())
        return {};
    const std::string ascii = ToParserText(text, m_decimal);
    const char* begin = ascii.data();
    const char* end = begin + ascii.size();
    NumPadVerdict verdict;
    verdict.outcome = NumPadVerdict::Outcome::Accept;

    if (m_kind == PadNumberKind::Integer) {
        int64_t value = 0;
        const auto [stop, error] = std::from_chars(begin, end, value, 10);
        if (stop != end || error == std::errc::invalid_argument)
            return Refuse(kTextNotANumber);
        // Digits beyond any 64-bit number still say which side of the
        // limits they lie on; the user learns the limit, not just "invalid".
        if (error == std::errc::result_out_of_range)
            value = ascii[0] == '-' ? INT64_MIN : INT64_MAX;
        if (value > m_intMaximum)
            return Refuse(kTextAboveMaximum, Format(m_intMaximum));
        if (value < m_intMinimum)
            return Refuse(kTextBelowMinimum, Format(m_intMinimum));
        verdict.integer = int32_t(value);
        verdict.floating = double(value);
        return verdict;
    }

    double value = 0;
    const auto [stop, error] = std::from_chars(begin, end, value, std::chars_format::general);
    // A number no double holds (1e999, or one that vanishes to zero) is not
    // taken: it could only be stored changed.
    if (stop != end || error != std::errc() || !std::isfinite(value))
        return Refuse(kTextNotANumber);
    if (value > m_maximum)
        return Refuse(kTextAboveMaximum, Format(m_maximum));
    if (value < m_minimum)
        return Refuse(kTextBelowMinimum, Format(m_minimum));
    verdict.floating = value;
    return verdict;
}

char16_t PadCharForCommand(uint32_t commandId)
{
    if (commandId == 8 || (commandId >= 32 && commandId <= 255))
        return char16_t(commandId);
    return 0;
}

CString ComposePadMessage(uint32_t messageId, const CString& pattern, const CString& argument)
{
    CString text = pattern;
    if (text.empty()) {
        switch (messageId) {
        case kTextAboveMaximum: text = u"Please enter a number no greater than %s."; break;
        case kTextBelowMinimum: text = u"Please enter a number no less than %s."; break;
        default: text = u"Please enter a valid number."; break;
        }
    }
    const size_t at = text.find(u"%s");
    if (at != CString::npos)
        text.replace(at, 2, argument);
    return text;
}
