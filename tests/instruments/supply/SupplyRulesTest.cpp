// The supply instruments' rules without a window: what their updates send
// for a level, how each command steps and stops at its limits, the reading
// texts, and the settings archives with damaged ones that change nothing.
#include <gtest/gtest.h>

#include <limits>

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

TEST(SupplyRules, SingleSupplyAmplitudeAndPolarity)
{
    EXPECT_EQ(SingleSupplyAmplitude(400), 100) << "40.0 V is 101 %, clamped";
    EXPECT_EQ(SingleSupplyAmplitude(200), 50) << "20.0 V is 50.5 %";
    EXPECT_EQ(SingleSupplyAmplitude(-1), 0) << "-0.1 V is 0.25 %";
    EXPECT_EQ(SingleSupplyAmplitude(-240), 60) << "the magnitude counts";
    EXPECT_EQ(SingleSupplyAmplitude(240), 60);

    // -0.1 V after 0 V turns the output negative: phase 1 inverted.
    const uint8_t negative = PolarityForLevel(kPolarityPositive, -1);
    EXPECT_EQ(negative, kPolarityNegative);
    EXPECT_EQ(PolarityFlags(negative), (PhaseFlags{1, 0, 0}));
    EXPECT_EQ(PolarityFlags(kPolarityPositive), (PhaseFlags{0, 1, 0}));
    // 0 V keeps whichever polarity the output has; 0.1 V turns it positive.
    EXPECT_EQ(PolarityForLevel(kPolarityNegative, 0), kPolarityNegative);
    EXPECT_EQ(PolarityForLevel(kPolarityPositive, 0), kPolarityPositive);
    EXPECT_EQ(PolarityForLevel(kPolarityNegative, 1), kPolarityPositive);
    EXPECT_EQ(PolarityForLevel(kPolarityPositive, 1), kPolarityPositive);
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
}

TEST(SupplyRules, ReadingTexts)
{
    EXPECT_EQ(FormatTenths(kSingleSupplyFormat, 400), u" 40.0");
    EXPECT_EQ(FormatTenths(kSingleSupplyFormat, -1), u" -0.1");
    EXPECT_EQ(FormatTenths(kSingleSupplyFormat, -240), u"-24.0");
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
    EXPECT_EQ(ApplyTripleDcCommand(102, s), kLevelBit);
    EXPECT_EQ(ApplyTripleDcCommand(104, s), kLevelBit);
    EXPECT_EQ(ApplyTripleDcCommand(104, s), kLevelBit);
    EXPECT_EQ(s.levels, (std::array<int32_t, 3>{0, 1, 2}));
    EXPECT_EQ(ApplyTripleDcCommand(105, s), kLevelBit);
    EXPECT_EQ(ApplyTripleDcCommand(101, s), 0u) << "channel 1 already at 0 V";
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
    C3PhaseSettings s;
    s.amplitudes = {100, 5, 0};
    EXPECT_EQ(ApplyGeneratorCommand(4315, s, 32), C3PhaseGen::kAmplitudeBit);
    EXPECT_EQ(s.amplitudes, (std::array<int32_t, 3>{100, 6, 1})) << "each below 100 goes up";
    EXPECT_EQ(ApplyGeneratorCommand(4319, s, 32), C3PhaseGen::kAmplitudeBit);
    EXPECT_EQ(ApplyGeneratorCommand(4319, s, 32), C3PhaseGen::kAmplitudeBit);
    EXPECT_EQ(s.amplitudes, (std::array<int32_t, 3>{98, 4, 0})) << "each above 0 goes down";
    EXPECT_EQ(ApplyGeneratorCommand(4318, s, 32), 0u);
    EXPECT_EQ(ApplyGeneratorCommand(4314, s, 32), C3PhaseGen::kAmplitudeBit);
    EXPECT_EQ(ApplyGeneratorCommand(4316, s, 32), C3PhaseGen::kAmplitudeBit);
    EXPECT_EQ(ApplyGeneratorCommand(4313, s, 32), C3PhaseGen::kAmplitudeBit);
    EXPECT_EQ(s.amplitudes, (std::array<int32_t, 3>{97, 5, 1}));

    s.settingC = 32;
    EXPECT_EQ(ApplyGeneratorCommand(4327, s, 32), 0u) << "32 is the top below level 3";
    EXPECT_EQ(ApplyGeneratorCommand(4327, s, SettingCMaximum(3)), C3PhaseGen::kSettingCBit);
    EXPECT_EQ(s.settingC, 33);
    EXPECT_EQ(SettingCMaximum(3), 60);
    EXPECT_EQ(SettingCMaximum(2), 32);
    s.settingC = 10;
    EXPECT_EQ(ApplyGeneratorCommand(4328, s, 32), 0u);

    s.settingD = 150;
    EXPECT_EQ(ApplyGeneratorCommand(4310, s, 32), 0u);
    s.settingD = 0;
    EXPECT_EQ(ApplyGeneratorCommand(4311, s, 32), 0u) << "the generator's D may reach 0";
    EXPECT_EQ(ApplyGeneratorCommand(4310, s, 32), C3PhaseGen::kSettingDBit);
    EXPECT_EQ(s.settingD, 1);

    s.phase2 = 359;
    s.phase3 = 0;
    EXPECT_EQ(ApplyGeneratorCommand(4323, s, 32), 0u);
    EXPECT_EQ(ApplyGeneratorCommand(4326, s, 32), 0u);
    EXPECT_EQ(ApplyGeneratorCommand(4324, s, 32), C3PhaseGen::kPhaseBit);
    EXPECT_EQ(ApplyGeneratorCommand(4325, s, 32), C3PhaseGen::kPhaseBit);
    EXPECT_EQ(s.phase2, 358);
    EXPECT_EQ(s.phase3, 1);

    EXPECT_EQ(ApplyGeneratorCommand(4309, s, 32), C3PhaseGen::kWaveformBit);
    EXPECT_EQ(s.waveform, 6);
    EXPECT_EQ(ApplyGeneratorCommand(4309, s, 32), 0u) << "the same waveform is not sent again";
    EXPECT_EQ(ApplyGeneratorCommand(4321, s, 32), C3PhaseGen::kPhaseFlagsBit);
    EXPECT_EQ(s.phaseFlags, (PhaseFlags{0, 1, 0}));
    EXPECT_EQ(ApplyGeneratorCommand(4302, s, 32), C3PhaseGen::kOutputBit);
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

// Loading must throw the archive exception and leave the settings as they were.
template <class Settings, class Serialize>
void ExpectRejected(const Bytes& bytes, const Settings& before, Serialize serialize, const char* what)
{
    Settings s = before;
    EXPECT_THROW(LoadBytes(bytes, [&](CArchive& ar) { serialize(ar, s); }), CArchiveException) << what;
    EXPECT_EQ(StoreBytes([&](CArchive& ar) { serialize(ar, s); }),
              StoreBytes([&](CArchive& ar) { Settings copy = before; serialize(ar, copy); }))
        << what << ": nothing may be half loaded";
}

TEST(SupplyRules, SineArchive)
{
    auto serialize = [](CArchive& ar, SineSourceSettings& s) { SerializeSettings(ar, s); };
    SineSourceSettings s{73, 60, 1};
    const Bytes bytes = StoreBytes([&](CArchive& ar) { serialize(ar, s); });
    EXPECT_EQ(bytes, Encode(uint32_t(2), 7.3, int32_t(60)));
    SineSourceSettings back;
    LoadBytes(bytes, [&](CArchive& ar) { serialize(ar, back); });
    EXPECT_EQ(back.level, 73);
    EXPECT_EQ(back.frequency, 60);
    EXPECT_EQ(back.outputOn, 0) << "the output is not part of the settings";

    const SineSourceSettings before{20, 5, 0};
    ExpectRejected(Encode(uint32_t(3), 7.0, int32_t(50)), before, serialize, "unknown version");
    ExpectRejected(Encode(uint32_t(1), 7.0, int32_t(50)), before, serialize, "version 1");
    ExpectRejected(Encode(uint32_t(2), 14.1, int32_t(50)), before, serialize, "above 14 V");
    ExpectRejected(Encode(uint32_t(2), -0.1, int32_t(50)), before, serialize, "below 0 V");
    ExpectRejected(Encode(uint32_t(2), std::numeric_limits<double>::quiet_NaN(), int32_t(50)), before, serialize,
                   "NaN");
    ExpectRejected(Encode(uint32_t(2), 7.0, int32_t(0)), before, serialize, "setting D 0");
    ExpectRejected(Encode(uint32_t(2), 7.0, int32_t(151)), before, serialize, "setting D 151");
    ExpectRejected(Encode(uint32_t(2), 7.0), before, serialize, "cut short");
}

TEST(SupplyRules, TripleSourceArchive)
{
    auto serialize = [](CArchive& ar, TripleDcSettings& s) { SerializeSettings(ar, s); };
    TripleDcSettings s{{200, 0, 99}, {1, 0, 1}, 1};
    const Bytes bytes = StoreBytes([&](CArchive& ar) { serialize(ar, s); });
    EXPECT_EQ(bytes, Encode(uint32_t(2), int32_t(200), int32_t(0), int32_t(99), uint8_t(1), uint8_t(0), uint8_t(1)));
    TripleDcSettings back;
    LoadBytes(bytes, [&](CArchive& ar) { serialize(ar, back); });
    EXPECT_EQ(back.levels, s.levels);
    EXPECT_EQ(back.negative, s.negative);

    const TripleDcSettings before{{5, 6, 7}, {0, 1, 0}, 0};
    auto make = [](uint32_t version, int32_t level3, uint8_t flag3) {
        return Encode(version, int32_t(1), int32_t(2), level3, uint8_t(0), uint8_t(0), flag3);
    };
    ExpectRejected(make(1, 3, 0), before, serialize, "version 1");
    ExpectRejected(make(3, 3, 0), before, serialize, "version 3");
    ExpectRejected(make(2, 201, 0), before, serialize, "level 201");
    ExpectRejected(make(2, -1, 0), before, serialize, "negative level");
    ExpectRejected(make(2, 3, 2), before, serialize, "flag 2");
    Bytes cut = make(2, 3, 0);
    cut.pop_back();
    ExpectRejected(cut, before, serialize, "cut short");
}

TEST(SupplyRules, SingleSupplyArchive)
{
    auto serialize24 = [](CArchive& ar, SingleSupplySettings& s) { SerializeSettings(ar, s, kSupply24V); };
    auto serialize40 = [](CArchive& ar, SingleSupplySettings& s) { SerializeSettings(ar, s, kSupply40V); };
    SingleSupplySettings s{-123, kPolarityNegative, 1};
    const Bytes bytes = StoreBytes([&](CArchive& ar) { serialize24(ar, s); });
    EXPECT_EQ(bytes, Encode(uint32_t(1), int32_t(-123), uint8_t(0)));
    SingleSupplySettings back;
    LoadBytes(bytes, [&](CArchive& ar) { serialize24(ar, back); });
    EXPECT_EQ(back.level, -123);
    EXPECT_EQ(back.polarity, kPolarityNegative);

    const SingleSupplySettings before{50, kPolarityPositive, 0};
    ExpectRejected(bytes, before, serialize40, "a negative level in the 0-40 V supply");
    ExpectRejected(Encode(uint32_t(1), int32_t(401), uint8_t(1)), before, serialize40, "above 40 V");
    ExpectRejected(Encode(uint32_t(2), int32_t(10), uint8_t(1)), before, serialize40, "version 2");
    ExpectRejected(Encode(uint32_t(1), int32_t(10), uint8_t(3)), before, serialize40, "polarity 3");
    ExpectRejected(Encode(uint32_t(1), int32_t(10)), before, serialize40, "cut short");
}

}  // namespace
