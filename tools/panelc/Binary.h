// The stored form of a layout (custom resource type 301): the leading value,
// the resource record, width, height, title, the control records and the end
// code, written and read with the framework's archive encoding.
#pragma once

#include <cstdint>
#include <vector>

#include "Layout.h"

namespace panelc {

// The layout's bytes.
std::vector<uint8_t> CompileLayout(const Layout& layout);

// Reads a stored layout; throws BinaryError where the bytes do not match
// the format, and also when they are readable but not in the exact form
// CompileLayout writes (so that compiling the result gives the same bytes).
Layout DecompileLayout(const std::vector<uint8_t>& bytes);

} // namespace panelc
