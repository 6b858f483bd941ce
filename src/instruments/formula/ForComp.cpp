#include "instruments/formula/ForComp.h"

#include <cmath>

bool CForComp::Compile(std::u16string_view text)
{
    m_diagnostic = CompileFormula(text, m_chunk);
    m_machine.Prepare(m_chunk);
    return m_diagnostic.error == FormulaError::None;
}

bool CForComp::Evaluate(double x, double& value)
{
    if (!IsCompiled())
        return false;
    value = m_machine.Run(m_chunk, x);
    return std::isfinite(value);
}

bool CForComp::EvaluateOver(size_t count, double from, double to, std::vector<double>& values)
{
    values.clear();
    if (!IsCompiled())
        return false;
    values.resize(count);
    const double step = count > 1 ? (to - from) / static_cast<double>(count - 1) : 0.0;
    for (size_t i = 0; i < count; ++i) {
        // The last point is `to` itself, not an accumulation of steps.
        const double x = i + 1 == count && count > 1 ? to : from + step * static_cast<double>(i);
        const double value = m_machine.Run(m_chunk, x);
        if (!std::isfinite(value)) {
            values.clear();
            return false;
        }
        values[i] = value;
    }
    return true;
}

FormulaDiagnostic CheckFormula(std::u16string_view text)
{
    CFormulaChunk chunk;
    return CompileFormula(text, chunk);
}
