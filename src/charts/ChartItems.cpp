#include "charts/ChartItems.h"

#include <algorithm>
#include <cmath>

#include "framework/Exception.h"

IMPLEMENT_SERIAL(CLabel, CObject, 1)

namespace {

constexpr int32_t kLabelPadding = 3;

std::vector<CString> Lines(const CString& text)
{
    std::vector<CString> lines;
    size_t from = 0;
    for (;;) {
        const size_t end = text.find(u'\n', from);
        CString line = text.substr(from, end == CString::npos ? CString::npos : end - from);
        if (!line.empty() && line.back() == u'\r')
            line.pop_back();
        lines.push_back(line);
        if (end == CString::npos)
            return lines;
        from = end + 1;
    }
}

}  // namespace

CLabel::CLabel()
{
    font.height = -10;
    font.weight = 400;
    font.pitchAndFamily = 0x22;
    font.faceName = u"Arial";
}

void CLabel::Draw(IChartCanvas& canvas, const CRect& plot, int32_t resolutionY)
{
    const FontRecord pixelFont = FontForResolution(font, resolutionY);
    const std::vector<CString> lines = Lines(text);
    int32_t width = 0, lineHeight = canvas.MeasureText(u"X", pixelFont).cy;
    for (const CString& line : lines)
        width = std::max(width, canvas.MeasureText(line, pixelFont).cx);
    const int32_t height = lineHeight * int32_t(lines.size());
    const double fx = std::isfinite(x) ? std::clamp(x, 0.0, 1.0) : 0.5;
    const double fy = std::isfinite(y) ? std::clamp(y, 0.0, 1.0) : 0.5;
    const int32_t cx = plot.left + int32_t(std::lround(fx * plot.Width()));
    const int32_t cy = plot.top + int32_t(std::lround(fy * plot.Height()));
    box = {cx - width / 2 - kLabelPadding, cy - height / 2 - kLabelPadding, cx + (width + 1) / 2 + kLabelPadding,
           cy + (height + 1) / 2 + kLabelPadding};
    if (!(frame & kTransparent))
        canvas.FillRect(box, backgroundColour);
    if (frame & kFramed) {
        const ChartPen pen{ChartPen::solid, 0, 0, textColour};
        const CPoint corners[5] = {{box.left, box.top}, {box.right - 1, box.top}, {box.right - 1, box.bottom - 1},
                                   {box.left, box.bottom - 1}, {box.left, box.top}};
        canvas.Polyline(corners, 5, pen);
    }
    int32_t top = box.top + kLabelPadding;
    for (const CString& line : lines) {
        canvas.Text(line, pixelFont, {cx, top}, ChartAlign::centre, ChartAlign::start, textColour);
        top += lineHeight;
    }
}

void CLabel::MoveTo(CPoint centre, const CRect& plot)
{
    if (plot.Width() <= 0 || plot.Height() <= 0)
        return;
    x = std::clamp(double(centre.x - plot.left) / plot.Width(), 0.0, 1.0);
    y = std::clamp(double(centre.y - plot.top) / plot.Height(), 0.0, 1.0);
}

void CLabel::Serialize(CArchive& ar)
{
    if (ar.IsStoring()) {
        ar << textColour << backgroundColour << frame << text << x << y << box.left << box.top << box.right
           << box.bottom << font;
        return;
    }
    CLabel loaded;
    ar >> loaded.textColour >> loaded.backgroundColour >> loaded.frame >> loaded.text >> loaded.x >> loaded.y >>
        loaded.box.left >> loaded.box.top >> loaded.box.right >> loaded.box.bottom >> loaded.font;
    if (!std::isfinite(loaded.x) || !std::isfinite(loaded.y))
        throw CArchiveException(CArchiveException::badSchema);
    *this = loaded;
}

CString SignalShortName(const CString& text)
{
    return text.substr(0, text.find(u'\n'));
}

CString SignalListName(const CString& text)
{
    const size_t feed = text.find(u'\n');
    if (feed == CString::npos || feed + 1 == text.size())
        return SignalShortName(text);
    return text.substr(feed + 1);
}

void SerializeSignals(CArchive& ar, std::vector<CChartSignal>& signals)
{
    if (ar.IsStoring()) {
        ar.WriteCount(uint32_t(signals.size()));
        for (const CChartSignal& s : signals)
            ar << s.nameId << s.reserved << uint8_t(s.visible) << uint8_t(0) << uint8_t(0) << uint8_t(0) << s.pen
               << uint32_t(s.barStyle);
        return;
    }
    const uint32_t count = ar.ReadCount();
    std::vector<CChartSignal> loaded;
    for (uint32_t i = 0; i < count; ++i) {
        CChartSignal s;
        uint8_t visible = 0, padding = 0;
        uint32_t barStyle = 0;
        ar >> s.nameId >> s.reserved >> visible >> padding >> padding >> padding >> s.pen >> barStyle;
        if (barStyle > uint32_t(BarStyle::points) || s.pen.style > ChartPen::alternate)
            throw CArchiveException(CArchiveException::badSchema);
        s.visible = visible != 0;
        s.barStyle = BarStyle(barStyle);
        loaded.push_back(s);
    }
    // Names that are not resource texts belong to the view, not the stored record.
    for (size_t i = 0; i < loaded.size() && i < signals.size(); ++i)
        loaded[i].name = signals[i].name;
    signals = std::move(loaded);
}
