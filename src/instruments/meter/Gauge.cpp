#include "instruments/meter/Gauge.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>

#include "units/VexaMeter.h"
#include "viframework/controls/PanelResources.h"

namespace {

constexpr Argb kFaceColour = 0xFFF6F0DCu;     // cream, without the face bitmap
constexpr Argb kBezelColour = 0xFF2E2E2Eu;
constexpr Argb kScaleInk = 0xFF141414u;
constexpr Argb kNeedleColour = 0xFF1B1B1Bu;
constexpr Argb kCapColour = 0xFF3A3A3Au;
constexpr Argb kCapHighlight = 0xFF9A9A9Au;
constexpr int32_t kMinorTicks = 4;   // between two major ticks
constexpr float kMargin = 5;         // between the needle's reach and the rectangle
constexpr float kPivotDrop = 0.1f;   // the pivot's height above the bottom, of the height
constexpr int kSweepSamples = 64;

// Degrees clockwise from the x axis, as arcs are drawn, for an angle of the
// (sin, cos) convention.
float ArcDegrees(double theta)
{
    return float(90.0 - theta * 180.0 / std::numbers::pi);
}

CString Format(const char* format, double value)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, format, value);
    return Utf8ToString(buffer);
}

}  // namespace

CHotGauge::CHotGauge()
{
    m_typeCode = kTypeCode;
    m_flags = kHotVisible | kHotStatic;
    m_naturalWidth = kNaturalWidth;
    m_naturalHeight = kNaturalHeight;
    m_labelFont = MakeFont(u"Tahoma", -10);
}

void CHotGauge::SetRange(int32_t range)
{
    m_range = std::clamp(range, 0, 8);
}

void CHotGauge::SetScale(double start, double end, double factor)
{
    if (!std::isfinite(start) || !std::isfinite(end) || !std::isfinite(factor))
        return;
    m_scaleStart = start;
    m_scaleEnd = end;
    m_factor = factor;
    SetValue(m_value);
}

void CHotGauge::SetAngles(double start, double end)
{
    if (!std::isfinite(start) || !std::isfinite(end))
        return;
    m_startAngle = start;
    m_endAngle = end;
}

void CHotGauge::SetNeedle(int32_t lengthPercent, int32_t widthPercent)
{
    m_needleLength = std::clamp(lengthPercent, 10, 400);
    m_needleWidth = std::clamp(widthPercent, 1, 50);
}

void CHotGauge::SetDivisions(int32_t divisions)
{
    m_divisions = std::clamp(divisions, 1, 50);
}

bool CHotGauge::SetValue(double v)
{
    m_value = v;
    const double low = std::min(m_scaleStart, m_scaleEnd), high = std::max(m_scaleStart, m_scaleEnd);
    const double magnitude = std::fabs(m_factor * v);
    // A value that is no number rests the needle at the start.
    const double shown = std::isnan(magnitude) ? m_scaleStart : std::clamp(magnitude, low, high);
    if (shown == m_shown)
        return false;
    m_shown = shown;
    return true;
}

bool CHotGauge::Refresh()
{
    if (m_meter == nullptr)
        return SetValue(0.0);
    return SetValue(CVexaMeter::Record(m_channelA ? 0 : 1, m_quantity));
}

double CHotGauge::Fraction() const
{
    const double span = m_scaleEnd - m_scaleStart;
    if (span == 0)
        return 0;
    return std::clamp((m_shown - m_scaleStart) / span, 0.0, 1.0);
}

double CHotGauge::NeedleAngle() const
{
    return (m_startAngle - m_endAngle) * Fraction() - m_startAngle;
}

int32_t CHotGauge::PrintIndex() const
{
    return int32_t(std::clamp<int64_t>(int64_t{kDefaultPrint} - m_style, -1, kPrintCount));
}

CString CHotGauge::LabelText(int32_t division) const
{
    const double part = double(division) / double(m_divisions);
    if (m_style == kPercentStyle)
        return Format("%.0lf %%", 100 * part);
    const double scaleValue = m_scaleStart + (m_scaleEnd - m_scaleStart) * part;
    // Labels name volts in the range's own way, whatever unit the scale is in.
    const double volts = m_factor != 0 ? scaleValue / m_factor : scaleValue;
    if (m_range <= 2)
        return Format("%.0lf", 1000 * volts);
    if (m_range <= 5)
        return Format("%.2lf", volts);
    if (m_range <= 7)
        return Format("%.1lf", volts);
    return Format("%.0lf", volts);
}

CHotGauge::Layout CHotGauge::ComputeLayout() const
{
    const float width = float(m_rect.Width()), height = float(m_rect.Height());
    Layout layout;
    layout.pivot = {float(m_rect.left) + width / 2, float(m_rect.bottom) - kPivotDrop * height};

    // How far the needle reaches up, down and sideways over its sweep, per
    // unit of length; the longest needle that keeps inside sets the scale.
    double up = 0, down = 0, side = 0;
    for (int i = 0; i <= kSweepSamples; ++i) {
        const double theta = (m_startAngle - m_endAngle) * i / kSweepSamples - m_startAngle;
        up = std::max(up, -std::cos(theta));
        down = std::max(down, std::cos(theta));
        side = std::max(side, std::fabs(std::sin(theta)));
    }
    float length = std::max(1.0f, layout.pivot.y - float(m_rect.top) - kMargin) / float(std::max(up, 0.05));
    if (side > 0.05)
        length = std::min(length, std::max(1.0f, width / 2 - kMargin) / float(side));
    if (down > 0.05)
        length = std::min(length, std::max(1.0f, float(m_rect.bottom) - layout.pivot.y - kMargin) / float(down));
    layout.needleLength = length;
    layout.faceRadius = length * 100.0f / float(m_needleLength);
    layout.scaleRadius = length * float(m_scaleRadiusPercent) / 100.0f;
    return layout;
}

PointF CHotGauge::PointAt(const Layout& layout, double theta, float radius) const
{
    return {layout.pivot.x + radius * float(std::sin(theta)), layout.pivot.y + radius * float(std::cos(theta))};
}

void CHotGauge::PlaceAt(int32_t x, int32_t y)
{
    m_rect = {x, y, x + kNaturalWidth, y + kNaturalHeight};
    m_range = 0;
    SetScale(0, 100, 1000);
}

void CHotGauge::Draw(IPanelGraphics& g, CVISkinManager&)
{
    if (m_rect.IsEmpty())
        return;
    const Layout layout = ComputeLayout();
    DrawFace(g);
    DrawScale(g, layout);
    DrawNeedle(g, layout);
}

void CHotGauge::DrawFace(IPanelGraphics& g) const
{
    const RectF outer = RectF::From(m_rect);
    const RectF face = outer.Inflated(-2, -2);
    // The background bitmap is a small tinted face that stretches smoothly;
    // without it the face is plain cream.
    const auto background = SharedBitmap(kFaceBitmap);
    if (background && background->width > 0 && background->height > 0)
        g.DrawImage(*background, face);
    else
        g.FillRectangle(Brush::Solid(kFaceColour), face);

    // The scale print (unit marks and movement symbol) sits above the pivot.
    const auto prints = SharedBitmap(kPrintBitmap);
    const int32_t index = PrintIndex();
    if (prints && index >= 0 && index < kPrintCount && prints->width >= kPrintCount && prints->height > 0) {
        const int32_t frame = prints->width / kPrintCount;
        const CRect source{frame * index, 0, frame * (index + 1), prints->height};
        const float scale = face.width * 0.24f / float(frame);
        const float w = float(frame) * scale, h = float(prints->height) * scale;
        const float bottom = float(m_rect.bottom) - face.height * 0.26f;
        g.DrawImage(*prints, {face.x + (face.width - w) / 2, bottom - h, w, h}, &source, 0x00FF00FFu);
    }
    g.DrawRectangle({kBezelColour, 1.5f}, outer.Inflated(-0.75f, -0.75f));
}

void CHotGauge::DrawScale(IPanelGraphics& g, const Layout& layout) const
{
    const float r = layout.scaleRadius, reach = layout.needleLength;
    const float major = 0.085f * reach, minor = 0.045f * reach;
    const float arcPen = std::max(0.8f, 0.012f * reach), majorPen = std::max(1.0f, 0.018f * reach);
    const RectF circle{layout.pivot.x - r, layout.pivot.y - r, 2 * r, 2 * r};
    g.DrawArc({kScaleInk, arcPen}, circle, ArcDegrees(-m_startAngle),
              float((m_endAngle - m_startAngle) * 180.0 / std::numbers::pi));

    const int32_t steps = m_divisions * (kMinorTicks + 1);
    const float labelRadius = r - 0.17f * reach;
    FontRecord font = m_labelFont;
    // Labels with decimals ("2.00") would touch at the top of the arc in the
    // size that suits whole numbers: they get a smaller type.
    size_t longest = 0;
    for (int32_t d = 0; d <= m_divisions; ++d)
        longest = std::max(longest, LabelText(d).size());
    font.height = -std::max(6, int32_t(std::lround((longest > 3 ? 0.085f : 0.11f) * reach)));
    for (int32_t i = 0; i <= steps; ++i) {
        const double theta = (m_startAngle - m_endAngle) * double(i) / double(steps) - m_startAngle;
        const bool isMajor = i % (kMinorTicks + 1) == 0;
        g.DrawLine({kScaleInk, isMajor ? majorPen : arcPen}, PointAt(layout, theta, r),
                   PointAt(layout, theta, r + (isMajor ? major : minor)));
        if (!isMajor)
            continue;
        const PointF at = PointAt(layout, theta, labelRadius);
        const float boxHeight = float(-font.height) * 1.4f;
        g.DrawString(LabelText(i / (kMinorTicks + 1)), font, {at.x - 25, at.y - boxHeight / 2, 50, boxHeight},
                     kScaleInk, {TextAlign::Centre, TextAlign::Centre, false});
    }
}

void CHotGauge::DrawNeedle(IPanelGraphics& g, const Layout& layout) const
{
    const double theta = NeedleAngle();
    const float halfWidth = layout.faceRadius * float(m_needleWidth) / 200.0f;
    // Across the needle: the direction turned by a quarter.
    const PointF across{halfWidth * float(std::cos(theta)), -halfWidth * float(std::sin(theta))};
    const PointF tip = PointAt(layout, theta, layout.needleLength);
    const PointF needle[3] = {tip, {layout.pivot.x + across.x, layout.pivot.y + across.y},
                              {layout.pivot.x - across.x, layout.pivot.y - across.y}};
    g.FillPolygon(Brush::Solid(kNeedleColour), needle, 3);

    const float cap = std::max(2.5f, 2.2f * halfWidth);
    const RectF capRect{layout.pivot.x - cap, layout.pivot.y - cap, 2 * cap, 2 * cap};
    g.FillEllipse(Brush::Radial(capRect, {layout.pivot.x - cap / 3, layout.pivot.y - cap / 3}, kCapHighlight, kCapColour),
                  capRect);
}
