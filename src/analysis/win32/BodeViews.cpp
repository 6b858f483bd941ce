#include "analysis/win32/BodeViews.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "charts/ChartCommands.h"
#include "charts/ChartCurve.h"
#include "charts/Engineering.h"
#include "viframework/controls/PanelResources.h"

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr ChartPen kGridPen{ChartPen::dot, 0, 0, 0xA0A0A0};

struct AxisRow {
    double minimum, maximum;
    uint32_t colour;
    bool shown, logarithmic;
};
// Axes 0 and 1 have no quantity of their own yet; they stay hidden.
constexpr AxisRow kAxes[5] = {
    {1, 1000, 0x000000, false, true},   {1, 1000, 0x000000, false, true}, {0.01, 10, 0x0000FF, false, true},
    {-20, 10, 0xFF0000, true, false},   {-180, 180, 0x008000, true, false},
};
const char16_t* const kFallbackNames[5] = {u"Axis 0", u"Axis 1", u"Gain", u"Gain in dB", u"Phase"};
const char16_t* const kFallbackUnits[5] = {u"#", u"#", u"|F|", u"|F|/dB", u"\u03C6/\u00B0"};

CString Text(uint32_t id, const char16_t* fallback)
{
    CString text = PanelResources().LoadText(id);
    return text.empty() ? CString(fallback) : text;
}

CString WithoutHashes(CString text)
{
    text.erase(std::remove(text.begin(), text.end(), u'#'), text.end());
    return text;
}

// "%.*lf %c%s": three significant digits with an SI prefix.
CString ReadoutText(double value, std::u16string_view unit, bool prefix)
{
    if (!std::isfinite(value))
        return u"---";
    if (!prefix) {
        char text[64];
        snprintf(text, sizeof text, "%.*lf", 2, value);
        return Utf8ToString(text) + (unit.empty() ? CString() : u" " + CString(unit));
    }
    return FormatEngineering(value, unit);
}

// Copies of every set the supplier holds, oldest first.
std::vector<CBodeData> CopySets(const IBodeDataSupplier& supplier)
{
    std::vector<CBodeData> sets;
    for (int32_t i = 0; i < supplier.SetCount(); ++i)
        if (auto set = supplier.GetSet(i))
            sets.push_back(std::move(*set));
    return sets;
}

void SetToggle(HMENU menu, UINT id, bool on)
{
    CheckMenuItem(menu, id, MF_BYCOMMAND | (on ? MF_CHECKED : MF_UNCHECKED));
}

}  // namespace

// ---------------------------------------------------------------- CViewBodeBase

CViewBodeBase::CViewBodeBase(IBodeDataSupplier& supplier) : m_supplier(supplier)
{
    CChartModel& m = Model();
    m.contextMenus[CChartSurface::firstAxisMenu] = IDM_BODE_AXIS;
    m.contextMenus[CChartSurface::secondAxisMenu] = IDM_BODE_AXIS;
    m.contextMenus[CChartSurface::plotMenu] = IDM_BODE_PLOT;
    m.horizontalGridPen = m.verticalGridPen = kGridPen;
    m.exportSettings.AddTextFormat();
    m.signals.resize(3);
    m.signals[0].name = u"|F|\nGain";
    m.signals[0].pen = {ChartPen::solid, 2, 0, kAxes[kGainAxis].colour};
    m.signals[1].name = u"|F|/dB\nGain in dB";
    m.signals[1].pen = {ChartPen::solid, 2, 0, kAxes[kGainDbAxis].colour};
    m.signals[2].name = u"\u03C6\nPhase";
    m.signals[2].pen = {ChartPen::solid, 2, 0, kAxes[kPhaseAxis].colour};
    m.Horizontal().SetFlags(m.Horizontal().Flags() | kAxisLogarithmic);
    m.Horizontal().SetUnitText(Text(kBodeFrequencyUnit, u"f/#Hz"));
    m.Horizontal().SetRange(10, 100000, 10);
    m.VerticalAxes().clear();
    for (size_t i = 0; i < 5; ++i) {
        auto axis = std::make_unique<CAxis>(false);
        const AxisRow& row = kAxes[i];
        if (row.logarithmic)
            axis->SetFlags(axis->Flags() | kAxisLogarithmic);
        axis->name = Text(kBodeAxisNames + uint32_t(i), kFallbackNames[i]);
        axis->SetUnitText(Text(kBodeAxisUnits + uint32_t(i), kFallbackUnits[i]));
        axis->SetRange(row.minimum, row.maximum, 10);
        axis->visible = row.shown;
        axis->labelColourReserved = row.colour;
        m.VerticalAxes().push_back(std::move(axis));
    }
    noSlope = true;
}

void CViewBodeBase::SetsChanged()
{
    m_sets = CopySets(m_supplier);
    UpdateReadout();
    Refresh();
}

std::vector<const CBodeData*> CViewBodeBase::ShownSets() const
{
    std::vector<const CBodeData*> shown;
    if (!allSets) {
        const int32_t i = selectedSet < 0 ? int32_t(m_sets.size()) - 1 : selectedSet;
        if (i >= 0 && i < int32_t(m_sets.size()))
            shown.push_back(&m_sets[size_t(i)]);
        return shown;
    }
    for (const CBodeData& set : m_sets)
        if (set.Visible())
            shown.push_back(&set);
    return shown;
}

void CViewBodeBase::AutoScale()
{
    double gainLow = std::numeric_limits<double>::infinity(), gainHigh = -gainLow;
    double phaseLow = gainLow, phaseHigh = -gainLow;
    for (const CBodeData& set : m_sets) {
        for (double g : set.Gain())
            if (g > 0 && std::isfinite(g)) {
                gainLow = std::min(gainLow, g);
                gainHigh = std::max(gainHigh, g);
            }
        const std::vector<double> phase = unwrap ? UnwrapPhase(set.Phase()) : std::vector<double>(set.Phase().begin(), set.Phase().end());
        for (double p : phase) {
            phaseLow = std::min(phaseLow, p);
            phaseHigh = std::max(phaseHigh, p);
        }
    }
    if (!(gainHigh >= gainLow))
        return;
    CChartModel& m = Model();
    m.Vertical(kGainAxis).SetRange(gainLow, gainHigh, 10);
    m.Vertical(kGainDbAxis).SetRange(20 * std::log10(gainLow), 20 * std::log10(gainHigh), 10);
    if (phaseHigh >= phaseLow)
        m.Vertical(kPhaseAxis).SetRange(phaseLow, phaseHigh, 10);
    Refresh();
}

void CViewBodeBase::SetFrequencyRange(double f1, double f2)
{
    const double scale = m_omega ? 2 * kPi : 1.0;
    if (f1 > 0 && f2 > f1)
        Model().Horizontal().SetRange(f1 * scale, f2 * scale, 10);
    Refresh();
}

void CViewBodeBase::SetOmega(bool on)
{
    if (on == m_omega)
        return;
    CAxis& x = Model().Horizontal();
    const double scale = on ? 2 * kPi : 1 / (2 * kPi);
    const AxisRange range = x.RangeSet();
    m_omega = on;
    x.SetUnitText(Text(on ? kBodeOmegaUnit : kBodeFrequencyUnit, on ? u"\u03C9/(#1/s)" : u"f/#Hz"));
    x.SetRange(range.minimum * scale, range.maximum * scale, 10);
    UpdateReadout();
    Refresh();
}

void CViewBodeBase::SetAxisShown(size_t axis, bool shown)
{
    if (axis >= Model().VerticalAxes().size())
        return;
    Model().Vertical(axis).visible = shown;
    UpdateReadout();
    Refresh();
}

bool CViewBodeBase::AxisShown(size_t axis) const
{
    const CAxisArray& axes = Model().VerticalAxes();
    return axis < axes.size() && axes[axis]->visible;
}

std::vector<double> CViewBodeBase::UnwrapPhase(std::span<const double> phase)
{
    std::vector<double> out(phase.begin(), phase.end());
    double turn = 0;
    for (size_t i = 1; i < phase.size(); ++i) {
        if (phase[i - 1] < -90 && phase[i] > 90)
            turn -= 360;
        else if (phase[i - 1] > 90 && phase[i] < -90)
            turn += 360;
        out[i] = phase[i] + turn;
    }
    return out;
}

void CViewBodeBase::DrawSignals(IChartCanvas& canvas)
{
    CChartModel& m = Model();
    for (const CBodeData* set : ShownSets()) {
        const std::span<const double> x = XOf(*set);
        const size_t n = x.size();
        if (AxisShown(kGainAxis) && m.signals[0].visible)
            DrawCurve(canvas, m.Horizontal(), m.Vertical(kGainAxis), x.data(), set->Gain().data(), n, m.signals[0].pen);
        if (AxisShown(kGainDbAxis) && m.signals[1].visible)
            DrawCurve(canvas, m.Horizontal(), m.Vertical(kGainDbAxis), x.data(), set->GainDb().data(), n,
                      m.signals[1].pen);
        if (AxisShown(kPhaseAxis) && m.signals[2].visible) {
            const std::vector<double> phase = unwrap ? UnwrapPhase(set->Phase())
                                                     : std::vector<double>(set->Phase().begin(), set->Phase().end());
            DrawCurve(canvas, m.Horizontal(), m.Vertical(kPhaseAxis), x.data(), phase.data(), n, m.signals[2].pen);
        }
    }
}

bool CViewBodeBase::ValueAt(const CBodeData& set, size_t axis, double x, double& y) const
{
    switch (axis) {
    case kGainAxis: return ::CurveValueAt(XOf(set), set.Gain(), x, y);
    case kGainDbAxis: return ::CurveValueAt(XOf(set), set.GainDb(), x, y);
    case kPhaseAxis: {
        const std::vector<double> phase = unwrap ? UnwrapPhase(set.Phase())
                                                 : std::vector<double>(set.Phase().begin(), set.Phase().end());
        return ::CurveValueAt(XOf(set), phase, x, y);
    }
    default: return false;
    }
}

bool CViewBodeBase::CurveValueAt(double x, double& y)
{
    // The cursors ride on the newest shown set, on the first axis shown.
    const std::vector<const CBodeData*> shown = ShownSets();
    for (size_t axis = 0; axis < Model().VerticalAxes().size(); ++axis)
        if (AxisShown(axis))
            return !shown.empty() && ValueAt(*shown.back(), axis, x, y);
    return false;
}

std::vector<CString> CViewBodeBase::MakeReadout()
{
    const CursorPair& c = Cursors();
    std::vector<CString> table;
    auto add = [&table](const char16_t* label, CString value) {
        table.emplace_back(label);
        table.push_back(std::move(value));
    };
    if (m_omega) {
        add(u"\u03C91/(1/s)", ReadoutText(c.x1, u"", true));
        add(u"\u03C92/(1/s)", ReadoutText(c.x2, u"", true));
        add(u"\u0394\u03C9/(1/s)", ReadoutText(c.x2 - c.x1, u"", true));
    } else {
        add(u"f1", ReadoutText(c.x1, u"Hz", true));
        add(u"f2", ReadoutText(c.x2, u"Hz", true));
        add(u"\u0394f", ReadoutText(c.x2 - c.x1, u"Hz", true));
    }
    const std::vector<const CBodeData*> shown = ShownSets();
    if (shown.empty())
        return table;
    const CBodeData& set = *shown.back();
    auto triple = [&](size_t axis, const char16_t* l1, const char16_t* l2, const char16_t* ld) {
        double y1 = 0, y2 = 0;
        const bool on = ValueAt(set, axis, c.x1, y1) && ValueAt(set, axis, c.x2, y2);
        const double nan = std::numeric_limits<double>::quiet_NaN();
        add(l1, ReadoutText(on ? y1 : nan, u"", false));
        add(l2, ReadoutText(on ? y2 : nan, u"", false));
        add(ld, ReadoutText(on ? y2 - y1 : nan, u"", false));
    };
    if (AxisShown(kGainDbAxis))
        triple(kGainDbAxis, u"|F1|/dB", u"|F2|/dB", u"\u0394|F|/dB");
    else if (AxisShown(kGainAxis))
        triple(kGainAxis, u"|F1|", u"|F2|", u"\u0394|F|");
    if (AxisShown(kPhaseAxis))
        triple(kPhaseAxis, u"\u03C61/\u00B0", u"\u03C62/\u00B0", u"\u0394\u03C6/\u00B0");
    return table;
}

bool CViewBodeBase::OnCommand(UINT id)
{
    switch (id) {
    case ID_BODE_FREQUENCY: SetOmega(false); return true;
    case ID_BODE_OMEGA: SetOmega(true); return true;
    case ID_BODE_GAIN: SetAxisShown(kGainAxis, !AxisShown(kGainAxis)); return true;
    case ID_BODE_GAIN_DB: SetAxisShown(kGainDbAxis, !AxisShown(kGainDbAxis)); return true;
    case ID_BODE_PHASE: SetAxisShown(kPhaseAxis, !AxisShown(kPhaseAxis)); return true;
    case ID_BODE_UNWRAP:
        unwrap = !unwrap;
        UpdateReadout();
        Refresh();
        return true;
    case ID_BODE_ALL_SETS:
        allSets = !allSets;
        UpdateReadout();
        Refresh();
        return true;
    case ID_BODE_AUTOSCALE: AutoScale(); return true;
    case ID_BODE_DELETE_SET:
    case ID_BODE_DELETE_ALL:
        // The frame owns the sets and tells every view.
        if (HWND frame = GetAncestor(m_hWnd, GA_ROOT))
            SendMessageW(frame, WM_COMMAND, id, 0);
        return true;
    default: return CChartCurZoom::OnCommand(id);
    }
}

void CViewBodeBase::PrepareContextMenu(HMENU menu)
{
    SetToggle(menu, ID_BODE_FREQUENCY, !m_omega);
    SetToggle(menu, ID_BODE_OMEGA, m_omega);
    SetToggle(menu, ID_BODE_GAIN, AxisShown(kGainAxis));
    SetToggle(menu, ID_BODE_GAIN_DB, AxisShown(kGainDbAxis));
    SetToggle(menu, ID_BODE_PHASE, AxisShown(kPhaseAxis));
    SetToggle(menu, ID_BODE_UNWRAP, unwrap);
    SetToggle(menu, ID_BODE_ALL_SETS, allSets);
    SetToggle(menu, ID_CHART_CURSORS, CursorsShown());
    const UINT hasSets = m_sets.empty() ? MF_GRAYED : MF_ENABLED;
    EnableMenuItem(menu, ID_BODE_DELETE_SET, MF_BYCOMMAND | hasSets);
    EnableMenuItem(menu, ID_BODE_DELETE_ALL, MF_BYCOMMAND | hasSets);
}

void CViewBodeBase::WriteDataText(CMemStream& out)
{
    CChartModel& m = Model();
    CString header = WithoutHashes(m.Horizontal().unitText);
    for (size_t axis : {kGainAxis, kGainDbAxis, kPhaseAxis})
        header += u"\t" + WithoutHashes(m.Vertical(axis).unitText);
    header += u"\r\n";
    for (const CBodeData* set : ShownSets()) {
        out << header;
        const std::span<const double> x = XOf(*set);
        for (size_t i = 0; i < x.size(); ++i)
            out.Format("%lg\t%lg\t%lg\t%lg\r\n", x[i], set->Gain()[i], set->GainDb()[i], set->Phase()[i]);
    }
}

// ---------------------------------------------------------------- CViewBodeBaseXY

CViewBodeBaseXY::CViewBodeBaseXY(IBodeDataSupplier& supplier) : m_supplier(supplier)
{
    CChartModel& m = Model();
    m.horizontalGridPen = m.verticalGridPen = kGridPen;
    m.exportSettings.AddTextFormat();
    m.signals.resize(1);
    m.signals[0].name = u"F\nComplex gain";
    m.signals[0].pen = {ChartPen::solid, 2, 0, 0x800080};
    m.Horizontal().SetUnitText(u"Re");
    m.Horizontal().SetRange(-0.5, 1, 10);
    m.Vertical(0).SetUnitText(u"Im");
    m.Vertical(0).SetRange(-1, 0.5, 10);
}

void CViewBodeBaseXY::SetsChanged()
{
    m_sets = CopySets(m_supplier);
    Refresh();
}

void CViewBodeBaseXY::AutoScale()
{
    double low = 0, high = 0;
    bool any = false;
    for (const CBodeData& set : m_sets)
        for (int32_t i = 0; i < set.Count(); ++i) {
            const double g = set.Gain()[size_t(i)], p = set.Phase()[size_t(i)] * kPi / 180;
            for (double v : {g * std::cos(p), g * std::sin(p)}) {
                low = std::min(low, v);
                high = std::max(high, v);
                any = true;
            }
        }
    if (!any || !(high > low))
        return;
    // The same scale on both axes, so that a circle stays round.
    Model().Horizontal().SetRange(low, high, 10);
    Model().Vertical(0).SetRange(low, high, 10);
    Refresh();
}

void CViewBodeBaseXY::DrawSignals(IChartCanvas& canvas)
{
    CChartModel& m = Model();
    if (!m.signals[0].visible)
        return;
    for (const CBodeData& set : m_sets) {
        if (!set.Visible())
            continue;
        std::vector<double> re(size_t(set.Count())), im(size_t(set.Count()));
        for (size_t i = 0; i < re.size(); ++i) {
            const double p = set.Phase()[i] * kPi / 180;
            re[i] = set.Gain()[i] * std::cos(p);
            im[i] = set.Gain()[i] * std::sin(p);
        }
        DrawCurve(canvas, m.Horizontal(), m.Vertical(0), re.data(), im.data(), re.size(), m.signals[0].pen);
    }
}

void CViewBodeBaseXY::WriteDataText(CMemStream& out)
{
    for (const CBodeData& set : m_sets) {
        out << u"Re\tIm\r\n";
        for (int32_t i = 0; i < set.Count(); ++i) {
            const double g = set.Gain()[size_t(i)], p = set.Phase()[size_t(i)] * kPi / 180;
            out.Format("%lg\t%lg\r\n", g * std::cos(p), g * std::sin(p));
        }
    }
}
