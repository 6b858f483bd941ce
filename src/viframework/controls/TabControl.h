// CHotTabControl: a strip of tabs of equal width; pressing a tab other than
// the selected one selects it and sends the window id + tab index.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "framework/Object.h"
#include "viframework/controls/Hotspot.h"

// One tab; stored as an archived object (schema 1, versionable).
class CHotTabItem : public CObject {
    DECLARE_SERIAL(CHotTabItem)
public:
    CHotTabItem() = default;
    CHotTabItem(CString text, uint32_t data, bool enabled)
        : m_text(std::move(text)), m_data(data), m_enabled(enabled ? 1 : 0)
    {
    }
    void Serialize(CArchive& ar) override;

    CString m_text;
    uint32_t m_data = 0;  // the instrument's own value for the tab
    uint8_t m_enabled = 1;
};

class CHotTabControl : public CHotspot {
public:
    static constexpr uint32_t kTypeCode = kHotTabControl;

    CHotTabControl();

    void Serialize(CArchive& ar) override;
    void PlaceAt(int32_t x, int32_t y) override;
    void SetHover(bool on, CPoint point) override;
    // Follows the pointer over the tabs; true when the hovered tab changed.
    bool OnMouseMove(CPoint point) override;
    // True when a command was sent.
    bool OnPress(IHotspotHost& host) override;
    void Draw(IPanelGraphics& graphics, CVISkinManager& skin) override;

    void AddItem(const CString& text, uint32_t data = 0, bool enabled = true);
    void ClearItems();
    // True when the selection changed; -1 selects none.
    bool Select(int32_t index);
    // True when the tab's state changed.
    bool EnableItem(size_t index, bool enabled);

    // The tab under a point, or -1.
    int32_t TabAt(CPoint point) const;
    int32_t Selected() const { return m_selected; }
    int32_t HoverTab() const { return m_hoverTab; }
    const std::vector<std::unique_ptr<CHotTabItem>>& Items() const { return m_items; }

private:
    int32_t TabWidth() const;

    std::vector<std::unique_ptr<CHotTabItem>> m_items;
    int32_t m_selected = -1;
    int32_t m_hoverTab = -1;
};
