// Feeds arbitrary bytes to the panel loader with every standard control
// kind, then lets what was read draw and answer hit tests. A damaged layout
// may end in an archive exception, never in a crash or a huge allocation.
#include <cstdint>
#include <vector>

#include "NullGraphics.h"
#include "framework/Exception.h"
#include "viframework/SkinManager.h"
#include "viframework/controls/PanelLayout.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CHotspotArray controls;
    CPanelLayout layout;
    try {
        ReadStandardLayout(data, size, layout, controls);
    } catch (const CException&) {
        // What was read before the damage stays and must still draw.
    }
    CVISkinManager skin;
    CNullGraphics g;
    for (const auto& control : controls) {
        control->Draw(g, skin);
        control->HitTest({control->m_rect.left, control->m_rect.top});
        control->Reset();
    }
    return 0;
}
