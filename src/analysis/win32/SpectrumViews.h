// The spectrum analyzer's two charts: the amplitude spectrum of the last
// record (CViewSpect) and the record itself over time (CTimeView). Both
// take copies of what the poll step produced, on the window thread.
#pragma once

#include <cstdint>
#include <vector>

#include "analysis/Spectrum.h"
#include "charts/win32/ChartCurZoom.h"

class CViewSpect : public CChartCurZoom {
public:
    CViewSpect();

    // A new spectrum; the axes follow it unless the user zoomed.
    void SetSpectrum(const CSpectrumRecord& record);
    const CSpectrumRecord& Spectrum() const { return m_record; }
    // The analysed channel's name ("CHN A") and pen.
    void SetChannel(const CString& name, const ChartPen& pen);

    void WriteDataText(CMemStream& out) override;

protected:
    void DrawSignals(IChartCanvas& canvas) override;
    bool CurveValueAt(double x, double& y) override;
    std::vector<CString> MakeReadout() override;

private:
    CSpectrumRecord m_record;
    CString m_channel = u"CHN A";
    double m_shownTop = 0;  // the largest amplitude the vertical range was made for
};

class CTimeView : public CChartCurZoom {
public:
    CTimeView();

    // The record in volts: samples (32767 = full scale) every samplePeriod seconds.
    void SetRecord(std::span<const int16_t> samples, double fullScale, double samplePeriod);
    void SetChannel(const CString& name, const ChartPen& pen);

    void WriteDataText(CMemStream& out) override;

protected:
    void DrawSignals(IChartCanvas& canvas) override;
    bool CurveValueAt(double x, double& y) override;

private:
    std::vector<double> m_times, m_volts;
    double m_fullScale = 0;
    double m_period = 0;
    CString m_channel = u"CHN A";
};
