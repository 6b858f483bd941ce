// CHotKnob: a rotary knob turned by dragging around its centre. Its scale
// runs clockwise over 270° from the lower left over the top to the lower
// right; the gap at the bottom is never crossed by a drag.
#pragma once

#include <cstdint>
#include <optional>

#include "viframework/controls/Hotspot.h"

class CHotKnob : public CHotspot {
public:
    static constexpr uint32_t kTypeCode = kHotKnob;
    static constexpr int32_t kNaturalSize = 200;  // [panel units]; the stored sizes are for this size

    CHotKnob();

    // A layout gives only the common part of the record: no Serialize of its own.
    void PlaceAt(int32_t x, int32_t y) override;
    // Value to the minimum; true when that changed it.
    bool Reset() override;
    // Follows the pointer around the centre until the button comes up:
    // begin, every change and end go to the sink (slots 7, 8, 9). Reports a click.
    bool OnPress(IHotspotHost& host) override;
    void Draw(IPanelGraphics& graphics, CVISkinManager& skin) override;

    // True when the range changed; the value is shown as it is.
    bool SetRange(int32_t minimum, int32_t maximum);
    // True when the value changed; values outside the range are shown as given.
    bool SetValue(int32_t value);
    int32_t Value() const { return m_value; }
    int32_t Minimum() const { return m_minimum; }
    int32_t Maximum() const { return m_maximum; }
    bool IsPressed() const { return m_pressed != 0; }

    // The centre the pointer turns around (panel units).
    CPoint Centre() const;
    // The value a pointer at `point` asks for, within the range; none at the
    // centre itself, where there is no direction.
    std::optional<int32_t> ValueAt(CPoint point) const;
    // Where the pointer shows the value [degrees, clockwise from the x axis,
    // 135 at the minimum, 405 at the maximum].
    int64_t PointerAngle() const;
    // The radius of the pointer's tip [panel units].
    float TipRadius() const;

    int32_t m_minimum = 0;
    int32_t m_maximum = 100;
    int32_t m_value = 0;
    uint8_t m_showScale = 1;      // scale ticks on the skirt
    uint8_t m_shadedSkirt = 1;    // the skirt shaded ring by ring (0: one flat colour)
    int32_t m_skirtWidth = 50;    // ring around the cap, holding the scale [panel units at natural size]
    int32_t m_tipInset = 10;      // from the edge to the pointer's tip [panel units at natural size]
    Argb m_capColour = 0xFFF5F5F5u;
    Argb m_skirtColour = 0xFFA9A9A9u;  // the edge colour the shading starts from
    Argb m_pointerColour = 0xFF000000u;
    int32_t m_lineWidth = 1;      // of scale ticks; the pointer is three times as wide [at natural size]
    Argb m_scaleColour = 0xFF000000u;

private:
    // Takes the value a pointer position asks for, unless that jumps across the gap.
    void Follow(CPoint point);
    // The knob's radius and the factor its stored sizes scale with.
    float Radius() const;
    float Scale() const { return Radius() / (kNaturalSize / 2.0f); }

    uint8_t m_pressed = 0;
    // The knob without its pointer: turning it only copies this.
    CPanelLayer m_body;
};
