#include "instruments/generator/FuncGenVI.h"

#include <algorithm>

#include "instruments/generator/FormInDialog.h"
#include "instruments/generator/FormulaList.h"
#include "units/FuncGen.h"
#include "viframework/controls/HotPowerButton.h"
#include "viframework/controls/Menu.h"

bool CFuncGenFormVI::CanOpen()
{
    if (!CFuncGenBaseVI::CanOpen())
        return false;
    m_unit->SetWaveform(CFuncGen::kFormulaWaveform);
    return true;
}

bool CFuncGenFormVI::OnLayoutLoaded()
{
    m_list = Find<CHotMenu>(kFormulaListId);
    if (!CFuncGenVI::OnLayoutLoaded())
        return false;
    FillList();
    ApplyEntry();
    return true;
}

void CFuncGenFormVI::ShowSettings()
{
    CFuncGenVI::ShowSettings();
    // The output is switched only with a formula to play.
    if (m_outputButton) {
        const bool disabled = SharedFormulaList().Selected() == CFormulaList::kNone;
        if (m_outputButton->IsDisabled() != disabled) {
            m_outputButton->SetFlag(kHotDisabled, disabled);
            InvalidateHotspot(m_outputButton);
        }
    }
}

void CFuncGenFormVI::FillList()
{
    if (!m_list)
        return;
    const CFormulaList& list = SharedFormulaList();
    m_list->ClearItems();
    const size_t shown = std::min<size_t>(list.Count(), kLastEntry - kFirstEntry + 1);
    for (size_t i = 0; i < shown; ++i)
        m_list->AddItem(kFirstEntry + uint32_t(i), list.Name(i));
    m_list->SetSelection(list.Selected());
    InvalidateHotspot(m_list);
}

void CFuncGenFormVI::ApplyEntry(bool force)
{
    const CFormulaList& list = SharedFormulaList();
    if (const CString* formula = list.SelectedFormula()) {
        if (force || *formula != CFuncGen::Formula())
            m_unit->SetFormula(*formula, FormulaErrorDisplay::Silent);
    } else {
        m_unit->SetOutputOn(false);
    }
    if (m_list && m_list->SetSelection(list.Selected()))
        InvalidateHotspot(m_list);
    m_unit->SetWaveform(CFuncGen::kFormulaWaveform);
    ShowSettings();
    SendSoon();
}

void CFuncGenFormVI::AddEntry()
{
    CFormInDialogEx dialog({}, {});
    if (!dialog.DoModal(m_hWnd))
        return;
    SharedFormulaList().Add(dialog.Name(), dialog.Formula());
    FillList();
    ApplyEntry();
}

void CFuncGenFormVI::EditEntry()
{
    CFormulaList& list = SharedFormulaList();
    if (!list.SelectedFormula())
        return;
    const size_t i = size_t(list.Selected());
    CFormInDialogEx dialog(list.Name(i), list.Formula(i));
    if (!dialog.DoModal(m_hWnd) || !list.ReplaceSelected(dialog.Name(), dialog.Formula()))
        return;
    FillList();
    ApplyEntry();
}

void CFuncGenFormVI::DeleteEntry()
{
    if (!SharedFormulaList().RemoveSelected())
        return;
    FillList();
    ApplyEntry();
}

bool CFuncGenFormVI::OnCommand(uint32_t id)
{
    switch (id) {
    case kAddFormula: AddEntry(); return true;
    case kEditFormula: EditEntry(); return true;
    case kDeleteFormula: DeleteEntry(); return true;
    case kOutputButtonId:
        if (!SharedFormulaList().SelectedFormula())
            return true;
        break;
    default:
        if (id >= kFirstEntry && id <= kLastEntry) {
            SharedFormulaList().Select(int32_t(id - kFirstEntry));
            ApplyEntry();
            return true;
        }
        break;
    }
    return CFuncGenVI::OnCommand(id);
}

void CFuncGenFormVI::SerializeInstrument(CArchive& ar)
{
    SharedFormulaList().Serialize(ar);
    if (ar.IsStoring())
        return;
    // The loaded entry is sent again even where the generator holds the same
    // text, so that a box that lost it plays it too.
    FillList();
    ApplyEntry(true);
}
