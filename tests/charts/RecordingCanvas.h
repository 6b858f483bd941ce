// A canvas that keeps what is drawn on it, with text metrics that are easy
// to reckon with: 6 pixels a character, the font height plus 2 a line.
#pragma once

#include <string>
#include <vector>

#include "charts/ChartCanvas.h"

struct RecordedText {
    std::string text;
    CPoint at;
    ChartAlign horizontal, vertical;
    bool rotated;
    CRect box;  // on the screen
};

struct RecordedLine {
    CPoint from, to;
    ChartPen pen;
};

class RecordingCanvas : public IChartCanvas {
public:
    void FillRect(const CRect& rect, uint32_t colour) override { fills.push_back(rect), order.push_back('F'), (void)colour; }
    void Line(CPoint from, CPoint to, const ChartPen& pen) override
    {
        lines.push_back({from, to, pen});
        order.push_back('L');
    }
    void Polyline(const CPoint* points, size_t count, const ChartPen& pen) override
    {
        polylines.emplace_back(points, points + count);
        polylinePens.push_back(pen);
        order.push_back('P');
    }
    void Text(const CString& text, const FontRecord& font, CPoint at, ChartAlign h, ChartAlign v, uint32_t,
              bool rotated) override
    {
        CSize size = MeasureText(text, font);
        if (rotated)
            std::swap(size.cx, size.cy);
        auto start = [](int32_t at, int32_t extent, ChartAlign a) {
            return a == ChartAlign::start ? at : a == ChartAlign::centre ? at - extent / 2 : at - extent;
        };
        const int32_t left = start(at.x, size.cx, h), top = start(at.y, size.cy, v);
        texts.push_back({StringToUtf8(text), at, h, v, rotated, {left, top, left + size.cx, top + size.cy}});
        order.push_back('T');
    }
    CSize MeasureText(const CString& text, const FontRecord& font) override
    {
        return {int32_t(6 * text.size()), (font.height < 0 ? -font.height : font.height) + 2};
    }
    void SetClip(const CRect& rect) override { clips.push_back(rect), order.push_back('C'); }
    void ResetClip() override { order.push_back('R'); }

    std::vector<RecordedText> TextsWithin(const CRect& area) const
    {
        std::vector<RecordedText> found;
        for (const RecordedText& t : texts)
            if (t.box.left >= area.left && t.box.right <= area.right && t.box.top >= area.top && t.box.bottom <= area.bottom)
                found.push_back(t);
        return found;
    }

    std::vector<CRect> fills;
    std::vector<RecordedLine> lines;
    std::vector<std::vector<CPoint>> polylines;
    std::vector<ChartPen> polylinePens;
    std::vector<RecordedText> texts;
    std::vector<CRect> clips;
    std::string order;
};
