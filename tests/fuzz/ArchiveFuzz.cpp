// Drives the archive reader over arbitrary bytes. The data itself chooses the
// next read (one byte of operation before each), so every stored form is
// reached in any order. Whatever the data, reading must end normally or in
// CArchiveException: no crash, no read past the end, no unbounded allocation.
#include <cstdint>
#include <memory>
#include <vector>

#include "framework/Archive.h"

namespace {

class CFuzzItem : public CObject {
    DECLARE_SERIAL(CFuzzItem)
public:
    void Serialize(CArchive& ar) override
    {
        const uint32_t schema = ar.GetObjectSchema();
        ar >> text >> data;
        if (schema >= 2)
            ar >> enabled;
        if (schema >= 3)
            child = ar.ReadObject<CFuzzItem>();
    }
    CString text;
    uint32_t data = 0;
    uint8_t enabled = 1;
    std::unique_ptr<CFuzzItem> child;
};
IMPLEMENT_SERIAL(CFuzzItem, CObject, VERSIONABLE_SCHEMA | 3)

class CFuzzStrict : public CObject {
    DECLARE_SERIAL(CFuzzStrict)
public:
    void Serialize(CArchive& ar) override { ar >> font; }
    FontRecord font;
};
IMPLEMENT_SERIAL(CFuzzStrict, CObject, 1)

void ReadOne(CArchive& ar, uint8_t op)
{
    switch (op % 12) {
    case 0: { uint8_t v; ar >> v; break; }
    case 1: { uint16_t v; ar >> v; break; }
    case 2: { uint32_t v; ar >> v; break; }
    case 3: { int32_t v; ar >> v; break; }
    case 4: { float v; ar >> v; break; }
    case 5: { double v; ar >> v; break; }
    case 6: { CString v; ar >> v; break; }
    case 7: { FontRecord v; ar >> v; break; }
    case 8: { std::vector<std::unique_ptr<CFuzzItem>> v; SerializeArray(ar, v); break; }
    case 9: { std::vector<CString> v; SerializeArray(ar, v); break; }
    case 10: { auto v = ar.ReadObject<CFuzzStrict>(); break; }
    case 11: { auto v = ar.ReadObject(nullptr); break; }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CMemFile file(data, size);
    CArchive ar(&file, CArchive::load);
    try {
        uint8_t op;
        while (ar.Read(&op, 1) == 1)
            ReadOne(ar, op);
    } catch (const CArchiveException&) {
    }
    return 0;
}
