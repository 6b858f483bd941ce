// The machine that runs formula code: a value stack of doubles, sized once
// from the chunk, and the context (X, the random sequence) functions see.
#pragma once

#include <vector>

#include "instruments/formula/FormulaChunk.h"
#include "instruments/formula/FormulaNames.h"

class CFormulaMachine {
public:
    // Makes the stack as deep as chunk needs; call again for another chunk.
    void Prepare(const CFormulaChunk& chunk);
    // Runs chunk (prepared before) for one value of X; the value left on top.
    double Run(const CFormulaChunk& chunk, double x);

    FormulaContext& Context() { return m_context; }

private:
    std::vector<double> m_stack;
    FormulaContext m_context;
};
