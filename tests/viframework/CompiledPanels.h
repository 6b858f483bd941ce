// Panels as the build compiles them (vexares/panels), read by the real
// layout reader without a view, for checks of what each panel carries and
// where its controls lie.
#pragma once

#include <algorithm>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "framework/File.h"
#include "viframework/controls/PanelLayout.h"

// The bitmap switch's record (bitmap id, frame count, frame) for panels
// read without a view; the control kind itself is not in the standard set.
class BitmapSwitchRecord : public CHotspot {
public:
    void Serialize(CArchive& ar) override
    {
        CHotspot::Serialize(ar);
        ar >> bitmap >> frames >> frame;
    }
    uint32_t bitmap = 0;
    uint32_t frames = 0;
    uint32_t frame = 0;
};

struct CustomRecord {
    uint32_t param1;
    CRect rect;
};

// The standard kinds, the bitmap switch's record, and a note of every
// rectangle record where the window makes a control of its own.
class PanelRecordFactory : public CStandardHotspotFactory {
public:
    std::unique_ptr<CHotspot> CreateHotspot(int32_t x, int32_t y, uint32_t typeCode) override
    {
        if (typeCode == kHotBitmapKnob)
            return std::make_unique<BitmapSwitchRecord>();
        return CStandardHotspotFactory::CreateHotspot(x, y, typeCode);
    }
    std::unique_ptr<CHotspot> CreateCustomHotspot(uint32_t param1, uint32_t, const CRect& rect) override
    {
        customs.push_back({param1, rect});
        return nullptr;
    }
    std::vector<CustomRecord> customs;
};

struct LoadedPanel {
    size_t bytes = 0;
    size_t bytesRead = 0;
    PanelLoadResult result = PanelLoadResult::UnknownControl;
    CPanelLayout layout;
    CHotspotArray controls;
    std::vector<CustomRecord> customs;
};

inline std::unique_ptr<LoadedPanel> LoadCompiledPanel(uint32_t id)
{
    auto panel = std::make_unique<LoadedPanel>();
    std::ifstream in(std::string(VEXA_COMPILED_RESOURCES "/") + std::to_string(id) + ".bin", std::ios::binary);
    const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    panel->bytes = bytes.size();
    if (bytes.empty())
        return panel;
    CMemFile file(bytes.data(), bytes.size());
    CArchive ar(&file, CArchive::load);
    PanelRecordFactory factory;
    ReadLayoutHeader(ar, panel->layout);
    panel->result = ReadPanel(ar, panel->layout, panel->controls, factory);
    panel->bytesRead = size_t(file.GetPosition());
    panel->customs = factory.customs;
    return panel;
}

inline bool Overlap(const CRect& a, const CRect& b)
{
    return std::max(a.left, b.left) < std::min(a.right, b.right) &&
           std::max(a.top, b.top) < std::min(a.bottom, b.bottom);
}

inline std::string Describe(uint32_t type, uint32_t id, const CRect& r)
{
    return std::to_string(type) + "/" + (id == kNoHotspotId ? std::string("-") : std::to_string(id)) + " at " +
           std::to_string(r.left) + "," + std::to_string(r.top) + "-" + std::to_string(r.right) + "," +
           std::to_string(r.bottom);
}

// What takes room on a panel: its visible controls and its rectangle records.
struct PlacedControl {
    std::string name;
    CRect rect;
    uint32_t param1;  // of a rectangle record, else 0
};

inline std::vector<PlacedControl> PlacedControls(const LoadedPanel& panel)
{
    std::vector<PlacedControl> placed;
    for (const auto& c : panel.controls)
        if (c->IsVisible())
            placed.push_back({Describe(c->m_typeCode, c->m_id, c->m_rect), c->m_rect, 0});
    for (const CustomRecord& c : panel.customs)
        placed.push_back({"rectangle " + Describe(kHotRectangle, c.param1, c.rect), c.rect, c.param1});
    return placed;
}
