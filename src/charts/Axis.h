// One chart axis: its range as set and as drawn, its scale, ticks, labels,
// grid and title, the room it needs beside the plot, and its stored form.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "charts/AxisScale.h"
#include "charts/ChartCanvas.h"
#include "framework/Archive.h"
#include "framework/Object.h"

// Axis flags; other bits are stored and carried unchanged.
constexpr uint32_t kAxisNumericLabels = 0x8;
constexpr uint32_t kAxisLogarithmic = 0x10;
constexpr uint32_t kAxisCategoryLabels = 0x20;
constexpr uint32_t kAxisHorizontal = 0x800;
constexpr uint32_t kAxisReversed = 0x4000;
constexpr uint32_t kAxisDefaultFlags = 0x90F;

// The room an axis takes: across the plot edge it stands on, and how far its
// labels reach past the plot before and after it along its own direction.
struct AxisExtents {
    int32_t width = 0;   // across: ticks, labels and title
    int32_t before = 0;  // above a vertical axis's top, left of a horizontal axis's start
    int32_t after = 0;   // below, right
    int32_t labelHeight = 0;
    int32_t widestLabel = 0;
};

class CAxis : public CObject {
    DECLARE_SERIAL(CAxis)
public:
    // The stored schema of the axis's own fields (a word at their start).
    static constexpr uint32_t kSchema = 4;

    // A horizontal axis has the default flags; a vertical one clears 0x800.
    explicit CAxis(bool horizontal = true);

    // The readable range for [minimum, maximum] with about `divisions` steps
    // (on a logarithmic axis, whole decades).
    void SetRange(double minimum, double maximum, int divisions);
    // A range as the user typed it: kept as it is where it is usable.
    void SetRangeSet(const AxisRange& range);
    const AxisRange& RangeSet() const { return m_range; }
    // The second set: the range before the first zoom.
    const AxisRange& SavedRangeSet() const { return m_saved; }
    void SaveRangeSet() { m_saved = m_range; }
    void RestoreRangeSet();

    // Computes the visible range, label decimals and the room the axis needs
    // on a target of that resolution; text is measured on the canvas.
    void Layout(IChartCanvas& measure, int32_t resolutionX, int32_t resolutionY);
    // The pixels the axis spans along its direction; the mapping follows.
    void SetPixelExtent(int32_t start, int32_t end);

    // Pixel of a value (a logarithmic axis takes the value itself, not its log).
    int32_t ValueToPixel(double value) const;
    // Value at a pixel, the inverse (10^x on a logarithmic axis).
    double PixelToValue(int32_t pixel) const;
    // Pixel of a position in the visible range (log10 units on a logarithmic axis).
    int32_t Pixel(double visibleUnits) const { return m_mapping.Pixel(visibleUnits); }

    // Labels and ticks along the plot edge at `across` (x of a vertical
    // axis's edge, y of the horizontal axis's edge).
    void DrawLabelsAndTicks(IChartCanvas& canvas, int32_t across, bool drawTicks) const;
    // Grid lines and the zero line across the plot from start to end.
    void DrawGrid(IChartCanvas& canvas, const ChartPen& gridPen, const ChartPen& zeroPen, int32_t start,
                  int32_t end) const;
    // The title: a vertical axis's left of its labels from x = position,
    // rotated and centred on the axis; the horizontal axis's centred below
    // its labels from y = position.
    void DrawTitle(IChartCanvas& canvas, int32_t position) const;
    // The title text: the unit text with the divisor's prefix, maybe empty.
    CString TitleText() const;

    void Serialize(CArchive& ar) override;

    bool IsHorizontal() const { return (m_flags & kAxisHorizontal) != 0; }
    bool IsLogarithmic() const { return (m_flags & kAxisLogarithmic) != 0; }
    bool IsReversed() const { return (m_flags & kAxisReversed) != 0; }
    uint32_t Flags() const { return m_flags; }
    void SetFlags(uint32_t flags);
    uint32_t GridFlags() const { return m_gridFlags; }
    void SetGridFlags(uint32_t flags) { m_gridFlags = flags; }

    bool visible = true;
    int32_t minorSubdivisions = 1;
    int32_t tickLength = 4;
    uint32_t nameId = 1214;
    uint32_t reserved = 0;
    uint32_t labelColourReserved = 0;
    CString name;      // shown where the chart lists its axes
    CString unitText;  // the title, "#" marking where the prefix goes

    const FontRecord& Font() const { return m_font; }
    void SetFont(const FontRecord& font);
    void SetUnitText(const CString& text);

    bool LayoutDirty() const { return m_layoutDirty; }
    void MarkLayoutDirty() { m_layoutDirty = true; }
    double VisibleMinimum() const { return m_visibleMinimum; }
    double VisibleMaximum() const { return m_visibleMaximum; }
    double PixelsPerUnit() const { return m_mapping.pixelsPerUnit; }
    int32_t Origin() const { return m_mapping.origin; }
    int32_t PixelStart() const { return m_pixelStart; }
    int32_t PixelEnd() const { return m_pixelEnd; }
    int32_t Precision() const { return m_precision; }
    const AxisExtents& Extents() const { return m_extents; }

    // The font in pixels of the target last laid out for.
    FontRecord PixelFont() const { return FontForResolution(m_font, m_resolutionY); }

private:
    void SerializeRanges(CArchive& ar, bool withSecondSet);
    void UpdateMapping();
    int32_t TickPixels() const;
    CString LabelText(double value) const;

    AxisRange m_range;
    AxisRange m_saved;
    uint32_t m_flags;
    uint32_t m_gridFlags = kGridNoMinimumLine;
    FontRecord m_font;
    bool m_layoutDirty = true;
    double m_visibleMinimum = 0.0;
    double m_visibleMaximum = 100.0;
    int32_t m_precision = 0;
    int32_t m_pixelStart = 0;
    int32_t m_pixelEnd = 100;
    int32_t m_resolutionX = 96;
    int32_t m_resolutionY = 96;
    AxisMapping m_mapping;
    AxisExtents m_extents;
};

using CAxisArray = std::vector<std::unique_ptr<CAxis>>;
