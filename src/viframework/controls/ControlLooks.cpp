#include "viframework/controls/ControlLooks.h"

IMPLEMENT_SERIAL(CHotStatusInfo, CObject, 1 | VERSIONABLE_SCHEMA)

CHotStatusInfo::CHotStatusInfo()
{
    m_lit = {1, 0xFFFF0000u, 0xFFFFFFFFu, 0xFF0000FFu, 5, 5};
    m_unlit = {2, 0xFF000000u, 0xFF1717FFu, 0xFF000059u, 7, 7};
}

namespace {

void ExchangeState(CArchive& ar, LampStateLook& state)
{
    if (ar.IsStoring()) {
        ar << state.borderWidth << state.borderColour << state.centreColour << state.surroundColour
           << state.highlightX << state.highlightY;
    } else {
        ar >> state.borderWidth >> state.borderColour >> state.centreColour >> state.surroundColour >>
            state.highlightX >> state.highlightY;
    }
}

}  // namespace

void CHotStatusInfo::Serialize(CArchive& ar)
{
    if (ar.IsStoring()) {
        ar << m_size;
    } else {
        // Schema 1 is the only one written so far; asking clears the archive's note.
        ar.GetObjectSchema();
        ar >> m_size;
    }
    ExchangeState(ar, m_lit);
    ExchangeState(ar, m_unlit);
}

CHotPowerEnableInfo::CHotPowerEnableInfo()
    : m_values{12, 18, 1, 3, 0xFF800000u, 0xFFFF0000u, 0xFF000000u, 3, 1, 5, 0xFF8B0000u, 0xFFFFFBF0u,
               0xFFFF0000u, 7, 16, 16, 1, 3, 0xFF008000u, 0xFF008080u, 0xFF000000u, 3, 1, 5, 0xFF008000u,
               0xFFFFFBF0u, 0xFF00FF00u, 4, 1, 5, 0xFF8B0000u, 0xFFFFFBF0u, 0xFFFF0000u, 7}
{
}

void CHotPowerEnableInfo::Serialize(CArchive& ar)
{
    for (uint32_t& value : m_values) {
        if (ar.IsStoring())
            ar << value;
        else
            ar >> value;
    }
}

void DrawStatusLook(IPanelGraphics& g, const RectF& rect, const CHotStatusInfo& look, bool lit)
{
    const LampStateLook& state = lit ? look.m_lit : look.m_unlit;
    const float border = float(state.borderWidth);
    const RectF inset = rect.Inflated(-border, -border);
    const PointF highlight{rect.x + float(state.highlightX), rect.y + float(state.highlightY)};
    g.FillEllipse(Brush::Radial(inset, highlight, state.centreColour, state.surroundColour), rect);
    if (state.borderWidth > 0)
        g.DrawEllipse(Pen{state.borderColour, border}, inset);
}
