// CVexaCounter: the counter unit (unit 7). It only starts and stops counting.
// Its settings archive holds nothing but a version, and the METRAHit link
// stores itself the same way.
#pragma once

#include <atomic>
#include <cstdint>

#include "units/BaseDevice.h"

// The counter's settings archive: the version 1 and nothing else.
void SerializeVersionOnly(CArchive& ar);

class CVexaCounter : public CVexaDevice {
    DECLARE_DYNAMIC(CVexaCounter)
public:
    using CVexaDevice::CVexaDevice;

    // Bit of the counter's own change word: the enable flag changed.
    static constexpr uint32_t kEnableBit = 0x0002;

    // Sends "Y" and reads the acknowledgement.
    virtual void StartCounting();
    // Sends "Z" and reads the acknowledgement.
    virtual void StopCounting();

    // Stores the enable flag; the next Flush starts or stops counting.
    void SetEnabled(bool on);
    bool IsEnabled() const { return m_enabled != 0; }

    bool Flush() override;
    void Serialize(CArchive& ar) override { SerializeVersionOnly(ar); }

private:
    uint8_t m_enabled = 0;
    std::atomic<uint32_t> m_changeWord{0};
};
