// CDigData: one step of the digital output pattern: a word held for a
// number of sample intervals.
#pragma once

#include <cstdint>

#include "framework/Object.h"

class CDigData : public CObject {
    DECLARE_SERIAL(CDigData)
public:
    CDigData() = default;
    CDigData(uint32_t word, int32_t repeat) : m_outputWord(word), m_repeatCount(repeat) {}

    // The word and the repeat count as two 32-bit values.
    void Serialize(CArchive& ar) override;

    bool operator==(const CDigData& other) const
    {
        return m_outputWord == other.m_outputWord && m_repeatCount == other.m_repeatCount;
    }

    uint32_t m_outputWord = 0;  // only the low 16 bits are sent
    int32_t m_repeatCount = 1;  // sample intervals the word is held
};
