// The instrument panels as the build compiles them (vexares/panels), read by
// the real layout reader: each carries the controls its instrument looks up,
// its controls lie apart and inside the margins, and the resource records
// refuse exactly the instruments that would share a part of the interface.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "CompiledPanels.h"
#include "viframework/EventSink.h"
#include "viframework/controls/HotButtonGroup.h"

namespace {

// ---------------------------------------------------------------- what the instruments expect

struct ControlRef {
    uint32_t type, id;
};

struct InstrumentPanel {
    uint32_t id = 0;
    const char16_t* title = u"";
    // What the instrument occupies: meter channels A to D, L the METRAHit
    // link, one letter per generator panel (f, p, d, o), T the three-phase unit.
    std::string occupies;
    std::vector<ControlRef> controls{};
    // Radio buttons that clear each other, by id; every other radio button of
    // the panel must lie in one of them.
    std::vector<std::set<uint32_t>> radioGroups{};
    // param1 of the rectangle records where the instrument makes its own controls.
    std::multiset<uint32_t> customs{};
    uint32_t rangePictures = 0;  // bitmap of the range picture (METRAHit), 0 for none
    uint32_t rangeFrames = 0;
    // Button strips by id, with the number of choices the instrument maps onto them.
    std::vector<std::pair<uint32_t, size_t>> strips{};
};

// Failures name the panel by its command id.
void PrintTo(const InstrumentPanel& panel, std::ostream* out)
{
    *out << panel.id;
}

InstrumentPanel Panel(uint32_t id, const char16_t* title, std::string occupies)
{
    return {id, title, std::move(occupies)};
}

constexpr uint32_t kGauge = 500;
constexpr uint32_t kReadOut = 501;
constexpr uint32_t kMetraLcd = 100;

InstrumentPanel SingleMeter(uint32_t id, const char16_t* title, char channel, bool ammeter)
{
    InstrumentPanel p = Panel(id, title, std::string(1, channel));
    p.controls = {{kHotLabel, 50}, {kHotValueDisplay, 1}, {kHotMenu, 30}, {kHotMenu, 20},
                  {kHotRadio, 10}, {kHotRadio, 11},       {kHotStatus, 2}};
    if (ammeter) {
        p.controls.push_back({kHotButton, 300});
        p.controls.push_back({kHotLabel, 301});
    }
    p.radioGroups = {{10, 11}};
    return p;
}

InstrumentPanel DualMeter(uint32_t id, const char16_t* title)
{
    InstrumentPanel p = Panel(id, title, "CD");
    p.controls = {{kHotValueDisplay, 1}, {kHotMenu, 30},     {kHotMenu, 20},    {kHotRadio, 10},  {kHotRadio, 11},
                  {kHotStatus, 1},       {kHotValueDisplay, 101}, {kHotMenu, 130}, {kHotMenu, 120}, {kHotRadio, 110},
                  {kHotRadio, 111},      {kHotStatus, 2},    {kHotToolButton, 50}};
    p.radioGroups = {{10, 11}, {110, 111}};
    return p;
}

InstrumentPanel AnalogMeter(uint32_t id, const char16_t* title, char channel, bool ammeter)
{
    InstrumentPanel p = Panel(id, title, std::string(1, channel));
    p.controls = {{kHotLabel, 1},    {kHotStatus, 4000}, {kHotLabel, 4002},  {kHotStatus, 4001},
                  {kHotMenu, 200},   {kHotRadio, 100},   {kHotRadio, 101},   {kHotRadio, 110},
                  {kHotRadio, 111},  {kHotButton, 230},  {kHotButton, 231},  {kHotButton, 240}};
    if (ammeter)
        p.controls.push_back({kHotButton, 300});
    p.radioGroups = {{100, 101}, {110, 111}};
    p.customs = {kGauge, kReadOut};
    return p;
}

InstrumentPanel MetraHit(uint32_t id, const char16_t* title, uint32_t model, uint32_t frames)
{
    return {id, title, "L", {}, {}, {kMetraLcd}, 5200 + model, frames};
}

// The generator panels: knob, reading and up/down control per setting.
InstrumentPanel Generator(uint32_t id, const char16_t* title, std::string occupies)
{
    InstrumentPanel p = Panel(id, title, std::move(occupies));
    p.controls = {{kHotKnob, 100},          {kHotKnob, 101},          {kHotLcdMatrix, 110},
                  {kHotLcdMatrix, 111},     {kHotUpDownButton, 4222}, {kHotUpDownButton, 4220},
                  {kHotButtonGroup, 4226},  {kHotButtonGroup, 4235},  {kHotPowerButton, 4202}};
    p.strips = {{4226, 3}, {4235, 7}};
    return p;
}

std::vector<InstrumentPanel> InstrumentPanels()
{
    InstrumentPanel function = Generator(10031, u"FUNCTION GENERATOR", "f");
    function.controls.push_back({kHotButtonGroup, 4203});
    function.strips.push_back({4203, 6});
    InstrumentPanel pulse = Generator(10036, u"PULSE GENERATOR", "p");
    pulse.controls.insert(pulse.controls.end(), {{kHotKnob, 102}, {kHotLcdMatrix, 112}, {kHotUpDownButton, 4224},
                                                 {kHotButtonGroup, 4211}});
    pulse.strips.push_back({4211, 2});
    InstrumentPanel formula = Generator(10033, u"FORMULA GENERATOR", "o");
    formula.controls.insert(formula.controls.end(),
                            {{kHotMenu, 4000}, {kHotButton, 201}, {kHotButton, 202}, {kHotButton, 203}});
    InstrumentPanel dc = Panel(10035, u"DC SOURCE", "d");
    dc.controls = {{kHotSeg7, 130},         {kHotLabel, 121},         {kHotKnob, 120},
                   {kHotUpDownButton, 4222}, {kHotButtonGroup, 4226}, {kHotPowerButton, 4202}};
    dc.strips = {{4226, 3}};

    InstrumentPanel supply40 = Panel(10001, u"DC POWER SUPPLY 0-40 V", "T");
    supply40.controls = {{kHotSeg7, 6}, {kHotUpDownButton, 100}, {kHotPowerButton, 300}, {kHotKnob, 400}};
    InstrumentPanel supply24 = supply40;
    supply24.id = 10043;
    supply24.title = u"DC POWER SUPPLY \u00b124 V";
    InstrumentPanel triple = Panel(10041, u"TRIPLE DC SOURCE", "T");
    for (uint32_t c = 0; c < 3; ++c)
        triple.controls.insert(triple.controls.end(), {{kHotSeg7, 6 + c},
                                                       {kHotUpDownButton, 100 + 2 * c},
                                                       {kHotCheck, 200 + c},
                                                       {kHotKnob, 400 + c}});
    triple.controls.push_back({kHotPowerButton, 300});
    InstrumentPanel sine = Panel(10042, u"THREE-PHASE SINE SOURCE", "T");
    sine.controls = {{kHotSeg7, 1},           {kHotSeg7, 2},    {kHotUpDownButton, 4310}, {kHotUpDownButton, 4406},
                     {kHotPowerButton, 4302}, {kHotKnob, 400}};
    InstrumentPanel threePhase = Panel(10048, u"THREE-PHASE GENERATOR", "T");
    for (uint32_t id : {0u, 1u, 2u, 9u, 10u, 11u, 12u})
        threePhase.controls.push_back({kHotSeg7, id});
    for (uint32_t id : {4310u, 4327u, 4400u, 4402u, 4404u, 4406u, 4408u, 4410u})
        threePhase.controls.push_back({kHotUpDownButton, id});
    for (uint32_t id = 4320; id <= 4322; ++id)
        threePhase.controls.push_back({kHotCheck, id});
    threePhase.radioGroups = {{}};
    for (uint32_t id = 4303; id <= 4309; ++id) {
        threePhase.controls.push_back({kHotRadio, id});
        threePhase.radioGroups[0].insert(id);
    }
    threePhase.controls.push_back({kHotPowerButton, 4302});

    InstrumentPanel power = Panel(10067, u"POWER METER", "AB");
    power.controls = {{kHotValueDisplay, 100}, {kHotValueDisplay, 101}, {kHotValueDisplay, 102},
                      {kHotMenu, 30},          {kHotMenu, 50},          {kHotLabel, 1},
                      {kHotStatus, 1},         {kHotStatus, 2},         {kHotButton, 300}};
    InstrumentPanel thermometer = Panel(10068, u"THERMOMETER", "A");
    thermometer.controls = {{kHotValueDisplay, 1}, {kHotRadio, 201}, {kHotRadio, 202},
                            {kHotRadio, 204},      {kHotRadio, 205}, {kHotButton, 203}};
    thermometer.radioGroups = {{201, 202}, {204, 205}};
    return {
        SingleMeter(10120, u"VOLTMETER A", 'A', false),     SingleMeter(10121, u"VOLTMETER B", 'B', false),
        SingleMeter(10122, u"AMPEREMETER A", 'A', true),    SingleMeter(10123, u"AMPEREMETER B", 'B', true),
        SingleMeter(10124, u"dB METER A", 'A', false),      SingleMeter(10125, u"dB METER B", 'B', false),
        DualMeter(10211, u"DUAL VOLTMETER"),                DualMeter(10212, u"DUAL AMPEREMETER"),
        AnalogMeter(10061, u"ANALOG VOLTMETER A", 'A', false), AnalogMeter(10062, u"ANALOG VOLTMETER B", 'B', false),
        AnalogMeter(10063, u"ANALOG AMPEREMETER A", 'A', true), AnalogMeter(10064, u"ANALOG AMPEREMETER B", 'B', true),
        AnalogMeter(10065, u"ANALOG dB METER A", 'A', false), AnalogMeter(10066, u"ANALOG dB METER B", 'B', false),
        MetraHit(10069, u"METRAHIT 23S", 1, 9),             MetraHit(10070, u"METRAHIT ONE/13S", 2, 7),
        MetraHit(10071, u"METRAHIT 18S", 3, 10),            MetraHit(10072, u"METRAHIT TEACH", 4, 9),
        power, thermometer, function, pulse, formula, dc, supply40, supply24, triple, sine, threePhase,
    };
}

// ---------------------------------------------------------------- each panel

class PanelOf : public testing::TestWithParam<InstrumentPanel> {
protected:
    void SetUp() override
    {
        panel = LoadCompiledPanel(GetParam().id);
        ASSERT_GT(panel->bytes, 0u) << "no compiled layout " << GetParam().id;
    }
    const CHotspot* FindControl(uint32_t type, uint32_t id) const
    {
        for (const auto& c : panel->controls)
            if (c->m_typeCode == type && c->m_id == id)
                return c.get();
        return nullptr;
    }
    std::unique_ptr<LoadedPanel> panel;
};

TEST_P(PanelOf, LoadsCompletelyWithItsTitleAndEachControlItsInstrumentLooksUpExactlyOnce)
{
    EXPECT_EQ(panel->result, PanelLoadResult::Complete);
    EXPECT_EQ(panel->bytesRead, panel->bytes) << "every byte belongs to a record";
    EXPECT_EQ(panel->layout.title, CString(GetParam().title));
    for (const ControlRef& wanted : GetParam().controls) {
        const auto found = std::count_if(panel->controls.begin(), panel->controls.end(), [&](const auto& c) {
            return c->m_typeCode == wanted.type && c->m_id == wanted.id;
        });
        EXPECT_EQ(found, 1) << "type " << wanted.type << " id " << wanted.id;
    }
    // No addressed control shares kind and id with another, chosen or not.
    std::set<std::pair<uint32_t, uint32_t>> seen;
    for (const auto& c : panel->controls) {
        if (c->m_id != kNoHotspotId) {
            EXPECT_TRUE(seen.insert({c->m_typeCode, c->m_id}).second) << "type " << c->m_typeCode << " id " << c->m_id;
        }
    }
}

// A radio button clears the radio buttons next to it in the list, so each
// group must be one unbroken run, parted from the next by another control.
TEST_P(PanelOf, RadioButtonsClearOnlyTheirOwnGroup)
{
    std::vector<std::set<uint32_t>> runs;
    bool inRun = false;
    for (const auto& c : panel->controls) {
        const bool radio = c->m_typeCode == kHotRadio;
        if (radio && !inRun)
            runs.emplace_back();
        if (radio)
            runs.back().insert(c->m_id);
        inRun = radio;
    }
    std::vector<std::set<uint32_t>> wanted = GetParam().radioGroups;
    std::sort(runs.begin(), runs.end());
    std::sort(wanted.begin(), wanted.end());
    EXPECT_EQ(runs, wanted);
}

TEST_P(PanelOf, MarksWhereTheInstrumentMakesItsOwnControlsAndGivesTheRangePictureTheModelsStrip)
{
    std::multiset<uint32_t> params;
    for (const CustomRecord& c : panel->customs)
        params.insert(c.param1);
    EXPECT_EQ(params, GetParam().customs);

    const auto find = [&](uint32_t param1) {
        const auto it = std::find_if(panel->customs.begin(), panel->customs.end(),
                                     [&](const CustomRecord& c) { return c.param1 == param1; });
        return it == panel->customs.end() ? CRect{} : it->rect;
    };
    if (GetParam().customs.count(kGauge) != 0) {
        const CRect gauge = find(kGauge);
        const CRect readOut = find(kReadOut);
        EXPECT_EQ(gauge.Width(), 200);
        EXPECT_EQ(gauge.Height(), 112);
        EXPECT_EQ(readOut.Width(), 187);
        EXPECT_EQ(readOut.Height(), 80);
        // Centred: the two centres at most half a unit apart on each axis.
        EXPECT_LE(std::abs((gauge.left + gauge.right) - (readOut.left + readOut.right)), 1);
        EXPECT_LE(std::abs((gauge.top + gauge.bottom) - (readOut.top + readOut.bottom)), 1);
    }
    if (GetParam().customs.count(kMetraLcd) != 0) {
        const CRect lcd = find(kMetraLcd);
        EXPECT_GE(lcd.Width(), 200) << "room for the LCD's digits, unit and mode";
        EXPECT_GE(lcd.Height(), 60);
    }

    // The METRAHit instrument takes the first bitmap switch as its range picture.
    std::vector<const BitmapSwitchRecord*> switches;
    for (const auto& c : panel->controls)
        if (c->m_typeCode == kHotBitmapKnob)
            switches.push_back(static_cast<const BitmapSwitchRecord*>(c.get()));
    ASSERT_EQ(switches.size(), GetParam().rangePictures == 0 ? 0u : 1u);
    if (!switches.empty()) {
        EXPECT_EQ(switches[0]->bitmap, GetParam().rangePictures);
        EXPECT_EQ(switches[0]->frames, GetParam().rangeFrames);
    }
}

TEST_P(PanelOf, KeepsItsControlsApartAndAtLeastEightUnitsInsideTheEdge)
{
    const std::vector<PlacedControl> placed = PlacedControls(*panel);

    constexpr int32_t kMargin = 8;
    const int32_t width = panel->layout.width;
    const int32_t height = panel->layout.height;
    for (size_t i = 0; i < placed.size(); ++i) {
        const CRect& r = placed[i].rect;
        SCOPED_TRACE(placed[i].name);
        EXPECT_GT(r.Width(), 0);
        EXPECT_GT(r.Height(), 0);
        EXPECT_GE(r.left, kMargin);
        EXPECT_GE(r.top, kMargin);
        EXPECT_LE(r.right, width - kMargin);
        EXPECT_LE(r.bottom, height - kMargin);
        for (size_t j = i + 1; j < placed.size(); ++j) {
            // The analog meters show either the gauge or the read-out in one place.
            const std::set<uint32_t> pair{placed[i].param1, placed[j].param1};
            if (pair == std::set<uint32_t>{kGauge, kReadOut})
                continue;
            EXPECT_FALSE(Overlap(r, placed[j].rect)) << "overlaps " << placed[j].name;
        }
    }
}

// Each strip has a button for every choice the instrument maps onto it, and
// the readings the instrument writes are clickable for the number pad.
TEST_P(PanelOf, GivesEveryChoiceAButtonAndMakesTheReadingsClickable)
{
    for (const auto& [id, count] : GetParam().strips) {
        const auto* strip = static_cast<const CHotButtonGroup*>(FindControl(kHotButtonGroup, id));
        ASSERT_NE(strip, nullptr) << id;
        EXPECT_EQ(strip->m_items.size(), count) << id;
    }
    for (const ControlRef& wanted : GetParam().controls) {
        if (wanted.type != kHotLcdMatrix && wanted.type != kHotSeg7)
            continue;
        const CHotspot* reading = FindControl(wanted.type, wanted.id);
        ASSERT_NE(reading, nullptr) << wanted.id;
        EXPECT_FALSE(reading->IsStatic()) << wanted.id << " sends its id when clicked";
    }
}

INSTANTIATE_TEST_SUITE_P(Instruments, PanelOf, testing::ValuesIn(InstrumentPanels()),
                         [](const testing::TestParamInfo<InstrumentPanel>& info) {
                             return "Panel" + std::to_string(info.param.id);
                         });

// ---------------------------------------------------------------- resource records

class OpenInstrument : public CVIEventSink {
public:
    explicit OpenInstrument(const uint32_t* record) { std::copy(record, record + kResourceWords, m_resourceMask); }
    CString GetTitle() override { return u""; }
    void ShowInstrument(bool) override {}
    void ToggleVisible() override {}
    bool IsInstrumentVisible() override { return true; }
    bool OnEvent(uint32_t, uintptr_t) override { return false; }
    void SerializeState(CArchive&) override {}
};

// Opening one instrument beside another: refused exactly when the two would
// use a channel, the METRAHit link or the three-phase unit together; the
// generator panels may be open together.
TEST(PanelRecords, RefuseExactlyTheInstrumentsThatShareAChannel)
{
    struct Entry {
        uint32_t id;
        std::string occupies;
        CPanelLayout layout;
    };
    std::vector<Entry> entries;
    for (const InstrumentPanel& p : InstrumentPanels())
        entries.push_back({p.id, p.occupies, {}});
    entries.push_back({10040, "T", {}});
    for (Entry& e : entries) {
        const auto panel = LoadCompiledPanel(e.id);
        ASSERT_GT(panel->bytes, 0u) << e.id;
        e.layout = panel->layout;
    }

    for (const Entry& open : entries) {
        CVIEventHub hub;
        OpenInstrument sink(open.layout.resourceRecord);
        hub.AddSink(&sink);
        for (const Entry& next : entries) {
            if (next.id == open.id)
                continue;
            const bool shared = std::any_of(open.occupies.begin(), open.occupies.end(),
                                            [&](char c) { return next.occupies.find(c) != std::string::npos; });
            EXPECT_EQ(hub.FindResourceConflict(next.layout.resourceRecord) != nullptr, shared)
                << next.id << " beside " << open.id;
        }
    }
}

}  // namespace
