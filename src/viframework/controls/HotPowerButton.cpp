#include "viframework/controls/HotPowerButton.h"

#include "viframework/SkinManager.h"

CHotPowerButton::CHotPowerButton()
{
    m_typeCode = kTypeCode;
    m_flags |= kHotButtonKind | kHotDefaultCursor;
    m_naturalWidth = 36;
    m_naturalHeight = 36;
}

CHotPowerEnableInfo& CHotPowerButton::Appearance()
{
    if (!m_appearance)
        m_appearance = std::make_unique<CHotPowerEnableInfo>();
    return *m_appearance;
}

void CHotPowerButton::Serialize(CArchive& ar)
{
    CHotspot::Serialize(ar);
    if (ar.IsStoring())
        ar << m_style << m_on;
    else
        ar >> m_style >> m_on;
    if (m_flags & kHotPowerAppearance)
        Appearance().Serialize(ar);
}

void CHotPowerButton::OnLoaded()
{
    if (m_style == 2)
        m_flags |= kHotPowerStyle2;
    if (m_style == 3)
        m_flags |= kHotPowerStyle3;
}

void CHotPowerButton::Draw(IPanelGraphics& graphics, CVISkinManager& skin)
{
    const CHotPowerEnableInfo& look = m_appearance ? *m_appearance : skin.m_powerAppearance;
    const RectF rect = RectF::From(m_rect);
    if (m_style == 0)
        skin.DrawPowerButton(graphics, rect, look, m_hover, m_pressed, m_on != 0);
    else
        skin.DrawPowerButtonStyled(graphics, rect, look, m_hover, m_pressed, m_on != 0, m_indicator == 0, m_style);
    // A switch that cannot be used now fades into the panel.
    if (IsDisabled())
        graphics.FillRectangle(Brush::Solid(skin.BackgroundArgb(0x99)), rect);
}

bool CHotPowerButton::OnPress(IHotspotHost& host)
{
    if (IsDisabled())
        return false;
    m_pressed = true;
    Invalidate();
    host.CaptureMouse();
    const bool inside = TrackPress(host, m_rect, [this](bool now) {
        m_pressed = now;
        Invalidate();
    });
    m_pressed = false;
    if (inside) {
        m_on = m_on ? 0 : 1;
        if (m_notifySink)
            m_notifySink->OnHotspotPower(*this);
    }
    Invalidate();
    host.ReleaseMouse();
    return true;
}

bool CHotPowerButton::Reset()
{
    const bool changed = m_on != 0 || m_indicator != 0;
    m_on = 0;
    m_indicator = 0;
    return changed;
}

bool CHotPowerButton::SetState(bool indicator, bool on, IHotspotNotifySink* view)
{
    const uint8_t newIndicator = indicator ? 1 : 0;
    const uint8_t newOn = on ? 1 : 0;
    if (newIndicator == m_indicator && newOn == m_on)
        return false;
    m_indicator = newIndicator;
    m_on = newOn;
    if (view)
        view->OnHotspotInvalidate(*this);
    return true;
}
