// The logic analyzer's poll step against a scripted interface: the commands
// of a run with and without the trigger, in record and stream mode, single
// and repeating, and a stop from the window.
#include <gtest/gtest.h>

#include "../../units/UnitTestSupport.h"
#include "instruments/digital/DigRules.h"
#include "instruments/digital/LogicAcquisition.h"

namespace {

using Acq = CLogicAcquisition;

struct Rig {
    Rig() : face(2), dig(face.stream, &face.face), acq(dig)
    {
        dig.SetSampleInterval(1);
        dig.SetRecordLength(2);
    }
    ScriptedStream& S() { return *face.stream; }
    // The settings of a record of two words, then the (empty) pattern.
    void Setup(uint8_t trigger, uint8_t mask, uint8_t mode)
    {
        S().ExpectWrite({0x23, 0x00, 0x01, 0x00, trigger, 0x00, mask, 0x00, 0x02, mode}).Reply({'!'});
        S().ExpectWrite({0x25, 0x00, 0x00}).Reply({'!'});
    }
    void Start() { S().ExpectWrite({0x28}).Reply({'!'}); }
    void State(uint8_t state) { S().ExpectWrite({0x26}).Reply({state}); }
    uint16_t Next()
    {
        acq.TakePending();
        return acq.Step();
    }

    ScriptedInterface face;
    CDigIO dig;
    Acq acq;
};

TEST(LogicAcquisitionStep, WithoutTriggerARunRecordsOnceAndStops)
{
    Rig rig;
    EXPECT_EQ(rig.acq.Step(), 0) << "not running: nothing is sent";
    ASSERT_EQ(rig.acq.Run(), 0u);
    rig.Setup(0x00, 0x00, 0);
    rig.Start();
    EXPECT_EQ(rig.Next(), Acq::kNewSamples | Acq::kRunStateChanged);
    EXPECT_EQ(rig.acq.State(), Acq::kRecording) << "no waiting state without the trigger";
    EXPECT_FALSE(rig.acq.TriggerLamp());
    rig.State(CDigIO::kRecording);
    EXPECT_EQ(rig.Next(), 0);
    rig.State(CDigIO::kRecordComplete);
    rig.S().ExpectWrite({0x24, 0x00, 0x02}).Reply({0x12, 0x34, 0x56, 0x78, '!'});
    EXPECT_EQ(rig.Next(), Acq::kNewSamples | Acq::kRunStateChanged);
    rig.S().ExpectDone();
    EXPECT_FALSE(rig.acq.Running());
    EXPECT_EQ(rig.acq.State(), Acq::kStopped);
    EXPECT_EQ(rig.dig.Record(), (std::vector<uint16_t>{0x1234, 0x5678}));

    rig.dig.SetRecordLength(0);
    EXPECT_EQ(rig.acq.Run(), kTextNoRecordLength);
    EXPECT_FALSE(rig.acq.Running());
}

TEST(LogicAcquisitionStep, TriggeredRepeatingStreamWaitsThenRecordsAgain)
{
    Rig rig;
    rig.dig.SetTrigger(true, 0xF0, 0x0F);
    rig.dig.SetStreamMode(1);
    rig.dig.SetRepeat(true);
    ASSERT_EQ(rig.acq.Run(), 0u);
    rig.Setup(0xF0, 0x0F, 1);
    rig.Start();
    rig.Next();
    EXPECT_TRUE(rig.acq.TriggerLamp());
    rig.State(CDigIO::kWaitingForTrigger);
    EXPECT_EQ(rig.Next(), 0);
    rig.State(CDigIO::kRecording);
    EXPECT_EQ(rig.Next(), Acq::kRunStateChanged);
    EXPECT_FALSE(rig.acq.TriggerLamp());
    // Complete at the first read: the reads left collect the tail.
    rig.S().ExpectWrite({0x2A}).Reply({0x00, 0x02, 0x00, 0x01, 0x00, 0x02});
    rig.State(CDigIO::kRecordComplete);
    rig.S().ExpectWrite({0x2A}).Reply({0x00, 0x00});
    rig.State(CDigIO::kRecordComplete);
    EXPECT_EQ(rig.Next(), Acq::kNewSamples);
    EXPECT_EQ(rig.acq.State(), Acq::kStart) << "repeat starts again";
    EXPECT_EQ(rig.dig.Record(), (std::vector<uint16_t>{1, 2}));
    rig.Start();
    rig.Next();
    EXPECT_EQ(rig.acq.State(), Acq::kWaitingForTrigger);
    EXPECT_EQ(rig.dig.SamplesRead(), 0) << "a stream starts its record anew";

    // A stop from the window ends the run at the next step, without a command.
    rig.acq.Stop();
    EXPECT_EQ(rig.Next(), Acq::kRunStateChanged);
    EXPECT_EQ(rig.acq.State(), Acq::kStopped);
    EXPECT_EQ(rig.Next(), 0);
    rig.S().ExpectDone();
}

TEST(LogicAcquisitionStep, ARecordCutShortEndsTheRunInTheStreamFault)
{
    Rig rig;
    ASSERT_EQ(rig.acq.Run(), 0u);
    rig.Setup(0x00, 0x00, 0);
    rig.Start();
    rig.Next();
    rig.State(CDigIO::kRecordComplete);
    // Two words promised, one and a half arrive, then the box is gone.
    rig.S().ExpectWrite({0x24, 0x00, 0x02}).Reply({0x12, 0x34, 0x56}).Fault(20020);
    EXPECT_THROW(rig.Next(), CStreamException);
    EXPECT_FALSE(rig.acq.Running()) << "the connection-loss path finds no run left to poll";
    rig.acq.Step();
    rig.S().ExpectDone();  // nothing more is sent
}

}  // namespace
