#include "interface/usb/VexaUsb.h"

bool CVexaUsb::ResetDevice()
{
    const bool reset = CStreamUSB::ResetDevice();
    // The interface's firmware starts well after the device reappears.
    UsbBusyScope busy(Layer());
    Layer().Pause(kFirmwareStartPause);
    return reset;
}

CString CVexaUsb::GetDeviceName()
{
    return u"Brennick Vexa Interface";
}
