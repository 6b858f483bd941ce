#include "instruments/formula/FormulaMachine.h"

#include <limits>

void CFormulaMachine::Prepare(const CFormulaChunk& chunk)
{
    m_stack.assign(chunk.MaxDepth() + 1, 0.0);
}

double CFormulaMachine::Run(const CFormulaChunk& chunk, double x)
{
    // The compiler counted the depth; a chunk that was not prepared for would
    // overrun, so such a run gives no value rather than touching memory.
    if (chunk.Code().empty() || m_stack.size() < chunk.MaxDepth() + 1)
        return std::numeric_limits<double>::quiet_NaN();
    m_context.x = x;
    double* top = m_stack.data();  // one past the top value
    const double* constants = chunk.Constants().data();
    for (const FormulaInstruction& in : chunk.Code()) {
        switch (in.op) {
        case FormulaOp::Constant: *top++ = constants[in.operand]; break;
        case FormulaOp::LoadX: *top++ = x; break;
        case FormulaOp::Add: --top; top[-1] += top[0]; break;
        case FormulaOp::Subtract: --top; top[-1] -= top[0]; break;
        case FormulaOp::Multiply: --top; top[-1] *= top[0]; break;
        case FormulaOp::Divide: --top; top[-1] /= top[0]; break;
        case FormulaOp::Negate: top[-1] = -top[-1]; break;
        case FormulaOp::Call: {
            const FormulaName* name = FormulaNameAt(in.operand);
            top -= name->arity;
            *top = name->function(top, m_context);
            ++top;
            break;
        }
        }
    }
    return top[-1];
}
