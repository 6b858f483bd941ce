#include "interface/Interface.h"

#include "framework/CmdTarget.h"

namespace {
constexpr uint32_t kFirstVariantCommand = 10200;
constexpr uint32_t kLastVariantCommand = 10209;
}

bool CInterface::OnCmdMsg(uint32_t id, int code, void* extra, void* handlerInfo)
{
    if (code == CN_UPDATE_COMMAND_UI && extra != nullptr) {
        auto* ui = static_cast<CCmdUI*>(extra);
        if (id == kRelaysInstrumentId) {
            ui->Enable(!HostRelayControl());
            return true;
        }
        if (id >= kFirstVariantCommand && id <= kLastVariantCommand) {
            ui->Enable(!(IsConnected() && VariantLevel() < 2));
            return true;
        }
        return false;
    }
    if (code != CN_COMMAND)
        return false;
    if (id >= kFirstInstrumentCommand && id <= kLastInstrumentCommand) {
        OpenInstrument(id, -1, -1);
        return true;
    }
    if (id == kReconnectCommand) {
        Reconnect();
        return true;
    }
    return CVexaface::OnCmdMsg(id, code, extra, handlerInfo);
}

CVIEventSink* CInterface::OpenInstrument(uint32_t id, int x, int y)
{
    if (id == kRelaysInstrumentId && HostRelayControl())
        return nullptr;
    // Every id is single-instance: an open one comes to the front instead.
    if (CVIEventSink* open = m_events.FindSink(id)) {
        open->ShowInstrument(true);
        return nullptr;
    }
    return nullptr;
}

bool CInterface::Reconnect()
{
    Disconnect();
    ReleaseTransport();
    const int result = Connect(true, false, true);
    if (result == kConnectCancelled)
        return false;
    return AttachUnits();
}
