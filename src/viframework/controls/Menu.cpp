#include "viframework/controls/Menu.h"

#include "viframework/SkinManager.h"
#include "viframework/controls/PanelResources.h"

CHotMenu::CHotMenu()
{
    m_typeCode = kTypeCode;
    m_naturalWidth = 74;
    m_naturalHeight = 21;
}

void CHotMenu::Serialize(CArchive& ar)
{
    CHotspot::Serialize(ar);
    if (ar.IsStoring())
        ar << m_menuResourceId;
    else
        ar >> m_menuResourceId;
}

void CHotMenu::OnLoaded()
{
    if (m_menuResourceId != 0)
        LoadItems(m_menuResourceId);
}

void CHotMenu::AddItem(uint32_t id, const CString& text, bool columnBreak)
{
    CHotMenuItem item{id, text, 0, 0, columnBreak};
    if (!m_items.empty()) {
        const CHotMenuItem& last = m_items.back();
        // A break on the very first item has no column to end.
        item.column = columnBreak ? last.column + 1 : last.column;
        item.row = columnBreak ? 0 : last.row + 1;
    }
    m_items.push_back(item);
}

size_t CHotMenu::LoadItems(uint32_t menuResourceId)
{
    m_menuResourceId = menuResourceId;
    m_items.clear();
    const auto entries = PanelResources().LoadMenu(menuResourceId);
    if (!entries)
        return 0;
    for (const CMenuEntry& entry : *entries)
        if (entry.id != 0 && entry.id != 0xFFFFFFFFu)
            AddItem(entry.id, entry.text, (entry.typeFlags & kColumnBreak) != 0);
    return m_items.size();
}

size_t CHotMenu::SetItems(const CString& list, uint32_t firstCommand)
{
    m_items.clear();
    size_t start = 0;
    for (uint32_t command = firstCommand;; ++command) {
        const size_t end = list.find(u';', start);
        AddItem(command, list.substr(start, end == CString::npos ? CString::npos : end - start));
        if (end == CString::npos)
            break;
        start = end + 1;
    }
    return m_items.size();
}

bool CHotMenu::SetSelection(int32_t index)
{
    if (index == m_selection)
        return false;
    m_selection = index;
    return true;
}

CString CHotMenu::Text() const
{
    if (m_selection < 0 || size_t(m_selection) >= m_items.size())
        return {};
    return m_items[size_t(m_selection)].text;
}

bool CHotMenu::OnPress(IHotspotHost& host)
{
    if (m_items.empty())
        return false;
    m_pressed = true;
    Invalidate();
    host.CaptureMouse();
    bool open = false;
    for (bool tracking = true; tracking;) {
        const PointerEvent event = host.NextPointerEvent(IHotspotHost::kWaitForever);
        switch (event.kind) {
        case PointerEvent::Kind::Move:
            tracking = m_rect.Contains(event.point);
            break;
        case PointerEvent::Kind::Release:
            open = m_rect.Contains(event.point);
            tracking = false;
            break;
        case PointerEvent::Kind::Quit:
            tracking = false;
            break;
        case PointerEvent::Kind::Timeout:
            break;
        }
    }
    host.ReleaseMouse();

    bool sent = false;
    if (open) {
        std::vector<IHotspotHost::ListEntry> entries;
        entries.reserve(m_items.size());
        for (const CHotMenuItem& item : m_items)
            entries.push_back({item.id, item.text, item.column, item.row});
        const int32_t chosen = host.ShowPopupList(entries, {m_rect.left, m_rect.bottom}, m_rect.Width());
        // The same item chosen again is still a command: the instrument decides what it means.
        if (chosen != -1) {
            host.SendCommand(uint32_t(chosen));
            sent = true;
        }
    }
    m_pressed = false;
    Invalidate();
    return sent;
}

void CHotMenu::Draw(IPanelGraphics& g, CVISkinManager& skin)
{
    skin.DrawMenuBox(g, RectF::From(m_rect), Text(), m_hover, m_pressed);
}
