#include "interface/Protocol.h"

namespace {
constexpr uint8_t kVariantUnknown = 0x3F;  // "?": the first interfaces know no variants
constexpr uint32_t kDeviceNameBytes = 64;
}

InterfaceIdentity IdentifyInterface(CStreamIO& stream)
{
    InterfaceIdentity id;
    stream.PurgeInput();
    stream.WriteByte(kCommandIdentify);
    id.text = stream.ReadText();
    if (id.text.compare(0, 9, kInterfaceName) != 0)
        return id;

    const uint8_t level = stream.QueryByte(kCommandVariant);
    // Anything outside the known levels is taken as the nearest one, so that
    // the units always work with tables they have.
    id.variantLevel = level == kVariantUnknown || level < 1 ? 1 : level > 3 ? 3 : level;

    if (id.variantLevel == 3 && stream.IsSocketStream()) {
        stream.WriteByte(kCommandDeviceName);
        uint8_t raw[kDeviceNameBytes];
        stream.Read(raw, kDeviceNameBytes);
        for (uint32_t i = 0; i + 1 < kDeviceNameBytes; i += 2) {
            const auto c = static_cast<char16_t>(raw[i] | raw[i + 1] << 8);
            if (c == 0)
                break;
            id.deviceName += c;
        }
    }
    stream.PurgeInput();
    id.recognised = true;
    return id;
}

void SendAttachUnit(CStreamIO& stream, int unit)
{
    stream.WriteByte(kCommandAttach);
    stream.WriteByte(static_cast<uint8_t>(unit));
    stream.CheckAck();
}

void SendReleaseUnit(CStreamIO& stream, int unit)
{
    stream.WriteByte(kCommandRelease);
    stream.WriteByte(static_cast<uint8_t>(unit));
    stream.CheckAck();
}

void SendReleaseAll(CStreamIO& stream)
{
    if (stream.IsConnected())
        stream.WriteByte(kCommandReleaseAll);
}
