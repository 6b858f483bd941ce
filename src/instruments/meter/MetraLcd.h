// CHotMetraLcd: the METRAHit instrument's read-out, drawn like the meter's
// own liquid-crystal display: light seven-segment digits on a dark field,
// the unit and the mode name smaller, and an "OL" mark on overload.
#pragma once

#include "viframework/controls/ValueDisplay.h"

class CHotMetraLcd : public CHotValueDisplay {
public:
    static constexpr int32_t kNaturalWidth = 232;
    static constexpr int32_t kNaturalHeight = 76;
    static constexpr Argb kBackground = 0xFF4B4B4Bu;
    static constexpr Argb kLit = 0xFFE6EEDCu;
    static constexpr Argb kUnlit = 0x1EFFFFFFu;
    static constexpr int32_t kInset = 5;       // the text area's inset left and right
    static constexpr size_t kDigitCells = 6;   // sign and five digits; the point takes none

    CHotMetraLcd();

    // Takes the meter's display text (sign first), unit, mode name and
    // overload flag; true when anything shown changed.
    bool SetReading(const CString& display, const CString& unit, const CString& modeName, bool overload);
    // Shows nothing (the meter stopped answering); true when that changed it.
    bool Blank();

    void AutoSize() override;
    void Draw(IPanelGraphics& graphics, CVISkinManager& skin) override;
    // Copies nothing when blank.
    bool OnPress(IHotspotHost& host) override;

    const CString& ModeName() const { return m_modeName; }
    bool Overload() const { return m_overload; }

    // The digits' cells inside the rectangle [panel units].
    RectF DigitArea() const;

private:
    CString m_modeName;
    bool m_overload = false;
    FontRecord m_smallFont;
    FontRecord m_markFont;
};
