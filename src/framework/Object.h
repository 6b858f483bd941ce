// Run-time class information and the root of every archived kind.
//
// A kind that is stored as an archived object names itself with
// DECLARE_SERIAL in its class and IMPLEMENT_SERIAL in one source file; the
// archive then writes its class name and schema on its first appearance and
// recreates it by name when reading.
#pragma once

#include <cstdint>
#include <string_view>

class CArchive;
class CObject;

// Marks a schema under which older stored schemas are accepted: the object
// then asks the archive for the schema it was stored with.
constexpr uint32_t VERSIONABLE_SCHEMA = 0x80000000u;

struct CRuntimeClass {
    const char* m_lpszClassName;
    uint32_t m_wSchema;                  // 0xFFFF: not serialisable
    CObject* (*m_pfnCreateObject)();     // null for kinds that cannot be created by name
    const CRuntimeClass* m_pBaseClass;

    CObject* CreateObject() const;
    bool IsDerivedFrom(const CRuntimeClass* base) const;

    // The serialisable kind of that name, or null.
    static const CRuntimeClass* FromName(std::string_view name);
    // Makes a kind findable by FromName; called by IMPLEMENT_SERIAL.
    static void Register(const CRuntimeClass* runtimeClass);
};

class CObject {
public:
    virtual ~CObject() = default;
    virtual const CRuntimeClass* GetRuntimeClass() const;
    // Stores or loads the object's fields; the base stores nothing.
    virtual void Serialize(CArchive& ar);

    bool IsKindOf(const CRuntimeClass* runtimeClass) const;

    static const CRuntimeClass classCObject;
    static const CRuntimeClass* ThisClass() { return &classCObject; }

protected:
    CObject() = default;
    CObject(const CObject&) = default;
    CObject& operator=(const CObject&) = default;
};

#define RUNTIME_CLASS(class_name) (&class_name::class##class_name)

#define DECLARE_DYNAMIC(class_name)                                   \
public:                                                               \
    static const CRuntimeClass class##class_name;                     \
    static const CRuntimeClass* ThisClass() { return &class##class_name; } \
    const CRuntimeClass* GetRuntimeClass() const override;

#define DECLARE_SERIAL(class_name)                                    \
    DECLARE_DYNAMIC(class_name)                                       \
    static CObject* CreateObject();

#define IMPLEMENT_DYNAMIC(class_name, base_class_name)                \
    const CRuntimeClass class_name::class##class_name = {             \
        #class_name, 0xFFFF, nullptr, RUNTIME_CLASS(base_class_name)}; \
    const CRuntimeClass* class_name::GetRuntimeClass() const          \
    {                                                                 \
        return RUNTIME_CLASS(class_name);                             \
    }

#define IMPLEMENT_SERIAL(class_name, base_class_name, schema)         \
    CObject* class_name::CreateObject() { return new class_name; }    \
    const CRuntimeClass class_name::class##class_name = {             \
        #class_name, (schema), class_name::CreateObject,              \
        RUNTIME_CLASS(base_class_name)};                              \
    const CRuntimeClass* class_name::GetRuntimeClass() const          \
    {                                                                 \
        return RUNTIME_CLASS(class_name);                             \
    }                                                                 \
    static const bool class_name##_registered =                       \
        (CRuntimeClass::Register(RUNTIME_CLASS(class_name)), true);
