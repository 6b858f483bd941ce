#include "viframework/controls/HotButton.h"

#include <algorithm>

#include "viframework/SkinManager.h"
#include "viframework/controls/AutoRepeat.h"
#include "viframework/controls/PanelResources.h"

namespace {

constexpr Argb kStripKey = 0x00C0C0C0u;

}  // namespace

// ---------------------------------------------------------------- push button

CHotButton::CHotButton()
{
    m_typeCode = kTypeCode;
    m_flags |= kHotButtonKind;
    const CSize size = CVISkinManager::GetButtonSize(m_styleIndex);
    m_naturalWidth = size.cx;
    m_naturalHeight = size.cy;
}

void CHotButton::Serialize(CArchive& ar)
{
    CHotspot::Serialize(ar);
    if (ar.IsStoring()) {
        ar << m_styleIndex << m_notifyPressAndRelease << m_text << m_autoRepeat << m_firstDelay << m_shortestDelay
           << m_delayStep;
    } else {
        ar >> m_styleIndex >> m_notifyPressAndRelease >> m_text >> m_autoRepeat >> m_firstDelay >> m_shortestDelay >>
            m_delayStep;
    }
}

void CHotButton::OnLoaded()
{
    SetStyle(m_styleIndex);
}

void CHotButton::SetStyle(uint32_t styleIndex)
{
    m_styleIndex = styleIndex;
    const CSize size = CVISkinManager::GetButtonSize(styleIndex);
    m_naturalWidth = size.cx;
    m_naturalHeight = size.cy;
}

void CHotButton::SetAutoRepeat(bool on, uint16_t firstDelay, uint16_t shortestDelay, uint16_t delayStep)
{
    m_autoRepeat = on ? 1 : 0;
    m_firstDelay = firstDelay;
    m_shortestDelay = shortestDelay;
    m_delayStep = delayStep;
}

void CHotButton::Draw(IPanelGraphics& graphics, CVISkinManager& skin)
{
    const RectF rect = RectF::From(m_rect);
    skin.DrawButton(graphics, rect, m_text, m_styleIndex, m_hover, m_pressed);
    // A button that cannot be used now fades into the panel, as a switch does.
    if (IsDisabled())
        graphics.FillRectangle(Brush::Solid(skin.BackgroundArgb(0x99)), rect);
}

bool CHotButton::OnPress(IHotspotHost& host)
{
    if (!m_notifySink)
        return false;
    IHotspotNotifySink& sink = *m_notifySink;
    m_pressed = true;
    m_inside = true;
    Invalidate();
    host.CaptureMouse();
    if (m_notifyPressAndRelease)
        sink.OnHotspotCommand(*this);

    CAutoRepeat repeat(m_firstDelay, m_shortestDelay, m_delayStep);
    auto repeatWhileInside = [&]() -> uint32_t {
        // Outside the button the repeat rests until the pointer comes back.
        if (!m_inside)
            return IHotspotHost::kWaitForever;
        if (repeat.Due(host.TickCount()))
            sink.OnHotspotCommand(*this);
        return repeat.Wait(host.TickCount());
    };
    const bool releasedInside = TrackPress(
        host, m_rect,
        [&](bool inside) {
            m_inside = inside;
            m_pressed = inside;
            Invalidate();
        },
        m_autoRepeat ? std::function<uint32_t()>(repeatWhileInside) : std::function<uint32_t()>());

    m_pressed = false;
    m_inside = false;
    Invalidate();
    host.ReleaseMouse();
    if (m_notifyPressAndRelease)
        sink.OnHotspotCommand(*this);
    else if (!m_autoRepeat && releasedInside)
        sink.OnHotspotCommand(*this);
    return true;
}

// ---------------------------------------------------------------- tool button

std::shared_ptr<const CPanelImage> ToolButtonStrip(uint32_t bitmapId)
{
    return SharedBitmap(bitmapId);
}

void ClearToolButtonStrips()
{
    ClearSharedBitmaps();
}

CHotToolButton::CHotToolButton()
{
    m_typeCode = kTypeCode;
    m_styleIndex = 9;
    m_autoRepeat = 1;
    m_naturalWidth = 26;
    m_naturalHeight = 26;
}

void CHotToolButton::Serialize(CArchive& ar)
{
    CHotButton::Serialize(ar);
    if (ar.IsStoring())
        ar << m_imageBitmapId << m_imageIndex;
    else
        ar >> m_imageBitmapId >> m_imageIndex;
}

void CHotToolButton::Draw(IPanelGraphics& graphics, CVISkinManager& skin)
{
    CHotButton::Draw(graphics, skin);
    const auto strip = ToolButtonStrip(m_imageBitmapId);
    if (!strip || strip->height <= 0)
        return;
    const int32_t side = strip->height;
    const int64_t left = int64_t(m_imageIndex) * side;
    if (left + side > strip->width)
        return;
    const CRect source{int32_t(left), 0, int32_t(left) + side, side};
    const float shift = m_pressed ? 1.0f : 0.0f;
    const RectF dest{float(m_rect.left) + float(m_rect.Width() - side) / 2 + shift,
                     float(m_rect.top) + float(m_rect.Height() - side) / 2 + shift, float(side), float(side)};
    graphics.DrawImage(*strip, dest, &source, kStripKey);
}
