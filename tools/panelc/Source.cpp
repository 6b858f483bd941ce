#include "Source.h"

#include <bit>
#include <charconv>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <optional>

#include "Bmp.h"
#include "Lexer.h"

namespace panelc {

namespace {

std::string Quote(const std::string& word)
{
    return "'" + word + "'";
}

std::string Describe(const Token& token)
{
    switch (token.kind) {
    case Token::Kind::End: return "the end of the file";
    case Token::Kind::Text: return "a text";
    case Token::Kind::Bytes: return "hex bytes";
    default: return Quote(token.spelling);
    }
}

// A whole number in decimal or 0x hex, with an optional sign.
std::optional<int64_t> ParseWhole(std::string_view s)
{
    bool negative = false;
    if (!s.empty() && (s[0] == '-' || s[0] == '+')) {
        negative = s[0] == '-';
        s.remove_prefix(1);
    }
    int base = 10;
    if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
        base = 16;
        s.remove_prefix(2);
    }
    uint64_t magnitude = 0;
    const auto [end, error] = std::from_chars(s.data(), s.data() + s.size(), magnitude, base);
    if (s.empty() || error != std::errc() || end != s.data() + s.size() || magnitude > (uint64_t(1) << 40))
        return std::nullopt;
    return negative ? -int64_t(magnitude) : int64_t(magnitude);
}

template <class Real>
std::optional<Real> ParseReal(std::string_view s)
{
    if (!s.empty() && s[0] == '+')
        s.remove_prefix(1);
    Real value{};
    const auto [end, error] = std::from_chars(s.data(), s.data() + s.size(), value);
    if (s.empty() || error != std::errc() || end != s.data() + s.size())
        return std::nullopt;
    return value;
}

// A floating-point number given by its IEEE bits ("0x7FF8000000000001"),
// the form in which values without a decimal spelling (NaNs) are printed.
std::optional<uint64_t> ParseBits(std::string_view s, size_t bytes)
{
    if (s.size() < 3 || s[0] != '0' || (s[1] != 'x' && s[1] != 'X') || s.size() - 2 > 2 * bytes)
        return std::nullopt;
    uint64_t bits = 0;
    const auto [end, error] = std::from_chars(s.data() + 2, s.data() + s.size(), bits, 16);
    if (error != std::errc() || end != s.data() + s.size())
        return std::nullopt;
    return bits;
}

std::string DescribeCondition(const Condition& c)
{
    char text[96];
    if (c.mask == c.equals && c.mask != 0 && (c.mask & (c.mask - 1)) == 0)
        std::snprintf(text, sizeof text, "%s has bit 0x%08X set", c.field.c_str(), unsigned(c.mask));
    else
        std::snprintf(text, sizeof text, "%s is %u", c.field.c_str(), unsigned(c.equals));
    return text;
}

class Parser {
public:
    Parser(std::vector<Token> tokens, std::filesystem::path baseDir)
        : m_tokens(std::move(tokens)), m_baseDir(std::move(baseDir))
    {
    }

    Layout ParseLayout();

    // Reads one value of the field's type; structures start from `start`.
    Value ParseValue(const FieldSpec& field, Value start);

    bool AtEnd() const { return Peek().kind == Token::Kind::End; }

private:
    const Token& Peek() const { return m_tokens[m_pos]; }
    const Token& Next() { return m_tokens[m_pos < m_tokens.size() - 1 ? m_pos++ : m_pos]; }
    bool AtStatementEnd() const { return Peek().kind == Token::Kind::End || Peek().startsLine; }
    const Token& Expect(Token::Kind kind, const char* what);
    void ExpectMark(const char* mark);
    int64_t Whole(int64_t minimum, int64_t maximum, const char* what);

    void ParseHeader(const Token& word, Layout& layout);
    // name=value pairs up to the end of the statement or, when braced, the '}'.
    void ParseFields(const StructSpec& spec, std::vector<Value>& values, const std::string& what, bool braced,
                     int openLine);
    std::array<int32_t, 4> ParseFour();
    std::vector<uint8_t> ReadBlobFile(const FieldSpec& field, const Token& token);

    std::vector<Token> m_tokens;
    size_t m_pos = 0;
    std::filesystem::path m_baseDir;
};

const Token& Parser::Expect(Token::Kind kind, const char* what)
{
    const Token& token = Peek();
    if (token.kind != kind)
        throw SourceError(token.line, std::string("expected ") + what + ", found " + Describe(token));
    return Next();
}

void Parser::ExpectMark(const char* mark)
{
    if (!Peek().Is(mark))
        throw SourceError(Peek().line, std::string("expected '") + mark + "', found " + Describe(Peek()));
    Next();
}

int64_t Parser::Whole(int64_t minimum, int64_t maximum, const char* what)
{
    const Token& token = Expect(Token::Kind::Number, "a number");
    const auto value = ParseWhole(token.spelling);
    if (!value)
        throw SourceError(token.line, Quote(token.spelling) + " is not a whole number");
    if (*value < minimum || *value > maximum)
        throw SourceError(token.line, Quote(token.spelling) + " does not fit " + what);
    return *value;
}

std::array<int32_t, 4> Parser::ParseFour()
{
    std::array<int32_t, 4> four{};
    for (size_t i = 0; i < 4; ++i) {
        if (i > 0)
            ExpectMark(",");
        four[i] = int32_t(Whole(INT32_MIN, INT32_MAX, "a 32-bit coordinate"));
    }
    return four;
}

Value Parser::ParseValue(const FieldSpec& field, Value start)
{
    Value value = std::move(start);
    const Token& token = Peek();
    switch (field.type) {
    case FieldType::U8: value.integer = Whole(0, 0xFF, "8 bits"); break;
    case FieldType::U16: value.integer = Whole(0, 0xFFFF, "16 bits"); break;
    case FieldType::U32:
    case FieldType::Id:
    case FieldType::Flags:
        value.integer = int64_t(uint32_t(Whole(INT32_MIN, UINT32_MAX, "32 bits")));
        break;
    case FieldType::I32: value.integer = int32_t(uint32_t(Whole(INT32_MIN, UINT32_MAX, "32 bits"))); break;
    case FieldType::Colour:
    case FieldType::Argb:
        if (token.kind == Token::Kind::Name && token.spelling == "default") {
            Next();
            value.integer = 0xFFFFFFFF;
        } else {
            value.integer = int64_t(uint32_t(Whole(INT32_MIN, UINT32_MAX, "a 32-bit colour")));
        }
        break;
    case FieldType::F32:
    case FieldType::F64: {
        if (token.kind != Token::Kind::Number && token.kind != Token::Kind::Name)
            throw SourceError(token.line, "expected a number, found " + Describe(token));
        Next();
        const bool single = field.type == FieldType::F32;
        if (const auto bits = ParseBits(token.spelling, single ? 4 : 8)) {
            if (single)
                value.integer = int64_t(*bits);
            else
                value.real = std::bit_cast<double>(*bits);
        } else if (single) {
            const auto real = ParseReal<float>(token.spelling);
            if (!real)
                throw SourceError(token.line, Quote(token.spelling) + " is not a number");
            value.integer = std::bit_cast<uint32_t>(*real);
        } else {
            const auto real = ParseReal<double>(token.spelling);
            if (!real)
                throw SourceError(token.line, Quote(token.spelling) + " is not a number");
            value.real = *real;
        }
        break;
    }
    case FieldType::Text: value.text = Expect(Token::Kind::Text, "a quoted text").text; break;
    case FieldType::Rect: value.rect = ParseFour(); break;
    case FieldType::Font:
    case FieldType::Struct:
    case FieldType::Object:
        ExpectMark("{");
        ParseFields(*field.sub, value.fields, field.name, true, token.line);
        break;
    case FieldType::ObjectArray:
    case FieldType::List:
        ExpectMark("[");
        value.items.clear();
        while (!Peek().Is("]")) {
            if (Peek().kind == Token::Kind::End)
                throw SourceError(token.line, "'[' opened here is never closed");
            const int line = Peek().line;
            ExpectMark("{");
            std::vector<Value> item = DefaultFields(*field.sub);
            ParseFields(*field.sub, item, field.name + " item", true, line);
            value.items.push_back(std::move(item));
        }
        Next();
        break;
    case FieldType::Blob:
        if (token.kind == Token::Kind::Bytes) {
            value.bytes = Next().bytes;
        } else {
            value.bytes = ReadBlobFile(field, Expect(Token::Kind::Text, "a file name or hex\"...\""));
        }
        break;
    }
    return value;
}

std::vector<uint8_t> Parser::ReadBlobFile(const FieldSpec& field, const Token& token)
{
    const std::string name = StringToUtf8(token.text);
    std::ifstream in(m_baseDir / std::filesystem::u8path(name), std::ios::binary);
    if (!in)
        throw SourceError(token.line, "cannot read " + Quote(name));
    std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (field.blob != BlobKind::Dib)
        return bytes;
    std::string why;
    auto dib = DibFromBmpFile(bytes, why);
    if (!dib)
        throw SourceError(token.line, Quote(name) + ": " + why);
    return *dib;
}

void Parser::ParseFields(const StructSpec& spec, std::vector<Value>& values, const std::string& what, bool braced,
                         int openLine)
{
    std::vector<int> givenAt(spec.fields.size(), 0);
    const int rectIndex = spec.IndexOf("rect");
    for (;;) {
        const Token& token = Peek();
        if (braced) {
            if (token.Is("}")) {
                Next();
                break;
            }
            if (token.kind == Token::Kind::End)
                throw SourceError(openLine, "'{' opened here is never closed");
            if (token.startsLine)
                throw SourceError(token.line, "'}' missing before this line (the '{' is on line " +
                                                  std::to_string(openLine) + ")");
        } else if (AtStatementEnd()) {
            break;
        }
        if (token.kind != Token::Kind::Name)
            throw SourceError(token.line, "expected a field name, found " + Describe(token));
        const std::string name = Next().spelling;
        ExpectMark("=");
        const bool box = name == "box" && rectIndex >= 0;
        const int index = box ? rectIndex : spec.IndexOf(name);
        if (index < 0)
            throw SourceError(token.line, what + " has no field " + Quote(name));
        if (givenAt[size_t(index)] != 0)
            throw SourceError(token.line, "field " + Quote(spec.fields[size_t(index)].name) + " is given twice");
        givenAt[size_t(index)] = token.line;
        if (box) {
            const auto four = ParseFour();
            values[size_t(index)].rect = {four[0], four[1], int32_t(int64_t(four[0]) + four[2]),
                                          int32_t(int64_t(four[1]) + four[3])};
        } else {
            values[size_t(index)] = ParseValue(spec.fields[size_t(index)], std::move(values[size_t(index)]));
        }
    }
    for (size_t i = 0; i < spec.fields.size(); ++i) {
        const FieldSpec& field = spec.fields[i];
        const bool present = IsPresent(field, spec, values);
        if (givenAt[i] != 0 && !present)
            throw SourceError(givenAt[i], Quote(field.name) + " is stored only when " + DescribeCondition(field.when));
        if (field.required && present && givenAt[i] == 0)
            throw SourceError(openLine, what + " needs " + Quote(field.name) + " when " + DescribeCondition(field.when));
    }
}

void Parser::ParseHeader(const Token& word, Layout& layout)
{
    const std::string& w = word.spelling;
    if (w == "leading") {
        layout.leading = uint32_t(Whole(INT32_MIN, UINT32_MAX, "32 bits"));
    } else if (w == "masks") {
        for (size_t i = 0; i < layout.masks.size(); ++i) {
            if (i > 0 && Peek().Is(","))
                Next();
            if (AtStatementEnd())
                throw SourceError(word.line, "masks needs ten numbers, one per function-unit index");
            layout.masks[i] = uint32_t(Whole(INT32_MIN, UINT32_MAX, "32 bits"));
        }
    } else if (w == "size") {
        layout.width = uint32_t(Whole(0, UINT32_MAX, "32 bits"));
        if (Peek().Is(","))
            Next();
        layout.height = uint32_t(Whole(0, UINT32_MAX, "32 bits"));
    } else {
        layout.title = Expect(Token::Kind::Text, "a quoted title").text;
    }
    if (!AtStatementEnd())
        throw SourceError(Peek().line, "unexpected " + Describe(Peek()) + " after " + Quote(w));
}

Layout Parser::ParseLayout()
{
    Layout layout;
    std::vector<std::string> headersSeen;
    bool sized = false;
    while (!AtEnd()) {
        const Token& word = Next();
        if (word.kind != Token::Kind::Name || !word.startsLine)
            throw SourceError(word.line, "expected a control kind or a header word at the start of a line, found " +
                                             Describe(word));
        const std::string& w = word.spelling;
        if (w == "leading" || w == "masks" || w == "size" || w == "title") {
            for (const auto& seen : headersSeen)
                if (seen == w)
                    throw SourceError(word.line, Quote(w) + " is given twice");
            headersSeen.push_back(w);
            sized = sized || w == "size";
            ParseHeader(word, layout);
            continue;
        }
        const KindSpec* kind = FindKind(w);
        if (kind == nullptr)
            throw SourceError(word.line, "unknown control kind " + Quote(w));
        Control control;
        control.kind = kind;
        control.line = word.line;
        control.fields = DefaultFields(kind->record);
        ParseFields(kind->record, control.fields, kind->name, false, word.line);
        layout.controls.push_back(std::move(control));
    }
    if (!sized)
        throw SourceError(0, "the layout has no 'size' line");
    return layout;
}

} // namespace

Value DefaultValue(const FieldSpec& field)
{
    Value value;
    if (field.sub != nullptr && (field.type == FieldType::Font || field.type == FieldType::Struct ||
                                 field.type == FieldType::Object))
        value.fields = DefaultFields(*field.sub);
    if (field.defaultText.empty())
        return value;
    Parser parser(Tokenize(field.defaultText), {});
    value = parser.ParseValue(field, std::move(value));
    if (!parser.AtEnd())
        throw SourceError(0, "bad default for " + field.name);
    return value;
}

std::vector<Value> DefaultFields(const StructSpec& spec)
{
    std::vector<Value> values;
    values.reserve(spec.fields.size());
    for (const FieldSpec& field : spec.fields)
        values.push_back(DefaultValue(field));
    return values;
}

Layout ParseLayout(std::string_view source, const std::filesystem::path& baseDir)
{
    return Parser(Tokenize(source), baseDir).ParseLayout();
}

} // namespace panelc
