// The Bode plotter's charts: the Bode diagram (gain, gain in dB and phase
// over frequency, on axes the user shows or hides) and the locus diagram
// (the complex gain in the plane). Both read the measurement sets through
// IBodeDataSupplier, as copies taken when they are told that sets changed.
//
// Context-menu commands no other document numbers: 32950 to 32961 below.
#pragma once

#include <cstdint>
#include <vector>

#include "analysis/BodeData.h"
#include "charts/win32/ChartCurZoom.h"

constexpr uint32_t IDM_BODE_AXIS = 20048;
constexpr uint32_t IDM_BODE_PLOT = 20049;
constexpr uint32_t ID_BODE_FREQUENCY = 32950;        // the horizontal axis shows f
constexpr uint32_t ID_BODE_OMEGA = 32951;            // ... or ω
constexpr uint32_t ID_BODE_GAIN = 32952;             // axis 2 shown or hidden
constexpr uint32_t ID_BODE_GAIN_DB = 32953;          // axis 3
constexpr uint32_t ID_BODE_PHASE = 32954;            // axis 4
constexpr uint32_t ID_BODE_UNWRAP = 32955;
constexpr uint32_t ID_BODE_ALL_SETS = 32956;         // every set, or only the selected one
constexpr uint32_t ID_BODE_DELETE_SET = 32957;       // the newest set
constexpr uint32_t ID_BODE_DELETE_ALL = 32958;
constexpr uint32_t ID_BODE_AUTOSCALE = 32959;

// Strings of the axes: names 20053 to 20057 and unit texts 20064 to 20068
// of the five vertical axes; the horizontal axis's f and ω unit texts.
constexpr uint32_t kBodeAxisNames = 20053;
constexpr uint32_t kBodeAxisUnits = 20064;
constexpr uint32_t kBodeFrequencyUnit = 20058;
constexpr uint32_t kBodeOmegaUnit = 20059;

class CViewBodeBase : public CChartCurZoom {
public:
    static constexpr size_t kGainAxis = 2, kGainDbAxis = 3, kPhaseAxis = 4;

    explicit CViewBodeBase(IBodeDataSupplier& supplier);

    // The sets changed (a point came, a set went): take new copies.
    void SetsChanged();
    // Gain and phase ranges from every point measured; nothing without points.
    void AutoScale();
    // The frequency axis from f1 to f2 [Hz], in f or ω as shown.
    void SetFrequencyRange(double f1, double f2);

    bool ShowsOmega() const { return m_omega; }
    void SetOmega(bool on);
    void SetAxisShown(size_t axis, bool shown);
    bool AxisShown(size_t axis) const;
    bool unwrap = true;
    bool allSets = true;
    int32_t selectedSet = -1;  // with allSets off; -1: the newest

    void WriteDataText(CMemStream& out) override;

    // The phase curve made continuous: a jump from beyond −90° to beyond +90°
    // of the other sign between neighbours is a wrap at ±180°.
    static std::vector<double> UnwrapPhase(std::span<const double> phase);

protected:
    void DrawSignals(IChartCanvas& canvas) override;
    bool CurveValueAt(double x, double& y) override;
    std::vector<CString> MakeReadout() override;
    bool OnCommand(UINT id) override;
    void PrepareContextMenu(HMENU menu) override;

    // The sets drawn: all visible ones, or the selected one.
    std::vector<const CBodeData*> ShownSets() const;
    std::span<const double> XOf(const CBodeData& set) const { return m_omega ? set.AngularFrequency() : set.Frequency(); }
    bool ValueAt(const CBodeData& set, size_t axis, double x, double& y) const;

    IBodeDataSupplier& m_supplier;
    std::vector<CBodeData> m_sets;
    bool m_omega = false;
};

class CViewBode : public CViewBodeBase {
public:
    using CViewBodeBase::CViewBodeBase;
};

class CViewBodeBaseXY : public CChartCurZoom {
public:
    explicit CViewBodeBaseXY(IBodeDataSupplier& supplier);

    void SetsChanged();
    void AutoScale();
    void WriteDataText(CMemStream& out) override;

protected:
    void DrawSignals(IChartCanvas& canvas) override;

    IBodeDataSupplier& m_supplier;
    std::vector<CBodeData> m_sets;
};

class CViewBodeXY : public CViewBodeBaseXY {
public:
    using CViewBodeBaseXY::CViewBodeBaseXY;
};
