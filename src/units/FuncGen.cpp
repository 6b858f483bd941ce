#include "units/FuncGen.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

#include "instruments/formula/ForComp.h"

IMPLEMENT_DYNAMIC(CFuncGen, CVexaDevice)

namespace {

constexpr uint8_t kCmdOutputOn = 0xC0;
constexpr uint8_t kCmdOutputOff = 0xC1;
constexpr uint8_t kCmdDividers = 0xC2;
constexpr uint8_t kCmdAmplitude = 0xC3;
constexpr uint8_t kCmdWaveform = 0xC4;
constexpr uint8_t kCmdSamples8 = 0xC5;
constexpr uint8_t kCmdOutputRange = 0xC6;
constexpr uint8_t kCmdDuty = 0xC9;
constexpr uint8_t kCmdFrequency = 0xCA;
constexpr uint8_t kCmdSamples16 = 0xCB;

constexpr FrequencyRow kRows[CFuncGen::kFrequencyRows] = {
    {5, 200, 1},           {10, 1000, 10},          {100, 10000, 10},       {1000, 100000, 100},
    {10000, 1000000, 1000}, {100000, 5000000, 10000}, {1000000, 10000000, 100000},
};
constexpr uint32_t kTopRowMaximumLevel3 = 50000000;

// Below this the dividers would not fit their registers; the tables start at 0.5 Hz.
constexpr double kLowestHertz = 0.1;

struct SharedGenerator {
    int32_t waveform = 0;
    int32_t frequencyRange = 0;
    uint32_t frequency = 10;
    int32_t reserved = 0;
    int32_t amplitude = 0;
    int32_t outputRange = 0;
    CString formula;
    uint8_t formulaChanged = 1;
    CFuncGen::FormulaErrorHandler errorHandler;
};

SharedGenerator& Shared()
{
    static SharedGenerator shared;
    return shared;
}

uint32_t TenthsOf(double hertz)
{
    const double tenths = hertz * 10;
    if (!(tenths > 0))
        return 0;
    return tenths >= 4294967295.0 ? 0xFFFFFFFFu : static_cast<uint32_t>(tenths);
}

bool Within(double produced, double wanted)
{
    return std::fabs(produced - wanted) <= 0.01 * wanted;
}

} // namespace

CFuncGen::CFuncGen(CStreamIO* stream, CVexaface* owner) : CVexaDevice(stream, owner)
{
    const int level = VariantLevel();
    m_clock = level == 1 ? 3.2e7 : level == 2 ? 8e7 : 2e8;
    m_changes.MarkChanged(kAllBits);
}

int32_t CFuncGen::Waveform() { return Shared().waveform; }
int32_t CFuncGen::FrequencyRange() { return Shared().frequencyRange; }
uint32_t CFuncGen::Frequency() { return Shared().frequency; }
int32_t CFuncGen::Amplitude() { return Shared().amplitude; }
int32_t CFuncGen::OutputRange() { return Shared().outputRange; }
CString CFuncGen::Formula() { return Shared().formula; }
bool CFuncGen::FormulaChanged() { return Shared().formulaChanged != 0; }

void CFuncGen::SetFormulaErrorHandler(FormulaErrorHandler handler)
{
    Shared().errorHandler = std::move(handler);
}

FrequencyRow CFuncGen::RangeRow(int variantLevel, int32_t row)
{
    FrequencyRow r = kRows[std::clamp(row, 0, kFrequencyRows - 1)];
    if (row >= kFrequencyRows - 1 && variantLevel >= 3)
        r.maximum = kTopRowMaximumLevel3;
    return r;
}

FrequencyRow CFuncGen::CurrentRow() const
{
    return RangeRow(VariantLevel(), Shared().frequencyRange);
}

uint8_t CFuncGen::PercentByte(int32_t percent)
{
    return static_cast<uint8_t>(std::clamp(percent, 0, 100) * 255 / 100);
}

// ---------------------------------------------------------------- setters

void CFuncGen::SetWaveform(int32_t waveform)
{
    m_changes.Set(Shared().waveform, waveform, kWaveformBit);
}

void CFuncGen::SetOutputRange(int32_t range)
{
    m_changes.Set(Shared().outputRange, std::clamp(range, 0, 255), kOutputRangeBit);
}

void CFuncGen::SetDuty(int32_t percent)
{
    m_changes.Set(m_duty, std::clamp(percent, 0, 100), kDutyBit);
}

void CFuncGen::SetAmplitude(int32_t percent)
{
    m_changes.Set(Shared().amplitude, std::clamp(percent, 0, 100), kAmplitudeBit);
}

void CFuncGen::SetOutputOn(bool on)
{
    m_changes.Set(m_outputOn, on ? 1 : 0, kOutputBit);
}

void CFuncGen::ToggleOutput()
{
    m_changes.Lock();
    m_outputOn = m_outputOn ? 0 : 1;
    m_changes.Unlock(kOutputBit);
}

void CFuncGen::SetFrequency(double hertz)
{
    m_changes.Set(Shared().frequency, TenthsOf(hertz), kFrequencyBit);
}

bool CFuncGen::SetFrequencyRange(int32_t row)
{
    if (row < 0 || row >= kFrequencyRows)
        return false;
    m_changes.Lock();
    const bool changed = row != Shared().frequencyRange;
    if (changed) {
        Shared().frequencyRange = row;
        Shared().frequency = CurrentRow().minimum;
    }
    m_changes.Unlock(changed ? kFrequencyBit : 0);
    return changed;
}

uint32_t CFuncGen::FrequencyStep(const FrequencyRow& row, int32_t rowIndex, uint32_t frequency, bool up)
{
    if (rowIndex != kFrequencyRows - 1)
        return row.step;
    // Up counts a frequency at a boundary as above it, down as below it, so
    // both directions use the finer step between 2 and 3 MHz alike.
    const bool below2MHz = up ? frequency < 20000000 : frequency <= 20000000;
    const bool below3MHz = up ? frequency < 30000000 : frequency <= 30000000;
    if (below2MHz)
        return 100000;
    return below3MHz ? 1000000 : 2000000;
}

bool CFuncGen::FrequencyUp()
{
    m_changes.Lock();
    const FrequencyRow row = CurrentRow();
    uint32_t& f = Shared().frequency;
    const uint64_t next = uint64_t{f} + FrequencyStep(row, Shared().frequencyRange, f, true);
    const uint32_t clamped = next > row.maximum ? row.maximum : static_cast<uint32_t>(next);
    const bool changed = clamped != f;
    f = clamped;
    m_changes.Unlock(changed ? kFrequencyBit : 0);
    return changed;
}

bool CFuncGen::FrequencyDown()
{
    m_changes.Lock();
    const FrequencyRow row = CurrentRow();
    uint32_t& f = Shared().frequency;
    const uint32_t step = FrequencyStep(row, Shared().frequencyRange, f, false);
    const uint32_t clamped = f < row.minimum + step ? row.minimum : f - step;
    const bool changed = clamped != f;
    f = clamped;
    m_changes.Unlock(changed ? kFrequencyBit : 0);
    return changed;
}

bool CFuncGen::AmplitudeUp()
{
    return m_changes.StepUpInt(Shared().amplitude, 1, 100, kAmplitudeBit);
}

bool CFuncGen::AmplitudeDown()
{
    return m_changes.StepDownInt(Shared().amplitude, 1, 0, kAmplitudeBit);
}

bool CFuncGen::DutyUp()
{
    return m_changes.StepUpInt(m_duty, 1, 100, kDutyBit);
}

bool CFuncGen::DutyDown()
{
    return m_changes.StepDownInt(m_duty, 1, 0, kDutyBit);
}

double CFuncGen::RowMinimum() const
{
    return CurrentRow().minimum / 10.0;
}

double CFuncGen::RowMaximum() const
{
    return CurrentRow().maximum / 10.0;
}

bool CFuncGen::SetFormula(const CString& text, FormulaErrorDisplay display)
{
    const FormulaDiagnostic diagnostic = CheckFormula(text);
    if (diagnostic.error != FormulaError::None) {
        if (display == FormulaErrorDisplay::Show && Shared().errorHandler)
            Shared().errorHandler(text, diagnostic);
        return false;
    }
    m_changes.Lock();
    Shared().formula = text;
    Shared().formulaChanged = 1;
    m_changes.Unlock(0);
    return true;
}

void CFuncGen::SwitchOutput(bool on)
{
    m_stream->WriteByte(on ? kCmdOutputOn : kCmdOutputOff);
    m_stream->CheckAck();
    m_outputOn = on ? 1 : 0;
}

// ---------------------------------------------------------------- dividers

GeneratorDividers CFuncGen::DividersLevel1(double clock, double hertz)
{
    const double f = std::max(hertz, kLowestHertz);
    auto produced = [clock](uint16_t a, uint16_t b, uint8_t c) {
        return c == 0 ? clock / a / (b + 1) : clock / (a + static_cast<double>(a) / c) / (b + 1);
    };
    GeneratorDividers best{32, 0, 0, produced(32, 0, 0)};
    double bestError = 3e6;
    auto remember = [&](uint16_t a, uint16_t b, uint8_t c) {
        const double error = std::fabs(produced(a, b, c) - f);
        if (error < bestError) {
            bestError = error;
            best = {a, b, c, produced(a, b, c)};
        }
    };
    for (int k = 13; k >= 5; --k) {
        const auto a = static_cast<uint16_t>(1 << k);
        const double exactB = clock / a / f - 1;
        if (!(exactB >= 0) || exactB >= 8193)
            continue;
        const auto b = static_cast<uint16_t>(exactB);
        if (Within(produced(a, b, 0), f))
            return {a, b, 0, produced(a, b, 0)};
        remember(a, b, 0);
        // The fractional divider stretches every C-th period of A by one count.
        const double exactC = 1 / ((clock / f / (b + 1) - a) / a) + 0.5;
        if (!(exactC >= 1 && exactC < 256))
            continue;
        const auto c = static_cast<uint8_t>(exactC);
        if (Within(produced(a, b, c), f))
            return {a, b, c, produced(a, b, c)};
        remember(a, b, c);
    }
    return best;
}

GeneratorDividers CFuncGen::DividersLevel23(double clock, double hertz)
{
    const double f = std::max(hertz, kLowestHertz);
    const auto t = static_cast<int64_t>(clock / f + 0.5);
    int64_t p = 800;
    int64_t b;
    for (;; p += 100) {
        b = t / p;
        if (b < 2) {
            b = 2;
            break;
        }
        if (b < 65536)
            break;
    }
    const int64_t a = p + (t - b * p) / b;
    GeneratorDividers d;
    d.a = static_cast<uint16_t>(std::clamp<int64_t>(a, 1, 65535));
    d.b = static_cast<uint16_t>(b);
    d.frequency = clock / (static_cast<double>(d.b) * d.a);
    return d;
}

// ---------------------------------------------------------------- sending

UnitCommand CFuncGen::FrequencyCommand()
{
    const double hertz = Shared().frequency / 10.0;
    if (VariantLevel() == 1) {
        m_dividers = DividersLevel1(m_clock, hertz);
        CommandBytes bytes(kCmdDividers);
        bytes.Word(m_dividers.a).Word(m_dividers.b).Byte(m_dividers.c);
        return {bytes, UnitCommand::Acknowledge};
    }
    // These interfaces divide by themselves; the dividers only tell what they produce.
    m_dividers = DividersLevel23(m_clock, hertz);
    CommandBytes bytes(kCmdFrequency);
    bytes.Long(Shared().frequency);
    return {bytes, UnitCommand::Acknowledge};
}

bool CFuncGen::Flush()
{
    // The snapshot is what this Flush sends; changes made meanwhile come next time.
    m_changes.Lock();
    uint32_t bits = m_changes.TakeChanged();
    if (bits == 0) {
        m_changes.Unlock(0);
        return false;
    }
    const auto settings = std::unique_ptr<CFuncGenSettings>(static_cast<CFuncGenSettings*>(SaveSettings().release()));
    std::vector<UnitCommand> commands;
    auto add = [&](uint8_t command, uint8_t value) {
        CommandBytes bytes(command);
        bytes.Byte(value);
        commands.push_back({bytes, UnitCommand::Acknowledge});
    };
    if (bits & kFrequencyBit)
        commands.push_back(FrequencyCommand());
    if (bits & kOutputRangeBit) {
        // Switching the range at full amplitude would spike the output.
        add(kCmdAmplitude, 0);
        add(kCmdOutputRange, static_cast<uint8_t>(settings->outputRange));
        bits |= kAmplitudeBit;
    }
    if (bits & kDutyBit)
        add(kCmdDuty, PercentByte(settings->duty));
    if (bits & kAmplitudeBit)
        add(kCmdAmplitude, PercentByte(settings->amplitude));
    m_changes.Unlock(0);

    SendCommands(*m_stream, commands);
    if (bits & kWaveformBit) {
        const int32_t w = settings->waveform;
        if (w != kFormulaWaveform || !settings->formulaChanged) {
            CommandBytes bytes(kCmdWaveform);
            bytes.Byte(static_cast<uint8_t>(w));
            UnitCommand{bytes, UnitCommand::Acknowledge}.Send(*m_stream);
        } else if (LoadFormula(settings->formula)) {
            // A formula set while this one loaded still has to be loaded.
            m_changes.Lock();
            if (Shared().formula == settings->formula)
                Shared().formulaChanged = 0;
            m_changes.Unlock(0);
        }
    }
    if (bits & kOutputBit) {
        m_stream->WriteByte(settings->outputOn ? kCmdOutputOn : kCmdOutputOff);
        m_stream->CheckAck();
    }
    return true;
}

bool CFuncGen::LoadFormula(const CString& formula)
{
    CForComp compiler;
    std::vector<double> values;
    if (!compiler.Compile(formula) || !compiler.EvaluateOver(kFormulaPoints, 0, 2 * std::numbers::pi, values))
        return false;
    LoadSamples(values);
    return true;
}

void CFuncGen::LoadSamples(const std::vector<double>& values)
{
    const bool wide = VariantLevel() >= 2;
    std::vector<uint8_t> samples;
    samples.reserve(values.size() * (wide ? 2 : 1));
    for (double s : values) {
        if (wide) {
            const int16_t v = s > 1 ? 511 : s < -1 ? -511 : static_cast<int16_t>(s * 511 + 0.5);
            samples.push_back(static_cast<uint8_t>(static_cast<uint16_t>(v) >> 8));
            samples.push_back(static_cast<uint8_t>(v));
        } else {
            samples.push_back(s > 1 ? 255 : s < -1 ? 0 : static_cast<uint8_t>((s + 1) * 0.5 * 255));
        }
    }
    CommandBytes header(wide ? kCmdSamples16 : kCmdSamples8);
    header.Word(static_cast<uint16_t>(values.size()));
    UnitCommand{header, UnitCommand::Acknowledge}.Send(*m_stream);
    m_stream->Write(samples.data(), static_cast<uint32_t>(samples.size()));
    m_stream->CheckAck();
}

// ---------------------------------------------------------------- settings

std::unique_ptr<CUnitSettings> CFuncGen::SaveSettings()
{
    auto s = std::make_unique<CFuncGenSettings>();
    m_changes.Lock();
    const SharedGenerator& g = Shared();
    s->outputOn = m_outputOn;
    s->waveform = g.waveform;
    s->frequencyRange = g.frequencyRange;
    s->frequency = g.frequency;
    s->reserved = g.reserved;
    s->amplitude = g.amplitude;
    s->outputRange = g.outputRange;
    s->duty = m_duty;
    s->formulaChanged = g.formulaChanged;
    s->formula = g.formula;
    m_changes.Unlock(0);
    return s;
}

void CFuncGen::RestoreSettings(std::unique_ptr<CUnitSettings> settings)
{
    const auto* s = dynamic_cast<const CFuncGenSettings*>(settings.get());
    if (s == nullptr)
        return;
    m_changes.Lock();
    SharedGenerator& g = Shared();
    m_outputOn = s->outputOn;
    g.waveform = s->waveform;
    g.frequencyRange = std::clamp(s->frequencyRange, 0, kFrequencyRows - 1);
    g.frequency = s->frequency;
    g.reserved = s->reserved;
    g.amplitude = std::clamp(s->amplitude, 0, 100);
    g.outputRange = s->outputRange;
    m_duty = std::clamp(s->duty, 0, 100);
    g.formulaChanged = s->formulaChanged;
    g.formula = s->formula;
    m_changes.Unlock(kAllBits);
}

void CFuncGen::Serialize(CArchive& ar)
{
    SharedGenerator& g = Shared();
    if (ar.IsStoring()) {
        m_changes.Lock();
        ar << kSettingsVersion << g.waveform << g.frequencyRange << g.frequency / 10.0 << g.reserved << g.amplitude
           << g.outputRange << g.formula;
        m_changes.Unlock(0);
        return;
    }
    uint32_t version;
    int32_t waveform, frequencyRange, reserved, amplitude, outputRange;
    double hertz;
    CString formula;
    ar >> version >> waveform >> frequencyRange >> hertz >> reserved >> amplitude >> outputRange >> formula;
    m_changes.Lock();
    g.waveform = waveform;
    g.frequencyRange = std::clamp(frequencyRange, 0, kFrequencyRows - 1);
    g.frequency = TenthsOf(hertz);
    g.reserved = reserved;
    g.amplitude = std::clamp(amplitude, 0, 100);
    g.outputRange = std::clamp(outputRange, 0, 255);
    g.formula = formula;
    g.formulaChanged = 1;
    m_outputOn = 0;
    m_changes.Unlock(kAllBits);
}
