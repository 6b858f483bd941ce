#include "viframework/controls/PanelLayout.h"

#include "framework/File.h"

void ReadLayoutHeader(CArchive& ar, CPanelLayout& layout)
{
    ar >> layout.leading;
    for (uint32_t& mask : layout.resourceRecord)
        ar >> mask;
}

PanelLoadResult ReadPanel(CArchive& ar, CPanelLayout& layout, CHotspotArray& hotspots, IHotspotFactory& factory)
{
    if (!ar.IsLoading())
        throw CArchiveException(CArchiveException::writeOnly);
    hotspots.RemoveAll();
    uint32_t width = 0, height = 0;
    ar >> width >> height;
    if (width > uint32_t(kMaxPanelCoordinate) || height > uint32_t(kMaxPanelCoordinate))
        throw CArchiveException(CArchiveException::badIndex);
    layout.width = int32_t(width);
    layout.height = int32_t(height);
    ar >> layout.title;
    for (;;) {
        uint32_t code = 0;
        ar >> code;
        if (code == kHotEndOfList)
            return PanelLoadResult::Complete;
        if (code == kHotRectangle) {
            CRect rect;
            uint32_t param1 = 0, param2 = 0;
            ar >> rect.left >> rect.top >> rect.right >> rect.bottom >> param1 >> param2;
            if (auto custom = factory.CreateCustomHotspot(param1, param2, rect))
                hotspots.Add(std::move(custom));
            continue;
        }
        auto hotspot = factory.CreateHotspot(0, 0, code);
        if (!hotspot)
            return PanelLoadResult::UnknownControl;
        hotspot->m_typeCode = code;
        CHotspot* added = hotspot.get();
        hotspots.Add(std::move(hotspot));
        added->Serialize(ar);
        added->OnLoaded();
    }
}

PanelLoadResult ReadStandardLayout(const void* data, size_t size, CPanelLayout& layout, CHotspotArray& hotspots)
{
    CMemFile file(data, size);
    CArchive ar(&file, CArchive::load);
    CStandardHotspotFactory factory;
    ReadLayoutHeader(ar, layout);
    return ReadPanel(ar, layout, hotspots, factory);
}
