#include <stdexcept>

#include "Pixmap.h"

namespace pixmap {

namespace {

constexpr uint32_t kInfoHeaderSize = 40;
constexpr uint32_t kFileHeaderSize = 14;
constexpr uint32_t kPixelsPerMetre = 2835;  // 72 dots per inch

void Put(std::vector<uint8_t>& out, uint32_t value, int size)
{
    for (int i = 0; i < size; ++i)
        out.push_back(uint8_t(value >> (8 * i)));
}

uint32_t Stride(uint32_t width, uint32_t bits)
{
    return (width * bits + 31) / 32 * 4;
}

// BITMAPINFOHEADER, uncompressed.
void PutInfoHeader(std::vector<uint8_t>& out, uint32_t width, uint32_t height, uint32_t bits, uint32_t imageSize,
                   uint32_t resolution)
{
    Put(out, kInfoHeaderSize, 4);
    Put(out, width, 4);
    Put(out, height, 4);
    Put(out, 1, 2);     // planes
    Put(out, bits, 2);
    Put(out, 0, 4);     // BI_RGB
    Put(out, imageSize, 4);
    Put(out, resolution, 4);
    Put(out, resolution, 4);
    Put(out, 0, 4);     // colours used
    Put(out, 0, 4);     // colours important
}

uint8_t Alpha(uint32_t argb) { return uint8_t(argb >> 24); }

// Colour rows bottom-up, BGR or BGRA, each padded to four bytes.
void PutPixels(std::vector<uint8_t>& out, const Image& image, uint32_t bits, uint32_t transparentRgb)
{
    const uint32_t stride = Stride(uint32_t(image.width), bits);
    for (int y = image.height - 1; y >= 0; --y) {
        const size_t start = out.size();
        for (int x = 0; x < image.width; ++x) {
            uint32_t argb = image.At(x, y);
            if (Alpha(argb) == 0)
                argb = transparentRgb;
            Put(out, argb & 0x00FFFFFFu, 3);
            if (bits == 32)
                out.push_back(Alpha(image.At(x, y)));
        }
        out.resize(start + stride, 0);
    }
}

} // namespace

std::vector<uint8_t> EncodeBmp(const Pixmap& pixmap)
{
    Image strip;
    strip.height = pixmap.images.front().height;
    for (const Image& image : pixmap.images) {
        if (image.height != strip.height)
            throw std::runtime_error("the images of a bitmap strip must have one height");
        strip.width += image.width;
    }
    strip.argb.resize(size_t(strip.width) * size_t(strip.height));
    bool partial = false;
    int left = 0;
    for (const Image& image : pixmap.images) {
        for (int y = 0; y < image.height; ++y)
            for (int x = 0; x < image.width; ++x) {
                const uint32_t argb = image.At(x, y);
                partial = partial || (Alpha(argb) != 0 && Alpha(argb) != 0xFF);
                strip.argb[size_t(y) * size_t(strip.width) + size_t(left + x)] = argb;
            }
        left += image.width;
    }
    const uint32_t bits = partial ? 32 : 24;
    const uint32_t imageSize = Stride(uint32_t(strip.width), bits) * uint32_t(strip.height);
    std::vector<uint8_t> out{'B', 'M'};
    Put(out, kFileHeaderSize + kInfoHeaderSize + imageSize, 4);
    Put(out, 0, 4);
    Put(out, kFileHeaderSize + kInfoHeaderSize, 4);
    PutInfoHeader(out, uint32_t(strip.width), uint32_t(strip.height), bits, imageSize, kPixelsPerMetre);
    PutPixels(out, strip, bits, pixmap.key);
    return out;
}

std::vector<uint8_t> EncodeIco(const Pixmap& pixmap)
{
    constexpr uint32_t kDirectorySize = 6, kEntrySize = 16;
    std::vector<std::vector<uint8_t>> entries;
    for (const Image& image : pixmap.images) {
        if (image.width > 256 || image.height > 256)
            throw std::runtime_error("icon images are at most 256 x 256");
        const uint32_t colourSize = Stride(uint32_t(image.width), 32) * uint32_t(image.height);
        const uint32_t maskStride = Stride(uint32_t(image.width), 1);
        std::vector<uint8_t> entry;
        // The height counts the colour rows and the mask rows together.
        PutInfoHeader(entry, uint32_t(image.width), uint32_t(image.height) * 2, 32,
                      colourSize + maskStride * uint32_t(image.height), 0);
        PutPixels(entry, image, 32, 0);
        for (int y = image.height - 1; y >= 0; --y) {
            std::vector<uint8_t> row(maskStride, 0);
            for (int x = 0; x < image.width; ++x)
                if (Alpha(image.At(x, y)) == 0)
                    row[size_t(x / 8)] |= uint8_t(0x80 >> (x % 8));
            entry.insert(entry.end(), row.begin(), row.end());
        }
        entries.push_back(std::move(entry));
    }
    std::vector<uint8_t> out;
    Put(out, 0, 2);
    Put(out, 1, 2);  // icon
    Put(out, uint32_t(entries.size()), 2);
    uint32_t offset = kDirectorySize + kEntrySize * uint32_t(entries.size());
    for (size_t i = 0; i < entries.size(); ++i) {
        const Image& image = pixmap.images[i];
        out.push_back(uint8_t(image.width == 256 ? 0 : image.width));
        out.push_back(uint8_t(image.height == 256 ? 0 : image.height));
        out.push_back(0);  // no palette
        out.push_back(0);
        Put(out, 1, 2);    // planes
        Put(out, 32, 2);   // bits per pixel
        Put(out, uint32_t(entries[i].size()), 4);
        Put(out, offset, 4);
        offset += uint32_t(entries[i].size());
    }
    for (const auto& entry : entries)
        out.insert(out.end(), entry.begin(), entry.end());
    return out;
}

} // namespace pixmap
