// What the three-phase and DC supply instruments decide without a window:
// the steps and limits of their commands, what their updates send, their
// reading texts and their settings archives. Levels are whole tenths of a
// volt, so that 0.1 V steps add up exactly and 7.0 V really is 70.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "framework/Archive.h"
#include "framework/Types.h"

struct C3PhaseSettings;

using PhaseFlags = std::array<uint8_t, 3>;

// ---------------------------------------------------------------- common

// value + delta, kept within minimum and maximum.
int32_t StepWithin(int32_t value, int32_t delta, int32_t minimum, int32_t maximum);
// The nearest whole tenth of volts [0.1 V].
int32_t TenthsOfVolts(double volts);
// A level [0.1 V] as volts in a printf format of one double.
CString FormatTenths(const char* format, int32_t level);

constexpr const char* kSingleSupplyFormat = "%5.1lf";
constexpr const char* kSourceFormat = "%4.1lf";

// Update bits of the DC supplies' change words. Opening asks for all of the
// low eight at once: the request to put the unit into DC mode.
constexpr uint32_t kPrepareRequest = 255;
constexpr uint32_t kLevelBit = 0x001;
constexpr uint32_t kPolarityBit = 0x002;
constexpr uint32_t kSupplyOutputBit = 0x1000;
inline bool IsPrepareRequest(uint32_t bits) { return (bits & kPrepareRequest) == kPrepareRequest; }

// The command's outcome: no value when the id is not one of the
// instrument's commands, else the update bits to mark (0: nothing changed,
// as a step at a limit).
using CommandOutcome = std::optional<uint32_t>;

// ---------------------------------------------------------------- single DC supply

struct LevelLimits {
    int32_t minimum;  // [0.1 V]
    int32_t maximum;  // [0.1 V]
};
constexpr LevelLimits kSupply40V{0, 400};
constexpr LevelLimits kSupply24V{-240, 240};

constexpr uint8_t kPolarityNegative = 0;
constexpr uint8_t kPolarityPositive = 1;

struct SingleSupplySettings {
    int32_t level = 0;                    // [0.1 V]
    uint8_t polarity = kPolarityPositive;  // what the unit's phase flags give now
    uint8_t outputOn = 0;
};

// Commands of both DC supplies: 100 level up and 101 down (the triple
// source's channels 2 and 3 at 102/103 and 104/105), 300 output toggled.
constexpr uint32_t kLevelUpId = 100;
constexpr uint32_t kDcPowerId = 300;

CommandOutcome ApplySingleSupplyCommand(uint32_t id, SingleSupplySettings& s, LevelLimits limits);
// A level typed in or dialled, kept within the limits.
uint32_t SetSingleSupplyLevel(SingleSupplySettings& s, int32_t level, LevelLimits limits);
// The output runs between phases 1 and 2; one of them is inverted: phase 2
// for positive, phase 1 for negative.
PhaseFlags PolarityFlags(uint8_t polarity);
// The polarity a level calls for: positive from 0.1 V, negative below 0;
// at 0 V whichever the output has.
uint8_t PolarityForLevel(uint8_t polarity, int32_t level);
// The amplitude [%] of phases 1 and 2, which add up, at most 100.
int32_t SingleSupplyAmplitude(int32_t level);

// ---------------------------------------------------------------- triple DC source

constexpr int32_t kTripleDcMaximum = 200;  // [0.1 V]
constexpr uint32_t kPolarityToggleId = 200;  // 200 to 202: the channel's polarity toggled

struct TripleDcSettings {
    std::array<int32_t, 3> levels{};  // [0.1 V], 0 to 200
    PhaseFlags negative{};            // 1: the channel's output inverted
    uint8_t outputOn = 0;
};

CommandOutcome ApplyTripleDcCommand(uint32_t id, TripleDcSettings& s);
uint32_t SetTripleDcLevel(TripleDcSettings& s, size_t channel, int32_t level);
// Volts of a level, as the unit takes them.
inline double LevelVolts(int32_t level) { return level / 10.0; }

// ---------------------------------------------------------------- three-phase commands
// The generator's panel commands; the sine source uses 4302, 4310/4311 and
// 4315/4319 alike for its output, frequency and voltage.

constexpr uint32_t kOutputToggleId = 4302;
constexpr uint32_t kFirstWaveformId = 4303;     // to 4309: waveform id - 4303
constexpr uint32_t kSettingDUpId = 4310;        // 4311 down
constexpr uint32_t kAmplitudeUpId = 4312;       // to 4314: phase 1 to 3
constexpr uint32_t kAllAmplitudesUpId = 4315;
constexpr uint32_t kAmplitudeDownId = 4316;     // to 4318
constexpr uint32_t kAllAmplitudesDownId = 4319;
constexpr uint32_t kFirstInvertId = 4320;       // to 4322: phase flag toggled
constexpr uint32_t kAngleUpId = 4323;           // phase 2; 4324 phase 3
constexpr uint32_t kAngleDownId = 4325;         // phase 2; 4326 phase 3
constexpr uint32_t kSettingCUpId = 4327;        // 4328 down
constexpr int32_t kWaveformCount = 7;

// Up/down controls post their id for the upper key and id + 1 for the lower
// one; the step pairs above that are not numbered so come from controls of
// their own: 4400/4401 phase 1 amplitude, 4402/4403 phase 2, 4404/4405
// phase 3, 4406/4407 all phases (the sine source's voltage), 4408/4409 the
// angle of phase 2, 4410/4411 of phase 3.
constexpr uint32_t kFirstStepKeyId = 4400;
constexpr uint32_t kAllAmplitudesKeyId = 4406;
constexpr uint32_t kAngleKeyId = 4408;
// The command a step key stands for; any other id is its own command.
uint32_t CommandOfStepKey(uint32_t id);

// ---------------------------------------------------------------- three-phase sine source

constexpr int32_t kSineMaximum = 140;  // [0.1 V]; the full scale of the outputs
constexpr int32_t kFrequencyMinimum = 1;
constexpr int32_t kFrequencyMaximum = 150;

// Update bits of the sine source.
constexpr uint32_t kSineResetBit = 0x1;
constexpr uint32_t kSineAmplitudeBit = 0x2;
constexpr uint32_t kSineFrequencyBit = 0x4;
constexpr uint32_t kSineOutputBit = 0x8;
constexpr uint32_t kSineAllBits = 0xF;

struct SineSourceSettings {
    int32_t level = 0;      // [0.1 V], 0 to 140
    int32_t frequency = 50;  // [Hz] setting D; mains frequency to start with
    uint8_t outputOn = 0;
};

CommandOutcome ApplySineCommand(uint32_t id, SineSourceSettings& s);
uint32_t SetSineLevel(SineSourceSettings& s, int32_t level);
uint32_t SetSineFrequency(SineSourceSettings& s, int32_t frequency);
// The amplitude [%] of every phase: 14 V is full scale.
inline int32_t SineAmplitude(int32_t level) { return level * 100 / kSineMaximum; }

// ---------------------------------------------------------------- three-phase generator

constexpr int32_t kSettingCMinimum = 10;
constexpr int32_t kSettingDMaximum = 150;
constexpr int32_t kAngleMaximum = 359;  // [degrees]
// The largest setting C the interface takes at its variant level.
inline int32_t SettingCMaximum(int32_t variantLevel) { return variantLevel >= 3 ? 60 : 32; }

// Applies a panel command to a copy of the unit's settings; the outcome
// holds the unit's change bits of what changed.
CommandOutcome ApplyGeneratorCommand(uint32_t id, C3PhaseSettings& s, int32_t settingCMaximum);

// ---------------------------------------------------------------- archives
// Loading reads into a copy and checks every field: a damaged archive or an
// unknown version throws CArchiveException and changes nothing.

// Version 2: voltage f64 [V], setting D i32.
void SerializeSettings(CArchive& ar, SineSourceSettings& s);
// Version 2: the three levels i32, the three polarity flags u8.
void SerializeSettings(CArchive& ar, TripleDcSettings& s);
// Version 1: level i32, polarity u8; the level lies within the limits.
void SerializeSettings(CArchive& ar, SingleSupplySettings& s, LevelLimits limits);
