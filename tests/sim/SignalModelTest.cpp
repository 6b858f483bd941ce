// The signal model: the RC low-pass against its transfer function, and the
// figures the box derives from the model (Bode records, meter sums).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>

#include "SimHarness.h"
#include "model/InputRange.h"
#include "model/SignalModel.h"

namespace {

constexpr double kPi = std::numbers::pi;

CSignalModel SineModel(DutSettings dut, double frequency)
{
    CSignalModel model(dut);
    model.UpdateGenerator([&](GeneratorSettings& g) {
        g.outputOn = true;
        g.waveform = 0;
        g.frequency = frequency;
        g.amplitude = 255;
    });
    return model;
}

// One period of two neighbouring channels (A and B unless told) sampled at n points from time t0.
void SamplePeriod(const CSignalModel& model, double frequency, double t0, size_t n, std::vector<double>& a,
                  std::vector<double>& b, int first = 0)
{
    a.resize(n);
    b.resize(n);
    for (size_t k = 0; k < n; ++k) {
        const double t = t0 + static_cast<double>(k) / static_cast<double>(n) / frequency;
        a[k] = model.Channel(first, t);
        b[k] = model.Channel(first + 1, t);
    }
}

TEST(SignalModel, RcLowPassFollowsItsTransferFunction)
{
    const double corner = 1000;
    for (double f : {10.0, 300.0, 1000.0, 3000.0, 100000.0}) {
        SCOPED_TRACE(f);
        const CSignalModel model = SineModel({DutKind::RcLowPass, corner}, f);
        std::vector<double> a, b;
        SamplePeriod(model, f, 12.345, 1000, a, b);
        double gain, phase;
        CorrelateBode(a, b, gain, phase);
        const double r = f / corner;
        EXPECT_NEAR(gain, 1 / std::sqrt(1 + r * r), 1e-4);
        EXPECT_NEAR(phase, -std::atan(r) * 180 / kPi, 0.05);
    }
}

TEST(SignalModel, WireAndDcPassUnchanged)
{
    const CSignalModel wire = SineModel({DutKind::Wire, 1000}, 5000);
    CSignalModel dc({DutKind::RcLowPass, 1000});
    dc.UpdateGenerator([](GeneratorSettings& g) {
        g.outputOn = true;
        g.waveform = 5;  // DC negative
        g.amplitude = 51;
        g.outputRange = 1;
    });
    for (double t : {0.0, 0.0123, 7.5}) {
        EXPECT_DOUBLE_EQ(wire.Channel(0, t), wire.Channel(1, t));
        EXPECT_NEAR(dc.Channel(0, t), -0.2, 1e-12);
    }
    EXPECT_EQ(dc.Period(0), 0.0);
}

TEST(SignalModel, AcCouplingRemovesTheMean)
{
    CSignalModel model({DutKind::Wire, 1000});
    model.UpdateGenerator([](GeneratorSettings& g) {
        g.outputOn = true;
        g.waveform = 8;  // positive pulse, 0 to 10 V
        g.duty = 64;     // a quarter high
        g.amplitude = 255;
        g.frequency = 50;
    });
    EXPECT_NEAR(model.Mean(1), 10.0 * 64 / 255, 0.01);
    EXPECT_NEAR(model.Channel(1, 0.001, true), 10.0 - model.Mean(1), 1e-9);
}

TEST(SignalModel, AnExternalSourceTakesOverItsInputOnly)
{
    // The generator drives A (through the low-pass) and B; a source wired to A
    // replaces what A shows, B still shows the generator.
    CSignalModel model = SineModel({DutKind::RcLowPass, 1000.0}, 50.0);
    model.SetExternal(0, {.on = true, .waveform = 0, .frequency = 200.0, .peak = 2.0});
    EXPECT_NEAR(model.Rms(0), 2.0 / std::sqrt(2.0), 1e-3);
    EXPECT_NEAR(model.Channel(0, 1.0 / 800.0), 2.0, 1e-9);  // a quarter of the 200 Hz period
    EXPECT_NEAR(model.Rms(1), 10.0 / std::sqrt(2.0), 1e-3);
    model.SetExternal(3, {.on = true, .waveform = 4, .frequency = 0.0, .peak = -1.5});
    EXPECT_DOUBLE_EQ(model.Channel(3, 0.123), -1.5);
    EXPECT_DOUBLE_EQ(model.Mean(3), -1.5);

    model.SetExternal(0, {});
    EXPECT_LT(model.Rms(0), 10.0 / std::sqrt(2.0));  // the low-pass again, not the source
    EXPECT_GT(model.Rms(0), 6.0);
}

TEST(SignalModel, ThreePhaseOutputsLagBy120Degrees)
{
    SimHarness sim;
    // Amplitudes 100 %, 50 Hz, angles sent as 360 minus 120 and 240, on.
    sim.Send({0x45, 255, 255, 255, 0x44, 50, 0x47, 0, 240, 0, 120, 0x48, 0, 0x40});
    std::vector<double> c, d;
    SamplePeriod(sim.box.model, 50, 0, 1000, c, d, 2);
    double gain, phase;
    CorrelateBode(d, c, gain, phase);
    EXPECT_NEAR(gain, 1.0, 1e-9);
    EXPECT_NEAR(phase, -120, 1e-6);
    EXPECT_NEAR(*std::max_element(c.begin(), c.end()), kThreePhaseFullScale, 1e-3);
}

// Sets the generator to a 100 % sine in output range 0 (10 V peak) and
// both scope and meter inputs A and B to range 7 (20 V).
void SetUpSine(SimHarness& sim)
{
    sim.Send({0xC4, 0, 0xC3, 255, 0xC6, 0, 0xC0, 0xD9, 7, 7, 0x60, 7, 7});
}

// Reads a Bode record and checks it against the RC low-pass at the
// frequency the box produced.
void CheckBodeRecord(SimHarness& sim, double tolerance)
{
    ASSERT_EQ(sim.Send({0x91}), Bytes{'!'});
    EXPECT_EQ(sim.Send({0x93}), Bytes{1});
    sim.clock.Advance(1.1 / sim.box.bode.Frequency());
    ASSERT_EQ(sim.Send({0x93}), Bytes{3});

    const uint32_t n = sim.box.bode.Samples();
    const bool wide = sim.box.Level() > 1;
    std::vector<double> channel[2];
    for (int c = 0; c < 2; ++c) {
        const Bytes reply = wide ? sim.Send({0xDC, static_cast<uint8_t>(n >> 8), static_cast<uint8_t>(n), static_cast<uint8_t>(1 << c)})
                                 : sim.Send({0xD4, static_cast<uint8_t>((8192 - n) >> 8), static_cast<uint8_t>(8192 - n),
                                             static_cast<uint8_t>(n >> 8), static_cast<uint8_t>(n), 0, 1,
                                             static_cast<uint8_t>(1 << c)});
        ASSERT_EQ(reply.size(), (wide ? 2u : 1u) * n);
        for (uint32_t k = 0; k < n; ++k)
            channel[c].push_back(wide ? Word16(reply, 2 * k) : static_cast<int8_t>(reply[k]));
    }
    double gain, phase;
    CorrelateBode(channel[0], channel[1], gain, phase);
    const double r = sim.box.bode.Frequency() / 1000;
    EXPECT_NEAR(gain, 1 / std::sqrt(1 + r * r), tolerance);
    EXPECT_NEAR(phase, -std::atan(r) * 180 / kPi, 100 * tolerance);
}

TEST(BodeRecord, RcLowPassAtItsCornerGivesGain0707AndMinus45Degrees)
{
    SimHarness sim;  // level 3, RC corner 1 kHz
    SetUpSine(sim);
    // 1 kHz: clock 2e8 over A = 800 samples of B = 250 clocks.
    ASSERT_EQ(sim.Send({0x96, 0, 0, 0, 0x27, 0x10, 0x03, 0x20, 0x00, 0xFA, 0x00, 0xFA, 1}), Bytes{'!'});
    EXPECT_DOUBLE_EQ(sim.box.bode.Frequency(), 1000.0);
    EXPECT_EQ(sim.box.bode.Samples(), 800u);
    CheckBodeRecord(sim, 0.003);
}

TEST(BodeRecord, VariantLevel1UsesTheFractionalDividers)
{
    BoxOptions options;
    options.level = 1;
    SimHarness sim(options);
    SetUpSine(sim);
    // A = 4096, B = 6, C = 9: 3.2e7 / (4096 + 4096 / 9) / 7, about 1004.5 Hz.
    ASSERT_EQ(sim.Send({0x90, 0, 9, 0x10, 0x00, 0, 6, 0, 6, 0}), Bytes{'!'});
    EXPECT_NEAR(sim.box.bode.Frequency(), 1004.5, 0.1);
    CheckBodeRecord(sim, 0.01);
}

TEST(BodeRecord, LowFrequencySamplesArriveAsTheyAreTaken)
{
    SimHarness sim;
    SetUpSine(sim);
    // Step 10 (1 ms) and 1024 steps: 1 / 1.024 s.
    ASSERT_EQ(sim.Send({0x96, 1, 0, 0, 0, 10, 0, 10, 0x04, 0x00, 0x04, 0x00, 1}), Bytes{'!'});
    ASSERT_EQ(sim.Send({0x91}), Bytes{'!'});
    sim.clock.Advance(0.1005);
    Bytes rolled = sim.Send({0xDD});
    ASSERT_GE(rolled.size(), 2u);
    EXPECT_EQ(Word16(rolled, 0), 100);
    EXPECT_EQ(rolled.size(), 2u + 100 * 2 * 2);  // channels A and B, 16-bit each
    EXPECT_EQ(sim.Send({0x93}), Bytes{1});
    sim.clock.Advance(1.0);
    EXPECT_EQ(sim.Send({0x93}), Bytes{3});
}

TEST(MeterSums, OneKilohertzSineAtFullAmplitudeHasItsRms)
{
    SimHarness sim;
    SetUpSine(sim);
    sim.Send({0xCA, 0, 0, 0x27, 0x10});  // 1 kHz
    // Interval 10 (100 us), A and B in range 7, 2048 samples; start.
    ASSERT_EQ(sim.Send({0x61, 0, 10, 7, 7, 0x08, 0x00, 0x62}), (Bytes{'!', '!'}));
    EXPECT_EQ(sim.Send({0x65}), Bytes{1});
    sim.clock.Advance(0.21);
    ASSERT_EQ(sim.Send({0x65}), Bytes{2});

    const Bytes block = sim.Send({0x66});
    ASSERT_EQ(block.size(), 36u);
    const double n = 2048, fullScale = FullScale(7);
    auto volts = [&](double raw) { return fullScale * raw / 511; };
    // Channel B is the generator: 10 V peak.
    const double rmsB = volts(std::sqrt(std::abs(Long32(block, 24)) / n));
    EXPECT_NEAR(rmsB, 10 / std::sqrt(2.0), 0.01 * 10 / std::sqrt(2.0));
    EXPECT_NEAR(volts(Long32(block, 8) / n), 0.0, 0.05);
    // Ten samples a period miss the crest by at most 18 degrees.
    EXPECT_GE(volts(Word16(block, 34)), 10.0 * std::cos(18 * kPi / 180) - fullScale / 511);
    EXPECT_LE(volts(Word16(block, 34)), 10.0 + fullScale / 511);
    // Channel A is behind the RC low-pass at its corner.
    const double rmsA = volts(std::sqrt(std::abs(Long32(block, 20)) / n));
    EXPECT_NEAR(rmsA, rmsB / std::sqrt(2.0), 0.01 * rmsA);
    // Reading the block starts the next one.
    EXPECT_EQ(sim.Send({0x65}), Bytes{1});
}

TEST(MeterSums, VariantLevel1AnswersEightBitExtremes)
{
    BoxOptions options;
    options.level = 1;
    SimHarness sim(options);
    sim.Send({0xC4, 4, 0xC3, 255, 0xC6, 0, 0xC0});  // DC 10 V
    sim.Send({0x60, 6, 6});                          // range 6: 10 V full scale
    const Bytes block = sim.Send({0x64});
    ASSERT_EQ(block.size(), 30u);
    EXPECT_EQ(static_cast<int8_t>(block[1]), 127);   // instantaneous B at full scale
    EXPECT_EQ(static_cast<int8_t>(block[29]), 127);  // maximum of B
    EXPECT_EQ(sim.Send({0x66}), Bytes{'?'});         // the 16-bit read is not a level-1 command
}

} // namespace
