#include "charts/ChartModel.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "framework/Exception.h"

namespace {

// Room left around a plot whose horizontal axis is hidden.
constexpr int32_t kBareMargin = 10;

bool UsablePen(const ChartPen& pen)
{
    return pen.style <= ChartPen::alternate && pen.width >= 0 && pen.width <= 100;
}

}  // namespace

void CChartSurface::SetTargetResolution(int32_t x, int32_t y)
{
    resolutionX = x > 0 ? x : 96;
    resolutionY = y > 0 ? y : 96;
    needsLayout = true;
}

CChartModel::CChartModel()
{
    m_vertical.push_back(std::make_unique<CAxis>(false));
}

CAxis& CChartModel::Vertical(size_t i)
{
    if (i >= m_vertical.size())
        throw CInvalidArgException();
    return *m_vertical[i];
}

CChartSignal& CChartModel::Signal(size_t i)
{
    if (i >= signals.size())
        throw CInvalidArgException();
    return signals[i];
}

const CAxis* CChartModel::FirstVisibleVertical() const
{
    for (const auto& axis : m_vertical)
        if (axis->visible)
            return axis.get();
    return nullptr;
}

CAxis* CChartModel::FirstVisibleVertical()
{
    return const_cast<CAxis*>(std::as_const(*this).FirstVisibleVertical());
}

void CChartModel::Layout(IChartCanvas& canvas, const CRect& area)
{
    m_area = area;
    int32_t left = kBareMargin, top = kBareMargin, right = kBareMargin, bottom = kBareMargin;
    if (m_horizontal.visible) {
        m_horizontal.Layout(canvas, resolutionX, resolutionY);
        const AxisExtents& e = m_horizontal.Extents();
        left = e.before;
        right = e.after;
        bottom = e.width;
        top = 0;
    } else {
        m_horizontal.Layout(canvas, resolutionX, resolutionY);
    }
    for (const auto& axis : m_vertical) {
        axis->Layout(canvas, resolutionX, resolutionY);
        if (!axis->visible)
            continue;
        left += axis->Extents().width;
        top = std::max(top, axis->Extents().before);
    }
    // Lines of the plot's frame lie on its edges: right and bottom are the
    // last pixels inside the area.
    m_plot = {area.left + left, area.top + top, area.right - 1 - right, area.bottom - 1 - bottom};
    // An area too small for its axes still gets a plot of one pixel.
    m_plot.right = std::max(m_plot.right, m_plot.left + 1);
    m_plot.bottom = std::max(m_plot.bottom, m_plot.top + 1);
    for (const auto& axis : m_vertical)
        axis->SetPixelExtent(m_plot.top, m_plot.bottom);
    if (const CAxis* first = FirstVisibleVertical(); first && !first->IsReversed()) {
        m_plot.top = std::clamp(first->Pixel(first->VisibleMaximum()), m_plot.top, m_plot.bottom - 1);
        for (const auto& axis : m_vertical)
            axis->SetPixelExtent(m_plot.top, m_plot.bottom);
    }
    m_horizontal.SetPixelExtent(m_plot.left, m_plot.right);
    needsLayout = false;
}

void CChartModel::DrawGrids(IChartCanvas& canvas)
{
    if (const CAxis* first = FirstVisibleVertical())
        first->DrawGrid(canvas, horizontalGridPen, horizontalZeroPen, m_plot.left, m_plot.right);
    m_horizontal.DrawGrid(canvas, verticalGridPen, verticalZeroPen, m_plot.top, m_plot.bottom);
}

void CChartModel::Paint(IChartCanvas& canvas, const std::function<void(IChartCanvas&)>& drawSignals,
                        const std::function<void(IChartCanvas&)>& overlays)
{
    canvas.FillRect(m_area, background);

    if (m_horizontal.visible) {
        m_horizontal.DrawLabelsAndTicks(canvas, m_plot.bottom, true);
        const AxisExtents& e = m_horizontal.Extents();
        m_horizontal.DrawTitle(canvas, m_plot.bottom + e.width - e.labelHeight);
    }
    int32_t across = m_plot.left;
    for (const auto& axis : m_vertical) {
        if (!axis->visible)
            continue;
        axis->DrawLabelsAndTicks(canvas, across, true);
        axis->DrawTitle(canvas, across - axis->Extents().width);
        across -= axis->Extents().width;
    }

    canvas.SetClip({m_plot.left - 1, m_plot.top, m_plot.right + 1, m_plot.bottom + 1});
    if (!gridInFront)
        DrawGrids(canvas);
    if (drawSignals)
        drawSignals(canvas);
    if (gridInFront)
        DrawGrids(canvas);
    const CPoint frame[5] = {{m_plot.left, m_plot.top}, {m_plot.right, m_plot.top}, {m_plot.right, m_plot.bottom},
                             {m_plot.left, m_plot.bottom}, {m_plot.left, m_plot.top}};
    canvas.Polyline(frame, 5, ChartPen{});
    canvas.ResetClip();

    for (const auto& label : labels)
        label->Draw(canvas, m_plot, resolutionY);
    if (overlays)
        overlays(canvas);
}

CAxis* CChartModel::AxisAt(CPoint point)
{
    if (m_horizontal.visible && point.y > m_plot.bottom && point.y <= m_plot.bottom + m_horizontal.Extents().width &&
        point.x >= m_plot.left && point.x <= m_plot.right)
        return &m_horizontal;
    int32_t across = m_plot.left;
    for (const auto& axis : m_vertical) {
        if (!axis->visible)
            continue;
        if (point.x < across && point.x >= across - axis->Extents().width && point.y >= m_plot.top &&
            point.y <= m_plot.bottom)
            return axis.get();
        across -= axis->Extents().width;
    }
    return nullptr;
}

CLabel* CChartModel::LabelAt(CPoint point)
{
    for (auto it = labels.rbegin(); it != labels.rend(); ++it)
        if ((*it)->HitTest(point))
            return it->get();
    return nullptr;
}

// Older schemas: 2 had no export settings, 1 neither those nor labels.
void CChartModel::Serialize(CArchive& ar)
{
    if (ar.IsStoring()) {
        ar << kSchema << m_plot.left << m_plot.top << m_plot.right << m_plot.bottom;
        SerializeArray(ar, m_vertical);
        m_horizontal.Serialize(ar);
        ar << uint32_t(0) << resolutionX << resolutionY << background << verticalGridPen << horizontalGridPen
           << verticalZeroPen << horizontalZeroPen;
        for (double margin : printMargins)
            ar << margin;
        SerializeArray(ar, labels);
        exportSettings.Serialize(ar);
        return;
    }

    uint32_t schema = 0;
    ar >> schema;
    if (schema < 1 || schema > kSchema)
        throw CArchiveException(CArchiveException::badSchema);
    // Everything is read aside first, so that a damaged chart changes nothing.
    CRect plot;
    ar >> plot.left >> plot.top >> plot.right >> plot.bottom;
    CAxisArray vertical;
    SerializeArray(ar, vertical);
    CAxis horizontal(true);
    horizontal.Serialize(ar);
    uint32_t zero = 0, colour = 0;
    int32_t storedX = 0, storedY = 0;
    ChartPen pens[4];
    double margins[4];
    ar >> zero >> storedX >> storedY >> colour >> pens[0] >> pens[1] >> pens[2] >> pens[3];
    for (double& margin : margins)
        ar >> margin;
    for (const ChartPen& pen : pens)
        if (!UsablePen(pen))
            throw CArchiveException(CArchiveException::badSchema);
    for (double margin : margins)
        if (!std::isfinite(margin) || margin < 0 || margin > 100)
            throw CArchiveException(CArchiveException::badSchema);
    std::vector<std::unique_ptr<CLabel>> loadedLabels;
    if (schema >= 2)
        SerializeArray(ar, loadedLabels);
    if (schema >= 3) {
        CExport loadedExport;
        // The chart's own list decides which formats there are.
        while (loadedExport.formats.size() < exportSettings.formats.size())
            loadedExport.AddTextFormat();
        loadedExport.Serialize(ar);
        exportSettings = std::move(loadedExport);
    }

    if (vertical.empty())
        vertical.push_back(std::make_unique<CAxis>(false));
    m_plot = plot;
    m_vertical = std::move(vertical);
    m_horizontal = horizontal;
    background = colour & 0xFFFFFF;
    verticalGridPen = pens[0];
    horizontalGridPen = pens[1];
    verticalZeroPen = pens[2];
    horizontalZeroPen = pens[3];
    std::copy(std::begin(margins), std::end(margins), printMargins);
    labels = std::move(loadedLabels);
    currentAxis = 0;
    needsLayout = true;
}
