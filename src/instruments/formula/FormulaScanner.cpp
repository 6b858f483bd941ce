#include "instruments/formula/FormulaScanner.h"

#include <charconv>
#include <cmath>
#include <string>

namespace {

bool IsDigit(char16_t c)
{
    return c >= u'0' && c <= u'9';
}

bool IsLetter(char16_t c)
{
    return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || c == u'_';
}

bool IsBlank(char16_t c)
{
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n';
}

} // namespace

FormulaLexeme CFormulaScanner::Next()
{
    while (m_position < m_text.size() && IsBlank(m_text[m_position]))
        ++m_position;
    const size_t start = m_position;
    if (start >= m_text.size())
        return {FormulaToken::End, start, 0};

    const char16_t c = m_text[start];
    if (IsDigit(c) || (c == u'.' && start + 1 < m_text.size() && IsDigit(m_text[start + 1])))
        return ScanNumber(start);
    if (IsLetter(c))
        return ScanName(start);

    FormulaToken kind;
    switch (c) {
    case u'+': kind = FormulaToken::Plus; break;
    case u'-': kind = FormulaToken::Minus; break;
    case u'*': kind = FormulaToken::Star; break;
    case u'/': kind = FormulaToken::Slash; break;
    case u';': kind = FormulaToken::Semicolon; break;
    case u'(': kind = FormulaToken::LeftParen; break;
    case u')': kind = FormulaToken::RightParen; break;
    default: kind = FormulaToken::BadCharacter; break;
    }
    m_position = start + 1;
    return {kind, start, 1};
}

// number = digits ["." digits] [("E" | "e") ["+" | "-"] digits], or "." digits ...
FormulaLexeme CFormulaScanner::ScanNumber(size_t start)
{
    size_t i = start;
    auto digits = [&] {
        const size_t from = i;
        while (i < m_text.size() && IsDigit(m_text[i]))
            ++i;
        return i > from;
    };
    digits();
    if (i < m_text.size() && m_text[i] == u'.') {
        ++i;
        digits();
    }
    bool badExponent = false;
    if (i < m_text.size() && (m_text[i] == u'E' || m_text[i] == u'e')) {
        ++i;
        if (i < m_text.size() && (m_text[i] == u'+' || m_text[i] == u'-'))
            ++i;
        badExponent = !digits();
    }
    m_position = i;
    FormulaLexeme lexeme{FormulaToken::Number, start, i - start};
    if (badExponent) {
        lexeme.kind = FormulaToken::BadNumber;
        return lexeme;
    }

    // Only ASCII digits, signs, "." and "E" got here, so narrowing is exact.
    std::string ascii(lexeme.length, '\0');
    for (size_t k = 0; k < lexeme.length; ++k)
        ascii[k] = static_cast<char>(m_text[start + k]);
    const auto result = std::from_chars(ascii.data(), ascii.data() + ascii.size(), lexeme.number);
    // Out of range either way (1E999 or 1E-999) is refused rather than
    // quietly becoming infinity or zero.
    if (result.ec != std::errc() || result.ptr != ascii.data() + ascii.size() || !std::isfinite(lexeme.number))
        lexeme.kind = FormulaToken::BadNumber;
    return lexeme;
}

// name = letter {letter | digit}
FormulaLexeme CFormulaScanner::ScanName(size_t start)
{
    size_t i = start;
    while (i < m_text.size() && (IsLetter(m_text[i]) || IsDigit(m_text[i])))
        ++i;
    m_position = i;
    return {FormulaToken::Name, start, i - start};
}
