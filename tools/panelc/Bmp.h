// Packed device-independent bitmaps (header, colour table, pixels: the form a
// layout embeds) and the .bmp files that carry them in sources.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace panelc {

// Where the pixels of a packed DIB begin (header, masks and colour table
// before them); 0 when the header is not one this tool understands.
size_t DibPixelOffset(const std::vector<uint8_t>& dib);

// The packed DIB inside a .bmp file; `why` says what is wrong when there is none.
std::optional<std::vector<uint8_t>> DibFromBmpFile(const std::vector<uint8_t>& file, std::string& why);

// A .bmp file holding the packed DIB; none when its header is not understood.
std::optional<std::vector<uint8_t>> BmpFileFromDib(const std::vector<uint8_t>& dib);

} // namespace panelc
