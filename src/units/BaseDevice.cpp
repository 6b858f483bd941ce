#include "units/BaseDevice.h"

#include "interface/Vexaface.h"

IMPLEMENT_DYNAMIC(CBaseDevice, CObject)
IMPLEMENT_DYNAMIC(CVexaDevice, CBaseDevice)

bool CBaseDevice::Start()
{
    m_running = 1;
    return true;
}

void CBaseDevice::Stop()
{
    m_running = 0;
}

int CVexaDevice::VariantLevel() const
{
    return m_interface ? m_interface->VariantLevel() : 3;
}

uint16_t CVexaDevice::FirmwareVersion() const
{
    return m_interface ? m_interface->GetFirmwareVersion() : 500;
}
