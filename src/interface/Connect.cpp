// The connect sequence: the settings decide first (demonstration mode, the
// device manager's tunnel, USB only); otherwise the stream the settings ask
// for is tried, and when it fails the user chooses USB, the network,
// demonstration mode or (where allowed) to give up.
#include "interface/Vexaface.h"

namespace {

enum ConnectText : uint32_t {
    kTextChoice = 20004,
    kTextConnecting = 20007,
    kTextNoSocketLayer = 20017,
    kTextChoiceTitle = 20024,
    kTextUseUsb = 20025,
    kTextUseNetwork = 20026,
    kTextUseDemonstration = 20027,
    kTextCancel = 20028,
};

enum ChoiceButton : int {
    kChoiceCancel = 2,
    kChoiceDemonstration = 6,
    kChoiceUsb = 100,
    kChoiceNetwork = 101,
};

CString Key(std::u16string_view sub)
{
    CString key = kInterfaceKey;
    key += u'\\';
    key += sub;
    return key;
}

CString DeviceManagerEntry()
{
    return CString(kDeviceManagerKey) + u"\\Devices\\" + kInterfaceName;
}

// The busy cursor and window for as long as an attempt runs.
class BusyScope {
public:
    BusyScope(IUserInteraction& ui, const CString& text) : m_ui(ui) { m_ui.BeginBusy(text); }
    ~BusyScope() { m_ui.EndBusy(); }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    IUserInteraction& m_ui;
};

} // namespace

int CVexaface::Connect(bool allowDemonstration, bool allowCancel, bool forceChoice)
{
    ISettingsStore& settings = m_services.settings;
    IUserInteraction& ui = m_services.ui;
    const CString settingsKey = Key(u"Settings");
    const CString wlanKey = Key(u"WLAN");
    settings.CreateKey(SettingsHive::CurrentUser, kInterfaceKey);

    if (settings.KeyExists(SettingsHive::CurrentUser, settingsKey) &&
        settings.GetBool(settingsKey, u"DemoMode", false)) {
        InstallNullStream();
        return kConnectDemonstration;
    }
    if (settings.GetBool(DeviceManagerEntry(), u"Enabled", false))
        return ConnectTunnel(allowDemonstration, allowCancel) ? kConnectConnected : kConnectCancelled;

    const auto wlanExists = [&] { return settings.KeyExists(SettingsHive::CurrentUser, wlanKey); };
    if (wlanExists() && !settings.GetBool(wlanKey, u"Supported", true))
        return ConnectUsbOnly(allowCancel, forceChoice) ? kConnectConnected : kConnectCancelled;

    if (!m_services.streams.StartSocketLayer()) {
        ui.ShowMessage(m_services.strings.LoadText(kTextNoSocketLayer), MessageIcon::Error);
        return kConnectCancelled;
    }

    const auto registryPort = [&] {
        return static_cast<uint16_t>(settings.GetNumber(wlanKey, u"Port", kDefaultPort));
    };
    bool networkTried = false;
    for (;;) {
        if (!forceChoice) {
            if (!m_stream) {
                if (!wlanExists() || !settings.GetBool(wlanKey, u"Enabled", false)) {
                    SetStream(m_services.streams.CreateUsb());
                } else {
                    SetStream(m_services.streams.CreateSocket(settings.GetText(wlanKey, u"Address"), registryPort()));
                    networkTried = true;
                }
            }
            if (m_stream) {
                // The text's first line says what is going on; the rest is for
                // a device that turns out to be something else.
                const CString connecting = FormatText(m_services.strings, kTextConnecting, {CString(), kInterfaceName});
                BusyScope busy(ui, connecting.substr(0, connecting.find(u'\n')));
                if (OpenAndIdentify())
                    return kConnectConnected;
            }
        }

        std::vector<IUserInteraction::ChoiceButton> buttons = {
            {kChoiceUsb, kTextUseUsb}, {kChoiceNetwork, kTextUseNetwork}, {kChoiceDemonstration, kTextUseDemonstration}};
        if (allowCancel)
            buttons.push_back({kChoiceCancel, kTextCancel});
        const int choice = ui.ChooseTask(kTextChoiceTitle, kTextChoice, buttons, networkTried ? kChoiceNetwork : kChoiceUsb);

        switch (choice) {
        case kChoiceUsb:
            if (wlanExists())
                settings.WriteNumber(SettingsHive::CurrentUser, wlanKey, u"Enabled", 0);
            break;
        case kChoiceNetwork: {
            const bool known = wlanExists();
            CString address = known ? settings.GetText(wlanKey, u"Address") : CString();
            if (!m_stream || !m_stream->IsSocketStream())
                SetStream(m_services.streams.CreateSocket(address, known ? registryPort() : kDefaultPort));
            if (m_services.streams.ChooseNetworkAddress(address)) {
                if (settings.CreateKey(SettingsHive::CurrentUser, wlanKey)) {
                    settings.WriteNumber(SettingsHive::CurrentUser, wlanKey, u"Enabled", 1);
                    settings.WriteText(SettingsHive::CurrentUser, wlanKey, u"Address", address);
                }
            } else if (wlanExists()) {
                settings.WriteNumber(SettingsHive::CurrentUser, wlanKey, u"Enabled", 0);
            }
            break;
        }
        case kChoiceDemonstration:
            InstallNullStream();
            return kConnectDemonstration;
        default:
            SetStream(nullptr);
            return kConnectCancelled;
        }
        // The next pass makes the stream the settings now ask for.
        SetStream(nullptr);
        forceChoice = false;
    }
}

bool CVexaface::ConnectUsbOnly(bool allowCancel, bool forceChoice)
{
    IUserInteraction& ui = m_services.ui;
    for (;;) {
        if (!forceChoice) {
            if (!m_stream)
                SetStream(m_services.streams.CreateUsb());
            if (m_stream) {
                BusyScope busy(ui, CString());
                if (OpenAndIdentify())
                    return true;
            }
        }
        std::vector<IUserInteraction::ChoiceButton> buttons = {{kChoiceUsb, kTextUseUsb},
                                                               {kChoiceDemonstration, kTextUseDemonstration}};
        if (allowCancel)
            buttons.push_back({kChoiceCancel, kTextCancel});
        switch (ui.ChooseTask(kTextChoiceTitle, kTextChoice, buttons, kChoiceUsb)) {
        case kChoiceUsb:
            forceChoice = false;
            break;
        case kChoiceDemonstration:
            InstallNullStream();
            return true;
        default:
            SetStream(nullptr);
            return false;
        }
    }
}

bool CVexaface::ConnectTunnel(bool allowDemonstration, bool allowCancel)
{
    for (;;) {
        if (!m_stream)
            SetStream(m_services.streams.CreateTunnel(kInterfaceName));
        if (m_stream) {
            BusyScope busy(m_services.ui, CString());
            if (OpenAndIdentify())
                return true;
        }
        const int answer = m_stream ? m_stream->ShowConnectFailed(allowDemonstration, allowCancel) : kChoiceCancel;
        if (answer == kChoiceCancel) {
            SetStream(nullptr);
            return false;
        }
        if (answer == kChoiceDemonstration) {
            InstallNullStream();
            return true;
        }
    }
}
