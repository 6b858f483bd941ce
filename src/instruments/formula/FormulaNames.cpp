#include "instruments/formula/FormulaNames.h"

#include <cmath>
#include <iterator>
#include <numbers>

namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kTwoPi = 2 * std::numbers::pi;

// The fractional part with the sign of the argument, as FRC defines it.
double Fraction(double a)
{
    return a - std::trunc(a);
}

// The phase within one period of 2 pi; negative for a negative argument.
double Phase(double a)
{
    return kTwoPi * Fraction(a / kTwoPi);
}

double WithSignOf(double a, double value)
{
    return a < 0 ? -value : value;
}

double Square(double a)
{
    return WithSignOf(a, Phase(std::fabs(a)) < kPi ? 1.0 : -1.0);
}

double SawTooth(double a)
{
    const double p = Phase(std::fabs(a));
    return WithSignOf(a, p < kPi ? p / kPi : (p - kPi) / kPi - 1);
}

double Triangle(double a)
{
    const double p = Phase(std::fabs(a));
    double v;
    if (p < kPi / 2)
        v = 2 * p / kPi;
    else if (p < 3 * kPi / 2)
        v = 2 - 2 * p / kPi;
    else
        v = 2 * (p - 3 * kPi / 2) / kPi - 1;
    return WithSignOf(a, v);
}

double PulseWidth(double a, double b)
{
    if (Fraction(std::fabs(a) / kTwoPi) >= std::fabs(b))
        return 0;
    return b < 0 ? -1 : 1;
}

// Positive pulses of width b centred on pi/2, negative ones centred on 3 pi/2.
double Pulse(double a, double b)
{
    const double p = Phase(a);
    const double h = b / 2;
    if (p >= kPi / 2 - h && p < kPi / 2 + h)
        return 1;
    if (p >= kPi && p >= 3 * kPi / 2 - h && p < 3 * kPi / 2 + h)
        return -1;
    return 0;
}

// A sine cut at phase angle b in both half-waves, as a phase-angle dimmer does.
double PhaseCut(double a, double b)
{
    const double p = Phase(a);
    if (p < b || (p >= kPi && p < kPi + b))
        return 0;
    return std::sin(p);
}

using Ctx = FormulaContext;

// clang-format off
const FormulaName kNames[] = {
    {u"PI",    0, [](const double*, Ctx&) { return kPi; }},
    {u"SIN",   1, [](const double* a, Ctx&) { return std::sin(a[0]); }},
    {u"COS",   1, [](const double* a, Ctx&) { return std::cos(a[0]); }},
    {u"TAN",   1, [](const double* a, Ctx&) { return std::tan(a[0]); }},
    {u"ASIN",  1, [](const double* a, Ctx&) { return std::asin(a[0]); }},
    {u"ACOS",  1, [](const double* a, Ctx&) { return std::acos(a[0]); }},
    {u"ATAN",  1, [](const double* a, Ctx&) { return std::atan(a[0]); }},
    {u"SINH",  1, [](const double* a, Ctx&) { return std::sinh(a[0]); }},
    {u"COSH",  1, [](const double* a, Ctx&) { return std::cosh(a[0]); }},
    {u"TANH",  1, [](const double* a, Ctx&) { return std::tanh(a[0]); }},
    {u"EXP",   1, [](const double* a, Ctx&) { return std::exp(a[0]); }},
    {u"LN",    1, [](const double* a, Ctx&) { return std::log(a[0]); }},
    {u"LOG",   1, [](const double* a, Ctx&) { return std::log10(a[0]); }},
    {u"SQR",   1, [](const double* a, Ctx&) { return a[0] * a[0]; }},
    {u"SQRT",  1, [](const double* a, Ctx&) { return std::sqrt(a[0]); }},
    {u"ABS",   1, [](const double* a, Ctx&) { return std::fabs(a[0]); }},
    {u"INT",   1, [](const double* a, Ctx&) { return std::trunc(a[0]); }},
    {u"FRC",   1, [](const double* a, Ctx&) { return Fraction(a[0]); }},
    {u"POS",   1, [](const double* a, Ctx&) { return a[0] > 0 ? a[0] : 0.0; }},
    {u"NEG",   1, [](const double* a, Ctx&) { return a[0] < 0 ? a[0] : 0.0; }},
    {u"SGN",   1, [](const double* a, Ctx&) { return a[0] < 0 ? -1.0 : 1.0; }},
    {u"RAD",   1, [](const double* a, Ctx&) { return a[0] * 0.017453292519943295; }},
    {u"DEG",   1, [](const double* a, Ctx&) { return a[0] * 57.29577951308232; }},
    {u"RND",   1, [](const double* a, Ctx& c) { return (c.NextRandom() / 32767.0 - 0.5) * a[0]; }},
    {u"GE",    1, [](const double* a, Ctx& c) { return c.x >= a[0] ? 1.0 : 0.0; }},
    {u"GT",    1, [](const double* a, Ctx& c) { return c.x > a[0] ? 1.0 : 0.0; }},
    {u"LE",    1, [](const double* a, Ctx& c) { return c.x <= a[0] ? 1.0 : 0.0; }},
    {u"LT",    1, [](const double* a, Ctx& c) { return c.x < a[0] ? 1.0 : 0.0; }},
    {u"IN",    2, [](const double* a, Ctx& c) { return a[0] <= c.x && c.x <= a[1] ? 1.0 : 0.0; }},
    {u"SQU",   1, [](const double* a, Ctx&) { return Square(a[0]); }},
    {u"SAW",   1, [](const double* a, Ctx&) { return SawTooth(a[0]); }},
    {u"TRI",   1, [](const double* a, Ctx&) { return Triangle(a[0]); }},
    {u"PWM",   2, [](const double* a, Ctx&) { return PulseWidth(a[0], a[1]); }},
    {u"PUL",   2, [](const double* a, Ctx&) { return Pulse(a[0], a[1]); }},
    {u"PHA",   2, [](const double* a, Ctx&) { return PhaseCut(a[0], a[1]); }},
};
// clang-format on

} // namespace

const FormulaName* FindFormulaName(std::u16string_view name)
{
    for (const FormulaName& entry : kNames)
        if (entry.name == name)
            return &entry;
    return nullptr;
}

const FormulaName* FormulaNameAt(size_t index)
{
    return index < std::size(kNames) ? &kNames[index] : nullptr;
}

size_t FormulaNameIndex(const FormulaName* entry)
{
    return static_cast<size_t>(entry - kNames);
}
