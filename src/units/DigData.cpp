#include "units/DigData.h"

#include "framework/Archive.h"

IMPLEMENT_SERIAL(CDigData, CObject, 1)

void CDigData::Serialize(CArchive& ar)
{
    if (ar.IsStoring())
        ar << m_outputWord << m_repeatCount;
    else
        ar >> m_outputWord >> m_repeatCount;
}
