// CArchive: the binary encoding of every stored record (unit settings, window
// state, panel layouts, skins, chart state, the instrument set).
//
// Numbers are little-endian. Texts are written as 0xFF, 0xFFFE (a marker that
// UTF-16 follows), a length in one of three forms and the UTF-16LE characters;
// on reading, the older 8-bit form without the marker is accepted too.
// Objects carry a class tag the first time their kind appears and a class
// back-reference afterwards, each with the kind's schema number.
//
// Reading never trusts a length: storage grows only as bytes actually arrive,
// so a damaged length ends in CArchiveException(endOfFile), not in a huge
// allocation. After any exception the archive is not to be used again.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

#include "framework/Exception.h"
#include "framework/File.h"
#include "framework/Object.h"
#include "framework/Types.h"

// A font in the stored form of the platform's logical font.
struct FontRecord {
    int32_t height = 0;
    int32_t width = 0;
    int32_t escapement = 0;
    int32_t orientation = 0;
    int32_t weight = 0;
    uint8_t italic = 0;
    uint8_t underline = 0;
    uint8_t strikeOut = 0;
    uint8_t charSet = 0;
    uint8_t outPrecision = 0;
    uint8_t clipPrecision = 0;
    uint8_t quality = 0;
    uint8_t pitchAndFamily = 0;
    CString faceName;

    bool operator==(const FontRecord&) const = default;
};

class CArchive {
public:
    enum Mode { store = 0, load = 1 };

    // The file must outlive the archive.
    CArchive(CFile* file, Mode mode);
    CArchive(const CArchive&) = delete;
    CArchive& operator=(const CArchive&) = delete;

    bool IsLoading() const { return m_mode == load; }
    bool IsStoring() const { return m_mode == store; }
    CFile* GetFile() const { return m_file; }

    // Reads up to count bytes and returns how many arrived.
    size_t Read(void* buffer, size_t count);
    // Reads exactly count bytes or throws CArchiveException(endOfFile).
    void ReadExact(void* buffer, size_t count);
    void Write(const void* buffer, size_t count);

    CArchive& operator<<(uint8_t value);
    CArchive& operator<<(int8_t value);
    CArchive& operator<<(uint16_t value);
    CArchive& operator<<(int16_t value);
    CArchive& operator<<(uint32_t value);
    CArchive& operator<<(int32_t value);
    CArchive& operator<<(float value);
    CArchive& operator<<(double value);
    CArchive& operator<<(const CString& text);
    CArchive& operator<<(const FontRecord& font);

    CArchive& operator>>(uint8_t& value);
    CArchive& operator>>(int8_t& value);
    CArchive& operator>>(uint16_t& value);
    CArchive& operator>>(int16_t& value);
    CArchive& operator>>(uint32_t& value);
    CArchive& operator>>(int32_t& value);
    CArchive& operator>>(float& value);
    CArchive& operator>>(double& value);
    CArchive& operator>>(CString& text);
    CArchive& operator>>(FontRecord& font);

    // Plain char, bool and 64-bit values have no stored form; writing one is a
    // mistake that should not compile into a silently different width.
    CArchive& operator<<(char) = delete;
    CArchive& operator<<(bool) = delete;
    CArchive& operator<<(int64_t) = delete;
    CArchive& operator<<(uint64_t) = delete;

    // Element counts of arrays: 16 bits, or 0xFFFF and 32 bits.
    void WriteCount(uint32_t count);
    uint32_t ReadCount();

    // Stores an object (or null) with its class tag; an object already stored
    // in this archive is written as a back-reference.
    void WriteObject(const CObject* object);
    // Reads a new object of the requested kind (or a kind derived from it);
    // the caller owns it. Returns null for a stored null. A back-reference to an
    // earlier object is refused (badIndex): loaded objects have one owner.
    std::unique_ptr<CObject> ReadObject(const CRuntimeClass* requested);
    template <class T>
    std::unique_ptr<T> ReadObject()
    {
        return std::unique_ptr<T>(static_cast<T*>(ReadObject(T::ThisClass()).release()));
    }

    // The schema the object being read was stored with; reading it resets it
    // to 0xFFFFFFFF ("not known").
    uint32_t GetObjectSchema();
    void SetObjectSchema(uint32_t schema) { m_objectSchema = schema; }

    // Where an exception must not cross a module boundary, the callee records
    // why the archive could not be read or written, and its owner raises it.
    void SetFailure(CArchiveException::Cause cause) { m_failure = cause; }
    CArchiveException::Cause Failure() const { return m_failure; }

private:
    struct LoadEntry {
        const CRuntimeClass* runtimeClass;
        bool isClass;
    };

    void RequireLoading() const;
    void RequireStoring() const;
    void WriteClass(const CRuntimeClass* runtimeClass);
    // Reads a class tag; returns the kind and its stored schema, or null for the null tag.
    const CRuntimeClass* ReadClass(const CRuntimeClass* requested, uint32_t& schema);
    void CheckMapCount() const;

    CFile* m_file;
    Mode m_mode;
    uint32_t m_objectSchema = 0xFFFFFFFFu;
    int m_readDepth = 0;

    uint32_t m_mapCount = 1;  // index 0 stands for the null object
    std::unordered_map<const void*, uint32_t> m_storeMap;
    std::vector<LoadEntry> m_loadArray;
    std::unordered_map<const CRuntimeClass*, uint32_t> m_schemaMap;
    CArchiveException::Cause m_failure = CArchiveException::none;
};

// Stores or loads an owned object array: the count, then each element as an
// archived object. Loading replaces the content; a null element is refused.
template <class T>
void SerializeArray(CArchive& ar, std::vector<std::unique_ptr<T>>& items)
{
    if (ar.IsStoring()) {
        ar.WriteCount(static_cast<uint32_t>(items.size()));
        for (const auto& item : items)
            ar.WriteObject(item.get());
        return;
    }
    const uint32_t count = ar.ReadCount();
    std::vector<std::unique_ptr<T>> loaded;
    for (uint32_t i = 0; i < count; ++i) {
        auto item = ar.template ReadObject<T>();
        if (!item)
            throw CArchiveException(CArchiveException::badIndex);
        loaded.push_back(std::move(item));
    }
    items = std::move(loaded);
}

// Stores or loads a string array: the count, then each text.
void SerializeArray(CArchive& ar, std::vector<CString>& items);

// Settings archives: a value that fails a check makes the archive damaged
// (badSchema); it is never repaired into a setting.
inline void RequireSchema(bool ok)
{
    if (!ok)
        throw CArchiveException(CArchiveException::badSchema);
}
// Reads a settings version; one from oldest to newest, else the archive is damaged.
inline uint32_t ReadSchemaVersion(CArchive& ar, uint32_t newest, uint32_t oldest = 1)
{
    uint32_t version = 0;
    ar >> version;
    RequireSchema(version >= oldest && version <= newest);
    return version;
}
