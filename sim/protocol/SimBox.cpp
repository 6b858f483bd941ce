#include "protocol/SimBox.h"

#include "protocol/CommandTable.h"

namespace vexasim {

namespace {

constexpr const char* kProductId = "RV8810-4C";
constexpr size_t kDeviceNameBytes = 64;

} // namespace

CSimBox::CSimBox(BoxOptions options, const ISimClock& clock, CDeviceIdentity& identity)
    : model(options.dut), scope(*this), bode(*this), meter(*this), digital(*this), m_options(std::move(options)),
      m_clock(clock), m_identity(identity)
{
    for (int channel = 0; channel < 4; ++channel)
        model.SetExternal(channel, m_options.inputs[static_cast<size_t>(channel)]);
}

std::string CSimBox::Identification() const
{
    if (!m_options.identification.empty())
        return m_options.identification;
    // The plug-in reads the firmware version from character 18 on.
    return std::string(kProductId) + " Vexa FW " + std::to_string(m_options.firmware);
}

void RegisterInterfaceCommands(CCommandTable& table)
{
    table.Add(0x02, {.name = "identify", .handler = [](CSimBox& box, const uint8_t*, size_t, CReplyWriter& r) {
                         r.Text(box.Identification());
                     }});
    table.Add(0x0B, {.name = "variant", .handler = [](CSimBox& box, const uint8_t*, size_t, CReplyWriter& r) {
                         r.Byte(box.Level() == 1 ? '?' : static_cast<uint8_t>(box.Level()));
                     }});
    table.Add(0x18, {.name = "device name", .levels = kLevel3, .handler = [](CSimBox& box, const uint8_t*, size_t, CReplyWriter& r) {
                         // Up to 31 characters, so the zero always fits.
                         uint8_t name[kDeviceNameBytes] = {};
                         const CString text = box.Identity().Name();
                         for (size_t i = 0; i < text.size() && i < kDeviceNameBytes / 2 - 1; ++i) {
                             name[2 * i] = static_cast<uint8_t>(text[i]);
                             name[2 * i + 1] = static_cast<uint8_t>(text[i] >> 8);
                         }
                         r.Data(name, sizeof name);
                     }});
    table.Add(0x0E, {.name = "attach", .params = 1, .handler = [](CSimBox& box, const uint8_t* p, size_t, CReplyWriter& r) {
                         if (p[0] < 1 || p[0] > 8)
                             return r.Reject();
                         box.Attach(p[0]);
                         r.Ack();
                     }});
    table.Add(0x0F, {.name = "release", .params = 1, .handler = [](CSimBox& box, const uint8_t* p, size_t, CReplyWriter& r) {
                         if (p[0] < 1 || p[0] > 8)
                             return r.Reject();
                         box.Release(p[0]);
                         r.Ack();
                     }});
    table.Add(0x11, {.name = "release all", .handler = [](CSimBox& box, const uint8_t*, size_t, CReplyWriter&) {
                         box.ReleaseAll();
                     }});
}

} // namespace vexasim
