#include "viframework/controls/ValueField.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "viframework/SkinManager.h"

namespace {

// Font heights beyond this come from damaged records [panel units].
constexpr int32_t kLargestFont = 500;

int32_t SaneHeight(int32_t height)
{
    return std::clamp(height, -kLargestFont, kLargestFont);
}

bool SameNumber(double a, double b)
{
    return a == b || (std::isnan(a) && std::isnan(b));
}

}  // namespace

CHotValue::CHotValue()
{
    m_typeCode = kTypeCode;
    m_font = MakeFont(u"Arial", -20, 700);
}

void CHotValue::Serialize(CArchive& ar)
{
    CHotspot::Serialize(ar);
    if (ar.IsStoring()) {
        ar << m_version << m_alignment << m_backColour << m_frameColour << m_reserved << m_valueHeight << m_showFrame
           << m_decimals << m_titleColour << m_valueColour << m_title << m_font << m_value;
        return;
    }
    ar >> m_version >> m_alignment >> m_backColour >> m_frameColour >> m_reserved >> m_valueHeight >> m_showFrame >>
        m_decimals >> m_titleColour >> m_valueColour >> m_title >> m_font >> m_value;
}

void CHotValue::OnLoaded()
{
    m_textStale = true;
}

void CHotValue::PlaceAt(int32_t x, int32_t y)
{
    if (m_rect.IsEmpty())
        m_rect = {x, y, x + 150, y + 100};
    else
        m_rect = m_rect.Offset(x - m_rect.left, y - m_rect.top);
}

bool CHotValue::Reset()
{
    return SetValue(0.0);
}

bool CHotValue::SetValue(double value)
{
    if (SameNumber(value, m_value))
        return false;
    m_value = value;
    m_textStale = true;
    return true;
}

bool CHotValue::SetDecimals(uint32_t decimals)
{
    if (decimals == m_decimals)
        return false;
    m_decimals = decimals;
    m_textStale = true;
    return true;
}

bool CHotValue::SetTitle(const CString& title)
{
    if (title == m_title)
        return false;
    m_title = title;
    return true;
}

bool CHotValue::SetUnit(const CString& unit)
{
    if (unit == m_unit)
        return false;
    m_unit = unit;
    return true;
}

void CHotValue::SetFont(const FontRecord& font)
{
    m_font = font;
    m_valueHeight = font.height;
}

const CString& CHotValue::ValueText() const
{
    if (!m_textStale)
        return m_text;
    m_textStale = false;
    if (!std::isfinite(m_value)) {
        m_text = u"---";
        return m_text;
    }
    const int decimals = int(std::min(m_decimals, kMostDecimals));
    const int length = std::snprintf(nullptr, 0, "%.*lf", decimals, m_value);
    std::vector<char> text(size_t(std::max(length, 0)) + 1);
    std::snprintf(text.data(), text.size(), "%.*lf", decimals, m_value);
    m_text = Utf8ToString(text.data());
    return m_text;
}

void CHotValue::Draw(IPanelGraphics& g, CVISkinManager&)
{
    if (m_rect.IsEmpty())
        return;
    const RectF whole = RectF::From(m_rect);
    FontRecord titleFont = m_font;
    titleFont.height = SaneHeight(int32_t(std::lround(m_font.height * 0.6)));
    FontRecord valueFont = m_font;
    valueFont.height = SaneHeight(m_valueHeight);
    const float titleHeight = std::abs(float(titleFont.height));

    // A frame with a darker band for the title, and a box for the number.
    const float inset = m_showFrame ? 5.0f : 0.0f;
    const float band = std::min(whole.height / 2, titleHeight * 1.6f + inset);
    const RectF titleRect{whole.x + inset, whole.y, whole.width - 2 * inset, band};
    const RectF box{whole.x + inset, whole.y + band, whole.width - 2 * inset, whole.height - band - inset};
    if (m_showFrame) {
        const float radius = std::min(6.0f, whole.height / 4);
        const Argb edge = Shade(m_frameColour, -70);
        g.FillRoundedRectangle(Brush::Linear({whole.x, whole.y}, {whole.x, whole.Bottom()}, Shade(m_frameColour, 20),
                                             m_frameColour),
                               whole, radius);
        g.FillRoundedRectangle(Brush::Solid(edge), {whole.x + 1, whole.y + 1, whole.width - 2, band - 2},
                               std::max(0.0f, radius - 1));
        g.DrawRoundedRectangle(Pen{edge, 1}, {whole.x + 0.5f, whole.y + 0.5f, whole.width - 1, whole.height - 1},
                               radius);
        if (box.width > 0 && box.height > 0) {
            g.FillRectangle(Brush::Solid(m_backColour), box);
            g.DrawRectangle(Pen{edge, 1}, box);
        }
    }
    const TextFormat centred{TextAlign::Centre, TextAlign::Centre, false};
    if (!m_title.empty())
        g.DrawString(m_title, titleFont, titleRect, m_titleColour, centred);

    // The unit sits at the right end of the box, the number before it.
    const float pad = 4;
    RectF numberRect{box.x + pad, box.y, box.width - 2 * pad, box.height};
    if (!m_unit.empty()) {
        const float unitWidth = std::min(numberRect.width / 2, g.MeasureString(m_unit, titleFont).width + pad);
        g.DrawString(m_unit, titleFont, {numberRect.Right() - unitWidth, box.y, unitWidth, box.height}, m_valueColour,
                     TextFormat{TextAlign::Far, TextAlign::Centre, false});
        numberRect.width -= unitWidth + pad;
    }
    if (numberRect.width <= 0 || numberRect.height <= 0)
        return;
    // A number taller than its box would be cut away whole: it shrinks to fit.
    valueFont.height = -std::min<int32_t>(std::abs(valueFont.height), std::max<int32_t>(1, int32_t(box.height * 0.8f)));
    const TextAlign along = m_alignment == 0 ? TextAlign::Far : m_alignment == 1 ? TextAlign::Centre : TextAlign::Near;
    g.PushClip(numberRect);
    g.DrawString(ValueText(), valueFont, numberRect, m_valueColour, TextFormat{along, TextAlign::Centre, false});
    g.PopClip();
}
