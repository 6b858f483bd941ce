// CHotValue: a titled numeric field: a title above a number with its unit,
// inside a frame. It only shows; it takes no clicks.
#pragma once

#include <cstdint>

#include "viframework/controls/Hotspot.h"

class CHotValue : public CHotspot {
public:
    static constexpr uint32_t kTypeCode = kHotValue;
    static constexpr uint32_t kMostDecimals = 15;

    CHotValue();

    // Tail: u32 version, u32 alignment, back and frame colours, u32 (unused),
    // i32 value font height, u8 frame shown, u32 decimals, title and value
    // colours, title, font, f64 value. The unit is not stored.
    void Serialize(CArchive& ar) override;
    // The loaded number is formatted anew.
    void OnLoaded() override;
    // An empty field becomes 150 × 100; one with a size keeps it.
    void PlaceAt(int32_t x, int32_t y) override;
    // Value to 0; true when that changed it.
    bool Reset() override;
    void Draw(IPanelGraphics& graphics, CVISkinManager& skin) override;

    // Each is true when it changed what the field shows.
    bool SetValue(double value);
    bool SetDecimals(uint32_t decimals);
    bool SetTitle(const CString& title);
    bool SetUnit(const CString& unit);
    // The font of the title; the value takes its face at the stored value height.
    void SetFont(const FontRecord& font);

    double Value() const { return m_value; }
    const CString& Title() const { return m_title; }
    const CString& Unit() const { return m_unit; }
    // The number as shown: "%.*lf" with the decimals (at most kMostDecimals);
    // "---" for a value that is not a finite number.
    const CString& ValueText() const;

    uint32_t m_version = 1;
    uint32_t m_alignment = 0;           // of the number: 0 right, 1 centred, other left
    Argb m_backColour = 0xFFFFFFFFu;    // behind the number
    Argb m_frameColour = 0xFFADD8E6u;   // the frame; the title band is a darker shade of it
    uint32_t m_reserved = 0;
    int32_t m_valueHeight = -20;        // the number's font height (a copy of the font's as stored)
    uint8_t m_showFrame = 1;            // 0: the texts alone, on the panel
    uint32_t m_decimals = 2;
    Argb m_titleColour = 0xFFFFFFFFu;
    Argb m_valueColour = 0xFF000000u;   // the number and its unit
    CString m_title = u"Title";
    FontRecord m_font;
    double m_value = 0.0;

private:
    CString m_unit;
    mutable CString m_text;
    mutable bool m_textStale = true;
};
