// The controls the chart property pages share: owner-drawn drop-down lists
// of line styles and bar styles, colour swatches and the system's colour and
// font dialogs.
#pragma once

#include <windows.h>

#include <cstdint>

#include "charts/ChartCanvas.h"
#include "charts/ChartItems.h"

// A drop-down list of the styles a chart pen can have, each shown as a short
// line in that style; "none" switches the line off and reads as a word.
class CLineCombo {
public:
    static constexpr uint32_t kStyles[] = {ChartPen::solid,      ChartPen::dash,      ChartPen::dot,
                                           ChartPen::dashDot,    ChartPen::dashDotDot, ChartPen::alternate,
                                           ChartPen::none};

    // Fills the combo box (CBS_OWNERDRAWFIXED) of a dialog.
    void Attach(HWND combo);
    // A style the list does not show is drawn solid, so it selects that.
    void Select(uint32_t style);
    uint32_t Selected() const;
    void DrawItem(const DRAWITEMSTRUCT& item) const;

private:
    HWND m_hWnd = nullptr;
    CString m_noneText;
};

// A drop-down list of the ways a curve goes between its values, each with a
// small picture and its name.
class CBarCombo {
public:
    static constexpr BarStyle kStyles[] = {BarStyle::line, BarStyle::bars, BarStyle::steps, BarStyle::points};

    void Attach(HWND combo);
    void Select(BarStyle style);
    BarStyle Selected() const;
    void DrawItem(const DRAWITEMSTRUCT& item) const;

private:
    HWND m_hWnd = nullptr;
    CString m_names[4];
};

// The item height of the pages' owner-drawn lists for the dialog's font. It
// is asked for while the dialog creates its controls, before it has a page.
void MeasureComboItem(HWND dialog, MEASUREITEMSTRUCT& item);
// A colour field: the colour inside a frame, greyed when disabled.
void DrawColourSwatch(const DRAWITEMSTRUCT& item, uint32_t colour);
// The system's colour dialog on a COLORREF; true when the user chose one.
bool PickColour(HWND owner, uint32_t& colour);
// The system's font dialog on a stored font (height in points); true when
// the user chose one. What the dialog does not offer stays as it was.
bool PickFont(HWND owner, FontRecord& font);
// A stored font as GDI takes it on the screen.
LOGFONTW ScreenLogFont(const FontRecord& font);
