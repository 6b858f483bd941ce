// The oscilloscope screen apart from its window: channels and their sample
// buffers, the graticule, the vertical and XY mappings, the traces, the math
// trace, the trigger marker, the rulers, the cursors, the information texts,
// data as text and the archives. The windows hand over a canvas and their
// client rectangle; every pixel is computed here, so it is tested natively.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "charts/ChartCanvas.h"
#include "charts/ChartModel.h"
#include "framework/Object.h"
#include "units/ScopeBuffer.h"

class CMemStream;

// Trace colours (COLORREF) of channels A to D and of the math trace.
inline constexpr std::array<uint32_t, 5> kScopeColours = {0xFF0000, 0x0000FF, 0xFFC400, 0x800080, 0xFF00FF};

// Display modes; the texts "XT ", "XY ", "ADD", "MUL" name 0 to 3.
enum ScopeDisplayMode : int32_t { kScopeModeXT = 0, kScopeModeXY = 1 };

// One channel of the screen: how its trace is drawn and its samples.
class CScopeData : public CObject {
    DECLARE_SERIAL(CScopeData)
public:
    static constexpr uint32_t kSchema = 3;

    CScopeData() : CScopeData(0) {}
    explicit CScopeData(int32_t channelIndex);

    void Serialize(CArchive& ar) override;

    ChartPen pen;
    double position = 0.0;          // [%] of the half-height: -100 bottom edge, +100 top edge
    double gain = 100.0;            // [%] display magnification
    double secondPercentage = 100.0;
    int32_t channel = 0;            // 0 to 3 = A to D; the last one is the math trace
    uint8_t visible = 1;
    uint8_t inverted = 0;
    uint8_t ground = 0;             // coupling GND: the trace is the zero line
    CScopeBuffer buffer;
};

// What the screen shows of the scope unit's settings: a snapshot, so that
// the texts and the trigger marker are drawn from one consistent state.
struct ScopeReadings {
    struct Channel {
        int32_t coupling = 0;  // 0 DC, 1 AC, 2 GND
        int32_t range = 8;     // index into the range table
    };
    double timePerDivision = 1e-3;  // [s]
    int32_t triggerSource = 0;      // 0 none, 1 to 4 = A to D
    int32_t triggerLevel = 0;       // [%] of full scale
    int32_t triggerPosition = 100;  // [%] of the record after the trigger
    std::array<Channel, 4> channels{};
};

// The two-channel screen: geometry, graticule, traces, trigger marker,
// data as text and the stored form.
class CScopeScreen : public CChartSurface {
public:
    static constexpr uint32_t kSchema = 4;
    static constexpr int32_t kExportWidth = 150;

    explicit CScopeScreen(int channelCount = 2);
    ~CScopeScreen() override = default;

    // Channels by their index (0 A … 3 D, then math); null when absent.
    CScopeData* Channel(int32_t index);
    const CScopeData* Channel(int32_t index) const;
    // Keeps channels 0 .. count-1 (new ones with their colours), and the
    // math trace after them when `withMath`.
    void SetChannels(int32_t count, bool withMath);
    int32_t InputCount() const { return m_inputCount; }
    CScopeData* MathChannel() { return m_hasMath ? Channel(m_inputCount) : nullptr; }
    const CScopeData* MathChannel() const { return m_hasMath ? Channel(m_inputCount) : nullptr; }

    // The plot rectangle (device pixels of the target).
    void SetPlot(const CRect& plot) { m_plot = plot; }
    const CRect& Plot() const { return m_plot; }
    // Screen pixels at the target's resolution.
    int32_t Px(int32_t screenPixels) const { return ScaleToResolution(screenPixels, resolutionY); }

    // Vertical mapping.
    int32_t ZeroPixel(const CScopeData& data) const;
    double PixelsPerSample(const CScopeData& data) const;
    int32_t SampleY(const CScopeData& data, int32_t sample) const;
    // Point i of n across the plot (n - 1 on the right edge).
    int32_t PointX(int32_t i, int32_t n) const;
    // XY mode: channel A drives x with the given range factor.
    int32_t ZeroPixelX(const CScopeData& data) const;
    double PixelsPerSampleX(const CScopeData& data, double rangeFactor) const;

    // Painting parts, each in the target's pixels.
    void DrawGraticule(IChartCanvas& canvas) const;
    void DrawTraces(IChartCanvas& canvas) const;
    // Nothing without a trigger source. The cross and, when the level lies
    // outside the plot, the bar at the edge with its stem.
    void DrawTriggerMarker(IChartCanvas& canvas, const ScopeReadings& readings) const;
    // Where the trigger marker's cross stands (its y may lie outside the plot).
    CPoint TriggerPoint(const ScopeReadings& readings) const;
    // The whole screen in `area`: the back ground, plot, graticule, traces,
    // marker and whatever the derived screen adds.
    virtual void LayOut(const CRect& area);
    virtual void Paint(IChartCanvas& canvas, const ScopeReadings& readings);

    // One line per sample: time, tab, A in volts, tab, B in volts, CR LF.
    void WriteDataText(CMemStream& out, const ScopeReadings& readings) const;

    virtual void Serialize(CArchive& ar);

    int32_t horizontalDivisions = 10;
    int32_t verticalDivisions = 8;
    uint8_t infoTexts = 1;
    FontRecord infoFont;           // height in points
    uint8_t gridVisible = 1;
    ChartPen gridPen{ChartPen::solid, 1, 0, 0x808080};
    uint8_t zeroMarkers = 0;
    int32_t displayMode = kScopeModeXT;
    uint32_t lastWord = 0;
    // The value window: x across, y up.
    double valueLeft = 0.0;
    double valueRight = 127.0;
    double valueBottom = -32768.0;
    double valueTop = 32767.0;
    // The colour around the plot on the screen.
    uint32_t surround = 0xC8C8C8;

protected:
    // The polyline of one channel's samples (XT).
    void DrawChannel(IChartCanvas& canvas, const CScopeData& data) const;
    void DrawXY(IChartCanvas& canvas) const;

    CRect m_plot{0, 0, 100, 80};
    std::vector<std::unique_ptr<CScopeData>> m_channels;
    int32_t m_inputCount = 2;
    bool m_hasMath = false;
};

// A draggable marker beside the plot. Kinds: 0 to 4 channels A to D and
// math; 11 (icons 12, 13) trigger level; 7, 8 the horizontal cursor lines;
// 6 trigger position; 9, 10 the vertical cursor lines.
class CRulerItem : public CObject {
    DECLARE_DYNAMIC(CRulerItem)
public:
    CRulerItem() = default;
    CRulerItem(int32_t kindIn, double positionIn, int32_t alternative1 = -1, int32_t alternative2 = -1)
        : position(positionIn), kind(kindIn), alternativeKinds{alternative1, alternative2} {}

    // The pixel along the ruler, clamped to its limits.
    int32_t Pixel() const;
    // Moves to a pixel (clamped); returns the new fraction.
    double MoveTo(int32_t pixel);

    double position = 0.0;  // fraction of the plot along the ruler
    int32_t kind = 0;
    std::array<int32_t, 2> alternativeKinds{-1, -1};
    int32_t low = 0;        // the plot's extent along the ruler
    int32_t high = 0;
    bool shown = true;
};
// On the vertical rulers (it moves up and down); fraction from the top.
class CRulerItemVert : public CRulerItem {
    DECLARE_DYNAMIC(CRulerItemVert)
public:
    using CRulerItem::CRulerItem;
};
// On the horizontal ruler (it moves left and right); fraction from the left.
class CRulerItemHorz : public CRulerItem {
    DECLARE_DYNAMIC(CRulerItemHorz)
public:
    using CRulerItem::CRulerItem;
};

// The main oscilloscope's screen: two or four channels, the math trace, XY
// mode, rulers, cursors and the information texts.
class CScopeScreenEx : public CScopeScreen {
public:
    // Vertical ruler items: 0-4 channel markers, 5 trigger level, 6 and 7 the
    // horizontal cursor lines. Horizontal: 0 trigger position, 1 and 2 the
    // vertical cursor lines.
    static constexpr size_t kTriggerLevelItem = 5;
    static constexpr size_t kFirstCursorY = 6;
    static constexpr size_t kTriggerPositionItem = 0;
    static constexpr size_t kFirstCursorX = 1;
    static constexpr int32_t kRulerWidth = 14;  // screen pixels
    static constexpr int32_t kMargin = 5;       // around the texts

    CScopeScreenEx();

    void SetFourChannels(bool on);
    bool FourChannels() const { return m_inputCount == 4; }

    // The math trace's pixel for samples a and b (of A and B).
    int32_t MathY(int32_t a, int32_t b, const ScopeReadings& readings) const;
    // Its scale in pixels per volt (negated when inverted).
    double MathPixelsPerVolt() const;

    // Texts (UTF-16), empty where nothing is shown.
    CString TimeText(const ScopeReadings& readings) const;
    CString TriggerText(const ScopeReadings& readings) const;
    // ΔT, then f when ΔT is not zero, then ΔU; none without a cursor channel.
    std::vector<CString> CursorTexts(const ScopeReadings& readings) const;
    CString ChannelText(int32_t channel, const ScopeReadings& readings) const;
    CString MathText() const;
    CString ModeText() const;

    // Ruler items placed for the current plot and settings (channel markers
    // at their zero pixels, the trigger items shown only with a source).
    void PlaceRulers(const ScopeReadings& readings);
    std::array<CRulerItemVert, 8>& VerticalItems() { return m_vertical; }
    std::array<CRulerItemHorz, 3>& HorizontalItems() { return m_horizontal; }
    // The item at a point of the rulers, or null; `vertical` tells which kind.
    CRulerItem* RulerItemAt(CPoint point, bool& vertical);
    // The rectangle of an item's icon.
    CRect RulerItemRect(const CRulerItem& item, bool vertical) const;
    // The channel position that puts the zero line at pixel y.
    double PositionForPixel(int32_t y) const;

    void LayOut(const CRect& area) override;
    void Paint(IChartCanvas& canvas, const ScopeReadings& readings) override;
    void DrawMath(IChartCanvas& canvas, const ScopeReadings& readings) const;
    void DrawRulers(IChartCanvas& canvas) const;
    void DrawCursors(IChartCanvas& canvas) const;
    void DrawInfoTexts(IChartCanvas& canvas, const ScopeReadings& readings) const;

    uint8_t math = 0;
    int32_t mathOperation = 0;  // 0 ADD, 1 MULT
    int32_t mathRange = 8;      // volts per division index of the math trace
    int32_t cursorChannel = 0;  // 0 none, 1 to 4 = A to D
    uint8_t showRulers = 1;
    // The item being dragged keeps the place the pointer gives it.
    const CRulerItem* dragged = nullptr;

private:
    CRect m_area;
    std::array<CRulerItemVert, 8> m_vertical;
    std::array<CRulerItemHorz, 3> m_horizontal;
};
