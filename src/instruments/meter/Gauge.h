// CHotGauge: the analog meters' moving-coil gauge. A needle turns about a
// pivot at the bottom centre over a scale arc with major and minor ticks and
// labels; the face comes from two bitmaps of the resource library (the
// background, and one of eleven scale prints chosen by the style), the scale
// and needle are drawn as vectors so that they stay sharp at every zoom.
#pragma once

#include <cstdint>

#include "viframework/controls/Hotspot.h"

class CVexaMeter;

class CHotGauge : public CHotspot {
public:
    static constexpr uint32_t kTypeCode = 500;
    static constexpr uint32_t kFaceBitmap = 5270;   // one image: the face background
    static constexpr uint32_t kPrintBitmap = 5271;  // eleven images: the scale prints
    static constexpr int32_t kPrintCount = 11;
    static constexpr int32_t kDefaultPrint = 8;     // print index = 8 - style
    static constexpr int32_t kPercentStyle = -2;    // percent labels, print 10
    static constexpr int32_t kNaturalWidth = 200;
    static constexpr int32_t kNaturalHeight = 112;
    static constexpr double kMeterStartAngle = 2.2689280275926285;  // 130 degrees
    static constexpr double kMeterEndAngle = 4.014257279586958;     // 230 degrees

    CHotGauge();

    void SetMeter(CVexaMeter* meter) { m_meter = meter; }
    void SetChannelA(bool channelA) { m_channelA = channelA ? 1 : 0; }
    void SetQuantity(int32_t quantity) { m_quantity = quantity; }
    // The channel's voltage range index, which chooses the labels' format.
    void SetRange(int32_t range);
    // Scale in the unit shown, and the factor from volts to that unit. Values
    // that are not finite are ignored.
    void SetScale(double start, double end, double factor);
    void SetStyle(int32_t style) { m_style = style; }
    // Angles of the scale's start and end [rad], in the needle's convention
    // (below); values that are not finite are ignored.
    void SetAngles(double start, double end);
    // Needle length and base width in percent of the face radius.
    void SetNeedle(int32_t lengthPercent, int32_t widthPercent);
    void SetDivisions(int32_t divisions);
    // Shows |factor x v| within the scale; true when the needle moved.
    bool SetValue(double v);
    // Reads the class-wide record of its channel and quantity and shows it
    // (the scale's start without a meter). Call with the unit lock held.
    bool Refresh();

    // The signed value last set [V] (the negative lamp follows it).
    double Value() const { return m_value; }
    // |factor x value| clamped to the scale, in the unit shown.
    double ShownValue() const { return m_shown; }
    // Where the shown value lies on the scale, 0..1.
    double Fraction() const;
    // The needle's angle θ [rad]: (start - end) x fraction - start. A point
    // at distance ρ from the pivot along θ is (x + ρ sin θ, y + ρ cos θ), so
    // the analog meters' 130 and 230 degrees sweep 100 degrees over the top.
    double NeedleAngle() const;
    // The label under major tick `division` (0..divisions).
    CString LabelText(int32_t division) const;
    // The scale print drawn from bitmap 5271: 8 - style (-1 or kPrintCount
    // for styles that have none).
    int32_t PrintIndex() const;

    // Geometry in the control's rectangle [panel units]: the pivot, the
    // needle's length and the face radius it is a percentage of.
    struct Layout {
        PointF pivot;
        float needleLength;
        float faceRadius;
        float scaleRadius;  // the arc the ticks stand on
    };
    Layout ComputeLayout() const;

    int32_t Style() const { return m_style; }
    int32_t Range() const { return m_range; }
    int32_t Divisions() const { return m_divisions; }
    double ScaleStart() const { return m_scaleStart; }
    double ScaleEnd() const { return m_scaleEnd; }
    double Factor() const { return m_factor; }
    double StartAngle() const { return m_startAngle; }
    double EndAngle() const { return m_endAngle; }
    int32_t NeedleLengthPercent() const { return m_needleLength; }
    int32_t NeedleWidthPercent() const { return m_needleWidth; }
    bool ChannelA() const { return m_channelA != 0; }
    int32_t Quantity() const { return m_quantity; }

    // An editor's new gauge: natural size, scale 0 to 100 with factor 1000
    // (millivolts, so range 0's labels).
    void PlaceAt(int32_t x, int32_t y) override;
    void Draw(IPanelGraphics& graphics, CVISkinManager& skin) override;

private:
    PointF PointAt(const Layout& layout, double theta, float radius) const;
    void DrawFace(IPanelGraphics& g) const;
    void DrawScale(IPanelGraphics& g, const Layout& layout) const;
    void DrawNeedle(IPanelGraphics& g, const Layout& layout) const;

    CVexaMeter* m_meter = nullptr;
    uint8_t m_channelA = 1;
    int32_t m_quantity = 4;
    int32_t m_style = 0;
    double m_value = 0.0;  // as set [V]
    double m_shown = 0.0;  // on the scale, in the unit shown
    double m_scaleStart = 0.0;
    double m_scaleEnd = 50.0;
    double m_factor = 1.0;
    int32_t m_range = 8;
    // The two integer fields the analog meters set to 91 and 5: the scale
    // arc's radius in percent of the needle length (the tip runs on over the
    // ticks, as on a panel meter) and the number of major divisions.
    int32_t m_scaleRadiusPercent = 91;
    int32_t m_divisions = 5;
    double m_startAngle = kMeterStartAngle;
    double m_endAngle = kMeterEndAngle;
    int32_t m_needleLength = 120;
    int32_t m_needleWidth = 5;
    FontRecord m_labelFont;
};
