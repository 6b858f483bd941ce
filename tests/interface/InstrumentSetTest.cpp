// The instrument set in the host's document.
#include <gtest/gtest.h>

#include "../framework/ArchiveTestUtil.h"
#include "FakeServices.h"
#include "interface/Vexaface.h"
#include "units/Relays.h"
#include "units/ThreePhaseGen.h"

namespace {

// An interface object in demonstration mode with the relay unit attached.
struct Demo {
    Demo()
    {
        fake.settings.WriteNumber(SettingsHive::CurrentUser, u"Software\\Brennick\\Vexa Interface\\Settings",
                                  u"DemoMode", 1);
        face.Connect(true, false, false);
        face.AttachUnit(kUnitRelays);
    }
    FakeServices fake;
    CVexaface face{fake.Services()};
};

Bytes Store(CVexaface& face)
{
    return StoreBytes([&](CArchive& ar) { face.SerializeAll(ar); });
}

TEST(InstrumentSet, LayoutOfTheHeaderUnitsAndRecords)
{
    Demo d;
    d.face.Relays()->SetState(0x81);
    FakeSink scope(10115, 0xCAFE);
    scope.x = -3;
    scope.y = 40;
    d.face.Events().AddSink(&scope);
    const Bytes bytes = Store(d.face);
    const Bytes expected = Concat({
        {0x42, 0x4B, 0x56, 0x49, 4, 0, 0, 0},  // "BKVI", version 4
        {1, 0, 0, 0},                          // interface block version
        {0, 0, 0, 0},                          // unit 1 absent
        {1, 0, 0, 0, 1, 0, 0, 0, 0x81},        // unit 2: present, relay settings version 1, state
        {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},  // units 3 to 8
        {115, 0, 0, 0, 0xFD, 0xFF, 0xFF, 0xFF, 40, 0, 0, 0, 1, 0xFE, 0xCA, 0, 0},  // the record
        {0, 0, 0, 0},
    });
    EXPECT_EQ(bytes, expected);
}

TEST(InstrumentSet, LoadThenStoreGivesTheSameBytes)
{
    Demo first;
    first.face.Relays()->SetState(0x3C);
    FakeSink a(10120, 1), b(10031, 2);
    a.x = 10;
    b.visible = false;
    first.face.Events().AddSink(&a);
    first.face.Events().AddSink(&b);
    const Bytes stored = Store(first.face);

    Demo second;
    LoadBytes(stored, [&](CArchive& ar) { second.face.SerializeAll(ar); });
    ASSERT_EQ(second.fake.instruments.made.size(), 2u);
    EXPECT_EQ(second.fake.instruments.made[0]->m_id, 10120u);
    EXPECT_EQ(second.fake.instruments.made[0]->x, 10);
    EXPECT_EQ(second.fake.instruments.made[1]->payload, 2u);
    EXPECT_FALSE(second.fake.instruments.made[1]->visible);
    EXPECT_EQ(second.fake.instruments.made[1]->schemaSeen, 4u) << "instruments learn the version";
    EXPECT_EQ(second.face.Relays()->State(), 0x3C);
    EXPECT_EQ(second.face.Events().GetCount(), 2);
    EXPECT_EQ(Store(second.face), stored);

    Demo host;
    host.face.SetHostRelayControl(true, 0xF0);
    LoadBytes(stored, [&](CArchive& ar) { host.face.SerializeAll(ar); });
    EXPECT_EQ(host.face.Relays()->State(), 0xF0) << "the host keeps its relay state while it controls them";
}

TEST(InstrumentSet, OlderVersionsAndShortIds)
{
    // Version 2: a record whose window the catalogue cannot make directly is
    // read as x, y (no visible byte before version 3), then the window's data.
    Demo d;
    d.fake.instruments.known = [](uint32_t) { return false; };
    d.fake.instruments.direct = [](uint32_t id) { return id == 10115; };
    const Bytes v2 = Concat({{0x42, 0x4B, 0x56, 0x49, 2, 0, 0, 0, 1, 0, 0, 0},
                             Bytes(32, 0),
                             {115, 0, 0, 0, 7, 0, 0, 0, 8, 0, 0, 0, 0x34, 0x12, 0, 0},
                             {0, 0, 0, 0}});
    LoadBytes(v2, [&](CArchive& ar) { d.face.SerializeAll(ar); });
    ASSERT_EQ(d.fake.instruments.made.size(), 1u);
    const FakeSink& scope = *d.fake.instruments.made[0];
    EXPECT_EQ(scope.m_id, 10115u);
    EXPECT_EQ(scope.x, 7);
    EXPECT_EQ(scope.y, 8);
    EXPECT_TRUE(scope.visible);
    EXPECT_EQ(scope.payload, 0x1234u);
}

TEST(InstrumentSet, DamagedDocumentsAreRefused)
{
    const Bytes header = {0x42, 0x4B, 0x56, 0x49, 4, 0, 0, 0, 1, 0, 0, 0};
    struct Case { const char* what; Bytes bytes; CArchiveException::Cause cause; };
    const Case cases[] = {
        {"wrong magic", {0x42, 0x4B, 0x56, 0x4A, 4, 0, 0, 0}, CArchiveException::badIndex},
        {"version 5", {0x42, 0x4B, 0x56, 0x49, 5, 0, 0, 0}, CArchiveException::badIndex},
        {"unit flag 2", Concat({header, {2, 0, 0, 0}}), CArchiveException::badIndex},
        {"truncated unit settings", Concat({header, {1, 0, 0, 0, 2, 0, 0}}), CArchiveException::endOfFile},
        {"truncated units", Concat({header, {0, 0, 0, 0}}), CArchiveException::endOfFile},
        {"record without terminator", Concat({header, Bytes(32, 0), {120, 0, 0, 0, 1, 0, 0, 0}}),
         CArchiveException::endOfFile},
        {"instrument nobody can make", Concat({header, Bytes(32, 0), {0x10, 0x27, 0, 0}, Bytes(9, 0), {0, 0, 0, 0}}),
         CArchiveException::badIndex},
    };
    for (const Case& c : cases) {
        FakeWindows windows;
        Demo d;
        FakeSink open(10061);
        windows.Open(open);
        d.face.Events().AddSink(&open);
        d.fake.instruments.known = [](uint32_t id) { return id == 10120; };
        try {
            LoadBytes(c.bytes, [&](CArchive& ar) { d.face.SerializeAll(ar); });
            ADD_FAILURE() << c.what << ": no exception";
        } catch (const CArchiveException& e) {
            EXPECT_EQ(e.m_cause, c.cause) << c.what;
        }
        EXPECT_EQ(d.face.Events().GetCount(), 0) << c.what << ": open instruments stay closed";
        // A half-read instrument was destroyed, never registered.
        EXPECT_EQ(d.fake.instruments.made.size(), 0u) << c.what;
    }
}

TEST(InstrumentSet, ASecondCopyOrAnInstrumentOnTakenUnitPartsIsReportedAndTheRestOpens)
{
    Demo first;
    FakeSink supply(10040, 1), again(10040, 2), shares(10041, 3), meter(10120, 4);
    for (FakeSink* sink : {&supply, &again, &shares, &meter})
        first.face.Events().AddSink(sink);
    const Bytes stored = Store(first.face);

    Demo second;
    second.fake.instruments.layoutMasks[10040] = {0, 0, 0, 0, 0, 7};
    second.fake.instruments.layoutMasks[10041] = {0, 0, 0, 0, 0, 2};
    LoadBytes(stored, [&](CArchive& ar) { second.face.SerializeAll(ar); });
    const auto open = second.face.Events().Snapshot();
    ASSERT_EQ(open.size(), 2u);
    EXPECT_EQ(static_cast<FakeSink*>(open[0])->payload, 1u) << "the first copy stays";
    EXPECT_EQ(static_cast<FakeSink*>(open[1])->payload, 4u) << "records after the refused ones still read";
    EXPECT_EQ(second.fake.ui.messages, (std::vector<std::string>{"5019|Sink 10040|%2", "5019|Sink 10040|%2"}));
    EXPECT_EQ(second.fake.instruments.destroyed, 2);
}

TEST(InstrumentSet, LoadsWithoutAStreamAndTheUnitsExchangeNothing)
{
    Demo first;
    first.face.AttachUnit(kUnitThreePhase);
    FakeSink supply(10040);
    first.face.Events().AddSink(&supply);
    const Bytes stored = Store(first.face);

    // No stream at all: after a lost connection, a refused firmware, a
    // failed tunnel.
    FakeServices fake;
    CVexaface face(fake.Services());
    ASSERT_FALSE(face.HasStream());
    LoadBytes(stored, [&](CArchive& ar) { face.SerializeAll(ar); });
    EXPECT_EQ(face.Events().GetCount(), 1);
    auto* unit = dynamic_cast<C3PhaseGen*>(face.Unit(kUnitThreePhase));
    ASSERT_NE(unit, nullptr);
    unit->SwitchOutputs(true);
    unit->PrepareFixedDc(0, true);
    EXPECT_TRUE(unit->Flush());
    // Instruments opened from the menu find their unit the same way.
    face.ReleaseAllUnits();
    EXPECT_NE(face.UnitForInstrument(kUnitThreePhase), nullptr);
    EXPECT_TRUE(fake.ui.messages.empty());
}

} // namespace
