#include "Bmp.h"

namespace panelc {

namespace {

constexpr size_t kFileHeaderSize = 14;

uint32_t Get(const std::vector<uint8_t>& b, size_t at, size_t size)
{
    uint32_t value = 0;
    for (size_t i = 0; i < size; ++i)
        value |= uint32_t(b[at + i]) << (8 * i);
    return value;
}

void Put(std::vector<uint8_t>& b, uint32_t value, size_t size)
{
    for (size_t i = 0; i < size; ++i)
        b.push_back(uint8_t(value >> (8 * i)));
}

} // namespace

size_t DibPixelOffset(const std::vector<uint8_t>& dib)
{
    if (dib.size() < 12)
        return 0;
    const uint32_t headerSize = Get(dib, 0, 4);
    size_t offset = 0;
    if (headerSize == 12) {
        const uint32_t bits = Get(dib, 10, 2);
        offset = 12 + (bits <= 8 ? (size_t(1) << bits) * 3 : 0);
    } else if (headerSize == 40 || headerSize == 52 || headerSize == 56 || headerSize == 108 || headerSize == 124) {
        if (dib.size() < 40)
            return 0;
        const uint32_t bits = Get(dib, 14, 2);
        const uint32_t compression = Get(dib, 16, 4);
        const uint32_t used = Get(dib, 32, 4);
        if (used > 256)
            return 0;
        size_t masks = 0;
        if (headerSize == 40 && compression == 3)  // BI_BITFIELDS: three masks follow the header
            masks = 12;
        else if (headerSize == 40 && compression == 6)  // BI_ALPHABITFIELDS: four
            masks = 16;
        const size_t colours = used != 0 ? used : (bits <= 8 ? size_t(1) << bits : 0);
        offset = headerSize + masks + colours * 4;
    } else {
        return 0;
    }
    return offset <= dib.size() ? offset : 0;
}

std::optional<std::vector<uint8_t>> DibFromBmpFile(const std::vector<uint8_t>& file, std::string& why)
{
    if (file.size() < kFileHeaderSize + 12 || file[0] != 'B' || file[1] != 'M') {
        why = "not a .bmp file";
        return std::nullopt;
    }
    std::vector<uint8_t> dib(file.begin() + kFileHeaderSize, file.end());
    const size_t offset = DibPixelOffset(dib);
    if (offset == 0) {
        why = "the bitmap header is not one of the known forms";
        return std::nullopt;
    }
    if (Get(file, 10, 4) != kFileHeaderSize + offset) {
        why = "the pixels do not follow the colour table directly";
        return std::nullopt;
    }
    return dib;
}

std::optional<std::vector<uint8_t>> BmpFileFromDib(const std::vector<uint8_t>& dib)
{
    const size_t offset = DibPixelOffset(dib);
    if (offset == 0)
        return std::nullopt;
    std::vector<uint8_t> file{'B', 'M'};
    Put(file, uint32_t(kFileHeaderSize + dib.size()), 4);
    Put(file, 0, 4);
    Put(file, uint32_t(kFileHeaderSize + offset), 4);
    file.insert(file.end(), dib.begin(), dib.end());
    return file;
}

} // namespace panelc
