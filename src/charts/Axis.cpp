#include "charts/Axis.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "framework/Exception.h"

IMPLEMENT_SERIAL(CAxis, CObject, 1)

namespace {

// More labels than this on one axis are a damaged or absurd step.
constexpr double kMostLabels = 1000;
// Pixels between a vertical axis's title and whatever stands left of it.
constexpr int32_t kTitleGap = 4;

bool Finite(double v)
{
    return std::isfinite(v);
}

CString Printf(const char* format, int precision, double value)
{
    char text[64];
    std::snprintf(text, sizeof text, format, precision, value);
    return Utf8ToString(text);
}

CString DecadeText(const char* format, int decade)
{
    char text[32];
    std::snprintf(text, sizeof text, format, decade);
    return Utf8ToString(text);
}

bool UsableLinear(const AxisRange& r)
{
    return Finite(r.minimum) && Finite(r.maximum) && Finite(r.step) && Finite(r.divisor) && r.maximum > r.minimum &&
           r.step > 0 && (r.maximum - r.minimum) / r.step <= kMostLabels && r.divisor > 0;
}

bool UsableLogarithmic(const AxisRange& r)
{
    return Finite(r.minimum) && Finite(r.maximum) && r.minimum > 0 && r.maximum > r.minimum &&
           std::log10(r.maximum) - std::log10(r.minimum) <= kMostLabels;
}

}  // namespace

CAxis::CAxis(bool horizontal)
    : m_flags(horizontal ? kAxisDefaultFlags : kAxisDefaultFlags & ~kAxisHorizontal)
{
    m_font.height = -8;
    m_font.weight = 0;
    m_font.charSet = 1;
    m_font.outPrecision = 4;
    m_font.clipPrecision = 2;
    m_font.faceName = u"Arial";
    m_saved = m_range;
}

void CAxis::SetRange(double minimum, double maximum, int divisions)
{
    m_range = ReadableRange(minimum, maximum, divisions, IsLogarithmic());
    m_layoutDirty = true;
}

void CAxis::SetRangeSet(const AxisRange& range)
{
    AxisRange usable = range;
    if (!(Finite(usable.divisor) && usable.divisor > 0))
        usable.divisor = 1.0;
    if (IsLogarithmic()) {
        if (!UsableLogarithmic(usable))
            usable = ReadableRange(range.minimum, range.maximum, 10, true);
        usable.step = 1.0;
    } else if (!UsableLinear(usable)) {
        // Ends that cannot be drawn as they are get the readable range of them.
        usable = ReadableRange(range.minimum, range.maximum, 10, false);
    }
    m_range = usable;
    m_layoutDirty = true;
}

void CAxis::RestoreRangeSet()
{
    m_range = m_saved;
    m_layoutDirty = true;
}

void CAxis::SetFlags(uint32_t flags)
{
    const bool wasLogarithmic = IsLogarithmic();
    m_flags = flags;
    if (IsLogarithmic() != wasLogarithmic)
        SetRangeSet(m_range);
    m_layoutDirty = true;
}

void CAxis::SetFont(const FontRecord& font)
{
    m_font = font;
    m_layoutDirty = true;
}

void CAxis::SetUnitText(const CString& text)
{
    unitText = text;
    m_layoutDirty = true;
}

int32_t CAxis::TickPixels() const
{
    return ScaleToResolution(tickLength, IsHorizontal() ? m_resolutionY : m_resolutionX);
}

CString CAxis::LabelText(double value) const
{
    return Printf("%.*lf", m_precision, value / m_range.divisor);
}

CString CAxis::TitleText() const
{
    return UnitText(unitText, IsLogarithmic() ? 0 : DivisorExponent(m_range.divisor));
}

void CAxis::Layout(IChartCanvas& measure, int32_t resolutionX, int32_t resolutionY)
{
    m_resolutionX = resolutionX;
    m_resolutionY = resolutionY;
    // A range loaded or set before the flags changed may not suit them.
    if (IsLogarithmic() ? !UsableLogarithmic(m_range) : !UsableLinear(m_range))
        SetRangeSet(m_range);
    if (IsLogarithmic()) {
        m_visibleMinimum = std::log10(m_range.minimum);
        m_visibleMaximum = std::log10(m_range.maximum);
        m_precision = 0;
    } else {
        m_visibleMinimum = m_range.minimum;
        m_visibleMaximum = m_range.maximum;
        m_precision = LabelPrecision(m_range.step, m_range.divisor);
    }

    m_extents = {};
    if (visible) {
        const FontRecord font = PixelFont();
        const int32_t labelHeight = measure.MeasureText(u"X10", font).cy;
        const int32_t tick = TickPixels();
        const bool titled = !TitleText().empty();
        auto widthOf = [&](const CString& text) { return measure.MeasureText(text, font).cx; };
        m_extents.labelHeight = labelHeight;
        if (!IsHorizontal()) {
            int32_t widest = 0;
            if (IsLogarithmic()) {
                for (int decade : LogLabelDecades(m_visibleMinimum, m_visibleMaximum))
                    widest = std::max(widest, widthOf(DecadeText("X10%d", decade)));
            } else if (m_flags & kAxisCategoryLabels) {
                widest = widthOf(DecadeText("X%d", int(std::clamp(m_range.maximum, -1e6, 1e6))));
            } else if (m_flags & kAxisNumericLabels) {
                widest = std::max(widthOf(u"X" + LabelText(m_range.minimum)), widthOf(u"X" + LabelText(m_range.maximum)));
            }
            m_extents.widestLabel = widest;
            // A title keeps a few pixels from the axis standing left of it.
            m_extents.width = tick + widest + (titled ? labelHeight + kTitleGap : 0);
            m_extents.before = IsLogarithmic() ? labelHeight + 2 : labelHeight / 2 + 2;
            m_extents.after = labelHeight / 2 + 2;
        } else {
            CString first, last;
            if (IsLogarithmic()) {
                first = DecadeText(" 10%d", int(std::ceil(m_visibleMinimum)));
                last = DecadeText(" 10%d", int(std::floor(m_visibleMaximum)));
            } else {
                first = u"X" + LabelText(m_range.minimum);
                last = u"X" + LabelText(m_range.maximum);
            }
            const int32_t firstWidth = widthOf(first), lastWidth = widthOf(last);
            m_extents.widestLabel = std::max(firstWidth, lastWidth);
            m_extents.before = firstWidth / 2 + 1;
            m_extents.after = lastWidth / 2 + 1;
            m_extents.width = tick + labelHeight + 2 + (IsLogarithmic() ? labelHeight / 2 : 0) +
                              (titled ? labelHeight : 0);
        }
    }
    m_layoutDirty = false;
    UpdateMapping();
}

void CAxis::SetPixelExtent(int32_t start, int32_t end)
{
    m_pixelStart = start;
    m_pixelEnd = end;
    UpdateMapping();
}

void CAxis::UpdateMapping()
{
    m_mapping = MapAxis(m_visibleMinimum, m_visibleMaximum, m_pixelStart, m_pixelEnd, IsHorizontal(), IsReversed());
}

int32_t CAxis::ValueToPixel(double value) const
{
    if (!IsLogarithmic())
        return m_mapping.Pixel(value);
    // Zero and below lie infinitely far down a logarithmic axis.
    return m_mapping.Pixel(value > 0 ? std::log10(value) : -HUGE_VAL);
}

double CAxis::PixelToValue(int32_t pixel) const
{
    if (m_mapping.pixelsPerUnit == 0)
        return IsLogarithmic() ? std::pow(10.0, m_visibleMinimum) : m_visibleMinimum;
    const double offset = IsReversed() ? double(m_mapping.origin) - pixel : double(pixel) - m_mapping.origin;
    const double units = m_visibleMinimum + offset / m_mapping.pixelsPerUnit;
    return IsLogarithmic() ? std::pow(10.0, units) : units;
}

void CAxis::DrawLabelsAndTicks(IChartCanvas& canvas, int32_t across, bool drawTicks) const
{
    if (!visible)
        return;
    const FontRecord font = PixelFont();
    const int32_t tick = TickPixels();
    const ChartPen pen{ChartPen::solid, 0, 0, 0};
    const bool horizontal = IsHorizontal();
    const int32_t lineHeight = m_extents.labelHeight;
    // Ticks point away from the plot: left of a vertical axis, below the horizontal one.
    auto tickAt = [&](int32_t p, int32_t length) {
        if (horizontal)
            canvas.Line({p, across}, {p, across + length}, pen);
        else
            canvas.Line({across - length, p}, {across, p}, pen);
    };
    // A label that would touch one already drawn is left out: a narrow
    // chart with long labels shows every other one rather than a smudge.
    std::vector<CRect> drawn;
    auto fits = [&](const CRect& box) {
        const CRect spaced = box.Inflated(1, 1);
        for (const CRect& other : drawn)
            if (spaced.Intersects(other))
                return false;
        drawn.push_back(box);
        return true;
    };
    auto labelAt = [&](int32_t p, const CString& text) {
        const CSize size = canvas.MeasureText(text, font);
        if (horizontal) {
            const CPoint at{p, across + tick + 1};
            if (fits({at.x - size.cx / 2, at.y, at.x - size.cx / 2 + size.cx, at.y + size.cy}))
                canvas.Text(text, font, at, ChartAlign::centre, ChartAlign::start, 0);
        } else {
            // The lowest label is raised clear of the horizontal axis's labels.
            const CPoint at{across - tick - 2, std::min(p, m_pixelEnd + tick - (size.cy + 1) / 2)};
            if (fits({at.x - size.cx, at.y - size.cy / 2, at.x, at.y - size.cy / 2 + size.cy}))
                canvas.Text(text, font, at, ChartAlign::end, ChartAlign::centre, 0);
        }
    };

    if (horizontal)
        canvas.Line({m_pixelStart, across}, {m_pixelEnd, across}, pen);
    else
        canvas.Line({across, m_pixelStart}, {across, m_pixelEnd}, pen);

    if (IsLogarithmic()) {
        if (drawTicks)
            for (double v : LogGridValues(m_visibleMinimum, m_visibleMaximum)) {
                const bool decade = std::fabs(v - std::round(v)) < 1e-9;
                tickAt(Pixel(v), decade ? tick : tick / 2);
            }
        for (int decade : LogLabelDecades(m_visibleMinimum, m_visibleMaximum)) {
            const CString base = u"10";
            const CString exponent = DecadeText("%d", decade);
            const int32_t baseWidth = canvas.MeasureText(base, font).cx;
            const int32_t exponentWidth = canvas.MeasureText(exponent, font).cx;
            int32_t p = Pixel(decade);
            // The exponent stands half a line higher, after the base.
            if (horizontal) {
                const int32_t left = p - (baseWidth + exponentWidth) / 2;
                const int32_t top = across + tick + 1 + lineHeight / 2;
                if (!fits({left, top - lineHeight / 2, left + baseWidth + exponentWidth, top + lineHeight}))
                    continue;
                canvas.Text(base, font, {left, top}, ChartAlign::start, ChartAlign::start, 0);
                canvas.Text(exponent, font, {left + baseWidth, top - lineHeight / 2}, ChartAlign::start,
                            ChartAlign::start, 0);
            } else {
                const int32_t right = across - tick - 2;
                p = std::min(p, m_pixelEnd + tick - (lineHeight + 1) / 2);
                if (!fits({right - baseWidth - exponentWidth, p - lineHeight, right, p + (lineHeight + 1) / 2}))
                    continue;
                canvas.Text(exponent, font, {right, p - lineHeight / 2}, ChartAlign::end, ChartAlign::centre, 0);
                canvas.Text(base, font, {right - exponentWidth, p}, ChartAlign::end, ChartAlign::centre, 0);
            }
        }
        return;
    }

    if (m_flags & kAxisCategoryLabels) {
        int category = 1;
        for (double v = 0.5; v <= m_visibleMaximum && category <= int(kMostLabels); v += 1.0, ++category) {
            if (drawTicks)
                tickAt(Pixel(v), tick);
            labelAt(Pixel(v), DecadeText("%d", category));
        }
        return;
    }

    const std::vector<double> values = LabelValues(m_visibleMinimum, m_visibleMaximum, m_range.step);
    if (drawTicks) {
        for (double v : values)
            tickAt(Pixel(v), tick);
        if (minorSubdivisions > 1 && minorSubdivisions <= 100)
            for (double v : LabelValues(m_visibleMinimum, m_visibleMaximum, m_range.step / minorSubdivisions))
                tickAt(Pixel(v), tick / 2);
    }
    if (m_flags & kAxisNumericLabels)
        for (double v : values)
            labelAt(Pixel(v), LabelText(v));
}

void CAxis::DrawGrid(IChartCanvas& canvas, const ChartPen& gridPen, const ChartPen& zeroPen, int32_t start,
                     int32_t end) const
{
    auto lineAt = [&](int32_t p, const ChartPen& pen) {
        if (IsHorizontal())
            canvas.Line({p, start}, {p, end}, pen);
        else
            canvas.Line({start, p}, {end, p}, pen);
    };
    if (gridPen.Visible()) {
        const std::vector<double> values = IsLogarithmic()
                                               ? LogGridValues(m_visibleMinimum, m_visibleMaximum)
                                               : GridValues(m_visibleMinimum, m_visibleMaximum, m_range.step,
                                                            m_gridFlags, IsReversed());
        for (double v : values)
            lineAt(Pixel(v), gridPen);
    }
    if (zeroPen.Visible() && !IsLogarithmic() && m_range.maximum * m_range.minimum <= 0)
        lineAt(Pixel(0.0), zeroPen);
}

void CAxis::DrawTitle(IChartCanvas& canvas, int32_t position) const
{
    const CString title = TitleText();
    if (!visible || title.empty())
        return;
    const int32_t middle = (m_pixelStart + m_pixelEnd) / 2;
    if (IsHorizontal())
        canvas.Text(title, PixelFont(), {middle, position}, ChartAlign::centre, ChartAlign::start, 0);
    else
        canvas.Text(title, PixelFont(), {position + kTitleGap / 2, middle}, ChartAlign::start, ChartAlign::centre, 0, true);
}

void CAxis::SerializeRanges(CArchive& ar, bool withSecondSet)
{
    AxisRange* sets[2] = {&m_range, &m_saved};
    for (int i = 0; i < (withSecondSet ? 2 : 1); ++i) {
        if (ar.IsStoring())
            ar << sets[i]->minimum << sets[i]->maximum << sets[i]->step << sets[i]->divisor;
        else
            ar >> sets[i]->minimum >> sets[i]->maximum >> sets[i]->step >> sets[i]->divisor;
    }
    if (!withSecondSet)
        m_saved = m_range;
}

// Older schemas: 3 held the font height in pixels at 96 dpi; 2 had no second
// range set (the zoom came later); 1 had neither the grid flags nor the label
// colour word. Their defaults stand in for what they lack.
void CAxis::Serialize(CArchive& ar)
{
    if (ar.IsStoring()) {
        ar << kSchema << uint32_t(IsLogarithmic()) << m_visibleMinimum << m_visibleMaximum
           << m_mapping.pixelsPerUnit;
        SerializeRanges(ar, true);
        ar << uint32_t(visible) << minorSubdivisions << tickLength << nameId << reserved << m_flags << m_gridFlags
           << labelColourReserved << m_font << name << unitText;
        return;
    }
    uint32_t schema = 0;
    ar >> schema;
    if (schema < 1 || schema > kSchema)
        throw CArchiveException(CArchiveException::badSchema);
    // Read into a copy, so that a damaged axis leaves this one as it was.
    CAxis loaded(IsHorizontal());
    uint32_t logarithmic = 0, visibleWord = 1;
    ar >> logarithmic >> loaded.m_visibleMinimum >> loaded.m_visibleMaximum >> loaded.m_mapping.pixelsPerUnit;
    loaded.SerializeRanges(ar, schema >= 3);
    ar >> visibleWord >> loaded.minorSubdivisions >> loaded.tickLength >> loaded.nameId >> loaded.reserved >>
        loaded.m_flags;
    if (schema >= 2)
        ar >> loaded.m_gridFlags >> loaded.labelColourReserved;
    ar >> loaded.m_font >> loaded.name >> loaded.unitText;
    if (schema < 4)
        loaded.m_font.height = MultiplyDivide(loaded.m_font.height, 72, 96);

    auto usable = [&](const AxisRange& r) { return loaded.IsLogarithmic() ? UsableLogarithmic(r) : UsableLinear(r); };
    // The second set only matters once zoomed; one that never suited the axis is its range.
    if (!usable(loaded.m_saved))
        loaded.m_saved = loaded.m_range;
    if (!usable(loaded.m_range) || loaded.minorSubdivisions < 0 || loaded.minorSubdivisions > 100 || loaded.tickLength < 0 ||
        loaded.tickLength > 100)
        throw CArchiveException(CArchiveException::badSchema);
    loaded.visible = visibleWord != 0;
    loaded.m_layoutDirty = true;
    *this = loaded;
}
