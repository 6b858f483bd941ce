// The function generator unit: dividers, frequency steps, Flush, formulas and settings.
#include <gtest/gtest.h>

#include <cmath>

#include "../framework/ArchiveTestUtil.h"
#include "UnitTestSupport.h"
#include "units/FuncGen.h"

namespace {

// Puts the class-wide settings at known values and leaves nothing pending.
void Reset(CFuncGen& gen)
{
    gen.SetFrequencyRange(0);
    gen.SetFrequency(1.0);
    gen.SetWaveform(0);
    gen.SetAmplitude(0);
    gen.SetOutputRange(0);
    gen.SetFormula(u"SIN(X)", FormulaErrorDisplay::Silent);
    gen.Changes().TakeChanged();
}

TEST(FuncGen, DividersHitEveryFrequencyAndMultiplyToTheClock)
{
    for (double hertz : {0.5, 1.0, 12.3, 333.3, 1000.0, 4321.0, 33333.0, 100000.0, 300000.0, 1000000.0}) {
        const GeneratorDividers d = CFuncGen::DividersLevel1(3.2e7, hertz);
        EXPECT_NEAR(d.frequency, hertz, hertz * 0.01) << hertz << " Hz";
        EXPECT_LE(d.b, 8192);
    }
    const GeneratorDividers kHz = CFuncGen::DividersLevel1(3.2e7, 1000);
    EXPECT_EQ(kHz.a, 4096);
    EXPECT_EQ(kHz.b, 6);
    EXPECT_EQ(kHz.c, 9);

    // Levels 2 and 3: the dividers multiply to the clock.
    const GeneratorDividers kHz23 = CFuncGen::DividersLevel23(8e7, 1000);
    EXPECT_EQ(kHz23.a, 800);
    EXPECT_EQ(kHz23.b, 100);
    const GeneratorDividers top = CFuncGen::DividersLevel23(2e8, 5e6);
    EXPECT_EQ(top.b, 2) << "the divider B never goes below 2";
    EXPECT_EQ(top.a, 20);
    EXPECT_DOUBLE_EQ(top.frequency, 5e6);
    const GeneratorDividers slow = CFuncGen::DividersLevel23(2e8, 0.5);
    EXPECT_LT(slow.b, 65536);
    EXPECT_NEAR(slow.frequency, 0.5, 0.005);
    EXPECT_GT(CFuncGen::DividersLevel23(2e8, 0).frequency, 0) << "no division by zero for a zero frequency";

    // Level 1 sends its dividers.
    ScriptedInterface level1(1);
    CFuncGen gen(level1.stream, &level1.face);
    Reset(gen);
    gen.SetFrequencyRange(3);
    gen.SetFrequency(1000);
    ExpectAcked(*level1.stream, {{0xC2, 0x10, 0x00, 0x00, 0x06, 0x09}});
    gen.Flush();
    level1.stream->ExpectDone();
    EXPECT_NEAR(gen.Dividers().frequency, 1000, 10);
}

TEST(FuncGen, FirstFlushSendsEveryGroupInOrder)
{
    ScriptedInterface level2(2);
    CFuncGen gen(level2.stream, &level2.face);
    Reset(gen);
    gen.SetAmplitude(100);
    gen.Changes().MarkChanged(CFuncGen::kAllBits);
    ScriptedStream& s = *level2.stream;
    ExpectAcked(s, {{0xCA, 0x00, 0x00, 0x00, 0x0A},  // 1 Hz in tenths
                    {0xC3, 0x00},                    // amplitude off while switching range
                    {0xC6, 0x00}, {0xC9, 127},       // duty 50 %
                    {0xC3, 255},                     // amplitude 100 %
                    {0xC4, 0x00}, {0xC1}});
    EXPECT_TRUE(gen.Flush());
    EXPECT_FALSE(gen.Flush());
    s.ExpectDone();
    EXPECT_NEAR(gen.Dividers().frequency, 1.0, 0.001) << "the dividers tell what the interface produces";

    gen.SetAmplitude(50);
    gen.SetDuty(0);
    ExpectAcked(s, {{0xC9, 0}, {0xC3, 127}});
    gen.Flush();
    EXPECT_FALSE(gen.DutyDown());
    ExpectAcked(s, {{0xC0}});
    gen.SwitchOutput(true);
    s.ExpectDone();
    EXPECT_TRUE(gen.IsOutputOn());
}

TEST(FuncGen, FrequencyStepsOfTheTopRow)
{
    ScriptedInterface level3(3);
    CFuncGen gen(level3.stream, &level3.face);
    Reset(gen);
    EXPECT_TRUE(gen.SetFrequencyRange(6));
    EXPECT_FALSE(gen.SetFrequencyRange(6)) << "the row it is in";
    EXPECT_EQ(CFuncGen::Frequency(), 1000000u) << "a new row starts at its minimum";
    struct Step {
        double from;
        bool up;
        uint32_t to;  // [0.1 Hz]
    };
    const Step steps[] = {
        {1.99e6, true, 20000000},  // 10 kHz below 2 MHz
        {2.0e6, true, 21000000},   // 100 kHz from 2 MHz on
        {3.0e6, true, 32000000},   // 200 kHz from 3 MHz on
        {2.0e6, false, 19900000},  // down from exactly 2 MHz still by 10 kHz
        {3.0e6, false, 29000000},
        {4.9e6, true, 50000000},   // clamped to the level-3 maximum
        {0.1e6, false, 1000000},
    };
    for (const Step& step : steps) {
        gen.SetFrequency(step.from);
        const bool moved = step.up ? gen.FrequencyUp() : gen.FrequencyDown();
        EXPECT_EQ(CFuncGen::Frequency(), step.to) << step.from << (step.up ? " up" : " down");
        EXPECT_EQ(moved, step.to != static_cast<uint32_t>(step.from * 10));
    }
    gen.SetFrequency(5e6);
    EXPECT_FALSE(gen.FrequencyUp()) << "at the row's end";
    EXPECT_DOUBLE_EQ(gen.RowMaximum(), 5e6);
    EXPECT_DOUBLE_EQ(CFuncGen::RangeRow(2, 6).maximum, 10000000u);
}

TEST(FuncGen, FormulaSamplesAreClampedToTheConverter)
{
    struct Case {
        uint8_t level;
        const char16_t* formula;
        Bytes sample;
    };
    const Case cases[] = {
        {2, u"1", {0x01, 0xFF}},     {2, u"1.0001", {0x01, 0xFF}}, {2, u"-2", {0xFE, 0x01}},
        {2, u"-1", {0xFE, 0x02}},    {1, u"1", {255}},             {1, u"-2", {0}},
        {1, u"0", {127}},
    };
    for (const Case& c : cases) {
        ScriptedInterface face(c.level);
        CFuncGen gen(face.stream, &face.face);
        Reset(gen);
        ASSERT_TRUE(gen.SetFormula(c.formula, FormulaErrorDisplay::Silent));
        gen.SetWaveform(CFuncGen::kFormulaWaveform);
        Bytes samples;
        for (size_t i = 0; i < CFuncGen::kFormulaPoints; ++i)
            samples.insert(samples.end(), c.sample.begin(), c.sample.end());
        ExpectAcked(*face.stream, {{static_cast<uint8_t>(c.level == 1 ? 0xC5 : 0xCB), 0x20, 0x00}, samples});
        gen.Flush();
        face.stream->ExpectDone();
        EXPECT_FALSE(CFuncGen::FormulaChanged());

        // Loaded once: the next choice of the waveform only selects it.
        gen.SetWaveform(CFuncGen::kFormulaWaveform);
        ExpectAcked(*face.stream, {{0xC4, 6}});
        gen.Flush();
        face.stream->ExpectDone();
    }
}

TEST(FuncGen, FormulasWithoutValuesAreNotLoadedAndBadTextsNotTaken)
{
    ScriptedInterface level2(2);
    CFuncGen gen(level2.stream, &level2.face);
    Reset(gen);
    ASSERT_TRUE(gen.SetFormula(u"LN(X)", FormulaErrorDisplay::Silent)) << "compiles, has no value at 0";
    gen.SetWaveform(CFuncGen::kFormulaWaveform);
    EXPECT_TRUE(gen.Flush());
    level2.stream->ExpectDone();
    EXPECT_TRUE(CFuncGen::FormulaChanged()) << "still to be loaded";

    FormulaDiagnostic shown;
    int calls = 0;
    CFuncGen::SetFormulaErrorHandler([&](const CString&, const FormulaDiagnostic& d) {
        shown = d;
        ++calls;
    });
    EXPECT_FALSE(gen.SetFormula(u"SIN(X", FormulaErrorDisplay::Silent));
    EXPECT_EQ(calls, 0);
    EXPECT_FALSE(gen.SetFormula(u"2*FOO", FormulaErrorDisplay::Show));
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(shown.error, FormulaError::UnknownName);
    EXPECT_EQ(shown.position, 2u);
    EXPECT_EQ(CFuncGen::Formula(), u"LN(X)") << "the old formula stays";
    CFuncGen::SetFormulaErrorHandler(nullptr);
}

TEST(FuncGen, SettingsArchiveAndSnapshot)
{
    CStreamNUL demo;
    CFuncGen gen(&demo, nullptr);
    Reset(gen);
    gen.SetFrequencyRange(4);
    gen.SetFrequency(12345.6);
    gen.SetWaveform(3);
    gen.SetAmplitude(42);
    gen.SetOutputRange(2);
    gen.SetFormula(u"SQU(X)", FormulaErrorDisplay::Silent);
    gen.SetOutputOn(true);
    gen.Flush();
    const Bytes bytes = StoreBytes([&](CArchive& ar) { gen.Serialize(ar); });
    EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + 12), (Bytes{1, 0, 0, 0, 3, 0, 0, 0, 4, 0, 0, 0}));

    auto saved = gen.SaveSettings();
    Reset(gen);
    LoadBytes(bytes, [&](CArchive& ar) { gen.Serialize(ar); });
    EXPECT_EQ(CFuncGen::Frequency(), 123456u);
    EXPECT_EQ(CFuncGen::Waveform(), 3);
    EXPECT_EQ(CFuncGen::Amplitude(), 42);
    EXPECT_EQ(CFuncGen::OutputRange(), 2);
    EXPECT_EQ(CFuncGen::Formula(), u"SQU(X)");
    EXPECT_TRUE(CFuncGen::FormulaChanged());
    EXPECT_FALSE(gen.IsOutputOn()) << "loading switches the output off";
    EXPECT_EQ(gen.Changes().TakeChanged(), CFuncGen::kAllBits);

    Reset(gen);
    gen.RestoreSettings(std::move(saved));
    EXPECT_TRUE(gen.IsOutputOn());
    EXPECT_EQ(CFuncGen::FrequencyRange(), 4);
    EXPECT_EQ(gen.Changes().TakeChanged(), CFuncGen::kAllBits);
}

} // namespace
