#include "units/ThreePhaseGen.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include "instruments/formula/ForComp.h"
#include "units/CommandBytes.h"

IMPLEMENT_DYNAMIC(C3PhaseGen, CVexaDevice)

namespace {

constexpr uint8_t kCmdOutputsOn = 0x40;
constexpr uint8_t kCmdOutputsOff = 0x41;  // "A"
constexpr uint8_t kCmdSettingC = 0x43;    // "C"
constexpr uint8_t kCmdSettingD = 0x44;    // "D"
constexpr uint8_t kCmdAmplitudes = 0x45;  // "E"
constexpr uint8_t kCmdRawAmplitude = 0x46;  // "F"
constexpr uint8_t kCmdPhases = 0x47;      // "G"
constexpr uint8_t kCmdWaveform = 0x48;    // "H"
constexpr uint8_t kCmdFormula = 0x49;     // "I"
constexpr uint8_t kCmdDcMode = 0x4A;      // "J"
constexpr uint8_t kCmdPhaseFlags = 0x4B;  // "K"

uint8_t PercentByte(int32_t percent)
{
    return static_cast<uint8_t>(std::clamp(percent, 0, 100) * 255 / 100);
}

} // namespace

C3PhaseGen::C3PhaseGen(CStreamIO* stream, CVexaface* owner) : CVexaDevice(stream, owner)
{
    m_s.settingC = StartSettingC();
}

int32_t C3PhaseGen::StartSettingC() const
{
    return VariantLevel() >= 3 ? 40 : 30;
}

int32_t C3PhaseGen::PercentOfVolts(double volts)
{
    const double percent = volts * kPercentPerVolt;
    if (!(percent > 0))
        return 0;
    return percent >= 100 ? 100 : static_cast<int32_t>(percent);
}

int16_t C3PhaseGen::FormulaSample(double value)
{
    // The interface's outputs invert: +1 is sent as -512.
    if (value > 1)
        return -512;
    if (value < -1)
        return 512;
    return static_cast<int16_t>(-512 * value);
}

// ---------------------------------------------------------------- setters

void C3PhaseGen::SetOutputOn(bool on)
{
    m_changes.Set(m_s.outputOn, on ? 1 : 0, kOutputBit);
}

void C3PhaseGen::ToggleOutput()
{
    m_changes.Lock();
    m_s.outputOn = m_s.outputOn ? 0 : 1;
    m_changes.Unlock(kOutputBit);
}

void C3PhaseGen::SetDcMode(bool on)
{
    m_changes.Set(m_s.dcMode, on ? 1 : 0, kDcModeBit);
}

void C3PhaseGen::SetPhaseFlags(uint8_t phase1, uint8_t phase2, uint8_t phase3)
{
    m_changes.Lock();
    m_s.phaseFlags = {phase1, phase2, phase3};
    m_changes.Unlock(kPhaseFlagsBit);
}

void C3PhaseGen::SetWaveform(int32_t waveform)
{
    m_changes.Set(m_s.waveform, waveform, kWaveformBit);
}

void C3PhaseGen::SetSettingC(int32_t value)
{
    m_changes.Set(m_s.settingC, std::clamp(value, 0, 255), kSettingCBit);
}

void C3PhaseGen::SetSettingD(int32_t value)
{
    m_changes.Set(m_s.settingD, std::clamp(value, 0, 255), kSettingDBit);
}

void C3PhaseGen::SetAmplitudes(int32_t phase1, int32_t phase2, int32_t phase3)
{
    m_changes.Lock();
    m_s.amplitudes = {std::clamp(phase1, 0, 100), std::clamp(phase2, 0, 100), std::clamp(phase3, 0, 100)};
    m_changes.Unlock(kAmplitudeBit);
}

void C3PhaseGen::SetPhaseAngles(int32_t phase2, int32_t phase3)
{
    m_changes.Lock();
    m_s.phase2 = std::clamp(phase2, 0, 359);
    m_s.phase3 = std::clamp(phase3, 0, 359);
    m_changes.Unlock(kPhaseBit);
}

bool C3PhaseGen::SetFormula(const CString& text)
{
    if (CheckFormula(text).error != FormulaError::None)
        return false;
    m_changes.Lock();
    m_s.formula = text;
    m_changes.Unlock(0);
    return true;
}

// ---------------------------------------------------------------- commands

void C3PhaseGen::SendByteCommand(uint8_t command, uint8_t value)
{
    UnitCommand{CommandBytes(command).Byte(value), UnitCommand::Acknowledge}.Send(*m_stream);
}

void C3PhaseGen::SwitchOutputs(bool on)
{
    m_s.outputOn = on ? 1 : 0;
    m_stream->WriteByte(on ? kCmdOutputsOn : kCmdOutputsOff);
    m_stream->CheckAck();
}

void C3PhaseGen::SendDcMode()
{
    SendByteCommand(kCmdDcMode, m_s.dcMode ? 1 : 0);
}

void C3PhaseGen::SendPhaseFlags()
{
    CommandBytes bytes(kCmdPhaseFlags);
    bytes.Byte(m_s.phaseFlags[0]).Byte(m_s.phaseFlags[1]).Byte(m_s.phaseFlags[2]);
    UnitCommand{bytes, UnitCommand::Acknowledge}.Send(*m_stream);
}

void C3PhaseGen::SendSettingD()
{
    SendByteCommand(kCmdSettingD, static_cast<uint8_t>(m_s.settingD));
}

void C3PhaseGen::SendDcMode(bool on)
{
    m_changes.Lock();
    m_s.dcMode = on ? 1 : 0;
    m_changes.Unlock(0);
    SendDcMode();
}

void C3PhaseGen::SendPhaseFlags(uint8_t phase1, uint8_t phase2, uint8_t phase3)
{
    m_changes.Lock();
    m_s.phaseFlags = {phase1, phase2, phase3};
    m_changes.Unlock(0);
    SendPhaseFlags();
}

void C3PhaseGen::SendSettingD(int32_t value)
{
    m_changes.Lock();
    m_s.settingD = std::clamp(value, 0, 255);
    m_changes.Unlock(0);
    SendSettingD();
}

void C3PhaseGen::SendAmplitudes(int32_t phase1, int32_t phase2, int32_t phase3)
{
    m_changes.Lock();
    m_s.amplitudes = {std::clamp(phase1, 0, 100), std::clamp(phase2, 0, 100), std::clamp(phase3, 0, 100)};
    m_changes.Unlock(0);
    SendAmplitudes();
}

void C3PhaseGen::SendRawAmplitude(uint8_t raw)
{
    m_s.amplitudes = {raw, raw, raw};
    SendByteCommand(kCmdRawAmplitude, raw);
}

void C3PhaseGen::SendSettingC()
{
    m_s.settingC = StartSettingC();
    SendByteCommand(kCmdSettingC, static_cast<uint8_t>(m_s.settingC));
}

void C3PhaseGen::SendAmplitudes()
{
    CommandBytes bytes(kCmdAmplitudes);
    for (int32_t amplitude : m_s.amplitudes)
        bytes.Byte(PercentByte(amplitude));
    UnitCommand{bytes, UnitCommand::Acknowledge}.Send(*m_stream);
}

void C3PhaseGen::SendPhaseAngles()
{
    // The interface counts the angles the other way round.
    CommandBytes bytes(kCmdPhases);
    bytes.Word(static_cast<uint16_t>(360 - m_s.phase2)).Word(static_cast<uint16_t>(360 - m_s.phase3));
    UnitCommand{bytes, UnitCommand::Acknowledge}.Send(*m_stream);
}

void C3PhaseGen::SendWaveform(int32_t waveform, const CString& formula)
{
    if (waveform != kFormulaWaveform) {
        SendByteCommand(kCmdWaveform, static_cast<uint8_t>(waveform));
        return;
    }
    CForComp compiler;
    std::vector<double> values;
    if (!compiler.Compile(formula) || !compiler.EvaluateOver(kFormulaPoints, 0, 2 * std::numbers::pi, values))
        return;
    CommandBytes bytes(kCmdFormula);
    bytes.Byte(1);
    for (double value : values)
        bytes.Word(static_cast<uint16_t>(FormulaSample(value)));
    UnitCommand{bytes, UnitCommand::Acknowledge}.Send(*m_stream);
}

void C3PhaseGen::SetDcVolts(double volts1, double volts2, double volts3)
{
    m_changes.Lock();
    m_s.amplitudes = {PercentOfVolts(volts1), PercentOfVolts(volts2), PercentOfVolts(volts3)};
    m_changes.Unlock(0);
    SendAmplitudes();
}

void C3PhaseGen::ResetAc()
{
    SwitchOutputs(false);
    SendSettingC();
    m_s.phase2 = 120;
    m_s.phase3 = 240;
    SendPhaseAngles();
    m_changes.Lock();
    m_s.waveform = 0;
    m_s.dcMode = 0;
    m_changes.Unlock(kWaveformBit);
    SendDcMode();
}

void C3PhaseGen::PrepareFixedDc(int32_t amplitude, bool outputOn)
{
    m_changes.Lock();
    const int32_t a = std::clamp(amplitude, 0, 100);
    m_s.amplitudes = {a, a, 0};
    m_s.dcMode = 1;
    m_s.phaseFlags = {0, 1, 0};
    m_s.outputOn = outputOn ? 1 : 0;
    m_changes.Unlock(kAllBits);
}

bool C3PhaseGen::Flush()
{
    uint32_t bits = m_changes.TakeChanged();
    if ((bits & 0xFFFF) == 0)
        return false;
    m_changes.Lock();
    const C3PhaseSettings s = m_s;
    m_changes.Unlock(0);

    // Outputs off first, so the new settings never appear on live outputs.
    if (!s.outputOn && (bits & kOutputBit)) {
        m_stream->WriteByte(kCmdOutputsOff);
        m_stream->CheckAck();
        bits &= ~kOutputBit;
    }
    if (bits & kSettingCBit)
        SendByteCommand(kCmdSettingC, static_cast<uint8_t>(s.settingC));
    if (bits & kSettingDBit)
        SendByteCommand(kCmdSettingD, static_cast<uint8_t>(s.settingD));
    if (bits & kAmplitudeBit)
        SendAmplitudes();
    if (bits & kPhaseBit)
        SendPhaseAngles();
    if (bits & kWaveformBit)
        SendWaveform(s.waveform, s.formula);
    if (bits & kDcModeBit)
        SendByteCommand(kCmdDcMode, s.dcMode ? 1 : 0);
    if (bits & kPhaseFlagsBit)
        SendPhaseFlags();
    if (bits & kOutputBit) {
        m_stream->WriteByte(s.outputOn ? kCmdOutputsOn : kCmdOutputsOff);
        m_stream->CheckAck();
    }
    return true;
}

// ---------------------------------------------------------------- settings

std::unique_ptr<CUnitSettings> C3PhaseGen::SaveSettings()
{
    m_changes.Lock();
    auto s = std::make_unique<C3PhaseSettings>(m_s);
    m_changes.Unlock(0);
    return s;
}

void C3PhaseGen::RestoreSettings(std::unique_ptr<CUnitSettings> settings)
{
    const auto* s = dynamic_cast<const C3PhaseSettings*>(settings.get());
    if (s == nullptr)
        return;
    m_changes.Set(m_s, *s, kAllBits);
}

void C3PhaseGen::Serialize(CArchive& ar)
{
    if (ar.IsStoring()) {
        m_changes.Lock();
        ar << kSettingsVersion << int32_t{m_s.dcMode};
        for (uint8_t flag : m_s.phaseFlags)
            ar << int32_t{flag};
        ar << m_s.waveform << m_s.settingC << m_s.settingD;
        for (int32_t amplitude : m_s.amplitudes)
            ar << amplitude;
        ar << m_s.phase2 << m_s.phase3 << m_s.formula;
        m_changes.Unlock(0);
        return;
    }
    uint32_t version;
    ar >> version;
    C3PhaseSettings loaded = m_s;
    if (version >= 2) {
        int32_t dcMode;
        std::array<int32_t, 3> flags;
        ar >> dcMode >> flags[0] >> flags[1] >> flags[2];
        ar >> loaded.waveform >> loaded.settingC >> loaded.settingD;
        for (int32_t& amplitude : loaded.amplitudes)
            ar >> amplitude;
        ar >> loaded.phase2 >> loaded.phase3 >> loaded.formula;
        loaded.dcMode = dcMode != 0 ? 1 : 0;
        for (size_t i = 0; i < 3; ++i)
            loaded.phaseFlags[i] = static_cast<uint8_t>(flags[i]);
        loaded.settingC = std::clamp(loaded.settingC, 0, 255);
        loaded.settingD = std::clamp(loaded.settingD, 1, 255);
        for (int32_t& amplitude : loaded.amplitudes)
            amplitude = std::clamp(amplitude, 0, 100);
        loaded.phase2 = std::clamp(loaded.phase2, 0, 359);
        loaded.phase3 = std::clamp(loaded.phase3, 0, 359);
    }
    loaded.outputOn = 0;
    loaded.settingsValid = 1;
    m_changes.Set(m_s, loaded, kAllBits);
}
