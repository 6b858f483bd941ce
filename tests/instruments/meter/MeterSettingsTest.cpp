// The meter instruments' settings archives: round trips, the older versions
// they still read, and damaged archives that must change nothing.
#include <gtest/gtest.h>

#include <limits>

#include "../../framework/ArchiveTestUtil.h"
#include "instruments/meter/MeterSettings.h"

namespace {

// Values in the archive encoding, for archives written by hand.
template <class... T>
Bytes Encode(const T&... values)
{
    return StoreBytes([&](CArchive& ar) { (ar << ... << values); });
}

template <class Settings>
Bytes Store(Settings s)
{
    return StoreBytes([&](CArchive& ar) { SerializeSettings(ar, s); });
}

template <class Settings>
void Load(const Bytes& bytes, Settings& s)
{
    LoadBytes(bytes, [&](CArchive& ar) { SerializeSettings(ar, s); });
}

// Loading each must throw the archive exception and leave the settings exactly as they were.
template <class Settings>
void ExpectRejected(const Settings& before, std::initializer_list<std::pair<Bytes, const char*>> damaged)
{
    for (const auto& [bytes, what] : damaged) {
        Settings s = before;
        EXPECT_THROW(Load(bytes, s), CArchiveException) << what;
        EXPECT_EQ(Store(s), Store(before)) << what << ": nothing may be half loaded";
    }
}

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

TEST(MeterSettings, SingleMeterRoundTripAndLayout)
{
    SingleMeterSettings s{2, 1, 3, 0.47};
    const Bytes bytes = Store(s);
    EXPECT_EQ(bytes, Encode(uint32_t(1), uint8_t(2), uint8_t(1), uint32_t(3), 0.47));
    SingleMeterSettings back;
    Load(bytes, back);
    EXPECT_EQ(back.range, 2);
    EXPECT_EQ(back.mode, 1);
    EXPECT_EQ(back.quantity, 3);
    EXPECT_EQ(back.shunt, 0.47);
}

TEST(MeterSettings, SingleMeterRejectsDamagedFields)
{
    auto make = [](uint32_t version, uint8_t range, uint8_t mode, uint32_t quantity, double shunt) {
        return Encode(version, range, mode, quantity, shunt);
    };
    Bytes cut = make(1, 1, 0, 4, 10);
    cut.resize(cut.size() - 3);
    ExpectRejected(SingleMeterSettings{3, 1, 2, 5.0},
                   {{make(2, 1, 0, 4, 10), "newer version"}, {make(0, 1, 0, 4, 10), "version 0"},
                    {make(1, 9, 0, 4, 10), "range 9"}, {make(1, 1, 2, 4, 10), "mode 2"},
                    {make(1, 1, 0, 5, 10), "quantity 5"}, {make(1, 1, 0, 0xFFFFFFFF, 10), "quantity -1"},
                    {make(1, 1, 0, 4, 0), "zero shunt"}, {make(1, 1, 0, 4, -10), "negative shunt"},
                    {make(1, 1, 0, 4, kNaN), "NaN shunt"},
                    {make(1, 1, 0, 4, std::numeric_limits<double>::infinity()), "infinite shunt"}, {cut, "cut short"}});
}

TEST(MeterSettings, DualMeterRoundTripAndDamage)
{
    DualMeterSettings s;
    s.half[0] = {0, 1, 2};
    s.half[1] = {8, 0, 0};
    s.rateFlag = 0;
    const Bytes bytes = Store(s);
    EXPECT_EQ(bytes, Encode(uint32_t(1), uint8_t(0), uint8_t(1), uint32_t(2), uint8_t(8), uint8_t(0), uint32_t(0),
                            uint8_t(0)));
    DualMeterSettings back;
    Load(bytes, back);
    EXPECT_EQ(Store(back), bytes);
    EXPECT_EQ(back.rateFlag, 0);

    auto make = [](uint8_t rangeD, uint32_t quantityD, uint8_t rate) {
        return Encode(uint32_t(1), uint8_t(1), uint8_t(0), uint32_t(4), rangeD, uint8_t(0), quantityD, rate);
    };
    ExpectRejected(DualMeterSettings{},
                   {{make(9, 4, 1), "range of D"}, {make(1, 7, 1), "quantity of D"}, {make(1, 4, 2), "rate flag"}});
}

TEST(MeterSettings, AnalogMeterReadsVersionOneAndKeepsTheRest)
{
    AnalogMeterSettings s{0, 3, 1, 202, 1};
    const Bytes bytes = Store(s);
    EXPECT_EQ(bytes, Encode(uint32_t(2), uint8_t(0), uint32_t(3), uint32_t(1), uint32_t(202), uint8_t(1)));
    AnalogMeterSettings back;
    Load(bytes, back);
    EXPECT_EQ(Store(back), bytes);

    // Version 1 written by the older instrument: channel flag, range, mode.
    AnalogMeterSettings old{1, 6, 0, 203, 1};
    Load(Encode(uint32_t(1), uint8_t(0), uint32_t(8), uint32_t(1)), old);
    EXPECT_EQ(old.channelA, 0);
    EXPECT_EQ(old.range, 8);
    EXPECT_EQ(old.mode, 1);
    EXPECT_EQ(old.scaleSelection, 203) << "not in version 1: unchanged";
    EXPECT_EQ(old.numberView, 1);

    auto v2 = [](uint32_t version, uint32_t range, uint32_t scale) {
        return Encode(version, uint8_t(1), range, uint32_t(0), scale, uint8_t(0));
    };
    ExpectRejected(AnalogMeterSettings{},
                   {{v2(3, 6, 205), "newer version"}, {v2(2, 6, 200), "scale selection 200"},
                    {v2(2, 6, 206), "scale selection 206"}, {v2(2, 0xFFFFFFFF, 205), "range -1"},
                    {Encode(uint32_t(1), uint8_t(1), uint32_t(6), uint32_t(3)), "mode 3"},
                    {Encode(uint32_t(1), uint8_t(2), uint32_t(6), uint32_t(0)), "channel flag 2"}});
}

TEST(MeterSettings, PowerMeterReadsVersionOneWithoutTheShunt)
{
    PowerMeterSettings s{2, 7, 0.1};
    const Bytes bytes = Store(s);
    EXPECT_EQ(bytes, Encode(uint32_t(2), uint8_t(2), uint8_t(7), 0.1));
    PowerMeterSettings back;
    Load(bytes, back);
    EXPECT_EQ(Store(back), bytes);

    PowerMeterSettings old{6, 6, 47.0};
    Load(Encode(uint32_t(1), uint8_t(0), uint8_t(8)), old);
    EXPECT_EQ(old.rangeA, 0);
    EXPECT_EQ(old.rangeB, 8);
    EXPECT_EQ(old.shuntB, 47.0);

    ExpectRejected(PowerMeterSettings{}, {{Encode(uint32_t(2), uint8_t(0), uint8_t(0), 0.0), "zero shunt"},
                                          {Encode(uint32_t(1), uint8_t(0), uint8_t(200)), "range of B"},
                                          {Encode(uint32_t(3), uint8_t(0), uint8_t(0), 1.0), "newer version"}});
}

TEST(MeterSettings, TemperatureReadsVersionOneWithoutTheSensor)
{
    TemperatureSettings s{202, -12.5, 204};
    const Bytes bytes = Store(s);
    EXPECT_EQ(bytes, Encode(uint32_t(2), uint32_t(202), -12.5, uint32_t(204)));
    TemperatureSettings back;
    Load(bytes, back);
    EXPECT_EQ(Store(back), bytes);

    TemperatureSettings old{201, 0, 204};
    Load(Encode(uint32_t(1), uint32_t(202), 3.0), old);
    EXPECT_EQ(old.unitChoice, 202);
    EXPECT_EQ(old.offset, 3.0);
    EXPECT_EQ(old.sensorChoice, 204);

    auto make = [](uint32_t version, uint32_t unit, double offset, uint32_t sensor) {
        return Encode(version, unit, offset, sensor);
    };
    ExpectRejected(TemperatureSettings{},
                   {{make(2, 203, 0.0, 205), "unit 203"}, {make(2, 201, 100.5, 205), "offset above 100"},
                    {make(2, 201, -100.5, 205), "offset below -100"}, {make(2, 201, kNaN, 205), "NaN offset"},
                    {make(2, 201, 0.0, 206), "sensor 206"}, {make(3, 201, 0.0, 205), "newer version"}});
}

}  // namespace
