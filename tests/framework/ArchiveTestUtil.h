// Helpers for archive tests: store into memory, load from bytes.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "framework/Archive.h"

using Bytes = std::vector<uint8_t>;

inline Bytes StoreBytes(const std::function<void(CArchive&)>& write)
{
    CMemFile file;
    CArchive ar(&file, CArchive::store);
    write(ar);
    return file.Data();
}

inline void LoadBytes(const Bytes& bytes, const std::function<void(CArchive&)>& read)
{
    CMemFile file(bytes.data(), bytes.size());
    CArchive ar(&file, CArchive::load);
    read(ar);
}

inline Bytes Concat(std::initializer_list<Bytes> parts)
{
    Bytes all;
    for (const Bytes& p : parts)
        all.insert(all.end(), p.begin(), p.end());
    return all;
}

// The cause of the archive exception an action throws; none when it throws nothing.
inline CArchiveException::Cause ThrownCause(const std::function<void()>& action)
{
    try {
        action();
    } catch (const CArchiveException& e) {
        return e.m_cause;
    }
    return CArchiveException::none;
}
