#include "viframework/controls/HotToggle.h"

#include <cstdlib>

#include "viframework/SkinManager.h"
#include "viframework/controls/PanelResources.h"

// ---------------------------------------------------------------- base

CHotToggle::CHotToggle()
{
    m_flags |= kHotButtonKind;
    m_naturalWidth = 24;
    m_naturalHeight = 22;
}

void CHotToggle::Serialize(CArchive& ar)
{
    CHotspot::Serialize(ar);
    if (ar.IsStoring())
        ar << m_checked;
    else
        ar >> m_checked;
}

bool CHotToggle::TrackToggle(IHotspotHost& host)
{
    m_pressed = true;
    Invalidate();
    host.CaptureMouse();
    const bool inside = TrackPress(host, m_rect, [this](bool now) {
        m_pressed = now;
        Invalidate();
    });
    m_pressed = false;
    Invalidate();
    host.ReleaseMouse();
    return inside;
}

// ---------------------------------------------------------------- check box

CHotCheck::CHotCheck()
{
    m_typeCode = kTypeCode;
    m_id = 1;
}

void CHotCheck::Draw(IPanelGraphics& graphics, CVISkinManager& skin)
{
    skin.DrawCheck(graphics, RectF::From(m_rect), m_hover, m_pressed, m_checked != 0);
}

bool CHotCheck::OnPress(IHotspotHost& host)
{
    if (!TrackToggle(host))
        return false;
    m_checked = m_checked ? 0 : 1;
    Invalidate();
    if (m_notifySink)
        m_notifySink->OnHotspotToggled(*this);
    return true;
}

// ---------------------------------------------------------------- radio button

CHotRadio::CHotRadio()
{
    m_typeCode = kTypeCode;
    m_id = 0;
}

void CHotRadio::Draw(IPanelGraphics& graphics, CVISkinManager& skin)
{
    skin.DrawRadio(graphics, RectF::From(m_rect), m_hover, m_pressed, m_checked != 0);
}

bool CHotRadio::OnPress(IHotspotHost& host)
{
    if (!TrackToggle(host))
        return false;
    if (m_checked) {
        host.RedrawNow(*this);
        return true;
    }
    m_checked = 1;
    host.RedrawNow(*this);
    host.PostCommand(m_id);
    return true;
}

void SelectRadioExclusive(CHotspotArray& hotspots, CHotRadio& clicked, const std::function<void(CHotspot&)>& redraw)
{
    const int index = hotspots.IndexOf(&clicked);
    auto deselect = [&](int i) {
        CHotspot* neighbour = hotspots[size_t(i)];
        if (neighbour->m_typeCode != kHotRadio)
            return false;
        auto* radio = static_cast<CHotRadio*>(neighbour);
        if (radio->IsChecked()) {
            radio->SetChecked(false);
            if (redraw)
                redraw(*radio);
        }
        return true;
    };
    if (index >= 0) {
        for (int i = index + 1; i < int(hotspots.size()) && deselect(i); ++i) {
        }
        for (int i = index - 1; i >= 0 && deselect(i); --i) {
        }
    }
    clicked.SetChecked(true);
    if (redraw)
        redraw(clicked);
}

// ---------------------------------------------------------------- hyperlink

CHotHyperlink::CHotHyperlink()
{
    m_typeCode = kTypeCode;
    m_font = MakeFont(u"Tahoma", -9, 400);
}

void CHotHyperlink::Serialize(CArchive& ar)
{
    CHotToggle::Serialize(ar);
    if (ar.IsStoring())
        ar << m_font << m_text;
    else
        ar >> m_font >> m_text;
}

void CHotHyperlink::Draw(IPanelGraphics& graphics, CVISkinManager& skin)
{
    FontRecord font = m_font;
    if (m_hover || m_pressed)
        font.underline = 1;
    skin.DrawLabelText(graphics, RectF::From(m_rect), m_text, font, skin.LinkColour(m_hover || m_pressed));
}

bool CHotHyperlink::OnPress(IHotspotHost& host)
{
    if (!TrackToggle(host))
        return false;
    m_checked = m_checked ? 0 : 1;
    Invalidate();
    if (m_notifySink)
        m_notifySink->OnHotspotToggled(*this);
    return true;
}

void CHotHyperlink::AutoSize()
{
    const SizeF extent = TextMeasurer().MeasureString(m_text, m_font);
    m_naturalWidth = int32_t(extent.width + 0.999f);
    m_naturalHeight = int32_t(extent.height + 0.999f);
    CHotspot::AutoSize();
}
