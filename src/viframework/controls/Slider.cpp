#include "viframework/controls/Slider.h"

#include <algorithm>
#include <cmath>

#include "viframework/SkinManager.h"
#include "viframework/controls/ControlMath.h"

namespace {

constexpr uint8_t kShadeAlphas[4] = {0xC8, 0xE6, 0xFF, 0x64};

}  // namespace

CHotSlider::CHotSlider()
{
    m_typeCode = kTypeCode;
    m_flags = 0x00040005u;
    UpdateShades();
}

void CHotSlider::Serialize(CArchive& ar)
{
    CHotProgress::Serialize(ar);
    if (ar.IsStoring()) {
        ar << m_minimum << m_maximum << m_value << m_factor;
        return;
    }
    int32_t minimum = 0, maximum = 0, value = 0;
    double factor = 0;
    ar >> minimum >> maximum >> value >> factor;
    m_minimum = minimum;
    m_maximum = maximum;
    m_value = value;
    m_rest = value;
    m_factor = factor;
}

void CHotSlider::OnLoaded()
{
    UpdateShades();
}

void CHotSlider::UpdateShades()
{
    for (size_t i = 0; i < m_shades.size(); ++i)
        m_shades[i] = WithAlpha(m_colours[0], kShadeAlphas[i]);
}

bool CHotSlider::Reset()
{
    return SetValue(LimitTo(m_rest, m_minimum, m_maximum));
}

int32_t CHotSlider::ThumbLength() const
{
    const int32_t length = IsVertical() ? m_rect.Height() : m_rect.Width();
    return int32_t(std::min<int64_t>(m_thickness, std::max(0, length / 2)));
}

int32_t CHotSlider::TrackLength() const
{
    const int32_t length = IsVertical() ? m_rect.Height() : m_rect.Width();
    return std::max(0, length - ThumbLength());
}

CRect CHotSlider::ThumbRect() const
{
    const double span = double(m_maximum) - m_minimum;
    const double fromMinimum = double(m_value) - m_minimum;
    const double along = span == 0 ? 0 : std::clamp(fromMinimum / span, 0.0, 1.0);
    const int32_t thumb = ThumbLength();
    // The value grows to the right, and upwards on a standing slider.
    const int32_t offset = int32_t(std::lround(TrackLength() * (IsVertical() ? 1 - along : along)));
    if (IsVertical())
        return {m_rect.left + 1, m_rect.top + offset, m_rect.right - 1, m_rect.top + offset + thumb};
    return {m_rect.left + offset, m_rect.top + 1, m_rect.left + offset + thumb, m_rect.bottom - 1};
}

bool CHotSlider::OnPress(IHotspotHost& host)
{
    m_dragState = kDragging;
    Invalidate();
    host.CaptureMouse();
    if (m_notifySink)
        m_notifySink->OnSliderBegin(*this);

    const CPoint start = host.PointerPosition();
    const int32_t startValue = m_value;
    const int32_t track = TrackLength();
    const double perUnit = track > 0 ? (double(m_maximum) - m_minimum) / track : 0.0;
    for (bool held = true; held;) {
        const PointerEvent event = host.NextPointerEvent(IHotspotHost::kWaitForever);
        if (event.kind == PointerEvent::Kind::Release || event.kind == PointerEvent::Kind::Quit) {
            held = false;
            continue;
        }
        if (event.kind != PointerEvent::Kind::Move || track <= 0)
            continue;
        const int64_t delta = IsVertical() ? int64_t(start.y) - event.point.y : int64_t(event.point.x) - start.x;
        if (delta == 0)
            continue;
        // Half a step rounds up; far beyond the range is simply the range's end.
        const double wanted = std::trunc(perUnit * double(delta) + startValue + 0.5);
        const int32_t value = LimitTo(int64_t(std::clamp(wanted, double(INT32_MIN) - 1, double(INT32_MAX) + 1)),
                                      m_minimum, m_maximum);
        if (value == m_value)
            continue;
        m_value = value;
        Invalidate();
        if (m_notifySink)
            m_notifySink->OnSliderChanging(*this);
    }

    m_dragState = kIdle;
    Invalidate();
    host.ReleaseMouse();
    if (m_notifySink)
        m_notifySink->OnSliderEnd(*this);
    return true;
}

void CHotSlider::Draw(IPanelGraphics& g, CVISkinManager& skin)
{
    if (m_rect.IsEmpty())
        return;
    const bool vertical = IsVertical();
    const RectF whole = RectF::From(m_rect);
    const float thumbLength = float(ThumbLength());
    const float across = vertical ? whole.width : whole.height;
    const float groove = std::clamp(across / 4, 3.0f, 8.0f);

    // The groove runs between the thumb centre's two ends, shaded across as
    // the bar's track is; the part up to the thumb is filled.
    RectF track;
    if (vertical)
        track = {whole.x + (whole.width - groove) / 2, whole.y + thumbLength / 2, groove, whole.height - thumbLength};
    else
        track = {whole.x + thumbLength / 2, whole.y + (whole.height - groove) / 2, whole.width - thumbLength, groove};
    const RectF thumbRect = RectF::From(ThumbRect());
    if (track.width > 0 && track.height > 0) {
        const PointF to = vertical ? PointF{track.Right(), track.y} : PointF{track.x, track.Bottom()};
        const float radius = groove / 2;
        g.FillRoundedRectangle(Brush::Linear({track.x, track.y}, to, m_colours[2], m_colours[3]), track, radius);
        RectF filled = track;
        if (vertical) {
            filled.y = std::min(track.Bottom(), thumbRect.y + thumbRect.height / 2);
            filled.height = track.Bottom() - filled.y;
        } else {
            filled.width = std::max(0.0f, thumbRect.x + thumbRect.width / 2 - track.x);
        }
        if (filled.width > 0 && filled.height > 0)
            g.FillRoundedRectangle(Brush::Solid(m_shades[kShadeNormal]), filled, radius);
        g.DrawRoundedRectangle(Pen{m_colours[1], 1}, track, radius);
    }

    // The thumb: the bar colour, more opaque under the pointer and fully
    // while dragged, when it also stands out a little.
    const ThumbLook look = IsDisabled()   ? kShadeDisabled
                           : IsDragging() ? kShadeDragging
                           : m_hover      ? kShadeHover
                                          : kShadeNormal;
    RectF thumb = thumbRect;
    if (IsDragging())
        thumb = thumb.Inflated(float(kDragMargin - 1), float(kDragMargin - 1));
    if (thumb.width <= 0 || thumb.height <= 0)
        return;
    const Argb shadow = skin.m_colourTable[kSkinShadow];
    const float radius = std::min({3.0f, thumb.width / 2, thumb.height / 2});
    if (AlphaOf(shadow) != 0 && !IsDragging())
        g.FillRoundedRectangle(Brush::Solid(shadow), {thumb.x + 1, thumb.y + 1, thumb.width, thumb.height}, radius);
    const Argb colour = m_shades[look];
    g.FillRoundedRectangle(Brush::Linear({thumb.x, thumb.y}, {thumb.x, thumb.Bottom()}, Shade(colour, 40), colour),
                           thumb, radius);
    g.DrawRoundedRectangle(Pen{WithAlpha(Shade(m_colours[0], -70), AlphaOf(colour)), 1}, thumb, radius);
    // A grip line across the thumb's middle.
    const PointF c{thumb.x + thumb.width / 2, thumb.y + thumb.height / 2};
    const Pen grip{WithAlpha(0xFFFFFFFFu, AlphaOf(colour) / 2), 1};
    if (vertical)
        g.DrawLine(grip, {thumb.x + 3, c.y}, {thumb.Right() - 3, c.y});
    else
        g.DrawLine(grip, {c.x, thumb.y + 3}, {c.x, thumb.Bottom() - 3});
}
