// The function units against the simulator in this process, over TCP, and its signal model.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <string>
#include <thread>

#include "../interface/net/SimPeer.h"
#include "FakeServices.h"
#include "interface/Vexaface.h"
#include "interface/net/StreamSocket.h"
#include "units/DigIO.h"
#include "units/FuncGen.h"
#include "units/MetraHit.h"
#include "units/Relays.h"
#include "units/Scope.h"
#include "units/ThreePhaseGen.h"
#include "units/VexaCounter.h"
#include "units/VexaMeter.h"

namespace {

using namespace std::chrono_literals;

// Every stream the interface object asks for is a TCP stream to the simulator.
class SimStreams : public IStreamFactory {
public:
    explicit SimStreams(uint16_t port) : m_port(port) {}
    std::unique_ptr<CStreamIO> CreateUsb() override { return std::make_unique<CStreamSocket>(u"127.0.0.1", m_port); }
    std::unique_ptr<CStreamIO> CreateSocket(const CString&, uint16_t) override { return CreateUsb(); }
    std::unique_ptr<CStreamIO> CreateTunnel(const CString&) override { return CreateUsb(); }
    bool StartSocketLayer() override { return true; }
    bool ChooseNetworkAddress(CString&) override { return false; }

private:
    const uint16_t m_port;
};

class UnitsAgainstSimulator : public ::testing::TestWithParam<int> {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(peer.Started());
        ASSERT_EQ(face.Connect(true, false, false), kConnectConnected);
        ASSERT_EQ(face.VariantLevel(), GetParam());
        ASSERT_TRUE(face.AttachUnits());
    }

    template <class Unit>
    Unit& Get(int number)
    {
        auto* unit = dynamic_cast<Unit*>(face.Unit(number));
        EXPECT_NE(unit, nullptr) << "unit " << number;
        return *unit;
    }

    // Reads the box's state under its lock, as the protocol engine writes it.
    template <class F>
    auto Box(F f)
    {
        std::lock_guard<std::mutex> g(peer.Sim().Box().Lock());
        return f(peer.Sim().Box());
    }

    // Starts the meter and waits (in real time) for its first block.
    void ReadMeterBlock(CVexaMeter& meter)
    {
        meter.StartMeasuring(true);
        const auto end = std::chrono::steady_clock::now() + 5s;
        while (meter.QueryStatus() != CVexaMeter::kStatusBlockReady) {
            ASSERT_LT(std::chrono::steady_clock::now(), end) << "no block";
            std::this_thread::sleep_for(10ms);
        }
        meter.ReadAB();
    }

    FakeWindows windows;
    SimPeer peer{AtLevel(GetParam())};
    FakeServices fake;
    SimStreams streams{peer.Port()};
    CVexaface face{InterfaceServices{fake.settings, fake.ui, fake.strings, streams, fake.units, fake.instruments}};
};

TEST_P(UnitsAgainstSimulator, EveryUnitAttachesAndSendsItsSettings)
{
    EXPECT_EQ(Box([](auto& box) { return box.AttachedUnits(); }), 0xFEu);

    face.Relays()->SetState(0x5A);
    auto& gen = Get<CFuncGen>(kUnitFunctionGenerator);
    gen.SetFrequencyRange(3);
    gen.SetFrequency(1000);
    gen.SetWaveform(2);
    gen.SetAmplitude(100);
    gen.SetOutputOn(true);
    auto& three = Get<C3PhaseGen>(kUnitThreePhase);
    three.SetAmplitudes(100, 50, 0);
    three.SetPhaseAngles(120, 240);
    three.SetOutputOn(true);
    auto& meter = Get<CVexaMeter>(kUnitMeter);
    meter.AddUser();
    face.ServiceUnits();

    Box([&](auto& box) {
        EXPECT_EQ(box.relays, 0x5A);
        const auto& g = box.model.Generator();
        EXPECT_TRUE(g.outputOn);
        EXPECT_EQ(g.waveform, 2);
        EXPECT_EQ(g.amplitude, 255);
        EXPECT_NEAR(g.frequency, 1000, 10);
        const auto& t = box.model.ThreePhase();
        EXPECT_TRUE(t.outputOn);
        EXPECT_EQ(t.amplitude, (std::array<uint8_t, 3>{255, 127, 0}));
        EXPECT_EQ(t.angle[1], 120);
        EXPECT_EQ(t.angle[2], 240);
        EXPECT_TRUE(box.meter.running);
        return 0;
    });

    auto& counter = Get<CVexaCounter>(kUnitCounter);
    counter.SetEnabled(true);
    counter.Flush();
    EXPECT_TRUE(Box([](auto& box) { return box.counterRunning; }));

    auto& scope = Get<CScope>(kUnitScope);
    scope.SetRange(1, 4);
    EXPECT_TRUE(scope.Flush());
    scope.FullSetup();

    auto& dig = Get<CDigIO>(kUnitDigitalIO);
    dig.SetOutputWord(0xA5C3);
    dig.Flush();
    EXPECT_EQ(dig.ReadInput(), 0xA5C3) << "outputs are looped back to the inputs";

    ASSERT_TRUE(face.AttachUnit(kUnitMetraHit));
    EXPECT_TRUE(Box([](auto& box) { return box.IsAttached(kUnitMetraHit); }));
    face.ReleaseUnit(kUnitMetraHit);
    EXPECT_EQ(face.Stream()->GetInputCount(), 0u) << "every answer was read";
}

TEST_P(UnitsAgainstSimulator, MeterReadsTheRmsOfTheGeneratorsSine)
{
    auto& gen = Get<CFuncGen>(kUnitFunctionGenerator);
    // Not a divisor of the meter's 10 kHz sampling, so the samples meet every phase.
    gen.SetFrequencyRange(3);
    gen.SetFrequency(1234);
    gen.SetWaveform(0);
    gen.SetAmplitude(50);
    gen.SetOutputRange(0);
    gen.SetOutputOn(true);
    auto& meter = Get<CVexaMeter>(kUnitMeter);
    meter.SetChannel(1, 6, kCouplingDC);  // B, the generator, at 10 V full scale
    face.ServiceUnits();
    ReadMeterBlock(meter);

    const double rms = Box([](auto& box) { return box.model.Rms(1); });
    const double peak = Box([](auto& box) { return box.model.GeneratorPeak(); });
    EXPECT_NEAR(peak, 127 / 255.0 * 10, 1e-9) << "amplitude 50 % is sent as 127";
    EXPECT_NEAR(CVexaMeter::Record(1, kMeterRms), rms, 0.02 * rms);
    EXPECT_NEAR(CVexaMeter::Record(1, kMeterRms), peak / std::sqrt(2.0), 0.02 * peak);
    EXPECT_NEAR(CVexaMeter::Record(1, kMeterAverage), 0, 0.05);
    EXPECT_NEAR(CVexaMeter::Record(1, kMeterPeakToPeak), 2 * peak, 0.03 * peak);
    EXPECT_FALSE(meter.Overflow(1));
}

TEST_P(UnitsAgainstSimulator, ScopeRecordOfTheSineMatchesTheModel)
{
    auto& gen = Get<CFuncGen>(kUnitFunctionGenerator);
    gen.SetFrequencyRange(3);
    gen.SetFrequency(1000);
    gen.SetWaveform(0);
    gen.SetAmplitude(80);
    gen.SetOutputOn(true);
    face.ServiceUnits();

    auto& scope = Get<CScope>(kUnitScope);
    // 0.2 ms/div: two periods of 1 kHz in every record.
    const auto table = scope.TimeBases();
    int32_t index = 0;
    while (table[static_cast<size_t>(index)].timePerDivision < 0.2e-3)
        ++index;
    ASSERT_TRUE(scope.SetTimeBase(index));
    scope.SetRange(1, 6);  // 10 V full scale
    scope.Flush();
    scope.Arm();
    const auto end = std::chrono::steady_clock::now() + 5s;
    while (scope.State() != CScope::kComplete) {
        ASSERT_LT(std::chrono::steady_clock::now(), end) << "no record";
        std::this_thread::sleep_for(5ms);
    }
    CScopeBuffer buffer;
    const int32_t n = scope.RecordLength();
    ASSERT_EQ(scope.ReadRecord(1, n, buffer), n);

    // The record's samples in volts: 32767 is the full scale.
    const double fullScale = scope.FullScale(1);
    double sumSquares = 0, highest = -1e9, lowest = 1e9;
    const int32_t periods = (n / 2) * 2;  // an even number of half-periods: two whole periods
    for (int32_t i = 0; i < periods; ++i) {
        const double v = buffer.Front()[static_cast<size_t>(i)] * fullScale / 32767.0;
        sumSquares += v * v;
        highest = std::max(highest, v);
        lowest = std::min(lowest, v);
    }
    const double rms = Box([](auto& box) { return box.model.Rms(1); });
    const double peak = Box([](auto& box) { return box.model.GeneratorPeak(); });
    const double tolerance = GetParam() == 1 ? 0.03 : 0.015;  // 8-bit samples are coarser
    EXPECT_NEAR(std::sqrt(sumSquares / periods), rms, tolerance * peak);
    EXPECT_NEAR(highest, peak, tolerance * peak);
    EXPECT_NEAR(lowest, -peak, tolerance * peak);
}

TEST_P(UnitsAgainstSimulator, ThreePhaseDcLevelsReachTheInputs)
{
    auto& three = Get<C3PhaseGen>(kUnitThreePhase);
    three.PrepareFixedDc(0, true);
    face.ServiceUnits();
    three.SetDcVolts(10, 5, 0);
    const double phase1 = Box([](auto& box) { return box.model.Mean(2); });
    const double phase2 = Box([](auto& box) { return box.model.Mean(3); });
    EXPECT_NEAR(phase1, 10, 0.2) << "10 V asked for";
    EXPECT_NEAR(phase2, -5, 0.2) << "phase 2 inverted by the fixed supply's flags";
    if (GetParam() < 3)
        return;  // channels C and D are measured on level 3 only
    auto& meter = Get<CVexaMeter>(kUnitMeter);
    meter.SetChannel(2, 7, kCouplingDC);
    meter.SetChannel(3, 7, kCouplingDC);
    ReadMeterBlock(meter);
    MeterRecord c{}, d{};
    meter.ReadCD(c, d);
    EXPECT_NEAR(c[kMeterAverage], phase1, 0.1);
    EXPECT_NEAR(d[kMeterAverage], phase2, 0.1);
}

TEST_P(UnitsAgainstSimulator, MetraHitShowsTheDcLevelOfChannelA)
{
    auto& gen = Get<CFuncGen>(kUnitFunctionGenerator);
    gen.SetWaveform(4);  // positive DC
    gen.SetAmplitude(50);
    gen.SetOutputRange(0);
    gen.SetOutputOn(true);
    face.ServiceUnits();
    ASSERT_TRUE(face.AttachUnit(kUnitMetraHit));
    auto& meter = Get<CMetraHit>(kUnitMetraHit);
    ASSERT_TRUE(meter.ReadMeter(kMetraHit18S));
    const double volts = Box([](auto& box) { return box.model.Mean(0); });
    EXPECT_EQ(meter.UnitText(), u"V");
    EXPECT_EQ(meter.ModeName(), u"DC");
    EXPECT_NEAR(meter.Reading() / 1000.0, volts, 0.002) << StringToUtf8(meter.DisplayText());
}

TEST_P(UnitsAgainstSimulator, PollingThreadAnnouncesMeterBlocks)
{
    FakeSink voltmeter(10120);
    windows.Open(voltmeter);
    auto& meter = Get<CVexaMeter>(kUnitMeter);
    meter.AddUser();
    face.RegisterInstrument(&voltmeter);
    const auto end = std::chrono::steady_clock::now() + 5s;
    while (voltmeter.Count(kEventMeterData) < 2 && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(10ms);
    EXPECT_GE(voltmeter.Count(kEventMeterData), 2);
    voltmeter.Detach();
    face.StopPolling();
}

INSTANTIATE_TEST_SUITE_P(Levels, UnitsAgainstSimulator, ::testing::Values(1, 2, 3));

TEST(MetraHitTelegrams, TheUnitReadsThe23SAnswersOfTheSimulator)
{
    for (double volts : {0.2875, -0.2875, 2.5, -2.5, -28.9898, 250.0, -0.0009}) {
        const auto answer =
            vexasim::MetraHitAnswer(vexasim::MetraHitModel::M23S, vexasim::MetraHitRequest::P, volts, true);
        CMetraHit meter(nullptr, nullptr);
        ASSERT_TRUE(meter.Decode23S(answer));
        const double shown = std::stod(StringToUtf8(meter.DisplayText()));
        EXPECT_NEAR(meter.UnitText() == u"mV" ? shown / 1000 : shown, volts, 1e-6) << volts << " V";
        EXPECT_EQ(meter.Reading() < 0, volts < 0) << volts << " V";
    }
}

} // namespace
