#include "charts/AxisScale.h"

#include "charts/Engineering.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

// Labels and grid lines a range may ask for; a step too small for its range
// (a million points' worth of zoom) must not walk forever.
constexpr size_t kMostMarks = 10000;

bool Finite(double v)
{
    return std::isfinite(v);
}

// 10^exponent; whole exponents through exact powers of ten, so that a
// divisor of 10^-3 is the double 0.001 whatever the runtime's pow gives.
double Pow10(double exponent)
{
    if (exponent != std::trunc(exponent) || std::fabs(exponent) > 22)
        return std::pow(10.0, exponent);
    double power = 1.0;
    for (int i = 0; i < int(std::fabs(exponent)); ++i)
        power *= 10.0;
    return exponent < 0 ? 1.0 / power : power;
}

// Walks from `from` by `step` while keep(v), at most kMostMarks values.
template <class Keep>
void Walk(std::vector<double>& out, double from, double step, Keep keep)
{
    for (size_t i = 0; out.size() < kMostMarks; ++i) {
        const double v = from + double(i) * step;
        if (!keep(v))
            break;
        out.push_back(v);
    }
}

bool UsableStep(double minimum, double maximum, double step)
{
    return Finite(minimum) && Finite(maximum) && Finite(step) && step > 0 && maximum >= minimum &&
           (maximum - minimum) / step < double(kMostMarks);
}

}  // namespace

AxisRange ReadableRange(double minimum, double maximum, int divisions, bool logarithmic)
{
    if (!Finite(minimum) || !Finite(maximum))
        return logarithmic ? AxisRange{1.0, 10.0, 1.0, 1.0} : AxisRange{};
    if (maximum < minimum)
        std::swap(minimum, maximum);
    if (logarithmic) {
        // Decades need positive ends: a range touching 0 keeps its upper decades.
        const double top = maximum > 0 ? maximum : 10.0;
        const double bottom = minimum > 0 ? minimum : std::min(top / 10.0, 1.0);
        // Decades a double holds only as a subnormal, or not at all, would
        // give ends of 0 or infinity, whose logarithms no label is made of.
        const double low = std::clamp(std::floor(std::log10(bottom)), -307.0, 307.0);
        const double high = std::clamp(std::ceil(std::log10(top)), low + 1, 308.0);
        return {Pow10(low), Pow10(high), 1.0, 1.0};
    }
    if (minimum > 0 && minimum - 0.25 * (maximum - minimum) < 0)
        minimum = 0;
    if (maximum == minimum)
        maximum = minimum + 1.0;
    const double rough = (maximum - minimum) / std::max(divisions, 1);
    if (!Finite(rough) || !(rough > 0))
        return AxisRange{};
    const double magnitude = Pow10(std::floor(std::log10(rough)));
    int k = int(rough / magnitude);
    if (k == 0)
        k = 1;
    k = k == 1 ? 2 : k <= 5 ? 5 : k <= 9 ? 10 : k;
    const double step = k * magnitude;

    // Each walk below takes at most about `divisions` steps, since the step
    // is at least the rough one; the cap only guards against rounding.
    constexpr int kMostSteps = 100000;
    double start;
    if (minimum <= 0 && 0 < maximum) {
        // Whole steps from zero, so that zero has a label.
        start = 0;
        for (int i = 0; start > minimum && i < kMostSteps; ++i)
            start -= step;
    } else {
        start = std::floor(minimum / (10 * magnitude)) * 10 * magnitude;
        for (int i = 0; minimum >= start + step && i < kMostSteps; ++i)
            start += step;
    }
    int n = 1;
    while (maximum > start + n * step && n < kMostSteps)
        ++n;
    AxisRange range{start, start + n * step, step, 1.0};
    range.divisor = LabelDivisor(step);
    return range;
}

double LabelDivisor(double step)
{
    if (!Finite(step) || !(step > 0))
        return 1.0;
    return Pow10(3 * std::trunc(std::floor(std::log10(step)) / 3));
}

int LabelPrecision(double step, double divisor)
{
    double v = std::fabs(step / divisor);
    if (!Finite(v))
        return 0;
    int decimals = 0;
    while (decimals < 5 && std::fabs(v - std::round(v)) > 1e-6) {
        v *= 10;
        ++decimals;
    }
    return decimals;
}

std::vector<double> LabelValues(double minimum, double maximum, double step)
{
    std::vector<double> values;
    if (!UsableStep(minimum, maximum, step))
        return values;
    const double tolerance = 0.05 * step;
    if (minimum >= 0 || maximum <= 0) {
        Walk(values, minimum, step, [&](double v) { return v < maximum + tolerance; });
        return values;
    }
    Walk(values, 0.0, step, [&](double v) { return v < maximum + tolerance; });
    Walk(values, -step, -step, [&](double v) { return v > minimum - tolerance; });
    return values;
}

std::vector<double> GridValues(double minimum, double maximum, double step, uint32_t gridFlags, bool reversed)
{
    std::vector<double> values;
    if (!UsableStep(minimum, maximum, step))
        return values;
    const double tolerance = 0.05 * step;
    const bool noMaximum = (gridFlags & kGridNoMaximumLine) != 0;
    if (minimum >= 0 || maximum <= 0) {
        if (noMaximum || reversed)
            Walk(values, minimum, step, [&](double v) { return v < maximum - tolerance; });
        else
            Walk(values, minimum + step, step, [&](double v) { return v < maximum + tolerance; });
        return values;
    }
    const double top = noMaximum ? maximum - tolerance : maximum + tolerance;
    const double bottom = (gridFlags & kGridNoMinimumLine) ? minimum + tolerance : minimum - tolerance;
    Walk(values, step, step, [&](double v) { return v < top; });
    Walk(values, -step, -step, [&](double v) { return v > bottom; });
    return values;
}

std::vector<double> LogGridValues(double visibleMinimum, double visibleMaximum)
{
    std::vector<double> values;
    if (!Finite(visibleMinimum) || !Finite(visibleMaximum) || visibleMaximum - visibleMinimum > 1000)
        return values;
    for (double e = std::floor(visibleMinimum); e <= std::floor(visibleMaximum); ++e)
        for (int m = 1; m <= 9; ++m) {
            const double v = e + std::log10(double(m));
            if (v >= visibleMinimum && v <= visibleMaximum)
                values.push_back(v);
        }
    return values;
}

std::vector<int> LogLabelDecades(double visibleMinimum, double visibleMaximum)
{
    std::vector<int> decades;
    if (!Finite(visibleMinimum) || !Finite(visibleMaximum) || visibleMaximum - visibleMinimum > 1000)
        return decades;
    for (double e = std::ceil(visibleMinimum); e <= std::floor(visibleMaximum); ++e)
        decades.push_back(int(e));
    return decades;
}

int32_t AxisMapping::Pixel(double v) const
{
    const double offset = std::trunc((v - visibleMinimum) * pixelsPerUnit);
    // Far outside the plot a pixel only needs to stay far outside, not overflow.
    constexpr double kFar = 1e6;
    const auto shift = int32_t(std::clamp(Finite(offset) ? offset : (offset > 0 ? kFar : -kFar), -kFar, kFar));
    return reversed ? origin - shift : origin + shift;
}

AxisMapping MapAxis(double visibleMinimum, double visibleMaximum, int32_t pixelStart, int32_t pixelEnd,
                    bool horizontal, bool reversed)
{
    AxisMapping m;
    m.visibleMinimum = visibleMinimum;
    m.reversed = reversed;
    const double span = visibleMaximum - visibleMinimum;
    const double pixels = double(pixelEnd) - double(pixelStart);
    const double scale = span != 0 && Finite(span) ? pixels / span : 0.0;
    // A vertical axis counts upwards from the bottom: its scale is negative,
    // and reversing it starts from the top.
    m.pixelsPerUnit = horizontal ? scale : -scale;
    m.origin = horizontal ? (reversed ? pixelEnd : pixelStart) : (reversed ? pixelStart : pixelEnd);
    return m;
}

int DivisorExponent(double divisor)
{
    if (!(divisor > 0) || !Finite(divisor))
        return 0;
    return int(std::round(std::log10(divisor)));
}

CString UnitText(std::u16string_view unit, int exponent)
{
    const size_t mark = unit.find(u'#');
    if (mark == std::u16string_view::npos) {
        CString text(unit);
        if (exponent != 0) {
            char factor[32];
            std::snprintf(factor, sizeof factor, " [*1E%d]", exponent);
            text += Utf8ToString(factor);
        }
        return text;
    }
    CString text(unit.substr(0, mark));
    std::u16string_view rest = unit.substr(mark + 1);
    if (!rest.empty() && rest.front() == u'#') {
        text += CString(rest.substr(1));
        return text;
    }
    if (const char16_t prefix = EngineeringPrefix(exponent); prefix != u'?') {
        if (prefix)
            text += prefix;
    } else {
        char factor[32];
        std::snprintf(factor, sizeof factor, "1E%d ", exponent);
        text += Utf8ToString(factor);
    }
    text += CString(rest);
    return text;
}
