// A strip of buttons in one control: either one item selected at a time or
// each item toggling on its own. Clicks send the window id + item index.
#pragma once

#include <cstdint>
#include <vector>

#include "viframework/controls/Hotspot.h"

struct CHotButtonItem {
    CString text;
    uint8_t enabled = 1;
    uint8_t selected = 0;
};

class CHotButtonGroup : public CHotspot {
public:
    static constexpr uint32_t kTypeCode = kHotButtonGroup;
    static constexpr uint32_t kVersion = 1;

    CHotButtonGroup();

    void Serialize(CArchive& ar) override;
    void Draw(IPanelGraphics& graphics, CVISkinManager& skin) override;
    // Over an item of the strip; false without items.
    bool HitTest(CPoint point) const override;
    void SetHover(bool on, CPoint point) override;
    bool OnMouseMove(CPoint point) override;
    // A press on an enabled item, released inside it, selects (exclusive
    // mode) or flips (toggle mode) it and sends id + index to the window.
    bool OnPress(IHotspotHost& host) override;
    void PlaceAt(int32_t x, int32_t y) override;

    void AddItem(const CString& text, bool enabled = true, bool selected = false);
    void ClearItems();
    // Makes the item the only selected one (none for an index outside the items).
    void Select(int index);
    void EnableItem(size_t index, bool enabled);
    void SelectItem(size_t index, bool selected);

    // The length of one item along the strip; 0 without items.
    int32_t ItemExtent() const;
    // The rectangle of item i, spacing taken off both ends.
    CRect ItemRect(size_t index) const;
    // The item under the point, or -1.
    int ItemAt(CPoint point) const;

    std::vector<CHotButtonItem> m_items;
    int m_hoverItem = -1;
    uint8_t m_toggleMode = 0;
    uint8_t m_horizontal = 1;
    uint32_t m_spacing = 0;

private:
    int m_pressedItem = -1;
};
