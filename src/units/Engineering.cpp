#include "units/Engineering.h"

#include <cmath>
#include <cstdio>

int EngineeringExponent(double v)
{
    if (v == 0 || !std::isfinite(v))
        return 0;
    const double decade = std::floor(std::log10(std::fabs(v)));
    return 3 * static_cast<int>(std::floor(decade / 3));
}

char16_t EngineeringPrefix(int exponent)
{
    switch (exponent) {
    case -12: return u'p';
    case -9: return u'n';
    case -6: return u'\u00B5';
    case -3: return u'm';
    case 0: return 0;
    case 3: return u'k';
    case 6: return u'M';
    case 9: return u'G';
    case 12: return u'T';
    default: return u'?';
    }
}

CString FormatEngineering(double v, std::u16string_view unit)
{
    const int exponent = EngineeringExponent(v);
    char number[64];
    std::snprintf(number, sizeof number, "%lg ", v / std::pow(10.0, exponent));
    CString text = Utf8ToString(number);
    if (const char16_t prefix = EngineeringPrefix(exponent))
        text += prefix;
    text += unit;
    return text;
}
