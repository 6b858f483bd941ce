// The meters' controls: the gauge's scale arithmetic and what it draws, the
// METRAHit read-out and the meters' own value display, through a recording
// graphics.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>
#include <limits>
#include <string>
#include <numbers>

#include "../../viframework/ControlTestUtil.h"
#include "../../viframework/PanelFakes.h"
#include "instruments/meter/Gauge.h"
#include "instruments/meter/MetraLcd.h"
#include "instruments/meter/VexaValueDisplay.h"
#include "viframework/controls/PanelResources.h"

namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// Installs an in-memory resource source for one test and forgets the
// bitmaps it handed out.
struct ResourceScope {
    explicit ResourceScope(FakePanelResources* fake)
    {
        ClearSharedBitmaps();
        SetPanelResources(fake);
    }
    ~ResourceScope()
    {
        SetPanelResources(nullptr);
        ClearSharedBitmaps();
    }
};

// The analog meters' gauge at its natural size.
void SetUpMeterGauge(CHotGauge& gauge)
{
    gauge.m_rect = {10, 20, 10 + CHotGauge::kNaturalWidth, 20 + CHotGauge::kNaturalHeight};
    gauge.SetNeedle(120, 4);
    gauge.SetScale(0, 100, 1000);
    gauge.SetRange(0);
}

const RecordingGraphics::Call* Needle(const RecordingGraphics& g)
{
    for (const auto* call : g.Of("FillPolygon"))
        if (call->points.size() == 3)
            return call;
    return nullptr;
}

float Distance(PointF a, PointF b)
{
    return std::hypot(a.x - b.x, a.y - b.y);
}

// What a control draws, through a recording skin.
template <class Control>
RecordingGraphics Drawn(Control& control)
{
    RecordingSkin skin;
    RecordingGraphics g;
    control.Draw(g, skin);
    return g;
}

std::vector<CString> Texts(const RecordingGraphics& g)
{
    std::vector<CString> texts;
    for (const auto* s : g.Of("DrawString"))
        texts.push_back(s->text);
    return texts;
}

// ---------------------------------------------------------------- gauge arithmetic

TEST(Gauge, ShowsTheMagnitudeClampedToTheScaleWithTheNeedleSweepingIt)
{
    CHotGauge gauge;
    SetUpMeterGauge(gauge);
    EXPECT_TRUE(gauge.SetValue(0.05));
    EXPECT_DOUBLE_EQ(gauge.ShownValue(), 50);
    EXPECT_DOUBLE_EQ(gauge.Fraction(), 0.5);
    EXPECT_FALSE(gauge.SetValue(0.05));
    EXPECT_FALSE(gauge.SetValue(-0.05)) << "the needle shows the magnitude";
    EXPECT_DOUBLE_EQ(gauge.Value(), -0.05) << "while the sign stays for the negative lamp";
    EXPECT_TRUE(gauge.SetValue(0.5));
    EXPECT_DOUBLE_EQ(gauge.ShownValue(), 100);
    EXPECT_TRUE(gauge.SetValue(kNaN));
    EXPECT_DOUBLE_EQ(gauge.ShownValue(), 0);
    gauge.SetValue(std::numeric_limits<double>::infinity());
    EXPECT_DOUBLE_EQ(gauge.ShownValue(), 100);

    gauge.SetScale(20, 80, 1000);
    gauge.SetValue(0.01);
    EXPECT_DOUBLE_EQ(gauge.ShownValue(), 20) << "below the start rests at the start";
    EXPECT_EQ(gauge.Fraction(), 0);
    gauge.SetScale(5, 5, 1);
    EXPECT_EQ(gauge.Fraction(), 0) << "an empty scale divides by nothing";
    gauge.SetScale(kNaN, 10, 1);
    EXPECT_EQ(gauge.ScaleStart(), 5) << "ignored";

    // The needle sweeps from the start angle to the end angle.
    SetUpMeterGauge(gauge);
    const double s = CHotGauge::kMeterStartAngle, e = CHotGauge::kMeterEndAngle;
    gauge.SetValue(0);
    EXPECT_DOUBLE_EQ(gauge.NeedleAngle(), -s);
    gauge.SetValue(0.05);
    EXPECT_NEAR(gauge.NeedleAngle(), -kPi, 1e-12) << "half way points straight up";
    gauge.SetValue(0.1);
    EXPECT_DOUBLE_EQ(gauge.NeedleAngle(), -e);
}

TEST(Gauge, LabelsByRangeAndPercentStyle)
{
    CHotGauge gauge;
    SetUpMeterGauge(gauge);
    auto labels = [&] {
        std::vector<CString> out;
        for (int32_t i = 0; i <= gauge.Divisions(); ++i)
            out.push_back(gauge.LabelText(i));
        return out;
    };
    EXPECT_EQ(labels(), (std::vector<CString>{u"0", u"20", u"40", u"60", u"80", u"100"}));
    gauge.SetRange(3);
    gauge.SetScale(0, 1, 1);
    EXPECT_EQ(labels()[1], u"0.20");
    gauge.SetRange(7);
    gauge.SetScale(0, 20, 1);
    EXPECT_EQ(labels()[5], u"20.0");
    gauge.SetRange(8);
    gauge.SetScale(0, 50, 1);
    EXPECT_EQ(labels()[3], u"30");
    gauge.SetRange(99);
    EXPECT_EQ(gauge.Range(), 8);

    gauge.SetStyle(CHotGauge::kPercentStyle);
    EXPECT_EQ(labels(), (std::vector<CString>{u"0 %", u"20 %", u"40 %", u"60 %", u"80 %", u"100 %"}));
    EXPECT_EQ(gauge.PrintIndex(), 10);

    // Placed by an editor, a gauge goes back to millivolts.
    CHotGauge placed;
    placed.PlaceAt(7, 9);
    EXPECT_EQ(placed.m_rect, (CRect{7, 9, 207, 121}));
    EXPECT_EQ(placed.ScaleStart(), 0);
    EXPECT_EQ(placed.ScaleEnd(), 100);
    EXPECT_EQ(placed.Factor(), 1000);
    EXPECT_EQ(placed.LabelText(5), u"100");
}

// ---------------------------------------------------------------- gauge drawing

TEST(GaugeDrawing, NeedleStaysInsideAndPointsAlongItsAngle)
{
    CHotGauge gauge;
    SetUpMeterGauge(gauge);
    const CHotGauge::Layout layout = gauge.ComputeLayout();
    EXPECT_NEAR(layout.pivot.x, 110, 1e-4) << "bottom centre";
    EXPECT_GT(layout.pivot.y, 20 + 112 * 0.8);
    for (double v : {0.0, 0.025, 0.05, 0.075, 0.1}) {
        gauge.SetValue(v);
        const RecordingGraphics g = Drawn(gauge);
        const auto* needle = Needle(g);
        ASSERT_NE(needle, nullptr);
        const PointF tip = needle->points[0];
        EXPECT_GE(tip.x, float(gauge.m_rect.left)) << v;
        EXPECT_LE(tip.x, float(gauge.m_rect.right)) << v;
        EXPECT_GE(tip.y, float(gauge.m_rect.top)) << v;
        EXPECT_LT(tip.y, layout.pivot.y) << v;
        EXPECT_NEAR(Distance(tip, layout.pivot), 1.2f * layout.faceRadius, 1e-3) << "120 % of the face radius";
        const double theta = gauge.NeedleAngle();
        EXPECT_NEAR(tip.x - layout.pivot.x, layout.needleLength * std::sin(theta), 1e-3) << v;
        EXPECT_NEAR(tip.y - layout.pivot.y, layout.needleLength * std::cos(theta), 1e-3) << v;
        EXPECT_NEAR(Distance(needle->points[1], needle->points[2]), 0.04f * layout.faceRadius, 1e-3)
            << "base 4 % of the face radius";
    }
    gauge.SetValue(0);
    const RecordingGraphics low = Drawn(gauge);
    gauge.SetValue(1);
    const RecordingGraphics high = Drawn(gauge);
    EXPECT_LT(Needle(low)->points[0].x, layout.pivot.x) << "zero on the left";
    EXPECT_GT(Needle(high)->points[0].x, layout.pivot.x);
}

TEST(GaugeDrawing, MajorAndMinorTicksWithLabelsOnTheMajorOnes)
{
    CHotGauge gauge;
    SetUpMeterGauge(gauge);
    const RecordingGraphics g = Drawn(gauge);
    const auto ticks = g.Of("DrawLine");
    ASSERT_EQ(ticks.size(), 26u) << "5 divisions of 5 steps";
    const CHotGauge::Layout layout = gauge.ComputeLayout();
    const float majorLength = Distance(ticks[0]->points[0], ticks[0]->points[1]);
    const float minorLength = Distance(ticks[1]->points[0], ticks[1]->points[1]);
    EXPECT_GT(majorLength, minorLength);
    EXPECT_NEAR(Distance(ticks[0]->points[0], layout.pivot), layout.scaleRadius, 1e-3);
    EXPECT_NEAR(Distance(ticks[25]->points[1], layout.pivot), layout.scaleRadius + majorLength, 1e-3);
    EXPECT_EQ(Texts(g), (std::vector<CString>{u"0", u"20", u"40", u"60", u"80", u"100"}));
    EXPECT_EQ(g.Count("DrawArc"), 1u);
}

TEST(GaugeDrawing, FaceAndPrintComeFromTheTwoBitmaps)
{
    FakePanelResources fake;
    fake.bitmaps[CHotGauge::kFaceBitmap] = std::make_shared<CPanelImage>(12, 7);
    fake.bitmaps[CHotGauge::kPrintBitmap] = std::make_shared<CPanelImage>(11 * 8, 3);
    ResourceScope scope(&fake);
    CHotGauge gauge;
    SetUpMeterGauge(gauge);
    auto images = [&](int32_t style) {
        gauge.SetStyle(style);
        return Drawn(gauge);
    };
    RecordingGraphics normal = images(0);
    auto drawn = normal.Of("DrawImage");
    ASSERT_EQ(drawn.size(), 2u);
    EXPECT_FALSE(drawn[0]->source.has_value()) << "the whole background";
    EXPECT_GE(drawn[0]->rect.width, 190);
    ASSERT_TRUE(drawn[1]->source.has_value());
    EXPECT_EQ(*drawn[1]->source, (CRect{64, 0, 72, 3})) << "print 8";
    EXPECT_EQ(drawn[1]->colour, 0x00FF00FFu);

    RecordingGraphics percent = images(CHotGauge::kPercentStyle);
    EXPECT_EQ(*percent.Of("DrawImage")[1]->source, (CRect{80, 0, 88, 3})) << "print 10";
    RecordingGraphics other = images(8);
    EXPECT_EQ(*other.Of("DrawImage")[1]->source, (CRect{0, 0, 8, 3}));
    for (int32_t style : {-3, 9, INT32_MAX, INT32_MIN})
        EXPECT_EQ(images(style).Count("DrawImage"), 1u) << "no print for style " << style;
}

TEST(GaugeDrawing, WithoutBitmapsThePlainFaceIsDrawn)
{
    ResourceScope scope(nullptr);
    CHotGauge gauge;
    SetUpMeterGauge(gauge);
    gauge.SetValue(0.03);
    const RecordingGraphics g = Drawn(gauge);
    EXPECT_EQ(g.Count("DrawImage"), 0u);
    ASSERT_GE(g.Count("FillRectangle"), 1u);
    EXPECT_EQ(g.Of("FillRectangle")[0]->brush.colour1 >> 24, 0xFFu) << "an opaque face";
    EXPECT_NE(Needle(g), nullptr);

    gauge.m_rect = {5, 5, 5, 5};
    EXPECT_TRUE(Drawn(gauge).calls.empty());
}

// ---------------------------------------------------------------- METRAHit read-out

TEST(MetraLcd, ReportsChangesAndBlanks)
{
    CHotMetraLcd lcd;
    EXPECT_EQ((CSize{lcd.m_naturalWidth, lcd.m_naturalHeight}), (CSize{232, 76}));
    EXPECT_TRUE(lcd.SetReading(u"-1.2345", u"V", u"DC", false));
    EXPECT_FALSE(lcd.SetReading(u"-1.2345", u"V", u"DC", false));
    EXPECT_TRUE(lcd.SetReading(u"-1.2345", u"V", u"DC", true));
    EXPECT_TRUE(lcd.SetReading(u"-1.2345", u"V", u"AC", true));
    lcd.Blank();
    EXPECT_TRUE(lcd.Text().empty());
    EXPECT_TRUE(lcd.Unit().empty());
    EXPECT_TRUE(lcd.ModeName().empty());
    EXPECT_FALSE(lcd.Overload());
}

TEST(MetraLcd, LightDigitsOnTheDarkFieldInsideTheTextArea)
{
    CHotMetraLcd lcd;
    lcd.m_rect = {100, 50, 332, 126};
    lcd.SetReading(u"-8.888", u"mV", u"AC+DC", false);
    const RecordingGraphics g = Drawn(lcd);

    const auto fills = g.Of("FillRectangle");
    ASSERT_FALSE(fills.empty());
    EXPECT_EQ(fills[0]->brush.colour1, CHotMetraLcd::kBackground);
    EXPECT_EQ(fills[0]->rect.width, 232);
    const auto clip = g.Of("PushClip");
    ASSERT_EQ(clip.size(), 1u);
    EXPECT_EQ(clip[0]->rect.x, 105);
    EXPECT_EQ(clip[0]->rect.Right(), 327);

    size_t lit = 0;
    for (const auto* p : g.Of("FillPolygon")) {
        lit += p->brush.colour1 == CHotMetraLcd::kLit;
        for (PointF pt : p->points) {
            EXPECT_GE(pt.x, 105);
            EXPECT_LE(pt.x, 327);
            EXPECT_LE(pt.y, 126);
        }
    }
    EXPECT_EQ(lit, 1u + 4 * 7) << "a dash and four eights";
    EXPECT_EQ(g.Count("FillPolygon"), CHotMetraLcd::kDigitCells * 7);
    EXPECT_EQ(Texts(g), (std::vector<CString>{u"mV", u"AC+DC"}));

    lcd.SetReading(u"  0L  ", u"V", {}, true);
    EXPECT_EQ(Texts(Drawn(lcd)), (std::vector<CString>{u"V", u"OL"}));

    lcd.Blank();
    const RecordingGraphics blank = Drawn(lcd);
    EXPECT_EQ(blank.Count("DrawString"), 0u);
    for (const auto* p : blank.Of("FillPolygon"))
        EXPECT_NE(p->brush.colour1, CHotMetraLcd::kLit);
}

// ---------------------------------------------------------------- meters' value display

TEST(VexaValueDisplayDrawing, DigitsUnitRangeAndBarFitTheNaturalSize)
{
    CHotVexaValueDisplay display;
    display.m_rect = {0, 0, 187, 80};
    display.Show({u" 1.50", u"V", u"   2 V", 0.25});
    const RecordingGraphics g = Drawn(display);
    for (const auto* p : g.Of("FillPolygon"))
        for (PointF pt : p->points) {
            EXPECT_GE(pt.x, 6);
            EXPECT_LE(pt.x, 181);
            EXPECT_GE(pt.y, 6);
            EXPECT_LE(pt.y, 74);
        }
    EXPECT_EQ(g.Count("FillPolygon"), CHotVexaValueDisplay::kDigitCells * 7);
    EXPECT_EQ(Texts(g), (std::vector<CString>{u"V", u"   2 V"}));

    const RectF area = display.BarArea();
    EXPECT_LE(area.Bottom() + 5, 74) << "ticks stay inside the frame";
    bool barFound = false;
    for (const auto* f : g.Of("FillRectangle"))
        if (f->brush.colour1 == CHotValueDisplay::kBarColour) {
            barFound = true;
            EXPECT_FLOAT_EQ(f->rect.width, std::floor(area.width * 0.25f + 0.5f));
        }
    EXPECT_TRUE(barFound);
}

// ---------------------------------------------------------------- the face bitmaps as built

std::shared_ptr<CPanelImage> BuiltBitmap(const char* name)
{
    std::ifstream in(std::string(VEXA_COMPILED_RESOURCES) + "/" + name, std::ios::binary);
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    constexpr size_t kFileHeader = 14;  // a bitmap resource is the file without it
    if (bytes.size() <= kFileHeader)
        return nullptr;
    return DecodeDib(bytes.data() + kFileHeader, bytes.size() - kFileHeader);
}

TEST(GaugeBitmaps, BuiltFaceAndElevenPrintsWithTransparentMargins)
{
    const auto face = BuiltBitmap("5270.bmp");
    ASSERT_NE(face, nullptr);
    EXPECT_GT(face->width, face->height) << "a landscape face";
    for (Argb p : face->pixels)
        ASSERT_NE(p & 0xFFFFFFu, 0xFF00FFu) << "the face has no transparent pixels";

    const auto prints = BuiltBitmap("5271.bmp");
    ASSERT_NE(prints, nullptr);
    ASSERT_EQ(prints->width % CHotGauge::kPrintCount, 0);
    const int32_t frame = prints->width / CHotGauge::kPrintCount;
    for (int32_t i = 0; i < CHotGauge::kPrintCount; ++i) {
        size_t inked = 0;
        for (int32_t y = 0; y < prints->height; ++y)
            for (int32_t x = 0; x < frame; ++x)
                inked += (prints->Pixel(i * frame + x, y) & 0xFFFFFFu) != 0xFF00FFu;
        EXPECT_GT(inked, 0u) << "print " << i;
        EXPECT_LT(inked, size_t(frame * prints->height / 2)) << "print " << i << " is mostly see-through";
    }
}

}  // namespace
