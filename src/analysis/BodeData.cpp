#include "analysis/BodeData.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <utility>

// ---------------------------------------------------------------- CBodeData

CBodeData::CBodeData(int32_t capacity) : m_capacity(-1)
{
    SetCapacity(capacity);
}

void CBodeData::SetCapacity(int32_t capacity)
{
    capacity = std::clamp(capacity, 0, kMaxCapacity);
    if (capacity == m_capacity)
        return;
    m_capacity = capacity;
    for (std::vector<double>* array : {&m_frequency, &m_angular, &m_gain, &m_gainDb, &m_phase}) {
        std::vector<double> fresh;
        fresh.reserve(static_cast<size_t>(capacity));
        array->swap(fresh);
    }
}

bool CBodeData::AddPoint(double frequency, double gain, double phase)
{
    if (Count() >= m_capacity)
        return false;
    m_frequency.push_back(frequency);
    m_angular.push_back(2 * std::numbers::pi * frequency);
    m_gain.push_back(gain);
    m_gainDb.push_back(20 * std::log10(gain));
    m_phase.push_back(phase);
    return true;
}

void CBodeData::Serialize(CArchive& ar)
{
    const std::vector<double>* arrays[] = {&m_frequency, &m_angular, &m_gain, &m_gainDb, &m_phase};
    if (ar.IsStoring()) {
        ar << kSchema << m_capacity << Count();
        for (const std::vector<double>* array : arrays)
            for (double v : *array)
                ar << v;
        return;
    }
    uint32_t schema;
    int32_t capacity, count;
    ar >> schema >> capacity >> count;
    if (schema != kSchema)
        throw CArchiveException(CArchiveException::badSchema);
    if (capacity < 0 || capacity > kMaxCapacity || count < 0 || count > capacity)
        throw CArchiveException(CArchiveException::badIndex);
    CBodeData loaded(capacity);
    std::vector<double>* into[] = {&loaded.m_frequency, &loaded.m_angular, &loaded.m_gain, &loaded.m_gainDb,
                                   &loaded.m_phase};
    for (std::vector<double>* array : into) {
        array->resize(static_cast<size_t>(count));
        for (double& v : *array)
            ar >> v;
    }
    loaded.m_visible = m_visible;
    *this = std::move(loaded);
}

// ---------------------------------------------------------------- CBodeSets

int32_t CBodeSets::SetCount() const
{
    std::lock_guard<std::mutex> g(m_lock);
    return static_cast<int32_t>(m_sets.size());
}

void CBodeSets::DeleteSet(int32_t index)
{
    std::lock_guard<std::mutex> g(m_lock);
    if (index == -1)
        m_sets.clear();
    else if (IsIndex(index))
        m_sets.erase(m_sets.begin() + index);
}

std::optional<CBodeData> CBodeSets::GetSet(int32_t index) const
{
    std::lock_guard<std::mutex> g(m_lock);
    if (!IsIndex(index))
        return std::nullopt;
    return m_sets[static_cast<size_t>(index)];
}

int32_t CBodeSets::Append(CBodeData set)
{
    std::lock_guard<std::mutex> g(m_lock);
    m_sets.push_back(std::move(set));
    return static_cast<int32_t>(m_sets.size()) - 1;
}

bool CBodeSets::AddPoint(double frequency, double gain, double phase)
{
    std::lock_guard<std::mutex> g(m_lock);
    return !m_sets.empty() && m_sets.back().AddPoint(frequency, gain, phase);
}

void CBodeSets::SetVisible(int32_t index, bool on)
{
    std::lock_guard<std::mutex> g(m_lock);
    if (IsIndex(index))
        m_sets[static_cast<size_t>(index)].SetVisible(on);
}

std::vector<CBodeData> CBodeSets::Snapshot() const
{
    std::lock_guard<std::mutex> g(m_lock);
    return m_sets;
}

void CBodeSets::Serialize(CArchive& ar)
{
    if (ar.IsStoring()) {
        std::vector<CBodeData> sets = Snapshot();
        ar << kSchema << static_cast<int32_t>(sets.size());
        for (CBodeData& set : sets)
            set.Serialize(ar);
        return;
    }
    uint32_t schema;
    int32_t count;
    ar >> schema >> count;
    if (schema != kSchema)
        throw CArchiveException(CArchiveException::badSchema);
    if (count < 0 || count > kMaxSets)
        throw CArchiveException(CArchiveException::badIndex);
    std::vector<CBodeData> loaded;
    for (int32_t i = 0; i < count; ++i) {
        CBodeData set(0);
        set.Serialize(ar);
        loaded.push_back(std::move(set));
    }
    std::lock_guard<std::mutex> g(m_lock);
    m_sets = std::move(loaded);
}
