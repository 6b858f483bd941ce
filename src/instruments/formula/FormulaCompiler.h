// The compiler of the formula language: a recursive-descent parser that
// emits stack code while it reads. Grammar (blanks skipped, names in capitals):
//
//   expression = term {("+" | "-") term}
//   term       = factor {("*" | "/") factor}
//   factor     = ["-"] primary
//   primary    = number | "X" | constant | function "(" expression [";" expression] ")"
//              | "(" expression ")"
#pragma once

#include <cstddef>
#include <string_view>

#include "instruments/formula/FormulaChunk.h"
#include "instruments/formula/FormulaScanner.h"

// Why a text is not a formula.
enum class FormulaError {
    None,
    Empty,               // nothing but blanks
    BadCharacter,        // a character the language does not use
    BadNumber,           // a number without exponent digits, or out of range
    UnknownName,         // not X and not in the name table (names are capitals)
    ExpectedOperand,     // a number, X, a name or "(" was expected
    ExpectedLeftParen,   // a function name not followed by "("
    ExpectedSemicolon,   // a function of two arguments given one
    ExpectedRightParen,  // a ")" is missing, or a function got too many arguments
    ExpectedOperator,    // text after a complete formula
    TooDeep,             // nested deeper than kMaxFormulaNesting
};

// Parentheses and function calls nest at most this deep.
constexpr int kMaxFormulaNesting = 100;

struct FormulaDiagnostic {
    FormulaError error = FormulaError::None;
    size_t position = 0;  // character index of the offending token
};

// Compiles text into chunk; on an error the chunk is left empty.
FormulaDiagnostic CompileFormula(std::u16string_view text, CFormulaChunk& chunk);
