// The interface-level commands: identification, variant, device name, and
// attaching and releasing function units.
#pragma once

#include <cstdint>

#include "interface/StreamIO.h"

enum InterfaceCommand : uint8_t {
    kCommandIdentify = 0x02,
    kCommandVariant = 0x0B,
    kCommandAttach = 0x0E,
    kCommandRelease = 0x0F,
    kCommandReleaseAll = 0x11,
    kCommandDeviceName = 0x18,
};

// What every Vexa trainer interface's identification begins with.
inline constexpr char16_t kInterfaceName[] = u"RV8810-4C";

struct InterfaceIdentity {
    bool recognised = false;   // the identification names our interface
    CString text;              // the identification as received
    uint8_t variantLevel = 3;  // 1 to 3; only when recognised
    CString deviceName;        // only at level 3 over the network
};

// Identifies the interface. Throws CStreamException on a transport fault.
InterfaceIdentity IdentifyInterface(CStreamIO& stream);

// Attaches (0x0E) or releases (0x0F) unit n, awaiting the acknowledgement.
void SendAttachUnit(CStreamIO& stream, int unit);
void SendReleaseUnit(CStreamIO& stream, int unit);
// Releases every unit (0x11, no acknowledgement); nothing when not connected.
void SendReleaseAll(CStreamIO& stream);
