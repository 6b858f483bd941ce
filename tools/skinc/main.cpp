// vexa-skinc: turns skin sources into skin records (resource type 304) and back.
//   vexa-skinc compile SRC OUT     text form to record bytes
//   vexa-skinc decompile BIN OUT   record bytes to text form
//   vexa-skinc preview SRC OUT     a sample panel in the skin, as SVG
#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

#include "SkinPreview.h"
#include "SkinSource.h"
#include "viframework/SkinManager.h"

namespace {

std::string ReadAll(const char* path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error(std::string("cannot open ") + path);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteAll(const char* path, const void* data, size_t size)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(static_cast<const char*>(data), std::streamsize(size));
    if (!out)
        throw std::runtime_error(std::string("cannot write ") + path);
}

int Usage()
{
    std::cerr << "usage: vexa-skinc compile SRC OUT\n"
                 "       vexa-skinc decompile BIN OUT\n"
                 "       vexa-skinc preview SRC OUT.svg\n";
    return 2;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 4)
        return Usage();
    const std::string command = argv[1];
    try {
        if (command == "compile") {
            const std::vector<uint8_t> record = CompileSkin(ReadAll(argv[2]));
            WriteAll(argv[3], record.data(), record.size());
        } else if (command == "decompile") {
            const std::string bytes = ReadAll(argv[2]);
            const std::string text = DecompileSkin(std::vector<uint8_t>(bytes.begin(), bytes.end()));
            WriteAll(argv[3], text.data(), text.size());
        } else if (command == "preview") {
            CVISkinManager skin;
            ParseSkinSource(ReadAll(argv[2]), skin);
            const std::string svg = PreviewSkin(skin);
            WriteAll(argv[3], svg.data(), svg.size());
        } else {
            return Usage();
        }
    } catch (const std::exception& e) {
        std::cerr << "vexa-skinc: " << argv[2] << ": " << e.what() << "\n";
        return 1;
    }
    return 0;
}
