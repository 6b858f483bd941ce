#include "Lexer.h"

#include <cctype>

#include "Layout.h"

namespace panelc {

namespace {

bool IsNameStart(char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_'; }
bool IsNameChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }
bool IsDigit(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

class Lexer {
public:
    explicit Lexer(std::string_view source) : m_source(source) {}

    std::vector<Token> Run()
    {
        std::vector<Token> tokens;
        for (;;) {
            SkipBlanks();
            Token token;
            token.line = m_line;
            token.startsLine = m_pos == m_lineStart;
            if (m_pos >= m_source.size()) {
                tokens.push_back(token);
                return tokens;
            }
            const char c = m_source[m_pos];
            if (c == '"') {
                token.kind = Token::Kind::Text;
                token.text = ReadQuoted();
            } else if (m_source.substr(m_pos, 4) == "hex\"") {
                token.kind = Token::Kind::Bytes;
                m_pos += 3;
                token.bytes = ReadHexBytes();
            } else if (IsNameStart(c)) {
                token.kind = Token::Kind::Name;
                token.spelling = ReadWhile(IsNameChar);
            } else if (IsDigit(c) || ((c == '-' || c == '+' || c == '.') && StartsNumber())) {
                token.kind = Token::Kind::Number;
                token.spelling = ReadNumber();
            } else if (std::string_view("={}[],").find(c) != std::string_view::npos) {
                token.kind = Token::Kind::Mark;
                token.spelling = std::string(1, c);
                ++m_pos;
            } else {
                throw SourceError(m_line, std::string("unexpected character '") + c + "'");
            }
            tokens.push_back(std::move(token));
        }
    }

private:
    void SkipBlanks()
    {
        while (m_pos < m_source.size()) {
            const char c = m_source[m_pos];
            if (c == '\n') {
                ++m_line;
                m_lineStart = ++m_pos;
            } else if (c == ' ' || c == '\t' || c == '\r') {
                ++m_pos;
            } else if (c == '#') {
                while (m_pos < m_source.size() && m_source[m_pos] != '\n')
                    ++m_pos;
            } else {
                return;
            }
        }
    }

    bool StartsNumber() const
    {
        const size_t next = m_pos + 1;
        if (next >= m_source.size())
            return false;
        const char c = m_source[next];
        return IsDigit(c) || (c == '.' && m_source[m_pos] != '.') || (m_source[m_pos] != '.' && IsNameStart(c));
    }

    template <class Pred>
    std::string ReadWhile(Pred pred)
    {
        const size_t start = m_pos;
        while (m_pos < m_source.size() && pred(m_source[m_pos]))
            ++m_pos;
        return std::string(m_source.substr(start, m_pos - start));
    }

    // Digits, letters and points, and a sign after the exponent letter of a
    // decimal number ("1e-3"); the parser decides what the spelling means.
    std::string ReadNumber()
    {
        const size_t start = m_pos++;
        const bool hex = m_source.substr(start, 3) == "0x" || m_source.substr(start, 3) == "0X" ||
                         m_source.substr(start + 1, 2) == "0x" || m_source.substr(start + 1, 2) == "0X";
        while (m_pos < m_source.size()) {
            const char c = m_source[m_pos];
            const char before = m_source[m_pos - 1];
            if (IsNameChar(c) || c == '.' || ((c == '-' || c == '+') && !hex && (before == 'e' || before == 'E')))
                ++m_pos;
            else
                break;
        }
        return std::string(m_source.substr(start, m_pos - start));
    }

    // "..." with the escapes \\ \" \n \r \t and \uXXXX (one UTF-16 unit, so
    // that any stored text, even a lone surrogate, can be written down).
    CString ReadQuoted()
    {
        ++m_pos;
        CString out;
        std::string run;
        auto flush = [&] {
            out += Utf8ToString(run);
            run.clear();
        };
        for (;;) {
            if (m_pos >= m_source.size() || m_source[m_pos] == '\n')
                throw SourceError(m_line, "text without its closing quote");
            const char c = m_source[m_pos++];
            if (c == '"')
                break;
            if (c != '\\') {
                run += c;
                continue;
            }
            if (m_pos >= m_source.size())
                throw SourceError(m_line, "text without its closing quote");
            const char e = m_source[m_pos++];
            switch (e) {
            case '\\': run += '\\'; break;
            case '"': run += '"'; break;
            case 'n': run += '\n'; break;
            case 'r': run += '\r'; break;
            case 't': run += '\t'; break;
            case 'u': {
                uint32_t unit = 0;
                for (int i = 0; i < 4; ++i) {
                    const int d = m_pos < m_source.size() ? HexDigit(m_source[m_pos]) : -1;
                    if (d < 0)
                        throw SourceError(m_line, "\\u needs four hex digits");
                    unit = unit * 16 + uint32_t(d);
                    ++m_pos;
                }
                flush();
                out += char16_t(unit);
                break;
            }
            default:
                throw SourceError(m_line, std::string("unknown escape '\\") + e + "'");
            }
        }
        flush();
        return out;
    }

    std::vector<uint8_t> ReadHexBytes()
    {
        ++m_pos;
        std::vector<uint8_t> bytes;
        int high = -1;
        for (;;) {
            if (m_pos >= m_source.size() || m_source[m_pos] == '\n')
                throw SourceError(m_line, "hex\"...\" without its closing quote");
            const char c = m_source[m_pos++];
            if (c == '"')
                break;
            if (c == ' ')
                continue;
            const int d = HexDigit(c);
            if (d < 0)
                throw SourceError(m_line, std::string("'") + c + "' is not a hex digit");
            if (high < 0) {
                high = d;
            } else {
                bytes.push_back(uint8_t(high * 16 + d));
                high = -1;
            }
        }
        if (high >= 0)
            throw SourceError(m_line, "hex\"...\" needs an even number of digits");
        return bytes;
    }

    std::string_view m_source;
    size_t m_pos = 0;
    size_t m_lineStart = 0;
    int m_line = 1;
};

} // namespace

std::vector<Token> Tokenize(std::string_view source)
{
    return Lexer(source).Run();
}

} // namespace panelc
