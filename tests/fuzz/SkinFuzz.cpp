// Feeds arbitrary bytes to the skin record reader. Whatever the data, reading
// must end normally or report a damaged record: no crash, no read past the
// end, no unbounded allocation. A skin that loads must also draw.
#include <cstdint>
#include <vector>

#include "NullGraphics.h"
#include "framework/Exception.h"
#include "viframework/SkinManager.h"


extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CVISkinManager skin;
    skin.LoadRecord(std::vector<uint8_t>(data, data + size));
    CNullGraphics g;
    const RectF rect{0, 0, 38, 22};
    skin.PrepareGraphics(g);
    for (uint32_t style : {0u, 2u, 3u, 9u})
        skin.DrawButton(g, rect, u"OK", style, style == 2, style == 3);
    skin.DrawCheck(g, rect, true, false, true);
    skin.DrawRadio(g, rect, false, true, true);
    skin.DrawSegment(g, rect, u"A", SegmentPosition::Middle, true, true, true, true);
    skin.DrawMenuBox(g, rect, u"1 V", true, false);
    skin.DrawUpDown(g, rect, true, true, 1);
    for (uint32_t style : {0u, 1u, 2u, 3u})
        skin.DrawPowerButtonStyled(g, {0, 0, 36, 36}, skin.m_powerAppearance, true, false, true, false, style);
    for (size_t i = 0; i < skin.LampStyleCount() && i < 4; ++i)
        skin.DrawLamp(g, {0, 0, 21, 21}, i, true);
    return 0;
}
