// What a chart shows beside its axes: free text labels and the records of
// its curves.
#pragma once

#include <cstdint>
#include <vector>

#include "charts/ChartCanvas.h"
#include "framework/Archive.h"
#include "framework/Geometry.h"
#include "framework/Object.h"

// A movable text label, placed relative to the plot (0..1 on each axis).
class CLabel : public CObject {
    DECLARE_SERIAL(CLabel)
public:
    CLabel();

    // Frame word bits.
    static constexpr uint32_t kFramed = 0x1;
    static constexpr uint32_t kTransparent = 0x2;

    // Draws the label centred on its position in the plot and keeps its box.
    void Draw(IChartCanvas& canvas, const CRect& plot, int32_t resolutionY);
    // Whether a point (pixels) is on the label's last drawn box.
    bool HitTest(CPoint point) const { return box.Contains(point); }
    // Moves the label so that its centre is at a point of the plot.
    void MoveTo(CPoint centre, const CRect& plot);

    void Serialize(CArchive& ar) override;

    uint32_t textColour = 0x000000;
    uint32_t backgroundColour = 0xFFFFFF;
    uint32_t frame = 0;
    FontRecord font;  // height in points
    CString text = u"Label";
    CRect box;        // last drawn, in pixels
    double x = 0.5;
    double y = 0.5;
};

// How a curve is drawn between its points.
enum class BarStyle : uint32_t { line = 0, bars = 1, steps = 2, points = 3 };

// One curve's record. It is stored as 32 bytes: the name's string id, a
// reserved word, the visible byte (offset 8), the pen (offset 12) and the
// bar style (offset 28).
struct CChartSignal {
    uint32_t nameId = 0;
    // The name when it is not a resource text: the short form, a line feed
    // and the long form.
    CString name;
    uint32_t reserved = 0;
    bool visible = true;
    ChartPen pen;
    BarStyle barStyle = BarStyle::line;

    bool operator==(const CChartSignal&) const = default;
};

// The two forms of a signal's name text ("short\nlong"): the short one, and
// the one a list shows (the long one when it is not empty).
CString SignalShortName(const CString& text);
CString SignalListName(const CString& text);

// The signal array as a view may store it: count, then 32 bytes each.
void SerializeSignals(CArchive& ar, std::vector<CChartSignal>& signals);
