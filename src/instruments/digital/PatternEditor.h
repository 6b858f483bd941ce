// The settings sheet of the logic analyzer apart from its windows: the
// pattern editor's copy of the pattern with its selection and operations,
// the three pattern generators' entries, the trigger page's boxes, and what
// the pages accept in their number fields.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "framework/Types.h"
#include "units/DigData.h"

// Repeat counts go to the box as 16-bit values.
constexpr int32_t kMaxRepeatCount = 65535;

// A whole number typed into a page's field: accepted, or refused with the
// string resource saying why and the bound it names (for its "%s").
struct FieldEntry {
    std::optional<int32_t> value;
    uint32_t messageId = 0;
    CString argument;
};
FieldEntry JudgeField(const CString& text, int32_t minimum, int32_t maximum);

// The generators' entries, with the dialogs' defaults.
struct ClockEntry {
    uint16_t bits = 0;
    int32_t high = 1;  // steps per phase
    int32_t low = 1;
    int32_t steps = 10;
    int32_t repeat = 1;
    bool toSelected = false;  // change the selected steps instead of adding
};
struct ConstantEntry {
    uint16_t word = 0;
    int32_t steps = 10;
    int32_t repeat = 1;
};
struct CounterEntry {
    int32_t start = 0;
    int32_t end = 255;
    int32_t increment = 1;
    int32_t repeat = 1;
};

// How the selected steps show one bit in a three-state box.
enum class BitState { clear = 0, set = 1, mixed = 2 };

class CPatternEditor {
public:
    // Works on a copy: the unit's pattern changes only when the sheet's OK
    // hands TakePattern to it.
    explicit CPatternEditor(const std::vector<std::unique_ptr<CDigData>>& pattern);

    const std::vector<std::unique_ptr<CDigData>>& Steps() const { return m_steps; }
    size_t Count() const { return m_steps.size(); }
    std::vector<std::unique_ptr<CDigData>> TakePattern();

    bool IsSelected(size_t i) const { return i < m_selected.size() && m_selected[i]; }
    void Select(size_t i, bool selected);
    void SelectAll();
    size_t SelectionCount() const;

    // Adds a step (word 0, count 1) after the last selected step, or at the
    // end without a selection; the new step becomes the selection. False at
    // the step limit.
    bool AddStep();
    // The step after the deleted ones (or the new last one) becomes the selection.
    void DeleteSelected();

    // Sets or clears a bit in every selected step.
    void SetBit(int bit, bool set);
    // Over the selected steps; clear without a selection.
    BitState BitOf(int bit) const;
    // The count all selected steps share; none when they differ or nothing is selected.
    std::optional<int32_t> RepeatCount() const;
    void SetRepeatCount(int32_t count);

    // The generators add their steps at the end and select them; false when
    // the step limit cut them short (the steps up to it stay). The clock
    // applied to the selection changes only the selected steps' clock bits.
    bool Generate(const ClockEntry& entry);
    bool Generate(const ConstantEntry& entry);
    bool Generate(const CounterEntry& entry);
    // The clock's "selected steps" choice is offered only for more than one.
    bool OffersClockOnSelection() const { return SelectionCount() > 1; }

private:
    bool Append(const std::vector<uint16_t>& words, int32_t repeat);

    std::vector<std::unique_ptr<CDigData>> m_steps;
    std::vector<bool> m_selected;
};

// The trigger page: boxes 301 to 316 are the trigger word's bits, 317 to
// 332 mark bits that do not matter (the mask bit is set when its box is
// clear), 333 is the trigger on.
constexpr uint32_t kTextTriggerWithoutBits = 501;

class CTriggerBoxes {
public:
    static constexpr uint32_t kFirstWordBox = 301;
    static constexpr uint32_t kFirstDontCareBox = 317;
    static constexpr uint32_t kTriggerOnBox = 333;

    CTriggerBoxes(bool on, uint16_t word, uint16_t mask) : m_on(on), m_word(word), m_mask(mask) {}

    bool Checked(uint32_t box) const;
    void SetChecked(uint32_t box, bool checked);
    // A word bit's box greys while its bit does not matter.
    bool Enabled(uint32_t box) const;

    bool On() const { return m_on; }
    // A trigger on with every input marked "do not care" would fire at once;
    // the page refuses it with message kTextTriggerWithoutBits.
    bool ComparesNothing() const { return m_on && m_mask == 0; }
    uint16_t Word() const { return m_word; }
    uint16_t Mask() const { return m_mask; }

private:
    bool m_on;
    uint16_t m_word;
    uint16_t m_mask;
};
