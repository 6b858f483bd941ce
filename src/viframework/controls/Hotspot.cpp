#include "viframework/controls/Hotspot.h"

#include <algorithm>
#include <cstdio>

#include "viframework/SkinManager.h"
#include "viframework/controls/PanelResources.h"

void CHotspot::Serialize(CArchive& ar)
{
    if (ar.IsStoring()) {
        ar << m_rect.left << m_rect.top << m_rect.right << m_rect.bottom << m_id << m_flags;
        return;
    }
    // Read whole before it is kept: a record cut short leaves the control as
    // it was. No panel is larger than kMaxPanelCoordinate, so a damaged one
    // cannot make the controls' geometry overflow.
    CRect rect;
    uint32_t id = 0, stored = 0;
    ar >> rect.left >> rect.top >> rect.right >> rect.bottom >> id >> stored;
    for (int32_t* v : {&rect.left, &rect.top, &rect.right, &rect.bottom})
        *v = std::clamp(*v, -kMaxPanelCoordinate, kMaxPanelCoordinate);
    m_rect = rect;
    m_id = id;
    // The constructor's high half says what kind of control this is; a layout
    // only decides the low half.
    m_flags = (m_flags & 0xFFFF0000u) | (stored & 0x0000FFFFu);
}

CString CHotspot::Describe()
{
    const CString resource = PanelResources().LoadText(m_typeCode);
    CString name;
    const size_t lineBreak = resource.find(u'\n');
    if (lineBreak != CString::npos) {
        const size_t next = resource.find(u'\n', lineBreak + 1);
        name = resource.substr(lineBreak + 1, next == CString::npos ? CString::npos : next - lineBreak - 1);
    }
    char number[16];
    std::snprintf(number, sizeof number, "% 5d - ", int32_t(m_id));
    return Utf8ToString(number) + name;
}

bool CHotspot::HitTest(CPoint point) const
{
    return IsVisible() && m_rect.Contains(point);
}

void CHotspot::AutoSize()
{
    m_rect.right = m_rect.left + m_naturalWidth;
    m_rect.bottom = m_rect.top + m_naturalHeight;
}

void CHotspot::PlaceAt(int32_t x, int32_t y)
{
    m_rect = {x, y, x + 10, y + 10};
}

void CHotspot::Redraw(IPanelGraphics& graphics, CVISkinManager& skin)
{
    skin.PrepareGraphics(graphics);
    Draw(graphics, skin);
}

void CHotspot::Invalidate()
{
    if (m_notifySink)
        m_notifySink->OnHotspotInvalidate(*this);
}

// ---------------------------------------------------------------- array

bool CHotspotArray::Remove(CHotspot* hotspot)
{
    const int index = IndexOf(hotspot);
    if (index < 0)
        return false;
    m_items.erase(m_items.begin() + index);
    return true;
}

int CHotspotArray::IndexOf(const CHotspot* hotspot) const
{
    for (size_t i = 0; i < m_items.size(); ++i)
        if (m_items[i].get() == hotspot)
            return int(i);
    return -1;
}

CHotspot* CHotspotArray::FindByType(uint32_t typeCode) const
{
    for (const auto& item : m_items)
        if (item->m_typeCode == typeCode)
            return item.get();
    return nullptr;
}

CHotspot* CHotspotArray::Find(uint32_t typeCode, uint32_t id) const
{
    for (const auto& item : m_items)
        if (item->m_typeCode == typeCode && item->m_id == id)
            return item.get();
    return nullptr;
}

CHotspot* CHotspotArray::HitTest(CPoint point) const
{
    for (auto it = m_items.rbegin(); it != m_items.rend(); ++it)
        if (!(*it)->IsDisabled() && (*it)->HitTest(point))
            return it->get();
    return nullptr;
}

// ---------------------------------------------------------------- tracking

bool TrackPress(IHotspotHost& host, const CRect& area, const std::function<void(bool inside)>& onInside,
                const std::function<uint32_t()>& onIdle)
{
    bool inside = true;
    uint32_t wait = onIdle ? onIdle() : IHotspotHost::kWaitForever;
    for (;;) {
        const PointerEvent event = host.NextPointerEvent(wait);
        switch (event.kind) {
        case PointerEvent::Kind::Quit:
            return false;
        case PointerEvent::Kind::Release:
            return area.Contains(event.point);
        case PointerEvent::Kind::Move: {
            const bool now = area.Contains(event.point);
            if (now != inside) {
                inside = now;
                if (onInside)
                    onInside(inside);
            }
            break;
        }
        case PointerEvent::Kind::Timeout:
            break;
        }
        if (onIdle)
            wait = onIdle();
    }
}
