#include "DemoChart.h"

#include <cmath>

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kCutOff = 1000.0;  // Hz, of the first-order low-pass

}  // namespace

CDemoChart::CDemoChart(bool frequency, size_t points)
{
    CChartModel& m = Model();
    m.signals.resize(2);
    m.signals[0].pen = {ChartPen::solid, 1, 0, 0x00A000};
    m.signals[1].pen = {ChartPen::solid, 2, 0, 0xC03000};
    m.horizontalGridPen = m.verticalGridPen = {ChartPen::dot, 0, 0, 0xA0A0A0};
    m.exportSettings.AddTextFormat();
    curves.resize(2);
    if (!frequency) {
        m.signals[0].name = u"In\nGenerator (square wave)";
        m.signals[1].name = u"Out\nLow-pass output";
        m.Horizontal().SetUnitText(u"t/#s");
        m.Horizontal().SetRange(0, 0.004, 10);
        m.Vertical(0).SetUnitText(u"U/V");
        m.Vertical(0).SetRange(-6, 6, 10);
        double out = 0;
        const double dt = 0.004 / double(points - 1);
        for (size_t i = 0; i < points; ++i) {
            const double t = double(i) * dt;
            const double in = std::fmod(t, 0.001) < 0.0005 ? 5.0 : -5.0;
            out += (in - out) * (1 - std::exp(-2 * kPi * kCutOff * dt));
            curves[0].x.push_back(t);
            curves[0].y.push_back(in);
            curves[1].x.push_back(t);
            curves[1].y.push_back(out);
        }
        return;
    }
    m.signals[0].name = u"|F|\nGain in dB";
    m.signals[1].name = u"\u03C6\nPhase in degrees";
    m.Horizontal().SetFlags(m.Horizontal().Flags() | kAxisLogarithmic);
    m.Horizontal().SetUnitText(u"f/Hz");
    m.Horizontal().SetRange(10, 100000, 10);
    m.Vertical(0).SetUnitText(u"|F|/dB");
    m.Vertical(0).SetRange(-40, 0, 10);
    m.VerticalAxes().push_back(std::make_unique<CAxis>(false));
    m.Vertical(1).SetUnitText(u"\u03C6/\u00B0");
    m.Vertical(1).SetRange(-90, 0, 10);
    curves[1].axis = 1;
    measured = 0;
    for (size_t i = 0; i < points; ++i) {
        const double f = std::pow(10.0, 1.0 + 4.0 * double(i) / double(points - 1));
        const double ratio = f / kCutOff;
        curves[0].x.push_back(f);
        curves[0].y.push_back(-10 * std::log10(1 + ratio * ratio));
        curves[1].x.push_back(f);
        curves[1].y.push_back(-std::atan(ratio) * 180 / kPi);
    }
}

void CDemoChart::DrawSignals(IChartCanvas& canvas)
{
    CChartModel& m = Model();
    for (size_t i = 0; i < curves.size() && i < m.signals.size(); ++i) {
        const Curve& c = curves[i];
        if (!m.signals[i].visible || c.axis >= m.VerticalAxes().size())
            continue;
        DrawCurve(canvas, m.Horizontal(), m.Vertical(c.axis), c.x.data(), c.y.data(), std::min(c.x.size(), c.y.size()),
                  m.signals[i].pen, m.signals[i].barStyle);
    }
}

bool CDemoChart::CurveValueAt(double x, double& y)
{
    const Curve& c = curves[measured];
    for (size_t i = 1; i < c.x.size(); ++i)
        if (c.x[i] >= x) {
            const double span = c.x[i] - c.x[i - 1];
            const double f = span > 0 ? (x - c.x[i - 1]) / span : 0;
            y = c.y[i - 1] + f * (c.y[i] - c.y[i - 1]);
            return std::isfinite(y);
        }
    return false;
}

void CDemoChart::WriteDataText(CMemStream& out)
{
    out << u"x";
    for (const CChartSignal& s : Model().signals)
        out << u"\t" << SignalShortName(s.name);
    out << u"\r\n";
    for (size_t i = 0; i < curves[0].x.size(); ++i) {
        out.Format("%.6g", curves[0].x[i]);
        for (const Curve& c : curves)
            out.Format("\t%.6g", i < c.y.size() ? c.y[i] : 0.0);
        out << u"\r\n";
    }
}
