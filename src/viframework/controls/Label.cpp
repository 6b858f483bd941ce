#include "viframework/controls/Label.h"

#include <cmath>

#include "viframework/SkinManager.h"

namespace {

// White without alpha, as older layouts wrote "the skin's colour".
constexpr uint32_t kOldSkinColour = 0x00FFFFFFu;

}  // namespace

CHotLabel::CHotLabel()
{
    m_typeCode = kTypeCode;
    m_id = kNoHotspotId;
    m_flags = kHotVisible | kHotStatic;
    m_font = MakeFont(u"Tahoma", -9);
}

void CHotLabel::Serialize(CArchive& ar)
{
    CHotspot::Serialize(ar);
    if (ar.IsStoring()) {
        ar << m_font << m_colour << m_text;
        return;
    }
    ar >> m_font >> m_colour >> m_text;
    if (m_colour == kOldSkinColour)
        m_colour = kSkinColour;
}

void CHotLabel::PlaceAt(int32_t x, int32_t y)
{
    m_text = u"TEXT";
    m_rect = {x, y, x + 20, y + std::abs(m_font.height)};
    AutoSize();
}

void CHotLabel::AutoSize()
{
    const SizeF extent = TextMeasurer().MeasureString(m_text, m_font);
    m_rect.right = m_rect.left + int32_t(std::ceil(extent.width));
    m_rect.bottom = m_rect.top + int32_t(std::ceil(extent.height));
}

bool CHotLabel::SetText(const CString& text)
{
    if (text == m_text)
        return false;
    m_text = text;
    AutoSize();
    // Fonts do not scale exactly with the zoom: a line measured to fit at one
    // zoom may be a pixel taller at the next, and a box that cuts a line
    // loses all of it. Two units to spare keep it.
    m_rect.bottom += 2;
    return true;
}

void CHotLabel::Draw(IPanelGraphics& g, CVISkinManager& skin)
{
    skin.DrawLabelText(g, RectF::From(m_rect), m_text, m_font, m_colour);
}
