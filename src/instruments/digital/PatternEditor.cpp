#include "instruments/digital/PatternEditor.h"

#include <algorithm>

#include "instruments/digital/DigRules.h"
#include "viframework/NumPadRules.h"

FieldEntry JudgeField(const CString& text, int32_t minimum, int32_t maximum)
{
    const NumPadVerdict verdict = CNumPadRules::ForInteger(minimum, maximum).Judge(text);
    FieldEntry entry;
    switch (verdict.outcome) {
    case NumPadVerdict::Outcome::Accept:
        entry.value = verdict.integer;
        break;
    case NumPadVerdict::Outcome::Refuse:
        entry.messageId = verdict.messageId;
        entry.argument = verdict.argument;
        break;
    default:
        // An empty field is no number: the page keeps what it had.
        entry.messageId = kTextNotANumber;
        break;
    }
    return entry;
}

// ---------------------------------------------------------------- editor

CPatternEditor::CPatternEditor(const std::vector<std::unique_ptr<CDigData>>& pattern)
{
    m_steps.reserve(pattern.size());
    for (const auto& step : pattern)
        m_steps.push_back(std::make_unique<CDigData>(*step));
    m_selected.assign(m_steps.size(), false);
}

std::vector<std::unique_ptr<CDigData>> CPatternEditor::TakePattern()
{
    m_selected.clear();
    return std::move(m_steps);
}

void CPatternEditor::Select(size_t i, bool selected)
{
    if (i < m_selected.size())
        m_selected[i] = selected;
}

void CPatternEditor::SelectAll()
{
    m_selected.assign(m_steps.size(), true);
}

size_t CPatternEditor::SelectionCount() const
{
    return size_t(std::count(m_selected.begin(), m_selected.end(), true));
}

bool CPatternEditor::AddStep()
{
    if (m_steps.size() >= kMaxPatternSteps)
        return false;
    size_t at = m_steps.size();
    for (size_t i = m_selected.size(); i-- > 0;) {
        if (m_selected[i]) {
            at = i + 1;
            break;
        }
    }
    m_steps.insert(m_steps.begin() + ptrdiff_t(at), std::make_unique<CDigData>(0u, 1));
    m_selected.assign(m_steps.size(), false);
    m_selected[at] = true;
    return true;
}

void CPatternEditor::DeleteSelected()
{
    std::optional<size_t> first;
    std::vector<std::unique_ptr<CDigData>> kept;
    for (size_t i = 0; i < m_steps.size(); ++i) {
        if (m_selected[i]) {
            if (!first)
                first = i;
        } else {
            kept.push_back(std::move(m_steps[i]));
        }
    }
    m_steps = std::move(kept);
    m_selected.assign(m_steps.size(), false);
    if (first && !m_steps.empty())
        m_selected[std::min(*first, m_steps.size() - 1)] = true;
}

void CPatternEditor::SetBit(int bit, bool set)
{
    const uint32_t mask = 1u << bit;
    for (size_t i = 0; i < m_steps.size(); ++i) {
        if (!m_selected[i])
            continue;
        if (set)
            m_steps[i]->m_outputWord |= mask;
        else
            m_steps[i]->m_outputWord &= ~mask;
    }
}

BitState CPatternEditor::BitOf(int bit) const
{
    bool anySet = false, anyClear = false;
    for (size_t i = 0; i < m_steps.size(); ++i) {
        if (!m_selected[i])
            continue;
        ((m_steps[i]->m_outputWord >> bit & 1) ? anySet : anyClear) = true;
    }
    if (anySet && anyClear)
        return BitState::mixed;
    return anySet ? BitState::set : BitState::clear;
}

std::optional<int32_t> CPatternEditor::RepeatCount() const
{
    std::optional<int32_t> count;
    for (size_t i = 0; i < m_steps.size(); ++i) {
        if (!m_selected[i])
            continue;
        if (count && *count != m_steps[i]->m_repeatCount)
            return std::nullopt;
        count = m_steps[i]->m_repeatCount;
    }
    return count;
}

void CPatternEditor::SetRepeatCount(int32_t count)
{
    for (size_t i = 0; i < m_steps.size(); ++i)
        if (m_selected[i])
            m_steps[i]->m_repeatCount = count;
}

bool CPatternEditor::Append(const std::vector<uint16_t>& words, int32_t repeat)
{
    const size_t before = m_steps.size();
    const bool whole = AppendPatternSteps(m_steps, words, repeat);
    m_selected.assign(m_steps.size(), false);
    std::fill(m_selected.begin() + ptrdiff_t(before), m_selected.end(), true);
    return whole;
}

bool CPatternEditor::Generate(const ClockEntry& entry)
{
    if (!entry.toSelected) {
        std::vector<uint16_t> words(size_t(std::clamp<int32_t>(entry.steps, 0, int32_t(kMaxPatternSteps) + 1)), 0);
        ApplyClock(words, entry.bits, entry.high, entry.low);
        return Append(words, entry.repeat);
    }
    // The clock runs over the selected steps as if they stood together.
    std::vector<uint16_t> words;
    for (size_t i = 0; i < m_steps.size(); ++i)
        if (m_selected[i])
            words.push_back(static_cast<uint16_t>(m_steps[i]->m_outputWord));
    ApplyClock(words, entry.bits, entry.high, entry.low);
    size_t k = 0;
    for (size_t i = 0; i < m_steps.size(); ++i)
        if (m_selected[i])
            m_steps[i]->m_outputWord = (m_steps[i]->m_outputWord & 0xFFFF0000u) | words[k++];
    return true;
}

bool CPatternEditor::Generate(const ConstantEntry& entry)
{
    const std::vector<uint16_t> words(size_t(std::clamp<int32_t>(entry.steps, 0, int32_t(kMaxPatternSteps) + 1)),
                                      entry.word);
    return Append(words, entry.repeat);
}

bool CPatternEditor::Generate(const CounterEntry& entry)
{
    return Append(CounterWords(entry.start, entry.end, entry.increment), entry.repeat);
}

// ---------------------------------------------------------------- trigger

namespace {

// The bit a box stands for in its row of sixteen, or −1.
int BitOfBox(uint32_t box, uint32_t first)
{
    return box >= first && box < first + 16 ? int(box - first) : -1;
}

}  // namespace

bool CTriggerBoxes::Checked(uint32_t box) const
{
    if (box == kTriggerOnBox)
        return m_on;
    if (const int bit = BitOfBox(box, kFirstWordBox); bit >= 0)
        return (m_word >> bit & 1) != 0;
    if (const int bit = BitOfBox(box, kFirstDontCareBox); bit >= 0)
        return (m_mask >> bit & 1) == 0;
    return false;
}

void CTriggerBoxes::SetChecked(uint32_t box, bool checked)
{
    if (box == kTriggerOnBox) {
        m_on = checked;
    } else if (const int bit = BitOfBox(box, kFirstWordBox); bit >= 0) {
        m_word = static_cast<uint16_t>(checked ? m_word | 1u << bit : m_word & ~(1u << bit));
    } else if (const int bit = BitOfBox(box, kFirstDontCareBox); bit >= 0) {
        m_mask = static_cast<uint16_t>(checked ? m_mask & ~(1u << bit) : m_mask | 1u << bit);
    }
}

bool CTriggerBoxes::Enabled(uint32_t box) const
{
    if (const int bit = BitOfBox(box, kFirstWordBox); bit >= 0)
        return (m_mask >> bit & 1) != 0;
    return true;
}
