// CHotScrollBar: a drawn scroll bar. The arrows step the value while held,
// faster the longer they are held; the thumb is dragged. A standing bar
// grows upwards: its increase arrow is at the top.
#pragma once

#include <cstdint>

#include "viframework/controls/Hotspot.h"

class CHotScrollBar : public CHotspot {
public:
    static constexpr uint32_t kTypeCode = kHotScrollBar;

    // The parts of the bar; the numbers are what the sink's scroll slot receives.
    enum Part : int32_t {
        kPartNone = -1,
        kPartTrack = 0,
        kPartDecrease = 1,
        kPartIncrease = 2,
        kPartThumb = 5,
    };

    CHotScrollBar();

    // Tail: u8 horizontal, u32 arrow size, u32 thumb size, colours of track
    // and thumb, i32 minimum, maximum, rest value, f64 factor, u16 first,
    // shortest and step of the repeat delays.
    void Serialize(CArchive& ar) override;
    // A loaded bar starts at its rest value.
    void OnLoaded() override;
    // Value to the rest value kept within the range; true when that changed it.
    bool Reset() override;
    void SetHover(bool on, CPoint point) override;
    // Follows the part under the pointer; true when it changed.
    bool OnMouseMove(CPoint point) override;
    // An arrow steps at once and then by its repeat schedule until the button
    // comes up or the pointer leaves the bar; the thumb follows the pointer
    // until the button comes up. Each change goes to the sink's scroll slot
    // with 0 (decrease arrow), 1 (increase arrow) or 5 (thumb). The track
    // takes no press. True when an arrow or the thumb was pressed.
    bool OnPress(IHotspotHost& host) override;
    void Draw(IPanelGraphics& graphics, CVISkinManager& skin) override;

    // True when the range changed; the value is shown as it is.
    bool SetRange(int32_t minimum, int32_t maximum);
    // What one arrow step adds (default 1).
    void SetStep(int32_t step) { m_step = step; }
    // True when the value changed; values outside the range keep the thumb at the track's end.
    bool SetValue(int32_t value);
    void SetRestValue(int32_t value) { m_rest = value; }
    int32_t Value() const { return m_value; }
    int32_t Minimum() const { return m_minimum; }
    int32_t Maximum() const { return m_maximum; }
    int32_t Step() const { return m_step; }
    int32_t RestValue() const { return m_rest; }
    bool IsHorizontal() const { return m_horizontal != 0; }

    Part PartAt(CPoint point) const;
    Part HoverPart() const { return m_hoverPart; }
    Part PressedPart() const { return m_pressedPart; }
    // The rectangle between the two arrows (empty when they meet).
    CRect TrackRect() const;
    CRect ThumbRect() const;
    // How opaque the thumb is drawn: 255 pressed, 230 under the pointer, 100
    // disabled, else 200.
    uint8_t ThumbAlpha() const;

    uint8_t m_horizontal = 1;
    uint32_t m_arrowSize = 17;  // [panel units] along the bar
    uint32_t m_thumbSize = 12;  // [panel units] along the bar
    Argb m_colour = 0xFF5B5B5Bu;
    Argb m_thumbColour = 0xFF5B7ACAu;
    double m_factor = 1.0;      // the instrument's scale from bar steps to its own unit
    uint16_t m_firstDelay = 500;    // [ms] before the second step
    uint16_t m_shortestDelay = 10;  // [ms]
    uint16_t m_delayStep = 100;     // [ms] each step comes this much sooner than the last

private:
    // The arrow extent, at most the bar's length.
    int32_t ArrowLength() const;
    int32_t Length() const { return m_horizontal ? m_rect.Width() : m_rect.Height(); }
    void StepArrow(Part part);
    void DragThumb(IHotspotHost& host, CPoint start);

    int32_t m_minimum = 0;
    int32_t m_maximum = 100;
    int32_t m_rest = 0;
    int32_t m_step = 1;
    int32_t m_value = 0;
    Part m_hoverPart = kPartNone;
    Part m_pressedPart = kPartNone;
};
