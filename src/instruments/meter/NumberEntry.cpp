#include "instruments/meter/NumberEntry.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "charts/Engineering.h"

namespace {

bool IsBlank(char16_t c)
{
    return c == u' ' || c == u'\t' || c == u'\u00A0';
}

// The power of ten of a metric prefix letter; 0 for none of them.
int PrefixExponent(char16_t c)
{
    switch (c) {
    case u'p': return -12;
    case u'n': return -9;
    case u'u':
    case u'\u00B5':
    case u'\u03BC': return -6;
    case u'm': return -3;
    case u'k':
    case u'K': return 3;
    case u'M': return 6;
    case u'G': return 9;
    default: return 0;
    }
}

}  // namespace

std::optional<double> ParseEntry(const CString& text, const EntryLimits& limits)
{
    size_t begin = 0, end = text.size();
    while (begin < end && IsBlank(text[begin]))
        ++begin;
    while (end > begin && IsBlank(text[end - 1]))
        --end;
    // Only the characters of a plain decimal number reach strtod: no hex, no
    // "inf", no "nan", no exponent letters that would clash with the prefixes.
    std::string number;
    size_t i = begin;
    if (i < end && (text[i] == u'+' || text[i] == u'-'))
        number += char(text[i++]);
    bool digits = false, point = false;
    for (; i < end; ++i) {
        const char16_t c = text[i];
        if (c >= u'0' && c <= u'9') {
            number += char(c);
            digits = true;
        } else if ((c == u'.' || c == u',') && !point) {
            number += '.';
            point = true;
        } else {
            break;
        }
    }
    if (!digits)
        return std::nullopt;
    while (i < end && IsBlank(text[i]))
        ++i;
    int exponent = 0;
    if (i < end) {
        exponent = PrefixExponent(text[i]);
        if (exponent == 0 || i + 1 != end)
            return std::nullopt;
    }
    if (exponent != 0)
        number += "e" + std::to_string(exponent);  // one rounding, as if typed so
    const double value = std::strtod(number.c_str(), nullptr);
    if (!std::isfinite(value) || value > limits.maximum || value < limits.minimum)
        return std::nullopt;
    if (value == limits.minimum && !limits.minimumAllowed)
        return std::nullopt;
    return value;
}

CString FormatEntry(double value)
{
    // Plain decimals, as the field reads them back: "%g" would write 1e+06.
    // Values below a thousandth take a metric prefix instead.
    int exponent = 0;
    if (value != 0 && std::fabs(value) < 1e-3)
        exponent = EngineeringExponent(value);
    char text[64];
    std::snprintf(text, sizeof text, "%.9f", ScaleToExponent(value, exponent));
    std::string trimmed = text;
    trimmed.erase(trimmed.find_last_not_of('0') + 1);
    if (!trimmed.empty() && trimmed.back() == '.')
        trimmed.pop_back();
    CString result = Utf8ToString(trimmed.c_str());
    if (const char16_t prefix = EngineeringPrefix(exponent))
        result += prefix;
    return result;
}
