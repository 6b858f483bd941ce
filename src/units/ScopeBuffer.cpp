#include "units/ScopeBuffer.h"

#include <algorithm>

CScopeBuffer::CScopeBuffer() : m_first(kCapacity, 0), m_second(kCapacity, 0)
{
}

std::span<const int16_t> CScopeBuffer::Front() const
{
    const std::vector<int16_t>& front = m_firstInFront ? m_first : m_second;
    return {front.data(), static_cast<size_t>(m_count)};
}

std::span<int16_t> CScopeBuffer::Back()
{
    std::vector<int16_t>& back = m_firstInFront ? m_second : m_first;
    return {back.data(), back.size()};
}

void CScopeBuffer::SetCount(int32_t count)
{
    m_count = std::clamp(count, 0, kCapacity);
    m_lastIndex = m_count - 1;
}

void CScopeBuffer::Reset(int32_t count)
{
    SetCount(count);
    std::fill(m_first.begin(), m_first.end(), 0);
    std::fill(m_second.begin(), m_second.end(), 0);
    m_fillPosition = 0;
    m_expectedCount = m_count;
}

void CScopeBuffer::ShowZeros()
{
    std::span<int16_t> back = Back();
    std::fill(back.begin(), back.end(), 0);
    Swap();
    m_fillPosition = 0;
    m_expectedCount = m_count;
}

void CScopeBuffer::AppendSamples(std::span<const int16_t> samples)
{
    const auto count = static_cast<size_t>(m_count);
    if (count == 0 || samples.empty())
        return;
    int16_t* front = FrontData();
    if (samples.size() >= count) {
        std::copy(samples.end() - static_cast<std::ptrdiff_t>(count), samples.end(), front);
        m_fillPosition = m_count;
        return;
    }
    size_t fill = static_cast<size_t>(std::clamp(m_fillPosition, 0, m_count));
    if (fill + samples.size() > count) {
        const size_t shift = fill + samples.size() - count;
        std::copy(front + shift, front + fill, front);
        fill -= shift;
    }
    std::copy(samples.begin(), samples.end(), front + fill);
    m_fillPosition = static_cast<int32_t>(fill + samples.size());
}

void CScopeBuffer::Serialize(CArchive& ar)
{
    if (ar.IsStoring()) {
        ar << kSchema << m_count << m_lastIndex << m_rangeFactor;
        for (int16_t sample : Front())
            ar << sample;
        return;
    }
    uint32_t schema;
    int32_t count, lastIndex;
    double rangeFactor;
    ar >> schema >> count >> lastIndex >> rangeFactor;
    if (schema < 1 || schema > kSchema)
        throw CArchiveException(CArchiveException::badSchema);
    if (count < 0 || count > kCapacity)
        throw CArchiveException(CArchiveException::badIndex);
    std::vector<int16_t> samples(static_cast<size_t>(count));
    for (int16_t& sample : samples) {
        if (schema == 1) {
            int8_t raw;
            ar >> raw;
            sample = static_cast<int16_t>(raw * 256);
        } else {
            ar >> sample;
        }
    }
    SetCount(count);
    m_lastIndex = std::clamp(lastIndex, -1, count - 1);
    m_rangeFactor = rangeFactor;
    std::fill(m_first.begin(), m_first.end(), 0);
    std::copy(samples.begin(), samples.end(), m_first.begin());
    m_second = m_first;
    m_firstInFront = true;
    m_fillPosition = 0;
    m_expectedCount = count;
}
