// The stack code a formula compiles to: a list of instructions for a value
// stack, the constants they load, and the stack depth the code needs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

enum class FormulaOp : uint8_t {
    Constant,   // pushes constants[operand]
    LoadX,      // pushes the variable X
    Add,        // pops b and a, pushes a + b
    Subtract,   // a - b
    Multiply,   // a * b
    Divide,     // a / b
    Negate,     // pops a, pushes -a
    Call,       // calls name table entry operand on its arguments, pushes the result
};

struct FormulaInstruction {
    FormulaOp op;
    uint32_t operand;
};

class CFormulaChunk {
public:
    void Emit(FormulaOp op, uint32_t operand = 0) { m_code.push_back({op, operand}); }
    // Emits a Constant instruction for value.
    void EmitConstant(double value);
    void Clear();

    const std::vector<FormulaInstruction>& Code() const { return m_code; }
    const std::vector<double>& Constants() const { return m_constants; }
    size_t MaxDepth() const { return m_maxDepth; }
    void SetMaxDepth(size_t depth) { m_maxDepth = depth; }

    // One line per instruction, for test messages and debugging.
    std::string Disassemble() const;

private:
    std::vector<FormulaInstruction> m_code;
    std::vector<double> m_constants;
    size_t m_maxDepth = 0;
};
