// CDigIO: the digital unit (unit 1). A 16-bit output port, a 16-bit input
// port, a pattern generator that plays output words with durations, and a
// logic analyzer that records the input port at a sample interval with an
// optional pattern trigger.
//
// The output word is class-wide: every digital panel of the process shows
// and sets the same outputs.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "units/BaseDevice.h"
#include "units/DigData.h"

class CDigIO : public CVexaDevice {
    DECLARE_DYNAMIC(CDigIO)
public:
    using CVexaDevice::CVexaDevice;

    static constexpr uint32_t kOutputBit = 0x0001;
    static constexpr uint32_t kSettingsVersion = 2;

    // What the analyzer state command answers.
    enum RecordState : uint8_t { kWaitingForTrigger = 1, kRecording = 2, kRecordComplete = 3 };

    // The class-wide output word; setting it marks the output bit.
    static uint16_t OutputWord();
    void SetOutputWord(uint16_t word);
    uint16_t ReadInput();

    // Sends the output word when its bit is pending (no acknowledgement).
    bool Flush() override;
    void Serialize(CArchive& ar) override;

    // Logic analyzer.
    void SendSetup();
    void SendPattern();
    void StartRecording();
    uint8_t AnalyzerState();
    void ResetRecord() { m_samplesRead = 0; }
    // Reads the whole record ("$") into the record buffer.
    void ReadRecordNow();
    // Collects recorded words (whole record, or what streamed in); returns
    // how many arrived. LastState() tells the state it saw last.
    int32_t FetchSamples();
    uint8_t LastState() const { return m_lastState; }

    // Settings of the analyzer, sent by SendSetup.
    void SetSampleInterval(uint16_t interval) { m_sampleInterval = interval; }
    void SetTrigger(bool on, uint16_t word, uint16_t mask);
    void SetStreamMode(int32_t mode) { m_streamMode = mode; }
    void SetRepeat(bool on) { m_repeat = on ? 1 : 0; }
    void SetReadsLeft(int32_t reads) { m_readsLeft = reads; }
    // A new length replaces the record by a zeroed one; samples read stays within it.
    void SetRecordLength(uint16_t length);

    // The output pattern, owned by the unit; changing it through
    // ReplacePattern marks it to be sent again.
    const std::vector<std::unique_ptr<CDigData>>& Pattern() const { return m_pattern; }
    void ReplacePattern(std::vector<std::unique_ptr<CDigData>> steps);
    bool PatternChanged() const { return m_patternChanged != 0; }
    // The sum of the repeat counts [sample intervals].
    int64_t PatternLength() const;
    // The word of the step a sample falls in; none beyond the pattern.
    std::optional<uint16_t> WordAt(int64_t sample) const;
    // sample interval × 0.1 ms × pattern length [s].
    double PatternDuration() const;
    // The duration in engineering notation ("600 ms"), "-------" without pattern.
    CString PatternDurationText() const;
    // "index<TAB>bits, bit 15 first<TAB>word in hex<TAB>count", as the pattern pages show a step.
    static CString StepText(const CDigData& step, int index);

    uint16_t SampleInterval() const { return m_sampleInterval; }
    uint16_t TriggerWord() const { return m_triggerWord; }
    uint16_t TriggerMask() const { return m_triggerMask; }
    bool TriggerOn() const { return m_triggerOn != 0; }
    int32_t StreamMode() const { return m_streamMode; }
    bool Repeat() const { return m_repeat != 0; }
    int32_t ReadsLeft() const { return m_readsLeft; }
    uint16_t SamplesRead() const { return m_samplesRead; }
    uint16_t RecordLength() const { return m_recordLength; }
    const std::vector<uint16_t>& Record() const { return m_record; }

private:
    // Reads count words, keeping those that fit after samples read.
    void StoreWords(uint32_t count);

    uint8_t m_patternChanged = 1;
    uint16_t m_sampleInterval = 100;  // [0.1 ms]
    int32_t m_reserved = 500;
    uint16_t m_triggerWord = 0;
    uint16_t m_triggerMask = 0;
    int32_t m_streamMode = 0;
    uint16_t m_samplesRead = 0;
    uint16_t m_recordLength = 0;
    std::vector<uint16_t> m_record;
    std::vector<std::unique_ptr<CDigData>> m_pattern;
    uint8_t m_repeat = 0;
    uint8_t m_triggerOn = 0;
    int32_t m_readsLeft = 0;
    uint8_t m_lastState = 0;
};
