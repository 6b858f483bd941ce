#include "Binary.h"

#include <deque>
#include <functional>
#include <map>
#include <memory>

#include "Source.h"
#include "framework/Archive.h"
#include "framework/File.h"

namespace panelc {

namespace {

FontRecord FontFromFields(const std::vector<Value>& f)
{
    FontRecord font;
    font.height = int32_t(f[0].integer);
    font.width = int32_t(f[1].integer);
    font.escapement = int32_t(f[2].integer);
    font.orientation = int32_t(f[3].integer);
    font.weight = int32_t(f[4].integer);
    font.italic = uint8_t(f[5].integer);
    font.underline = uint8_t(f[6].integer);
    font.strikeOut = uint8_t(f[7].integer);
    font.charSet = uint8_t(f[8].integer);
    font.outPrecision = uint8_t(f[9].integer);
    font.clipPrecision = uint8_t(f[10].integer);
    font.quality = uint8_t(f[11].integer);
    font.pitchAndFamily = uint8_t(f[12].integer);
    font.faceName = f[13].text;
    return font;
}

std::vector<Value> FieldsFromFont(const FontRecord& font)
{
    std::vector<Value> f = DefaultFields(FontSpec());
    const int64_t numbers[] = {font.height, font.width, font.escapement, font.orientation, font.weight,
                               font.italic, font.underline, font.strikeOut, font.charSet, font.outPrecision,
                               font.clipPrecision, font.quality, font.pitchAndFamily};
    for (size_t i = 0; i < std::size(numbers); ++i)
        f[i].integer = numbers[i];
    f[13].text = font.faceName;
    return f;
}

// ---------------------------------------------------------------- writing

// An archived object whose class and fields come from a structure table.
class TableObject : public CObject {
public:
    TableObject(const CRuntimeClass* runtimeClass, std::function<void(CArchive&)> body)
        : m_class(runtimeClass), m_body(std::move(body))
    {
    }
    const CRuntimeClass* GetRuntimeClass() const override { return m_class; }
    void Serialize(CArchive& ar) override { m_body(ar); }

private:
    const CRuntimeClass* m_class;
    std::function<void(CArchive&)> m_body;
};

class Writer {
public:
    std::vector<uint8_t> Write(const Layout& layout);

private:
    void WriteFields(const StructSpec& spec, const std::vector<Value>& values);
    void WriteValue(const FieldSpec& field, const Value& value);
    void WriteObject(const StructSpec& spec, const std::vector<Value>& fields);

    CMemFile m_file;
    CArchive m_ar{&m_file, CArchive::store};
    std::map<const StructSpec*, CRuntimeClass> m_classes;
    // The archive remembers every object it stored by address; keeping them
    // alive stops a later object at a reused address from being written as
    // a back-reference.
    std::deque<TableObject> m_objects;
};

std::vector<uint8_t> Writer::Write(const Layout& layout)
{
    m_ar << layout.leading;
    for (uint32_t mask : layout.masks)
        m_ar << mask;
    m_ar << layout.width << layout.height << layout.title;
    for (const Control& control : layout.controls) {
        m_ar << control.kind->code;
        WriteFields(control.kind->record, control.fields);
    }
    m_ar << kEndOfList;
    return m_file.Data();
}

void Writer::WriteFields(const StructSpec& spec, const std::vector<Value>& values)
{
    for (size_t i = 0; i < spec.fields.size(); ++i)
        if (IsPresent(spec.fields[i], spec, values))
            WriteValue(spec.fields[i], values[i]);
}

void Writer::WriteObject(const StructSpec& spec, const std::vector<Value>& fields)
{
    auto [entry, added] = m_classes.try_emplace(&spec);
    if (added)
        entry->second = CRuntimeClass{spec.className.c_str(), spec.schema, nullptr, RUNTIME_CLASS(CObject)};
    m_objects.emplace_back(&entry->second, [this, &spec, &fields](CArchive&) { WriteFields(spec, fields); });
    m_ar.WriteObject(&m_objects.back());
}

void Writer::WriteValue(const FieldSpec& field, const Value& value)
{
    switch (field.type) {
    case FieldType::U8: m_ar << uint8_t(value.integer); break;
    case FieldType::U16: m_ar << uint16_t(value.integer); break;
    case FieldType::U32:
    case FieldType::Id:
    case FieldType::Flags:
    case FieldType::Colour:
    case FieldType::Argb: m_ar << uint32_t(value.integer); break;
    case FieldType::I32: m_ar << int32_t(value.integer); break;
    case FieldType::F32: m_ar << uint32_t(value.integer); break;  // the bits as they are
    case FieldType::F64: m_ar << value.real; break;
    case FieldType::Text: m_ar << value.text; break;
    case FieldType::Font: m_ar << FontFromFields(value.fields); break;
    case FieldType::Rect:
        for (int32_t side : value.rect)
            m_ar << side;
        break;
    case FieldType::Struct: WriteFields(*field.sub, value.fields); break;
    case FieldType::Object: WriteObject(*field.sub, value.fields); break;
    case FieldType::ObjectArray:
        m_ar.WriteCount(uint32_t(value.items.size()));
        for (const auto& item : value.items)
            WriteObject(*field.sub, item);
        break;
    case FieldType::List:
        m_ar << uint32_t(value.items.size());
        for (const auto& item : value.items)
            WriteFields(*field.sub, item);
        break;
    case FieldType::Blob:
        m_ar << uint32_t(value.bytes.size());
        m_ar.Write(value.bytes.data(), value.bytes.size());
        break;
    }
}

// ---------------------------------------------------------------- reading

class Reader {
public:
    explicit Reader(const std::vector<uint8_t>& bytes) : m_size(bytes.size()), m_file(bytes.data(), bytes.size()) {}

    Layout Read();
    size_t Offset() const { return size_t(m_file.GetPosition()); }

private:
    std::vector<Value> ReadFields(const StructSpec& spec);
    Value ReadValue(const FieldSpec& field);
    std::vector<Value> ReadObject(const StructSpec& spec);

    size_t m_size;
    CMemFile m_file;
    CArchive m_ar{&m_file, CArchive::load};
    // The archive's numbering of stored classes and objects, mirrored so
    // that class back-references resolve without a registry of kinds.
    uint32_t m_nextIndex = 1;
    std::map<uint32_t, const StructSpec*> m_classes;
};

Layout Reader::Read()
{
    Layout layout;
    m_ar >> layout.leading;
    for (uint32_t& mask : layout.masks)
        m_ar >> mask;
    m_ar >> layout.width >> layout.height >> layout.title;
    for (;;) {
        const size_t at = Offset();
        uint32_t code = 0;
        m_ar >> code;
        if (code == kEndOfList)
            break;
        const KindSpec* kind = FindKind(code);
        if (kind == nullptr)
            throw BinaryError(at, "type code " + std::to_string(code) + " has no control kind");
        Control control;
        control.kind = kind;
        control.fields = ReadFields(kind->record);
        layout.controls.push_back(std::move(control));
    }
    if (Offset() != m_size)
        throw BinaryError(Offset(), std::to_string(m_size - Offset()) + " bytes follow the end code");
    return layout;
}

std::vector<Value> Reader::ReadFields(const StructSpec& spec)
{
    std::vector<Value> values;
    values.reserve(spec.fields.size());
    for (const FieldSpec& field : spec.fields)
        values.push_back(IsPresent(field, spec, values) ? ReadValue(field) : DefaultValue(field));
    return values;
}

std::vector<Value> Reader::ReadObject(const StructSpec& spec)
{
    const size_t at = Offset();
    uint16_t shortTag = 0;
    m_ar >> shortTag;
    uint32_t tag = (uint32_t(shortTag & 0x8000u) << 16) | (shortTag & 0x7FFFu);
    if (shortTag == 0x7FFF)
        m_ar >> tag;
    if (!(tag & 0x80000000u))
        throw BinaryError(at, tag == 0 ? "a missing " + spec.className + " object"
                                       : "a reference to an earlier object, which a layout never holds");
    if (shortTag == 0xFFFF) {
        uint16_t schema = 0, length = 0;
        m_ar >> schema >> length;
        std::string name(length, '\0');
        m_ar.ReadExact(name.data(), length);
        if (name != spec.className || schema != spec.schema)
            throw BinaryError(at, "class " + name + " schema " + std::to_string(schema) + " where " +
                                      spec.className + " schema " + std::to_string(spec.schema) + " belongs");
        m_classes[m_nextIndex++] = &spec;
    } else {
        const auto known = m_classes.find(tag & 0x7FFFFFFFu);
        if (known == m_classes.end() || known->second != &spec)
            throw BinaryError(at, "a class reference that is not " + spec.className);
    }
    ++m_nextIndex;
    return ReadFields(spec);
}

Value Reader::ReadValue(const FieldSpec& field)
{
    Value value;
    switch (field.type) {
    case FieldType::U8: { uint8_t v; m_ar >> v; value.integer = v; break; }
    case FieldType::U16: { uint16_t v; m_ar >> v; value.integer = v; break; }
    case FieldType::U32:
    case FieldType::Id:
    case FieldType::Flags:
    case FieldType::Colour:
    case FieldType::Argb: { uint32_t v; m_ar >> v; value.integer = v; break; }
    case FieldType::I32: { int32_t v; m_ar >> v; value.integer = v; break; }
    case FieldType::F32: { uint32_t v; m_ar >> v; value.integer = v; break; }
    case FieldType::F64: m_ar >> value.real; break;
    case FieldType::Text: m_ar >> value.text; break;
    case FieldType::Font: {
        FontRecord font;
        m_ar >> font;
        value.fields = FieldsFromFont(font);
        break;
    }
    case FieldType::Rect:
        for (int32_t& side : value.rect)
            m_ar >> side;
        break;
    case FieldType::Struct: value.fields = ReadFields(*field.sub); break;
    case FieldType::Object: value.fields = ReadObject(*field.sub); break;
    case FieldType::ObjectArray: {
        const uint32_t count = m_ar.ReadCount();
        for (uint32_t i = 0; i < count; ++i)
            value.items.push_back(ReadObject(*field.sub));
        break;
    }
    case FieldType::List: {
        uint32_t count = 0;
        m_ar >> count;
        for (uint32_t i = 0; i < count; ++i)
            value.items.push_back(ReadFields(*field.sub));
        break;
    }
    case FieldType::Blob: {
        const size_t at = Offset();
        uint32_t count = 0;
        m_ar >> count;
        if (count > m_size - Offset())
            throw BinaryError(at, "a block of " + std::to_string(count) + " bytes where fewer are left");
        value.bytes.resize(count);
        m_ar.ReadExact(value.bytes.data(), count);
        break;
    }
    }
    return value;
}

} // namespace

std::vector<uint8_t> CompileLayout(const Layout& layout)
{
    return Writer().Write(layout);
}

Layout DecompileLayout(const std::vector<uint8_t>& bytes)
{
    Reader reader(bytes);
    Layout layout;
    try {
        layout = reader.Read();
    } catch (const CArchiveException&) {
        throw BinaryError(reader.Offset(), "the layout ends inside a record or holds a damaged length");
    }
    const std::vector<uint8_t> again = CompileLayout(layout);
    if (again != bytes) {
        size_t at = 0;
        while (at < again.size() && at < bytes.size() && again[at] == bytes[at])
            ++at;
        throw BinaryError(at, "readable, but not in the form this compiler writes (8-bit texts or long counts)");
    }
    return layout;
}

} // namespace panelc
