// Readable pixmaps: a palette of one-character keys and rows of keys, turned
// into .bmp files (bitmap resources) and .ico files (icon resources).
//
//     # one fin of the grille
//     key    #FF00FF          # what "none" becomes in a .bmp (the colour key)
//     colour .  none          # transparent
//     colour d  #1C1F22       # #RRGGBB, or #AARRGGBB for partial cover
//     image 12 54             # width height, then that many quoted rows
//     "..dddddddd.."
//
// A file may hold several images: a .bmp places them side by side (an image
// strip), an .ico holds each as one size of the icon. Keys are printable
// ASCII characters other than '#' and '"'. A '#' that is the first thing on
// a line, or stands alone after a blank, starts a comment.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace pixmap {

struct Image {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> argb;  // rows from the top, 0xAARRGGBB; alpha 0 is transparent

    uint32_t At(int x, int y) const { return argb[size_t(y) * size_t(width) + size_t(x)]; }
};

struct Pixmap {
    std::vector<Image> images;
    uint32_t key = 0x00FF00FF;  // RGB written for transparent pixels in a .bmp
};

struct SourceError : std::runtime_error {
    SourceError(int line, const std::string& message) : std::runtime_error(message), line(line) {}
    int line;
};

// Reads a pixmap source; throws SourceError with the line of the mistake.
Pixmap ParsePixmap(std::string_view source);

// A .bmp of all images side by side (same height): 24 bits per pixel, or 32
// (with alpha) when some pixel is partly transparent.
std::vector<uint8_t> EncodeBmp(const Pixmap& pixmap);

// An .ico with one 32-bit entry (colour with alpha, and the AND mask) per image.
std::vector<uint8_t> EncodeIco(const Pixmap& pixmap);

} // namespace pixmap
