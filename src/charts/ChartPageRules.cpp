#include "charts/ChartPageRules.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <cmath>
#include <string>

namespace {

bool IsBlank(char16_t c)
{
    return c == u' ' || c == u'\t' || c == u'\u00A0';
}

bool IsDigit(char16_t c)
{
    return c >= u'0' && c <= u'9';
}

// The text without blanks around it, as plain ASCII for from_chars; empty
// when a character outside ASCII is left.
std::string Trimmed(const CString& text)
{
    size_t begin = 0, end = text.size();
    while (begin < end && IsBlank(text[begin]))
        ++begin;
    while (end > begin && IsBlank(text[end - 1]))
        --end;
    std::string ascii;
    for (size_t i = begin; i < end; ++i) {
        if (text[i] > 0x7F)
            return {};
        ascii += char(text[i]);
    }
    return ascii;
}

// Consumes digits at `at`; how many there were.
size_t Digits(const std::string& s, size_t& at)
{
    const size_t from = at;
    while (at < s.size() && IsDigit(char16_t(s[at])))
        ++at;
    return at - from;
}

}  // namespace

std::optional<double> ParsePageNumber(const CString& text)
{
    // <number> = [sign] digits [("." | ",") digits] [("e" | "E") [sign] digits]
    // with at least one digit before the exponent. from_chars takes no '+'
    // and only '.', so the text is rewritten as it goes.
    std::string s = Trimmed(text);
    size_t at = 0;
    if (at < s.size() && s[at] == '+')
        s.erase(at, 1);
    else if (at < s.size() && s[at] == '-')
        ++at;
    size_t digits = Digits(s, at);
    if (at < s.size() && (s[at] == '.' || s[at] == ',')) {
        s[at++] = '.';
        digits += Digits(s, at);
    }
    if (digits == 0)
        return std::nullopt;
    if (at < s.size() && (s[at] == 'e' || s[at] == 'E')) {
        ++at;
        if (at < s.size() && s[at] == '+')
            s.erase(at, 1);
        else if (at < s.size() && s[at] == '-')
            ++at;
        if (Digits(s, at) == 0)
            return std::nullopt;
    }
    if (at != s.size())
        return std::nullopt;
    double value = 0;
    const auto [end, error] = std::from_chars(s.data(), s.data() + s.size(), value);
    if (error != std::errc() || end != s.data() + s.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<int32_t> ParsePageInteger(const CString& text, int32_t minimum, int32_t maximum)
{
    std::string s = Trimmed(text);
    if (!s.empty() && s[0] == '+')
        s.erase(0, 1);
    size_t at = !s.empty() && s[0] == '-' ? 1 : 0;
    if (Digits(s, at) == 0 || at != s.size())
        return std::nullopt;
    int32_t value = 0;
    const auto [end, error] = std::from_chars(s.data(), s.data() + s.size(), value);
    if (error != std::errc() || value < minimum || value > maximum)
        return std::nullopt;
    return value;
}

CString FormatPageNumber(double value, char16_t decimal)
{
    if (value == 0)
        value = 0;  // no "-0"
    char buffer[40];
    const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 12);
    CString text;
    for (const char* p = buffer; error == std::errc() && p != end; ++p)
        text += *p == '.' ? decimal : char16_t(*p);
    return text;
}

// ---------------------------------------------------------------- CScaleRules

CScaleRules::CScaleRules(const AxisRange& current, int32_t subdivisions, char16_t decimal)
    : m_current(current), m_subdivisions(subdivisions), m_decimal(decimal)
{
}

ScaleEntry CScaleRules::Fields() const
{
    ScaleVerdict shown;
    shown.range = m_current;
    shown.subdivisions = m_subdivisions;
    return FieldsOf(shown);
}

ScaleEntry CScaleRules::FieldsOf(const ScaleVerdict& verdict) const
{
    return {Text(verdict.range.minimum), Text(verdict.range.maximum), Text(verdict.range.step),
            Utf8ToString(std::to_string(verdict.subdivisions))};
}

std::optional<double> CScaleRules::Value(const CString& typed, double current) const
{
    // Twelve digits shown may stand for a value they do not spell exactly.
    if (std::isfinite(current) && typed == Text(current))
        return current;
    return ParsePageNumber(typed);
}

ScaleVerdict CScaleRules::Judge(const ScaleEntry& typed) const
{
    ScaleVerdict verdict;
    const std::optional<double> minimum = Value(typed.minimum, m_current.minimum);
    if (!minimum)
        return verdict.Refuse(PageField::minimum, kTextPageNotANumber);
    const std::optional<double> maximum = Value(typed.maximum, m_current.maximum);
    if (!maximum)
        return verdict.Refuse(PageField::maximum, kTextPageNotANumber);
    const std::optional<double> step = Value(typed.step, m_current.step);
    if (!step)
        return verdict.Refuse(PageField::step, kTextPageNotANumber);
    const std::optional<int32_t> subdivisions = ParsePageInteger(typed.subdivisions, 0, kMostSubdivisions);
    if (!subdivisions)
        return verdict.Refuse(PageField::subdivisions, kTextPageSubdivisions);
    if (!(*maximum > *minimum))
        return verdict.Refuse(PageField::maximum, kTextPageMaximumNotAbove);
    if (!(*step > 0))
        return verdict.Refuse(PageField::step, kTextPageStepNotPositive);
    // Labels on whole steps from the minimum; a last one that rounding put
    // a hair short of the maximum still counts.
    const double steps = (*maximum - *minimum) / *step;
    if (!std::isfinite(steps) || std::floor(steps + 1e-6) + 1 > kMostAxisLabels)
        return verdict.Refuse(PageField::step, kTextPageTooManyLabels);

    verdict.range = {*minimum, *maximum, *step, m_current.divisor};
    const AxisRange& c = m_current;
    if (*minimum != c.minimum || *maximum != c.maximum || *step != c.step)
        verdict.range.divisor = LabelDivisor(*step);
    verdict.subdivisions = *subdivisions;
    return verdict;
}

ScaleVerdict CScaleRules::Automatic(const ScaleEntry& typed) const
{
    ScaleVerdict verdict;
    verdict.subdivisions = m_subdivisions;
    const std::optional<double> minimum = Value(typed.minimum, m_current.minimum);
    const std::optional<double> maximum = Value(typed.maximum, m_current.maximum);
    if (!minimum || !maximum)
        return verdict.Refuse(minimum ? PageField::maximum : PageField::minimum, kTextPageNotANumber);
    verdict.range = ReadableRange(*minimum, *maximum, kAutomaticDivisions, false);
    return verdict;
}

ScaleVerdict CScaleRules::JudgeLogarithmic(const ScaleEntry& typed) const
{
    ScaleVerdict verdict;
    verdict.subdivisions = m_subdivisions;
    const std::optional<double> minimum = Value(typed.minimum, m_current.minimum);
    if (!minimum)
        return verdict.Refuse(PageField::minimum, kTextPageNotANumber);
    const std::optional<double> maximum = Value(typed.maximum, m_current.maximum);
    if (!maximum)
        return verdict.Refuse(PageField::maximum, kTextPageNotANumber);
    if (!(*minimum > 0))
        return verdict.Refuse(PageField::minimum, kTextPageLogNotPositive);
    if (!(*maximum > *minimum))
        return verdict.Refuse(PageField::maximum, kTextPageMaximumNotAbove);
    if (*minimum == m_current.minimum && *maximum == m_current.maximum)
        verdict.range = m_current;
    else
        verdict.range = ReadableRange(*minimum, *maximum, kAutomaticDivisions, true);
    return verdict;
}

// ---------------------------------------------------------------- pens and labels

std::optional<int32_t> ParsePenWidth(const CString& text)
{
    return ParsePageInteger(text, 0, kMostPenWidth);
}

int32_t StoredFontHeight(int32_t pointTenths)
{
    const int32_t points = (std::abs(pointTenths) + 5) / 10;
    return -std::max(points, int32_t(1));
}

CString WithCarriageReturns(const CString& text)
{
    CString out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == u'\n' && (i == 0 || text[i - 1] != u'\r'))
            out += u'\r';
        out += text[i];
    }
    return out;
}
