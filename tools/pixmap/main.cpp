// vexa-pixmap: readable pixmaps to bitmap and icon files.
//
//   vexa-pixmap compile SRC OUT.bmp    all images side by side, one bitmap
//   vexa-pixmap compile SRC OUT.ico    each image one size of the icon
//
// Mistakes are reported as "file:line: message" with exit status 1 (2 for a
// wrong command line).
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>

#include "Pixmap.h"

namespace fs = std::filesystem;

int main(int argc, char** argv)
{
    const fs::path output = argc == 4 ? argv[3] : "";
    const std::string extension = output.extension().string();
    if (argc != 4 || std::string(argv[1]) != "compile" || (extension != ".bmp" && extension != ".ico")) {
        std::cerr << "usage: vexa-pixmap compile SRC OUT.bmp|OUT.ico\n";
        return 2;
    }
    const std::string source = argv[2];
    std::ifstream in(source, std::ios::binary);
    if (!in) {
        std::cerr << source << ": cannot read the file\n";
        return 1;
    }
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    std::vector<uint8_t> bytes;
    try {
        const pixmap::Pixmap image = pixmap::ParsePixmap(text);
        bytes = extension == ".bmp" ? pixmap::EncodeBmp(image) : pixmap::EncodeIco(image);
    } catch (const pixmap::SourceError& e) {
        std::cerr << source;
        if (e.line > 0)
            std::cerr << ":" << e.line;
        std::cerr << ": " << e.what() << "\n";
        return 1;
    } catch (const std::runtime_error& e) {
        std::cerr << source << ": " << e.what() << "\n";
        return 1;
    }
    std::ofstream out(output, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    if (!out.flush()) {
        std::cerr << output.string() << ": cannot write the file\n";
        return 1;
    }
    return 0;
}
