#include "viframework/controls/AnalogMeter.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>

#include "viframework/SkinManager.h"

namespace {

// More major ticks than this means a damaged step, not a scale.
constexpr int kMaxMajorTicks = 1000;
constexpr uint32_t kMaxMinorTicks = 100;

// Degrees clockwise from the x axis, as arcs are drawn, for the angle of the
// (sin, cos) convention the scale uses.
float ArcDegrees(double theta)
{
    return float(90.0 - theta * 180.0 / std::numbers::pi);
}

}  // namespace

CHotAnalogMeter::CHotAnalogMeter()
{
    m_typeCode = kTypeCode;
    m_flags = kHotVisible | kHotStatic;
    m_bands[0] = {0, 50.0, 100.0, 0xFFFFFF00u};
    m_bands[1] = {0, 0.0, 0.0, 0xFFFF0000u};
    m_labelFont = MakeFont(u"Courier New", -10);
}

void CHotAnalogMeter::Serialize(CArchive& ar)
{
    CHotspot::Serialize(ar);
    if (ar.IsStoring()) {
        for (Argb c : m_colours)
            ar << c;
        ar << m_scaleColour << m_restAtZero << m_minimum << m_maximum << m_majorStep << m_minorTicks << m_decimals;
        for (const MeterBand& band : m_bands)
            ar << band.on << band.from << band.to << band.colour;
        ar << m_startAngle << m_endAngle << m_needleWidth << m_needleLength << m_hubSize << m_needleColour
           << m_labelFont << m_title << m_unitText << m_face << m_faceColour << m_value << m_divisor
           << m_textDistance;
        return;
    }
    for (Argb& c : m_colours)
        ar >> c;
    ar >> m_scaleColour >> m_restAtZero >> m_minimum >> m_maximum >> m_majorStep >> m_minorTicks >> m_decimals;
    for (MeterBand& band : m_bands)
        ar >> band.on >> band.from >> band.to >> band.colour;
    ar >> m_startAngle >> m_endAngle >> m_needleWidth >> m_needleLength >> m_hubSize >> m_needleColour >>
        m_labelFont >> m_title >> m_unitText >> m_face >> m_faceColour >> m_value >> m_divisor >> m_textDistance;
}

bool CHotAnalogMeter::Reset()
{
    const double rest = m_restAtZero && m_minimum <= 0 && 0 <= m_maximum ? 0.0 : m_minimum;
    // Moves too small to see are not worth a repaint.
    const double threshold = (m_maximum - m_minimum) / double(m_divisor) / 1000.0;
    if (!(std::fabs(m_value - rest) > threshold))
        return false;
    m_value = rest;
    return true;
}

bool CHotAnalogMeter::SetValue(double value)
{
    if (value == m_value)
        return false;
    m_value = value;
    return true;
}

bool CHotAnalogMeter::SetRange(double minimum, double maximum, double majorStep)
{
    if (minimum == m_minimum && maximum == m_maximum && majorStep == m_majorStep)
        return false;
    m_minimum = minimum;
    m_maximum = maximum;
    m_majorStep = majorStep;
    return true;
}

void CHotAnalogMeter::SetBand(size_t index, bool on, double from, double to, Argb colour)
{
    if (index < m_bands.size())
        m_bands[index] = {uint8_t(on ? 1 : 0), from, to, colour};
}

bool CHotAnalogMeter::SetTitle(const CString& title)
{
    if (title == m_title)
        return false;
    m_title = title;
    return true;
}

bool CHotAnalogMeter::SetUnitText(const CString& unit)
{
    if (unit == m_unitText)
        return false;
    m_unitText = unit;
    return true;
}

CRect CHotAnalogMeter::FaceRect() const
{
    const int32_t width = m_rect.Width();
    const int32_t height = m_rect.Height() * (m_endAngle - m_startAngle < std::numbers::pi ? 2 : 1);
    CRect face;
    if (width <= height) {
        const int32_t top = (height - width) / 2;
        face = {0, top, width, top + width};
    } else {
        const int32_t left = (width - height) / 2;
        face = {left, 0, left + height, height};
    }
    const int32_t shrink = int32_t(0.03 * width);
    return face.Inflated(-shrink, -shrink);
}

void CHotAnalogMeter::Geometry(float& r, float& scaleRadius, PointF& centre) const
{
    const CRect face = FaceRect();
    r = float(face.Width()) / 2;
    scaleRadius = r + 5.0f * float(std::trunc(-0.01 * m_rect.Width()));
    centre = {float(m_rect.left) + float(face.left + face.right) / 2,
              float(m_rect.top) + float(face.top + face.bottom) / 2};
}

PointF CHotAnalogMeter::PointAt(double value, double radius) const
{
    float r = 0, scaleRadius = 0;
    PointF centre;
    Geometry(r, scaleRadius, centre);
    const double span = m_maximum - m_minimum;
    const double fraction = span != 0 ? (value - m_minimum) / span : 0.0;
    const double theta = fraction * (m_startAngle - m_endAngle) - m_startAngle;
    return {centre.x + float(radius * std::sin(theta)), centre.y + float(radius * std::cos(theta))};
}

std::vector<MeterTick> CHotAnalogMeter::ScaleTicks() const
{
    std::vector<MeterTick> ticks;
    if (!(m_majorStep > 0) || !(m_maximum > m_minimum))
        return ticks;
    float r = 0, R = 0;
    PointF centre;
    Geometry(r, R, centre);
    const double step = m_majorStep;
    const uint32_t minors = std::min<uint32_t>(m_minorTicks, kMaxMinorTicks);
    for (int i = 0; i < kMaxMajorTicks; ++i) {
        const double v = m_minimum + i * step;
        if (!(v < m_maximum + 0.05 * step))
            break;
        MeterTick major;
        major.value = v;
        major.major = true;
        major.inner = PointAt(v, R - r / 10);
        major.outer = PointAt(v, R);
        major.labelAt = PointAt(v, R - r / 4.5);
        major.labelAt.y -= r / 12.5f;
        char text[64];
        std::snprintf(text, sizeof text, "%.*lf", int(std::min<uint32_t>(m_decimals, 20)), v);
        major.label = Utf8ToString(text);
        ticks.push_back(major);

        for (uint32_t k = 1; k <= minors; ++k) {
            const double mv = v + k * step / (minors + 1);
            if (mv >= m_maximum - 1e-9 * step)
                break;
            MeterTick minor;
            minor.value = mv;
            minor.inner = PointAt(mv, R - r / 25);
            minor.outer = PointAt(mv, R);
            ticks.push_back(minor);
        }
    }
    return ticks;
}

void CHotAnalogMeter::Draw(IPanelGraphics& g, CVISkinManager& skin)
{
    const RectF whole = RectF::From(m_rect);
    g.FillRoundedRectangle(Brush::Solid(m_colours[0]), whole, 6);
    g.FillRoundedRectangle(Brush::Solid(m_colours[1]), whole.Inflated(-3, -3), 4);

    float r = 0, R = 0;
    PointF centre;
    Geometry(r, R, centre);
    if (r <= 0)
        return;
    g.PushClip(whole.Inflated(-3, -3));
    if (m_face)
        g.FillEllipse(Brush::Solid(m_faceColour), {centre.x - r, centre.y - r, 2 * r, 2 * r});

    const float bandRadius = R - r / 20;
    for (const MeterBand& band : m_bands) {
        if (!band.on || !(m_maximum > m_minimum))
            continue;
        const double from = std::clamp(std::min(band.from, band.to), m_minimum, m_maximum);
        const double to = std::clamp(std::max(band.from, band.to), m_minimum, m_maximum);
        const double span = m_maximum - m_minimum;
        const double thetaFrom = (from - m_minimum) / span * (m_startAngle - m_endAngle) - m_startAngle;
        const double thetaTo = (to - m_minimum) / span * (m_startAngle - m_endAngle) - m_startAngle;
        const float start = ArcDegrees(thetaFrom);
        g.DrawArc({band.colour, r / 10}, {centre.x - bandRadius, centre.y - bandRadius, 2 * bandRadius, 2 * bandRadius},
                  start, ArcDegrees(thetaTo) - start);
    }

    const Pen majorPen{m_scaleColour, r / 25}, minorPen{m_scaleColour, r / 50};
    const float labelHeight = float(std::abs(m_labelFont.height)) * 1.5f;
    for (const MeterTick& tick : ScaleTicks()) {
        g.DrawLine(tick.major ? majorPen : minorPen, tick.inner, tick.outer);
        if (tick.major)
            g.DrawString(tick.label, m_labelFont,
                         {tick.labelAt.x - 40, tick.labelAt.y - labelHeight / 2, 80, labelHeight}, m_scaleColour,
                         {TextAlign::Centre, TextAlign::Centre, false});
    }

    // Title above the hub and the unit below it; on a scale of less than
    // half a turn, which stands on the hub, both go above.
    const float distance = r * float(m_textDistance) / 100;
    const bool roomBelow = m_endAngle - m_startAngle >= std::numbers::pi;
    const TextFormat centred{TextAlign::Centre, TextAlign::Centre, false};
    const float titleY = roomBelow ? centre.y - distance : centre.y - distance - labelHeight;
    const float unitY = roomBelow ? centre.y + distance : centre.y - distance;
    g.DrawString(m_title, m_labelFont, {centre.x - r, titleY - labelHeight / 2, 2 * r, labelHeight}, m_scaleColour,
                 centred);
    g.DrawString(m_unitText, m_labelFont, {centre.x - r, unitY - labelHeight / 2, 2 * r, labelHeight}, m_scaleColour,
                 centred);

    DrawNeedle(g, centre, R * float(m_needleLength) / 100);
    g.PopClip();
}

void CHotAnalogMeter::DrawNeedle(IPanelGraphics& g, PointF centre, float length) const
{
    const double shown = m_maximum > m_minimum ? std::clamp(m_value, m_minimum, m_maximum) : m_minimum;
    const PointF tip = PointAt(shown, length);
    const float dx = tip.x - centre.x, dy = tip.y - centre.y;
    const float norm = std::sqrt(dx * dx + dy * dy);
    if (norm <= 0)
        return;
    const float half = float(m_needleWidth) / 2;
    const float px = -dy / norm * half, py = dx / norm * half;
    auto needle = [&](float offset, Argb colour) {
        const PointF points[3] = {{centre.x + px + offset, centre.y + py + offset},
                                  {tip.x + offset, tip.y + offset},
                                  {centre.x - px + offset, centre.y - py + offset}};
        g.FillPolygon(Brush::Solid(colour), points, 3);
    };
    needle(2, m_colours[2]);
    needle(0, m_needleColour);
    const float hub = float(m_hubSize);
    g.FillEllipse(Brush::Solid(m_colours[3]), {centre.x - hub * 1.5f, centre.y - hub * 1.5f, hub * 3, hub * 3});
    g.FillEllipse(Brush::Solid(m_colours[0]), {centre.x - hub / 2, centre.y - hub / 2, hub, hub});
}
