// Looks that both the skin and the controls hold: a status lamp's look and
// the power button's appearance record.
#pragma once

#include <array>
#include <cstdint>

#include "framework/Archive.h"
#include "framework/Object.h"
#include "viframework/controls/PanelGraphics.h"
#include "framework/Geometry.h"

// One state (lit or unlit) of a lamp.
struct LampStateLook {
    uint32_t borderWidth = 1;
    Argb borderColour = 0xFF000000u;
    Argb centreColour = 0xFFFFFFFFu;
    Argb surroundColour = 0xFF000000u;
    int32_t highlightX = 5;  // where the centre colour sits, from the left
    int32_t highlightY = 5;  // and from the top
};

// A status lamp's look; stored as an archived object (schema 1, versionable).
class CHotStatusInfo : public CObject {
    DECLARE_SERIAL(CHotStatusInfo)
public:
    CHotStatusInfo();
    void Serialize(CArchive& ar) override;

    uint32_t m_size = 21;  // natural width and height [panel units]
    LampStateLook m_lit;
    LampStateLook m_unlit;
};

class IPanelGraphics;

// Draws a lamp look inside rect: the whole ellipse filled with a radial
// gradient (centre colour at the highlight offset, surround colour at the
// edge of the ellipse inset by the border), then the inset ellipse outlined.
void DrawStatusLook(IPanelGraphics& g, const RectF& rect, const CHotStatusInfo& look, bool lit);

// The power button's appearance: 34 numbers (sizes in panel units, ARGB
// colours), kept in their stored order. The skin's drawing gives them meaning.
struct CHotPowerEnableInfo {
    static constexpr size_t kCount = 34;
    CHotPowerEnableInfo();
    void Serialize(CArchive& ar);

    std::array<uint32_t, kCount> m_values;
};
