#include "instruments/meter/VexaValueDisplay.h"

#include <algorithm>
#include <cmath>

#include "units/VexaMeter.h"
#include "viframework/controls/Seg7.h"

namespace {

constexpr Argb kInk = 0xFF000000u;
constexpr Argb kUnlitSegment = 0x3C969696u;
constexpr int32_t kBarDivisions = 10;
constexpr float kBarHeight = 6;
constexpr float kMargin = 10;       // inside the sunken frames
constexpr float kUnitColumn = 45;   // right of the digits: unit and range text

}  // namespace

CHotVexaValueDisplay::CHotVexaValueDisplay()
{
    m_digitCount = kDigitCells;
    m_text = u"----";
    m_rangeFont = MakeFont(u"Tahoma", -9);
}

void CHotVexaValueDisplay::AutoSize()
{
    m_rect.right = m_rect.left + m_naturalWidth;
    m_rect.bottom = m_rect.top + m_naturalHeight;
}

bool CHotVexaValueDisplay::Show(const MeterReading& reading)
{
    const double fraction = std::isfinite(reading.fraction) ? std::clamp(reading.fraction, 0.0, 1.0) : 0.0;
    // Changes of the bar below a thousandth of its length do not count.
    const bool barMoved = std::lround(fraction * 1000) != std::lround(m_fraction * 1000);
    const bool changed = reading.text != m_text || reading.unit != m_unit || reading.rangeText != m_rangeText || barMoved;
    m_text = reading.text;
    m_unit = reading.unit;
    m_rangeText = reading.rangeText;
    m_fraction = fraction;
    m_shownValue = fraction;
    return changed;
}

bool CHotVexaValueDisplay::Refresh()
{
    if (m_meter == nullptr)
        return Show({u"----", {}, {}, 0});
    if (m_kind == MeterDisplayKind::Power)
        return Show(FormatMeterReading(m_kind, CVexaMeter::Record(0, m_quantity), m_meter->Range(0),
                                       CVexaMeter::Shunt(1), CVexaMeter::Record(1, m_quantity), m_meter->Range(1)));
    const int channel = m_channelA ? 0 : 1;
    return Show(FormatMeterReading(m_kind, CVexaMeter::Record(channel, m_quantity), m_meter->Range(channel),
                                   CVexaMeter::Shunt(channel)));
}

float CHotVexaValueDisplay::DigitHeight() const
{
    // 55 units as the other read-outs when there is room, smaller in the
    // 80-unit natural height so that the bar fits below.
    return std::clamp(float(m_rect.Height()) - 38, 12.0f, float(CHotSeg7::kCellHeight));
}

float CHotVexaValueDisplay::DigitWidth() const
{
    const float byHeight = float(kCellWidth) * DigitHeight() / float(CHotSeg7::kCellHeight);
    const float room = (float(m_rect.Width()) - 2 * kMargin - kUnitColumn) / float(std::max<uint32_t>(m_digitCount, 1));
    return std::max(1.0f, std::min(byHeight, room));
}

RectF CHotVexaValueDisplay::BarArea() const
{
    const float left = float(m_rect.left) + kMargin + 4;
    return {left, float(m_rect.top) + kMargin + DigitHeight() + 4, float(m_rect.right) - kMargin - 4 - left,
            kBarHeight};
}

void CHotVexaValueDisplay::Draw(IPanelGraphics& g, CVISkinManager&)
{
    DrawFrame(g);
    const float left = float(m_rect.left) + kMargin, top = float(m_rect.top) + kMargin;
    const float digitWidth = DigitWidth(), digitHeight = DigitHeight();
    DrawValueDigits(g, m_text, {left, top}, m_digitCount, digitWidth, digitHeight, kInk, kUnlitSegment);

    // Unit beside the digits, the range's full scale small under it, both
    // right-aligned so that "mV" and " 100 mV" line up.
    const float column = left + digitWidth * float(m_digitCount) + 2;
    const float columnWidth = float(m_rect.right) - kMargin - column;
    if (columnWidth > 0) {
        const TextFormat right{TextAlign::Far, TextAlign::Near, false};
        g.DrawString(m_unit, m_unitFont, {column, top, columnWidth, 20}, kInk, right);
        g.DrawString(m_rangeText, m_rangeFont, {column - 20, top + digitHeight - 12, columnWidth + 20, 12}, kInk,
                     right);
    }

    const RectF bar = BarArea();
    if (bar.width <= 0)
        return;
    g.FillRectangle(Brush::Solid(kBarColour), {bar.x, bar.y, float(std::floor(bar.width * m_fraction + 0.5)), bar.height});
    g.DrawRectangle({0xFF808080u, 1}, bar);
    const Brush ink = Brush::Solid(kInk);
    for (int32_t i = 0; i <= kBarDivisions; ++i) {
        const float x = bar.x + bar.width * float(i) / kBarDivisions;
        g.FillRectangle(ink, {x - 0.5f, bar.Bottom(), 1, i % 5 == 0 ? 5.0f : 3.0f});
    }
}
