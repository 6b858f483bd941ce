// CRelays: the relay unit. One byte switches up to eight relays (bit k: relay k).
#pragma once

#include "units/BaseDevice.h"

class CRelays : public CVexaDevice {
    DECLARE_DYNAMIC(CRelays)
public:
    using CVexaDevice::CVexaDevice;

    static constexpr uint8_t kCommand = 0x32;  // "2"

    void Serialize(CArchive& ar) override;
    // Sends the relay byte when anything is pending.
    bool Flush() override;

    uint8_t State() const { return m_state; }
    // Sets the relay byte and marks it for the next Flush.
    void SetState(uint8_t state);

private:
    uint8_t m_state = 0;
};
