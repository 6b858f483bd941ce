// Every unit command that carries parameters leaves as one transfer, made
// between BeginBlock and EndBlock, so the box never sees a command byte
// without its parameters.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "UnitTestSupport.h"
#include "units/DigIO.h"
#include "units/FuncGen.h"
#include "units/MetraHit.h"
#include "units/Relays.h"
#include "units/Scope.h"
#include "units/ThreePhaseGen.h"
#include "units/VexaMeter.h"

namespace {

const Bytes kAck{'!'};

// A unit on the scripted interface with nothing pending, so that each case
// sends only what it asks for.
template <class Unit>
struct Quiet : Unit {
    explicit Quiet(ScriptedInterface& face) : Unit(face.stream, &face.face) { this->Changes().TakeChanged(); }
};

struct Exchange {
    Bytes command;
    Bytes answer;  // empty: the command has no answer
};

struct BatchCase {
    const char* what;
    uint8_t level;
    std::function<void(ScriptedInterface&)> act;
    std::vector<Exchange> exchanges;
};

Bytes FormulaOfZeros()
{
    Bytes bytes{0x49, 0x01};
    bytes.resize(2 + 2 * C3PhaseGen::kFormulaPoints, 0);
    return bytes;
}

Bytes TeachAnswer()
{
    const char text[] = "0\r\nVDC,1.0E+00\r";
    Bytes answer(30, 0);
    std::memcpy(answer.data(), text, sizeof text - 1);
    return answer;
}

// The generator's class-wide settings at known values, none pending.
struct Generator : Quiet<CFuncGen> {
    explicit Generator(ScriptedInterface& face) : Quiet<CFuncGen>(face)
    {
        SetAmplitude(40);
        SetOutputRange(0);
        SetWaveform(0);
        Changes().TakeChanged();
    }
};

TEST(Batching, EveryParameterisedCommandIsOneTransfer)
{
    using Phase = Quiet<C3PhaseGen>;
    // clang-format off
    const BatchCase cases[] = {
        {"three-phase C", 2, [](auto& f) { Phase g(f); g.SetSettingC(12); g.Flush(); }, {{{0x43, 12}, kAck}}},
        {"three-phase C reset", 3, [](auto& f) { Phase g(f); g.SendSettingC(); }, {{{0x43, 40}, kAck}}},
        {"three-phase D", 2, [](auto& f) { Phase g(f); g.SetSettingD(7); g.Flush(); }, {{{0x44, 7}, kAck}}},
        {"three-phase D now", 2, [](auto& f) { Phase g(f); g.SendSettingD(); }, {{{0x44, 1}, kAck}}},
        {"three-phase E", 2, [](auto& f) { Phase g(f); g.SetAmplitudes(100, 50, 0); g.Flush(); },
         {{{0x45, 255, 127, 0}, kAck}}},
        {"three-phase E from volts", 2, [](auto& f) { Phase g(f); g.SetDcVolts(20, 10, 0); },
         {{{0x45, 255, 127, 0}, kAck}}},
        {"three-phase F", 2, [](auto& f) { Phase g(f); g.SendRawAmplitude(200); }, {{{0x46, 200}, kAck}}},
        {"three-phase G", 2, [](auto& f) { Phase g(f); g.SetPhaseAngles(90, 180); g.Flush(); },
         {{{0x47, 0x01, 0x0E, 0x00, 0xB4}, kAck}}},
        {"three-phase H", 2, [](auto& f) { Phase g(f); g.SetWaveform(2); g.Flush(); }, {{{0x48, 2}, kAck}}},
        {"three-phase I", 2, [](auto& f) { Phase g(f); g.SetFormula(u"0"); g.SetWaveform(6); g.Flush(); },
         {{FormulaOfZeros(), kAck}}},
        {"three-phase J", 2, [](auto& f) { Phase g(f); g.SetDcMode(true); g.Flush(); }, {{{0x4A, 1}, kAck}}},
        {"three-phase J now", 2, [](auto& f) { Phase g(f); g.SendDcMode(); }, {{{0x4A, 0}, kAck}}},
        {"three-phase K", 2, [](auto& f) { Phase g(f); g.SetPhaseFlags(1, 0, 1); g.Flush(); },
         {{{0x4B, 1, 0, 1}, kAck}}},
        {"three-phase K now", 2, [](auto& f) { Phase g(f); g.SendPhaseFlags(); }, {{{0x4B, 0, 0, 0}, kAck}}},
        {"digital output word", 2, [](auto& f) { Quiet<CDigIO> d(f); d.SetOutputWord(0x1234); d.Flush(); },
         {{{0x21, 0x12, 0x34}, {}}}},
        {"digital setup and pattern", 2, [](auto& f) { Quiet<CDigIO> d(f); d.SendSetup(); },
         {{{0x23, 0x00, 0x64, 0, 0, 0, 0, 0, 0, 0}, kAck}, {{0x25, 0, 0}, kAck}}},
        {"digital pattern", 2,
         [](auto& f) {
             Quiet<CDigIO> d(f);
             std::vector<std::unique_ptr<CDigData>> steps;
             steps.push_back(std::make_unique<CDigData>(0x0102, 3));
             d.ReplacePattern(std::move(steps));
             d.SendPattern();
         },
         {{{0x25, 0, 1, 0x01, 0x02, 0, 3}, kAck}}},
        {"digital record", 2, [](auto& f) { Quiet<CDigIO> d(f); d.SetRecordLength(2); d.ReadRecordNow(); },
         {{{0x24, 0, 2}, {0, 1, 0, 2, '!'}}}},
        {"relays", 2, [](auto& f) { Quiet<CRelays> r(f); r.SetState(0x81); r.Flush(); }, {{{0x32, 0x81}, kAck}}},
        {"generator dividers", 1,
         [](auto& f) { Generator g(f); g.SetFrequencyRange(3); g.SetFrequency(1000); g.Flush(); },
         {{{0xC2, 0x10, 0x00, 0x00, 0x06, 9}, kAck}}},
        {"generator frequency", 2,
         [](auto& f) { Generator g(f); g.SetFrequencyRange(0); g.SetFrequency(1); g.Flush(); },
         {{{0xCA, 0, 0, 0, 10}, kAck}}},
        {"generator range, amplitude around it", 2,
         [](auto& f) { Generator g(f); g.SetOutputRange(1); g.Flush(); },
         {{{0xC3, 0}, kAck}, {{0xC6, 1}, kAck}, {{0xC3, 102}, kAck}}},
        {"generator duty", 2, [](auto& f) { Generator g(f); g.SetDuty(0); g.Flush(); },
         {{{0xC9, 0}, kAck}}},
        {"generator waveform", 2, [](auto& f) { Generator g(f); g.SetWaveform(3); g.Flush(); },
         {{{0xC4, 3}, kAck}}},
        {"scope time base and trigger", 1, [](auto& f) { Quiet<CScope> s(f); s.SetTimeBase(2); s.Flush(); },
         {{{0xD8, 0x00, 0x00, 0x01, 0x03, 0x20}, kAck}, {{0xD0, 0x03, 0x20, 0x00}, kAck}}},
        {"scope channels and level", 1,
         [](auto& f) {
             Quiet<CScope> s(f);
             s.Changes().MarkChanged(CMeasureBase::kChannelBit | CScope::kTriggerLevelBit);
             s.Flush();
         },
         {{{0xD9, 0x08, 0x08}, kAck}, {{0xD1, 0x00}, {}}}},
        {"scope record", 2,
         [](auto& f) { Quiet<CScope> s(f); CScopeBuffer buffer; s.ReadRecord(0, 2, buffer); },
         {{{0xDC, 0x00, 0x02, 0x01}, {0, 1, 0, 2}}}},
        {"meter channels A and B", 2, [](auto& f) { Quiet<CVexaMeter> m(f); m.SetChannel(0, 3, 1); },
         {{{0x60, 0x08, 0x83}, kAck}}},
        {"meter acquisition and G flag", 2,
         [](auto& f) {
             Quiet<CVexaMeter> m(f);
             m.Changes().MarkChanged(CVexaMeter::kAcquisitionBit | CVexaMeter::kGFlagBit);
             m.Flush();
         },
         {{{0x61, 0x00, 0x0A, 0x08, 0x08, 0x08, 0x00}, kAck}, {{0x67, 0x00}, {}}}},
        {"meter channels C and D", 3, [](auto& f) { Quiet<CVexaMeter> m(f); m.SetChannel(2, 5, 1); },
         {{{0x69, 0x08, 0x85}, kAck}}},
        {"METRAHit TEACH request", 2, [](auto& f) { Quiet<CMetraHit> m(f); m.ReadMeter(kMetraHitTeach); },
         {{{0x54, 0x04}, TeachAnswer()}}},
    };
    // clang-format on
    for (const BatchCase& c : cases) {
        SCOPED_TRACE(c.what);
        ScriptedInterface face(c.level);
        ScriptedStream& s = *face.stream;
        const size_t transfersBefore = s.Transfers().size();
        const size_t batchesBefore = s.Batches().size();
        std::vector<Bytes> commands;
        for (const Exchange& e : c.exchanges) {
            s.ExpectWrite(e.command);
            if (!e.answer.empty())
                s.Reply(e.answer);
            commands.push_back(e.command);
        }
        c.act(face);
        s.ExpectDone();
        const std::vector<Bytes> transfers = s.Transfers();
        const std::vector<Bytes> batches = s.Batches();
        EXPECT_EQ(std::vector<Bytes>(transfers.begin() + transfersBefore, transfers.end()), commands)
            << "one transfer per command";
        EXPECT_EQ(std::vector<Bytes>(batches.begin() + batchesBefore, batches.end()), commands)
            << "each made between BeginBlock and EndBlock";
    }
}

} // namespace
