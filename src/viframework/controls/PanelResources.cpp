#include "viframework/controls/PanelResources.h"

#include <map>

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

namespace {

// Controls are drawn on the user-interface thread only.
std::map<uint32_t, std::shared_ptr<const CPanelImage>>& LoadedBitmaps()
{
    static std::map<uint32_t, std::shared_ptr<const CPanelImage>> loaded;
    return loaded;
}

}  // namespace

std::shared_ptr<const CPanelImage> SharedBitmap(uint32_t id)
{
    auto& loaded = LoadedBitmaps();
    const auto found = loaded.find(id);
    if (found != loaded.end())
        return found->second;
    auto image = PanelResources().LoadBitmap(id);
    // The resources may come later: only a found bitmap is kept.
    if (image)
        loaded[id] = image;
    return image;
}

void ClearSharedBitmaps()
{
    LoadedBitmaps().clear();
}
