// The stored form of every panel layout record, as data: for each control
// kind the fields of its record in stored order, with their types, their
// constructor defaults (written in the source syntax) and the conditions
// under which optional parts are present. The compiler, the decompiler and the
// printer all walk these tables; none of them knows a control kind by itself.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace panelc {

enum class FieldType {
    U8,
    U16,
    U32,      // printed in decimal
    I32,
    Id,       // u32 printed as a signed number (-1 for "never addressed")
    Flags,    // u32 printed in hexadecimal
    F32,
    F64,
    Colour,   // u32 ARGB of a control; 0xFFFFFFFF (the skin's colour) is printed as "default"
    Argb,     // u32 ARGB of a look, where 0xFFFFFFFF is plain white
    Text,     // archive text (0xFF 0xFFFE marker, length, UTF-16LE)
    Font,     // the logical-font record; its fields form a structure
    Rect,     // 4 x i32: left, top, right, bottom
    Struct,   // the sub-structure's fields inline, one after the other
    Object,   // the sub-structure as an archived object (class tag, then fields)
    ObjectArray,  // archive count, then each element as an archived object
    List,     // u32 count, then each element's fields inline
    Blob,     // u32 byte count, then the bytes (a packed DIB or a metafile)
};

struct StructSpec;

// A field is present only when (value of `field` & mask) == equals; `field`
// names an earlier field of the same record or structure. Empty: always.
struct Condition {
    std::string field;
    uint32_t mask = 0;
    uint32_t equals = 0;

    bool Always() const { return field.empty(); }
};

// What a blob holds, which decides how the source names it in a file.
enum class BlobKind { None, Dib, Metafile };

struct FieldSpec {
    std::string name;
    FieldType type = FieldType::U32;
    // The default in source syntax; empty for the type's zero (0, "", {}, []).
    std::string defaultText;
    const StructSpec* sub = nullptr;  // Font, Struct, Object, ObjectArray, List
    Condition when;
    BlobKind blob = BlobKind::None;
    // A present field of this kind must be given in the source (no default).
    bool required = false;
};

struct StructSpec {
    std::string className;  // for archived objects
    uint32_t schema = 0;    // for archived objects
    std::vector<FieldSpec> fields;

    const FieldSpec* Find(std::string_view name) const;
    int IndexOf(std::string_view name) const;
};

// One control kind: its name in sources, its type code and its whole record
// after the type code (rect, id and flags first, then the tail).
struct KindSpec {
    std::string name;
    uint32_t code = 0;
    std::string className;  // the control's class, for documentation
    StructSpec record;
};

constexpr uint32_t kEndOfList = 32808;

// Every kind the format knows, in type-code order.
const std::vector<KindSpec>& Kinds();
const KindSpec* FindKind(std::string_view name);
const KindSpec* FindKind(uint32_t code);

// The font structure (height, width, ..., face) shared by every font field.
const StructSpec& FontSpec();

} // namespace panelc
