// CHotSlidingScale: a scale that slides behind a fixed pointer, like a
// tuning dial; the value under the pointer is the value shown.
#pragma once

#include <array>
#include <cstdint>

#include "viframework/controls/Hotspot.h"

class CHotSlidingScale : public CHotspot {
public:
    static constexpr uint32_t kTypeCode = kHotSlidingScale;

    CHotSlidingScale();

    void Serialize(CArchive& ar) override;
    void Draw(IPanelGraphics& graphics, CVISkinManager& skin) override;

    // True when the shown value changed.
    bool SetValue(double value);
    double Value() const { return m_value; }

    // Where a value of the scale lies along the control's long side, in
    // panel units (the pointer sits at the middle).
    float PositionOf(double value) const;

    // Stored fields, in stored order.
    uint8_t m_horizontal = 1;
    double m_span = 100.0;         // values visible at once
    uint32_t m_majorStep = 10;     // values between labelled ticks
    uint32_t m_majorLength = 20;   // [panel units]
    uint32_t m_minorCount = 4;     // ticks between two labelled ones
    uint32_t m_minorLength = 10;   // [panel units]
    std::array<Argb, 5> m_colours{0xFF000000u, 0xFFFFFFFFu, 0xFF000000u, 0xFF000000u,
                                  0xFF0000FFu};  // border, background, ticks, labels, pointer
    FontRecord m_font;

private:
    // Labels on every how-many-th major tick, so that neighbours do not overlap.
    int64_t LabelEvery(IPanelGraphics& g, double low, double high) const;

    double m_value = 0.0;
};
