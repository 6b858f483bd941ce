#include "viframework/controls/PanelLayout.h"

#include "viframework/controls/HotButton.h"
#include "viframework/controls/HotButtonGroup.h"
#include "viframework/controls/HotPowerButton.h"
#include "viframework/controls/HotToggle.h"

std::unique_ptr<CHotspot> CreateStandardHotspot(uint32_t typeCode)
{
    switch (typeCode) {
    case kHotButton: return std::make_unique<CHotButton>();
    case kHotToolButton: return std::make_unique<CHotToolButton>();
    case kHotPowerButton: return std::make_unique<CHotPowerButton>();
    case kHotCheck: return std::make_unique<CHotCheck>();
    case kHotRadio: return std::make_unique<CHotRadio>();
    case kHotHyperlink: return std::make_unique<CHotHyperlink>();
    case kHotButtonGroup: return std::make_unique<CHotButtonGroup>();
    default:
        return nullptr;
    }
}
