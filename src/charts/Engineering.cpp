#include "charts/Engineering.h"

#include <cmath>
#include <cstdio>

namespace {

// 10^n for n >= 0, exact up to 10^22; infinity beyond a double's range.
double PositivePowerOfTen(int n)
{
    double power = 1.0;
    for (int i = 0; i < n && std::isfinite(power); ++i)
        power *= 10.0;
    return power;
}

}  // namespace

double ScaleToExponent(double v, int exponent)
{
    return exponent < 0 ? v * PositivePowerOfTen(-exponent) : v / PositivePowerOfTen(exponent);
}

int EngineeringExponent(double v)
{
    if (v == 0 || !std::isfinite(v))
        return 0;
    const double magnitude = std::fabs(v);
    int decade = static_cast<int>(std::floor(std::log10(magnitude)));
    // Some runtimes' log10 misses an exact power of ten by an ulp.
    if (ScaleToExponent(magnitude, decade + 1) >= 1.0)
        ++decade;
    else if (ScaleToExponent(magnitude, decade) < 1.0)
        --decade;
    return 3 * static_cast<int>(std::floor(decade / 3.0));
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
    std::snprintf(number, sizeof number, "%lg ", ScaleToExponent(v, exponent));
    CString text = Utf8ToString(number);
    if (const char16_t prefix = EngineeringPrefix(exponent))
        text += prefix;
    text += unit;
    return text;
}
