// The Bode plotter's measurement sets: the five arrays of a point, the
// capacity, the archive and its damage, and the container the views read.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "../framework/ArchiveTestUtil.h"
#include "analysis/BodeData.h"

namespace {

CBodeData TwoPoints()
{
    CBodeData set(10);
    set.AddPoint(100, 1.0, -5);
    set.AddPoint(1000, 0.1, -190);
    return set;
}

Bytes Words(uint32_t schema, int32_t capacity, int32_t count)
{
    return StoreBytes([&](CArchive& ar) { ar << schema << capacity << count; });
}

Bytes Doubles(std::initializer_list<double> values)
{
    return StoreBytes([&](CArchive& ar) {
        for (double v : values)
            ar << v;
    });
}

TEST(BodeData, PointsFillFiveArraysUpToTheCapacity)
{
    CBodeData set = TwoPoints();
    EXPECT_DOUBLE_EQ(set.AngularFrequency()[1], 2000 * std::numbers::pi);
    EXPECT_DOUBLE_EQ(set.GainDb()[0], 0.0) << "gain 1 is 0 dB";
    EXPECT_DOUBLE_EQ(set.GainDb()[1], -20.0) << "gain 0.1 is -20 dB";
    EXPECT_EQ(CBodeData().Capacity(), 5000) << "a new sweep's";

    CBodeData small(2);
    EXPECT_TRUE(small.AddPoint(1, 1, 0));
    EXPECT_TRUE(small.AddPoint(2, 1, 0));
    EXPECT_FALSE(small.AddPoint(3, 1, 0));
    EXPECT_EQ(small.Count(), 2);
    small.SetCapacity(2);
    EXPECT_EQ(small.Count(), 2) << "the same capacity keeps the points";
    small.SetCapacity(3);
    EXPECT_EQ(small.Count(), 0);
    EXPECT_TRUE(small.Phase().empty());
}

TEST(BodeData, ArchiveAndItsDamage)
{
    CBodeData stored = TwoPoints();
    const Bytes bytes = StoreBytes([&](CArchive& ar) { stored.Serialize(ar); });
    EXPECT_EQ(bytes, Concat({Words(2, 10, 2), Doubles({100, 1000}), Doubles({200 * std::numbers::pi, 2000 * std::numbers::pi}),
                             Doubles({1.0, 0.1}), Doubles({0.0, 20 * std::log10(0.1)}), Doubles({-5, -190})}));
    CBodeData loaded(0);
    LoadBytes(bytes, [&](CArchive& ar) { loaded.Serialize(ar); });
    EXPECT_EQ(loaded.Capacity(), 10);
    ASSERT_EQ(loaded.Count(), 2);
    EXPECT_DOUBLE_EQ(loaded.Phase()[1], -190);

    Bytes truncated = bytes;
    truncated.resize(bytes.size() - 3);
    const Bytes damaged[] = {Words(1, 10, 0), Words(2, 1, 2), Words(2, CBodeData::kMaxCapacity + 1, 0),
                             Words(2, 10, -1), Concat({Words(2, 100000, 100000), Doubles({1.0})}), truncated};
    for (const Bytes& b : damaged) {
        CBodeData kept(3);
        kept.AddPoint(7, 0.5, 45);
        EXPECT_THROW(LoadBytes(b, [&](CArchive& ar) { kept.Serialize(ar); }), CArchiveException);
        EXPECT_EQ(kept.Capacity(), 3);
        ASSERT_EQ(kept.Count(), 1);
        EXPECT_DOUBLE_EQ(kept.Phase()[0], 45);
    }
}

TEST(BodeSets, NewestLastCopiesDeletionAndArchive)
{
    CBodeSets sets;
    EXPECT_FALSE(sets.AddPoint(1, 1, 0)) << "no set to add to";
    EXPECT_EQ(sets.Append(TwoPoints()), 0);
    EXPECT_EQ(sets.Append(CBodeData(5)), 1);
    const std::vector<CBodeData> before = sets.Snapshot();
    EXPECT_TRUE(sets.AddPoint(50, 0.5, -45));
    EXPECT_EQ(before[1].Count(), 0) << "a copy does not change under the sweep";
    EXPECT_EQ(sets.GetSet(1)->Count(), 1);
    EXPECT_FALSE(sets.GetSet(2).has_value());

    const Bytes bytes = StoreBytes([&](CArchive& ar) { sets.Serialize(ar); });
    CBodeSets loaded;
    LoadBytes(bytes, [&](CArchive& ar) { loaded.Serialize(ar); });
    ASSERT_EQ(loaded.SetCount(), 2);
    EXPECT_DOUBLE_EQ(loaded.GetSet(1)->Frequency()[0], 50);
    Bytes cut = bytes;
    cut.resize(bytes.size() - 8);
    EXPECT_THROW(LoadBytes(cut, [&](CArchive& ar) { loaded.Serialize(ar); }), CArchiveException);
    EXPECT_EQ(loaded.GetSet(1)->Count(), 1) << "a damaged archive replaces nothing";

    sets.DeleteSet(5);
    sets.DeleteSet(0);
    ASSERT_EQ(sets.SetCount(), 1);
    EXPECT_DOUBLE_EQ(sets.GetSet(0)->Frequency()[0], 50);
    sets.DeleteSet(-1);
    EXPECT_EQ(sets.SetCount(), 0);
}

}  // namespace
