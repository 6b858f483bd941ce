// CVexaUsb: the USB stream of the Vexa trainer interface, which restarts
// more slowly than the plain device after a reset.
#pragma once

#include "interface/usb/StreamUSB.h"

class CVexaUsb : public CStreamUSB {
public:
    static constexpr uint16_t kProductId = 0x930C;
    static constexpr uint32_t kFirmwareStartPause = 10000;  // ms after the device's own restart pause

    explicit CVexaUsb(std::unique_ptr<IUsbDeviceLayer> layer) : CStreamUSB(std::move(layer)) {}

    bool ResetDevice() override;

    CString GetDeviceName() override;
    uint16_t GetProductId() override { return kProductId; }
};
