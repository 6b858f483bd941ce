// CForComp: the formula language of the generators. A formula text in X is
// compiled to stack code once and then evaluated at many values of X, e.g.
// "0.5*SIN(X)+0.2*SQU(3*X)" at 8192 points from 0 to 2 pi.
//
// Texts are untrusted: anything that is not a formula gives a diagnostic
// with the position to show, never a crash. Evaluation fails, rather than
// giving a value, where the formula has none (LN(0), SQRT(-1), 1/0).
#pragma once

#include <string_view>
#include <vector>

#include "instruments/formula/FormulaChunk.h"
#include "instruments/formula/FormulaCompiler.h"
#include "instruments/formula/FormulaMachine.h"

class CForComp {
public:
    // Compiles text; true when it is a formula. Otherwise Diagnostic() says
    // why and where, and nothing can be evaluated until a text compiles.
    bool Compile(std::u16string_view text);
    bool IsCompiled() const { return !m_chunk.Code().empty(); }
    const FormulaDiagnostic& Diagnostic() const { return m_diagnostic; }

    // The formula's value at x; false when it has none (not finite).
    bool Evaluate(double x, double& value);
    // The values at count points evenly spaced from `from` to `to`, both
    // ends included (one point gives the value at `from`). False, with
    // values emptied, when any point has no value.
    bool EvaluateOver(size_t count, double from, double to, std::vector<double>& values);

    // Starts RND's sequence again (it continues across evaluations).
    void SeedRandom(uint32_t seed) { m_machine.Context().randomState = seed; }
    const CFormulaChunk& Chunk() const { return m_chunk; }

private:
    CFormulaChunk m_chunk;
    CFormulaMachine m_machine;
    FormulaDiagnostic m_diagnostic;
};

// Whether text is a formula, without keeping the code.
FormulaDiagnostic CheckFormula(std::u16string_view text);
