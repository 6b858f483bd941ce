// Opening instruments from menu commands.
#include <gtest/gtest.h>

#include "../viframework/PanelFakes.h"
#include "FakeServices.h"
#include "framework/File.h"
#include "interface/Interface.h"

namespace {

std::vector<uint8_t> LayoutBytes(std::initializer_list<std::pair<int, uint32_t>> masks, uint32_t width = 239)
{
    CMemFile file;
    CArchive ar(&file, CArchive::store);
    uint32_t record[10] = {};
    for (auto [word, bits] : masks)
        record[word] = bits;
    ar << uint32_t{1};
    for (uint32_t mask : record)
        ar << mask;
    ar << width << uint32_t{149} << CString(u"PANEL") << uint32_t{kHotEndOfList};
    return file.Data();
}

class Catalogue : public ::testing::Test {
protected:
    Catalogue() { SetPanelResources(&resources); }
    ~Catalogue() override { SetPanelResources(nullptr); }

    void AddLayout(uint32_t id, std::vector<uint8_t> bytes) { resources.numbered[{kLayoutResourceType, id}] = bytes; }

    FakePanelResources resources;
    FakeServices fake;
    FakeWindows windows;
    CInterface face{fake.Services()};
};

TEST_F(Catalogue, OpensFromTheLayoutWithItsRecordAndRegisters)
{
    AddLayout(10040, LayoutBytes({{5, 7}}, 239));
    CVIEventSink* sink = face.OpenInstrument(10040, -1, -1);
    ASSERT_NE(sink, nullptr);
    EXPECT_EQ(sink->m_id, 10040u);
    EXPECT_EQ(sink->m_resourceMask[5], 7u);
    // The window read its panel from just after the record.
    EXPECT_EQ(fake.instruments.panelWidths, std::vector<uint32_t>{239});
    EXPECT_EQ(face.Events().FindSink(10040), sink);
    EXPECT_TRUE(sink->IsInstrumentVisible());
}

TEST_F(Catalogue, AnOpenInstrumentComesToTheFrontInsteadOfASecondOne)
{
    AddLayout(10040, LayoutBytes({{5, 7}}));
    auto* first = static_cast<FakeSink*>(face.OpenInstrument(10040, -1, -1));
    first->visible = false;
    EXPECT_EQ(face.OpenInstrument(10040, -1, -1), nullptr);
    EXPECT_TRUE(first->visible);
    EXPECT_EQ(fake.instruments.made.size(), 1u);
    EXPECT_EQ(face.Events().GetCount(), 1);
}

TEST_F(Catalogue, SharedUnitPartsAreRefusedNamingTheHolder)
{
    AddLayout(10040, LayoutBytes({{5, 7}}));
    AddLayout(10041, LayoutBytes({{5, 2}}));
    AddLayout(10042, LayoutBytes({{5, 8}, {3, 1}}));
    face.OpenInstrument(10040, -1, -1);
    EXPECT_EQ(face.OpenInstrument(10041, -1, -1), nullptr);
    ASSERT_EQ(fake.ui.messages.size(), 1u);
    EXPECT_EQ(fake.ui.messages[0], "5019|Sink 10040|%2");
    EXPECT_NE(face.OpenInstrument(10042, -1, -1), nullptr) << "disjoint masks open silently";
    EXPECT_EQ(fake.ui.messages.size(), 1u);
}

TEST_F(Catalogue, CascadesByTheNumberAlreadyOpenUnlessPlaced)
{
    for (uint32_t id : {10001u, 10002u, 10003u, 10004u})
        AddLayout(id, LayoutBytes({}));
    auto* first = static_cast<FakeSink*>(face.OpenInstrument(10001, -1, -1));
    face.OpenInstrument(10002, -1, -1);
    auto* third = static_cast<FakeSink*>(face.OpenInstrument(10003, -1, -1));
    auto* placed = static_cast<FakeSink*>(face.OpenInstrument(10004, 300, 200));
    EXPECT_EQ(first->x, 10);
    EXPECT_EQ(third->x, 10 + 2 * 8);
    EXPECT_EQ(third->y, 10 + 2 * 30);
    EXPECT_EQ(placed->x, 300);
    EXPECT_EQ(placed->y, 200);
}

TEST_F(Catalogue, MissingOrDamagedLayoutsAreReportedAndOpenNothing)
{
    // Missing: the framework's resource exception, reported as such.
    EXPECT_EQ(face.OpenInstrument(10040, -1, -1), nullptr);
    // Found but unreadable: the panel cannot be loaded.
    auto damaged = LayoutBytes({});
    damaged.resize(20);
    AddLayout(10041, damaged);
    EXPECT_EQ(face.OpenInstrument(10041, -1, -1), nullptr);
    EXPECT_EQ(fake.ui.messages, (std::vector<std::string>{"61712|%1|%2", "61706|%1|%2"}));
    EXPECT_TRUE(fake.instruments.made.empty());
    EXPECT_EQ(face.Events().GetCount(), 0);
}

TEST_F(Catalogue, IdsWithoutAnInstrumentARefusedWindowOrHostControlledRelaysOpenNothing)
{
    AddLayout(10300, LayoutBytes({}));
    fake.instruments.known = [](uint32_t id) { return id != 10300; };
    EXPECT_EQ(face.OpenInstrument(10300, -1, -1), nullptr);
    AddLayout(10040, LayoutBytes({}));
    fake.instruments.refuseWindow = true;
    EXPECT_EQ(face.OpenInstrument(10040, -1, -1), nullptr);
    EXPECT_EQ(fake.instruments.destroyed, 1);
    EXPECT_EQ(face.Events().GetCount(), 0);

    // The relays stay closed while the host controls them.
    fake.instruments.refuseWindow = false;
    AddLayout(kRelaysInstrumentId, LayoutBytes({}));
    face.SetHostRelayControl(true, 0);
    EXPECT_EQ(face.OpenInstrument(kRelaysInstrumentId, -1, -1), nullptr);
    EXPECT_TRUE(fake.instruments.made.empty());
}

TEST_F(Catalogue, ActiveInstrumentsJoinThePollers)
{
    AddLayout(10040, LayoutBytes({}));
    fake.instruments.activate = true;
    face.OpenInstrument(10040, -1, -1);
    EXPECT_EQ(face.PollerCount(), 1);
    face.StopPolling();
}

// The Bode plotter asks the box for the settings it will restore as it
// shows itself: a box that breaks then must not leave it open on no connection.
TEST_F(Catalogue, AnInstrumentWhoseShowingMeetsALossClosesInsteadOfJoining)
{
    ScriptIdentify(*fake.streams.Prepare(), 3);
    ASSERT_EQ(face.Connect(true, false, false), kConnectConnected);
    AddLayout(10007, LayoutBytes({}));
    fake.instruments.activate = true;
    fake.instruments.onShow = [this] { face.OnConnectionLost(CStreamException(20020)); };
    EXPECT_EQ(face.OpenInstrument(10007, -1, -1), nullptr);
    EXPECT_EQ(face.Events().GetCount(), 0);
    EXPECT_EQ(face.PollerCount(), 0);
    ASSERT_EQ(fake.instruments.made.size(), 1u);
    EXPECT_EQ(fake.instruments.made[0]->State(), kSinkReleased);
}

TEST_F(Catalogue, DocumentsRecreateFromTheLayoutWithoutPlacing)
{
    AddLayout(10040, LayoutBytes({{5, 7}}));
    CVIEventSink* sink = face.CreateFromLayout(10040);
    ASSERT_NE(sink, nullptr);
    EXPECT_EQ(sink->m_id, 10040u);
    EXPECT_EQ(face.Events().GetCount(), 0) << "the loader registers it";
    EXPECT_EQ(face.CreateFromLayout(10099), nullptr);
    EXPECT_TRUE(fake.ui.messages.empty()) << "a missing layout is the loader's business";
}

}  // namespace
