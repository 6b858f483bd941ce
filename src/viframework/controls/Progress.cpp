#include "viframework/controls/Progress.h"

#include <algorithm>

#include "viframework/SkinManager.h"

CHotProgress::CHotProgress()
{
    m_typeCode = kTypeCode;
    m_flags = kHotVisible | kHotStatic;
    m_font = MakeFont(u"Courier New", -12);
}

void CHotProgress::Serialize(CArchive& ar)
{
    CHotspot::Serialize(ar);
    if (ar.IsStoring()) {
        ar << m_style << m_minimum << m_maximum << m_thickness << m_padding << m_textGap;
        for (Argb c : m_colours)
            ar << c;
        ar << m_font << m_text;
        return;
    }
    ar >> m_style >> m_minimum >> m_maximum >> m_thickness >> m_padding >> m_textGap;
    for (Argb& c : m_colours)
        ar >> c;
    ar >> m_font >> m_text;
}

bool CHotProgress::Reset()
{
    return SetValue(std::min(m_minimum, m_maximum));
}

bool CHotProgress::SetValue(int32_t value)
{
    if (value == m_value)
        return false;
    m_value = value;
    return true;
}

bool CHotProgress::SetRange(int32_t minimum, int32_t maximum)
{
    if (minimum == m_minimum && maximum == m_maximum)
        return false;
    m_minimum = minimum;
    m_maximum = maximum;
    return true;
}

bool CHotProgress::SetText(const CString& text)
{
    if (text == m_text)
        return false;
    m_text = text;
    return true;
}

double CHotProgress::Fraction() const
{
    if (m_maximum == m_minimum)
        return 0.0;
    return std::clamp((double(m_value) - m_minimum) / (double(m_maximum) - m_minimum), 0.0, 1.0);
}

void CHotProgress::Layout(IPanelGraphics& g, RectF& track, RectF& text) const
{
    const RectF whole = RectF::From(m_rect);
    if (m_style == 0) {
        track = text = whole;
        return;
    }
    const float thickness = float(m_thickness), gap = m_text.empty() ? 0.0f : float(m_textGap);
    const SizeF extent = m_text.empty() ? SizeF{} : g.MeasureString(m_text, m_font);
    if (IsVertical()) {
        // The text sits under a standing track.
        const float trackHeight = std::max(0.0f, whole.height - extent.height - gap);
        track = {whole.x + (whole.width - thickness) / 2, whole.y, thickness, trackHeight};
        text = {whole.x, whole.y + trackHeight + gap, whole.width, whole.height - trackHeight - gap};
    } else {
        const float trackWidth = std::max(0.0f, whole.width - extent.width - gap);
        track = {whole.x, whole.y + (whole.height - thickness) / 2, trackWidth, thickness};
        text = {whole.x + trackWidth + gap, whole.y, whole.width - trackWidth - gap, whole.height};
    }
}

void CHotProgress::Draw(IPanelGraphics& g, CVISkinManager& skin)
{
    RectF track, textArea;
    Layout(g, track, textArea);
    const bool vertical = IsVertical();
    // The track's shading runs across it.
    const PointF from{track.x, track.y};
    const PointF to = vertical ? PointF{track.Right(), track.y} : PointF{track.x, track.Bottom()};
    const Brush trackBrush = Brush::Linear(from, to, m_colours[2], m_colours[3]);
    const Brush barBrush = Brush::Solid(m_colours[0]);
    const Pen border{m_colours[1], 1};
    const float fraction = float(Fraction());

    if (m_style == 0) {
        g.FillRectangle(trackBrush, track);
        const RectF inner = track.Inflated(-float(m_padding), -float(m_padding));
        if (inner.width > 0 && inner.height > 0 && fraction > 0) {
            RectF bar = inner;
            if (vertical) {
                bar.height = inner.height * fraction;
                bar.y = inner.Bottom() - bar.height;
            } else {
                bar.width = inner.width * fraction;
            }
            g.FillRectangle(barBrush, bar);
        }
        g.DrawRectangle(border, {track.x, track.y, track.width - 1, track.height - 1});
    } else if (track.width > 0 && track.height > 0) {
        const float radius = std::min({m_roundness, track.width / 2, track.height / 2});
        g.FillRoundedRectangle(trackBrush, track, radius);
        RectF bar = track;
        if (vertical) {
            bar.height = track.height * fraction;
            bar.y = track.Bottom() - bar.height;
        } else {
            bar.width = track.width * fraction;
        }
        if (fraction > 0)
            g.FillRoundedRectangle(barBrush, bar, std::min({radius, bar.width / 2, bar.height / 2}));
        g.DrawRoundedRectangle(border, track, radius);
    }
    if (!m_text.empty()) {
        const TextFormat format{m_style == 0 ? TextAlign::Centre : (vertical ? TextAlign::Centre : TextAlign::Near),
                                TextAlign::Centre, false};
        g.DrawString(m_text, m_font, textArea, m_colours[1], format);
    }
}
