// Reading a panel layout (custom resource type 301): the leading value and
// the resource record, then the panel: size, title and the control records.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "framework/Archive.h"
#include "viframework/controls/Hotspot.h"

// Makes controls for the loader; the view is one.
class IHotspotFactory {
public:
    virtual ~IHotspotFactory() = default;
    // A control of the kind with its constructor defaults, or none for a
    // code without a kind.
    virtual std::unique_ptr<CHotspot> CreateHotspot(int32_t x, int32_t y, uint32_t typeCode) = 0;
    // The control of a rectangle record (code 32850), or none to skip it.
    virtual std::unique_ptr<CHotspot> CreateCustomHotspot(uint32_t param1, uint32_t param2, const CRect& rect)
    {
        return nullptr;
    }
};

// The standard kinds by type code; none for a code without a kind.
std::unique_ptr<CHotspot> CreateStandardHotspot(uint32_t typeCode);

// A factory of the standard kinds alone, for reading layouts without a view.
class CStandardHotspotFactory : public IHotspotFactory {
public:
    std::unique_ptr<CHotspot> CreateHotspot(int32_t, int32_t, uint32_t typeCode) override
    {
        return CreateStandardHotspot(typeCode);
    }
};

// The leading value and the ten resource masks.
void ReadLayoutHeader(CArchive& ar, CPanelLayout& layout);

enum class PanelLoadResult {
    Complete,        // the end code was reached
    UnknownControl,  // a code without a kind ended loading; what was read stays
};

// Reads size, title and records into `hotspots` (emptied first). Each
// control is appended before it reads its record, so a damaged record
// leaves the controls before it in the list when the archive exception
// propagates. The loader sets each control's type code.
PanelLoadResult ReadPanel(CArchive& ar, CPanelLayout& layout, CHotspotArray& hotspots, IHotspotFactory& factory);

// A whole stored layout (header and panel) into the standard kinds, for
// reading layouts without a view. Throws as ReadPanel does.
PanelLoadResult ReadStandardLayout(const void* data, size_t size, CPanelLayout& layout, CHotspotArray& hotspots);
