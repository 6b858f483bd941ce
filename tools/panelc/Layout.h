// A panel layout in memory, as both the source reader and the binary reader
// produce it: the header and, for each control, one value per field of its
// kind's record (conditional fields that are absent keep their defaults).
#pragma once

#include <array>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "Schema.h"
#include "framework/Types.h"

namespace panelc {

// One field's value; which member counts follows from the field's type.
struct Value {
    int64_t integer = 0;               // U8 .. Flags, Colour; F32 as its IEEE bits
    double real = 0.0;                 // F64
    CString text;                      // Text
    std::array<int32_t, 4> rect{};     // Rect: left, top, right, bottom
    std::vector<uint8_t> bytes;        // Blob
    std::vector<Value> fields;         // Font, Struct, Object: one per sub-field
    std::vector<std::vector<Value>> items;  // ObjectArray, List: each item's fields

    bool operator==(const Value&) const = default;
};

struct Control {
    const KindSpec* kind = nullptr;
    std::vector<Value> fields;  // one per field of kind->record
    int line = 0;               // where the source gave it; 0 when read from a binary

    bool operator==(const Control& other) const { return kind == other.kind && fields == other.fields; }
};

struct Layout {
    uint32_t leading = 1;
    std::array<uint32_t, 10> masks{};
    uint32_t width = 0;
    uint32_t height = 0;
    CString title;
    std::vector<Control> controls;

    bool operator==(const Layout&) const = default;
};

// Whether a field is stored, given the values of the structure's fields so far.
bool IsPresent(const FieldSpec& field, const StructSpec& owner, const std::vector<Value>& values);

// A mistake in a source file; line 0 when it concerns the whole file.
struct SourceError : std::runtime_error {
    SourceError(int line, const std::string& message) : std::runtime_error(message), line(line) {}
    int line;
};

// A binary layout that cannot be read, with the offset where reading failed.
struct BinaryError : std::runtime_error {
    BinaryError(size_t offset, const std::string& message) : std::runtime_error(message), offset(offset) {}
    size_t offset;
};

} // namespace panelc
