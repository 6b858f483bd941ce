// When events turn into update messages: period, pending changes, hold-off.
#include <gtest/gtest.h>

#include "viframework/UpdateGate.h"

namespace {

using Verdict = CUpdateGate::Verdict;

TEST(UpdateGate, WithoutPeriodEveryEventUpdatesAPeriodOf200AsksAboutEveryFourthEventOf50)
{
    CUpdateGate plain;
    for (uint32_t t = 0; t < 500; t += 50)
        EXPECT_EQ(plain.Check(t).verdict, Verdict::Update);

    CUpdateGate gate;
    gate.SetPeriod(200);
    gate.Check(0);  // the first check after start may run out the period
    int asked = 0;
    for (uint32_t t = 50; t <= 1000; t += 50) {
        const CUpdateGate::Due due = gate.Check(t);
        if (due.verdict == Verdict::AskInstrument) {
            ++asked;
            EXPECT_TRUE(due.elapsed);
        }
    }
    // More than 200 ms must pass: the period restarts every 250 ms.
    EXPECT_EQ(asked, 4);
}

TEST(UpdateGate, PendingChangeAsksInsideThePeriod)
{
    CUpdateGate gate;
    gate.SetPeriod(1000);
    gate.Check(2000);
    EXPECT_EQ(gate.Check(2050).verdict, Verdict::Skip);
    gate.MarkChanged(0x4);
    const CUpdateGate::Due due = gate.Check(2100);
    EXPECT_EQ(due.verdict, Verdict::AskInstrument);
    EXPECT_EQ(due.bits, 0x4u);
    EXPECT_FALSE(due.elapsed);
    EXPECT_EQ(gate.Check(2150).verdict, Verdict::Skip) << "bits were taken";
}

TEST(UpdateGate, HoldOffSilencesAndClearsOnTheFirstCheckAfter)
{
    CUpdateGate gate;
    gate.SetHoldOff(300, 1000);
    gate.MarkChanged(1);
    EXPECT_EQ(gate.Check(1100).verdict, Verdict::Skip);
    EXPECT_EQ(gate.Check(1300).verdict, Verdict::Skip) << "inclusive end";
    EXPECT_EQ(gate.Check(1301).verdict, Verdict::Update);
    EXPECT_FALSE(gate.IsHoldOffRunning(1302));
}

TEST(UpdateGate, TickArithmeticSurvivesTheWrap)
{
    CUpdateGate gate;
    gate.SetHoldOff(100, 0xFFFFFFC0u);
    EXPECT_TRUE(gate.IsHoldOffRunning(0x10));  // 80 ms later, across the wrap
    EXPECT_FALSE(gate.IsHoldOffRunning(0x30));
    gate.SetPeriod(100);
    gate.Check(0xFFFFFFF0u);
    EXPECT_EQ(gate.Check(0x20).verdict, Verdict::Skip);  // 48 ms
    EXPECT_EQ(gate.Check(0x80).verdict, Verdict::AskInstrument);
}

} // namespace
