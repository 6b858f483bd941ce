// Decoding packed device-independent bitmaps, the form bitmap resources and
// embedded panel pictures are stored in.
#include <bit>
#include <cstring>

#include "viframework/controls/PanelGraphics.h"

namespace {

constexpr uint32_t kCompressionRgb = 0;
constexpr uint32_t kCompressionBitFields = 3;
constexpr uint32_t kCompressionAlphaBitFields = 6;

// Sides beyond this are taken as damage, not as pictures.
constexpr int64_t kMaxSide = 32767;
constexpr int64_t kMaxPixels = int64_t(1) << 26;

uint16_t U16(const uint8_t* p)
{
    return uint16_t(p[0] | (p[1] << 8));
}

uint32_t U32(const uint8_t* p)
{
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

// One colour channel described by a bit mask.
struct Channel {
    uint32_t mask = 0;
    int shift = 0;
    uint32_t maximum = 0;

    explicit Channel(uint32_t m = 0) : mask(m)
    {
        if (mask != 0) {
            shift = std::countr_zero(mask);
            maximum = mask >> shift;
        }
    }
    uint32_t Extract(uint32_t pixel) const
    {
        if (maximum == 0)
            return 0;
        const uint64_t value = (pixel & mask) >> shift;
        return uint32_t((value * 255 + maximum / 2) / maximum);
    }
};

struct DibHeader {
    int64_t width = 0;
    int64_t height = 0;  // rows; the sign is taken out into topDown
    bool topDown = false;
    uint32_t bitCount = 0;
    uint32_t compression = kCompressionRgb;
    uint32_t colourCount = 0;  // entries in the colour table
    size_t colourEntrySize = 4;
    size_t tableOffset = 0;    // where the colour table starts
    uint32_t masks[4] = {};    // red, green, blue, alpha
    bool hasMasks = false;
};

bool ReadHeader(const uint8_t* data, size_t size, DibHeader& h)
{
    if (size < 4)
        return false;
    const uint32_t headerSize = U32(data);
    if (headerSize == 12) {
        // The old core header: 16-bit sides, always bottom-up, 3-byte colours.
        if (size < 12 || U16(data + 8) != 1)
            return false;
        h.width = U16(data + 4);
        h.height = U16(data + 6);
        h.bitCount = U16(data + 10);
        h.colourEntrySize = 3;
        h.tableOffset = 12;
        if (h.bitCount > 8 && h.bitCount != 24)
            return false;
        h.colourCount = h.bitCount <= 8 ? (1u << h.bitCount) : 0;
        return true;
    }
    if (headerSize < 40 || headerSize > size)
        return false;
    h.width = int32_t(U32(data + 4));
    const int32_t height = int32_t(U32(data + 8));
    if (U16(data + 12) != 1)
        return false;
    h.bitCount = U16(data + 14);
    h.compression = U32(data + 16);
    const uint32_t used = U32(data + 32);
    h.topDown = height < 0;
    h.height = height < 0 ? -int64_t(height) : height;
    h.tableOffset = headerSize;
    if (h.compression == kCompressionBitFields || h.compression == kCompressionAlphaBitFields) {
        if (h.bitCount != 16 && h.bitCount != 32)
            return false;
        const size_t maskCount = h.compression == kCompressionAlphaBitFields ? 4 : 3;
        if (headerSize >= 52) {
            // Version 4 and 5 headers carry the masks themselves.
            for (size_t i = 0; i < 3; ++i)
                h.masks[i] = U32(data + 40 + 4 * i);
            if (headerSize >= 56)
                h.masks[3] = U32(data + 52);
        } else {
            if (size < headerSize + 4 * maskCount)
                return false;
            for (size_t i = 0; i < maskCount; ++i)
                h.masks[i] = U32(data + headerSize + 4 * i);
            h.tableOffset += 4 * maskCount;
        }
        h.hasMasks = true;
    } else if (h.compression != kCompressionRgb) {
        return false;  // run-length, JPEG and PNG pictures are not ours
    }
    switch (h.bitCount) {
    case 1:
    case 4:
    case 8:
        if (used > (1u << h.bitCount))
            return false;
        h.colourCount = used != 0 ? used : (1u << h.bitCount);
        break;
    case 16:
    case 24:
    case 32:
        // A table beside true-colour bits is only a hint for palettes; skip it.
        if (used > 0x10000)
            return false;
        h.colourCount = used;
        break;
    default:
        return false;
    }
    if (!h.hasMasks && h.bitCount == 16) {
        h.masks[0] = 0x7C00, h.masks[1] = 0x03E0, h.masks[2] = 0x001F;
        h.hasMasks = true;
    }
    return true;
}

}  // namespace

std::shared_ptr<CPanelImage> DecodeDib(const uint8_t* data, size_t size)
{
    if (data == nullptr)
        return nullptr;
    DibHeader h;
    if (!ReadHeader(data, size, h))
        return nullptr;
    if (h.width <= 0 || h.height <= 0 || h.width > kMaxSide || h.height > kMaxSide ||
        h.width * h.height > kMaxPixels)
        return nullptr;

    const size_t tableBytes = size_t(h.colourCount) * h.colourEntrySize;
    if (h.tableOffset + tableBytes > size)
        return nullptr;
    std::vector<Argb> palette(h.colourCount);
    for (size_t i = 0; i < palette.size(); ++i) {
        const uint8_t* entry = data + h.tableOffset + i * h.colourEntrySize;
        palette[i] = 0xFF000000u | (uint32_t(entry[2]) << 16) | (uint32_t(entry[1]) << 8) | entry[0];
    }

    const size_t stride = size_t((h.width * h.bitCount + 31) / 32) * 4;
    const uint8_t* bits = data + h.tableOffset + tableBytes;
    if (size_t(data + size - bits) < stride * size_t(h.height))
        return nullptr;

    auto image = std::make_shared<CPanelImage>(int32_t(h.width), int32_t(h.height));
    const Channel red(h.masks[0]), green(h.masks[1]), blue(h.masks[2]), alpha(h.masks[3]);
    const bool plain32 = h.bitCount == 32 && !h.hasMasks;
    bool anyAlpha = false;

    for (int64_t row = 0; row < h.height; ++row) {
        const uint8_t* line = bits + stride * size_t(h.topDown ? row : h.height - 1 - row);
        Argb* out = &image->pixels[size_t(row) * size_t(h.width)];
        for (int64_t x = 0; x < h.width; ++x) {
            Argb colour = 0xFF000000u;
            switch (h.bitCount) {
            case 1:
            case 4:
            case 8: {
                const size_t bit = size_t(x) * h.bitCount;
                const uint32_t shift = 8 - h.bitCount - uint32_t(bit % 8);
                const uint32_t index = (line[bit / 8] >> shift) & ((1u << h.bitCount) - 1);
                // An index past a short table shows black rather than failing the picture.
                colour = index < palette.size() ? palette[index] : 0xFF000000u;
                break;
            }
            case 16:
            case 32: {
                if (plain32) {
                    const uint8_t* p = line + x * 4;
                    colour = (uint32_t(p[3]) << 24) | (uint32_t(p[2]) << 16) | (uint32_t(p[1]) << 8) | p[0];
                    anyAlpha |= p[3] != 0;
                    break;
                }
                const uint32_t pixel = h.bitCount == 16 ? U16(line + x * 2) : U32(line + x * 4);
                const uint32_t a = alpha.maximum != 0 ? alpha.Extract(pixel) : 0xFF;
                anyAlpha |= alpha.maximum != 0 && a != 0;
                colour = (a << 24) | (red.Extract(pixel) << 16) | (green.Extract(pixel) << 8) | blue.Extract(pixel);
                break;
            }
            case 24: {
                const uint8_t* p = line + x * 3;
                colour = 0xFF000000u | (uint32_t(p[2]) << 16) | (uint32_t(p[1]) << 8) | p[0];
                break;
            }
            }
            out[x] = colour;
        }
    }

    // Most 32-bit pictures leave the fourth byte at zero: they are opaque.
    const bool carriesAlpha = plain32 || alpha.maximum != 0;
    if (carriesAlpha && !anyAlpha)
        for (Argb& p : image->pixels)
            p |= 0xFF000000u;
    return image;
}
