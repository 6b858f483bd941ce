#include "viframework/controls/ScrollBar.h"

#include <algorithm>
#include <utility>

#include "viframework/SkinManager.h"
#include "viframework/controls/AutoRepeat.h"
#include "viframework/controls/ControlMath.h"

CHotScrollBar::CHotScrollBar()
{
    m_typeCode = kTypeCode;
    m_flags = 0x80040005u;
}

void CHotScrollBar::Serialize(CArchive& ar)
{
    CHotspot::Serialize(ar);
    if (ar.IsStoring()) {
        ar << m_horizontal << m_arrowSize << m_thumbSize << m_colour << m_thumbColour << m_minimum << m_maximum
           << m_rest << m_factor << m_firstDelay << m_shortestDelay << m_delayStep;
        return;
    }
    // Read whole before keeping, so a record cut short changes nothing.
    uint8_t horizontal = 0;
    uint32_t arrowSize = 0, thumbSize = 0;
    Argb colour = 0, thumbColour = 0;
    int32_t minimum = 0, maximum = 0, rest = 0;
    double factor = 0;
    uint16_t firstDelay = 0, shortestDelay = 0, delayStep = 0;
    ar >> horizontal >> arrowSize >> thumbSize >> colour >> thumbColour >> minimum >> maximum >> rest >> factor >>
        firstDelay >> shortestDelay >> delayStep;
    m_horizontal = horizontal;
    m_arrowSize = arrowSize;
    m_thumbSize = thumbSize;
    m_colour = colour;
    m_thumbColour = thumbColour;
    m_minimum = minimum;
    m_maximum = maximum;
    m_rest = rest;
    m_factor = factor;
    m_firstDelay = firstDelay;
    m_shortestDelay = shortestDelay;
    m_delayStep = delayStep;
}

void CHotScrollBar::OnLoaded()
{
    m_value = LimitTo(m_rest, m_minimum, m_maximum);
}

bool CHotScrollBar::Reset()
{
    return SetValue(LimitTo(m_rest, m_minimum, m_maximum));
}

bool CHotScrollBar::SetRange(int32_t minimum, int32_t maximum)
{
    if (minimum == m_minimum && maximum == m_maximum)
        return false;
    m_minimum = minimum;
    m_maximum = maximum;
    return true;
}

bool CHotScrollBar::SetValue(int32_t value)
{
    if (value == m_value)
        return false;
    m_value = value;
    return true;
}

// ---------------------------------------------------------------- geometry

int32_t CHotScrollBar::ArrowLength() const
{
    // Arrows larger than half the bar (a damaged record) meet in the middle.
    return int32_t(std::min<int64_t>(m_arrowSize, std::max(0, Length() / 2)));
}

CRect CHotScrollBar::TrackRect() const
{
    const int32_t arrow = ArrowLength();
    if (m_horizontal)
        return {m_rect.left + arrow, m_rect.top, m_rect.right - arrow, m_rect.bottom};
    return {m_rect.left, m_rect.top + arrow, m_rect.right, m_rect.bottom - arrow};
}

CRect CHotScrollBar::ThumbRect() const
{
    const CRect track = TrackRect();
    const int32_t trackLength = std::max(0, m_horizontal ? track.Width() : track.Height());
    const int32_t thumb = int32_t(std::min<int64_t>(m_thumbSize, trackLength));
    const int32_t span = SpanOf(m_minimum, m_maximum);
    const int32_t fromMinimum = LimitTo(int64_t(m_value) - m_minimum, 0, span);
    const int32_t offset = span == 0 ? 0 : MulDiv(trackLength - thumb, fromMinimum, span);
    if (m_horizontal)
        return {track.left + offset, track.top, track.left + offset + thumb, track.bottom};
    return {track.left, track.bottom - offset - thumb, track.right, track.bottom - offset};
}

CHotScrollBar::Part CHotScrollBar::PartAt(CPoint point) const
{
    if (!m_rect.Contains(point))
        return kPartNone;
    const int32_t arrow = ArrowLength();
    if (m_horizontal) {
        if (point.x < m_rect.left + arrow)
            return kPartDecrease;
        if (point.x > m_rect.right - arrow)
            return kPartIncrease;
    } else {
        if (point.y > m_rect.bottom - arrow)
            return kPartDecrease;
        if (point.y < m_rect.top + arrow)
            return kPartIncrease;
    }
    return ThumbRect().Contains(point) ? kPartThumb : kPartTrack;
}

uint8_t CHotScrollBar::ThumbAlpha() const
{
    if (m_pressedPart == kPartThumb)
        return 255;
    if (IsDisabled())
        return 100;
    return m_hoverPart == kPartThumb ? 230 : 200;
}

// ---------------------------------------------------------------- pointer

void CHotScrollBar::SetHover(bool on, CPoint point)
{
    m_hover = on;
    m_hoverPart = on ? PartAt(point) : kPartNone;
}

bool CHotScrollBar::OnMouseMove(CPoint point)
{
    const Part part = PartAt(point);
    if (part == m_hoverPart)
        return false;
    m_hoverPart = part;
    return true;
}

bool CHotScrollBar::OnPress(IHotspotHost& host)
{
    const CPoint start = host.PointerPosition();
    const Part part = PartAt(start);
    if (part != kPartDecrease && part != kPartIncrease && part != kPartThumb)
        return false;
    m_pressedPart = part;
    m_hoverPart = part;
    host.CaptureMouse();
    Invalidate();
    if (part == kPartThumb) {
        DragThumb(host, start);
    } else {
        CAutoRepeat repeat(m_firstDelay, m_shortestDelay, m_delayStep);
        TrackHold(host, m_rect, &repeat, [&] { StepArrow(part); });
    }
    m_pressedPart = kPartNone;
    m_hoverPart = PartAt(host.PointerPosition());
    host.ReleaseMouse();
    Invalidate();
    return true;
}

void CHotScrollBar::StepArrow(Part part)
{
    const int64_t step = part == kPartIncrease ? int64_t(m_step) : -int64_t(m_step);
    const int32_t value = LimitTo(int64_t(m_value) + step, m_minimum, m_maximum);
    if (value == m_value)
        return;
    m_value = value;
    Invalidate();
    if (m_notifySink)
        m_notifySink->OnScroll(*this, part == kPartIncrease ? 1 : 0);
}

void CHotScrollBar::DragThumb(IHotspotHost& host, CPoint start)
{
    const int32_t startValue = m_value;
    const CRect track = TrackRect();
    const int32_t trackLength = m_horizontal ? track.Width() : track.Height();
    const int32_t span = SpanOf(m_minimum, m_maximum);
    for (;;) {
        const PointerEvent event = host.NextPointerEvent(IHotspotHost::kWaitForever);
        if (event.kind == PointerEvent::Kind::Release || event.kind == PointerEvent::Kind::Quit)
            return;
        if (event.kind != PointerEvent::Kind::Move || trackLength <= 0)
            continue;
        const int64_t delta = m_horizontal ? int64_t(event.point.x) - start.x : int64_t(start.y) - event.point.y;
        // A track's length or more already takes the value across the whole
        // range; held to that, the scaling cannot overflow.
        const int32_t along = int32_t(std::clamp<int64_t>(delta, -trackLength, trackLength));
        const int32_t value = LimitTo(int64_t(startValue) + MulDiv(span, along, trackLength), m_minimum, m_maximum);
        if (value == m_value)
            continue;
        m_value = value;
        Invalidate();
        if (m_notifySink)
            m_notifySink->OnScroll(*this, kPartThumb);
    }
}

// ---------------------------------------------------------------- drawing

namespace {

// A filled triangle pointing `direction` (0 left, 1 right, 2 up, 3 down) in the middle of box.
void PaintArrow(IPanelGraphics& g, const RectF& box, int direction, Argb colour)
{
    const float side = std::max(2.0f, std::min(box.width, box.height) * 0.4f);
    const float cx = box.x + box.width / 2, cy = box.y + box.height / 2;
    const float h = side / 2, w = side / 3;
    PointF p[3];
    switch (direction) {
    case 0: p[0] = {cx - w, cy}; p[1] = {cx + w, cy - h}; p[2] = {cx + w, cy + h}; break;
    case 1: p[0] = {cx + w, cy}; p[1] = {cx - w, cy - h}; p[2] = {cx - w, cy + h}; break;
    case 2: p[0] = {cx, cy - w}; p[1] = {cx - h, cy + w}; p[2] = {cx + h, cy + w}; break;
    default: p[0] = {cx, cy + w}; p[1] = {cx - h, cy - w}; p[2] = {cx + h, cy - w}; break;
    }
    g.FillPolygon(Brush::Solid(colour), p, 3);
}

}  // namespace

void CHotScrollBar::Draw(IPanelGraphics& g, CVISkinManager& skin)
{
    if (m_rect.IsEmpty())
        return;
    // The trough: the bar colour, light enough to let the panel through.
    const RectF whole = RectF::From(m_rect);
    const float across = m_horizontal ? whole.height : whole.width;
    const float radius = std::min(4.0f, across / 2);
    g.FillRoundedRectangle(Brush::Solid(WithAlpha(m_colour, 0x50)), whole, radius);
    g.DrawRoundedRectangle(Pen{WithAlpha(m_colour, 0xA0), 1}, {whole.x + 0.5f, whole.y + 0.5f, whole.width - 1,
                                                               whole.height - 1}, radius);

    // The arrows are small keys in the skin's button look.
    const int32_t arrow = ArrowLength();
    if (arrow > 0) {
        CRect decrease, increase;
        if (m_horizontal) {
            decrease = {m_rect.left, m_rect.top, m_rect.left + arrow, m_rect.bottom};
            increase = {m_rect.right - arrow, m_rect.top, m_rect.right, m_rect.bottom};
        } else {
            decrease = {m_rect.left, m_rect.bottom - arrow, m_rect.right, m_rect.bottom};
            increase = {m_rect.left, m_rect.top, m_rect.right, m_rect.top + arrow};
        }
        const Argb glyph = IsDisabled() ? skin.m_colourTable[kSkinDisabledText] : skin.m_colourTable[kSkinGlyph];
        const std::pair<CRect, Part> arrows[2] = {{decrease, kPartDecrease}, {increase, kPartIncrease}};
        for (const auto& [box, part] : arrows) {
            const RectF r = RectF::From(box);
            const bool pressed = m_pressedPart == part;
            skin.DrawButton(g, r, CString(), 4, m_hoverPart == part && !IsDisabled(), pressed);
            const int direction = m_horizontal ? (part == kPartDecrease ? 0 : 1) : (part == kPartDecrease ? 3 : 2);
            PaintArrow(g, pressed ? RectF{r.x, r.y + 1, r.width, r.height} : r, direction, glyph);
        }
    }

    const CRect thumbRect = ThumbRect();
    if (thumbRect.IsEmpty())
        return;
    // The thumb sits in the trough with a little air around it.
    RectF thumb = RectF::From(thumbRect);
    const float inset = std::min(2.0f, across / 4);
    thumb = m_horizontal ? RectF{thumb.x + 1, thumb.y + inset, thumb.width - 2, thumb.height - 2 * inset}
                         : RectF{thumb.x + inset, thumb.y + 1, thumb.width - 2 * inset, thumb.height - 2};
    if (thumb.width <= 0 || thumb.height <= 0)
        return;
    const Argb colour = WithAlpha(m_thumbColour, ThumbAlpha());
    const float thumbRadius = std::min({3.0f, thumb.width / 2, thumb.height / 2});
    g.FillRoundedRectangle(Brush::Solid(colour), thumb, thumbRadius);
    g.DrawRoundedRectangle(Pen{WithAlpha(Shade(m_thumbColour, -60), ThumbAlpha()), 1}, thumb, thumbRadius);
}
