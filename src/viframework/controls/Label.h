// CHotLabel: one line of text on a panel, in its own font and colour.
#pragma once

#include <cstdint>

#include "viframework/controls/Hotspot.h"

class CHotLabel : public CHotspot {
public:
    static constexpr uint32_t kTypeCode = kHotLabel;

    CHotLabel();

    void Serialize(CArchive& ar) override;
    // "TEXT" at (x, y), sized to it.
    void PlaceAt(int32_t x, int32_t y) override;
    // Sizes the rectangle to the text in the label's font.
    void AutoSize() override;
    void Draw(IPanelGraphics& graphics, CVISkinManager& skin) override;

    // The size follows the text; true when the text changed.
    bool SetText(const CString& text);
    // kSkinColour draws in the skin's text colour.
    void SetColour(Argb colour) { m_colour = colour; }
    void SetFont(const FontRecord& font) { m_font = font; }

    const CString& Text() const { return m_text; }
    Argb Colour() const { return m_colour; }
    const FontRecord& Font() const { return m_font; }

private:
    FontRecord m_font;
    Argb m_colour = kSkinColour;
    CString m_text;
};
