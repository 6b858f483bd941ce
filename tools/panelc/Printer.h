// Writing a Layout as source text that reads back to the same layout: every
// field of every record is printed, so the text documents the whole record.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "Layout.h"

namespace panelc {

// Keeps a blob in a file beside the source and returns the name the source
// uses for it; an empty name prints the bytes inline as hex"...".
using BlobSaver = std::function<std::string(BlobKind kind, const std::vector<uint8_t>& bytes)>;

std::string PrintLayout(const Layout& layout, const BlobSaver& saveBlob);

// A text in the source's quoted form.
std::string QuoteText(const CString& text);

} // namespace panelc
