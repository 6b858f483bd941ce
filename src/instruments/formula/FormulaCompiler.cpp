#include "instruments/formula/FormulaCompiler.h"

#include <algorithm>

#include "instruments/formula/FormulaNames.h"

namespace {

// Thrown from deep inside the descent to leave it in one step.
struct CompileFailure {
    FormulaDiagnostic diagnostic;
};

class Compiler {
public:
    Compiler(std::u16string_view text, CFormulaChunk& chunk) : m_scanner(text), m_chunk(chunk)
    {
        Advance();
    }

    void CompileAll()
    {
        if (m_current.kind == FormulaToken::End)
            Fail(FormulaError::Empty);
        Expression();
        if (m_current.kind != FormulaToken::End)
            Fail(TokenError(FormulaError::ExpectedOperator));
        m_chunk.SetMaxDepth(m_maxDepth);
    }

private:
    // expression = term {("+" | "-") term}
    void Expression()
    {
        Term();
        while (m_current.kind == FormulaToken::Plus || m_current.kind == FormulaToken::Minus) {
            const FormulaOp op = m_current.kind == FormulaToken::Plus ? FormulaOp::Add : FormulaOp::Subtract;
            Advance();
            Term();
            EmitBinary(op);
        }
    }

    // term = factor {("*" | "/") factor}
    void Term()
    {
        Factor();
        while (m_current.kind == FormulaToken::Star || m_current.kind == FormulaToken::Slash) {
            const FormulaOp op = m_current.kind == FormulaToken::Star ? FormulaOp::Multiply : FormulaOp::Divide;
            Advance();
            Factor();
            EmitBinary(op);
        }
    }

    // factor = ["-"] primary
    void Factor()
    {
        const bool negate = m_current.kind == FormulaToken::Minus;
        if (negate)
            Advance();
        Primary();
        if (negate)
            m_chunk.Emit(FormulaOp::Negate);
    }

    // primary = number | "X" | constant | function "(" expression [";" expression] ")"
    //         | "(" expression ")"
    void Primary()
    {
        switch (m_current.kind) {
        case FormulaToken::Number:
            m_chunk.EmitConstant(m_current.number);
            Push(1);
            Advance();
            return;
        case FormulaToken::Name:
            Name();
            return;
        case FormulaToken::LeftParen: {
            Nest nest(*this);
            Advance();
            Expression();
            Expect(FormulaToken::RightParen, FormulaError::ExpectedRightParen);
            return;
        }
        default: Fail(TokenError(FormulaError::ExpectedOperand));
        }
    }

    // name = "X" | constant | function "(" expression [";" expression] ")"
    void Name()
    {
        const std::u16string_view text = m_scanner.Text(m_current);
        if (text == u"X") {
            m_chunk.Emit(FormulaOp::LoadX);
            Push(1);
            Advance();
            return;
        }
        const FormulaName* entry = FindFormulaName(text);
        if (entry == nullptr)
            Fail(FormulaError::UnknownName);
        const auto index = static_cast<uint32_t>(FormulaNameIndex(entry));
        Advance();
        if (entry->arity == 0) {
            m_chunk.Emit(FormulaOp::Call, index);
            Push(1);
            return;
        }
        Nest nest(*this);
        Expect(FormulaToken::LeftParen, FormulaError::ExpectedLeftParen);
        Expression();
        for (int argument = 1; argument < entry->arity; ++argument) {
            Expect(FormulaToken::Semicolon, FormulaError::ExpectedSemicolon);
            Expression();
        }
        Expect(FormulaToken::RightParen, FormulaError::ExpectedRightParen);
        m_chunk.Emit(FormulaOp::Call, index);
        Push(1 - entry->arity);
    }

    // Counts one level of nesting for as long as it lives.
    struct Nest {
        explicit Nest(Compiler& c) : compiler(c)
        {
            if (++compiler.m_depth > kMaxFormulaNesting)
                compiler.Fail(FormulaError::TooDeep);
        }
        ~Nest() { --compiler.m_depth; }
        Compiler& compiler;
    };

    void EmitBinary(FormulaOp op)
    {
        m_chunk.Emit(op);
        Push(-1);
    }

    void Push(int change)
    {
        m_stackDepth = static_cast<size_t>(static_cast<long>(m_stackDepth) + change);
        m_maxDepth = std::max(m_maxDepth, m_stackDepth);
    }

    void Advance() { m_current = m_scanner.Next(); }

    void Expect(FormulaToken kind, FormulaError error)
    {
        if (m_current.kind != kind)
            Fail(TokenError(error));
        Advance();
    }

    // A token the scanner could not make is the better explanation.
    FormulaError TokenError(FormulaError otherwise) const
    {
        switch (m_current.kind) {
        case FormulaToken::BadCharacter: return FormulaError::BadCharacter;
        case FormulaToken::BadNumber: return FormulaError::BadNumber;
        default: return otherwise;
        }
    }

    [[noreturn]] void Fail(FormulaError error) { throw CompileFailure{{error, m_current.position}}; }

    CFormulaScanner m_scanner;
    CFormulaChunk& m_chunk;
    FormulaLexeme m_current;
    int m_depth = 0;
    size_t m_stackDepth = 0;
    size_t m_maxDepth = 0;
};

} // namespace

FormulaDiagnostic CompileFormula(std::u16string_view text, CFormulaChunk& chunk)
{
    chunk.Clear();
    try {
        Compiler(text, chunk).CompileAll();
    } catch (const CompileFailure& failure) {
        chunk.Clear();
        return failure.diagnostic;
    }
    return {};
}
