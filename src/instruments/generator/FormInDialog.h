// The formula dialogs. CFormInDialog edits a formula in X: the evaluator
// checks it as the user types, an error shows its reason and the character
// where it lies, and a preview draws one period of what the generator would
// play. CFormInDialogEx adds the entry's name (the formula generator's list).
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "framework/Types.h"
#include "instruments/generator/GeneratorRules.h"

class CFormInDialog {
public:
    static constexpr int kFormulaEditId = 152;
    static constexpr int kMessageId = 153;
    static constexpr int kPreviewId = 154;
    static constexpr uint32_t kTemplateId = 6020;

    explicit CFormInDialog(const CString& formula, uint32_t templateId = kTemplateId)
        : m_templateId(templateId), m_formula(formula)
    {
    }
    virtual ~CFormInDialog() = default;

    // True when the user accepted a formula the generator can play.
    bool DoModal(HWND owner);
    const CString& Formula() const { return m_formula; }

protected:
    virtual void OnInit(HWND dialog);
    // Checks the entries when the user presses OK; false keeps the dialog open.
    virtual bool Accept(HWND dialog);
    void ShowMessage(HWND dialog, const CString& text);

private:
    static INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    // Judges the formula in the field and shows the verdict.
    void Check(HWND dialog);
    void DrawPreview(const DRAWITEMSTRUCT& item) const;

    uint32_t m_templateId;
    CString m_formula;
    FormulaVerdict m_verdict;
    std::vector<double> m_preview;
    bool m_hasMessage = false;
};

class CFormInDialogEx : public CFormInDialog {
public:
    static constexpr int kNameEditId = 151;

    CFormInDialogEx(const CString& name, const CString& formula) : CFormInDialog(formula), m_name(name) {}

    const CString& Name() const { return m_name; }

protected:
    void OnInit(HWND dialog) override;
    bool Accept(HWND dialog) override;

private:
    CString m_name;
};

// Why the generator cannot play a formula, in the user's language.
CString FormulaVerdictText(const FormulaVerdict& verdict);
