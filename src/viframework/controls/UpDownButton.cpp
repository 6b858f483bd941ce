#include "viframework/controls/UpDownButton.h"

#include "viframework/SkinManager.h"
#include "viframework/TouchSettings.h"
#include "viframework/controls/AutoRepeat.h"

namespace {

constexpr int32_t kNaturalWidth = 16;
constexpr int32_t kNaturalHeight = 30;

}  // namespace

CHotUpDownButton::CHotUpDownButton()
{
    m_typeCode = kTypeCode;
    m_flags |= kHotTrackMovement;
    m_styleIndex = 20;
    m_naturalWidth = kNaturalWidth;
    m_naturalHeight = kNaturalHeight;
}

void CHotUpDownButton::OnLoaded()
{
    m_naturalWidth = kNaturalWidth;
    m_naturalHeight = kNaturalHeight;
}

void CHotUpDownButton::PlaceAt(int32_t x, int32_t y)
{
    m_rect = {x, y, x + m_naturalWidth, y + m_naturalHeight};
}

CHotUpDownButton::Half CHotUpDownButton::HalfAt(CPoint point) const
{
    if (!m_rect.Contains(point))
        return kHalfNone;
    return point.y < m_rect.top + m_rect.Height() / 2 ? kHalfUp : kHalfDown;
}

CRect CHotUpDownButton::HalfRect(Half half) const
{
    const int32_t middle = m_rect.top + m_rect.Height() / 2;
    switch (half) {
    case kHalfUp:
        return {m_rect.left, m_rect.top, m_rect.right, middle};
    case kHalfDown:
        return {m_rect.left, middle, m_rect.right, m_rect.bottom};
    default:
        return {};
    }
}

void CHotUpDownButton::SetHover(bool on, CPoint point)
{
    m_hover = on;
    m_litHalf = on ? HalfAt(point) : kHalfNone;
}

bool CHotUpDownButton::OnMouseMove(CPoint point)
{
    const Half half = HalfAt(point);
    if (half == m_litHalf)
        return false;
    m_litHalf = half;
    return true;
}

bool CHotUpDownButton::OnPress(IHotspotHost& host)
{
    if (TouchSettings().touchMode) {
        // A finger cannot hold a 16-unit key: the pad's keys are larger.
        host.OpenSpinPad(*this);
        return false;
    }
    const Half half = HalfAt(host.PointerPosition());
    if (half == kHalfNone)
        return false;
    const uint32_t command = CommandOf(half);
    m_litHalf = half;
    m_pressed = true;
    Invalidate();
    host.CaptureMouse();

    HoldEnd end;
    if (m_autoRepeat) {
        CAutoRepeat repeat(m_firstDelay, m_shortestDelay, m_delayStep);
        end = TrackHold(host, HalfRect(half), &repeat, [&] { host.PostCommand(command); });
    } else {
        end = TrackHold(host, HalfRect(half), nullptr, {});
        if (end == HoldEnd::Released)
            host.PostCommand(command);
    }

    m_pressed = false;
    m_litHalf = kHalfNone;
    Invalidate();
    host.ReleaseMouse();
    return end == HoldEnd::Released;
}

void CHotUpDownButton::Draw(IPanelGraphics& g, CVISkinManager& skin)
{
    skin.DrawUpDown(g, RectF::From(m_rect), m_hover, m_pressed, m_litHalf);
}
