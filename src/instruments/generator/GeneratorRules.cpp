#include "instruments/generator/GeneratorRules.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <numbers>

#include "instruments/formula/ForComp.h"

namespace {

CString Formatted(const char* format, double value)
{
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return Utf8ToString(text);
}

// The step the knob moves in: the row's own, or in the top row the coarsest
// of its steps.
uint32_t KnobStep(const FrequencyRow& row, int32_t rowIndex)
{
    if (rowIndex != CFuncGen::kFrequencyRows - 1)
        return std::max<uint32_t>(row.step, 1);
    return CFuncGen::FrequencyStep(row, rowIndex, row.maximum, false);
}

}  // namespace

CString FrequencyText(int32_t row, double hertz)
{
    switch (row) {
    case 0: return Formatted("%6.1lf Hz", hertz);
    case 1:
    case 2:
    case 3: return Formatted("%6.0lf Hz", hertz);
    case 4: return Formatted("%5.1lf kHz", hertz / 1000);
    case 5: return Formatted("%5.0lf kHz", hertz / 1000);
    default: return Formatted("%5.2lf MHz", hertz / 1e6);
    }
}

CString RowButtonText(const FrequencyRow& row)
{
    const double hertz = row.maximum / 10.0;
    if (hertz >= 1e6)
        return Formatted("%g MHz", hertz / 1e6);
    if (hertz >= 1e3)
        return Formatted("%g kHz", hertz / 1e3);
    return Formatted("%g Hz", hertz);
}

int32_t FrequencyKnobPositions(const FrequencyRow& row, int32_t rowIndex)
{
    if (row.maximum <= row.minimum)
        return 1;
    return int32_t((row.maximum - row.minimum + KnobStep(row, rowIndex) - 1) / KnobStep(row, rowIndex)) + 1;
}

uint32_t FrequencyAtKnob(const FrequencyRow& row, int32_t rowIndex, int32_t position)
{
    const int32_t last = FrequencyKnobPositions(row, rowIndex) - 1;
    const uint64_t f = row.minimum + uint64_t(std::clamp(position, 0, last)) * KnobStep(row, rowIndex);
    return uint32_t(std::min<uint64_t>(f, row.maximum));
}

int32_t KnobAtFrequency(const FrequencyRow& row, int32_t rowIndex, uint32_t frequency)
{
    if (frequency <= row.minimum)
        return 0;
    const uint32_t step = KnobStep(row, rowIndex);
    const int32_t position = int32_t((std::min(frequency, row.maximum) - row.minimum + step / 2) / step);
    return std::min(position, FrequencyKnobPositions(row, rowIndex) - 1);
}

DcLevelStep DcLevelUp(int32_t level)
{
    DcLevelStep step{level, std::nullopt, false};
    if (level == 0)
        step.waveform = kDcPositiveWaveform;
    if (level < kDcLevelLimit) {
        step.level = level + 1;
        step.changed = true;
    }
    return step;
}

DcLevelStep DcLevelDown(int32_t level)
{
    DcLevelStep step{level, std::nullopt, false};
    if (level == 0)
        step.waveform = kDcNegativeWaveform;
    if (level > -kDcLevelLimit) {
        step.level = level - 1;
        step.changed = true;
    }
    return step;
}

int32_t DcLevelInRange(int32_t level, int32_t fromRange, int32_t toRange)
{
    if (toRange < fromRange)
        level /= fromRange - toRange >= 2 ? 100 : 10;
    else if (toRange > fromRange)
        level *= toRange - fromRange == 1 ? 10 : 100;
    return std::clamp(level, -kDcLevelLimit, kDcLevelLimit);
}

CString DcLevelText(int32_t outputRange, int32_t level)
{
    if (outputRange == 0)
        return Formatted("%5.1lf", level / 10.0);
    if (outputRange == 1)
        return Formatted("%5.2lf", level / 100.0);
    char text[32];
    std::snprintf(text, sizeof text, "%4d", int(level));
    return Utf8ToString(text);
}

CString DcLevelUnit(int32_t outputRange)
{
    // The lowest range shows whole millivolts.
    return outputRange >= 2 ? u"mV" : u"V";
}

double DcValueOfLevel(int32_t outputRange, int32_t level)
{
    return outputRange == 0 ? level / 10.0 : outputRange == 1 ? level / 100.0 : double(level);
}

std::optional<int32_t> DcLevelOfValue(int32_t outputRange, double value)
{
    const double scale = outputRange == 0 ? 10.0 : outputRange == 1 ? 100.0 : 1.0;
    const double level = std::round(value * scale);
    if (!(std::fabs(level) <= kDcLevelLimit))
        return std::nullopt;
    return int32_t(level);
}

FormulaVerdict JudgeFormula(std::u16string_view text, size_t points, std::vector<double>* values)
{
    FormulaVerdict verdict;
    CForComp compiler;
    if (!compiler.Compile(text)) {
        verdict.error = compiler.Diagnostic().error;
        verdict.position = compiler.Diagnostic().position;
        return verdict;
    }
    std::vector<double> computed;
    const double period = 2 * std::numbers::pi;
    if (compiler.EvaluateOver(points, 0, period, computed)) {
        if (values)
            *values = std::move(computed);
        return verdict;
    }
    // Find where, so that the user can see what to change. RND continues
    // its sequence across calls, so a second pass may differ only for it.
    for (size_t i = 0; i < points; ++i) {
        const double step = points > 1 ? period / double(points - 1) : 0.0;
        const double x = i + 1 == points && points > 1 ? period : step * double(i);
        double value;
        if (!compiler.Evaluate(x, value)) {
            verdict.noValueAt = x;
            return verdict;
        }
    }
    verdict.noValueAt = 0.0;
    return verdict;
}
