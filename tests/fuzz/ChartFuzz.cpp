// Feeds arbitrary bytes to the chart loader, then lets what was read lay
// itself out, draw and zoom. A damaged chart may end in an archive
// exception, never in a crash, a hang or a huge allocation.
#include <cstdint>

#include "charts/CursorZoom.h"
#include "framework/Exception.h"
#include "framework/File.h"

namespace {

// Measures like a 6-pixel font and draws nowhere.
class CNullCanvas : public IChartCanvas {
public:
    void FillRect(const CRect&, uint32_t) override {}
    void Line(CPoint, CPoint, const ChartPen&) override {}
    void Polyline(const CPoint*, size_t, const ChartPen&) override {}
    void Text(const CString&, const FontRecord&, CPoint, ChartAlign, ChartAlign, uint32_t, bool) override {}
    CSize MeasureText(const CString& text, const FontRecord& font) override
    {
        return {int32_t(6 * text.size()), font.height < 0 ? 2 - font.height : font.height + 2};
    }
    void SetClip(const CRect&) override {}
    void ResetClip() override {}
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CChartModel chart;
    try {
        CMemFile file(data, size);
        CArchive ar(&file, CArchive::load);
        chart.Serialize(ar);
    } catch (const CException&) {
        return 0;
    }
    CNullCanvas canvas;
    chart.Layout(canvas, {0, 0, 640, 420});
    chart.Paint(canvas, {});
    CChartZoom zoom;
    zoom.ZoomTo(chart, {100, 100, 300, 200});
    chart.Layout(canvas, {0, 0, 640, 420});
    chart.Paint(canvas, {});
    CChartZoom::ScrollBy(chart.Horizontal(), 3);
    zoom.Unzoom(chart);
    return 0;
}
