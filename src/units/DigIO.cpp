#include "units/DigIO.h"

#include <algorithm>
#include <atomic>
#include <cstdio>

#include "units/CommandBytes.h"
#include "charts/Engineering.h"

IMPLEMENT_DYNAMIC(CDigIO, CVexaDevice)

namespace {

constexpr uint8_t kCmdInputWord = 0x20;    // " "
constexpr uint8_t kCmdOutputWord = 0x21;   // "!"
constexpr uint8_t kCmdSetup = 0x23;        // "#"
constexpr uint8_t kCmdReadRecord = 0x24;   // "$"
constexpr uint8_t kCmdPattern = 0x25;      // "%"
constexpr uint8_t kCmdState = 0x26;        // "&"
constexpr uint8_t kCmdStart = 0x28;        // "("
constexpr uint8_t kCmdReadSamples = 0x2A;  // "*"

std::atomic<uint16_t> g_outputWord{0};

} // namespace

uint16_t CDigIO::OutputWord()
{
    return g_outputWord.load();
}

void CDigIO::SetOutputWord(uint16_t word)
{
    g_outputWord.store(word);
    m_changes.MarkChanged(kOutputBit);
}

uint16_t CDigIO::ReadInput()
{
    m_stream->WriteByte(kCmdInputWord);
    return m_stream->ReadWord();
}

bool CDigIO::Flush()
{
    const uint32_t bits = m_changes.TakeChanged();
    if (bits & kOutputBit) {
        // The box answers the output word with nothing, not even "!".
        CommandBytes bytes(kCmdOutputWord);
        bytes.Word(OutputWord()).SendBatched(*m_stream);
    }
    return bits != 0;
}

// ---------------------------------------------------------------- analyzer

void CDigIO::SetTrigger(bool on, uint16_t word, uint16_t mask)
{
    m_triggerOn = on ? 1 : 0;
    m_triggerWord = word;
    m_triggerMask = mask;
}

void CDigIO::SetRecordLength(uint16_t length)
{
    if (length == m_recordLength)
        return;
    m_recordLength = length;
    m_record.assign(length, 0);
    m_samplesRead = std::min(m_samplesRead, length);
}

void CDigIO::ReplacePattern(std::vector<std::unique_ptr<CDigData>> steps)
{
    m_pattern = std::move(steps);
    m_patternChanged = 1;
}

void CDigIO::SendSetup()
{
    CommandBytes bytes(kCmdSetup);
    bytes.Word(m_sampleInterval).Word(m_triggerOn ? m_triggerWord : 0).Word(m_triggerMask);
    bytes.Word(m_recordLength).Byte(static_cast<uint8_t>(m_streamMode));
    bytes.SendBatched(*m_stream);
    m_stream->CheckAck();
    if (m_patternChanged)
        SendPattern();
    m_patternChanged = 0;
}

void CDigIO::SendPattern()
{
    // The step count and the repeat counts are 16-bit on the wire.
    const size_t steps = std::min<size_t>(m_pattern.size(), 0xFFFF);
    CommandBytes bytes(kCmdPattern);
    bytes.Word(static_cast<uint16_t>(steps));
    for (size_t i = 0; i < steps; ++i) {
        const CDigData& step = *m_pattern[i];
        bytes.Word(static_cast<uint16_t>(step.m_outputWord));
        bytes.Word(static_cast<uint16_t>(std::clamp(step.m_repeatCount, 0, 0xFFFF)));
    }
    UnitCommand{bytes, UnitCommand::Acknowledge}.Send(*m_stream);
}

void CDigIO::StartRecording()
{
    m_stream->WriteByte(kCmdStart);
    m_stream->CheckAck();
}

uint8_t CDigIO::AnalyzerState()
{
    m_lastState = m_stream->QueryByte(kCmdState);
    return m_lastState;
}

void CDigIO::StoreWords(uint32_t count)
{
    std::vector<uint8_t> raw(count * 2, 0);
    if (!raw.empty())
        m_stream->Read(raw.data(), static_cast<uint32_t>(raw.size()));
    for (uint32_t i = 0; i < count; ++i) {
        // Words beyond the record length have no place: dropped.
        if (m_samplesRead >= m_record.size())
            break;
        m_record[m_samplesRead++] = static_cast<uint16_t>(raw[2 * i] << 8 | raw[2 * i + 1]);
    }
}

void CDigIO::ReadRecordNow()
{
    CommandBytes bytes(kCmdReadRecord);
    bytes.Word(m_recordLength).SendBatched(*m_stream);
    m_record.assign(m_recordLength, 0);
    m_samplesRead = 0;
    StoreWords(m_recordLength);
    m_stream->CheckAck();
}

int32_t CDigIO::FetchSamples()
{
    if (m_streamMode == 0) {
        if (AnalyzerState() == kRecording)
            return 0;
        ReadRecordNow();
        m_samplesRead = m_recordLength;
        return m_recordLength;
    }
    // One read per call while recording, so the caller's cycle goes on; once
    // the record is complete, the remaining reads collect its tail at once.
    int32_t received = 0;
    while (m_readsLeft > 0) {
        m_stream->WriteByte(kCmdReadSamples);
        const uint16_t count = m_stream->ReadWord();
        StoreWords(count);
        received += count;
        if (AnalyzerState() != kRecordComplete)
            break;
        --m_readsLeft;
    }
    return received;
}

// ---------------------------------------------------------------- pattern

int64_t CDigIO::PatternLength() const
{
    int64_t length = 0;
    for (const auto& step : m_pattern)
        length += step->m_repeatCount;
    return length;
}

std::optional<uint16_t> CDigIO::WordAt(int64_t sample) const
{
    if (sample < 0)
        return std::nullopt;
    int64_t end = 0;
    for (const auto& step : m_pattern) {
        end += step->m_repeatCount;
        if (sample < end)
            return static_cast<uint16_t>(step->m_outputWord);
    }
    return std::nullopt;
}

double CDigIO::PatternDuration() const
{
    return m_sampleInterval * 0.0001 * static_cast<double>(PatternLength());
}

CString CDigIO::PatternDurationText() const
{
    if (PatternLength() == 0)
        return u"-------";
    return FormatEngineering(PatternDuration(), u"s");
}

CString CDigIO::StepText(const CDigData& step, int index)
{
    char bits[17];
    for (int bit = 15; bit >= 0; --bit)
        bits[15 - bit] = (step.m_outputWord >> bit & 1) ? '1' : '0';
    bits[16] = '\0';
    char text[96];
    std::snprintf(text, sizeof text, "%d\t%s\t%04X\t% 5d", index, bits, step.m_outputWord & 0xFFFF,
                  static_cast<int>(step.m_repeatCount));
    return Utf8ToString(text);
}

// ---------------------------------------------------------------- settings

void CDigIO::Serialize(CArchive& ar)
{
    if (ar.IsStoring()) {
        ar << kSettingsVersion << m_sampleInterval << m_reserved << m_triggerWord << m_triggerMask << m_streamMode
           << m_samplesRead << m_recordLength << m_triggerOn << m_repeat;
        for (uint16_t word : m_record)
            ar << word;
        SerializeArray(ar, m_pattern);
        return;
    }
    uint32_t version;
    uint16_t interval, triggerWord, triggerMask, samplesRead, recordLength;
    int32_t reserved, streamMode;
    uint8_t triggerOn = m_triggerOn, repeat = m_repeat;
    ar >> version >> interval >> reserved >> triggerWord >> triggerMask >> streamMode >> samplesRead >> recordLength;
    if (version >= 2)
        ar >> triggerOn >> repeat;
    // At most 65535 words: the length is a 16-bit value, so this stays bounded.
    std::vector<uint16_t> record(recordLength);
    for (uint16_t& word : record)
        ar >> word;
    std::vector<std::unique_ptr<CDigData>> pattern;
    SerializeArray(ar, pattern);

    m_sampleInterval = interval;
    m_reserved = reserved;
    m_triggerWord = triggerWord;
    m_triggerMask = triggerMask;
    m_streamMode = streamMode;
    m_recordLength = recordLength;
    m_record = std::move(record);
    m_samplesRead = std::min(samplesRead, recordLength);
    m_triggerOn = triggerOn ? 1 : 0;
    m_repeat = repeat ? 1 : 0;
    m_pattern = std::move(pattern);
    m_patternChanged = 1;
}
