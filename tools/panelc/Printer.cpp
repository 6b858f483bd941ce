#include "Printer.h"

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdio>

namespace panelc {

namespace {

constexpr size_t kLineWidth = 100;

std::string Hex32(int64_t value)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", unsigned(uint32_t(value)));
    return text;
}

template <class Real>
std::string FormatReal(Real value)
{
    char text[64];
    const auto result = std::to_chars(text, text + sizeof text, value);
    return std::string(text, result.ptr);
}

class Printer {
public:
    explicit Printer(const BlobSaver& saveBlob) : m_saveBlob(saveBlob) {}

    std::string Print(const Layout& layout);

private:
    std::string Format(const FieldSpec& field, const Value& value, size_t indent);
    // "{a=1 b=2 ...}", wrapped onto lines indented by indent + 4 when long.
    std::string FormatFields(const StructSpec& spec, const std::vector<Value>& values, size_t indent);
    std::string FormatControl(const Control& control);

    const BlobSaver& m_saveBlob;
};

std::string Printer::Format(const FieldSpec& field, const Value& value, size_t indent)
{
    switch (field.type) {
    case FieldType::U8:
    case FieldType::U16:
    case FieldType::U32:
    case FieldType::I32: return std::to_string(value.integer);
    case FieldType::Id: return std::to_string(int32_t(uint32_t(value.integer)));
    case FieldType::Flags:
    case FieldType::Argb: return Hex32(value.integer);
    case FieldType::Colour: return uint32_t(value.integer) == 0xFFFFFFFFu ? "default" : Hex32(value.integer);
    case FieldType::F32: {
        const float single = std::bit_cast<float>(uint32_t(value.integer));
        if (!std::isnan(single))
            return FormatReal(single);
        char bits[16];
        std::snprintf(bits, sizeof bits, "0x%08X", unsigned(uint32_t(value.integer)));
        return bits;
    }
    case FieldType::F64: {
        if (!std::isnan(value.real))
            return FormatReal(value.real);
        char bits[24];
        std::snprintf(bits, sizeof bits, "0x%016llX", static_cast<unsigned long long>(std::bit_cast<uint64_t>(value.real)));
        return bits;
    }
    case FieldType::Text: return QuoteText(value.text);
    case FieldType::Rect: {
        const auto& r = value.rect;
        return std::to_string(r[0]) + "," + std::to_string(r[1]) + "," + std::to_string(r[2]) + "," +
               std::to_string(r[3]);
    }
    case FieldType::Font:
    case FieldType::Struct:
    case FieldType::Object: return FormatFields(*field.sub, value.fields, indent);
    case FieldType::ObjectArray:
    case FieldType::List: {
        if (value.items.empty())
            return "[]";
        std::string out = "[\n";
        for (const auto& item : value.items)
            out += std::string(indent + 4, ' ') + FormatFields(*field.sub, item, indent + 4) + "\n";
        return out + std::string(indent, ' ') + "]";
    }
    case FieldType::Blob: {
        const std::string name = m_saveBlob ? m_saveBlob(field.blob, value.bytes) : std::string();
        if (!name.empty())
            return QuoteText(Utf8ToString(name));
        std::string out = "hex\"";
        char digits[3];
        for (uint8_t byte : value.bytes) {
            std::snprintf(digits, sizeof digits, "%02x", byte);
            out += digits;
        }
        return out + "\"";
    }
    }
    return {};
}

std::string Printer::FormatFields(const StructSpec& spec, const std::vector<Value>& values, size_t indent)
{
    std::string out = "{";
    size_t column = indent + 1;
    bool first = true;
    for (size_t i = 0; i < spec.fields.size(); ++i) {
        if (!IsPresent(spec.fields[i], spec, values))
            continue;
        const std::string item = spec.fields[i].name + "=" + Format(spec.fields[i], values[i], indent + 4);
        const bool multiLine = item.find('\n') != std::string::npos;
        if (!first && (multiLine || column + 1 + item.size() > kLineWidth)) {
            out += '\n';
            out.append(indent + 4, ' ');
            column = indent + 4;
        } else if (!first) {
            out += " ";
            ++column;
        }
        out += item;
        column += item.size();
        if (multiLine)
            column = item.size() - item.rfind('\n');
        first = false;
    }
    return out + "}";
}

std::string Printer::FormatControl(const Control& control)
{
    const StructSpec& spec = control.kind->record;
    std::string head = control.kind->name;
    std::vector<std::string> tail;
    for (size_t i = 0; i < spec.fields.size(); ++i) {
        const FieldSpec& field = spec.fields[i];
        const Value& value = control.fields[i];
        if (!IsPresent(field, spec, control.fields))
            continue;
        if (field.type == FieldType::Rect) {
            const auto& r = value.rect;
            const int64_t w = int64_t(r[2]) - r[0], h = int64_t(r[3]) - r[1];
            if (w >= INT32_MIN && w <= INT32_MAX && h >= INT32_MIN && h <= INT32_MAX)
                head += " box=" + std::to_string(r[0]) + "," + std::to_string(r[1]) + "," + std::to_string(w) +
                        "," + std::to_string(h);
            else
                head += " " + field.name + "=" + Format(field, value, 4);
        } else if (field.name == "id" || field.name == "flags") {
            head += " " + field.name + "=" + Format(field, value, 4);
        } else {
            tail.push_back(field.name + "=" + Format(field, value, 4));
        }
    }
    std::string line = head;
    bool fits = true;
    for (const auto& item : tail) {
        fits = fits && item.find('\n') == std::string::npos;
        line += " " + item;
    }
    if (fits && line.size() <= kLineWidth)
        return line + "\n";
    std::string out = head + "\n";
    for (const auto& item : tail)
        out += "    " + item + "\n";
    return out;
}

std::string Printer::Print(const Layout& layout)
{
    std::string out = "# Panel layout (vexa-panelc source)\n";
    out += "leading " + std::to_string(layout.leading) + "\n";
    out += "masks  ";
    for (uint32_t mask : layout.masks) {
        out += ' ';
        out += std::to_string(mask);
    }
    out += "\nsize    " + std::to_string(layout.width) + " " + std::to_string(layout.height) + "\n";
    out += "title   " + QuoteText(layout.title) + "\n";
    // One-line records stand together; a record over several lines stands apart.
    bool previousSpread = true;
    for (const Control& control : layout.controls) {
        const std::string record = FormatControl(control);
        const bool spread = record.find('\n') + 1 != record.size();
        out += (spread || previousSpread ? "\n" : "") + record;
        previousSpread = spread;
    }
    return out;
}

} // namespace

std::string QuoteText(const CString& text)
{
    std::string out = "\"";
    char escape[8];
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        const bool high = c >= 0xD800 && c <= 0xDBFF;
        const bool pairs = high && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF;
        if (c == '\\' || c == '"') {
            out += '\\';
            out += char(c);
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\t') {
            out += "\\t";
        } else if (c < 0x20 || c == 0x7F || (c >= 0xD800 && c <= 0xDFFF && !pairs)) {
            std::snprintf(escape, sizeof escape, "\\u%04X", unsigned(c));
            out += escape;
        } else if (pairs) {
            out += StringToUtf8(text.substr(i, 2));
            ++i;
        } else {
            out += StringToUtf8(text.substr(i, 1));
        }
    }
    return out + "\"";
}

std::string PrintLayout(const Layout& layout, const BlobSaver& saveBlob)
{
    return Printer(saveBlob).Print(layout);
}

} // namespace panelc
