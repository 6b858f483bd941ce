// Structure on a panel: frames (which host child windows), text blocks on a
// frame, and group boxes. Frames and group boxes never take the pointer, so
// whatever lies inside them gets the clicks.
#pragma once

#include <algorithm>
#include <cstdint>

#include "viframework/controls/Hotspot.h"

class CHotFrame : public CHotspot {
public:
    static constexpr uint32_t kTypeCode = kHotFrame;

    enum Border : uint32_t { kBorderNone = 0, kBorderLine = 1, kBorderRaised = 2, kBorderSunken = 3 };

    CHotFrame();

    void Serialize(CArchive& ar) override;
    bool HitTest(CPoint point) const override { return false; }
    void PlaceAt(int32_t x, int32_t y) override;
    void Draw(IPanelGraphics& graphics, CVISkinManager& skin) override;

    // Where child windows go: the rectangle shrunk by inset + 1 on every side.
    CRect InnerRect() const
    {
        const int32_t inset = int32_t(std::min<uint32_t>(m_inset, uint32_t(kMaxPanelCoordinate))) + 1;
        return m_rect.Inflated(-inset, -inset);
    }

    // Stored fields, in stored order. Colours are COLORREF values.
    uint32_t m_border = kBorderSunken;
    uint32_t m_radius = 10;         // corner radius [panel units]
    uint32_t m_inset = 5;           // [panel units]
    uint32_t m_shadeDepth = 6;      // the dark edge is the frame colour darkened by ten times this
    uint32_t m_lineWidth = 2;       // [panel units]
    uint32_t m_lightOffset = 2;     // of the light edge, right and down [panel units]
    uint32_t m_lightColour = 0x00FFFFFFu;
    uint32_t m_filled = 0;          // 1: the inside is filled with the frame colour
    uint32_t m_colour = 0x00C0C0C0u;

protected:
    void SerializeFrame(CArchive& ar);
    void DrawFrame(IPanelGraphics& g) const;
};

// A block of text on a frame; unlike a frame it is hit normally.
class CHotText : public CHotFrame {
public:
    static constexpr uint32_t kTypeCode = kHotText;

    CHotText();

    void Serialize(CArchive& ar) override;
    bool HitTest(CPoint point) const override { return CHotspot::HitTest(point); }
    // "TEXT" at (x, y), sized to it.
    void PlaceAt(int32_t x, int32_t y) override;
    // Sizes the rectangle to the text with the frame around it.
    void AutoSize() override;
    void Draw(IPanelGraphics& graphics, CVISkinManager& skin) override;

    // The size follows the text; true when the text changed.
    bool SetText(const CString& text);
    void SetColour(Argb colour) { m_textColour = colour; }
    void SetFont(const FontRecord& font) { m_font = font; }
    const CString& Text() const { return m_text; }

    FontRecord m_font;
    Argb m_textColour = 0xFF000000u;
    Argb m_backColour = kSkinColour;  // kSkinColour: no fill of its own
    CString m_text;
    uint32_t m_alignment = 1;         // 0 left, 1 centred, 2 right
};

class CHotGroupBox : public CHotspot {
public:
    static constexpr uint32_t kTypeCode = kHotGroupBox;

    CHotGroupBox();

    void Serialize(CArchive& ar) override;
    bool HitTest(CPoint point) const override { return false; }
    void PlaceAt(int32_t x, int32_t y) override;
    void Draw(IPanelGraphics& graphics, CVISkinManager& skin) override;

    bool SetText(const CString& caption);
    // kSkinColour: the skin's text colour.
    void SetColour(Argb colour) { m_colour = colour; }
    // A font without a face name takes the skin's text font.
    void SetFont(const FontRecord& font) { m_font = font; }
    const CString& Text() const { return m_caption; }

private:
    CString m_caption = u"GROUP";
    Argb m_colour = kSkinColour;
    FontRecord m_font;
};
