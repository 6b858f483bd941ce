// CScopeBuffer: one channel's samples for the oscilloscope screen. Two arrays:
// the front one is drawn and stored, the back one is filled by an
// acquisition and then swapped to the front, so the screen always sees a
// complete record. Samples are signed 16-bit; 32767 is the channel's full scale.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "framework/Archive.h"

class CScopeBuffer {
public:
    static constexpr int32_t kCapacity = 16384;  // samples per array
    static constexpr uint32_t kSchema = 2;

    CScopeBuffer();

    // The samples drawn and stored: Count() of them.
    std::span<const int16_t> Front() const;
    // The spare array, for filling a record; holds kCapacity samples.
    std::span<int16_t> Back();
    // Makes the spare array the drawn one.
    void Swap() { m_firstInFront = !m_firstInFront; }

    int32_t Count() const { return m_count; }
    // Sets the samples per screen, limited to the capacity.
    void SetCount(int32_t count);
    int32_t LastIndex() const { return m_lastIndex; }
    void SetLastIndex(int32_t index) { m_lastIndex = index; }
    // Progress of a buffer filled piecewise (rolling).
    int32_t FillPosition() const { return m_fillPosition; }
    void SetFillPosition(int32_t position) { m_fillPosition = position; }
    int32_t ExpectedCount() const { return m_expectedCount; }
    void SetExpectedCount(int32_t count) { m_expectedCount = count; }
    double RangeFactor() const { return m_rangeFactor; }
    void SetRangeFactor(double factor) { m_rangeFactor = factor; }

    // count samples per screen, all zero, nothing filled yet.
    void Reset(int32_t count);
    // Clears the spare array and shows it: the zero line of a grounded channel.
    void ShowZeros();
    // Appends rolling samples in order; a full buffer moves its content down
    // to make room, so it holds the newest Count() samples.
    void AppendSamples(std::span<const int16_t> samples);

    // Schema 2 stores 16-bit samples; schema 1 (8-bit samples) is read too.
    void Serialize(CArchive& ar);

private:
    int16_t* FrontData() { return m_firstInFront ? m_first.data() : m_second.data(); }

    int32_t m_fillPosition = 0;
    int32_t m_expectedCount = 0;
    int32_t m_count = 1024;
    int32_t m_lastIndex = 1023;
    double m_rangeFactor = 1.0;
    std::vector<int16_t> m_first;
    std::vector<int16_t> m_second;
    bool m_firstInFront = true;
};
