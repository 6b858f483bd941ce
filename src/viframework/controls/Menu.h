// CHotMenu: a drop-down selector. Its items come from a menu resource (or
// from the instrument); a press opens the pop-up list under the control and
// sends the window the chosen item's command.
#pragma once

#include <cstdint>
#include <vector>

#include "viframework/controls/Hotspot.h"

// The item whose command a list or a strip of count items sends (first + k),
// or -1 for any other command.
constexpr int32_t ItemOf(uint32_t id, uint32_t first, int32_t count)
{
    return id >= first && id - first < uint32_t(count) ? int32_t(id - first) : -1;
}

struct CHotMenuItem {
    uint32_t id = 0;  // the command sent when it is chosen
    CString text;
    int32_t column = 0;
    int32_t row = 0;
    bool columnBreak = false;  // the item starts a new column
};

class CHotMenu : public CHotspot {
public:
    static constexpr uint32_t kTypeCode = kHotMenu;
    static constexpr uint32_t kColumnBreak = 0x20;  // menu-bar-break type bit

    CHotMenu();

    void Serialize(CArchive& ar) override;
    // Loads the items of the stored menu resource.
    void OnLoaded() override;
    // Opens the list on a release inside; leaving the control while the
    // button is down cancels. True when a command was sent.
    bool OnPress(IHotspotHost& host) override;
    void Draw(IPanelGraphics& graphics, CVISkinManager& skin) override;

    // Replaces the items with those of a menu resource's first submenu; a
    // column-break entry starts a new column. Returns the item count (0 when
    // the resource is missing).
    size_t LoadItems(uint32_t menuResourceId);
    // Replaces the items with the parts of a ';'-separated list in one
    // column, sending firstCommand, firstCommand + 1, ...
    size_t SetItems(const CString& list, uint32_t firstCommand);
    void AddItem(uint32_t id, const CString& text, bool columnBreak = false);
    void ClearItems() { m_items.clear(); }

    // True when the selection changed.
    bool SetSelection(int32_t index);
    int32_t Selection() const { return m_selection; }
    // The selected item's text; empty when the selection is outside the items.
    CString Text() const;
    const std::vector<CHotMenuItem>& Items() const { return m_items; }
    uint32_t MenuResourceId() const { return m_menuResourceId; }
    bool IsPressed() const { return m_pressed; }

private:
    uint32_t m_menuResourceId = 0;
    int32_t m_selection = 0;
    std::vector<CHotMenuItem> m_items;
    bool m_pressed = false;
};
