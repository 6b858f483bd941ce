// The USB stream over a scripted device layer.
#include <gtest/gtest.h>

#include <numeric>

#include "../ScriptedStream.h"
#include "FakeUsbLayer.h"
#include "interface/usb/VexaUsb.h"

namespace {

const CString kDevice = u"\\\\?\\usb#vid_1a2b&pid_930c#5&2f0e&0&1#{4d2230bb-00e1-48bc-b602-4442c677b9fb}";
const CString kOtherDevice = u"\\\\?\\usb#vid_1a2b&pid_930c#5&2f0e&0&2#{4d2230bb-00e1-48bc-b602-4442c677b9fb}";
const CString kStranger = u"\\\\?\\usb#vid_1a2b&pid_930d#5&2f0e&0&3#{4d2230bb-00e1-48bc-b602-4442c677b9fb}";

class UsbStream : public ::testing::Test {
protected:
    UsbStream() : layer(new FakeUsbLayer), stream(std::unique_ptr<IUsbDeviceLayer>(layer)) {}

    // Opens kDevice and forgets what opening it did.
    void OpenDevice()
    {
        layer->pipePaths = {kDevice};
        ASSERT_TRUE(stream.Open());
        layer->opens.clear();
        layer->pauses.clear();
    }

    FakeUsbLayer* layer;  // owned by the stream
    CVexaUsb stream;
};

std::vector<uint8_t> Counting(size_t n, uint8_t first = 0)
{
    std::vector<uint8_t> bytes(n);
    std::iota(bytes.begin(), bytes.end(), first);
    return bytes;
}

TEST_F(UsbStream, OnlyDevicesWithTheProductIdAreTriedThenTheirReadAndWritePipesOpened)
{
    layer->pipePaths = {kStranger, u"\\\\?\\usb#vid_930c&pid_0001#1#x"};
    EXPECT_FALSE(stream.Open());
    EXPECT_TRUE(layer->opens.empty());
    EXPECT_FALSE(stream.IsConnected());
    EXPECT_TRUE(layer->pauses.empty());
    EXPECT_TRUE(layer->listedClasses.at(0) == FakeUsbLayer::kPipeClass);

    layer->pipePaths = {kStranger, kDevice};
    ASSERT_TRUE(stream.Open());
    ASSERT_EQ(layer->opens.size(), 3u);
    EXPECT_EQ(layer->opens[0].path, kDevice);
    EXPECT_EQ(layer->opens[0].access, UsbAccess::ReadWrite);
    EXPECT_EQ(layer->opens[1].path, kDevice + u"\\PIPE02");
    EXPECT_EQ(layer->opens[1].access, UsbAccess::Read);
    EXPECT_EQ(layer->opens[2].path, kDevice + u"\\PIPE03");
    EXPECT_EQ(layer->opens[2].access, UsbAccess::Write);
    EXPECT_EQ(layer->closed, std::vector<UsbHandle>{100}) << "the test handle is closed again";
    EXPECT_EQ(layer->openHandles.size(), 2u);
    EXPECT_TRUE(stream.IsConnected());
    EXPECT_EQ(layer->pauses, std::vector<uint32_t>{1000});
    EXPECT_EQ(layer->busyCalls, 2) << "once for each open, the failed one too";
    EXPECT_EQ(layer->busyDepth, 0);
}

TEST_F(UsbStream, AFailedPipeOpenFallsThroughToTheNextDeviceAndLeavesNothingOpen)
{
    layer->pipePaths = {kDevice, kOtherDevice};
    layer->unopenable = {kDevice + u"\\PIPE03"};
    ASSERT_TRUE(stream.Open());
    EXPECT_EQ(layer->opens.back().path, kOtherDevice + u"\\PIPE03");
    EXPECT_EQ(layer->openHandles, (std::set<UsbHandle>{103, 104})) << "only the second device's pipes";

    auto* bare = new FakeUsbLayer;
    CVexaUsb nothing{std::unique_ptr<IUsbDeviceLayer>(bare)};
    bare->pipePaths = {kDevice, kOtherDevice};
    bare->unopenable = {kDevice + u"\\PIPE02", kOtherDevice};
    EXPECT_FALSE(nothing.Open());
    EXPECT_TRUE(bare->openHandles.empty());
    EXPECT_FALSE(nothing.IsConnected());
    EXPECT_TRUE(bare->pauses.empty());
    EXPECT_EQ(bare->opens.size(), 4u) << "the second device fails its test open: no pipes tried";
}

TEST_F(UsbStream, AnOpenStreamIsCountedNotReopenedAndTheLastCloseReleasesIt)
{
    OpenDevice();
    ASSERT_TRUE(stream.Open());
    EXPECT_TRUE(layer->opens.empty());
    EXPECT_TRUE(layer->pauses.empty());
    stream.Close();
    EXPECT_TRUE(stream.IsConnected());
    EXPECT_EQ(layer->openHandles.size(), 2u);
    stream.Close();
    EXPECT_FALSE(stream.IsConnected());
    EXPECT_TRUE(layer->openHandles.empty());
    const size_t closes = layer->closed.size();
    stream.Close();
    EXPECT_EQ(layer->closed.size(), closes);
}

TEST_F(UsbStream, OtherOpenModesUseOneHandleOfTheOtherClassWithoutPause)
{
    stream.SetOpenMode(1);
    layer->pipePaths = {kDevice};
    layer->singleHandlePaths = {kStranger, kOtherDevice};
    ASSERT_TRUE(stream.Open());
    EXPECT_FALSE(layer->listedClasses.at(0) == FakeUsbLayer::kPipeClass);
    ASSERT_EQ(layer->opens.size(), 1u);
    EXPECT_EQ(layer->opens[0].path, kOtherDevice);
    EXPECT_EQ(layer->opens[0].access, UsbAccess::ReadWrite);
    EXPECT_TRUE(layer->pauses.empty());
    stream.Close();
    EXPECT_EQ(layer->closed.size(), 1u) << "one handle, closed once";
}

TEST_F(UsbStream, WritesLeaveInChunksOfAtMost256BytesAndBlocksOf64)
{
    OpenDevice();
    const auto bytes = Counting(300);
    stream.Write(bytes.data(), 300);
    EXPECT_EQ(layer->writes, (std::vector<uint32_t>{256, 44}));
    EXPECT_EQ(layer->written, bytes);

    // A block leaves whenever it holds 64 bytes, and the rest at its end.
    layer->writes.clear();
    layer->written.clear();
    stream.BeginBlock();
    stream.Write(bytes.data(), 30);
    EXPECT_TRUE(layer->writes.empty());
    stream.Write(bytes.data() + 30, 40);
    EXPECT_EQ(layer->writes, std::vector<uint32_t>{64});
    stream.EndBlock();
    EXPECT_EQ(layer->writes, (std::vector<uint32_t>{64, 6}));
    EXPECT_EQ(layer->written, Counting(70));
    stream.EndBlock();
    stream.WriteByte(1);
    EXPECT_EQ(layer->writes, (std::vector<uint32_t>{64, 6, 1})) << "nothing left over, no block mode";
}

TEST_F(UsbStream, FailedAndShortWritesRaise20010)
{
    OpenDevice();
    const auto bytes = Counting(300);
    layer->failWrite = 0;
    EXPECT_EQ(StreamErrorOf([&] { stream.Write(bytes.data(), 10); }), 20010u);
    layer->shortWrite = 2;
    EXPECT_EQ(StreamErrorOf([&] { stream.Write(bytes.data(), 300); }), 20010u) << "the second chunk is short";
    stream.BeginBlock();
    layer->failWrite = 3;
    EXPECT_EQ(StreamErrorOf([&] { stream.Write(bytes.data(), 64); }), 20010u);
    EXPECT_EQ(StreamErrorOf([&] { stream.EndBlock(); }), 0u) << "the failed block is not sent again";
    EXPECT_EQ(layer->writes.size(), 4u);
}

TEST_F(UsbStream, AStreamThatIsNotOpenTransfersNothing)
{
    uint8_t bytes[4] = {1, 2, 3, 4};
    stream.Write(bytes, 4);
    stream.Read(bytes, 4);
    EXPECT_EQ(bytes[0] | bytes[1] | bytes[2] | bytes[3], 0);
    EXPECT_TRUE(layer->writes.empty());
    EXPECT_TRUE(layer->readSizes.empty());
}

TEST_F(UsbStream, ByteWiseReadsCostOneTransferPer64BytesAndEmptyTransfersAreRepeated)
{
    OpenDevice();
    layer->transfers = {{true, Counting(64)}, {true, Counting(64, 64)}};
    for (int i = 0; i < 100; ++i)
        EXPECT_EQ(stream.ReadByte(), i);
    EXPECT_EQ(layer->readSizes, (std::vector<uint32_t>{64, 64}));
    EXPECT_EQ(stream.GetInputCount(), 28u);
    stream.PurgeInput();
    EXPECT_EQ(stream.GetInputCount(), 0u);
    layer->transfers = {{true, {0xAB}}};
    EXPECT_EQ(stream.ReadByte(), 0xAB) << "purged bytes are gone";

    // Empty transfers are repeated.
    layer->readSizes.clear();
    layer->transfers = {{true, {}}, {true, {}}, {true, {7, 8}}, {true, {9}}};
    uint8_t bytes[3] = {};
    stream.Read(bytes, 3);
    EXPECT_EQ(bytes[0], 7);
    EXPECT_EQ(bytes[2], 9);
    EXPECT_EQ(layer->readSizes.size(), 4u);
}

TEST_F(UsbStream, AFailedReadOrADeviceVanishingMidReadEndsInTheExceptionNotAHang)
{
    OpenDevice();
    layer->transfers = {{false, {}}};
    EXPECT_EQ(StreamErrorOf([&] { stream.ReadByte(); }), 20009u);
    layer->transfers = {{true, Counting(10)}};  // then nothing: every later read fails
    uint8_t bytes[20];
    EXPECT_EQ(StreamErrorOf([&] { stream.Read(bytes, 20); }), 20009u);
    EXPECT_EQ(StreamErrorOf([&] { stream.Read(bytes, 1); }), 20009u) << "and again, without reading stale bytes";
    EXPECT_EQ(stream.GetInputCount(), 0u);

    // A device that answers only with empty transfers gives up too.
    layer->endlessEmpty = true;
    layer->readSizes.clear();
    EXPECT_EQ(StreamErrorOf([&] { stream.ReadByte(); }), 20009u);
    EXPECT_EQ(layer->readSizes.size(), CStreamUSB::kMaxEmptyTransfers);
}

TEST_F(UsbStream, TheDialogNamesTheDeviceAndItsAnswerIsReturned)
{
    layer->dialogAnswer = 6;
    EXPECT_EQ(stream.ShowConnectFailed(false, true), 6);
    ASSERT_EQ(layer->dialogs.size(), 1u);
    EXPECT_EQ(layer->dialogs[0].name, u"Brennick Vexa Interface");
    EXPECT_FALSE(layer->dialogs[0].allowDemonstration);
    EXPECT_TRUE(layer->dialogs[0].allowCancel);
    layer->dialogAnswer = -1;
    EXPECT_EQ(stream.ShowConnectFailed(true, false), 2) << "a dialog that cannot be shown cancels";
}

TEST(UsbDeviceName, PatternsMatchWholeTextsWithoutCaseAndStarMatchesTheRest)
{
    const struct {
        const char16_t* pattern;
        const char16_t* text;
        bool matches;
    } cases[] = {
        {u"Brennick Vexa Interface", u"BRENNICK VEXA INTERFACE", true},
        {u"Brennick Vexa Interface", u"Brennick Vexa Interface 2", false},
        {u"Brennick Vexa Interface", u"Brennick Vexa", false},
        {u"Brennick*", u"brennick vexa interface", true},
        {u"Brennick*", u"Brennic", false},
        {u"*", u"", true},
        {u"", u"", true},
        {u"pid_930c", u"PID_930D", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MatchesNamePattern(c.pattern, c.text), c.matches) << StringToUtf8(c.pattern) << " / "
                                                                    << StringToUtf8(c.text);
    EXPECT_EQ(ProductIdText(0x930C), u"pid_930c");
    EXPECT_EQ(ProductIdText(0x0A1), u"pid_00a1");
}

TEST_F(UsbStream, AResetClosesEjectsTheMatchingDevicesRemovableAncestorAndWaits)
{
    OpenDevice();
    // root -> hub (removable) -> port -> the interface; root -> another device.
    layer->tree = {{0, {u"HTREE\\ROOT\\0", false, {1, 4}}},
                   {1, {u"USB\\ROOT_HUB\\4&1", true, {2}}},
                   {2, {u"USB\\VID_1A2B&PID_0001\\5&2", false, {3}}},
                   {3, {u"USB\\BRENNICK VEXA INTERFACE\\6&3", false, {}}},
                   {4, {u"PCI\\VEN_8086\\3&11", false, {}}}};
    EXPECT_TRUE(stream.ResetDevice());
    EXPECT_FALSE(stream.IsConnected());
    EXPECT_EQ(layer->ejected, std::vector<DeviceNode>{1});
    EXPECT_EQ(layer->pauses, (std::vector<uint32_t>{5000, 10000}));
    EXPECT_EQ(layer->busyDepth, 0);

    // A device that is removable itself is ejected itself; two matches
    // under one removable ancestor ask for it once.
    layer->ejected.clear();
    layer->tree[3].removable = true;
    layer->tree[4].instanceId = u"USB\\VID_1A2B&PID_0002\\5&9";
    layer->tree[1].children = {2, 5};
    layer->tree[5] = {u"ACPI\\Brennick Vexa Interface\\0", false, {}};
    stream.ResetDevice();
    EXPECT_EQ(layer->ejected, (std::vector<DeviceNode>{3, 1}));
}

TEST_F(UsbStream, WithoutTheConfigurationManagerAResetOnlyWaits)
{
    OpenDevice();
    layer->treeAvailable = false;
    layer->tree = {{0, {u"Brennick Vexa Interface", true, {}}}};
    EXPECT_TRUE(stream.ResetDevice());
    EXPECT_EQ(layer->treeCalls, 0);
    EXPECT_TRUE(layer->ejected.empty());
    EXPECT_EQ(layer->pauses, (std::vector<uint32_t>{5000, 10000}));
    EXPECT_FALSE(stream.IsConnected());
}

} // namespace
