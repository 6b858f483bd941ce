#include "plugin/VexaPlugIn.h"

#include <clocale>
#include <mutex>
#include <string>

#include "interface/Services.h"
#include "interface/net/Discovery.h"
#include "interface/net/SocketPlatform.h"
#include "interface/net/StreamSocket.h"
#include "interface/net/StreamSocketUsb.h"
#include "interface/net/win32/NetDialogs.h"
#include "interface/usb/VexaUsb.h"
#include "interface/usb/win32/UsbDeviceWin32.h"
#include "viframework/SkinManager.h"
#include "viframework/win32/GdiPlusGraphics.h"
#include "viframework/win32/VIView.h"

namespace {

constexpr UINT kTextLocale = 1007;
constexpr UINT kTextRegistryKey = 1008;
constexpr UINT kTextNoSocketLayer = 20017;
constexpr wchar_t kResourceLibrary[] = L"VexaRes.dll";
constexpr wchar_t kHelpFile[] = L"QX7000.bkhlp";

HINSTANCE g_module = nullptr;

std::wstring ModuleFolder(HINSTANCE module)
{
    wchar_t path[MAX_PATH];
    const DWORD n = GetModuleFileNameW(module, path, MAX_PATH);
    std::wstring folder(path, n);
    return folder.substr(0, folder.find_last_of(L"\\/") + 1);
}

bool IsRightToLeft(LANGID language)
{
    switch (PRIMARYLANGID(language)) {
    case LANG_ARABIC:
    case LANG_HEBREW:
    case LANG_FARSI:
    case LANG_URDU:
        return true;
    default:
        return false;
    }
}

} // namespace

// Streams of the real transports.
class CPlugInStreams : public IStreamFactory {
public:
    explicit CPlugInStreams(ISettingsStore& settings) : m_settings(settings) {}

    std::unique_ptr<CStreamIO> CreateUsb() override
    {
        return std::make_unique<CVexaUsb>(std::make_unique<CWin32UsbDeviceLayer>());
    }
    std::unique_ptr<CStreamIO> CreateSocket(const CString& address, uint16_t port) override
    {
        auto stream = std::make_unique<CStreamSocket>(address, port);
        stream->SetUi(&m_networkUi);
        return stream;
    }
    std::unique_ptr<CStreamIO> CreateTunnel(const CString& deviceName) override
    {
        const CString entry = u"Software\\Brennick\\Device Manager\\Devices\\" + deviceName;
        auto stream = std::make_unique<CStreamSocketUsb>(
            m_settings.GetText(entry, u"Address"), static_cast<uint16_t>(m_settings.GetNumber(entry, u"Port", 8080)),
            static_cast<uint16_t>(m_settings.GetNumber(entry, u"Product", 0)), m_settings.GetBool(entry, u"UserMode", false),
            m_settings.GetText(entry, u"Name"));
        stream->SetUi(&m_networkUi);
        stream->SetEntry(&m_settings, entry);
        return stream;
    }
    bool StartSocketLayer() override { return SocketLayerStartup(); }
    bool ChooseNetworkAddress(CString& address) override
    {
        CUdpConnectDlg dialog(kInterfaceProductId, address);
        if (dialog.DoModal() != IDOK)
            return false;
        address = dialog.Address();
        return true;
    }

private:
    ISettingsStore& m_settings;
    CWin32NetworkUi m_networkUi;
};

CVexaPlugIn::CVexaPlugIn() = default;

CVexaPlugIn::~CVexaPlugIn()
{
    SetWindowBridge(nullptr);
    delete m_streams;
    if (m_hResource)
        FreeLibrary(m_hResource);
}

IStreamFactory& CVexaPlugIn::Streams()
{
    if (!m_streams)
        m_streams = new CPlugInStreams(m_settings);
    return *m_streams;
}

void CVexaPlugIn::ApplyLanguage()
{
    m_language = GetUserDefaultUILanguage();
    SetThreadLocale(MAKELCID(m_language, SORT_DEFAULT));
    SetThreadUILanguage(m_language);
    if (IsRightToLeft(m_language))
        SetProcessDefaultLayout(LAYOUT_RTL);
}

bool CVexaPlugIn::InitInstance()
{
    if (m_initialised)
        return m_initResult;
    m_initialised = true;
    m_hInstance = g_module;

    // 1. The resource library beside the plug-in, searched before the plug-in.
    const std::wstring folder = ModuleFolder(m_hInstance);
    m_hResource = LoadLibraryExW((folder + kResourceLibrary).c_str(), nullptr,
                                 LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (!m_hResource)
        m_hResource = LoadLibraryExW((folder + kResourceLibrary).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);

    // 3. and 4. The registry root and the user's language.
    ApplyLanguage();
    m_registryKey = LoadText(kTextRegistryKey);

    // 5. The help file beside the library.
    m_helpPath = FromWide((folder + kHelpFile).c_str());

    // 7. The run-time library's locale, when one is named.
    CString locale = m_registryKey.empty() ? CString() : m_settings.GetText(u"Software\\" + m_registryKey, u"Language");
    if (locale.empty())
        locale = LoadText(kTextLocale);
    if (!locale.empty())
        std::setlocale(LC_ALL, StringToUtf8(locale).c_str());

    SetWindowBridge(&m_windows);

    // Front panels: their resources, their drawing and the user's skin.
    SetPanelResources(&m_panelResources);
    StartGdiPlus();
    InstallGdiPlusTextMeasurer();
    CVISkinManager::GetSkin().Load(m_settings, m_panelResources);

    // 9. Without sockets there is no plug-in.
    if (!Streams().StartSocketLayer()) {
        m_ui.ShowMessage(LoadText(kTextNoSocketLayer), MessageIcon::Error);
        m_initResult = false;
        return false;
    }
    ReloadTouchSettings();
    m_initResult = true;
    return true;
}

CVexaPlugIn& VexaApp()
{
    static CVexaPlugIn app;
    return app;
}

HINSTANCE VexaPluginModule()
{
    return g_module;
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) {
        g_module = instance;
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}
