// vexa-panelc: panel layout sources to layout resources (type 301) and back.
//
//   vexa-panelc compile SRC.panel OUT.bin
//   vexa-panelc decompile IN.bin OUT.panel
//   vexa-panelc kinds                  every control kind with its fields
//
// Mistakes in a source are reported as "file:line: message"; the exit status
// is then 1 (2 for a wrong command line).
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "Binary.h"
#include "Bmp.h"
#include "Printer.h"
#include "Source.h"

namespace fs = std::filesystem;
using namespace panelc;

namespace {

// Blocks up to this size stay inline in a decompiled source.
constexpr size_t kInlineBlobSize = 64;

std::optional<std::vector<uint8_t>> ReadFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    return std::vector<uint8_t>{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool WriteFile(const fs::path& path, const void* data, size_t size)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(static_cast<const char*>(data), std::streamsize(size));
    return bool(out.flush());
}

int Compile(const fs::path& source, const fs::path& output)
{
    const auto text = ReadFile(source);
    if (!text) {
        std::cerr << source.string() << ": cannot read the file\n";
        return 1;
    }
    std::vector<uint8_t> bytes;
    try {
        const Layout layout = ParseLayout(std::string_view(reinterpret_cast<const char*>(text->data()), text->size()),
                                          source.parent_path());
        bytes = CompileLayout(layout);
    } catch (const SourceError& e) {
        std::cerr << source.string();
        if (e.line > 0)
            std::cerr << ":" << e.line;
        std::cerr << ": " << e.what() << "\n";
        return 1;
    }
    if (!WriteFile(output, bytes.data(), bytes.size())) {
        std::cerr << output.string() << ": cannot write the file\n";
        return 1;
    }
    return 0;
}

int Decompile(const fs::path& input, const fs::path& output)
{
    const auto bytes = ReadFile(input);
    if (!bytes) {
        std::cerr << input.string() << ": cannot read the file\n";
        return 1;
    }
    Layout layout;
    try {
        layout = DecompileLayout(*bytes);
    } catch (const BinaryError& e) {
        std::cerr << input.string() << ": offset " << e.offset << ": " << e.what() << "\n";
        return 1;
    }
    int count = 0;
    bool saved = true;
    const BlobSaver save = [&](BlobKind kind, const std::vector<uint8_t>& blob) -> std::string {
        if (blob.size() <= kInlineBlobSize)
            return {};
        std::vector<uint8_t> file = blob;
        std::string extension = kind == BlobKind::Metafile ? ".emf" : ".bin";
        if (kind == BlobKind::Dib) {
            const auto bmp = BmpFileFromDib(blob);
            if (!bmp)
                return {};
            file = *bmp;
            extension = ".bmp";
        }
        const std::string name = output.stem().string() + "-" + std::to_string(++count) + extension;
        saved = saved && WriteFile(output.parent_path() / name, file.data(), file.size());
        return name;
    };
    const std::string text = PrintLayout(layout, save);
    if (!saved || !WriteFile(output, text.data(), text.size())) {
        std::cerr << output.string() << ": cannot write the file\n";
        return 1;
    }
    return 0;
}

const char* TypeName(FieldType type)
{
    switch (type) {
    case FieldType::U8: return "u8";
    case FieldType::U16: return "u16";
    case FieldType::U32: return "u32";
    case FieldType::I32: return "i32";
    case FieldType::Id: return "id";
    case FieldType::Flags: return "flags";
    case FieldType::F32: return "f32";
    case FieldType::F64: return "f64";
    case FieldType::Colour: return "colour";
    case FieldType::Argb: return "argb";
    case FieldType::Text: return "text";
    case FieldType::Font: return "font";
    case FieldType::Rect: return "rect";
    case FieldType::Struct: return "struct";
    case FieldType::Object: return "object";
    case FieldType::ObjectArray: return "object array";
    case FieldType::List: return "list";
    case FieldType::Blob: return "bytes";
    }
    return "?";
}

// Names, types and defaults; inside a structure whose default the field
// gives as a whole, that default is shown instead of the parts' own.
void ListFields(const StructSpec& spec, int depth, bool showDefaults)
{
    for (const FieldSpec& field : spec.fields) {
        std::cout << std::string(size_t(4 * depth), ' ') << field.name << " (" << TypeName(field.type);
        if (field.sub != nullptr && !field.sub->className.empty())
            std::cout << " " << field.sub->className;
        std::cout << ")";
        if (showDefaults && !field.defaultText.empty())
            std::cout << " = " << field.defaultText;
        if (!field.when.Always())
            std::cout << "   [only when " << field.when.field << " & 0x" << std::hex << field.when.mask << " == "
                      << std::dec << field.when.equals << "]";
        std::cout << "\n";
        if (field.sub != nullptr && field.type != FieldType::Font)
            ListFields(*field.sub, depth + 1, showDefaults && field.defaultText.empty());
    }
}

// The format's reference, from the same tables the compiler uses.
int ListKinds()
{
    for (const KindSpec& kind : Kinds()) {
        std::cout << kind.name << "  (type " << kind.code << ", " << kind.className << ")\n";
        ListFields(kind.record, 1, true);
    }
    std::cout << "font fields:\n";
    ListFields(FontSpec(), 1, true);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 2 && std::string(argv[1]) == "kinds")
        return ListKinds();
    const std::string command = argc == 4 ? argv[1] : "";
    if (command == "compile")
        return Compile(argv[2], argv[3]);
    if (command == "decompile")
        return Decompile(argv[2], argv[3]);
    std::cerr << "usage: vexa-panelc compile SRC.panel OUT.bin\n"
                 "       vexa-panelc decompile IN.bin OUT.panel\n"
                 "       vexa-panelc kinds\n";
    return 2;
}
