#include "viframework/controls/Knob.h"

#include <algorithm>
#include <cmath>

#include "viframework/SkinManager.h"
#include "viframework/controls/ControlMath.h"

namespace {

constexpr double kDegreesPerRadian = 57.29577951308232;
constexpr int kScaleDivisions = 10;
// How far the skirt's pens are lighter and darker than its colour.
constexpr int kShadeDelta = 50;
// How far each side of the skirt's two seams the shading blends [degrees], in how many steps.
constexpr float kSeamDegrees = 24.0f;
constexpr int kSeamSteps = 4;
// The rings lie a unit apart; pens twice that leave no pixel between two
// rings unshaded, whatever a renderer rounds.
constexpr float kRingPen = 2.0f;

PointF OnCircle(PointF centre, float radius, double degrees)
{
    const double a = degrees / kDegreesPerRadian;
    return {centre.x + float(radius * std::cos(a)), centre.y + float(radius * std::sin(a))};
}

RectF Circle(PointF centre, float radius)
{
    return {centre.x - radius, centre.y - radius, 2 * radius, 2 * radius};
}

// The skirt, one pixel ring at a time: the lighter half from -45°, the
// darker from 135°, strongest at the outer edge, so that the skirt rises from
// the panel towards the cap. Short arcs of shades in between soften the two
// seams.
void PaintSkirtShading(IPanelGraphics& g, PointF c, float outer, float width, Argb colour)
{
    const int rings = int(std::ceil(width));
    const float seamArc = kSeamDegrees / kSeamSteps;
    for (int i = 0; i < rings; ++i) {
        const int delta = int(std::lround(kShadeDelta * (1.0 - 0.7 * i / std::max(1, rings))));
        const RectF ring = Circle(c, outer - 0.5f - float(i));
        g.DrawArc(Pen{Shade(colour, delta), kRingPen}, ring, -45.0f, 180.0f);
        g.DrawArc(Pen{Shade(colour, -delta), kRingPen}, ring, 135.0f, 180.0f);
        for (int k = 0; k < kSeamSteps; ++k) {
            const int shade = int(std::lround(delta * float(k + 1) / float(kSeamSteps + 1)));
            for (float seam : {-45.0f, 135.0f}) {
                const int sign = seam < 0 ? 1 : -1;  // clockwise from -45° it lightens, from 135° it darkens
                g.DrawArc(Pen{Shade(colour, sign * shade), kRingPen}, ring, seam + seamArc * float(k), seamArc);
                g.DrawArc(Pen{Shade(colour, -sign * shade), kRingPen}, ring, seam - seamArc * float(k + 1), seamArc);
            }
        }
    }
}

uint64_t Fold(uint64_t hash, uint64_t value)
{
    return (hash ^ value) * 0x100000001B3ull;
}

}  // namespace

CHotKnob::CHotKnob()
{
    m_typeCode = kTypeCode;
    m_flags = 0x00040005u;
    m_naturalWidth = kNaturalSize;
    m_naturalHeight = kNaturalSize;
}

void CHotKnob::PlaceAt(int32_t x, int32_t y)
{
    m_rect = {x, y, x + m_naturalWidth, y + m_naturalHeight};
}

bool CHotKnob::Reset()
{
    return SetValue(m_minimum);
}

bool CHotKnob::SetRange(int32_t minimum, int32_t maximum)
{
    if (minimum == m_minimum && maximum == m_maximum)
        return false;
    m_minimum = minimum;
    m_maximum = maximum;
    return true;
}

bool CHotKnob::SetValue(int32_t value)
{
    if (value == m_value)
        return false;
    m_value = value;
    return true;
}

CPoint CHotKnob::Centre() const
{
    return {m_rect.left + m_rect.Width() / 2, m_rect.top + m_rect.Height() / 2};
}

std::optional<int32_t> CHotKnob::ValueAt(CPoint point) const
{
    const CPoint c = Centre();
    const double dx = double(c.x) - point.x;  // positive left of the centre
    const double dy = double(c.y) - point.y;  // positive above it
    if (dx == 0 && dy == 0)
        return std::nullopt;
    // 0° at the lower left, 135° straight up, 270° at the lower right; the
    // left half turns around +45°, the right half around +225°. Straight
    // below the centre belongs to the left half: -45°, the minimum.
    double angle;
    if (dx >= 0)
        angle = (dx == 0 ? (dy > 0 ? 90.0 : -90.0) : std::atan(dy / dx) * kDegreesPerRadian) + 45;
    else
        angle = std::atan(dy / dx) * kDegreesPerRadian + 225;
    // The minimum is added, so that ranges not starting at 0 turn the same way.
    const double offset = std::trunc(angle * (double(m_maximum) - m_minimum) / 270);
    return LimitTo(int64_t(m_minimum) + int64_t(offset), m_minimum, m_maximum);
}

void CHotKnob::Follow(CPoint point)
{
    const std::optional<int32_t> value = ValueAt(point);
    if (!value || *value == m_value)
        return;
    // No wrap across the gap at the bottom: a turn past either end stays there.
    const bool acrossGap = (m_value == m_minimum && *value == m_maximum) ||
                           (m_value == m_maximum && *value == m_minimum);
    if (acrossGap)
        return;
    m_value = *value;
    Invalidate();
    if (m_notifySink)
        m_notifySink->OnKnobChanging(*this);
}

bool CHotKnob::OnPress(IHotspotHost& host)
{
    host.CaptureMouse();
    m_pressed = 1;
    Invalidate();
    if (m_notifySink)
        m_notifySink->OnKnobBegin(*this);
    Follow(host.PointerPosition());
    for (bool held = true; held;) {
        const PointerEvent event = host.NextPointerEvent(IHotspotHost::kWaitForever);
        switch (event.kind) {
        case PointerEvent::Kind::Move:
            Follow(event.point);
            break;
        case PointerEvent::Kind::Release:
        case PointerEvent::Kind::Quit:
            held = false;
            break;
        case PointerEvent::Kind::Timeout:
            break;
        }
    }
    m_pressed = 0;
    host.ReleaseMouse();
    Invalidate();
    if (m_notifySink)
        m_notifySink->OnKnobEnd(*this);
    return true;
}

int64_t CHotKnob::PointerAngle() const
{
    const int64_t span = int64_t(m_maximum) - m_minimum;
    if (span == 0)
        return 135;
    return 135 + (int64_t(m_value) - m_minimum) * 270 / span;
}

float CHotKnob::Radius() const
{
    return float(std::min(m_rect.Width(), m_rect.Height())) / 2;
}

float CHotKnob::TipRadius() const
{
    return std::max(0.0f, Radius() - float(std::clamp(m_tipInset, 0, kNaturalSize / 2)) * Scale());
}

void CHotKnob::Draw(IPanelGraphics& g, CVISkinManager& skin)
{
    const float radius = Radius();
    if (radius < 4)
        return;
    const float scale = Scale();
    const PointF c{float(Centre().x), float(Centre().y)};
    const Argb shadow = skin.m_colourTable[kSkinShadow];
    const Argb ring = skin.m_colourTable[kSkinHoverRing];
    const float line = float(std::clamp(m_lineWidth, 1, 10)) * scale;

    // Everything the body shows but the pointer and its size; a turn keeps the key.
    uint64_t key = 0xCBF29CE484222325ull;
    for (uint64_t part : {uint64_t(m_hover), uint64_t(m_pressed), uint64_t(m_showScale), uint64_t(m_shadedSkirt),
                          uint64_t(uint32_t(m_skirtWidth)), uint64_t(uint32_t(m_lineWidth)),
                          uint64_t(uint32_t(m_minimum)), uint64_t(uint32_t(m_maximum)), uint64_t(m_capColour),
                          uint64_t(m_skirtColour), uint64_t(m_scaleColour), uint64_t(shadow), uint64_t(ring)})
        key = Fold(key, part);

    g.DrawLayer(m_body, key, Circle(c, radius), [&](IPanelGraphics& layer) {
        // Damaged or odd sizes stay within the knob.
        const float skirt = std::min(float(std::clamp(m_skirtWidth, 0, kNaturalSize / 2)) * scale, radius * 0.8f);
        const float body = radius - std::max(1.0f, 2 * scale);  // room for the shadow below
        const float capRadius = body - skirt;

        if (AlphaOf(shadow) != 0)
            layer.FillEllipse(Brush::Solid(shadow), Circle({c.x, c.y + (radius - body)}, body));

        layer.FillEllipse(Brush::Solid(m_skirtColour), Circle(c, body));
        if (m_shadedSkirt)
            PaintSkirtShading(layer, c, body, skirt, m_skirtColour);
        const Pen outline{m_hover && AlphaOf(ring) != 0 ? ring : Shade(m_skirtColour, -kShadeDelta - 20),
                          std::max(1.0f, scale)};
        layer.DrawEllipse(outline, Circle(c, body));

        if (m_showScale) {
            // Same angle rule as the pointer, for values a tenth of the range
            // apart; the ticks start just outside the cap and point outwards.
            const float inner = radius - skirt + 7 * scale;
            const int64_t span = int64_t(m_maximum) - m_minimum;
            for (int i = 0; i <= kScaleDivisions; ++i) {
                const int64_t angle = span == 0 ? 135 : 135 + (span * i / kScaleDivisions) * 270 / span;
                const bool major = i % 5 == 0;
                const float outer = std::min(body - line, inner + skirt * (major ? 0.35f : 0.22f));
                layer.DrawLine(Pen{m_scaleColour, major ? 2 * line : line}, OnCircle(c, inner, double(angle)),
                               OnCircle(c, outer, double(angle)));
            }
        }

        // The cap: lit from above, darker while held.
        if (capRadius > 1) {
            const RectF cap = Circle(c, capRadius);
            const Argb top = Shade(m_capColour, m_pressed ? -25 : 10);
            const Argb bottom = Shade(m_capColour, m_pressed ? -45 : -30);
            layer.FillEllipse(Brush::Linear({c.x, cap.y}, {c.x, cap.Bottom()}, top, bottom), cap);
            layer.DrawEllipse(Pen{Shade(m_capColour, -70), std::max(1.0f, scale)}, cap);
        }
    });

    // The pointer runs from the centre to its tip across the skirt.
    const double angle = double(PointerAngle() % 360);
    const Pen pointer{m_pointerColour, 3 * line};
    g.DrawLine(pointer, c, OnCircle(c, TipRadius(), angle));
    g.FillEllipse(Brush::Solid(m_pointerColour), Circle(c, std::max(2.0f, 4 * line)));
}
