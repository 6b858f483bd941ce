#include "viframework/controls/HotButtonGroup.h"

#include "viframework/SkinManager.h"

CHotButtonGroup::CHotButtonGroup()
{
    m_typeCode = kTypeCode;
    m_flags = kHotVisible | kHotDefaultCursor | kHotTrackMovement;
}

void CHotButtonGroup::Serialize(CArchive& ar)
{
    CHotspot::Serialize(ar);
    if (ar.IsStoring()) {
        ar << kVersion << m_toggleMode << m_horizontal << m_spacing << uint32_t(m_items.size());
        for (const CHotButtonItem& item : m_items)
            ar << item.text << item.enabled << item.selected;
        return;
    }
    uint32_t version = 0;
    uint32_t count = 0;
    ar >> version >> m_toggleMode >> m_horizontal >> m_spacing >> count;
    // Items are added as they arrive, so a damaged count cannot reserve memory.
    m_items.clear();
    m_hoverItem = -1;
    for (uint32_t i = 0; i < count; ++i) {
        CHotButtonItem item;
        ar >> item.text >> item.enabled >> item.selected;
        m_items.push_back(std::move(item));
    }
}

void CHotButtonGroup::PlaceAt(int32_t x, int32_t y)
{
    m_rect = {x, y, x + 200, y + 23};
}

void CHotButtonGroup::AddItem(const CString& text, bool enabled, bool selected)
{
    m_items.push_back({text, uint8_t(enabled ? 1 : 0), uint8_t(selected ? 1 : 0)});
}

void CHotButtonGroup::ClearItems()
{
    m_items.clear();
    m_hoverItem = -1;
}

void CHotButtonGroup::Select(int index)
{
    for (size_t i = 0; i < m_items.size(); ++i)
        m_items[i].selected = int(i) == index ? 1 : 0;
}

void CHotButtonGroup::EnableItem(size_t index, bool enabled)
{
    if (index < m_items.size())
        m_items[index].enabled = enabled ? 1 : 0;
}

void CHotButtonGroup::SelectItem(size_t index, bool selected)
{
    if (index < m_items.size())
        m_items[index].selected = selected ? 1 : 0;
}

int32_t CHotButtonGroup::ItemExtent() const
{
    if (m_items.empty())
        return 0;
    const int32_t length = m_horizontal ? m_rect.Width() : m_rect.Height();
    return length / int32_t(m_items.size());
}

CRect CHotButtonGroup::ItemRect(size_t index) const
{
    const int32_t extent = ItemExtent();
    // A spacing wider than any panel only comes from a damaged layout.
    const int32_t spacing = int32_t(std::min<uint32_t>(m_spacing, uint32_t(kMaxPanelCoordinate)));
    CRect item = m_rect;
    if (m_horizontal) {
        item.left = m_rect.left + extent * int32_t(index) + spacing;
        item.right = item.left + extent - 2 * spacing;
    } else {
        item.top = m_rect.top + extent * int32_t(index) + spacing;
        item.bottom = item.top + extent - 2 * spacing;
    }
    return item;
}

int CHotButtonGroup::ItemAt(CPoint point) const
{
    const int32_t extent = ItemExtent();
    if (extent <= 0 || !m_rect.Contains(point))
        return -1;
    const int32_t offset = m_horizontal ? point.x - m_rect.left : point.y - m_rect.top;
    const int32_t index = offset / extent;
    return index < int32_t(m_items.size()) ? int(index) : -1;
}

bool CHotButtonGroup::HitTest(CPoint point) const
{
    return CHotspot::HitTest(point) && ItemAt(point) >= 0;
}

void CHotButtonGroup::SetHover(bool on, CPoint point)
{
    m_hover = on;
    const int item = on ? ItemAt(point) : -1;
    if (item != m_hoverItem) {
        m_hoverItem = item;
        Invalidate();
    }
}

bool CHotButtonGroup::OnMouseMove(CPoint point)
{
    const int item = ItemAt(point);
    if (item == m_hoverItem)
        return false;
    m_hoverItem = item;
    Invalidate();
    return true;
}

bool CHotButtonGroup::OnPress(IHotspotHost& host)
{
    const int index = ItemAt(host.PointerPosition());
    if (index < 0 || !m_items[size_t(index)].enabled)
        return false;
    m_pressedItem = index;
    m_hoverItem = index;
    Invalidate();
    host.CaptureMouse();
    const bool inside = TrackPress(host, ItemRect(size_t(index)), [&](bool now) {
        m_pressedItem = now ? index : -1;
        Invalidate();
    });
    m_pressedItem = -1;
    host.ReleaseMouse();
    if (inside) {
        CHotButtonItem& item = m_items[size_t(index)];
        // In exclusive mode a click on the selected item changes nothing to report.
        const bool changes = m_toggleMode || !item.selected;
        if (m_toggleMode)
            item.selected = item.selected ? 0 : 1;
        else
            Select(index);
        if (changes)
            host.SendCommand(m_id + uint32_t(index));
    } else {
        m_hoverItem = -1;
    }
    Invalidate();
    return inside;
}

void CHotButtonGroup::Draw(IPanelGraphics& graphics, CVISkinManager& skin)
{
    const size_t count = m_items.size();
    for (size_t i = 0; i < count; ++i) {
        SegmentPosition position = SegmentPosition::Only;
        if (m_spacing == 0 && count > 1)
            position = i == 0 ? SegmentPosition::First : i + 1 == count ? SegmentPosition::Last : SegmentPosition::Middle;
        const CHotButtonItem& item = m_items[i];
        skin.DrawSegment(graphics, RectF::From(ItemRect(i)), item.text, position, int(i) == m_hoverItem,
                         int(i) == m_pressedItem, item.selected != 0, item.enabled != 0);
    }
}
