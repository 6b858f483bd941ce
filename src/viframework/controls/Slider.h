// CHotSlider: a bar display whose thumb the user drags. The drag is relative
// to where the press began: pressing anywhere on the slider never makes the
// thumb jump to the pointer. The bar's text is kept in the record but not shown.
#pragma once

#include <array>
#include <cstdint>

#include "viframework/controls/Progress.h"

class CHotSlider : public CHotProgress {
public:
    static constexpr uint32_t kTypeCode = kHotSlider;
    // The dragged thumb stands out this far beyond the rectangle [panel units].
    static constexpr int32_t kDragMargin = 3;

    // Thumb looks, as indices into Shades().
    enum ThumbLook { kShadeNormal, kShadeHover, kShadeDragging, kShadeDisabled };

    CHotSlider();

    // The bar's tail, then the slider's own minimum, maximum, value and
    // factor. The slider's range follows the bar's in the record and is the
    // one in force; the loaded value is also the rest value.
    void Serialize(CArchive& ar) override;
    // The thumb's shades follow the bar colour.
    void OnLoaded() override;
    // Value to the rest value kept within the range; true when that changed it.
    bool Reset() override;
    // Drags the value by the pointer's way along the track until the button
    // comes up: begin, every change and end go to the sink (slots 4, 5, 6).
    // Reports a click.
    bool OnPress(IHotspotHost& host) override;
    void Draw(IPanelGraphics& graphics, CVISkinManager& skin) override;
    int32_t PaintMargin() const override { return kDragMargin; }

    void SetRestValue(int32_t value) { m_rest = value; }
    int32_t RestValue() const { return m_rest; }
    bool IsDragging() const { return m_dragState == kDragging; }
    // The thumb's way from the minimum to the maximum [panel units].
    int32_t TrackLength() const;
    // The thumb at the current value (kept on the track for values outside the range).
    CRect ThumbRect() const;
    // The bar colour with the alphas of the four thumb looks.
    const std::array<Argb, 4>& Shades() const { return m_shades; }

    double m_factor = 1.0;  // the instrument's scale from slider steps to its own unit

private:
    enum DragState : uint8_t { kIdle = 1, kDragging = 2 };

    // The thumb's extent along the track: the bar's stored thickness, at most half the length.
    int32_t ThumbLength() const;
    void UpdateShades();

    int32_t m_rest = 0;
    uint8_t m_dragState = kIdle;
    std::array<Argb, 4> m_shades{};
};
