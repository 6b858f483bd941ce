// The three-phase generator unit: what each operation sends, formulas and settings.
#include <gtest/gtest.h>

#include "../framework/ArchiveTestUtil.h"
#include "UnitTestSupport.h"
#include "units/ThreePhaseGen.h"

namespace {

TEST(ThreePhaseGen, FlushSendsOutputsOffFirstThenEveryGroupAndValueSendersLeaveNothingPending)
{
    ScriptedInterface level2(2);
    C3PhaseGen gen(level2.stream, &level2.face);
    EXPECT_FALSE(gen.Flush()) << "a new unit has nothing pending";
    gen.PrepareFixedDc(0, false);
    ScriptedStream& s = *level2.stream;
    ExpectAcked(s, {{0x41},  // outputs off, before anything else
                    {0x43, 30}, {0x44, 1}, {0x45, 0, 0, 0},
                    {0x47, 0x00, 0xF0, 0x00, 0x78},  // 120 and 240 degrees, counted backwards
                    {0x48, 0}, {0x4A, 1}, {0x4B, 0, 1, 0}});
    EXPECT_TRUE(gen.Flush());
    s.ExpectDone();

    gen.SetOutputOn(false);
    ExpectAcked(s, {{0x41}});
    EXPECT_TRUE(gen.Flush());
    s.ExpectDone();

    gen.SetAmplitudes(100, 50, 0);
    gen.SetOutputOn(true);
    ExpectAcked(s, {{0x45, 255, 127, 0}, {0x40}});
    EXPECT_TRUE(gen.Flush());
    s.ExpectDone();

    // The value senders keep the value and leave nothing pending.
    ExpectAcked(s, {{0x4A, 1}, {0x4B, 1, 0, 0}, {0x44, 50}, {0x45, 255, 127, 0}});
    gen.SendDcMode(true);
    gen.SendPhaseFlags(1, 0, 0);
    gen.SendSettingD(50);
    gen.SendAmplitudes(101, 50, -4);
    s.ExpectDone();
    const C3PhaseSettings& now = gen.Settings();
    EXPECT_TRUE(gen.IsDcMode());
    EXPECT_EQ(now.phaseFlags, (std::array<uint8_t, 3>{1, 0, 0}));
    EXPECT_EQ(now.settingD, 50);
    EXPECT_EQ(now.amplitudes, (std::array<int32_t, 3>{100, 50, 0}));
    EXPECT_FALSE(gen.Flush()) << "what was sent is not sent again";
}

TEST(ThreePhaseGen, ImmediateCommands)
{
    ScriptedInterface level3(3);
    C3PhaseGen gen(level3.stream, &level3.face);
    EXPECT_EQ(gen.Settings().settingC, 40) << "level 3 starts higher";
    ScriptedStream& s = *level3.stream;

    ExpectAcked(s, {{0x45, 255, 127, 0}});
    gen.SetDcVolts(20, 10, -3);
    EXPECT_EQ(gen.Settings().amplitudes, (std::array<int32_t, 3>{100, 50, 0})) << "20 V is beyond 100 %";
    EXPECT_EQ(C3PhaseGen::PercentOfVolts(19.79898987322333), 100);

    gen.SetSettingC(12);
    ExpectAcked(s, {{0x43, 40}, {0x46, 200}});
    gen.SendSettingC();
    gen.SendRawAmplitude(200);
    EXPECT_EQ(gen.Settings().amplitudes[2], 200);

    gen.SetPhaseAngles(90, 180);
    gen.SetDcMode(true);
    ExpectAcked(s, {{0x41}, {0x43, 40}, {0x47, 0x00, 0xF0, 0x00, 0x78}, {0x4A, 0}});
    gen.ResetAc();
    s.ExpectDone();
    EXPECT_FALSE(gen.IsDcMode());
    EXPECT_EQ(gen.Settings().phase2, 120);
    EXPECT_FALSE(gen.IsOutputOn());
}

TEST(ThreePhaseGen, FormulaValuesAreInvertedAndClamped)
{
    EXPECT_EQ(C3PhaseGen::FormulaSample(1.0), -512);
    EXPECT_EQ(C3PhaseGen::FormulaSample(1.5), -512);
    EXPECT_EQ(C3PhaseGen::FormulaSample(-2), 512);
    EXPECT_EQ(C3PhaseGen::FormulaSample(0.5), -256);

    ScriptedInterface level2(2);
    C3PhaseGen gen(level2.stream, &level2.face);
    ASSERT_TRUE(gen.SetFormula(u"SQU(X)"));
    EXPECT_FALSE(gen.SetFormula(u"SQU(")) << "refused";
    gen.SetWaveform(C3PhaseGen::kFormulaWaveform);
    // 257 points over 0 to 2 pi: the first half-period +1 (sent as -512), then
    // -1, and the last point, 2 pi, begins the next period.
    Bytes expected{0x49, 0x01};
    for (size_t i = 0; i < C3PhaseGen::kFormulaPoints; ++i)
        PutWord(expected, i < 128 || i == 256 ? -512 : 512);
    level2.stream->ExpectWrite(expected).Reply({'!'});
    gen.Flush();
    level2.stream->ExpectDone();

    ASSERT_TRUE(gen.SetFormula(u"1/(X-PI)"));
    gen.SetWaveform(C3PhaseGen::kFormulaWaveform);
    EXPECT_TRUE(gen.Flush()) << "no value at pi: nothing sent";
    level2.stream->ExpectDone();
    EXPECT_EQ(gen.Settings().waveform, C3PhaseGen::kFormulaWaveform);
}

TEST(ThreePhaseGen, SettingsArchiveRoundTripAndVersionOne)
{
    CStreamNUL demo;
    C3PhaseGen stored(&demo, nullptr);
    stored.SetDcMode(true);
    stored.SetPhaseFlags(1, 0, 1);
    stored.SetWaveform(6);
    stored.SetSettingC(25);
    stored.SetSettingD(0);
    stored.SetAmplitudes(10, 20, 30);
    stored.SetPhaseAngles(100, 200);
    stored.SetFormula(u"SIN(X)");
    const Bytes bytes = StoreBytes([&](CArchive& ar) { stored.Serialize(ar); });
    EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + 24),
              (Bytes{2, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 6, 0, 0, 0}));

    C3PhaseGen loaded(&demo, nullptr);
    loaded.SetOutputOn(true);
    LoadBytes(bytes, [&](CArchive& ar) { loaded.Serialize(ar); });
    const C3PhaseSettings& s = loaded.Settings();
    EXPECT_TRUE(s.dcMode);
    EXPECT_EQ(s.phaseFlags, (std::array<uint8_t, 3>{1, 0, 1}));
    EXPECT_EQ(s.settingC, 25);
    EXPECT_EQ(s.settingD, 1) << "D below 1 becomes 1";
    EXPECT_EQ(s.amplitudes, (std::array<int32_t, 3>{10, 20, 30}));
    EXPECT_EQ(s.phase3, 200);
    EXPECT_EQ(s.formula, u"SIN(X)");
    EXPECT_FALSE(loaded.IsOutputOn());
    EXPECT_EQ(loaded.Changes().TakeChanged(), C3PhaseGen::kAllBits);

    C3PhaseGen old(&demo, nullptr);
    old.SetAmplitudes(7, 7, 7);
    LoadBytes({1, 0, 0, 0}, [&](CArchive& ar) { old.Serialize(ar); });
    EXPECT_EQ(old.Settings().amplitudes[0], 7) << "version 1 holds nothing more";

    auto saved = loaded.SaveSettings();
    loaded.SetAmplitudes(0, 0, 0);
    loaded.RestoreSettings(std::move(saved));
    EXPECT_EQ(loaded.Settings().amplitudes[2], 30);
    EXPECT_EQ(loaded.Changes().TakeChanged(), C3PhaseGen::kAllBits);
}

} // namespace
