// The resources front panels use (bitmaps, menus, texts, custom records such
// as layouts and skins), looked up along the resource search chain: the
// resource library first, then the plug-in. The plug-in installs the Win32
// source at start-up; tests install fakes.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "framework/Types.h"
#include "viframework/controls/PanelGraphics.h"

// Custom resource types.
constexpr uint32_t kLayoutResourceType = 301;
constexpr uint32_t kSkinResourceType = 304;

// One entry of a menu's first submenu.
struct CMenuEntry {
    uint32_t id = 0;       // 0 for separators
    CString text;
    uint32_t typeFlags = 0;  // the platform's menu type bits (0x20: column break)
};

class IPanelResources {
public:
    virtual ~IPanelResources() = default;
    // A bitmap resource, decoded; none when missing or unreadable. Callers
    // may keep the image; the source may hand out the same one again.
    virtual std::shared_ptr<const CPanelImage> LoadBitmap(uint32_t id) = 0;
    // A custom resource by numeric id; none when missing.
    virtual std::optional<std::vector<uint8_t>> LoadCustom(uint32_t type, uint32_t id) = 0;
    // A custom resource by name; none when missing.
    virtual std::optional<std::vector<uint8_t>> LoadCustom(uint32_t type, const CString& name) = 0;
    // The names of a custom type in the first module of the chain that has
    // any, in the order the module lists them.
    virtual std::vector<CString> CustomNames(uint32_t type) = 0;
    // The entries of the first submenu of a menu resource; none when missing.
    virtual std::optional<std::vector<CMenuEntry>> LoadMenu(uint32_t id) = 0;
    // A string resource; empty when missing.
    virtual CString LoadText(uint32_t id) = 0;
};

// The process-wide source; without one installed every lookup finds nothing.
IPanelResources& PanelResources();
void SetPanelResources(IPanelResources* resources);

// A bitmap of the process-wide source, loaded on first use and shared by
// every control that draws it (image strips, gauge faces, switch frames).
// A missing bitmap is asked for again next time.
std::shared_ptr<const CPanelImage> SharedBitmap(uint32_t id);
// Forgets the shared bitmaps (a new resource source was installed).
void ClearSharedBitmaps();
