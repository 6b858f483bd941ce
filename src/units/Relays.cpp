#include "units/Relays.h"

IMPLEMENT_DYNAMIC(CRelays, CVexaDevice)

void CRelays::SetState(uint8_t state)
{
    m_changes.Set(m_state, state, 0xFFFF);
}

bool CRelays::Flush()
{
    if (m_changes.TakeChanged() == 0)
        return false;
    m_stream->BeginBlock();
    m_stream->WriteByte(kCommand);
    m_stream->WriteByte(m_state);
    m_stream->EndBlock();
    m_stream->CheckAck();
    return true;
}

void CRelays::Serialize(CArchive& ar)
{
    if (ar.IsStoring()) {
        ar << uint32_t{1} << m_state;
        return;
    }
    uint32_t version;
    ar >> version >> m_state;
    m_changes.MarkChanged(0xFFFF);
}
