#include "framework/Archive.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr uint16_t kNullTag = 0;
constexpr uint16_t kNewClassTag = 0xFFFF;
constexpr uint16_t kClassTag = 0x8000;
constexpr uint16_t kBigObjectTag = 0x7FFF;
constexpr uint32_t kBigClassTag = 0x80000000u;
constexpr uint32_t kMaxMapCount = 0x3FFFFFFEu;
constexpr size_t kMaxClassNameLength = 63;
// Deep enough for any stored format; shallow enough that damaged data cannot
// exhaust the stack through objects that hold objects.
constexpr int kMaxReadDepth = 64;
// Texts are read in slices of this many characters, so storage follows the
// bytes that really arrive rather than a length field.
constexpr size_t kTextSlice = 32768;

template <class U>
void PutLittle(uint8_t* out, U value)
{
    for (size_t i = 0; i < sizeof(U); ++i)
        out[i] = static_cast<uint8_t>(value >> (8 * i));
}

template <class U>
U GetLittle(const uint8_t* in)
{
    U value = 0;
    for (size_t i = 0; i < sizeof(U); ++i)
        value |= static_cast<U>(static_cast<U>(in[i]) << (8 * i));
    return value;
}

template <class U>
void WriteLittle(CArchive& ar, U value)
{
    uint8_t bytes[sizeof(U)];
    PutLittle(bytes, value);
    ar.Write(bytes, sizeof bytes);
}

template <class U>
U ReadLittle(CArchive& ar)
{
    uint8_t bytes[sizeof(U)];
    ar.ReadExact(bytes, sizeof bytes);
    return GetLittle<U>(bytes);
}

} // namespace

CArchive::CArchive(CFile* file, Mode mode) : m_file(file), m_mode(mode)
{
    m_loadArray.push_back({nullptr, false});
}

void CArchive::RequireLoading() const
{
    if (!IsLoading())
        throw CArchiveException(CArchiveException::writeOnly);
}

void CArchive::RequireStoring() const
{
    if (!IsStoring())
        throw CArchiveException(CArchiveException::readOnly);
}

size_t CArchive::Read(void* buffer, size_t count)
{
    RequireLoading();
    return count == 0 ? 0 : m_file->Read(buffer, count);
}

void CArchive::ReadExact(void* buffer, size_t count)
{
    if (Read(buffer, count) != count)
        throw CArchiveException(CArchiveException::endOfFile);
}

void CArchive::Write(const void* buffer, size_t count)
{
    RequireStoring();
    if (count > 0)
        m_file->Write(buffer, count);
}

// ---------------------------------------------------------------- numbers

CArchive& CArchive::operator<<(uint8_t value) { WriteLittle(*this, value); return *this; }
CArchive& CArchive::operator<<(int8_t value) { WriteLittle(*this, static_cast<uint8_t>(value)); return *this; }
CArchive& CArchive::operator<<(uint16_t value) { WriteLittle(*this, value); return *this; }
CArchive& CArchive::operator<<(int16_t value) { WriteLittle(*this, static_cast<uint16_t>(value)); return *this; }
CArchive& CArchive::operator<<(uint32_t value) { WriteLittle(*this, value); return *this; }
CArchive& CArchive::operator<<(int32_t value) { WriteLittle(*this, static_cast<uint32_t>(value)); return *this; }

CArchive& CArchive::operator<<(float value)
{
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    WriteLittle(*this, bits);
    return *this;
}

CArchive& CArchive::operator<<(double value)
{
    uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    WriteLittle(*this, bits);
    return *this;
}

CArchive& CArchive::operator>>(uint8_t& value) { value = ReadLittle<uint8_t>(*this); return *this; }
CArchive& CArchive::operator>>(int8_t& value) { value = static_cast<int8_t>(ReadLittle<uint8_t>(*this)); return *this; }
CArchive& CArchive::operator>>(uint16_t& value) { value = ReadLittle<uint16_t>(*this); return *this; }
CArchive& CArchive::operator>>(int16_t& value) { value = static_cast<int16_t>(ReadLittle<uint16_t>(*this)); return *this; }
CArchive& CArchive::operator>>(uint32_t& value) { value = ReadLittle<uint32_t>(*this); return *this; }
CArchive& CArchive::operator>>(int32_t& value) { value = static_cast<int32_t>(ReadLittle<uint32_t>(*this)); return *this; }

CArchive& CArchive::operator>>(float& value)
{
    const uint32_t bits = ReadLittle<uint32_t>(*this);
    std::memcpy(&value, &bits, sizeof value);
    return *this;
}

CArchive& CArchive::operator>>(double& value)
{
    const uint64_t bits = ReadLittle<uint64_t>(*this);
    std::memcpy(&value, &bits, sizeof value);
    return *this;
}

// ---------------------------------------------------------------- texts

CArchive& CArchive::operator<<(const CString& text)
{
    *this << uint8_t{0xFF} << uint16_t{0xFFFE};
    const size_t length = text.size();
    if (length < 0xFF) {
        *this << static_cast<uint8_t>(length);
    } else if (length < 0xFFFE) {
        *this << uint8_t{0xFF} << static_cast<uint16_t>(length);
    } else {
        *this << uint8_t{0xFF} << uint16_t{0xFFFF} << static_cast<uint32_t>(length);
    }
    std::vector<uint8_t> bytes(length * 2);
    for (size_t i = 0; i < length; ++i)
        PutLittle(&bytes[2 * i], static_cast<uint16_t>(text[i]));
    Write(bytes.data(), bytes.size());
    return *this;
}

CArchive& CArchive::operator>>(CString& text)
{
    // The length comes first in 8 bits; 0xFF leads to 16 bits, where 0xFFFE
    // announces UTF-16 (and the length starts over) and 0xFFFF leads to 32 bits.
    bool wide = false;
    uint32_t length = ReadLittle<uint8_t>(*this);
    if (length == 0xFF) {
        length = ReadLittle<uint16_t>(*this);
        if (length == 0xFFFE) {
            wide = true;
            length = ReadLittle<uint8_t>(*this);
            if (length == 0xFF)
                length = ReadLittle<uint16_t>(*this);
        }
        if (length == 0xFFFF) {
            length = ReadLittle<uint32_t>(*this);
            if (length == 0xFFFFFFFFu)  // a 64-bit length: no text of ours is that long
                throw CArchiveException(CArchiveException::badIndex);
        }
    }

    CString result;
    std::string narrow;
    std::vector<uint8_t> slice;
    size_t remaining = length;
    while (remaining > 0) {
        const size_t chars = std::min(remaining, kTextSlice);
        slice.resize(wide ? 2 * chars : chars);
        ReadExact(slice.data(), slice.size());
        if (wide) {
            for (size_t i = 0; i < chars; ++i)
                result += static_cast<char16_t>(GetLittle<uint16_t>(&slice[2 * i]));
        } else {
            narrow.append(reinterpret_cast<const char*>(slice.data()), chars);
        }
        remaining -= chars;
    }
    text = wide ? std::move(result) : AnsiToString(narrow);
    return *this;
}

// ---------------------------------------------------------------- fonts

CArchive& CArchive::operator<<(const FontRecord& font)
{
    *this << font.height << font.width << font.escapement << font.orientation << font.weight
          << font.italic << font.underline << font.strikeOut << font.charSet
          << font.outPrecision << font.clipPrecision << font.quality << font.pitchAndFamily
          << font.faceName;
    return *this;
}

CArchive& CArchive::operator>>(FontRecord& font)
{
    FontRecord f;
    *this >> f.height >> f.width >> f.escapement >> f.orientation >> f.weight
          >> f.italic >> f.underline >> f.strikeOut >> f.charSet
          >> f.outPrecision >> f.clipPrecision >> f.quality >> f.pitchAndFamily
          >> f.faceName;
    font = std::move(f);
    return *this;
}

// ---------------------------------------------------------------- counts

void CArchive::WriteCount(uint32_t count)
{
    if (count < 0xFFFF) {
        *this << static_cast<uint16_t>(count);
    } else {
        *this << uint16_t{0xFFFF} << count;
    }
}

uint32_t CArchive::ReadCount()
{
    const uint16_t shortCount = ReadLittle<uint16_t>(*this);
    if (shortCount != 0xFFFF)
        return shortCount;
    const uint32_t count = ReadLittle<uint32_t>(*this);
    if (count == 0xFFFFFFFFu)  // a 64-bit count
        throw CArchiveException(CArchiveException::badIndex);
    return count;
}

// ---------------------------------------------------------------- objects

uint32_t CArchive::GetObjectSchema()
{
    const uint32_t schema = m_objectSchema;
    m_objectSchema = 0xFFFFFFFFu;
    return schema;
}

void CArchive::CheckMapCount() const
{
    if (m_mapCount >= kMaxMapCount)
        throw CArchiveException(CArchiveException::badIndex);
}

void CArchive::WriteClass(const CRuntimeClass* runtimeClass)
{
    if (runtimeClass->m_wSchema == 0xFFFF)
        throw CArchiveException(CArchiveException::badClass);
    const auto found = m_storeMap.find(runtimeClass);
    if (found != m_storeMap.end()) {
        const uint32_t index = found->second;
        if (index < kBigObjectTag) {
            *this << static_cast<uint16_t>(kClassTag | index);
        } else {
            *this << kBigObjectTag << (kBigClassTag | index);
        }
        return;
    }
    *this << kNewClassTag;
    const std::string_view name = runtimeClass->m_lpszClassName;
    *this << static_cast<uint16_t>(runtimeClass->m_wSchema & ~VERSIONABLE_SCHEMA)
          << static_cast<uint16_t>(name.size());
    Write(name.data(), name.size());
    CheckMapCount();
    m_storeMap[runtimeClass] = m_mapCount++;
}

void CArchive::WriteObject(const CObject* object)
{
    RequireStoring();
    if (object == nullptr) {
        *this << kNullTag;
        return;
    }
    const auto found = m_storeMap.find(object);
    if (found != m_storeMap.end()) {
        const uint32_t index = found->second;
        if (index < kBigObjectTag) {
            *this << static_cast<uint16_t>(index);
        } else {
            *this << kBigObjectTag << index;
        }
        return;
    }
    WriteClass(object->GetRuntimeClass());
    CheckMapCount();
    m_storeMap[object] = m_mapCount++;
    const_cast<CObject*>(object)->Serialize(*this);
}

const CRuntimeClass* CArchive::ReadClass(const CRuntimeClass* requested, uint32_t& schema)
{
    const uint16_t shortTag = ReadLittle<uint16_t>(*this);
    uint32_t tag;
    if (shortTag == kBigObjectTag)
        tag = ReadLittle<uint32_t>(*this);
    else
        tag = (static_cast<uint32_t>(shortTag & kClassTag) << 16) | (shortTag & ~kClassTag);

    if (!(tag & kBigClassTag)) {
        if (tag == kNullTag)
            return nullptr;
        // A reference to an object read earlier: the object already has an
        // owner, so a second one cannot take it.
        throw CArchiveException(CArchiveException::badIndex);
    }

    const CRuntimeClass* runtimeClass;
    if (shortTag == kNewClassTag) {
        const uint16_t storedSchema = ReadLittle<uint16_t>(*this);
        const uint16_t nameLength = ReadLittle<uint16_t>(*this);
        if (nameLength > kMaxClassNameLength)
            throw CArchiveException(CArchiveException::badClass);
        char name[kMaxClassNameLength + 1];
        ReadExact(name, nameLength);
        runtimeClass = CRuntimeClass::FromName(std::string_view(name, nameLength));
        if (runtimeClass == nullptr || runtimeClass->m_wSchema == 0xFFFF)
            throw CArchiveException(CArchiveException::badClass);
        if ((runtimeClass->m_wSchema & ~VERSIONABLE_SCHEMA) != storedSchema) {
            if (!(runtimeClass->m_wSchema & VERSIONABLE_SCHEMA))
                throw CArchiveException(CArchiveException::badSchema);
            m_schemaMap[runtimeClass] = storedSchema;
        }
        CheckMapCount();
        m_loadArray.push_back({runtimeClass, true});
        ++m_mapCount;
    } else {
        const uint32_t index = tag & ~kBigClassTag;
        if (index == 0 || index >= m_loadArray.size() || !m_loadArray[index].isClass)
            throw CArchiveException(CArchiveException::badIndex);
        runtimeClass = m_loadArray[index].runtimeClass;
    }

    const auto stored = m_schemaMap.find(runtimeClass);
    schema = stored != m_schemaMap.end() ? stored->second : (runtimeClass->m_wSchema & ~VERSIONABLE_SCHEMA);

    if (requested != nullptr && !runtimeClass->IsDerivedFrom(requested))
        throw CArchiveException(CArchiveException::badClass);
    return runtimeClass;
}

std::unique_ptr<CObject> CArchive::ReadObject(const CRuntimeClass* requested)
{
    RequireLoading();
    if (m_readDepth >= kMaxReadDepth)
        throw CArchiveException(CArchiveException::badIndex);
    uint32_t schema = 0;
    const CRuntimeClass* runtimeClass = ReadClass(requested, schema);
    if (runtimeClass == nullptr)
        return nullptr;

    std::unique_ptr<CObject> object(runtimeClass->CreateObject());
    if (!object)
        throw CArchiveException(CArchiveException::badClass);
    CheckMapCount();
    m_loadArray.push_back({runtimeClass, false});
    ++m_mapCount;

    m_objectSchema = schema;
    ++m_readDepth;
    try {
        object->Serialize(*this);
    } catch (...) {
        --m_readDepth;
        throw;
    }
    --m_readDepth;
    return object;
}

void SerializeArray(CArchive& ar, std::vector<CString>& items)
{
    if (ar.IsStoring()) {
        ar.WriteCount(static_cast<uint32_t>(items.size()));
        for (const CString& text : items)
            ar << text;
        return;
    }
    const uint32_t count = ar.ReadCount();
    std::vector<CString> loaded;
    for (uint32_t i = 0; i < count; ++i) {
        CString text;
        ar >> text;
        loaded.push_back(std::move(text));
    }
    items = std::move(loaded);
}
