// A chart apart from its window: what every chart surface holds (background,
// target resolution, print margins, context menus, labels, export settings)
// and, for charts with axes, the axes, grid and zero-line pens, signals, the
// layout of the plot and the painting order. The windows on top only hand
// over a canvas and their client rectangle.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "charts/Axis.h"
#include "charts/ChartCanvas.h"
#include "charts/ChartItems.h"
#include "charts/Export.h"
#include "framework/Archive.h"
#include "framework/Geometry.h"

class CChartSurface {
public:
    virtual ~CChartSurface() = default;

    // Hit regions, each with its context menu resource id.
    enum MenuRegion { firstAxisMenu = 0, secondAxisMenu = 1, plotMenu = 2, labelMenu = 3 };

    // A new target resolution forces a new layout.
    void SetTargetResolution(int32_t x, int32_t y);

    uint32_t background = 0xFFFFFF;
    int32_t resolutionX = 96;
    int32_t resolutionY = 96;
    bool needsLayout = true;
    // Set while a picture is drawn for export rather than for the screen.
    bool exporting = false;
    double printMargins[4] = {2.0, 2.0, 3.0, 3.0};  // left, top, right, bottom
    uint32_t contextMenus[4] = {0, 0, 0, 0};
    CExport exportSettings;
    std::vector<std::unique_ptr<CLabel>> labels;
};

class CChartModel : public CChartSurface {
public:
    static constexpr uint32_t kSchema = 3;

    // One vertical axis (range 0..100) and the horizontal axis.
    CChartModel();

    // Lays the plot out in `area`: margins from the axes' extents, pixel
    // extents for every axis. Text is measured on the canvas.
    void Layout(IChartCanvas& canvas, const CRect& area);
    // Paints everything in order: background and frame, axes, then grids and
    // signals (which first depends on gridInFront), then the overlays.
    // `signals` draws the curves (clipped to the plot); `overlays` draws on
    // top after the labels.
    void Paint(IChartCanvas& canvas, const std::function<void(IChartCanvas&)>& signals,
               const std::function<void(IChartCanvas&)>& overlays = {});

    // Stores or loads the chart (signals are not part of it); a stored
    // chart without vertical axes gets one back.
    void Serialize(CArchive& ar);

    CAxis& Horizontal() { return m_horizontal; }
    const CAxis& Horizontal() const { return m_horizontal; }
    CAxisArray& VerticalAxes() { return m_vertical; }
    const CAxisArray& VerticalAxes() const { return m_vertical; }
    // Vertical axis i; throws CInvalidArgException outside the array.
    CAxis& Vertical(size_t i);
    // The first visible vertical axis, or null.
    const CAxis* FirstVisibleVertical() const;
    CAxis* FirstVisibleVertical();
    CAxis& CurrentAxis() { return Vertical(currentAxis); }
    // Signal i; throws CInvalidArgException outside the array.
    CChartSignal& Signal(size_t i);

    // The axis, if any, whose labels are at a point (pixels).
    CAxis* AxisAt(CPoint point);
    // The label under a point, the last drawn first.
    CLabel* LabelAt(CPoint point);

    const CRect& WholeArea() const { return m_area; }
    const CRect& Plot() const { return m_plot; }

    bool gridInFront = false;
    ChartPen verticalGridPen{ChartPen::alternate, 0, 0, 0};
    ChartPen horizontalGridPen{ChartPen::alternate, 0, 0, 0};
    ChartPen verticalZeroPen{ChartPen::solid, 0, 0, 0};
    ChartPen horizontalZeroPen{ChartPen::solid, 0, 0, 0};
    std::vector<CChartSignal> signals;
    size_t currentAxis = 0;

private:
    void DrawGrids(IChartCanvas& canvas);

    CRect m_area{0, 0, 100, 100};
    CRect m_plot{0, 0, 100, 100};
    CAxis m_horizontal{true};
    CAxisArray m_vertical;
};
