#include "instruments/generator/FormulaList.h"

#include "framework/Exception.h"

const CString* CFormulaList::SelectedFormula() const
{
    return m_selected >= 0 && size_t(m_selected) < Count() ? &Formula(size_t(m_selected)) : nullptr;
}

bool CFormulaList::Select(int32_t i)
{
    if (i < kNone || (i >= 0 && size_t(i) >= Count()))
        return false;
    m_selected = i;
    return true;
}

void CFormulaList::Add(const CString& name, const CString& formula)
{
    m_strings.push_back(name);
    m_strings.push_back(formula);
    m_selected = int32_t(Count() - 1);
}

bool CFormulaList::ReplaceSelected(const CString& name, const CString& formula)
{
    if (!SelectedFormula())
        return false;
    m_strings[2 * size_t(m_selected)] = name;
    m_strings[2 * size_t(m_selected) + 1] = formula;
    return true;
}

bool CFormulaList::RemoveSelected()
{
    if (!SelectedFormula())
        return false;
    const auto first = m_strings.begin() + 2 * m_selected;
    m_strings.erase(first, first + 2);
    --m_selected;
    return true;
}

void CFormulaList::Serialize(CArchive& ar)
{
    if (ar.IsStoring()) {
        ar << kVersion << m_selected;
        SerializeArray(ar, m_strings);
        return;
    }
    uint32_t version;
    int32_t selected;
    ar >> version >> selected;
    if (version != kVersion)
        throw CArchiveException(CArchiveException::badSchema);
    std::vector<CString> strings;
    SerializeArray(ar, strings);
    if (strings.size() % 2 != 0 || selected < kNone || (selected >= 0 && size_t(selected) >= strings.size() / 2))
        throw CArchiveException(CArchiveException::badIndex);
    m_strings = std::move(strings);
    m_selected = selected;
}

CFormulaList& SharedFormulaList()
{
    static CFormulaList list;
    return list;
}
