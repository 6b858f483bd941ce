#include "instruments/scope/ScopeScreen.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "charts/Engineering.h"
#include "charts/Export.h"
#include "units/MeasureBase.h"

IMPLEMENT_SERIAL(CScopeData, CObject, CScopeData::kSchema)
IMPLEMENT_DYNAMIC(CRulerItem, CObject)
IMPLEMENT_DYNAMIC(CRulerItemVert, CRulerItem)
IMPLEMENT_DYNAMIC(CRulerItemHorz, CRulerItem)

namespace {

constexpr double kSampleSpan = 65535.0;  // the 16-bit range spans the full height at gain 100
constexpr double kFullSample = 32767.0;
constexpr int32_t kMaxChannels = 5;      // A to D and math

// Pixels far outside the plot are clipped by the canvas; beyond this many
// plot heights they are held, so that no coordinate overflows and a trace
// leaving the screen keeps its direction at the edge.
constexpr double kFarOut = 16.0;

int32_t Truncate(double v)
{
    if (!std::isfinite(v))
        return 0;
    return static_cast<int32_t>(std::clamp(v, -1e9, 1e9));
}

const char16_t* const kCouplingNames[] = {u"DC", u"AC", u"GND"};
const char16_t* const kModeNames[] = {u"XT ", u"XY ", u"ADD", u"MUL"};

CString Letter(int32_t channel)
{
    return CString(1, static_cast<char16_t>(u'A' + std::clamp(channel, 0, 3)));
}

CString Utf8(const char* text)
{
    return Utf8ToString(text);
}

}  // namespace

// ---------------------------------------------------------------- CScopeData

CScopeData::CScopeData(int32_t channelIndex) : channel(channelIndex)
{
    pen = ChartPen{ChartPen::solid, 2, 0, kScopeColours[static_cast<size_t>(std::clamp(channelIndex, 0, 4))]};
}

void CScopeData::Serialize(CArchive& ar)
{
    if (ar.IsStoring()) {
        ar << pen << position << gain << channel;
        ar << visible << inverted << ground;
        buffer.Serialize(ar);
        ar << secondPercentage;
        return;
    }
    uint32_t schema = ar.GetObjectSchema();
    if (schema == 0xFFFFFFFFu)
        schema = kSchema;  // read directly, not as an archived object
    if (schema < 1 || schema > kSchema)
        throw CArchiveException(CArchiveException::badSchema);
    ChartPen loadedPen;
    double loadedPosition, loadedGain;
    int32_t loadedChannel;
    ar >> loadedPen >> loadedPosition >> loadedGain >> loadedChannel;
    if (loadedChannel < 0 || loadedChannel >= kMaxChannels)
        throw CArchiveException(CArchiveException::badIndex);
    uint8_t loadedVisible = 1, loadedInverted = 0, loadedGround = 0;
    double loadedSecond = 100.0;
    if (schema >= 2) {
        ar >> loadedVisible >> loadedInverted >> loadedGround;
        buffer.Serialize(ar);
    }
    if (schema >= 3)
        ar >> loadedSecond;
    pen = loadedPen;
    // A damaged percentage would put the trace nowhere; keep what a user could set.
    position = std::isfinite(loadedPosition) ? std::clamp(loadedPosition, -1000.0, 1000.0) : 0.0;
    gain = std::isfinite(loadedGain) && loadedGain > 0 ? std::min(loadedGain, 10000.0) : 100.0;
    channel = loadedChannel;
    visible = loadedVisible != 0;
    inverted = loadedInverted != 0;
    ground = loadedGround != 0;
    secondPercentage = loadedSecond;
}

// ---------------------------------------------------------------- CScopeScreen

CScopeScreen::CScopeScreen(int channelCount)
{
    infoFont.height = -9;
    infoFont.weight = 700;
    infoFont.faceName = u"Arial";
    contextMenus[plotMenu] = 6004;
    SetChannels(channelCount, false);
    // The metafile's size (mm) keeps the screen's 10 x 8 proportion.
    if (auto* metafile = exportSettings.formats.empty() ? nullptr
                                                         : dynamic_cast<CExportImageFormat*>(exportSettings.formats.front().get())) {
        metafile->width = kExportWidth;
        metafile->height = kExportWidth * 8 / 10;
    }
    exportSettings.AddTextFormat();
}

CScopeData* CScopeScreen::Channel(int32_t index)
{
    for (auto& data : m_channels)
        if (data->channel == index)
            return data.get();
    return nullptr;
}

const CScopeData* CScopeScreen::Channel(int32_t index) const
{
    return const_cast<CScopeScreen*>(this)->Channel(index);
}

void CScopeScreen::SetChannels(int32_t count, bool withMath)
{
    count = std::clamp(count, 1, 4);
    std::unique_ptr<CScopeData> mathTrace;
    std::vector<std::unique_ptr<CScopeData>> kept;
    for (auto& data : m_channels) {
        if (m_hasMath && data->channel == m_inputCount)
            mathTrace = std::move(data);
        else if (data && data->channel < count)
            kept.push_back(std::move(data));
    }
    std::vector<std::unique_ptr<CScopeData>> channels;
    for (int32_t c = 0; c < count; ++c) {
        auto found = std::find_if(kept.begin(), kept.end(), [c](const auto& d) { return d && d->channel == c; });
        channels.push_back(found != kept.end() ? std::move(*found) : std::make_unique<CScopeData>(c));
    }
    if (withMath) {
        if (!mathTrace) {
            mathTrace = std::make_unique<CScopeData>(4);
            mathTrace->pen.colour = kScopeColours[4];
        }
        mathTrace->channel = count;
        channels.push_back(std::move(mathTrace));
    }
    m_channels = std::move(channels);
    m_inputCount = count;
    m_hasMath = withMath;
}

int32_t CScopeScreen::ZeroPixel(const CScopeData& data) const
{
    const double height = m_plot.bottom - m_plot.top;
    return m_plot.bottom - Truncate(height * (data.position / 200.0 + 0.5));
}

double CScopeScreen::PixelsPerSample(const CScopeData& data) const
{
    const double height = m_plot.bottom - m_plot.top;
    const double scale = height * (data.gain / 100.0) / kSampleSpan * data.buffer.RangeFactor();
    return data.inverted ? -scale : scale;
}

int32_t CScopeScreen::SampleY(const CScopeData& data, int32_t sample) const
{
    const double height = m_plot.bottom - m_plot.top;
    const double offset = std::clamp(sample * PixelsPerSample(data), -kFarOut * height, kFarOut * height);
    return ZeroPixel(data) - Truncate(offset);
}

int32_t CScopeScreen::PointX(int32_t i, int32_t n) const
{
    if (n <= 1)
        return m_plot.left;
    return m_plot.left + MultiplyDivide(m_plot.right - m_plot.left, i, n - 1);
}

int32_t CScopeScreen::ZeroPixelX(const CScopeData& data) const
{
    const double width = m_plot.right - m_plot.left;
    return m_plot.left + Truncate(width * (data.position / 200.0 + 0.5));
}

double CScopeScreen::PixelsPerSampleX(const CScopeData& data, double rangeFactor) const
{
    const double width = m_plot.right - m_plot.left;
    const double scale =
        verticalDivisions * 10.0 / 100.0 * (data.gain / 100.0) / kSampleSpan * width * rangeFactor;
    return data.inverted ? -scale : scale;
}

void CScopeScreen::DrawGraticule(IChartCanvas& canvas) const
{
    if (!gridVisible || !gridPen.Visible())
        return;
    const int32_t left = m_plot.left, top = m_plot.top;
    const int32_t w = m_plot.right - m_plot.left - 1;
    const int32_t h = m_plot.bottom - m_plot.top - 1;
    const int32_t divisionsX = std::max(horizontalDivisions, 1);
    const int32_t divisionsY = std::max(verticalDivisions, 1);
    const int32_t centreI = divisionsX / 2, centreJ = divisionsY / 2;
    for (int32_t i = 0; i <= divisionsX; ++i) {
        const int32_t x = left + MultiplyDivide(w, i, divisionsX);
        canvas.Line({x, top}, {x, top + h + 1}, gridPen);
        if (i != centreI)
            continue;
        const int32_t reach = Px(3);
        for (int32_t k = 1; k < divisionsY * 5; ++k) {
            const int32_t y = top + MultiplyDivide(h, k, divisionsY * 5);
            canvas.Line({x - reach, y}, {x + reach + 1, y}, gridPen);
        }
    }
    for (int32_t j = 0; j <= divisionsY; ++j) {
        const int32_t y = top + MultiplyDivide(h, j, divisionsY);
        canvas.Line({left, y}, {left + w + 1, y}, gridPen);
        if (j == 0 || j == divisionsY || j % 2 != 0)
            continue;
        const int32_t length = Px(j == centreJ ? 7 : 5);
        for (int32_t k = 1; k < divisionsX * 5; ++k) {
            const int32_t x = left + MultiplyDivide(w, k, divisionsX * 5);
            canvas.Line({x, y - length / 2}, {x, y - length / 2 + length}, gridPen);
        }
    }
}

void CScopeScreen::DrawChannel(IChartCanvas& canvas, const CScopeData& data) const
{
    std::span<const int16_t> samples = data.buffer.Front();
    const auto n = static_cast<int32_t>(samples.size());
    if (n == 0)
        return;
    // A rolling screen that is still filling shows only what came.
    const int32_t fill = data.buffer.FillPosition();
    const int32_t shown = fill > 0 && fill < n ? fill : n;
    std::vector<CPoint> points(static_cast<size_t>(shown));
    for (int32_t i = 0; i < shown; ++i)
        points[static_cast<size_t>(i)] = {PointX(i, n), SampleY(data, samples[static_cast<size_t>(i)])};
    ChartPen pen = data.pen;
    pen.width = Px(std::max(pen.width, 1));
    if (shown == 1)
        canvas.Line(points[0], {points[0].x + 1, points[0].y}, pen);
    else
        canvas.Polyline(points.data(), points.size(), pen);
}

void CScopeScreen::DrawXY(IChartCanvas& canvas) const
{
    const CScopeData* a = Channel(0);
    const CScopeData* b = Channel(1);
    if (!a || !b)
        return;
    std::span<const int16_t> xs = a->buffer.Front();
    std::span<const int16_t> ys = b->buffer.Front();
    const size_t n = std::min(xs.size(), ys.size());
    if (n == 0)
        return;
    const int32_t x0 = ZeroPixelX(*a);
    const double scaleX = PixelsPerSampleX(*a, a->buffer.RangeFactor());
    const double width = m_plot.right - m_plot.left;
    std::vector<CPoint> points(n);
    for (size_t i = 0; i < n; ++i) {
        const double dx = std::clamp(xs[i] * scaleX, -kFarOut * width, kFarOut * width);
        points[i] = {x0 + Truncate(dx), SampleY(*b, ys[i])};
    }
    ChartPen pen = a->pen;
    pen.width = Px(std::max(pen.width, 1));
    canvas.Polyline(points.data(), points.size(), pen);
}

void CScopeScreen::DrawTraces(IChartCanvas& canvas) const
{
    // The line at the bottom and right edge (point n - 1, sample -32768) is the plot's own.
    canvas.SetClip(CRect{m_plot.left, m_plot.top, m_plot.right + 1, m_plot.bottom + 1});
    if (displayMode == kScopeModeXY) {
        DrawXY(canvas);
    } else {
        for (const auto& data : m_channels) {
            if (!data->visible || (m_hasMath && data->channel == m_inputCount))
                continue;
            DrawChannel(canvas, *data);
            if (zeroMarkers) {
                const int32_t y = ZeroPixel(*data);
                canvas.Line({m_plot.left, y}, {m_plot.right, y}, ChartPen{ChartPen::solid, 1, 0, data->pen.colour});
            }
        }
    }
    canvas.ResetClip();
}

CPoint CScopeScreen::TriggerPoint(const ScopeReadings& readings) const
{
    const int32_t pre = 100 - std::clamp(readings.triggerPosition, 0, 100);
    int32_t x = m_plot.left + MultiplyDivide(m_plot.right - m_plot.left, pre, 100);
    if (pre == 0)
        x += Px(2);
    const CScopeData* data = Channel(readings.triggerSource - 1);
    if (!data)
        return {x, (m_plot.top + m_plot.bottom) / 2};
    const double level = std::clamp(readings.triggerLevel, -100, 100) / 100.0;
    const double height = m_plot.bottom - m_plot.top;
    const double offset = std::clamp(PixelsPerSample(*data) * kFullSample * level, -kFarOut * height, kFarOut * height);
    return {x, ZeroPixel(*data) - Truncate(offset)};
}

void CScopeScreen::DrawTriggerMarker(IChartCanvas& canvas, const ScopeReadings& readings) const
{
    if (readings.triggerSource <= 0 || !Channel(readings.triggerSource - 1))
        return;
    const ChartPen pen{ChartPen::solid, 1, 0, (background ^ 0xFFFFFFu) & 0xFFFFFFu};
    const int32_t arm = Px(6);
    CPoint at = TriggerPoint(readings);
    // Beyond an edge the bar stands just inside it, its stem pointing out.
    if (at.y < m_plot.top) {
        at.y = m_plot.top + arm;
        canvas.Line({at.x, m_plot.top}, {at.x, at.y + 1}, pen);
        canvas.Line({at.x - arm, at.y}, {at.x + arm + 1, at.y}, pen);
        return;
    }
    if (at.y >= m_plot.bottom) {
        at.y = m_plot.bottom - 1 - arm;
        canvas.Line({at.x, at.y}, {at.x, m_plot.bottom}, pen);
        canvas.Line({at.x - arm, at.y}, {at.x + arm + 1, at.y}, pen);
        return;
    }
    canvas.Line({at.x - arm, at.y}, {at.x + arm + 1, at.y}, pen);
    canvas.Line({at.x, at.y - arm}, {at.x, at.y + arm + 1}, pen);
}

void CScopeScreen::LayOut(const CRect& area)
{
    const int32_t inset = Px(4);
    m_plot = CRect{area.left + inset, area.top + inset, area.right - inset, area.bottom - inset};
    if (m_plot.right <= m_plot.left + 1 || m_plot.bottom <= m_plot.top + 1)
        m_plot = CRect{area.left, area.top, std::max(area.right, area.left + 2), std::max(area.bottom, area.top + 2)};
    needsLayout = false;
}

void CScopeScreen::Paint(IChartCanvas& canvas, const ScopeReadings& readings)
{
    canvas.FillRect(m_plot, background);
    DrawGraticule(canvas);
    DrawTraces(canvas);
    DrawTriggerMarker(canvas, readings);
}

void CScopeScreen::WriteDataText(CMemStream& out, const ScopeReadings& readings) const
{
    const CScopeData* a = Channel(0);
    const CScopeData* b = Channel(1);
    if (!a)
        return;
    std::span<const int16_t> as = a->buffer.Front();
    std::span<const int16_t> bs = b ? b->buffer.Front() : std::span<const int16_t>{};
    const size_t n = as.size();
    const double step = n > 1 ? readings.timePerDivision * horizontalDivisions / static_cast<double>(n - 1) : 0.0;
    const double fa = CMeasureBase::RangeRow(readings.channels[0].range).fullScale / kFullSample;
    const double fb = CMeasureBase::RangeRow(readings.channels[1].range).fullScale / kFullSample;
    for (size_t i = 0; i < n; ++i)
        out.Format("%g\t%g\t%g\r\n", static_cast<double>(i) * step, as[i] * fa, i < bs.size() ? bs[i] * fb : 0.0);
}

// Schemas: 4 stores the font height in points; 3 had it in pixels; 2 and 1
// had two more words after the display mode (read and dropped here); 1 had
// no zero-marker flag.
void CScopeScreen::Serialize(CArchive& ar)
{
    if (ar.IsStoring()) {
        ar << kSchema << verticalDivisions << horizontalDivisions << infoTexts << infoFont << gridVisible
           << gridPen << background << zeroMarkers;
        for (double margin : printMargins)
            ar << margin;
        ar << displayMode;
        SerializeArray(ar, m_channels);
        ar << lastWord;
        return;
    }
    uint32_t schema;
    ar >> schema;
    if (schema < 1 || schema > kSchema)
        throw CArchiveException(CArchiveException::badSchema);
    int32_t vertical, horizontal, mode;
    uint8_t info, grid, zero = 0;
    FontRecord font;
    ChartPen pen;
    uint32_t back, last;
    double margins[4];
    ar >> vertical >> horizontal >> info >> font >> grid >> pen >> back;
    if (schema >= 2)
        ar >> zero;
    for (double& margin : margins)
        ar >> margin;
    ar >> mode;
    if (schema < 3) {
        uint32_t dropped;
        ar >> dropped >> dropped;
    }
    std::vector<std::unique_ptr<CScopeData>> channels;
    SerializeArray(ar, channels);
    ar >> last;
    if (vertical < 1 || vertical > 100 || horizontal < 1 || horizontal > 100 || channels.size() > kMaxChannels)
        throw CArchiveException(CArchiveException::badIndex);
    for (size_t i = 0; i < channels.size(); ++i)
        for (size_t k = 0; k < i; ++k)
            if (channels[i]->channel == channels[k]->channel)
                throw CArchiveException(CArchiveException::badIndex);
    if (schema < 4)
        font.height = MultiplyDivide(font.height, 72, 96);
    verticalDivisions = vertical;
    horizontalDivisions = horizontal;
    infoTexts = info != 0;
    infoFont = font;
    gridVisible = grid != 0;
    gridPen = pen;
    background = back & 0xFFFFFFu;
    zeroMarkers = zero != 0;
    std::copy(std::begin(margins), std::end(margins), printMargins);
    displayMode = mode == kScopeModeXY ? kScopeModeXY : kScopeModeXT;
    lastWord = last;
    // The loaded channels replace ours; the owner then sets the channel count
    // it shows, which keeps them and adds what is missing.
    const bool hadMath = m_hasMath;
    const int32_t inputs = m_inputCount;
    m_channels = std::move(channels);
    m_hasMath = false;
    m_inputCount = 4;
    SetChannels(inputs, hadMath);
    needsLayout = true;
}

// ---------------------------------------------------------------- rulers

int32_t CRulerItem::Pixel() const
{
    const double p = std::clamp(position, 0.0, 1.0);
    return std::clamp(low + Truncate(p * (high - low)), std::min(low, high), std::max(low, high));
}

double CRulerItem::MoveTo(int32_t pixel)
{
    if (high == low)
        return position;
    pixel = std::clamp(pixel, std::min(low, high), std::max(low, high));
    position = static_cast<double>(pixel - low) / (high - low);
    return position;
}

// ---------------------------------------------------------------- CScopeScreenEx

CScopeScreenEx::CScopeScreenEx() : CScopeScreen(2)
{
    valueLeft = 0.0;
    valueRight = 100.0;
    valueBottom = -100.0;
    valueTop = 100.0;
    contextMenus[plotMenu] = 70;
    SetChannels(2, true);
    for (size_t i = 0; i < 5; ++i)
        m_vertical[i] = CRulerItemVert(static_cast<int32_t>(i), 0.5);
    m_vertical[kTriggerLevelItem] = CRulerItemVert(11, 0.5, 12, 13);
    m_vertical[kFirstCursorY] = CRulerItemVert(7, 0.125);
    m_vertical[kFirstCursorY + 1] = CRulerItemVert(8, 0.875);
    m_horizontal[kTriggerPositionItem] = CRulerItemHorz(6, 0.0);
    m_horizontal[kFirstCursorX] = CRulerItemHorz(9, 0.1);
    m_horizontal[kFirstCursorX + 1] = CRulerItemHorz(10, 0.9);
}

void CScopeScreenEx::SetFourChannels(bool on)
{
    SetChannels(on ? 4 : 2, true);
    needsLayout = true;
}

double CScopeScreenEx::MathPixelsPerVolt() const
{
    const CScopeData* mathTrace = MathChannel();
    if (!mathTrace)
        return 0.0;
    const double height = m_plot.bottom - m_plot.top;
    const double volts = std::max(verticalDivisions, 1) * CMeasureBase::RangeRow(mathRange).voltsPerDivision;
    const double scale = height * (mathTrace->gain / 100.0) / volts;
    return mathTrace->inverted ? -scale : scale;
}

int32_t CScopeScreenEx::MathY(int32_t a, int32_t b, const ScopeReadings& readings) const
{
    const CScopeData* mathTrace = MathChannel();
    const CScopeData* channelA = Channel(0);
    const CScopeData* channelB = Channel(1);
    if (!mathTrace || !channelA || !channelB)
        return 0;
    double fa = CMeasureBase::RangeRow(readings.channels[0].range).fullScale;
    double fb = CMeasureBase::RangeRow(readings.channels[1].range).fullScale;
    if (channelA->inverted)
        fa = -fa;
    if (channelB->inverted)
        fb = -fb;
    const double va = a * fa / kFullSample;
    const double vb = b * fb / kFullSample;
    const double volts = mathOperation == 0 ? va + vb : va * vb;
    const double height = m_plot.bottom - m_plot.top;
    return ZeroPixel(*mathTrace) - Truncate(std::clamp(volts * MathPixelsPerVolt(), -kFarOut * height, kFarOut * height));
}

void CScopeScreenEx::DrawMath(IChartCanvas& canvas, const ScopeReadings& readings) const
{
    const CScopeData* mathTrace = MathChannel();
    const CScopeData* channelA = Channel(0);
    const CScopeData* channelB = Channel(1);
    if (!math || displayMode == kScopeModeXY || !mathTrace || !mathTrace->visible || !channelA || !channelB)
        return;
    std::span<const int16_t> as = channelA->buffer.Front();
    std::span<const int16_t> bs = channelB->buffer.Front();
    const size_t n = std::min(as.size(), bs.size());
    if (n < 2)
        return;
    std::vector<CPoint> points(n);
    for (size_t i = 0; i < n; ++i)
        points[i] = {PointX(static_cast<int32_t>(i), static_cast<int32_t>(n)), MathY(as[i], bs[i], readings)};
    ChartPen pen = mathTrace->pen;
    pen.width = Px(std::max(pen.width, 1));
    canvas.SetClip(CRect{m_plot.left, m_plot.top, m_plot.right + 1, m_plot.bottom + 1});
    canvas.Polyline(points.data(), points.size(), pen);
    canvas.ResetClip();
}

CString CScopeScreenEx::TimeText(const ScopeReadings& readings) const
{
    return u"T: " + FormatEngineering(readings.timePerDivision, u"s") + u"/DIV";
}

CString CScopeScreenEx::TriggerText(const ScopeReadings& readings) const
{
    if (readings.triggerSource <= 0)
        return {};
    char text[64];
    std::snprintf(text, sizeof text, "TRG(%c) LVL: %d%% PRE: %d%%", 'A' + std::clamp(readings.triggerSource - 1, 0, 3),
                  static_cast<int>(readings.triggerLevel), static_cast<int>(100 - readings.triggerPosition));
    return Utf8(text);
}

std::vector<CString> CScopeScreenEx::CursorTexts(const ScopeReadings& readings) const
{
    std::vector<CString> lines;
    const int32_t channel = cursorChannel - 1;
    if (channel < 0 || channel >= m_inputCount)
        return lines;
    const double x1 = m_horizontal[kFirstCursorX].position, x2 = m_horizontal[kFirstCursorX + 1].position;
    const double y1 = m_vertical[kFirstCursorY].position, y2 = m_vertical[kFirstCursorY + 1].position;
    const double deltaT = std::fabs(x2 - x1) * readings.timePerDivision * horizontalDivisions;
    lines.push_back(u"\u0394T: " + FormatEngineering(deltaT, u"s"));
    if (deltaT != 0.0)
        lines.push_back(u"f: " + FormatEngineering(1.0 / deltaT, u"Hz"));
    const CScopeData* data = Channel(channel);
    const double gain = data ? data->gain : 100.0;
    const double voltsPerDivision =
        CMeasureBase::RangeRow(readings.channels[static_cast<size_t>(channel)].range).voltsPerDivision * gain / 100.0;
    const double deltaU = std::fabs(y2 - y1) * verticalDivisions * voltsPerDivision;
    lines.push_back(u"\u0394U" + Letter(channel) + u": " + FormatEngineering(deltaU, u"V"));
    return lines;
}

CString CScopeScreenEx::ChannelText(int32_t channel, const ScopeReadings& readings) const
{
    const CScopeData* data = Channel(channel);
    if (!data || channel < 0 || channel > 3)
        return {};
    const ScopeReadings::Channel& setting = readings.channels[static_cast<size_t>(channel)];
    const double voltsPerDivision = CMeasureBase::RangeRow(setting.range).voltsPerDivision * data->gain / 100.0;
    return Letter(channel) + u" [" + FormatEngineering(voltsPerDivision, u"V/DIV") + u"] " +
           kCouplingNames[std::clamp(setting.coupling, 0, 2)];
}

CString CScopeScreenEx::MathText() const
{
    const CScopeData* mathTrace = MathChannel();
    if (!math || !mathTrace)
        return {};
    const double voltsPerDivision = CMeasureBase::RangeRow(mathRange).voltsPerDivision * mathTrace->gain / 100.0;
    return u"Y [" + FormatEngineering(voltsPerDivision, u"V/DIV") + u"] " + (mathOperation == 0 ? u"ADD" : u"MULT");
}

CString CScopeScreenEx::ModeText() const
{
    if (displayMode == kScopeModeXY)
        return kModeNames[1];
    if (math)
        return kModeNames[mathOperation == 0 ? 2 : 3];
    return kModeNames[0];
}

void CScopeScreenEx::LayOut(const CRect& area)
{
    m_area = area;
    const int32_t ruler = showRulers ? Px(kRulerWidth) : Px(2);
    m_plot = CRect{area.left + ruler, area.top + ruler, area.right - ruler, area.bottom - ruler};
    if (m_plot.right <= m_plot.left + 1 || m_plot.bottom <= m_plot.top + 1)
        m_plot = CRect{area.left, area.top, std::max(area.right, area.left + 2), std::max(area.bottom, area.top + 2)};
    for (auto& item : m_vertical) {
        item.low = m_plot.top;
        item.high = m_plot.bottom - 1;
    }
    for (auto& item : m_horizontal) {
        item.low = m_plot.left;
        item.high = m_plot.right - 1;
    }
    needsLayout = false;
}

double CScopeScreenEx::PositionForPixel(int32_t y) const
{
    const double height = m_plot.bottom - m_plot.top;
    if (height <= 0)
        return 0.0;
    return std::clamp(((m_plot.bottom - y) / height - 0.5) * 200.0, -100.0, 100.0);
}

void CScopeScreenEx::PlaceRulers(const ScopeReadings& readings)
{
    const double height = std::max(m_plot.bottom - 1 - m_plot.top, 1);
    const double width = std::max(m_plot.right - 1 - m_plot.left, 1);
    for (int32_t c = 0; c < 5; ++c) {
        CRulerItemVert& item = m_vertical[static_cast<size_t>(c)];
        // Item 4 is the math marker, whatever the math trace's channel index.
        const CScopeData* data = c < 4 ? (c < m_inputCount ? Channel(c) : nullptr) : MathChannel();
        item.shown = data && data->visible && (c < 4 || math) && displayMode != kScopeModeXY;
        if (data && &item != dragged)
            item.position = std::clamp((ZeroPixel(*data) - m_plot.top) / height, 0.0, 1.0);
    }
    const bool triggered = readings.triggerSource > 0 && Channel(readings.triggerSource - 1);
    CRulerItemVert& level = m_vertical[kTriggerLevelItem];
    level.shown = triggered;
    if (triggered && &level != dragged) {
        const CPoint at = TriggerPoint(readings);
        level.position = std::clamp((at.y - m_plot.top) / height, 0.0, 1.0);
        // The alternative icons point out of the plot when the level lies beyond it.
        level.kind = at.y < m_plot.top ? level.alternativeKinds[0] : at.y >= m_plot.bottom ? level.alternativeKinds[1] : 11;
    }
    CRulerItemHorz& position = m_horizontal[kTriggerPositionItem];
    position.shown = triggered;
    if (&position != dragged)
        position.position = std::clamp((100 - readings.triggerPosition) / 100.0, 0.0, 1.0) * (m_plot.right - m_plot.left) / width;
    const bool cursors = cursorChannel > 0 && cursorChannel <= m_inputCount;
    m_vertical[kFirstCursorY].shown = m_vertical[kFirstCursorY + 1].shown = cursors;
    m_horizontal[kFirstCursorX].shown = m_horizontal[kFirstCursorX + 1].shown = cursors;
}

CRect CScopeScreenEx::RulerItemRect(const CRulerItem& item, bool vertical) const
{
    const int32_t half = Px(6);
    const int32_t pixel = item.Pixel();
    const int32_t ruler = Px(kRulerWidth);
    if (vertical) {
        // Channel markers on the left ruler; trigger level and cursor lines on the right.
        const bool left = item.kind <= 4;
        const int32_t x0 = left ? m_plot.left - ruler + Px(1) : m_plot.right + Px(1);
        return CRect{x0, pixel - half, x0 + ruler - Px(2), pixel + half + 1};
    }
    // Trigger position on the top ruler, the vertical cursor lines at the bottom.
    const bool top = item.kind == 6;
    const int32_t y0 = top ? m_plot.top - ruler + Px(1) : m_plot.bottom + Px(1);
    return CRect{pixel - half, y0, pixel + half + 1, y0 + ruler - Px(2)};
}

CRulerItem* CScopeScreenEx::RulerItemAt(CPoint point, bool& vertical)
{
    if (!showRulers)
        return nullptr;
    // The last drawn is on top: cursors, then the trigger, then the channels.
    for (size_t i = m_vertical.size(); i-- > 0;) {
        if (m_vertical[i].shown && RulerItemRect(m_vertical[i], true).Contains(point)) {
            vertical = true;
            return &m_vertical[i];
        }
    }
    for (size_t i = m_horizontal.size(); i-- > 0;) {
        if (m_horizontal[i].shown && RulerItemRect(m_horizontal[i], false).Contains(point)) {
            vertical = false;
            return &m_horizontal[i];
        }
    }
    return nullptr;
}

namespace {

// The colour and letter of a ruler icon.
struct RulerIcon {
    uint32_t colour;
    const char16_t* letter;
};

RulerIcon IconOf(int32_t kind)
{
    switch (kind) {
    case 0: case 1: case 2: case 3: return {kScopeColours[static_cast<size_t>(kind)], kind == 0 ? u"A" : kind == 1 ? u"B" : kind == 2 ? u"C" : u"D"};
    case 4: return {kScopeColours[4], u"M"};
    case 11: return {0x404040, u"T"};
    case 12: return {0x404040, u"\u2191"};
    case 13: return {0x404040, u"\u2193"};
    case 6: return {0x404040, u"T"};
    case 7: case 9: return {0x008000, u"1"};
    default: return {0x008000, u"2"};
    }
}

}  // namespace

void CScopeScreenEx::DrawRulers(IChartCanvas& canvas) const
{
    if (!showRulers)
        return;
    FontRecord font = FontForResolution(infoFont, resolutionY);
    font.height = -std::max(Px(9), 1);
    auto draw = [&](const CRulerItem& item, bool vertical) {
        if (!item.shown)
            return;
        const CRect box = RulerItemRect(item, vertical);
        const RulerIcon icon = IconOf(item.kind);
        canvas.FillRect(box, icon.colour);
        canvas.Text(icon.letter, font, {(box.left + box.right) / 2, (box.top + box.bottom) / 2}, ChartAlign::centre,
                    ChartAlign::centre, 0xFFFFFF);
    };
    for (const auto& item : m_vertical)
        draw(item, true);
    for (const auto& item : m_horizontal)
        draw(item, false);
}

void CScopeScreenEx::DrawCursors(IChartCanvas& canvas) const
{
    if (cursorChannel <= 0 || cursorChannel > m_inputCount)
        return;
    const ChartPen pen{ChartPen::dash, 1, 0, kScopeColours[static_cast<size_t>(cursorChannel - 1)]};
    const double height = m_plot.bottom - 1 - m_plot.top;
    const double width = m_plot.right - 1 - m_plot.left;
    for (size_t i = 0; i < 2; ++i) {
        const int32_t y = m_plot.top + Truncate(std::clamp(m_vertical[kFirstCursorY + i].position, 0.0, 1.0) * height);
        canvas.Line({m_plot.left, y}, {m_plot.right, y}, pen);
        const int32_t x = m_plot.left + Truncate(std::clamp(m_horizontal[kFirstCursorX + i].position, 0.0, 1.0) * width);
        canvas.Line({x, m_plot.top}, {x, m_plot.bottom}, pen);
    }
}

void CScopeScreenEx::DrawInfoTexts(IChartCanvas& canvas, const ScopeReadings& readings) const
{
    const std::vector<CString> cursorLines = CursorTexts(readings);
    if (!infoTexts && cursorLines.empty())
        return;
    const FontRecord font = FontForResolution(infoFont, resolutionY);
    const int32_t lineHeight = canvas.MeasureText(u"\u00C4g", font).cy + 3;
    const int32_t margin = Px(kMargin);
    const int32_t left = m_plot.left + margin, right = m_plot.right - margin;
    const uint32_t ink = (background ^ 0xFFFFFFu) & 0xFFFFFFu;
    canvas.SetClip(m_plot);
    int32_t y = m_plot.top + margin;
    if (infoTexts) {
        canvas.Text(TimeText(readings), font, {left, y}, ChartAlign::start, ChartAlign::start, ink);
        if (const CString trigger = TriggerText(readings); !trigger.empty())
            canvas.Text(trigger, font, {right, y}, ChartAlign::end, ChartAlign::start, ink);
        y += lineHeight;
    }
    for (const CString& line : cursorLines) {
        canvas.Text(line, font, {left, y}, ChartAlign::start, ChartAlign::start, ink);
        y += lineHeight;
    }
    if (infoTexts) {
        const int32_t swatch = lineHeight - 5;
        int32_t bottom = m_plot.bottom - margin;
        for (int32_t c = m_inputCount - 1; c >= 0; --c) {
            const CScopeData* data = Channel(c);
            if (!data || !data->visible)
                continue;
            canvas.FillRect(CRect{left, bottom - lineHeight + 2, left + swatch, bottom - lineHeight + 2 + swatch}, data->pen.colour);
            canvas.Text(ChannelText(c, readings), font, {left + swatch + Px(4), bottom}, ChartAlign::start, ChartAlign::end, ink);
            bottom -= lineHeight;
        }
        if (const CString mathLine = MathText(); !mathLine.empty() && displayMode != kScopeModeXY) {
            canvas.FillRect(CRect{left, bottom - lineHeight + 2, left + swatch, bottom - lineHeight + 2 + swatch},
                            MathChannel()->pen.colour);
            canvas.Text(mathLine, font, {left + swatch + Px(4), bottom}, ChartAlign::start, ChartAlign::end, ink);
        }
        canvas.Text(ModeText(), font, {right, m_plot.bottom - margin}, ChartAlign::end, ChartAlign::end, ink);
    }
    canvas.ResetClip();
}

void CScopeScreenEx::Paint(IChartCanvas& canvas, const ScopeReadings& readings)
{
    PlaceRulers(readings);
    canvas.FillRect(m_plot, background);
    DrawGraticule(canvas);
    DrawTraces(canvas);
    DrawMath(canvas, readings);
    DrawTriggerMarker(canvas, readings);
    // Exported pictures carry the cursor lines but not the ruler icons.
    if (!exporting)
        DrawRulers(canvas);
    DrawCursors(canvas);
    DrawInfoTexts(canvas, readings);
}
