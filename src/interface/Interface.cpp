#include "interface/Interface.h"

#include "framework/CmdTarget.h"
#include "framework/File.h"
#include "viframework/controls/PanelLayout.h"
#include "viframework/controls/PanelResources.h"

namespace {
constexpr uint32_t kFirstVariantCommand = 10200;
constexpr uint32_t kLastVariantCommand = 10209;
}

struct CInterface::Layout {
    std::vector<uint8_t> bytes;
    CPanelLayout header;
};

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

bool CInterface::ReadLayout(uint32_t id, Layout& layout)
{
    auto bytes = PanelResources().LoadCustom(kLayoutResourceType, id);
    if (!bytes)
        throw CResourceException();
    layout.bytes = std::move(*bytes);
    try {
        CMemFile file(layout.bytes.data(), layout.bytes.size());
        CArchive ar(&file, CArchive::load);
        ReadLayoutHeader(ar, layout.header);
    } catch (const CException&) {
        m_services.ui.ShowMessage(m_services.strings.LoadText(kTextLayoutNotLoadable), MessageIcon::Error);
        layout.bytes.clear();
        return false;
    }
    return true;
}

CVIEventSink* CInterface::MakeInstrument(uint32_t id, Layout& layout)
{
    IInstrumentFactory& factory = m_services.instruments;
    CVIEventSink* sink = factory.CreateInstrument(id, layout.header.resourceRecord);
    if (!sink)
        return nullptr;
    // The panel follows the leading value and the record.
    constexpr size_t kPanelOffset = 4 + 4 * kResourceWords;
    CMemFile file(layout.bytes.data() + kPanelOffset, layout.bytes.size() - kPanelOffset);
    CArchive panel(&file, CArchive::load);
    if (!factory.CreateInstrumentWindow(sink, panel, layout.header.resourceRecord))
        return nullptr;
    sink->m_id = id;
    return sink;
}

CVIEventSink* CInterface::CreateFromLayout(uint32_t id)
{
    Layout layout;
    try {
        if (!ReadLayout(id, layout))
            return nullptr;
    } catch (const CResourceException&) {
        return nullptr;  // the loader's second way decides what a missing layout means
    }
    return MakeInstrument(id, layout);
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
    Layout layout;
    try {
        if (!ReadLayout(id, layout))
            return nullptr;
    } catch (const CResourceException& e) {
        CString text = m_services.strings.LoadText(kTextResourceMissing);
        m_services.ui.ShowMessage(text.empty() ? Utf8ToString(e.what()) : text, MessageIcon::Error);
        return nullptr;
    }
    if (!CheckResources(layout.header.resourceRecord))
        return nullptr;
    if ((id == kDualVoltmeterId || id == kDualAmmeterId) && VariantLevel() < 3) {
        m_services.ui.ShowMessage(m_services.strings.LoadText(kTextDualMeterRefused), MessageIcon::Warning);
        return nullptr;
    }
    const bool connected = Stream() != nullptr;
    if (id >= kFirstMetraHitId && id <= kLastMetraHitId) {
        std::lock_guard<std::recursive_mutex> units(m_unitLock);
        AttachUnit(kUnitMetraHit);
    }
    const int openCount = m_events.GetCount();
    CVIEventSink* sink = MakeInstrument(id, layout);
    if (!sink)
        return nullptr;
    // The connection may be lost while the instrument makes itself ready or
    // shows itself (its first commands meet a broken box), before the loss
    // could reach it: it closes like those that were open when it went,
    // instead of staying open on no connection.
    auto closeIfLost = [&] {
        if (!connected || Stream())
            return false;
        sink->SetState(kSinkReleased);
        sink->SendToWindow(kCloseMessage, 0, 0, false);
        return true;
    };
    if (closeIfLost())
        return nullptr;
    m_services.instruments.PlaceInstrument(sink, x, y, openCount);
    sink->ShowInstrument(true);
    if (closeIfLost())
        return nullptr;
    RegisterInstrument(sink);
    return sink;
}

IUserInteraction::ConnectionInfo CInterface::DescribeConnection()
{
    using Info = IUserInteraction::ConnectionInfo;
    Info info;
    CStreamIO* stream = Stream();
    if (!stream)
        info.kind = Info::kNone;
    else if (dynamic_cast<CStreamNUL*>(stream))
        info.kind = Info::kDemonstration;
    else if (stream->IsSocketStream())
        info.kind = Info::kNetwork;
    else
        info.kind = Info::kUsb;
    if (info.kind == Info::kNetwork) {
        info.address = stream->NetworkAddress();
        info.deviceName = DeviceName();
    }
    info.identification = Identification();
    info.instrumentsOpen = Events().GetCount() > 0;
    return info;
}

bool CInterface::Reconnect()
{
    // Until the user confirms, the connection and every instrument stay as they are.
    if (!m_services.ui.ConfirmReconnect(DescribeConnection()))
        return false;
    // Disconnect releases the units and closes the stream; releasing the
    // transport as well would send release-all a second time.
    Disconnect();
    SetStream(nullptr);
    const int result = Connect(true, false, true);
    if (result == kConnectCancelled)
        return false;
    return AttachUnits();
}
