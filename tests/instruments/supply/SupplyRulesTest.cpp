// The supply instruments' rules without a window: what their updates send
// for a level, how each command steps and stops at its limits, the reading
// texts, and the settings archives with damaged ones that change nothing.
#include <gtest/gtest.h>

#include <limits>
#include <tuple>

#include "../../framework/ArchiveTestUtil.h"
#include "instruments/supply/SupplyRules.h"
#include "units/ThreePhaseGen.h"

namespace {

template <class... T>
Bytes Encode(const T&... values)
{
    return StoreBytes([&](CArchive& ar) { (ar << ... << values); });
}

// ---------------------------------------------------------------- what the updates send

TEST(SupplyRules, SingleSupplyAmplitudePolarityAndText)
{
    // 40.0 V is 101 %, clamped; 20.0 V is 50.5 %; -0.1 V is 0.25 %; the magnitude counts.
    const std::tuple<int32_t, int32_t, const char16_t*> levels[] = {
        {400, 100, u" 40.0"}, {200, 50, u" 20.0"}, {-1, 0, u" -0.1"}, {-240, 60, u"-24.0"}, {240, 60, u" 24.0"}};
    for (const auto& [level, percent, text] : levels) {
        EXPECT_EQ(SingleSupplyAmplitude(level), percent) << level;
        EXPECT_EQ(FormatTenths(kSingleSupplyFormat, level), text) << level;
    }

    // -0.1 V after 0 V turns the output negative: phase 1 inverted. 0 V keeps
    // whichever polarity the output has; 0.1 V turns it positive.
    EXPECT_EQ(PolarityFlags(kPolarityNegative), (PhaseFlags{1, 0, 0}));
    EXPECT_EQ(PolarityFlags(kPolarityPositive), (PhaseFlags{0, 1, 0}));
    const std::tuple<uint8_t, int32_t, uint8_t> polarities[] = {
        {kPolarityPositive, -1, kPolarityNegative}, {kPolarityNegative, 0, kPolarityNegative},
        {kPolarityPositive, 0, kPolarityPositive},  {kPolarityNegative, 1, kPolarityPositive},
        {kPolarityPositive, 1, kPolarityPositive}};
    for (const auto& [before, level, after] : polarities)
        EXPECT_EQ(PolarityForLevel(before, level), after) << int(before) << " at " << level;
}

TEST(SupplyRules, SourceAmplitudesFromExactTenths)
{
    // The triple source hands volts to the unit: 20.0 V beyond full scale, 9.9 V half.
    EXPECT_EQ(C3PhaseGen::PercentOfVolts(LevelVolts(200)), 100);
    EXPECT_EQ(C3PhaseGen::PercentOfVolts(LevelVolts(99)), 50);
    EXPECT_EQ(C3PhaseGen::PercentOfVolts(LevelVolts(0)), 0);

    // 70 steps of 0.1 V from 0 reach 7.0 V exactly, which is 50 %.
    SineSourceSettings sine;
    for (int i = 0; i < 70; ++i)
        ApplySineCommand(kAllAmplitudesUpId, sine);
    EXPECT_EQ(SineAmplitude(sine.level), 50);
    EXPECT_EQ(SineAmplitude(kSineMaximum), 100);
    EXPECT_EQ(SineAmplitude(1), 0);
    EXPECT_EQ(TenthsOfVolts(7.0), 70);
    EXPECT_EQ(TenthsOfVolts(0.1 * 3), 3) << "0.30000000000000004 is still 0.3 V";
    EXPECT_EQ(TenthsOfVolts(-2.45), -25);
    EXPECT_EQ(FormatTenths(kSourceFormat, 70), u" 7.0");
    EXPECT_EQ(FormatTenths(kSourceFormat, 200), u"20.0");
}

// ---------------------------------------------------------------- commands

TEST(SupplyRules, SingleSupplyStepsWithinItsLimits)
{
    SingleSupplySettings s;
    EXPECT_EQ(ApplySingleSupplyCommand(101, s, kSupply40V), 0u) << "no step below 0 V";
    EXPECT_EQ(s.level, 0);
    EXPECT_EQ(ApplySingleSupplyCommand(101, s, kSupply24V), kLevelBit);
    EXPECT_EQ(s.level, -1);
    EXPECT_EQ(ApplySingleSupplyCommand(100, s, kSupply24V), kLevelBit);
    EXPECT_EQ(s.level, 0);

    EXPECT_EQ(SetSingleSupplyLevel(s, 999, kSupply40V), kLevelBit);
    EXPECT_EQ(s.level, 400);
    EXPECT_EQ(ApplySingleSupplyCommand(100, s, kSupply40V), 0u);
    EXPECT_EQ(SetSingleSupplyLevel(s, -999, kSupply24V), kLevelBit);
    EXPECT_EQ(s.level, -240);

    EXPECT_EQ(ApplySingleSupplyCommand(300, s, kSupply40V), kSupplyOutputBit);
    EXPECT_EQ(s.outputOn, 1);
    EXPECT_EQ(ApplySingleSupplyCommand(300, s, kSupply40V), kSupplyOutputBit);
    EXPECT_EQ(s.outputOn, 0);
    EXPECT_FALSE(ApplySingleSupplyCommand(102, s, kSupply40V)) << "one channel only";
    EXPECT_FALSE(ApplySingleSupplyCommand(4302, s, kSupply40V));
}

TEST(SupplyRules, TripleSourceCommandsReachTheirOwnChannel)
{
    TripleDcSettings s;
    auto apply = [&](std::initializer_list<std::pair<uint32_t, uint32_t>> commands) {
        for (const auto& [id, outcome] : commands)
            EXPECT_EQ(ApplyTripleDcCommand(id, s), outcome) << id;
    };
    apply({{102, kLevelBit}, {104, kLevelBit}, {104, kLevelBit}});
    EXPECT_EQ(s.levels, (std::array<int32_t, 3>{0, 1, 2}));
    apply({{105, kLevelBit}, {101, 0}});  // channel 1 already at 0 V
    EXPECT_EQ(s.levels, (std::array<int32_t, 3>{0, 1, 1}));

    EXPECT_EQ(SetTripleDcLevel(s, 0, 250), kLevelBit);
    EXPECT_EQ(s.levels[0], kTripleDcMaximum);
    EXPECT_EQ(ApplyTripleDcCommand(100, s), 0u);
    EXPECT_EQ(SetTripleDcLevel(s, 3, 10), 0u) << "no fourth channel";

    EXPECT_EQ(ApplyTripleDcCommand(201, s), kPolarityBit);
    EXPECT_EQ(s.negative, (PhaseFlags{0, 1, 0}));
    ApplyTripleDcCommand(201, s);
    ApplyTripleDcCommand(202, s);
    EXPECT_EQ(s.negative, (PhaseFlags{0, 0, 1}));
    EXPECT_EQ(ApplyTripleDcCommand(300, s), kSupplyOutputBit);
    EXPECT_EQ(s.outputOn, 1);
    EXPECT_FALSE(ApplyTripleDcCommand(106, s));
    EXPECT_FALSE(ApplyTripleDcCommand(203, s));
}

TEST(SupplyRules, SineSourceCommands)
{
    SineSourceSettings s;
    EXPECT_EQ(ApplySineCommand(kAllAmplitudesDownId, s), 0u) << "no voltage below 0.0 V";
    EXPECT_EQ(SetSineLevel(s, 139), kSineAmplitudeBit);
    EXPECT_EQ(ApplySineCommand(kAllAmplitudesUpId, s), kSineAmplitudeBit);
    EXPECT_EQ(ApplySineCommand(kAllAmplitudesUpId, s), 0u) << "no voltage above 14.0 V";
    EXPECT_EQ(s.level, 140);

    EXPECT_EQ(SetSineFrequency(s, 2), kSineFrequencyBit);
    EXPECT_EQ(ApplySineCommand(4311, s), kSineFrequencyBit);
    EXPECT_EQ(ApplySineCommand(4311, s), 0u) << "setting D stays at least 1";
    EXPECT_EQ(s.frequency, 1);
    EXPECT_EQ(SetSineFrequency(s, 151), kSineFrequencyBit);
    EXPECT_EQ(s.frequency, 150);
    EXPECT_EQ(ApplySineCommand(4310, s), 0u);

    EXPECT_EQ(ApplySineCommand(4302, s), kSineOutputBit);
    EXPECT_EQ(s.outputOn, 1);
    EXPECT_FALSE(ApplySineCommand(4312, s)) << "the sine source has no single phases";
}

TEST(SupplyRules, GeneratorCommandsStepTheUnitSettingsWithinTheirRanges)
{
    constexpr uint32_t kAmplitude = C3PhaseGen::kAmplitudeBit;
    C3PhaseSettings s;
    // Applies the commands in order, each with the outcome it must have.
    auto apply = [&](std::initializer_list<std::pair<uint32_t, uint32_t>> commands, int32_t settingCMaximum = 32) {
        for (const auto& [id, outcome] : commands)
            EXPECT_EQ(ApplyGeneratorCommand(id, s, settingCMaximum), outcome) << id;
    };
    s.amplitudes = {100, 5, 0};
    apply({{4315, kAmplitude}});
    EXPECT_EQ(s.amplitudes, (std::array<int32_t, 3>{100, 6, 1})) << "each below 100 goes up";
    apply({{4319, kAmplitude}, {4319, kAmplitude}});
    EXPECT_EQ(s.amplitudes, (std::array<int32_t, 3>{98, 4, 0})) << "each above 0 goes down";
    apply({{4318, 0}, {4314, kAmplitude}, {4316, kAmplitude}, {4313, kAmplitude}});
    EXPECT_EQ(s.amplitudes, (std::array<int32_t, 3>{97, 5, 1}));

    s.settingC = 32;
    apply({{4327, 0}});  // 32 is the top below level 3
    apply({{4327, C3PhaseGen::kSettingCBit}}, SettingCMaximum(3));
    EXPECT_EQ(s.settingC, 33);
    EXPECT_EQ(SettingCMaximum(3), 60);
    EXPECT_EQ(SettingCMaximum(2), 32);
    s.settingC = 10;
    apply({{4328, 0}});

    s.settingD = 150;
    apply({{4310, 0}});
    s.settingD = 0;
    apply({{4311, 0}, {4310, C3PhaseGen::kSettingDBit}});  // the generator's D may reach 0
    EXPECT_EQ(s.settingD, 1);

    s.phase2 = 359;
    s.phase3 = 0;
    apply({{4323, 0}, {4326, 0}, {4324, C3PhaseGen::kPhaseBit}, {4325, C3PhaseGen::kPhaseBit}});
    EXPECT_EQ(s.phase2, 358);
    EXPECT_EQ(s.phase3, 1);

    apply({{4309, C3PhaseGen::kWaveformBit}, {4309, 0}});  // the same waveform is not sent again
    EXPECT_EQ(s.waveform, 6);
    apply({{4321, C3PhaseGen::kPhaseFlagsBit}, {4302, C3PhaseGen::kOutputBit}});
    EXPECT_EQ(s.phaseFlags, (PhaseFlags{0, 1, 0}));
    EXPECT_EQ(s.outputOn, 1);
    EXPECT_FALSE(ApplyGeneratorCommand(4329, s, 32));
    EXPECT_FALSE(ApplyGeneratorCommand(4301, s, 32));
}

TEST(SupplyRules, StepKeysStandForTheirCommandPairs)
{
    const std::pair<uint32_t, uint32_t> pairs[] = {
        {4400, 4312}, {4401, 4316}, {4402, 4313}, {4403, 4317}, {4404, 4314}, {4405, 4318},
        {4406, 4315}, {4407, 4319}, {4408, 4323}, {4409, 4325}, {4410, 4324}, {4411, 4326},
        {4399, 4399}, {4412, 4412}, {4310, 4310}, {100, 100}, {0, 0},
    };
    for (const auto& [key, command] : pairs)
        EXPECT_EQ(CommandOfStepKey(key), command) << key;
}

// ---------------------------------------------------------------- archives

// The settings archives, with the supply's kind where it has one. A damaged
// archive must throw the archive exception and leave the settings as they were.
template <class S, class... Kind>
Bytes Store(S s, Kind... kind)
{
    return StoreBytes([&](CArchive& ar) { SerializeSettings(ar, s, kind...); });
}

template <class S, class... Kind>
S Load(const Bytes& bytes, Kind... kind)
{
    S s{};
    LoadBytes(bytes, [&](CArchive& ar) { SerializeSettings(ar, s, kind...); });
    return s;
}

template <class S, class... Kind>
void ExpectRejected(const S& before, std::initializer_list<std::pair<Bytes, const char*>> damaged, Kind... kind)
{
    for (const auto& [bytes, what] : damaged) {
        S s = before;
        EXPECT_THROW(LoadBytes(bytes, [&](CArchive& ar) { SerializeSettings(ar, s, kind...); }), CArchiveException)
            << what;
        EXPECT_EQ(Store(s, kind...), Store(before, kind...)) << what << ": nothing may be half loaded";
    }
}

TEST(SupplyRules, SineArchive)
{
    const Bytes bytes = Store(SineSourceSettings{73, 60, 1});
    EXPECT_EQ(bytes, Encode(uint32_t(2), 7.3, int32_t(60)));
    const auto back = Load<SineSourceSettings>(bytes);
    EXPECT_EQ(back.level, 73);
    EXPECT_EQ(back.frequency, 60);
    EXPECT_EQ(back.outputOn, 0) << "the output is not part of the settings";
    ExpectRejected(SineSourceSettings{20, 5, 0},
                   {{Encode(uint32_t(3), 7.0, int32_t(50)), "unknown version"},
                    {Encode(uint32_t(1), 7.0, int32_t(50)), "version 1"},
                    {Encode(uint32_t(2), 14.1, int32_t(50)), "above 14 V"},
                    {Encode(uint32_t(2), -0.1, int32_t(50)), "below 0 V"},
                    {Encode(uint32_t(2), std::numeric_limits<double>::quiet_NaN(), int32_t(50)), "NaN"},
                    {Encode(uint32_t(2), 7.0, int32_t(0)), "setting D 0"},
                    {Encode(uint32_t(2), 7.0, int32_t(151)), "setting D 151"},
                    {Encode(uint32_t(2), 7.0), "cut short"}});
}

TEST(SupplyRules, TripleSourceArchive)
{
    const TripleDcSettings s{{200, 0, 99}, {1, 0, 1}, 1};
    const Bytes bytes = Store(s);
    EXPECT_EQ(bytes, Encode(uint32_t(2), int32_t(200), int32_t(0), int32_t(99), uint8_t(1), uint8_t(0), uint8_t(1)));
    const auto back = Load<TripleDcSettings>(bytes);
    EXPECT_EQ(back.levels, s.levels);
    EXPECT_EQ(back.negative, s.negative);

    auto make = [](uint32_t version, int32_t level3, uint8_t flag3) {
        return Encode(version, int32_t(1), int32_t(2), level3, uint8_t(0), uint8_t(0), flag3);
    };
    Bytes cut = make(2, 3, 0);
    cut.pop_back();
    ExpectRejected(TripleDcSettings{{5, 6, 7}, {0, 1, 0}, 0},
                   {{make(1, 3, 0), "version 1"}, {make(3, 3, 0), "version 3"}, {make(2, 201, 0), "level 201"},
                    {make(2, -1, 0), "negative level"}, {make(2, 3, 2), "flag 2"}, {cut, "cut short"}});
}

TEST(SupplyRules, SingleSupplyArchive)
{
    const Bytes bytes = Store(SingleSupplySettings{-123, kPolarityNegative, 1}, kSupply24V);
    EXPECT_EQ(bytes, Encode(uint32_t(1), int32_t(-123), uint8_t(0)));
    const auto back = Load<SingleSupplySettings>(bytes, kSupply24V);
    EXPECT_EQ(back.level, -123);
    EXPECT_EQ(back.polarity, kPolarityNegative);
    ExpectRejected(SingleSupplySettings{50, kPolarityPositive, 0},
                   {{bytes, "a negative level in the 0-40 V supply"},
                    {Encode(uint32_t(1), int32_t(401), uint8_t(1)), "above 40 V"},
                    {Encode(uint32_t(2), int32_t(10), uint8_t(1)), "version 2"},
                    {Encode(uint32_t(1), int32_t(10), uint8_t(3)), "polarity 3"},
                    {Encode(uint32_t(1), int32_t(10)), "cut short"}},
                   kSupply40V);
}

}  // namespace
