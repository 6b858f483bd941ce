// CHotProgress: a bar that shows an integer within a range, with a text; the
// base of the slider.
#pragma once

#include <array>
#include <cstdint>

#include "viframework/controls/Hotspot.h"

class CHotProgress : public CHotspot {
public:
    static constexpr uint32_t kTypeCode = kHotProgress;

    CHotProgress();

    void Serialize(CArchive& ar) override;
    // Value to the lower end of the range; true when that changed it.
    bool Reset() override;
    void Draw(IPanelGraphics& graphics, CVISkinManager& skin) override;

    // True when the shown value changed.
    bool SetValue(int32_t value);
    bool SetRange(int32_t minimum, int32_t maximum);
    bool SetText(const CString& text);

    int32_t Value() const { return m_value; }
    int32_t Minimum() const { return m_minimum; }
    int32_t Maximum() const { return m_maximum; }
    const CString& Text() const { return m_text; }
    // How far the value is along the range, 0 to 1.
    double Fraction() const;

    // Stored fields, in stored order.
    uint8_t m_style = 1;  // 0 a filled box, 1 a slim rounded track beside its text
    int32_t m_minimum = 0;
    int32_t m_maximum = 100;
    uint32_t m_thickness = 12;  // of the slim track [panel units]
    uint32_t m_padding = 4;     // between the box and its bar
    uint32_t m_textGap = 10;    // between the slim track and the text
    // Bar, border and text, track shading from and to.
    std::array<Argb, 4> m_colours{0xFF5B7ACAu, 0xFF000000u, 0xFF90EE90u, 0xFF90EE90u};
    FontRecord m_font;
    CString m_text;

protected:
    // The track's rectangle and the text's rectangle for the current style.
    void Layout(IPanelGraphics& g, RectF& track, RectF& text) const;
    bool IsVertical() const { return m_rect.Height() > m_rect.Width(); }

    int32_t m_value = 0;
    float m_roundness = 4.0f;  // corner radius of the slim track [panel units]
};
