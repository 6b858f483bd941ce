// What the meters read from the multimeter unit: the dual ammeter's own
// block, and the displays that take the class-wide records themselves.
#include <gtest/gtest.h>

#include "../../units/UnitTestSupport.h"
#include "instruments/meter/Gauge.h"
#include "instruments/meter/MeterFormat.h"
#include "instruments/meter/TemperatureLcd.h"
#include "instruments/meter/VexaValueDisplay.h"
#include "units/VexaMeter.h"

namespace {

// The class-wide shunts outlive a test; each test that changes them puts
// them back.
struct ShuntGuard {
    ShuntGuard() : a(CVexaMeter::Shunt(0)), b(CVexaMeter::Shunt(1)) {}
    ~ShuntGuard()
    {
        CVexaMeter::SetShunt(0, a);
        CVexaMeter::SetShunt(1, b);
    }
    double a, b;
};

// A level-2 meter whose last block of A and B held the given raw values.
struct MeterWithBlock {
    MeterWithBlock(int rangeA, int rangeB, ChannelBlock a, ChannelBlock b) : meter(face.stream, &face.face)
    {
        meter.SetRange(0, rangeA);
        meter.SetRange(1, rangeB);
        face.stream->ExpectWrite({0x66}).Reply(BlockReply(a, b, true));
        meter.ReadAB();
    }
    ScriptedInterface face{2};
    CVexaMeter meter;
};

// ---------------------------------------------------------------- dual ammeter

TEST(DualCurrents, ReadWithTheirOwnCommandAndRangesFromLevelThreeOnly)
{
    ScriptedInterface level3(3);
    CVexaMeter meter(level3.stream, &level3.face);
    ChannelBlock c = Constant(511);
    ChannelBlock d = Constant(-256);
    d.maximum = 100;  // peak and peak-to-peak from minimum and maximum
    level3.stream->ExpectWrite({0x6C}).Reply(BlockReply(c, d, true));
    MeterRecord rc{}, rd{};
    bool overflow[2] = {false, true};
    ReadDualCurrents(meter, 0, 1, rc, rd, overflow);
    level3.stream->ExpectDone();

    EXPECT_DOUBLE_EQ(rc[kMeterAverage], 300.0) << "300 mA range in milliamperes";
    EXPECT_DOUBLE_EQ(rc[kMeterRms], 300.0);
    EXPECT_TRUE(overflow[0]);
    EXPECT_DOUBLE_EQ(rd[kMeterAverage], -256.0 / 511 * 3) << "3 A range in amperes";
    EXPECT_DOUBLE_EQ(rd[kMeterAbsAverage], 256.0 / 511 * 3);
    EXPECT_DOUBLE_EQ(rd[kMeterRms], 256.0 / 511 * 3);
    EXPECT_DOUBLE_EQ(rd[kMeterPeak], 100.0 / 511 * 3);
    EXPECT_DOUBLE_EQ(rd[kMeterPeakToPeak], 356.0 / 511 * 3);
    EXPECT_DOUBLE_EQ(rd[kMeterInstant], -256.0 / 511 * 3);
    EXPECT_FALSE(overflow[1]);
    EXPECT_FALSE(meter.Overflow(2)) << "the unit's own flags stay the voltmeter's";

    // Nothing is sent below level 3.
    ScriptedInterface level2(2);
    CVexaMeter old(level2.stream, &level2.face);
    MeterRecord kept{};
    kept[0] = 7;
    bool keptOverflow[2] = {true, true};
    ReadDualCurrents(old, 0, 0, kept, rd, keptOverflow);
    level2.stream->ExpectDone();
    EXPECT_EQ(kept[0], 7);
    EXPECT_TRUE(keptOverflow[0]);
}

// ---------------------------------------------------------------- displays reading records

TEST(VexaValueDisplay, ShowsItsChannelsRecordByKind)
{
    ShuntGuard shunts;
    // A: 0.1 V x 256 / 511 = 50.1 mV on range 0; B: 10 V x 128 / 511 on range 6.
    MeterWithBlock m(0, 6, Constant(256), Constant(128));
    CHotVexaValueDisplay display;
    display.SetMeter(&m.meter);
    EXPECT_TRUE(display.Refresh());
    EXPECT_EQ(display.Text(), u"  50");
    EXPECT_EQ(display.Unit(), u"mV");
    EXPECT_EQ(display.RangeText(), u" 100 mV");
    EXPECT_NEAR(display.Fraction(), 256.0 / 511, 1e-12);
    EXPECT_FALSE(display.Refresh()) << "nothing new";

    display.SetChannelA(false);
    EXPECT_TRUE(display.Refresh());
    EXPECT_EQ(display.Text(), u"  2.5");
    EXPECT_EQ(display.Unit(), u"V");

    CVexaMeter::SetShunt(1, 10);
    display.SetKind(MeterDisplayKind::Current);
    display.Refresh();
    EXPECT_EQ(display.Text(), u" 0.25");  // 0.25 A of 1 A
    EXPECT_EQ(display.RangeText(), u"1 A");

    display.SetQuantity(kMeterPeakToPeak);
    display.Refresh();
    EXPECT_EQ(display.Text(), u" 0.00") << "a constant block has no peak-to-peak";

    CHotVexaValueDisplay without;
    without.Show({u"  12", u"V", u"  20 V", 0.6});
    EXPECT_TRUE(without.Refresh());
    EXPECT_EQ(without.Text(), u"----") << "no meter, dashes";
    EXPECT_EQ(without.Unit(), u"");
    EXPECT_EQ(without.Fraction(), 0);
}

TEST(VexaValueDisplay, PowerTakesBothChannelsAndChannelBsShunt)
{
    ShuntGuard shunts;
    MeterWithBlock m(6, 6, Constant(511), Constant(511));
    CVexaMeter::SetShunt(0, 1000);  // A's shunt plays no part
    CVexaMeter::SetShunt(1, 100);
    CHotVexaValueDisplay display;
    display.SetMeter(&m.meter);
    display.SetKind(MeterDisplayKind::Power);
    display.Refresh();
    EXPECT_EQ(display.Text(), u" 1.00");  // 10 V x 10 V / 100 Ohm of as much
    EXPECT_EQ(display.Unit(), u"VA");
    EXPECT_EQ(display.Fraction(), 1.0);
}

TEST(TemperatureLcd, ShowsChannelAsAverageInTheChosenUnitOrTheOverload)
{
    // 10 V x 128 / 511 = 2.505 V: 25 degrees with the linear sensor.
    MeterWithBlock m(6, 6, Constant(128), Constant(0));
    CTemperatureLcd lcd;
    lcd.SetMeter(&m.meter);
    lcd.SetSensor(1);
    EXPECT_TRUE(lcd.Refresh());
    EXPECT_EQ(lcd.Text(), u"  25");
    EXPECT_EQ(lcd.Unit(), u"\u00B0C");
    lcd.SetFahrenheit(true);
    EXPECT_TRUE(lcd.Refresh());
    EXPECT_EQ(lcd.Text(), u"  77");
    EXPECT_EQ(lcd.Unit(), u"\u00B0F");
    EXPECT_FALSE(lcd.Refresh());

    MeterWithBlock over(6, 6, Constant(511), Constant(0));
    lcd.SetMeter(&over.meter);
    lcd.Refresh();
    EXPECT_EQ(lcd.Text(), u" -0L") << "an overflow of channel A shows the overload";
}

TEST(Gauge, RefreshReadsItsChannelAndQuantity)
{
    MeterWithBlock m(6, 6, Constant(-256), Constant(128));
    CHotGauge gauge;
    gauge.SetScale(0, 10, 1);
    gauge.SetMeter(&m.meter);
    gauge.SetQuantity(kMeterAverage);
    EXPECT_TRUE(gauge.Refresh());
    EXPECT_DOUBLE_EQ(gauge.Value(), 10.0 * -256 / 511) << "signed, for the negative lamp";
    EXPECT_DOUBLE_EQ(gauge.ShownValue(), 10.0 * 256 / 511);
    gauge.SetChannelA(false);
    gauge.SetQuantity(kMeterPeakToPeak);
    gauge.Refresh();
    EXPECT_EQ(gauge.Value(), 0);
}

}  // namespace
