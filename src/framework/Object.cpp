#include "framework/Object.h"

#include <mutex>
#include <vector>

#include "framework/Archive.h"

namespace {

struct ClassRegistry {
    std::mutex lock;
    std::vector<const CRuntimeClass*> classes;
};

// Built on first use, so registration from other files' static initialisers
// never meets an unconstructed list.
ClassRegistry& Registry()
{
    static ClassRegistry registry;
    return registry;
}

} // namespace

const CRuntimeClass CObject::classCObject = {"CObject", 0xFFFF, nullptr, nullptr};

CObject* CRuntimeClass::CreateObject() const
{
    return m_pfnCreateObject ? m_pfnCreateObject() : nullptr;
}

bool CRuntimeClass::IsDerivedFrom(const CRuntimeClass* base) const
{
    for (const CRuntimeClass* c = this; c != nullptr; c = c->m_pBaseClass)
        if (c == base)
            return true;
    return false;
}

const CRuntimeClass* CRuntimeClass::FromName(std::string_view name)
{
    ClassRegistry& registry = Registry();
    std::lock_guard<std::mutex> guard(registry.lock);
    for (const CRuntimeClass* c : registry.classes)
        if (name == c->m_lpszClassName)
            return c;
    return nullptr;
}

void CRuntimeClass::Register(const CRuntimeClass* runtimeClass)
{
    ClassRegistry& registry = Registry();
    std::lock_guard<std::mutex> guard(registry.lock);
    registry.classes.push_back(runtimeClass);
}

const CRuntimeClass* CObject::GetRuntimeClass() const
{
    return &classCObject;
}

void CObject::Serialize(CArchive&)
{
}

bool CObject::IsKindOf(const CRuntimeClass* runtimeClass) const
{
    return GetRuntimeClass()->IsDerivedFrom(runtimeClass);
}
