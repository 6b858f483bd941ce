// The scanner of the formula language: turns a formula text into tokens,
// skipping blanks. Positions are character indexes into the text, so an
// error can point at the character the user has to fix.
#pragma once

#include <cstddef>
#include <string_view>

enum class FormulaToken {
    Number,
    Name,
    Plus,
    Minus,
    Star,
    Slash,
    Semicolon,
    LeftParen,
    RightParen,
    End,
    BadNumber,      // digits that do not make a finite number
    BadCharacter,   // a character the language does not use
};

struct FormulaLexeme {
    FormulaToken kind = FormulaToken::End;
    size_t position = 0;
    size_t length = 0;
    double number = 0;  // the value of a Number
};

class CFormulaScanner {
public:
    explicit CFormulaScanner(std::u16string_view text) : m_text(text) {}

    // The next token; End (again and again) once the text is used up.
    FormulaLexeme Next();
    std::u16string_view Text(const FormulaLexeme& lexeme) const
    {
        return m_text.substr(lexeme.position, lexeme.length);
    }

private:
    FormulaLexeme ScanNumber(size_t start);
    FormulaLexeme ScanName(size_t start);

    std::u16string_view m_text;
    size_t m_position = 0;
};
