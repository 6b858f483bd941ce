#include "viframework/controls/PanelResources.h"

namespace {

class CNoPanelResources : public IPanelResources {
public:
    std::shared_ptr<const CPanelImage> LoadBitmap(uint32_t) override { return nullptr; }
    std::optional<std::vector<uint8_t>> LoadCustom(uint32_t, uint32_t) override { return std::nullopt; }
    std::optional<std::vector<uint8_t>> LoadCustom(uint32_t, const CString&) override { return std::nullopt; }
    std::vector<CString> CustomNames(uint32_t) override { return {}; }
    std::optional<std::vector<CMenuEntry>> LoadMenu(uint32_t) override { return std::nullopt; }
    CString LoadText(uint32_t) override { return {}; }
};

CNoPanelResources g_none;
IPanelResources* g_resources = &g_none;

}  // namespace

IPanelResources& PanelResources()
{
    return *g_resources;
}

void SetPanelResources(IPanelResources* resources)
{
    g_resources = resources ? resources : &g_none;
}

FontRecord MakeFont(const char16_t* face, int32_t height, int32_t weight)
{
    FontRecord font;
    font.faceName = face;
    font.height = height;
    font.weight = weight;
    return font;
}
