// C3PhaseGen: the three-phase generator (unit 4). Three outputs, either a
// three-phase alternating source (amplitude per phase, angles of phases 2
// and 3, a waveform, settings C and D) or three independent DC sources.
#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "units/BaseDevice.h"

struct C3PhaseSettings : CUnitSettings {
    uint8_t outputOn = 0;
    uint8_t dcMode = 0;
    std::array<uint8_t, 3> phaseFlags{};
    int32_t waveform = 0;
    int32_t settingC = 30;
    int32_t settingD = 1;
    std::array<int32_t, 3> amplitudes{};  // [%]
    int32_t phase2 = 120;                 // [degrees]
    int32_t phase3 = 240;                 // [degrees]
    uint8_t settingsValid = 1;
    CString formula;
};

class C3PhaseGen : public CVexaDevice {
    DECLARE_DYNAMIC(C3PhaseGen)
public:
    C3PhaseGen(CStreamIO* stream, CVexaface* owner);

    // Change bits.
    static constexpr uint32_t kOutputBit = 0x001;
    static constexpr uint32_t kSettingCBit = 0x002;
    static constexpr uint32_t kSettingDBit = 0x004;
    static constexpr uint32_t kAmplitudeBit = 0x008;
    static constexpr uint32_t kPhaseBit = 0x010;
    static constexpr uint32_t kWaveformBit = 0x020;
    static constexpr uint32_t kDcModeBit = 0x080;
    static constexpr uint32_t kPhaseFlagsBit = 0x100;
    static constexpr uint32_t kAllBits = 32767;

    static constexpr int32_t kFormulaWaveform = 6;
    static constexpr size_t kFormulaPoints = 257;
    static constexpr uint32_t kSettingsVersion = 2;
    // Volts per percent of amplitude: 100 % is 14 × √2 V.
    static constexpr double kPercentPerVolt = 5.050762722761053;

    // Setters: store under the change lock and mark their bit.
    void SetOutputOn(bool on);
    void ToggleOutput();
    void SetDcMode(bool on);
    void SetPhaseFlags(uint8_t phase1, uint8_t phase2, uint8_t phase3);
    void SetWaveform(int32_t waveform);
    void SetSettingC(int32_t value);
    void SetSettingD(int32_t value);
    void SetAmplitudes(int32_t phase1, int32_t phase2, int32_t phase3);
    void SetPhaseAngles(int32_t phase2, int32_t phase3);
    // Takes a formula for waveform 6 if it compiles.
    bool SetFormula(const CString& text);

    // Commands sent at once.
    void SwitchOutputs(bool on);
    void SendDcMode();
    void SendPhaseFlags();
    void SendSettingD();
    // These take the value first, so that the unit's settings (and a later
    // Flush or document) agree with what the interface was sent.
    void SendDcMode(bool on);
    void SendPhaseFlags(uint8_t phase1, uint8_t phase2, uint8_t phase3);
    void SendSettingD(int32_t value);
    // Amplitudes [%], each within 0 to 100.
    void SendAmplitudes(int32_t phase1, int32_t phase2, int32_t phase3);
    // Sends one raw amplitude byte for all phases, which then all hold it.
    void SendRawAmplitude(uint8_t raw);
    // Puts setting C back to its start value and sends it.
    void SendSettingC();
    // Sets the three DC outputs [V] (at most 100 %) and sends them.
    void SetDcVolts(double volts1, double volts2, double volts3);
    // Back to the alternating source: outputs off, C, angles, waveform 0, DC mode off.
    void ResetAc();
    // Phases 1 and 2 at amplitude, phase 3 off, DC mode with flags 0, 1, 0.
    void PrepareFixedDc(int32_t amplitude, bool outputOn);

    bool Flush() override;
    std::unique_ptr<CUnitSettings> SaveSettings() override;
    void RestoreSettings(std::unique_ptr<CUnitSettings> settings) override;
    void Serialize(CArchive& ar) override;

    // The percentage of a DC voltage [V], at most 100.
    static int32_t PercentOfVolts(double volts);
    // The signed 16-bit form the interface takes a formula value in.
    static int16_t FormulaSample(double value);

    int32_t StartSettingC() const;
    bool IsOutputOn() const { return m_s.outputOn != 0; }
    bool IsDcMode() const { return m_s.dcMode != 0; }
    const C3PhaseSettings& Settings() const { return m_s; }

private:
    void SendAmplitudes();
    void SendPhaseAngles();
    // Sends the waveform; for the formula waveform its samples, or nothing
    // when it has no values.
    void SendWaveform(int32_t waveform, const CString& formula);
    void SendByteCommand(uint8_t command, uint8_t value);

    C3PhaseSettings m_s;
};
