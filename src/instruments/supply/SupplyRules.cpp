#include "instruments/supply/SupplyRules.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iterator>

#include "units/ThreePhaseGen.h"

namespace {

// Volts per percent of the amplitude, for the outputs of phases 1 and 2 added.
constexpr double kFullScaleVolts = 19.79898987322333;

// Each of these archives has had one version so far.
void ReadVersion(CArchive& ar, uint32_t expected)
{
    ReadSchemaVersion(ar, expected, expected);
}

// Sets level within the limits; bit when that changed it.
uint32_t SetLevel(int32_t& level, int32_t value, int32_t minimum, int32_t maximum, uint32_t bit)
{
    const int32_t next = std::clamp(value, minimum, maximum);
    if (next == level)
        return 0;
    level = next;
    return bit;
}

uint32_t StepLevel(int32_t& level, int32_t delta, int32_t minimum, int32_t maximum, uint32_t bit)
{
    return SetLevel(level, StepWithin(level, delta, minimum, maximum), minimum, maximum, bit);
}

uint8_t Toggled(uint8_t flag) { return flag ? 0 : 1; }

} // namespace

// ---------------------------------------------------------------- common

int32_t StepWithin(int32_t value, int32_t delta, int32_t minimum, int32_t maximum)
{
    return static_cast<int32_t>(std::clamp<int64_t>(int64_t{value} + delta, minimum, maximum));
}

int32_t TenthsOfVolts(double volts)
{
    return static_cast<int32_t>(std::lround(std::clamp(volts, -1e8, 1e8) * 10));
}

CString FormatTenths(const char* format, int32_t level)
{
    char text[32];
    std::snprintf(text, sizeof text, format, level / 10.0);
    return Utf8ToString(text);
}

// ---------------------------------------------------------------- single DC supply

CommandOutcome ApplySingleSupplyCommand(uint32_t id, SingleSupplySettings& s, LevelLimits limits)
{
    switch (id) {
    case kLevelUpId:
    case kLevelUpId + 1:
        return StepLevel(s.level, id == kLevelUpId ? 1 : -1, limits.minimum, limits.maximum, kLevelBit);
    case kDcPowerId:
        s.outputOn = Toggled(s.outputOn);
        return kSupplyOutputBit;
    default:
        return std::nullopt;
    }
}

uint32_t SetSingleSupplyLevel(SingleSupplySettings& s, int32_t level, LevelLimits limits)
{
    return SetLevel(s.level, level, limits.minimum, limits.maximum, kLevelBit);
}

PhaseFlags PolarityFlags(uint8_t polarity)
{
    return polarity == kPolarityNegative ? PhaseFlags{1, 0, 0} : PhaseFlags{0, 1, 0};
}

uint8_t PolarityForLevel(uint8_t polarity, int32_t level)
{
    if (polarity == kPolarityNegative && level >= 1)
        return kPolarityPositive;
    if (polarity == kPolarityPositive && level < 0)
        return kPolarityNegative;
    return polarity;
}

int32_t SingleSupplyAmplitude(int32_t level)
{
    const double percent = std::fabs(level * 100.0 / 20 / kFullScaleVolts);
    return percent >= 100 ? 100 : static_cast<int32_t>(percent);
}

// ---------------------------------------------------------------- triple DC source

CommandOutcome ApplyTripleDcCommand(uint32_t id, TripleDcSettings& s)
{
    if (id >= kLevelUpId && id < kLevelUpId + 6) {
        const size_t channel = (id - kLevelUpId) / 2;
        const int32_t delta = (id - kLevelUpId) % 2 == 0 ? 1 : -1;
        return StepLevel(s.levels[channel], delta, 0, kTripleDcMaximum, kLevelBit);
    }
    if (id >= kPolarityToggleId && id < kPolarityToggleId + 3) {
        uint8_t& flag = s.negative[id - kPolarityToggleId];
        flag = Toggled(flag);
        return kPolarityBit;
    }
    if (id == kDcPowerId) {
        s.outputOn = Toggled(s.outputOn);
        return kSupplyOutputBit;
    }
    return std::nullopt;
}

uint32_t SetTripleDcLevel(TripleDcSettings& s, size_t channel, int32_t level)
{
    return channel < 3 ? SetLevel(s.levels[channel], level, 0, kTripleDcMaximum, kLevelBit) : 0;
}

// ---------------------------------------------------------------- three-phase sine source

CommandOutcome ApplySineCommand(uint32_t id, SineSourceSettings& s)
{
    switch (id) {
    case kOutputToggleId:
        s.outputOn = Toggled(s.outputOn);
        return kSineOutputBit;
    case kSettingDUpId:
    case kSettingDUpId + 1:
        return SetSineFrequency(s, s.frequency + (id == kSettingDUpId ? 1 : -1));
    case kAllAmplitudesUpId:
    case kAllAmplitudesDownId:
        return SetSineLevel(s, s.level + (id == kAllAmplitudesUpId ? 1 : -1));
    default:
        return std::nullopt;
    }
}

uint32_t SetSineLevel(SineSourceSettings& s, int32_t level)
{
    return SetLevel(s.level, level, 0, kSineMaximum, kSineAmplitudeBit);
}

uint32_t SetSineFrequency(SineSourceSettings& s, int32_t frequency)
{
    return SetLevel(s.frequency, frequency, kFrequencyMinimum, kFrequencyMaximum, kSineFrequencyBit);
}

// ---------------------------------------------------------------- three-phase generator

uint32_t CommandOfStepKey(uint32_t id)
{
    static constexpr uint32_t kCommands[][2] = {
        {kAmplitudeUpId, kAmplitudeDownId},         {kAmplitudeUpId + 1, kAmplitudeDownId + 1},
        {kAmplitudeUpId + 2, kAmplitudeDownId + 2}, {kAllAmplitudesUpId, kAllAmplitudesDownId},
        {kAngleUpId, kAngleDownId},                 {kAngleUpId + 1, kAngleDownId + 1},
    };
    const uint32_t key = id - kFirstStepKeyId;  // wraps for ids below the first
    if (key >= std::size(kCommands) * 2)
        return id;
    return kCommands[key / 2][key % 2];
}

CommandOutcome ApplyGeneratorCommand(uint32_t id, C3PhaseSettings& s, int32_t settingCMaximum)
{
    constexpr uint32_t kAmplitudeBit = C3PhaseGen::kAmplitudeBit;
    if (id == kOutputToggleId) {
        s.outputOn = Toggled(s.outputOn);
        return C3PhaseGen::kOutputBit;
    }
    if (id >= kAmplitudeUpId && id < kAmplitudeUpId + 3)
        return StepLevel(s.amplitudes[id - kAmplitudeUpId], 1, 0, 100, kAmplitudeBit);
    if (id >= kAmplitudeDownId && id < kAmplitudeDownId + 3)
        return StepLevel(s.amplitudes[id - kAmplitudeDownId], -1, 0, 100, kAmplitudeBit);
    if (id == kAllAmplitudesUpId || id == kAllAmplitudesDownId) {
        uint32_t changed = 0;
        for (int32_t& amplitude : s.amplitudes)
            changed |= StepLevel(amplitude, id == kAllAmplitudesUpId ? 1 : -1, 0, 100, kAmplitudeBit);
        return changed;
    }
    if (id == kSettingCUpId || id == kSettingCUpId + 1)
        return StepLevel(s.settingC, id == kSettingCUpId ? 1 : -1, kSettingCMinimum, settingCMaximum,
                         C3PhaseGen::kSettingCBit);
    if (id == kSettingDUpId || id == kSettingDUpId + 1)
        return StepLevel(s.settingD, id == kSettingDUpId ? 1 : -1, 0, kSettingDMaximum, C3PhaseGen::kSettingDBit);
    if (id >= kAngleUpId && id < kAngleDownId + 2) {
        const bool up = id < kAngleDownId;
        int32_t& angle = (id - (up ? kAngleUpId : kAngleDownId)) == 0 ? s.phase2 : s.phase3;
        return StepLevel(angle, up ? 1 : -1, 0, kAngleMaximum, C3PhaseGen::kPhaseBit);
    }
    if (id >= kFirstWaveformId && id < kFirstWaveformId + kWaveformCount) {
        const auto waveform = static_cast<int32_t>(id - kFirstWaveformId);
        if (waveform == s.waveform)
            return 0u;
        s.waveform = waveform;
        return C3PhaseGen::kWaveformBit;
    }
    if (id >= kFirstInvertId && id < kFirstInvertId + 3) {
        uint8_t& flag = s.phaseFlags[id - kFirstInvertId];
        flag = Toggled(flag);
        return C3PhaseGen::kPhaseFlagsBit;
    }
    return std::nullopt;
}

// ---------------------------------------------------------------- archives

void SerializeSettings(CArchive& ar, SineSourceSettings& s)
{
    constexpr uint32_t kVersion = 2;
    if (ar.IsStoring()) {
        ar << kVersion << LevelVolts(s.level) << s.frequency;
        return;
    }
    ReadVersion(ar, kVersion);
    double volts = 0;
    SineSourceSettings loaded = s;
    ar >> volts >> loaded.frequency;
    RequireSchema(std::isfinite(volts));
    loaded.level = TenthsOfVolts(volts);
    RequireSchema(loaded.level >= 0 && loaded.level <= kSineMaximum);
    RequireSchema(loaded.frequency >= kFrequencyMinimum && loaded.frequency <= kFrequencyMaximum);
    s = loaded;
}

void SerializeSettings(CArchive& ar, TripleDcSettings& s)
{
    constexpr uint32_t kVersion = 2;
    if (ar.IsStoring()) {
        ar << kVersion;
        for (int32_t level : s.levels)
            ar << level;
        for (uint8_t flag : s.negative)
            ar << flag;
        return;
    }
    ReadVersion(ar, kVersion);
    TripleDcSettings loaded = s;
    for (int32_t& level : loaded.levels) {
        ar >> level;
        RequireSchema(level >= 0 && level <= kTripleDcMaximum);
    }
    for (uint8_t& flag : loaded.negative) {
        ar >> flag;
        RequireSchema(flag <= 1);
    }
    s = loaded;
}

void SerializeSettings(CArchive& ar, SingleSupplySettings& s, LevelLimits limits)
{
    constexpr uint32_t kVersion = 1;
    if (ar.IsStoring()) {
        ar << kVersion << s.level << s.polarity;
        return;
    }
    ReadVersion(ar, kVersion);
    SingleSupplySettings loaded = s;
    ar >> loaded.level >> loaded.polarity;
    RequireSchema(loaded.level >= limits.minimum && loaded.level <= limits.maximum);
    RequireSchema(loaded.polarity <= 1);
    s = loaded;
}
