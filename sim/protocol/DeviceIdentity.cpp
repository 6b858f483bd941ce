#include "protocol/DeviceIdentity.h"

namespace vexasim {

CString CDeviceIdentity::Name() const
{
    std::lock_guard<std::mutex> g(m_lock);
    return m_name;
}

void CDeviceIdentity::SetName(CString name)
{
    std::lock_guard<std::mutex> g(m_lock);
    m_name = std::move(name);
}

uint32_t CDeviceIdentity::Address() const
{
    std::lock_guard<std::mutex> g(m_lock);
    return m_address;
}

uint32_t CDeviceIdentity::Mask() const
{
    std::lock_guard<std::mutex> g(m_lock);
    return m_mask;
}

void CDeviceIdentity::SetAddress(uint32_t address, uint32_t mask)
{
    std::lock_guard<std::mutex> g(m_lock);
    m_address = address;
    m_mask = mask;
}

void CDeviceIdentity::Identify()
{
    std::lock_guard<std::mutex> g(m_lock);
    ++m_identifies;
}

uint32_t CDeviceIdentity::IdentifyCount() const
{
    std::lock_guard<std::mutex> g(m_lock);
    return m_identifies;
}

} // namespace vexasim
