#include "SkinSource.h"

#include <cstdio>
#include <map>
#include <memory>
#include <set>

#include "framework/Archive.h"
#include "viframework/SkinManager.h"

namespace {

// ---------------------------------------------------------------- fields

enum class Kind { Number, Signed, Byte, Colour, ColorRef, Font };

struct Binding {
    std::string key;
    Kind kind;
    void* target;
    std::string comment;
};

using Section = std::vector<Binding>;

constexpr const char* kFaceComments[6] = {
    "corner radius", "face top colour", "face bottom colour", "border colour", "border width",
    "gloss: alpha of the white sheen over the upper half (0..255)"};
constexpr const char* kFaceKeys[6] = {"radius", "top", "bottom", "border", "border_width", "gloss"};
constexpr Kind kFaceKinds[6] = {Kind::Number, Kind::Colour, Kind::Colour, Kind::Colour, Kind::Number, Kind::Number};

Section TopFields(CVISkinManager& s)
{
    return {
        {"version", Kind::Number, &s.m_recordVersion, "record version (not examined by the reader)"},
        {"reserved", Kind::Byte, &s.m_recordReserved, "byte after the version (skipped by the reader)"},
        {"smoothing_mode", Kind::Number, &s.m_smoothingMode, "GDI+ smoothing mode (4: antialias)"},
        {"compositing_quality", Kind::Number, &s.m_compositingQuality, "GDI+ compositing quality (2: high quality)"},
        {"text_rendering_hint", Kind::Number, &s.m_textRenderingHint, "GDI+ text rendering hint (3: antialias grid-fit)"},
        {"background_colour", Kind::ColorRef, &s.m_backgroundColour, "panel background"},
        {"label_colour", Kind::Colour, &s.m_colour, "text of labels that use the skin's colour"},
        {"text_font", Kind::Font, &s.m_textFont, "font of button, item and drop-down texts"},
        {"link_hover_colour", Kind::Colour, &s.m_extraColours[0], "hyperlink text under the pointer"},
        {"active_half_colour", Kind::Colour, &s.m_extraColours[1], "lit half of a pressed up/down button"},
    };
}

Section ColourTableFields(CVISkinManager& s)
{
    static constexpr const char* keys[10] = {"shadow",         "hover_ring",    "mark",          "glyph",
                                             "separator",      "highlight_line", "selected_text", "disabled_text",
                                             "link_text",      "button_text"};
    static constexpr const char* comments[10] = {
        "drop shadow below raised faces",        "border of a control under the pointer",
        "check mark and radio dot",              "arrows of glyphs, drop-downs and up/down buttons",
        "line between joined group items",       "inner highlight along the top of raised faces",
        "text of a selected group item",         "text of a disabled group item",
        "hyperlink text",                        "button text"};
    Section section;
    for (size_t i = 0; i < 10; ++i)
        section.push_back({keys[i], Kind::Colour, &s.m_colourTable[i], comments[i]});
    return section;
}

void AddFace(Section& section, const std::string& prefix, uint32_t* first, const std::string& what)
{
    for (size_t i = 0; i < 6; ++i)
        section.push_back({prefix + "." + kFaceKeys[i], kFaceKinds[i], first + i, what + ": " + kFaceComments[i]});
}

Section LookFields(CVISkinManager& s)
{
    uint32_t* p = s.m_lookParameters.data();
    Section section = {
        {"hover_lift", Kind::Number, p + kLookHoverLift, "brightness added to a face under the pointer"},
        {"press_depth", Kind::Number, p + kLookPressDepth, "brightness taken from a pressed face"},
        {"shadow_offset", Kind::Number, p + kLookShadowOffset, "drop shadow distance below raised faces (0: none)"},
        {"mark_size", Kind::Number, p + kLookMarkSize, "check box side and radio well diameter (0: fit)"},
    };
    AddFace(section, "standard", p + kLookStandardFace, "standard buttons and group items");
    AddFace(section, "accent", p + kLookAccentFace, "accent buttons (styles 2, 3, 5, 11)");
    AddFace(section, "field", p + kLookFieldFace, "check boxes, radio wells, drop-downs, up/down");
    AddFace(section, "selected", p + kLookSelectedFace, "selected group items");
    return section;
}

void AddBody(Section& section, const std::string& prefix, uint32_t* v, const std::string& what)
{
    section.push_back({prefix + ".radius", Kind::Number, v + 0, what + ": corner radius"});
    section.push_back({prefix + ".gloss", Kind::Number, v + 1, what + ": gloss (0..255)"});
    section.push_back({prefix + ".border_width", Kind::Number, v + 2, what + ": border width"});
    section.push_back({prefix + ".bezel", Kind::Number, v + 3, what + ": bezel around the face"});
    section.push_back({prefix + ".border", Kind::Colour, v + 4, what + ": border colour"});
    section.push_back({prefix + ".face_top", Kind::Colour, v + 5, what + ": face top colour"});
    section.push_back({prefix + ".face_bottom", Kind::Colour, v + 6, what + ": face bottom colour"});
}

void AddLamp(Section& section, const std::string& prefix, uint32_t* v, const std::string& what)
{
    section.push_back({prefix + ".radius", Kind::Number, v + 0, what + ": radius (0: none)"});
    section.push_back({prefix + ".border_width", Kind::Number, v + 1, what + ": border width"});
    section.push_back({prefix + ".offset", Kind::Number, v + 2, what + ": centre distance from the face's edge"});
    section.push_back({prefix + ".border", Kind::Colour, v + 3, what + ": border colour"});
    section.push_back({prefix + ".centre", Kind::Colour, v + 4, what + ": highlight colour"});
    section.push_back({prefix + ".surround", Kind::Colour, v + 5, what + ": surround colour"});
}

Section PowerFields(CVISkinManager& s)
{
    uint32_t* v = s.m_powerAppearance.m_values.data();
    Section section;
    AddBody(section, "off", v + 0, "body while off");
    AddLamp(section, "off_lamp", v + 7, "state lamp while off");
    section.push_back({"symbol_radius", Kind::Number, v + 13, "power symbol radius"});
    AddBody(section, "on", v + 14, "body while on");
    AddLamp(section, "on_lamp", v + 21, "state lamp while on (the symbol glows in its surround)");
    AddLamp(section, "indicator", v + 27, "indicator lamp of styled buttons (offset: from the state lamp)");
    section.push_back({"symbol_width", Kind::Number, v + 33, "power symbol stroke in quarter units"});
    return section;
}

Section DisplayFields(CVISkinManager& s)
{
    return {
        {"lcd_frame", Kind::ColorRef, &s.m_lcdColours[0], "graphic LCD: frame"},
        {"lcd_lit", Kind::ColorRef, &s.m_lcdColours[1], "graphic LCD: lit dots"},
        {"lcd_unlit", Kind::ColorRef, &s.m_lcdColours[2], "graphic LCD: unlit dots"},
        {"segment_background", Kind::Colour, &s.m_segmentColours[0], "seven-segment: background"},
        {"segment_unlit", Kind::Colour, &s.m_segmentColours[1], "seven-segment: unlit segments"},
        {"segment_lit", Kind::Colour, &s.m_segmentColours[2], "seven-segment: lit segments"},
    };
}

void AddLampState(Section& section, const std::string& prefix, LampStateLook& state)
{
    section.push_back({prefix + ".border_width", Kind::Number, &state.borderWidth, "border width"});
    section.push_back({prefix + ".border", Kind::Colour, &state.borderColour, "border colour"});
    section.push_back({prefix + ".centre", Kind::Colour, &state.centreColour, "highlight colour"});
    section.push_back({prefix + ".surround", Kind::Colour, &state.surroundColour, "colour at the edge"});
    section.push_back({prefix + ".highlight_x", Kind::Signed, &state.highlightX, "highlight from the left"});
    section.push_back({prefix + ".highlight_y", Kind::Signed, &state.highlightY, "highlight from the top"});
}

Section LampFields(CHotStatusInfo& look)
{
    Section section = {{"size", Kind::Number, &look.m_size, "natural width and height"}};
    AddLampState(section, "lit", look.m_lit);
    AddLampState(section, "unlit", look.m_unlit);
    return section;
}

// ---------------------------------------------------------------- reading values

std::string_view Trim(std::string_view text)
{
    const size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos)
        return {};
    const size_t last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

std::string_view StripComment(std::string_view line)
{
    bool quoted = false;
    for (size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (quoted) {
            if (c == '\\')
                ++i;
            else if (c == '"')
                quoted = false;
        } else if (c == '"') {
            quoted = true;
        } else if (c == '#') {
            const char next = i + 1 < line.size() ? line[i + 1] : ' ';
            if (next == ' ' || next == '\t' || next == '#' || next == '\r')
                return line.substr(0, i);
        }
    }
    return line;
}

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

int64_t ParseInteger(std::string_view text, int line, int64_t lowest, int64_t highest)
{
    const std::string original(text);
    bool negative = false;
    if (!text.empty() && text[0] == '-') {
        negative = true;
        text.remove_prefix(1);
    }
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    if (text.empty())
        throw SkinSourceError(line, "a number was expected, not '" + original + "'");
    int64_t value = 0;
    for (char c : text) {
        const int digit = HexDigit(c);
        if (digit < 0 || digit >= base)
            throw SkinSourceError(line, "a number was expected, not '" + original + "'");
        value = value * base + digit;
        if (value > (int64_t(1) << 33))
            throw SkinSourceError(line, "number out of range: " + original);
    }
    if (negative)
        value = -value;
    if (value < lowest || value > highest)
        throw SkinSourceError(line, "number out of range: " + original);
    return value;
}

uint32_t ParseColour(std::string_view text, int line, bool colorRef)
{
    if (text.empty() || text[0] != '#')
        return uint32_t(ParseInteger(text, line, 0, 0xFFFFFFFFll));
    const std::string_view digits = text.substr(1);
    if (digits.size() != 6 && (colorRef || digits.size() != 8))
        throw SkinSourceError(line, "a colour is #RRGGBB" + std::string(colorRef ? "" : " or #AARRGGBB") + ", not '" +
                                        std::string(text) + "'");
    uint32_t value = 0;
    for (char c : digits) {
        const int digit = HexDigit(c);
        if (digit < 0)
            throw SkinSourceError(line, "bad colour '" + std::string(text) + "'");
        value = (value << 4) | uint32_t(digit);
    }
    if (colorRef)
        return ColorRefFromArgb(value);
    return digits.size() == 6 ? (0xFF000000u | value) : value;
}

// A quoted text; `rest` receives what follows the closing quote.
CString ParseQuoted(std::string_view text, int line, std::string_view& rest)
{
    if (text.empty() || text[0] != '"')
        throw SkinSourceError(line, "a quoted name was expected");
    std::string value;
    for (size_t i = 1; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\\' && i + 1 < text.size()) {
            value += text[++i];
        } else if (c == '"') {
            rest = text.substr(i + 1);
            return Utf8ToString(value);
        } else {
            value += c;
        }
    }
    throw SkinSourceError(line, "the quoted name is not closed");
}

std::vector<std::string_view> Words(std::string_view text)
{
    std::vector<std::string_view> words;
    size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
            ++i;
        const size_t start = i;
        while (i < text.size() && text[i] != ' ' && text[i] != '\t')
            ++i;
        if (i > start)
            words.push_back(text.substr(start, i - start));
    }
    return words;
}

FontRecord ParseFont(std::string_view text, int line)
{
    FontRecord font;
    std::string_view rest;
    font.faceName = ParseQuoted(text, line, rest);
    const std::vector<std::string_view> words = Words(rest);
    if (words.size() < 2)
        throw SkinSourceError(line, "a font is \"Face\" height weight [name=value ...]");
    font.height = int32_t(ParseInteger(words[0], line, INT32_MIN, INT32_MAX));
    font.weight = int32_t(ParseInteger(words[1], line, INT32_MIN, INT32_MAX));
    const std::map<std::string_view, int32_t*> wide = {
        {"width", &font.width}, {"escapement", &font.escapement}, {"orientation", &font.orientation}};
    const std::map<std::string_view, uint8_t*> narrow = {
        {"italic", &font.italic},           {"underline", &font.underline},
        {"strike_out", &font.strikeOut},    {"charset", &font.charSet},
        {"out_precision", &font.outPrecision}, {"clip_precision", &font.clipPrecision},
        {"quality", &font.quality},         {"pitch_family", &font.pitchAndFamily}};
    for (size_t i = 2; i < words.size(); ++i) {
        const size_t equals = words[i].find('=');
        const std::string_view name = words[i].substr(0, equals);
        if (equals == std::string_view::npos)
            throw SkinSourceError(line, "font option '" + std::string(words[i]) + "' needs name=value");
        const std::string_view value = words[i].substr(equals + 1);
        if (auto w = wide.find(name); w != wide.end())
            *w->second = int32_t(ParseInteger(value, line, INT32_MIN, INT32_MAX));
        else if (auto n = narrow.find(name); n != narrow.end())
            *n->second = uint8_t(ParseInteger(value, line, 0, 255));
        else
            throw SkinSourceError(line, "unknown font option '" + std::string(name) + "'");
    }
    return font;
}

void Assign(const Binding& field, std::string_view value, int line)
{
    switch (field.kind) {
    case Kind::Number:
        *static_cast<uint32_t*>(field.target) = uint32_t(ParseInteger(value, line, 0, 0xFFFFFFFFll));
        break;
    case Kind::Signed:
        *static_cast<int32_t*>(field.target) = int32_t(ParseInteger(value, line, INT32_MIN, INT32_MAX));
        break;
    case Kind::Byte:
        *static_cast<uint8_t*>(field.target) = uint8_t(ParseInteger(value, line, 0, 255));
        break;
    case Kind::Colour:
        *static_cast<uint32_t*>(field.target) = ParseColour(value, line, false);
        break;
    case Kind::ColorRef:
        *static_cast<uint32_t*>(field.target) = ParseColour(value, line, true);
        break;
    case Kind::Font:
        *static_cast<FontRecord*>(field.target) = ParseFont(value, line);
        break;
    }
}

// ---------------------------------------------------------------- writing values

std::string Hex(uint32_t value, int digits)
{
    char text[16];
    std::snprintf(text, sizeof text, "%0*X", digits, unsigned(value));
    return text;
}

std::string QuoteText(const CString& text)
{
    std::string out = "\"";
    for (char c : StringToUtf8(text)) {
        if (c == '"' || c == '\\')
            out += '\\';
        out += c;
    }
    return out + "\"";
}

std::string FormatFont(const FontRecord& font)
{
    std::string out = QuoteText(font.faceName) + " " + std::to_string(font.height) + " " + std::to_string(font.weight);
    const std::pair<const char*, int64_t> options[] = {
        {"width", font.width},           {"escapement", font.escapement},      {"orientation", font.orientation},
        {"italic", font.italic},         {"underline", font.underline},        {"strike_out", font.strikeOut},
        {"charset", font.charSet},       {"out_precision", font.outPrecision}, {"clip_precision", font.clipPrecision},
        {"quality", font.quality},       {"pitch_family", font.pitchAndFamily}};
    for (const auto& [name, value] : options)
        if (value != 0)
            out += std::string(" ") + name + "=" + std::to_string(value);
    return out;
}

std::string FormatValue(const Binding& field)
{
    switch (field.kind) {
    case Kind::Number:
        return std::to_string(*static_cast<const uint32_t*>(field.target));
    case Kind::Signed:
        return std::to_string(*static_cast<const int32_t*>(field.target));
    case Kind::Byte:
        return std::to_string(*static_cast<const uint8_t*>(field.target));
    case Kind::Colour: {
        const uint32_t c = *static_cast<const uint32_t*>(field.target);
        return AlphaOf(c) == 0xFF ? "#" + Hex(c & 0xFFFFFFu, 6) : "#" + Hex(c, 8);
    }
    case Kind::ColorRef: {
        const uint32_t c = *static_cast<const uint32_t*>(field.target);
        return (c >> 24) == 0 ? "#" + Hex(ArgbFromColorRef(c) & 0xFFFFFFu, 6) : "0x" + Hex(c, 8);
    }
    case Kind::Font:
        return FormatFont(*static_cast<const FontRecord*>(field.target));
    }
    return {};
}

void FormatSection(std::string& out, const char* header, const Section& section)
{
    if (header)
        out += std::string("\n[") + header + "]\n";
    for (const Binding& field : section) {
        std::string line = field.key + " = " + FormatValue(field);
        if (line.size() < 36)
            line.resize(36, ' ');
        out += line + "  # " + field.comment + "\n";
    }
}

// ---------------------------------------------------------------- parsing state

class SkinParser {
public:
    explicit SkinParser(CVISkinManager& skin) : m_skin(skin) {}

    void Parse(std::string_view text)
    {
        Enter("", 1);
        int line = 0;
        size_t start = 0;
        while (start <= text.size()) {
            const size_t end = std::min(text.find('\n', start), text.size());
            ++line;
            Line(Trim(StripComment(text.substr(start, end - start))), line);
            start = end + 1;
        }
        Leave();
        for (const char* name : {"colour_table", "look", "power_button", "displays"})
            if (!m_done.count(name))
                throw SkinSourceError(0, std::string("section [") + name + "] is missing");
        if (m_lamps.empty())
            throw SkinSourceError(0, "a skin needs at least one [lamp_style]: every lamp asks for style 0");
        m_skin.m_lampStyles = std::move(m_lamps);
    }

private:
    void Line(std::string_view text, int line)
    {
        if (text.empty())
            return;
        if (text.front() == '[') {
            if (text.back() != ']')
                throw SkinSourceError(line, "a section header is [name]");
            Leave();
            Enter(std::string(Trim(text.substr(1, text.size() - 2))), line);
            return;
        }
        const size_t equals = text.find('=');
        if (equals == std::string_view::npos)
            throw SkinSourceError(line, "expected name = value");
        const std::string key(Trim(text.substr(0, equals)));
        const std::string_view value = Trim(text.substr(equals + 1));
        const auto found = m_index.find(key);
        if (found == m_index.end())
            throw SkinSourceError(line, "unknown field '" + key + "' in " + Where());
        if (!m_seen.insert(key).second)
            throw SkinSourceError(line, "field '" + key + "' given twice in " + Where());
        Assign(m_fields[found->second], value, line);
    }

    void Enter(const std::string& name, int line)
    {
        m_name = name;
        m_seen.clear();
        if (name == "lamp_style") {
            m_lamps.push_back(std::make_unique<CHotStatusInfo>());
            m_fields = LampFields(*m_lamps.back());
        } else {
            if (m_done.count(name))
                throw SkinSourceError(line, "section [" + name + "] given twice");
            if (name.empty())
                m_fields = TopFields(m_skin);
            else if (name == "colour_table")
                m_fields = ColourTableFields(m_skin);
            else if (name == "look")
                m_fields = LookFields(m_skin);
            else if (name == "power_button")
                m_fields = PowerFields(m_skin);
            else if (name == "displays")
                m_fields = DisplayFields(m_skin);
            else
                throw SkinSourceError(line, "unknown section [" + name + "]");
            m_done.insert(name);
        }
        m_index.clear();
        for (size_t i = 0; i < m_fields.size(); ++i)
            m_index[m_fields[i].key] = i;
    }

    void Leave()
    {
        for (const Binding& field : m_fields)
            if (!m_seen.count(field.key))
                throw SkinSourceError(0, "field '" + field.key + "' is missing in " + Where());
    }

    std::string Where() const
    {
        if (m_name == "lamp_style")
            return "[lamp_style] " + std::to_string(m_lamps.size() - 1);
        return m_name.empty() ? "the top section" : "[" + m_name + "]";
    }

    CVISkinManager& m_skin;
    std::string m_name;
    Section m_fields;
    std::map<std::string, size_t> m_index;
    std::set<std::string> m_seen;
    std::set<std::string> m_done;
    std::vector<std::unique_ptr<CHotStatusInfo>> m_lamps;
};

}  // namespace

void ParseSkinSource(std::string_view text, CVISkinManager& skin)
{
    SkinParser(skin).Parse(text);
}

std::string FormatSkinSource(const CVISkinManager& constSkin)
{
    // The bindings point into the skin; formatting only reads through them.
    auto& skin = const_cast<CVISkinManager&>(constSkin);
    std::string out =
        "# Skin source for vexa-skinc. Sections list their fields by purpose;\n"
        "# colours are #RRGGBB or #AARRGGBB, fonts \"Face\" height weight.\n";
    FormatSection(out, nullptr, TopFields(skin));
    FormatSection(out, "colour_table", ColourTableFields(skin));
    FormatSection(out, "look", LookFields(skin));
    FormatSection(out, "power_button", PowerFields(skin));
    FormatSection(out, "displays", DisplayFields(skin));
    for (const auto& lamp : skin.m_lampStyles)
        FormatSection(out, "lamp_style", LampFields(*lamp));
    return out;
}

std::vector<uint8_t> StoreSkinRecord(CVISkinManager& skin)
{
    CMemFile file;
    {
        CArchive ar(&file, CArchive::store);
        skin.Serialize(ar);
    }
    return file.Data();
}

std::vector<uint8_t> CompileSkin(std::string_view text)
{
    CVISkinManager skin;
    ParseSkinSource(text, skin);
    return StoreSkinRecord(skin);
}

std::string DecompileSkin(const std::vector<uint8_t>& bytes)
{
    CVISkinManager skin;
    CMemFile file(bytes.data(), bytes.size());
    CArchive ar(&file, CArchive::load);
    try {
        skin.Serialize(ar);
    } catch (const CException& e) {
        throw SkinSourceError(0, std::string("not a complete skin record (") + e.what() + ")");
    }
    if (file.GetPosition() != bytes.size())
        throw SkinSourceError(0, std::to_string(bytes.size() - file.GetPosition()) + " bytes follow the record");
    std::string text = FormatSkinSource(skin);
    if (CompileSkin(text) != bytes)
        throw SkinSourceError(0, "the record is not in the form this compiler writes; its text would differ");
    return text;
}
