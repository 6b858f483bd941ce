// CFuncGen: the function generator (unit 3). It plays a periodic waveform of
// a chosen shape, frequency, amplitude, duty and output range, or an
// arbitrary waveform computed from a formula text.
//
// Most settings are class-wide: every generator panel of the process shows
// and changes the same generator.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "instruments/formula/FormulaCompiler.h"
#include "units/BaseDevice.h"
#include "units/CommandBytes.h"

// One row of the frequency range table, in tenths of a hertz.
struct FrequencyRow {
    uint32_t minimum;
    uint32_t maximum;
    uint32_t step;
};

// Dividers of the generator clock and the frequency they produce.
struct GeneratorDividers {
    uint16_t a = 0;
    uint16_t b = 0;
    uint8_t c = 0;
    double frequency = 0;  // [Hz]
};

struct CFuncGenSettings : CUnitSettings {
    uint8_t outputOn = 0;
    int32_t waveform = 0;
    int32_t frequencyRange = 0;
    uint32_t frequency = 10;  // [0.1 Hz]
    int32_t reserved = 0;
    int32_t amplitude = 0;    // [%]
    int32_t outputRange = 0;
    int32_t duty = 50;        // [%]
    uint8_t formulaChanged = 1;
    CString formula;
};

// Whether SetFormula shows why it refused a text.
enum class FormulaErrorDisplay { Silent, Show };

class CFuncGen : public CVexaDevice {
    DECLARE_DYNAMIC(CFuncGen)
public:
    CFuncGen(CStreamIO* stream, CVexaface* owner);

    // Change bits.
    static constexpr uint32_t kOutputBit = 0x01;
    static constexpr uint32_t kFrequencyBit = 0x02;
    static constexpr uint32_t kAmplitudeBit = 0x04;
    static constexpr uint32_t kDutyBit = 0x08;
    static constexpr uint32_t kWaveformBit = 0x10;
    static constexpr uint32_t kOutputRangeBit = 0x40;
    static constexpr uint32_t kAllBits = 0xFFFF;

    static constexpr int32_t kFormulaWaveform = 6;
    static constexpr size_t kFormulaPoints = 8192;
    static constexpr int32_t kFrequencyRows = 7;
    static constexpr uint32_t kSettingsVersion = 1;

    // A row of the frequency range table of a variant level (rows outside
    // the table give its nearest end).
    static FrequencyRow RangeRow(int variantLevel, int32_t row);
    FrequencyRow CurrentRow() const;

    // Setters: store under the change lock and mark their bit.
    void SetWaveform(int32_t waveform);
    void SetOutputRange(int32_t range);
    void SetDuty(int32_t percent);
    void SetAmplitude(int32_t percent);
    void SetOutputOn(bool on);
    void ToggleOutput();
    // Stores hertz × 10, truncated.
    void SetFrequency(double hertz);
    // Changes the row and puts the frequency at its minimum; false when it is the row already.
    bool SetFrequencyRange(int32_t row);
    // Steps within the row; false at the row's end.
    bool FrequencyUp();
    bool FrequencyDown();
    bool AmplitudeUp();
    bool AmplitudeDown();
    bool DutyUp();
    bool DutyDown();
    // The current row's limits [Hz].
    double RowMinimum() const;
    double RowMaximum() const;
    // Takes a formula for waveform 6 if it compiles; otherwise keeps the old
    // one and, when asked to, has the error shown.
    bool SetFormula(const CString& text, FormulaErrorDisplay display);
    // Switches the output at once.
    void SwitchOutput(bool on);

    bool Flush() override;
    std::unique_ptr<CUnitSettings> SaveSettings() override;
    void RestoreSettings(std::unique_ptr<CUnitSettings> settings) override;
    void Serialize(CArchive& ar) override;

    // The step of FrequencyUp (up) or FrequencyDown from a frequency in a row [0.1 Hz].
    static uint32_t FrequencyStep(const FrequencyRow& row, int32_t rowIndex, uint32_t frequency, bool up);
    // The divider searches of the two families of interfaces.
    static GeneratorDividers DividersLevel1(double clock, double hertz);
    static GeneratorDividers DividersLevel23(double clock, double hertz);
    // The byte form of a percentage: percent × 255 / 100.
    static uint8_t PercentByte(int32_t percent);

    // Shows a formula the generator refused; the plug-in installs one.
    using FormulaErrorHandler = std::function<void(const CString& text, const FormulaDiagnostic& diagnostic)>;
    static void SetFormulaErrorHandler(FormulaErrorHandler handler);

    // Class-wide settings.
    static int32_t Waveform();
    static int32_t FrequencyRange();
    static uint32_t Frequency();  // [0.1 Hz]
    static int32_t Amplitude();
    static int32_t OutputRange();
    static CString Formula();
    static bool FormulaChanged();

    int32_t Duty() const { return m_duty; }
    bool IsOutputOn() const { return m_outputOn != 0; }
    const GeneratorDividers& Dividers() const { return m_dividers; }
    double Clock() const { return m_clock; }

private:
    UnitCommand FrequencyCommand();
    // Evaluates the formula and sends its samples; false when it has no values.
    bool LoadFormula(const CString& formula);
    void LoadSamples(const std::vector<double>& values);

    GeneratorDividers m_dividers;
    int32_t m_duty = 50;
    uint8_t m_outputOn = 0;
    double m_clock;
};
