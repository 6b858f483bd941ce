// The digital unit (unit 1): output word, input word, pattern generator and
// logic analyzer. With the loopback the inputs read the outputs, so while a
// recording runs they follow the pattern, step by step at the sample interval.
#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace vexasim {

class CSimBox;

class CSimDigital {
public:
    explicit CSimDigital(CSimBox& box) : m_box(box) {}

    uint16_t outputWord = 0;
    uint16_t interval = 100;  // sample and pattern clock [0.1 ms]
    uint16_t triggerWord = 0;
    uint16_t triggerMask = 0;  // 0: no trigger
    uint16_t recordLength = 0;
    uint8_t streamMode = 0;

    // Steps of output word and samples held.
    void SetPattern(std::vector<std::pair<uint16_t, uint16_t>> steps);
    const std::vector<std::pair<uint16_t, uint16_t>>& Pattern() const { return m_pattern; }
    void StartRecording();
    // 0 idle, 1 waiting for the trigger, 2 recording, 3 record complete.
    uint8_t State() const;
    uint16_t InputWord() const;
    // The first count words of the record (zeros beyond what was recorded).
    std::vector<uint16_t> Record(uint32_t count) const;
    // Samples recorded since the last call (stream mode).
    std::vector<uint16_t> TakeSamples();

    uint64_t PatternLength() const;

private:
    double SampleInterval() const;  // [s]
    // Input word at sample index k of the running pattern.
    uint16_t InputAt(uint64_t k) const;
    // Pattern samples elapsed since the start of the recording.
    uint64_t Elapsed() const;
    uint32_t Recorded() const;

    CSimBox& m_box;
    std::vector<std::pair<uint16_t, uint16_t>> m_pattern;
    std::vector<uint64_t> m_stepEnds;  // sample index after each step
    bool m_recording = false;
    double m_start = 0;
    int64_t m_triggerIndex = -1;  // pattern sample where the record starts; -1 never
    uint32_t m_read = 0;
};

} // namespace vexasim
