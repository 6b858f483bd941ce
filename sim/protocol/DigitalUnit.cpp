// The digital unit, the relays (unit 2) and the METRAHit link (unit 8).
#include "protocol/DigitalUnit.h"

#include <algorithm>
#include <cmath>

#include "protocol/CommandTable.h"
#include "protocol/SimBox.h"

namespace vexasim {

double CSimDigital::SampleInterval() const
{
    return std::max<uint16_t>(interval, 1) * 1e-4;
}

void CSimDigital::SetPattern(std::vector<std::pair<uint16_t, uint16_t>> steps)
{
    m_pattern = std::move(steps);
    m_stepEnds.clear();
    uint64_t end = 0;
    for (const auto& step : m_pattern)
        m_stepEnds.push_back(end += step.second);
}

uint64_t CSimDigital::PatternLength() const
{
    return m_stepEnds.empty() ? 0 : m_stepEnds.back();
}

uint16_t CSimDigital::InputAt(uint64_t k) const
{
    if (!m_box.Options().loopback)
        return m_box.Options().digitalInput;
    const uint64_t length = PatternLength();
    if (length == 0)
        return outputWord;
    const auto end = std::upper_bound(m_stepEnds.begin(), m_stepEnds.end(), k % length);
    return m_pattern[static_cast<size_t>(end - m_stepEnds.begin())].first;
}

void CSimDigital::StartRecording()
{
    m_recording = true;
    m_start = m_box.Now();
    m_read = 0;
    m_triggerIndex = 0;
    if (triggerMask == 0)
        return;
    // The inputs repeat with the pattern, so its first step that shows the
    // trigger word is where the record starts; without one it never does.
    auto matches = [&](uint16_t word) { return (word & triggerMask) == (triggerWord & triggerMask); };
    m_triggerIndex = -1;
    if (PatternLength() == 0 || !m_box.Options().loopback) {
        if (matches(InputAt(0)))
            m_triggerIndex = 0;
        return;
    }
    for (size_t i = 0; i < m_pattern.size(); ++i) {
        if (m_pattern[i].second > 0 && matches(m_pattern[i].first)) {
            m_triggerIndex = static_cast<int64_t>(m_stepEnds[i] - m_pattern[i].second);
            return;
        }
    }
}

uint64_t CSimDigital::Elapsed() const
{
    return static_cast<uint64_t>(std::max(0.0, std::floor((m_box.Now() - m_start) / SampleInterval())));
}

uint32_t CSimDigital::Recorded() const
{
    if (!m_recording || m_triggerIndex < 0)
        return 0;
    const uint64_t elapsed = Elapsed();
    const uint64_t start = static_cast<uint64_t>(m_triggerIndex);
    return elapsed <= start ? 0 : static_cast<uint32_t>(std::min<uint64_t>(elapsed - start, recordLength));
}

uint8_t CSimDigital::State() const
{
    if (!m_recording)
        return 0;
    if (m_triggerIndex < 0 || Elapsed() < static_cast<uint64_t>(m_triggerIndex))
        return 1;
    return Recorded() < recordLength ? 2 : 3;
}

uint16_t CSimDigital::InputWord() const
{
    if (m_recording && State() != 3)
        return InputAt(Elapsed());
    return m_box.Options().loopback ? outputWord : m_box.Options().digitalInput;
}

std::vector<uint16_t> CSimDigital::Record(uint32_t count) const
{
    std::vector<uint16_t> words(count, 0);
    const uint32_t recorded = Recorded();
    for (uint32_t i = 0; i < count && i < recorded; ++i)
        words[i] = InputAt(static_cast<uint64_t>(m_triggerIndex) + i);
    return words;
}

std::vector<uint16_t> CSimDigital::TakeSamples()
{
    const uint32_t recorded = Recorded();
    std::vector<uint16_t> words;
    for (uint32_t i = m_read; i < recorded; ++i)
        words.push_back(InputAt(static_cast<uint64_t>(m_triggerIndex) + i));
    m_read = std::max(m_read, recorded);
    return words;
}

namespace {

void WriteWords(const std::vector<uint16_t>& words, CReplyWriter& r)
{
    std::vector<uint8_t> bytes;
    bytes.reserve(2 * words.size());
    for (uint16_t w : words) {
        bytes.push_back(static_cast<uint8_t>(w >> 8));
        bytes.push_back(static_cast<uint8_t>(w));
    }
    r.Data(bytes.data(), bytes.size());
}

size_t PatternSteps(const uint8_t* p)
{
    return 4u * GetWord(p);
}

void AnswerMetraHit(CSimBox& box, MetraHitRequest request, CReplyWriter& r)
{
    // The meter reads channel A: its DC level while the generator gives
    // DC, its AC+DC RMS value otherwise.
    const bool dc = box.model.Period(0) == 0.0;
    const double volts = dc ? box.model.Mean(0) : box.model.Rms(0);
    const MetraHitModel model = box.metraHitPlugged ? box.Options().metraHit : MetraHitModel::None;
    const auto answer = MetraHitAnswer(model, request, volts, dc);
    r.Data(answer.data(), answer.size());
}

} // namespace

void RegisterDigitalCommands(CCommandTable& table)
{
    table.Add(0x21, {.name = "digital output", .unit = 1, .params = 2,
                     .handler = [](CSimBox& box, const uint8_t* p, size_t, CReplyWriter&) {
                         box.digital.outputWord = GetWord(p);
                     }});
    table.Add(0x20, {.name = "digital input", .unit = 1, .handler = [](CSimBox& box, const uint8_t*, size_t, CReplyWriter& r) {
                         r.Word(box.digital.InputWord());
                     }});
    table.Add(0x23, {.name = "analyzer setup", .unit = 1, .params = 9,
                     .handler = [](CSimBox& box, const uint8_t* p, size_t, CReplyWriter& r) {
                         CSimDigital& d = box.digital;
                         d.interval = GetWord(p);
                         d.triggerWord = GetWord(p + 2);
                         d.triggerMask = GetWord(p + 4);
                         d.recordLength = GetWord(p + 6);
                         d.streamMode = p[8];
                         r.Ack();
                     }});
    table.Add(0x25, {.name = "pattern", .unit = 1, .params = 2, .extra = PatternSteps,
                     .handler = [](CSimBox& box, const uint8_t* p, size_t, CReplyWriter& r) {
                         std::vector<std::pair<uint16_t, uint16_t>> steps(GetWord(p));
                         for (size_t i = 0; i < steps.size(); ++i)
                             steps[i] = {GetWord(p + 2 + 4 * i), GetWord(p + 4 + 4 * i)};
                         box.digital.SetPattern(std::move(steps));
                         r.Ack();
                     }});
    table.Add(0x28, {.name = "analyzer start", .unit = 1, .handler = [](CSimBox& box, const uint8_t*, size_t, CReplyWriter& r) {
                         box.digital.StartRecording();
                         r.Ack();
                     }});
    table.Add(0x26, {.name = "analyzer state", .unit = 1, .handler = [](CSimBox& box, const uint8_t*, size_t, CReplyWriter& r) {
                         r.Byte(box.digital.State());
                     }});
    table.Add(0x24, {.name = "analyzer read record", .unit = 1, .params = 2,
                     .handler = [](CSimBox& box, const uint8_t* p, size_t, CReplyWriter& r) {
                         WriteWords(box.digital.Record(GetWord(p)), r);
                         r.Ack();
                     }});
    table.Add(0x2A, {.name = "analyzer read samples", .unit = 1, .handler = [](CSimBox& box, const uint8_t*, size_t, CReplyWriter& r) {
                         auto words = box.digital.TakeSamples();
                         if (words.size() > 0xFFFF)
                             words.resize(0xFFFF);
                         r.Word(static_cast<uint16_t>(words.size()));
                         WriteWords(words, r);
                     }});
    table.Add(0x32, {.name = "relays", .unit = 2, .params = 1, .handler = [](CSimBox& box, const uint8_t* p, size_t, CReplyWriter& r) {
                         box.relays = p[0];
                         r.Ack();
                     }});
    table.Add(0x50, {.name = "METRAHit 23S", .unit = 8, .handler = [](CSimBox& box, const uint8_t*, size_t, CReplyWriter& r) {
                         AnswerMetraHit(box, MetraHitRequest::P, r);
                     }});
    table.Add(0x51, {.name = "METRAHit 13S/18S", .unit = 8, .handler = [](CSimBox& box, const uint8_t*, size_t, CReplyWriter& r) {
                         AnswerMetraHit(box, MetraHitRequest::Q, r);
                     }});
    table.Add(0x54, {.name = "METRAHit TEACH", .unit = 8, .params = 1,
                     .handler = [](CSimBox& box, const uint8_t*, size_t, CReplyWriter& r) {
                         AnswerMetraHit(box, MetraHitRequest::T, r);
                     }});
}

} // namespace vexasim
