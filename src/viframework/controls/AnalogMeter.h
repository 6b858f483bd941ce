// CHotAnalogMeter: a pointer instrument with a round scale, optional coloured
// bands, a title and a unit text.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "viframework/controls/Hotspot.h"

// A band of the scale drawn in its own colour (a danger zone, say).
struct MeterBand {
    uint8_t on = 0;
    double from = 0.0;
    double to = 0.0;
    Argb colour = 0xFF000000u;
};

// One tick of the scale, in panel units.
struct MeterTick {
    double value = 0.0;
    bool major = false;
    PointF inner;    // the tick runs from here
    PointF outer;    // to here
    PointF labelAt;  // centre of the label (major ticks)
    CString label;
};

class CHotAnalogMeter : public CHotspot {
public:
    static constexpr uint32_t kTypeCode = kHotAnalogMeter;

    CHotAnalogMeter();

    void Serialize(CArchive& ar) override;
    bool Reset() override;
    void Draw(IPanelGraphics& graphics, CVISkinManager& skin) override;

    // True when the shown value changed.
    bool SetValue(double value);
    bool SetRange(double minimum, double maximum, double majorStep);
    void SetBand(size_t index, bool on, double from, double to, Argb colour);
    bool SetTitle(const CString& title);
    bool SetUnitText(const CString& unit);

    double Value() const { return m_value; }
    // The round face within the control (relative to its top-left corner):
    // a square as large as fits, where a sweep below half a turn lets the
    // face reach twice the height below the control, shrunk by 3 % of the
    // width on every side.
    CRect FaceRect() const;
    // Where a value sits on a circle of the given radius around the face's centre.
    PointF PointAt(double value, double radius) const;
    // The scale as drawn: major ticks with labels, minor ticks between them.
    std::vector<MeterTick> ScaleTicks() const;

    // Stored fields, in stored order.
    std::array<Argb, 4> m_colours{0xFF808080u, 0xFFFFFFFFu, 0x64000080u, 0x80A6CAF0u};  // case, dial, shadow, hub
    Argb m_scaleColour = 0xFF000000u;
    uint8_t m_restAtZero = 1;
    double m_minimum = 0.0;
    double m_maximum = 150.0;
    double m_majorStep = 10.0;
    uint32_t m_minorTicks = 4;  // between two major ticks
    uint32_t m_decimals = 0;
    std::array<MeterBand, 2> m_bands;
    double m_startAngle = 0.5235987755982988;  // radians
    double m_endAngle = 5.759586531581287;
    uint32_t m_needleWidth = 5;    // at the hub [panel units]
    uint32_t m_needleLength = 90;  // percent of the scale radius
    uint32_t m_hubSize = 7;        // diameter [panel units]
    Argb m_needleColour = 0xFFFF0000u;
    FontRecord m_labelFont;
    CString m_title;
    CString m_unitText = u"[ ]";
    uint8_t m_face = 1;
    Argb m_faceColour = 0xBEC0C0C0u;
    double m_value = 0.0;
    float m_divisor = 1.0f;
    uint32_t m_textDistance = 30;  // title and unit distance from the centre [percent of the face radius]

private:
    // Face radius, scale radius and centre in panel units.
    void Geometry(float& r, float& scaleRadius, PointF& centre) const;
    void DrawNeedle(IPanelGraphics& g, PointF centre, float length) const;
};
