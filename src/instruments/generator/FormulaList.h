// CFormulaList: the formula generator's named formulas and which one plays.
// One list serves every formula generator panel of the process.
#pragma once

#include <cstdint>
#include <vector>

#include "framework/Archive.h"
#include "framework/Types.h"

class CFormulaList {
public:
    static constexpr uint32_t kVersion = 1;
    static constexpr int32_t kNone = -1;

    size_t Count() const { return m_strings.size() / 2; }
    const CString& Name(size_t i) const { return m_strings[2 * i]; }
    const CString& Formula(size_t i) const { return m_strings[2 * i + 1]; }
    int32_t Selected() const { return m_selected; }
    // The selected entry's formula; null when none is selected.
    const CString* SelectedFormula() const;

    // Selects entry i (kNone for none); false for an index outside the list.
    bool Select(int32_t i);
    // Appends an entry and selects it.
    void Add(const CString& name, const CString& formula);
    // Replaces the selected entry; false when none is selected.
    bool ReplaceSelected(const CString& name, const CString& formula);
    // Removes the selected entry; the one before it becomes selected (none
    // after removing the first). False when none is selected.
    bool RemoveSelected();

    // Version, selected index, then the strings: names at even indexes,
    // formulas at odd ones. A list that cannot be one (another version, an
    // odd string count, a selection outside it) is refused with an archive
    // exception and the list stays as it was.
    void Serialize(CArchive& ar);

    bool operator==(const CFormulaList&) const = default;

private:
    std::vector<CString> m_strings;
    int32_t m_selected = kNone;
};

// The list the formula generator panels share.
CFormulaList& SharedFormulaList();
