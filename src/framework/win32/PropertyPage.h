// CPropertyPage: one page of a property sheet built from a dialog template
// of the resource chain. The page keeps a copy of what it edits; the sheet
// asks it to check its fields when the user leaves it and to write the copy
// back on OK.
#pragma once

#include <windows.h>
#include <prsht.h>

#include <cstdint>
#include <span>

#include "framework/Types.h"

class CPropertyPage {
public:
    // A page whose controls need something before the page exists (owner-drawn
    // lists are measured before WM_INITDIALOG) passes a procedure that does
    // it and hands the rest to DialogProc.
    explicit CPropertyPage(uint32_t templateId, DLGPROC procedure = DialogProc)
        : m_templateId(templateId), m_procedure(procedure)
    {
    }
    virtual ~CPropertyPage() = default;
    CPropertyPage(const CPropertyPage&) = delete;
    CPropertyPage& operator=(const CPropertyPage&) = delete;

    // The sheet's description of the page; false when the template is missing.
    bool Describe(PROPSHEETPAGEW& page);
    // Whether applying the page changed what it edits.
    bool Wrote() const { return m_wrote; }

protected:
    virtual void OnInitDialog() = 0;
    virtual void OnCommand(int id, int code) {}
    virtual void OnNotify(const NMHDR& header) {}
    virtual void OnDrawItem(const DRAWITEMSTRUCT& item) {}
    // Checks the page before the sheet leaves it or applies it; false keeps
    // the user on the page.
    virtual bool OnKillActive() { return true; }
    // Writes the page's copy back; true when that changed something.
    virtual bool OnApply() = 0;

    HWND Item(int id) const { return GetDlgItem(m_hWnd, id); }
    CString ItemText(int id) const;
    // Sets a field without that counting as the user's change.
    void SetItemText(int id, const CString& text);
    // Lights the sheet's Apply button (not for the page's own fillings).
    void SetModified();

    static INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

    HWND m_hWnd = nullptr;
    // Set while the page fills its own fields, which are no user's edits.
    bool m_quiet = false;

private:
    uint32_t m_templateId;
    DLGPROC m_procedure;
    bool m_wrote = false;
};

// Runs a modal sheet of the pages (flags: PSH_ flags beyond the caption and
// the pages); false when a page's template is missing (the user is told).
// Whether a page was applied, each page tells by Wrote.
bool RunPropertySheet(HWND owner, const CString& caption, std::span<CPropertyPage* const> pages, DWORD flags);
