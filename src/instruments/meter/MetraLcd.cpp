#include "instruments/meter/MetraLcd.h"

#include <algorithm>

#include "viframework/controls/Seg7.h"

namespace {

constexpr float kUnitColumn = 38;  // right of the digits: unit and overload mark
constexpr float kTop = 7;
constexpr float kFootLine = 14;    // under the digits: the mode name

}  // namespace

CHotMetraLcd::CHotMetraLcd()
{
    m_naturalWidth = kNaturalWidth;
    m_naturalHeight = kNaturalHeight;
    m_digitCount = kDigitCells;
    m_unitFont = MakeFont(u"Tahoma", -13, 700);
    m_smallFont = MakeFont(u"Tahoma", -10);
    m_markFont = MakeFont(u"Tahoma", -12, 700);
}

bool CHotMetraLcd::SetReading(const CString& display, const CString& unit, const CString& modeName, bool overload)
{
    const bool changed = display != m_text || unit != m_unit || modeName != m_modeName || overload != m_overload;
    m_text = display;
    m_unit = unit;
    m_modeName = modeName;
    m_overload = overload;
    return changed;
}

bool CHotMetraLcd::Blank()
{
    return SetReading({}, {}, {}, false);
}

void CHotMetraLcd::AutoSize()
{
    m_rect.right = m_rect.left + m_naturalWidth;
    m_rect.bottom = m_rect.top + m_naturalHeight;
}

bool CHotMetraLcd::OnPress(IHotspotHost& host)
{
    if (!m_text.empty())
        host.CopyToClipboard(m_text);
    return false;
}

RectF CHotMetraLcd::DigitArea() const
{
    const float left = float(m_rect.left + kInset) + 3;
    const float textRight = float(m_rect.right - kInset);
    const float height = std::clamp(float(m_rect.Height()) - kTop - kFootLine - 3, 8.0f, 80.0f);
    // Cells keep the value display's proportions unless the width is short.
    const float byHeight = float(kCellWidth) * height / float(CHotSeg7::kCellHeight);
    const float room = std::max(1.0f, (textRight - kUnitColumn - left) / float(kDigitCells));
    const float cell = std::min(byHeight, room);
    return {left, float(m_rect.top) + kTop, cell * float(kDigitCells), height};
}

void CHotMetraLcd::Draw(IPanelGraphics& g, CVISkinManager&)
{
    g.FillRectangle(Brush::Solid(kBackground), RectF::From(m_rect));
    const float textLeft = float(m_rect.left + kInset), textRight = float(m_rect.right - kInset);
    if (textRight <= textLeft)
        return;
    g.PushClip({textLeft, float(m_rect.top), textRight - textLeft, float(m_rect.Height())});

    const RectF digits = DigitArea();
    DrawValueDigits(g, m_text, {digits.x, digits.y}, kDigitCells, digits.width / float(kDigitCells), digits.height,
                    kLit, kUnlit);

    const float column = digits.Right() + 2;
    const TextFormat nearTop{TextAlign::Near, TextAlign::Near, false};
    if (!m_unit.empty())
        g.DrawString(m_unit, m_unitFont, {column, digits.y + 2, textRight - column, 20}, kLit, nearTop);
    if (m_overload)
        g.DrawString(u"OL", m_markFont, {column, digits.Bottom() - 16, textRight - column, 16}, kLit, nearTop);
    if (!m_modeName.empty())
        g.DrawString(m_modeName, m_smallFont, {digits.x, digits.Bottom() + 1, digits.width, kFootLine}, kLit,
                     nearTop);
    g.PopClip();
}
