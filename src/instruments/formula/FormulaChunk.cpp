#include "instruments/formula/FormulaChunk.h"

#include <cstdio>

#include "framework/Types.h"
#include "instruments/formula/FormulaNames.h"

void CFormulaChunk::EmitConstant(double value)
{
    m_constants.push_back(value);
    Emit(FormulaOp::Constant, static_cast<uint32_t>(m_constants.size() - 1));
}

void CFormulaChunk::Clear()
{
    m_code.clear();
    m_constants.clear();
    m_maxDepth = 0;
}

std::string CFormulaChunk::Disassemble() const
{
    std::string out;
    char line[64];
    for (size_t i = 0; i < m_code.size(); ++i) {
        const FormulaInstruction& in = m_code[i];
        std::snprintf(line, sizeof line, "%04zu ", i);
        out += line;
        switch (in.op) {
        case FormulaOp::Constant:
            std::snprintf(line, sizeof line, "CONST %.17g", m_constants[in.operand]);
            out += line;
            break;
        case FormulaOp::LoadX: out += "X"; break;
        case FormulaOp::Add: out += "ADD"; break;
        case FormulaOp::Subtract: out += "SUB"; break;
        case FormulaOp::Multiply: out += "MUL"; break;
        case FormulaOp::Divide: out += "DIV"; break;
        case FormulaOp::Negate: out += "NEG"; break;
        case FormulaOp::Call: {
            const FormulaName* name = FormulaNameAt(in.operand);
            out += "CALL ";
            out += name ? StringToUtf8(name->name) : "?";
            break;
        }
        }
        out += '\n';
    }
    return out;
}
