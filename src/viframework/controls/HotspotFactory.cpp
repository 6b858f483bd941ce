#include "viframework/controls/PanelLayout.h"

std::unique_ptr<CHotspot> CreateStandardHotspot(uint32_t typeCode)
{
    switch (typeCode) {
    default:
        return nullptr;
    }
}
