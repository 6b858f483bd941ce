#include "viframework/controls/StatusLamp.h"

#include "viframework/SkinManager.h"

CHotStatus::CHotStatus()
{
    m_typeCode = kTypeCode;
    m_flags = kHotVisible | kHotStatic;
    UpdateSize();
}

void CHotStatus::UpdateSize()
{
    uint32_t size = CHotStatusInfo().m_size;
    if (m_ownLook) {
        size = m_ownLook->m_size;
    } else {
        const CVISkinManager& skin = CVISkinManager::GetSkin();
        // A skin without the style leaves the default look's size.
        if (m_styleIndex < skin.LampStyleCount())
            size = skin.GetLampStyle(m_styleIndex).m_size;
    }
    m_naturalWidth = m_naturalHeight = int32_t(size);
}

void CHotStatus::Serialize(CArchive& ar)
{
    CHotspot::Serialize(ar);
    if (ar.IsStoring()) {
        ar << m_styleIndex << uint8_t(m_ownLook ? 1 : 0);
        if (m_ownLook)
            ar.WriteObject(m_ownLook.get());
        return;
    }
    uint8_t hasOwnLook = 0;
    ar >> m_styleIndex >> hasOwnLook;
    m_ownLook.reset();
    if (hasOwnLook)
        m_ownLook = ar.ReadObject<CHotStatusInfo>();
    UpdateSize();
}

bool CHotStatus::Reset()
{
    return SetLit(false);
}

bool CHotStatus::SetLit(bool lit)
{
    if (lit == m_lit)
        return false;
    m_lit = lit;
    return true;
}

void CHotStatus::SetOwnLook(std::unique_ptr<CHotStatusInfo> look)
{
    m_ownLook = std::move(look);
    UpdateSize();
}

void CHotStatus::SetStyle(uint32_t styleIndex)
{
    m_styleIndex = styleIndex;
    UpdateSize();
}

void CHotStatus::Draw(IPanelGraphics& g, CVISkinManager& skin)
{
    if (m_ownLook)
        DrawStatusLook(g, RectF::From(m_rect.Inflated(-1, -1)), *m_ownLook, m_lit);
    else
        skin.DrawLamp(g, RectF::From(m_rect), m_styleIndex, m_lit);
}
