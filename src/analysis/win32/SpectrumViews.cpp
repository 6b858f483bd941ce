#include "analysis/win32/SpectrumViews.h"

#include <algorithm>
#include <cmath>

#include "charts/ChartCurve.h"
#include "charts/Engineering.h"

namespace {

constexpr ChartPen kGridPen{ChartPen::dot, 0, 0, 0xA0A0A0};

}  // namespace

// ---------------------------------------------------------------- CViewSpect

CViewSpect::CViewSpect()
{
    CChartModel& m = Model();
    m.signals.resize(1);
    m.signals[0].name = u"U\nAmplitude";
    m.signals[0].pen = {ChartPen::solid, 1, 0, 0x0000C0};
    m.signals[0].barStyle = BarStyle::bars;
    m.horizontalGridPen = m.verticalGridPen = kGridPen;
    m.exportSettings.AddTextFormat();
    m.Horizontal().SetUnitText(u"f/#Hz");
    m.Horizontal().SetRange(0, 5000, 10);
    m.Vertical(0).SetUnitText(u"U/#V");
    m.Vertical(0).SetRange(0, 1, 10);
    noSlope = true;
}

void CViewSpect::SetChannel(const CString& name, const ChartPen& pen)
{
    m_channel = name;
    Model().signals[0].pen = pen;
    Refresh();
}

void CViewSpect::SetSpectrum(const CSpectrumRecord& record)
{
    const bool newBins = record.binWidth != m_record.binWidth || record.amplitudes.size() != m_record.amplitudes.size();
    m_record = record;
    if (!Zoomed() && !m_record.amplitudes.empty()) {
        CChartModel& m = Model();
        if (newBins)
            m.Horizontal().SetRange(0, m_record.binWidth * double(m_record.amplitudes.size()), 10);
        // The amplitude axis follows the largest line, but not every small
        // change of it: a noisy peak would make the scale jump every update.
        const double top = *std::max_element(m_record.amplitudes.begin(), m_record.amplitudes.end());
        if (top > 0 && (newBins || top > m_shownTop || top < m_shownTop / 4)) {
            m.Vertical(0).SetRange(0, top * 1.05, 10);
            m_shownTop = top * 1.05;
        }
    }
    UpdateReadout();
    Refresh();
}

void CViewSpect::DrawSignals(IChartCanvas& canvas)
{
    CChartModel& m = Model();
    const size_t count = m_record.amplitudes.size();
    if (count == 0 || !(m_record.binWidth > 0) || !m.signals[0].visible)
        return;
    // Only the bins the horizontal axis shows, with one bin of margin.
    const CAxis& x = m.Horizontal();
    const double low = std::min(x.VisibleMinimum(), x.VisibleMaximum());
    const double high = std::max(x.VisibleMinimum(), x.VisibleMaximum());
    const size_t first = size_t(std::clamp(std::floor(low / m_record.binWidth), 0.0, double(count - 1)));
    const size_t last = size_t(std::clamp(std::ceil(high / m_record.binWidth) + 1, 0.0, double(count - 1)));
    std::vector<double> xs, ys;
    xs.reserve(last - first + 1);
    ys.reserve(last - first + 1);
    for (size_t k = first; k <= last; ++k) {
        xs.push_back(double(k) * m_record.binWidth);
        ys.push_back(m_record.amplitudes[k]);
    }
    DrawCurve(canvas, x, m.Vertical(0), xs.data(), ys.data(), xs.size(), m.signals[0].pen, m.signals[0].barStyle);
}

bool CViewSpect::CurveValueAt(double x, double& y)
{
    // The line nearest to the cursor: between two bins there is no spectrum.
    if (m_record.amplitudes.empty() || !(m_record.binWidth > 0) || !(x >= 0))
        return false;
    const double k = std::round(x / m_record.binWidth);
    if (k >= double(m_record.amplitudes.size()))
        return false;
    y = m_record.amplitudes[size_t(k)];
    return true;
}

std::vector<CString> CViewSpect::MakeReadout()
{
    const CursorPair& c = Cursors();
    double y1 = 0, y2 = 0;
    const bool on = CurveValueAt(c.x1, y1) && CurveValueAt(c.x2, y2);
    auto volts = [](double v) { return FormatEngineering(v, u"V"); };
    std::vector<CString> table = {u"f1", FormatEngineering(c.x1, u"Hz"), u"f2", FormatEngineering(c.x2, u"Hz"),
                                  u"\u0394f", FormatEngineering(c.x2 - c.x1, u"Hz")};
    if (on) {
        table.insert(table.end(), {m_channel + u" 1", volts(y1), m_channel + u" 2", volts(y2), u"\u0394U",
                                   volts(y2 - y1)});
    }
    return table;
}

void CViewSpect::WriteDataText(CMemStream& out)
{
    out << u"f/Hz\t" << m_channel << u"/V\r\n";
    for (size_t k = 0; k < m_record.amplitudes.size(); ++k)
        out.Format("%lg\t%lg\r\n", double(k) * m_record.binWidth, m_record.amplitudes[k]);
}

// ---------------------------------------------------------------- CTimeView

CTimeView::CTimeView()
{
    CChartModel& m = Model();
    m.signals.resize(1);
    m.signals[0].name = u"U\nRecord";
    m.signals[0].pen = {ChartPen::solid, 1, 0, 0x0000C0};
    m.horizontalGridPen = m.verticalGridPen = kGridPen;
    m.exportSettings.AddTextFormat();
    m.Horizontal().SetUnitText(u"t/#s");
    m.Horizontal().SetRange(0, 0.1, 10);
    m.Vertical(0).SetUnitText(u"U/#V");
    m.Vertical(0).SetRange(-1, 1, 10);
}

void CTimeView::SetChannel(const CString& name, const ChartPen& pen)
{
    m_channel = name;
    Model().signals[0].pen = pen;
    Refresh();
}

void CTimeView::SetRecord(std::span<const int16_t> samples, double fullScale, double samplePeriod)
{
    const bool rescale = fullScale != m_fullScale || samplePeriod != m_period || samples.size() != m_volts.size();
    m_fullScale = fullScale;
    m_period = samplePeriod;
    m_times.resize(samples.size());
    m_volts.resize(samples.size());
    for (size_t k = 0; k < samples.size(); ++k) {
        m_times[k] = double(k) * samplePeriod;
        m_volts[k] = samples[k] / 32767.0 * fullScale;
    }
    if (rescale && !Zoomed() && samples.size() > 1 && fullScale > 0 && samplePeriod > 0) {
        Model().Horizontal().SetRange(0, m_times.back(), 10);
        Model().Vertical(0).SetRange(-fullScale, fullScale, 10);
    }
    UpdateReadout();
    Refresh();
}

void CTimeView::DrawSignals(IChartCanvas& canvas)
{
    CChartModel& m = Model();
    if (m_volts.empty() || !m.signals[0].visible)
        return;
    DrawCurve(canvas, m.Horizontal(), m.Vertical(0), m_times.data(), m_volts.data(), m_volts.size(),
              m.signals[0].pen);
}

bool CTimeView::CurveValueAt(double x, double& y)
{
    return ::CurveValueAt(m_times, m_volts, x, y);
}

void CTimeView::WriteDataText(CMemStream& out)
{
    out << u"t/s\t" << m_channel << u"/V\r\n";
    for (size_t k = 0; k < m_volts.size(); ++k)
        out.Format("%lg\t%lg\r\n", m_times[k], m_volts[k]);
}
