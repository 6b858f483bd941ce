// The generator panels' arithmetic: what each frequency row reads, where the
// frequency knob stands, the DC source's level across its ranges, and the
// formula list's archive.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <tuple>

#include "../../framework/ArchiveTestUtil.h"
#include "instruments/generator/FormulaList.h"
#include "instruments/generator/GeneratorRules.h"

namespace {

std::string Text(const CString& s)
{
    return std::string(s.begin(), s.end());
}

TEST(FrequencyText, RowsReadInTheirUnitRightAlignedAndButtonsNameTheirTop)
{
    const std::tuple<int32_t, double, const char*> readings[] = {
        {0, 0.5, "   0.5 Hz"},      {1, 100, "   100 Hz"},    {3, 10000, " 10000 Hz"},
        {4, 12345.6, " 12.3 kHz"}, {5, 500000, "  500 kHz"}, {6, 1234567, " 1.23 MHz"}};
    for (const auto& [row, hertz, text] : readings)
        EXPECT_EQ(Text(FrequencyText(row, hertz)), text) << row;
    // Every row's text keeps its width, so the reading does not jump.
    for (int32_t row = 0; row < CFuncGen::kFrequencyRows; ++row) {
        const FrequencyRow r = CFuncGen::RangeRow(3, row);
        EXPECT_EQ(FrequencyText(row, r.minimum / 10.0).size(), FrequencyText(row, r.maximum / 10.0).size()) << row;
    }
    const std::tuple<int, int32_t, const char*> buttons[] = {
        {1, 0, "20 Hz"}, {1, 2, "1 kHz"}, {1, 5, "500 kHz"}, {1, 6, "1 MHz"}, {3, 6, "5 MHz"}};
    for (const auto& [level, row, text] : buttons)
        EXPECT_EQ(Text(RowButtonText(CFuncGen::RangeRow(level, row))), text) << level << "/" << row;
}

TEST(FrequencyKnob, CoversEachRowInItsStepsBothWays)
{
    for (int level : {1, 3}) {
        for (int32_t index = 0; index < CFuncGen::kFrequencyRows; ++index) {
            const FrequencyRow row = CFuncGen::RangeRow(level, index);
            const int32_t last = FrequencyKnobPositions(row, index) - 1;
            EXPECT_EQ(FrequencyAtKnob(row, index, 0), row.minimum);
            EXPECT_EQ(FrequencyAtKnob(row, index, last), row.maximum) << "the knob reaches the row's top";
            EXPECT_EQ(FrequencyAtKnob(row, index, last + 50), row.maximum);
            EXPECT_EQ(FrequencyAtKnob(row, index, -3), row.minimum);
            for (int32_t p : {0, 1, last / 2, last - 1, last})
                EXPECT_EQ(KnobAtFrequency(row, index, FrequencyAtKnob(row, index, p)), p) << index << " at " << p;
        }
    }
    // A frequency between two steps (typed on the pad) shows at the nearer one.
    const FrequencyRow row3 = CFuncGen::RangeRow(3, 3);
    EXPECT_EQ(KnobAtFrequency(row3, 3, 1040), 0);
    EXPECT_EQ(KnobAtFrequency(row3, 3, 1060), 1);
}

TEST(DcLevel, LeavingZeroSetsTheSignWaveformFirstAndRangesKeepThePhysicalValue)
{
    const DcLevelStep down = DcLevelDown(0);
    EXPECT_EQ(down.level, -1);
    EXPECT_EQ(down.waveform, kDcNegativeWaveform);
    EXPECT_TRUE(down.changed);
    const DcLevelStep up = DcLevelUp(0);
    EXPECT_EQ(up.level, 1);
    EXPECT_EQ(up.waveform, kDcPositiveWaveform);
    EXPECT_FALSE(DcLevelUp(5).waveform.has_value());
    EXPECT_FALSE(DcLevelDown(-5).waveform.has_value());
    // At the ends nothing moves and nothing is sent again.
    EXPECT_FALSE(DcLevelUp(100).changed);
    EXPECT_EQ(DcLevelUp(100).level, 100);
    EXPECT_FALSE(DcLevelDown(-100).changed);

    // 5.5 V does not fit 1 V: full scale; 0.55 V reads 0.5 V, towards zero.
    const std::array<int32_t, 4> cases[] = {{55, 0, 1, 100}, {55, 1, 0, 5},  {-55, 1, 0, -5}, {7, 0, 2, 100},
                                            {-1, 0, 2, -100}, {99, 2, 0, 0}, {99, 3, 0, 0},   {5, 1, 2, 50}, {42, 1, 1, 42}};
    for (const auto& [level, from, to, expected] : cases)
        EXPECT_EQ(DcLevelInRange(level, from, to), expected) << level << " from " << from << " to " << to;
}

TEST(DcLevel, ReadsInTheRangesUnitAndTypedValuesComeBack)
{
    EXPECT_EQ(Text(DcLevelText(0, 55)), "  5.5");
    EXPECT_EQ(Text(DcLevelText(0, -100)), "-10.0");
    EXPECT_EQ(Text(DcLevelText(1, 55)), " 0.55");
    EXPECT_EQ(Text(DcLevelText(2, -7)), "  -7");
    EXPECT_EQ(Text(DcLevelUnit(0)), "V");
    EXPECT_EQ(Text(DcLevelUnit(2)), "mV");
    for (int32_t range = 0; range < 3; ++range)
        for (int32_t level : {-100, -37, 0, 1, 99, 100})
            EXPECT_EQ(DcLevelOfValue(range, DcValueOfLevel(range, level)), level) << range << " " << level;
    EXPECT_EQ(DcLevelOfValue(0, 2.35), 24) << "to the nearest step";
    EXPECT_FALSE(DcLevelOfValue(0, 10.1).has_value());
    EXPECT_FALSE(DcLevelOfValue(1, -1.2).has_value());
    EXPECT_FALSE(DcLevelOfValue(2, std::nan("")).has_value());
}

CFormulaList ThreeEntries()
{
    CFormulaList list;
    list.Add(u"Sine", u"SIN(X)");
    list.Add(u"Square", u"SQU(X)");
    list.Add(u"Saw", u"SAW(X)");
    return list;
}

TEST(FormulaList, AddEditDeleteKeepNamesAndFormulasPaired)
{
    CFormulaList list = ThreeEntries();
    EXPECT_EQ(list.Selected(), 2) << "a new entry is selected";
    ASSERT_TRUE(list.Select(1));
    EXPECT_EQ(*list.SelectedFormula(), u"SQU(X)");
    ASSERT_TRUE(list.ReplaceSelected(u"Pulse", u"PUL(X;1)"));
    EXPECT_EQ(list.Name(1), u"Pulse");
    EXPECT_EQ(list.Formula(2), u"SAW(X)");
    ASSERT_TRUE(list.RemoveSelected());
    EXPECT_EQ(list.Selected(), 0) << "the entry before the deleted one";
    EXPECT_EQ(list.Count(), 2u);
    EXPECT_EQ(list.Name(1), u"Saw");
    EXPECT_EQ(list.Formula(1), u"SAW(X)");
    EXPECT_FALSE(list.Select(2));
    EXPECT_FALSE(list.Select(-2));

    // Deleting the only entry leaves none selected.
    CFormulaList one;
    one.Add(u"Sine", u"SIN(X)");
    ASSERT_TRUE(one.RemoveSelected());
    EXPECT_EQ(one.Selected(), CFormulaList::kNone);
    EXPECT_EQ(one.SelectedFormula(), nullptr);
    EXPECT_FALSE(one.RemoveSelected());
    EXPECT_FALSE(one.ReplaceSelected(u"a", u"b"));
}

TEST(FormulaList, ArchiveRoundTripsStatesItsFormAndRefusesDamage)
{
    CFormulaList list = ThreeEntries();
    list.Select(1);
    const Bytes stored = StoreBytes([&](CArchive& ar) { list.Serialize(ar); });
    // Version, selection, then six strings with their 16-bit count.
    const Bytes head = StoreBytes([](CArchive& ar) { ar << uint32_t{1} << int32_t{1} << uint16_t{6}; });
    ASSERT_GE(stored.size(), head.size());
    EXPECT_TRUE(std::equal(head.begin(), head.end(), stored.begin()));
    CFormulaList loaded;
    LoadBytes(stored, [&](CArchive& ar) { loaded.Serialize(ar); });
    EXPECT_EQ(loaded, list);
    EXPECT_EQ(StoreBytes([&](CArchive& ar) { loaded.Serialize(ar); }), stored);

    // A damaged archive changes nothing.
    const CFormulaList before = ThreeEntries();
    auto expectRefused = [&](const Bytes& bytes, const char* what) {
        CFormulaList list = before;
        EXPECT_THROW(LoadBytes(bytes, [&](CArchive& ar) { list.Serialize(ar); }), CArchiveException) << what;
        EXPECT_EQ(list, before) << what;
    };
    auto archive = [](uint32_t version, int32_t selected, std::vector<CString> strings) {
        return StoreBytes([&](CArchive& ar) {
            ar << version << selected;
            SerializeArray(ar, strings);
        });
    };
    expectRefused(archive(2, 0, {u"a", u"b"}), "another version");
    expectRefused(archive(1, 0, {u"a", u"b", u"c"}), "a name without a formula");
    expectRefused(archive(1, 1, {u"a", u"b"}), "a selection past the list");
    expectRefused(archive(1, -2, {u"a", u"b"}), "a selection below none");
    Bytes cut = archive(1, 0, {u"Sine", u"SIN(X)"});
    cut.resize(cut.size() - 3);
    expectRefused(cut, "cut short");
}

TEST(JudgeFormula, TellsWhatIsWrongAndWhere)
{
    std::vector<double> values;
    const FormulaVerdict good = JudgeFormula(u"0.5*SIN(X)+0.2", 8192, &values);
    EXPECT_TRUE(good.Playable());
    ASSERT_EQ(values.size(), 8192u);
    EXPECT_NEAR(values[2048], 0.5 * std::sin(2 * 3.141592653589793 * 2048 / 8191) + 0.2, 1e-12);

    const FormulaVerdict unknown = JudgeFormula(u"SIN(X)+sin(X)", 8192);
    EXPECT_FALSE(unknown.Playable());
    EXPECT_EQ(unknown.error, FormulaError::UnknownName);
    EXPECT_EQ(unknown.position, 7u) << "the lower-case name";

    const FormulaVerdict open = JudgeFormula(u"(X+1", 8192);
    EXPECT_EQ(open.error, FormulaError::ExpectedRightParen);

    // Compiles, but has no value at X = 0: the generator could not play it.
    values.assign(3, 1.0);
    const FormulaVerdict pole = JudgeFormula(u"1/X", 8192, &values);
    EXPECT_EQ(pole.error, FormulaError::None);
    ASSERT_TRUE(pole.noValueAt.has_value());
    EXPECT_EQ(*pole.noValueAt, 0.0);
    EXPECT_FALSE(pole.Playable());
    EXPECT_EQ(values.size(), 3u) << "values only for a playable formula";

    const FormulaVerdict late = JudgeFormula(u"LN(PI-X)", 8192);
    ASSERT_TRUE(late.noValueAt.has_value());
    EXPECT_GT(*late.noValueAt, 3.1415) << "the first point past pi";
    EXPECT_LT(*late.noValueAt, 3.1425);
}

}  // namespace
