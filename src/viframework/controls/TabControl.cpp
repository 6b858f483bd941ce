#include "viframework/controls/TabControl.h"

#include "viframework/SkinManager.h"

IMPLEMENT_SERIAL(CHotTabItem, CObject, 1 | VERSIONABLE_SCHEMA)

void CHotTabItem::Serialize(CArchive& ar)
{
    if (ar.IsStoring())
        ar << m_text << m_data << m_enabled;
    else
        ar >> m_text >> m_data >> m_enabled;
}

CHotTabControl::CHotTabControl()
{
    m_typeCode = kTypeCode;
    m_id = 10;
    m_flags = kHotTrackMovement | kHotDefaultCursor | kHotVisible;
}

void CHotTabControl::Serialize(CArchive& ar)
{
    CHotspot::Serialize(ar);
    if (ar.IsStoring()) {
        ar << uint32_t(1);
    } else {
        uint32_t version = 0;
        ar >> version;
    }
    SerializeArray(ar, m_items);
    if (ar.IsLoading()) {
        m_selected = -1;
        m_hoverTab = -1;
    }
}

void CHotTabControl::PlaceAt(int32_t x, int32_t y)
{
    m_rect = {x, y, x + 200, y + 22};
}

int32_t CHotTabControl::TabWidth() const
{
    return m_items.empty() ? 0 : m_rect.Width() / int32_t(m_items.size());
}

int32_t CHotTabControl::TabAt(CPoint point) const
{
    const int32_t width = TabWidth();
    if (width <= 0 || !m_rect.Contains(point))
        return -1;
    const int32_t tab = (point.x - m_rect.left) / width;
    return tab < int32_t(m_items.size()) ? tab : -1;
}

void CHotTabControl::SetHover(bool on, CPoint point)
{
    CHotspot::SetHover(on, point);
    m_hoverTab = on ? TabAt(point) : -1;
}

bool CHotTabControl::OnMouseMove(CPoint point)
{
    const int32_t tab = TabAt(point);
    if (tab == m_hoverTab)
        return false;
    m_hoverTab = tab;
    return true;
}

bool CHotTabControl::OnPress(IHotspotHost& host)
{
    const int32_t tab = TabAt(host.PointerPosition());
    bool sent = false;
    if (tab >= 0 && tab != m_selected && m_items[size_t(tab)]->m_enabled) {
        host.SendCommand(m_id + uint32_t(tab));
        m_selected = tab;
        sent = true;
    }
    Invalidate();
    return sent;
}

void CHotTabControl::AddItem(const CString& text, uint32_t data, bool enabled)
{
    m_items.push_back(std::make_unique<CHotTabItem>(text, data, enabled));
}

void CHotTabControl::ClearItems()
{
    m_items.clear();
    m_selected = m_hoverTab = -1;
}

bool CHotTabControl::Select(int32_t index)
{
    if (index == m_selected)
        return false;
    m_selected = index;
    return true;
}

bool CHotTabControl::EnableItem(size_t index, bool enabled)
{
    if (index >= m_items.size() || (m_items[index]->m_enabled != 0) == enabled)
        return false;
    m_items[index]->m_enabled = enabled ? 1 : 0;
    return true;
}

void CHotTabControl::Draw(IPanelGraphics& g, CVISkinManager& skin)
{
    const int32_t width = TabWidth();
    if (width <= 0)
        return;
    const int32_t count = int32_t(m_items.size());
    for (int32_t i = 0; i < count; ++i) {
        const SegmentPosition position = count == 1 ? SegmentPosition::Only
                                         : i == 0 ? SegmentPosition::First
                                         : i == count - 1 ? SegmentPosition::Last
                                                          : SegmentPosition::Middle;
        const int32_t left = m_rect.left + i * width;
        const CHotTabItem& item = *m_items[size_t(i)];
        skin.DrawSegment(g, {float(left), float(m_rect.top), float(width), float(m_rect.Height())}, item.m_text,
                         position, i == m_hoverTab, false, i == m_selected, item.m_enabled != 0);
    }
}
