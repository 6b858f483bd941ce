#include "Pixmap.h"

#include <array>
#include <cctype>
#include <optional>

namespace pixmap {

namespace {

constexpr int kMaxSide = 1024;

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

// The line without its comment, which a '#' begins when it is the first
// thing on the line, or stands alone after a blank (so "#RRGGBB" is a
// colour). Quoted rows are left alone.
std::string_view StripComment(std::string_view line)
{
    bool quoted = false;
    bool first = true;
    for (size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '"')
            quoted = !quoted;
        if (quoted || line[i] != '#') {
            first = first && IsBlank(line[i]);
            continue;
        }
        const bool alone = IsBlank(line[i - (i > 0 ? 1 : 0)]) && (i + 1 == line.size() || IsBlank(line[i + 1]));
        if (first || alone)
            return line.substr(0, i);
    }
    return line;
}

std::vector<std::string_view> Words(std::string_view line)
{
    std::vector<std::string_view> words;
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && IsBlank(line[i]))
            ++i;
        const size_t start = i;
        while (i < line.size() && !IsBlank(line[i]))
            ++i;
        if (i > start)
            words.push_back(line.substr(start, i - start));
    }
    return words;
}

std::optional<uint32_t> ParseColour(std::string_view word)
{
    if (word == "none")
        return 0u;
    if (word.size() != 7 && word.size() != 9)
        return std::nullopt;
    if (word[0] != '#')
        return std::nullopt;
    uint32_t value = 0;
    for (char c : word.substr(1)) {
        if (!std::isxdigit(static_cast<unsigned char>(c)))
            return std::nullopt;
        value = value * 16 + uint32_t(std::isdigit(static_cast<unsigned char>(c)) ? c - '0' : (c | 0x20) - 'a' + 10);
    }
    return word.size() == 7 ? 0xFF000000u | value : value;
}

std::optional<int> ParseSide(std::string_view word)
{
    if (word.empty() || word.size() > 4)
        return std::nullopt;
    int value = 0;
    for (char c : word) {
        if (!std::isdigit(static_cast<unsigned char>(c)))
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    if (value < 1 || value > kMaxSide)
        return std::nullopt;
    return value;
}

bool IsKey(char c) { return c > ' ' && c < 0x7F && c != '#' && c != '"'; }

class Parser {
public:
    Pixmap Run(std::string_view source);

private:
    void Line(std::string_view text);
    void Row(std::string_view text);
    void FinishImage();

    Pixmap m_pixmap;
    std::array<std::optional<uint32_t>, 128> m_palette{};
    int m_line = 0;
    int m_imageLine = 0;
    int m_rows = 0;  // rows read of the current image
};

Pixmap Parser::Run(std::string_view source)
{
    size_t start = 0;
    while (start <= source.size()) {
        size_t end = source.find('\n', start);
        if (end == std::string_view::npos)
            end = source.size();
        ++m_line;
        Line(source.substr(start, end - start));
        start = end + 1;
    }
    FinishImage();
    if (m_pixmap.images.empty())
        throw SourceError(0, "the file holds no image");
    return m_pixmap;
}

void Parser::Line(std::string_view text)
{
    text = StripComment(text);
    size_t first = 0;
    while (first < text.size() && IsBlank(text[first]))
        ++first;
    if (first == text.size())
        return;
    if (text[first] == '"') {
        Row(text.substr(first));
        return;
    }
    const auto words = Words(text);
    const std::string_view word = words[0];
    if (word == "image") {
        FinishImage();
        if (words.size() != 3)
            throw SourceError(m_line, "image needs a width and a height");
        const auto width = ParseSide(words[1]);
        const auto height = ParseSide(words[2]);
        if (!width || !height)
            throw SourceError(m_line, "image sizes run from 1 to " + std::to_string(kMaxSide));
        Image image;
        image.width = *width;
        image.height = *height;
        image.argb.reserve(size_t(*width) * size_t(*height));
        m_pixmap.images.push_back(std::move(image));
        m_imageLine = m_line;
        m_rows = 0;
    } else if (word == "colour") {
        if (words.size() != 3 || words[1].size() != 1 || !IsKey(words[1][0]))
            throw SourceError(m_line, "colour needs a one-character key (not '#' or '\"') and a colour");
        const auto colour = ParseColour(words[2]);
        if (!colour)
            throw SourceError(m_line, "'" + std::string(words[2]) + "' is not #RRGGBB, #AARRGGBB or none");
        auto& entry = m_palette[size_t(words[1][0])];
        if (entry)
            throw SourceError(m_line, "key '" + std::string(words[1]) + "' is defined twice");
        entry = *colour;
    } else if (word == "key") {
        const auto colour = words.size() == 2 && words[1].size() == 7 ? ParseColour(words[1]) : std::nullopt;
        if (!colour)
            throw SourceError(m_line, "key needs a colour #RRGGBB");
        m_pixmap.key = *colour & 0x00FFFFFFu;
    } else {
        throw SourceError(m_line, "unknown word '" + std::string(word) + "' (image, colour, key or a quoted row)");
    }
}

void Parser::Row(std::string_view text)
{
    if (m_pixmap.images.empty() || m_rows == m_pixmap.images.back().height)
        throw SourceError(m_line, "a row outside an image (each image takes as many rows as its height)");
    const size_t close = text.find('"', 1);
    if (close == std::string_view::npos)
        throw SourceError(m_line, "row without its closing quote");
    for (char c : text.substr(close + 1))
        if (!IsBlank(c))
            throw SourceError(m_line, "unexpected text after the row");
    const std::string_view keys = text.substr(1, close - 1);
    Image& image = m_pixmap.images.back();
    if (keys.size() != size_t(image.width))
        throw SourceError(m_line, "row of " + std::to_string(keys.size()) + " pixels in an image " +
                                      std::to_string(image.width) + " wide");
    for (char c : keys) {
        const auto& entry = IsKey(c) ? m_palette[size_t(c)] : std::nullopt;
        if (!entry)
            throw SourceError(m_line, std::string("key '") + c + "' has no colour");
        image.argb.push_back(*entry);
    }
    ++m_rows;
}

void Parser::FinishImage()
{
    if (!m_pixmap.images.empty() && m_rows != m_pixmap.images.back().height)
        throw SourceError(m_imageLine, "image has " + std::to_string(m_rows) + " of its " +
                                           std::to_string(m_pixmap.images.back().height) + " rows");
}

} // namespace

Pixmap ParsePixmap(std::string_view source)
{
    return Parser().Run(source);
}

} // namespace pixmap
