// The connect sequence: what the settings decide, what the user is offered, what is written back.
#include <gtest/gtest.h>

#include <cstring>

#include "FakeServices.h"
#include "interface/Interface.h"
#include "interface/Vexaface.h"

namespace {

using Bytes = ScriptedStream::Bytes;

const CString kWlan = u"Software\\Brennick\\Vexa Interface\\WLAN";
const CString kSettings = u"Software\\Brennick\\Vexa Interface\\Settings";

const char* const kId = "RV8810-4C  V2.50  238";

class Connect : public ::testing::Test {
protected:
    FakeServices fake;
    CVexaface face{fake.Services()};
};

TEST_F(Connect, DemoModeSettingInstallsTheNullStreamWithoutAsking)
{
    fake.settings.WriteNumber(SettingsHive::CurrentUser, kSettings, u"DemoMode", 1);
    EXPECT_EQ(face.Connect(true, false, false), kConnectDemonstration);
    EXPECT_TRUE(face.HasStream());
    EXPECT_FALSE(face.IsConnected());
    EXPECT_TRUE(IsDemonstrationMode());
    EXPECT_TRUE(fake.ui.choices.empty());
    EXPECT_TRUE(fake.streams.requests.empty());
    EXPECT_EQ(face.GetFirmwareVersion(), 500);
    // The units attach on the null stream just the same.
    EXPECT_TRUE(face.AttachUnits());
    EXPECT_NE(face.Relays(), nullptr);
}

TEST_F(Connect, UsbFirstAndIdentificationSetsLevelAndFirmware)
{
    ScriptIdentify(*fake.streams.Prepare(), 2, kId);
    EXPECT_EQ(face.Connect(true, false, false), kConnectConnected);
    EXPECT_EQ(fake.streams.requests, std::vector<std::string>{"usb"});
    EXPECT_EQ(face.VariantLevel(), 2);
    EXPECT_EQ(face.GetFirmwareVersion(), 238);
    EXPECT_FALSE(IsDemonstrationMode());
    EXPECT_EQ(fake.ui.busy, 0) << "busy indicator left on";
}

TEST_F(Connect, NetworkSettingsAreUsedWhenEnabled)
{
    fake.settings.WriteNumber(SettingsHive::CurrentUser, kWlan, u"Enabled", 1);
    fake.settings.WriteText(SettingsHive::CurrentUser, kWlan, u"Address", u"10.0.0.9");
    ScriptedStream* s = fake.streams.Prepare();
    s->SetSocketStream(true);
    ScriptIdentify(*s, 3, kId);
    s->ExpectWrite({0x18}).Reply(Bytes(64, 0));
    EXPECT_EQ(face.Connect(true, false, false), kConnectConnected);
    EXPECT_EQ(fake.streams.requests, std::vector<std::string>{"socket 10.0.0.9:3060"});
}

TEST_F(Connect, FailureOffersTheChoiceWithoutCancelUnlessAllowed)
{
    fake.streams.Prepare()->ExpectWrite({0x02}).Reply({'X', 0});  // some other device
    fake.ui.answers = {6};
    EXPECT_EQ(face.Connect(true, false, false), kConnectDemonstration);
    ASSERT_EQ(fake.ui.choices.size(), 1u);
    EXPECT_EQ(fake.ui.choices[0].offered, (std::vector<int>{100, 101, 6}));
    EXPECT_EQ(fake.ui.choices[0].defaultId, 100);
    ASSERT_EQ(fake.ui.messages.size(), 1u);
    EXPECT_EQ(fake.ui.messages[0], "20007|X|RV8810-4C");
    EXPECT_FALSE(face.IsConnected());

    FakeServices other;
    CVexaface second(other.Services());
    other.ui.answers = {2};
    EXPECT_EQ(second.Connect(true, true, false), kConnectCancelled);
    EXPECT_EQ(other.ui.choices[0].offered, (std::vector<int>{100, 101, 6, 2}));
    EXPECT_FALSE(second.HasStream());
}

TEST_F(Connect, NetworkChoiceWithCancelledAddressFallsBackToUsb)
{
    fake.settings.WriteNumber(SettingsHive::CurrentUser, kWlan, u"Enabled", 1);
    fake.streams.Prepare();  // the socket tried first answers nothing; the dialog reuses it
    ScriptIdentify(*fake.streams.Prepare(), 1, kId);  // USB on the next pass
    fake.ui.answers = {101};
    EXPECT_EQ(face.Connect(true, false, false), kConnectConnected);
    EXPECT_EQ(fake.ui.choices[0].defaultId, 101) << "the network was tried";
    EXPECT_EQ(fake.streams.addressDialogs, 1);
    EXPECT_EQ(fake.settings.GetNumber(kWlan, u"Enabled", 9), 0u);
    EXPECT_EQ(fake.streams.requests.back(), "usb");
}

TEST_F(Connect, NetworkChoiceStoresTheChosenAddress)
{
    fake.streams.Prepare()->ExpectWrite({0x02}).Reply({'j', 0});  // USB: another device
    fake.streams.Prepare();                                        // socket for the dialog
    ScriptedStream* net = fake.streams.Prepare();
    ScriptIdentify(*net, 2, kId);
    fake.ui.answers = {101};
    fake.streams.addressAnswer = u"192.168.4.1";
    EXPECT_EQ(face.Connect(true, false, false), kConnectConnected);
    EXPECT_EQ(fake.settings.GetNumber(kWlan, u"Enabled", 0), 1u);
    EXPECT_EQ(fake.settings.GetText(kWlan, u"Address"), u"192.168.4.1");
    EXPECT_EQ(fake.streams.requests,
              (std::vector<std::string>{"usb", "socket :3060", "socket 192.168.4.1:3060"}));
}

TEST_F(Connect, UsbOnlyOffersNoNetworkButton)
{
    fake.settings.WriteNumber(SettingsHive::CurrentUser, kWlan, u"Supported", 0);
    fake.ui.answers = {100, 6};
    EXPECT_EQ(face.Connect(true, true, false), kConnectConnected);
    ASSERT_EQ(fake.ui.choices.size(), 2u);
    EXPECT_EQ(fake.ui.choices[0].offered, (std::vector<int>{100, 6, 2}));
    EXPECT_TRUE(IsDemonstrationMode());
    EXPECT_EQ(fake.streams.requests, (std::vector<std::string>{"usb", "usb"}));
}

TEST_F(Connect, TunnelWhenTheDeviceManagerHasTheInterface)
{
    fake.settings.WriteNumber(SettingsHive::CurrentUser,
                              u"Software\\Brennick\\Device Manager\\Devices\\RV8810-4C", u"Enabled", 1);
    ScriptIdentify(*fake.streams.Prepare(), 2, kId);
    EXPECT_EQ(face.Connect(true, false, false), kConnectConnected);
    EXPECT_EQ(fake.streams.requests, std::vector<std::string>{"tunnel RV8810-4C"});
}

TEST_F(Connect, TransportFaultDuringIdentificationIsReportedNotThrown)
{
    fake.streams.Prepare()->ExpectWrite({0x02}).Fault(20020);
    fake.ui.answers = {6};
    EXPECT_EQ(face.Connect(true, false, false), kConnectDemonstration);
    ASSERT_FALSE(fake.ui.messages.empty());
    EXPECT_EQ(fake.ui.messages[0], "20020|%1|%2");
    EXPECT_EQ(fake.ui.beeps, 1);
}

TEST_F(Connect, NoSocketLayerMeansNoConnection)
{
    fake.streams.socketLayer = false;
    EXPECT_EQ(face.Connect(true, false, false), kConnectCancelled);
    EXPECT_EQ(fake.ui.messages, std::vector<std::string>{"20017|%1|%2"});
}

TEST_F(Connect, ForcedChoiceAsksBeforeTrying)
{
    fake.ui.answers = {6};
    EXPECT_EQ(face.Connect(true, false, true), kConnectDemonstration);
    EXPECT_TRUE(fake.streams.requests.empty());
    EXPECT_EQ(fake.ui.choices.size(), 1u);
}

// The reconnect command, byte for byte: the dialog first, and only OK touches the connection.
class Reconnect : public ::testing::Test {
protected:
    void SetUp() override
    {
        fake.settings.WriteNumber(SettingsHive::CurrentUser, kWlan, u"Enabled", 1);
        fake.settings.WriteText(SettingsHive::CurrentUser, kWlan, u"Address", u"10.0.0.7");
        old = fake.streams.Prepare();
        ScriptIdentify(*old, 3, kId);
        Bytes name(64, 0);
        const char16_t text[] = u"LAB BOX 3";
        std::memcpy(name.data(), text, sizeof text);  // UTF-16LE on this little-endian machine
        old->ExpectWrite({0x18}).Reply(name);
        ASSERT_EQ(face.Connect(true, false, false), kConnectConnected);
        for (uint8_t unit = 1; unit <= 7; ++unit)
            old->ExpectWrite({0x0E, unit}).Reply({'!'});
        ASSERT_TRUE(face.AttachUnits());
        windows.Open(panel);
        face.Events().AddSink(&panel);
        old->ExpectDone();
    }

    FakeServices fake;
    FakeWindows windows;
    CInterface face{fake.Services()};
    FakeSink panel{10120};
    ScriptedStream* old = nullptr;
};

TEST_F(Reconnect, CancelSendsNothingAndKeepsEverything)
{
    fake.ui.reconnectAnswer = false;
    const size_t before = old->AllWritten().size();
    EXPECT_FALSE(face.Reconnect());
    ASSERT_EQ(fake.ui.reconnectDialogs.size(), 1u);
    const auto& shown = fake.ui.reconnectDialogs[0];
    EXPECT_EQ(shown.kind, IUserInteraction::ConnectionInfo::kNetwork);
    EXPECT_EQ(shown.address, u"10.0.0.7");
    EXPECT_EQ(shown.deviceName, u"LAB BOX 3");
    EXPECT_EQ(shown.identification, u"RV8810-4C  V2.50  238");
    EXPECT_TRUE(shown.instrumentsOpen);
    EXPECT_EQ(old->AllWritten().size(), before);
    EXPECT_EQ(panel.State(), kSinkActive);
    EXPECT_TRUE(face.IsConnected());
    EXPECT_TRUE(fake.ui.choices.empty());
}

TEST_F(Reconnect, OkReleasesOnceAsksAtOnceAndAttachesOnTheNewStream)
{
    old->ExpectWrite({0x11});
    ScriptedStream* fresh = fake.streams.Prepare();
    ScriptIdentify(*fresh, 3, kId);
    for (uint8_t unit = 1; unit <= 7; ++unit)
        fresh->ExpectWrite({0x0E, unit}).Reply({'!'});
    fake.ui.answers = {100};  // USB
    auto remains = std::make_shared<ScriptedStream::Remains>();
    old->LeaveRemains(remains);
    const size_t before = old->AllWritten().size();
    EXPECT_TRUE(face.Reconnect());
    EXPECT_TRUE(remains->problems.empty()) << remains->problems.front();
    EXPECT_EQ(Bytes(remains->written.begin() + before, remains->written.end()), Bytes{0x11}) << "release-all once";
    EXPECT_EQ(remains->openCount, 0) << "the old stream was closed before it went";
    fresh->ExpectDone();
    EXPECT_EQ(panel.State(), kSinkReleased);
    ASSERT_EQ(fake.ui.choices.size(), 1u) << "the choice comes at once";
    EXPECT_EQ(fake.ui.choices[0].offered, (std::vector<int>{100, 101, 6})) << "demonstration allowed, no cancel";
    EXPECT_EQ(fake.streams.requests.back(), "usb");
}

TEST_F(Reconnect, DemonstrationModeShowsItsKind)
{
    fake.ui.answers = {6};
    old->ExpectWrite({0x11});
    ASSERT_TRUE(face.Reconnect());  // the old stream is gone from here on
    fake.ui.reconnectAnswer = false;
    face.Reconnect();
    ASSERT_EQ(fake.ui.reconnectDialogs.size(), 2u);
    EXPECT_EQ(fake.ui.reconnectDialogs[1].kind, IUserInteraction::ConnectionInfo::kDemonstration);
    EXPECT_FALSE(fake.ui.reconnectDialogs[1].instrumentsOpen);
    EXPECT_TRUE(fake.ui.reconnectDialogs[1].address.empty());
}

} // namespace
