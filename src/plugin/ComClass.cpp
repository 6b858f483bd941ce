#include "plugin/ComClass.h"

#include <new>

#include "framework/Archive.h"
#include "plugin/VexaPlugIn.h"

namespace {

constexpr UINT kTextName = 4000;
constexpr UINT kTextTypeName = 7000;
constexpr UINT kTextDescription = 7001;
constexpr UINT kTextReconnect = 20030;
constexpr UINT kTextFirmwareTooOld = 30505;
constexpr UINT kMenuBase = 4000;
constexpr uint16_t kOldestFirmware = 200;

std::atomic<DWORD> g_windowStyle{WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX};

InterfaceServices Services(IInstrumentFactory& instruments)
{
    CVexaPlugIn& app = VexaApp();
    return {app.m_settings, app.m_ui, app.m_strings, app.Streams(), app.m_units, instruments};
}

} // namespace

std::atomic<long> g_outstanding{0};

DWORD VIWindowStyle()
{
    return g_windowStyle.load();
}

// ---------------------------------------------------------------- the object

CComClass::CComClass() : m_xPlugIn(*this)
{
    ++g_outstanding;
}

CComClass::~CComClass()
{
    --g_outstanding;
}

ULONG CComClass::AddRef()
{
    return ++m_references;
}

ULONG CComClass::Release()
{
    const ULONG left = --m_references;
    if (left == 0)
        delete this;
    return left;
}

HRESULT CComClass::QueryInterface(REFIID iid, void** out)
{
    if (!out)
        return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_ITorvanePlugIn)) {
        *out = static_cast<ITorvanePlugIn*>(&m_xPlugIn);
        AddRef();
        return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
}

CComClass::XPlugIn::XPlugIn(CComClass& owner) : m_owner(owner), m_interface(Services(m_instruments))
{
    m_instruments.SetInterface(&m_interface);
}

CComClass::XPlugIn::~XPlugIn()
{
    CWinApp& app = VexaApp();
    if (app.m_pMainWnd == &m_hostWindow)
        app.m_pMainWnd = nullptr;
    m_hostWindow.Detach();
}

// ---------------------------------------------------------------- slots

bool CComClass::XPlugIn::Connect()
{
    if (m_interface.HasStream())
        return true;
    const int result = m_interface.Connect(true, false, false);
    if (result == kConnectCancelled)
        return false;
    if (result == kConnectConnected && m_interface.IsConnected() && m_interface.GetFirmwareVersion() < kOldestFirmware) {
        CVexaPlugIn& app = VexaApp();
        app.m_ui.ShowMessage(app.LoadText(kTextFirmwareTooOld), MessageIcon::Warning);
        m_interface.ReleaseTransport();
        return false;
    }
    m_interface.AttachUnits();
    return true;
}

bool CComClass::XPlugIn::Disconnect()
{
    return m_interface.Disconnect();
}

DWORD CComClass::XPlugIn::SetHostWindow(HWND window, bool minimizeBox)
{
    CWinApp& app = VexaApp();
    m_hostWindow.Detach();
    if (window) {
        m_hostWindow.Attach(window);
        app.m_pMainWnd = &m_hostWindow;
    } else if (app.m_pMainWnd == &m_hostWindow) {
        app.m_pMainWnd = nullptr;
    }
    const DWORD style = minimizeBox ? 0x02CA0000 : 0x02C80000;
    g_windowStyle = style;
    return style;
}

bool CComClass::XPlugIn::GetDescription(CString& text)
{
    text = VexaApp().LoadText(kTextDescription);
    return !text.empty();
}

bool CComClass::XPlugIn::GetTypeName(CString& text)
{
    text = VexaApp().LoadText(kTextTypeName);
    return !text.empty();
}

void CComClass::XPlugIn::GetHelpFile(CString& path)
{
    path = VexaApp().m_helpPath;
}

bool CComClass::XPlugIn::GetName(CString& text)
{
    text = VexaApp().LoadText(kTextName);
    return !text.empty();
}

HMENU CComClass::XPlugIn::GetMenu(int index)
{
    CVexaPlugIn& app = VexaApp();
    HMENU menu = app.LoadMenuResource(kMenuBase + index);
    if (!menu)
        return nullptr;
    if (!app.m_settings.GetBool(CString(kInterfaceKey) + u"\\WLAN", u"NoReconnect", false)) {
        AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
        AppendMenuW(menu, MF_STRING, kReconnectCommand, Wide(app.LoadText(kTextReconnect)));
    }
    return menu;
}

bool CComClass::XPlugIn::OnCmdMsg(UINT id, int code, void* extra, void* handlerInfo)
{
    return m_interface.OnCmdMsg(id, code, extra, handlerInfo);
}

void CComClass::XPlugIn::Serialize(CArchive& ar)
{
    // Nothing may cross back into the host as an exception (each module has
    // its own runtime): a document that cannot be read or written is handed
    // back as the archive's failure, for the host to tell and keep its own.
    try {
        m_interface.SerializeAll(ar);
    } catch (const CStreamException& e) {
        m_interface.OnConnectionLost(e);
    } catch (const CArchiveException& e) {
        ar.SetFailure(e.m_cause);
    } catch (const CException&) {
        ar.SetFailure(CArchiveException::genericException);
    } catch (const std::bad_alloc&) {
        ar.SetFailure(CArchiveException::genericException);
    }
}

int CComClass::XPlugIn::GetInstrumentCount()
{
    return m_interface.Events().GetCount();
}

bool CComClass::XPlugIn::IsAnyInstrumentVisible()
{
    return m_interface.Events().IsAnyVisible();
}

bool CComClass::XPlugIn::ShowAllInstruments()
{
    std::lock_guard<std::recursive_mutex> hub(m_interface.Events().Lock());
    for (CVIEventSink* sink : m_interface.Events().Snapshot())
        sink->ShowInstrument(true);
    return true;
}

bool CComClass::XPlugIn::HideAllInstruments()
{
    std::lock_guard<std::recursive_mutex> hub(m_interface.Events().Lock());
    for (CVIEventSink* sink : m_interface.Events().Snapshot())
        sink->ShowInstrument(false);
    return true;
}

int CComClass::XPlugIn::ToggleInstrument(int index)
{
    CVIEventSink* sink = m_interface.Events().GetAt(index);
    if (!sink)
        return 0;
    sink->ToggleVisible();
    return 1;
}

int CComClass::XPlugIn::AppendWindowMenu(CMenu* menu, WORD* nextId)
{
    if (!menu || !nextId)
        return 0;
    uint16_t next = *nextId;
    const int appended = m_interface.Events().AppendWindowMenu(
        [menu](uint16_t id, const CString& title, bool visible) {
            AppendMenuW(menu->m_hMenu, MF_STRING | (visible ? MF_CHECKED : MF_UNCHECKED), id, Wide(title));
        },
        next);
    *nextId = next;
    return appended;
}

bool CComClass::XPlugIn::OnHostCommand(UINT code, const CString& text)
{
    return m_interface.OnHostCommand(code, text);
}

bool CComClass::XPlugIn::PreTranslateMessage(MSG* message)
{
    return VexaApp().PreTranslateMessage(message);
}

void CComClass::XPlugIn::OnIdle()
{
    try {
        for (long count = 0; VexaApp().OnIdle(count); ++count) {
        }
    } catch (const CException&) {
    }
}
