#include "viframework/controls/Frame.h"

#include <algorithm>
#include <cmath>

#include "viframework/SkinManager.h"

namespace {

TextAlign AlignmentOf(uint32_t alignment)
{
    return alignment == 0 ? TextAlign::Near : alignment == 2 ? TextAlign::Far : TextAlign::Centre;
}

}  // namespace

// ---------------------------------------------------------------- CHotFrame

CHotFrame::CHotFrame()
{
    m_typeCode = kTypeCode;
    m_id = kNoHotspotId;
    m_flags = kHotVisible | kHotStatic | kHotDefaultCursor;
}

void CHotFrame::SerializeFrame(CArchive& ar)
{
    if (ar.IsStoring())
        ar << m_border << m_radius << m_inset << m_shadeDepth << m_lineWidth << m_lightOffset << m_lightColour
           << m_filled << m_colour;
    else
        ar >> m_border >> m_radius >> m_inset >> m_shadeDepth >> m_lineWidth >> m_lightOffset >> m_lightColour >>
            m_filled >> m_colour;
}

void CHotFrame::Serialize(CArchive& ar)
{
    CHotspot::Serialize(ar);
    SerializeFrame(ar);
}

void CHotFrame::PlaceAt(int32_t x, int32_t y)
{
    m_rect = {x, y, x + 100, y + 100};
}

void CHotFrame::DrawFrame(IPanelGraphics& g) const
{
    const Argb colour = ArgbFromColorRef(m_colour);
    const float width = float(std::max<uint32_t>(m_lineWidth, 1));
    const float offset = float(m_lightOffset);
    // Lines are centred on their path: keep them inside the rectangle.
    const RectF outline = RectF::From(m_rect).Inflated(-width / 2, -width / 2);
    const float radius = std::min({float(m_radius), outline.width / 2, outline.height / 2});
    if (outline.width <= offset || outline.height <= offset)
        return;
    if (m_filled)
        g.FillRoundedRectangle(Brush::Solid(colour), outline, radius);

    const Argb dark = Shade(colour, -int(std::min<uint32_t>(m_shadeDepth, 25)) * 10);
    const Argb light = ArgbFromColorRef(m_lightColour);
    const RectF upper{outline.x, outline.y, outline.width - offset, outline.height - offset};
    const RectF lower{outline.x + offset, outline.y + offset, outline.width - offset, outline.height - offset};
    switch (m_border) {
    case kBorderLine:
        g.DrawRoundedRectangle({dark, width}, outline, radius);
        break;
    case kBorderRaised:
        // Light above, dark below: the frame stands out of the panel.
        g.DrawRoundedRectangle({dark, width}, lower, radius);
        g.DrawRoundedRectangle({light, width}, upper, radius);
        break;
    case kBorderSunken:
        // A groove: the light edge shows below and right of the dark one.
        g.DrawRoundedRectangle({light, width}, lower, radius);
        g.DrawRoundedRectangle({dark, width}, upper, radius);
        break;
    default:
        break;
    }
}

void CHotFrame::Draw(IPanelGraphics& g, CVISkinManager& skin)
{
    DrawFrame(g);
}

// ---------------------------------------------------------------- CHotText

CHotText::CHotText()
{
    m_typeCode = kTypeCode;
    m_flags = kHotVisible | kHotDefaultCursor;
    m_font = MakeFont(u"Arial", -24);
}

void CHotText::Serialize(CArchive& ar)
{
    CHotFrame::Serialize(ar);
    if (ar.IsStoring())
        ar << m_font << m_textColour << m_backColour << m_text << m_alignment;
    else
        ar >> m_font >> m_textColour >> m_backColour >> m_text >> m_alignment;
}

void CHotText::PlaceAt(int32_t x, int32_t y)
{
    m_text = u"TEXT";
    m_rect = {x, y, x + 10, y + 10};
    AutoSize();
}

void CHotText::AutoSize()
{
    const SizeF extent = TextMeasurer().MeasureString(m_text, m_font);
    const int32_t margin = 2 * int32_t(m_inset + 1);
    m_rect.right = m_rect.left + int32_t(std::ceil(extent.width)) + margin;
    m_rect.bottom = m_rect.top + int32_t(std::ceil(extent.height)) + margin;
}

bool CHotText::SetText(const CString& text)
{
    if (text == m_text)
        return false;
    m_text = text;
    AutoSize();
    return true;
}

void CHotText::Draw(IPanelGraphics& g, CVISkinManager& skin)
{
    if (m_backColour != kSkinColour) {
        const RectF whole = RectF::From(m_rect);
        g.FillRoundedRectangle(Brush::Solid(m_backColour), whole,
                               std::min({float(m_radius), whole.width / 2, whole.height / 2}));
    }
    DrawFrame(g);
    skin.DrawLabelText(g, RectF::From(InnerRect()), m_text, m_font, m_textColour,
                       {AlignmentOf(m_alignment), TextAlign::Centre, true});
}

// ---------------------------------------------------------------- CHotGroupBox

CHotGroupBox::CHotGroupBox()
{
    m_typeCode = kTypeCode;
    m_id = kNoHotspotId;
    m_flags = kHotVisible | kHotStatic | kHotDefaultCursor;
}

void CHotGroupBox::Serialize(CArchive& ar)
{
    CHotspot::Serialize(ar);
    if (ar.IsStoring())
        ar << m_caption;
    else
        ar >> m_caption;
}

void CHotGroupBox::PlaceAt(int32_t x, int32_t y)
{
    m_rect = {x, y, x + 100, y + 100};
}

bool CHotGroupBox::SetText(const CString& caption)
{
    if (caption == m_caption)
        return false;
    m_caption = caption;
    return true;
}

void CHotGroupBox::Draw(IPanelGraphics& g, CVISkinManager& skin)
{
    const FontRecord& font = m_font.faceName.empty() ? skin.m_textFont : m_font;
    const Argb colour = m_colour == kSkinColour ? skin.TextColour() : m_colour;
    const SizeF extent = m_caption.empty() ? SizeF{} : g.MeasureString(m_caption, font);
    const RectF whole = RectF::From(m_rect);
    // The line runs through the middle of the caption.
    const float top = whole.y + extent.height / 2;
    const RectF outline{whole.x + 0.5f, top, whole.width - 1, whole.Bottom() - top - 0.5f};
    if (outline.height > 0)
        g.DrawRoundedRectangle({WithAlpha(colour, 0x90), 1}, outline, 4);
    if (m_caption.empty())
        return;
    const RectF caption{whole.x + 8, whole.y, std::min(extent.width + 6, whole.width - 16), extent.height};
    if (caption.width <= 0)
        return;
    skin.FillBackground(g, caption);
    skin.DrawLabelText(g, caption, m_caption, font, colour, {TextAlign::Centre, TextAlign::Near, false});
}
