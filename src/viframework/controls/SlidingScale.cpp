#include "viframework/controls/SlidingScale.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "viframework/SkinManager.h"

namespace {

// More ticks than this in view means a damaged record.
constexpr int kMaxTicks = 2000;

}  // namespace

CHotSlidingScale::CHotSlidingScale()
{
    m_typeCode = kTypeCode;
    m_flags = kHotVisible | kHotStatic;
    m_font = MakeFont(u"Courier New", -18);
}

void CHotSlidingScale::Serialize(CArchive& ar)
{
    CHotspot::Serialize(ar);
    if (ar.IsStoring()) {
        ar << m_horizontal << m_span << m_majorStep << m_majorLength << m_minorCount << m_minorLength;
        for (Argb c : m_colours)
            ar << c;
        ar << m_font;
        return;
    }
    ar >> m_horizontal >> m_span >> m_majorStep >> m_majorLength >> m_minorCount >> m_minorLength;
    for (Argb& c : m_colours)
        ar >> c;
    ar >> m_font;
}

bool CHotSlidingScale::SetValue(double value)
{
    if (value == m_value)
        return false;
    m_value = value;
    return true;
}

float CHotSlidingScale::PositionOf(double value) const
{
    const double length = m_horizontal ? m_rect.Width() : m_rect.Height();
    const double offset = m_span > 0 ? (value - m_value) / m_span * length : 0.0;
    // Values grow to the right, or upwards on a standing scale.
    return m_horizontal ? float(m_rect.left + length / 2 + offset) : float(m_rect.top + length / 2 - offset);
}

int64_t CHotSlidingScale::LabelEvery(IPanelGraphics& g, double low, double high) const
{
    char text[64];
    std::snprintf(text, sizeof text, "%.0lf", std::max(std::fabs(low), std::fabs(high)) * (low < 0 ? -1 : 1));
    const SizeF extent = g.MeasureString(Utf8ToString(text), m_font);
    const float room = (m_horizontal ? extent.width : extent.height) + 4;
    const float pitch = std::fabs(PositionOf(m_value + m_majorStep) - PositionOf(m_value));
    if (!(pitch > 0))
        return 1;
    const double every = std::ceil(double(room) / pitch);
    return every < double(kMaxTicks) ? std::max<int64_t>(int64_t(every), 1) : kMaxTicks;
}

void CHotSlidingScale::Draw(IPanelGraphics& g, CVISkinManager& skin)
{
    const RectF whole = RectF::From(m_rect);
    g.FillRectangle(Brush::Solid(m_colours[1]), whole);
    g.PushClip(whole);

    if (m_span > 0 && m_majorStep > 0) {
        const double step = double(m_majorStep) / (double(m_minorCount) + 1);
        const double low = m_value - m_span / 2, high = m_value + m_span / 2;
        const Pen tickPen{m_colours[2], 1};
        const float labelHeight = float(std::abs(m_font.height)) * 1.3f;
        // Start one label early so a label half in view still shows.
        const double first = std::floor(low / m_majorStep) * m_majorStep;
        const int64_t labelEvery = LabelEvery(g, low, high);
        for (int i = 0; i < kMaxTicks; ++i) {
            const double v = first + i * step;
            if (v > high + m_majorStep)
                break;
            const bool major = i % (int64_t(m_minorCount) + 1) == 0;
            const float at = PositionOf(v);
            const float length = float(major ? m_majorLength : m_minorLength);
            if (m_horizontal)
                g.DrawLine(tickPen, {at, whole.y}, {at, whole.y + length});
            else
                g.DrawLine(tickPen, {whole.x, at}, {whole.x + length, at});
            // Labels go on every major tick that has room; which ones is
            // fixed by value, so they do not jump while the scale slides.
            const int64_t index = std::llround(v / m_majorStep);
            if (!major || (index % labelEvery + labelEvery) % labelEvery != 0)
                continue;
            char text[64];
            std::snprintf(text, sizeof text, "%.0lf", v);
            if (m_horizontal)
                g.DrawString(Utf8ToString(text), m_font, {at - 50, whole.y + length + 1, 100, labelHeight},
                             m_colours[3], {TextAlign::Centre, TextAlign::Near, false});
            else
                g.DrawString(Utf8ToString(text), m_font,
                             {whole.x + length + 2, at - labelHeight / 2, whole.width - length - 2, labelHeight},
                             m_colours[3], {TextAlign::Near, TextAlign::Centre, false});
        }
    }

    const Pen pointer{m_colours[4], 2};
    if (m_horizontal) {
        const float x = whole.x + whole.width / 2;
        g.DrawLine(pointer, {x, whole.y}, {x, whole.Bottom()});
    } else {
        const float y = whole.y + whole.height / 2;
        g.DrawLine(pointer, {whole.x, y}, {whole.Right(), y});
    }
    g.PopClip();
    g.DrawRectangle({m_colours[0], 1}, {whole.x, whole.y, whole.width - 1, whole.height - 1});
}
