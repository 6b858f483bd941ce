#include "units/LockedFlags.h"

template <class T>
bool CLockedFlags::Store(T& value, T next, uint32_t bits)
{
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    if (next == value)
        return false;
    value = next;
    m_pending.fetch_or(bits);
    return true;
}

bool CLockedFlags::StepDownInt(int32_t& value, int32_t step, int32_t lowest, uint32_t bits)
{
    const int64_t current = value;
    return Store(value, current < int64_t{lowest} + step ? lowest : static_cast<int32_t>(current - step), bits);
}

bool CLockedFlags::StepUpInt(int32_t& value, int32_t step, int32_t highest, uint32_t bits)
{
    const int64_t current = value;
    return Store(value, current > int64_t{highest} - step ? highest : static_cast<int32_t>(current + step), bits);
}

bool CLockedFlags::StepDownReal(double& value, double step, double lowest, uint32_t bits)
{
    return Store(value, value < lowest + step ? lowest : value - step, bits);
}

bool CLockedFlags::StepUpReal(double& value, double step, double highest, uint32_t bits)
{
    return Store(value, value > highest - step ? highest : value + step, bits);
}
