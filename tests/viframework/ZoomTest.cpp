#include <gtest/gtest.h>

#include "viframework/Zoom.h"

TEST(Zoom, MulDivRoundsHalvesAwayFromZeroAndPanelPointsRoundTrip)
{
    EXPECT_EQ(MulDivRound(3, 1, 2), 2);
    EXPECT_EQ(MulDivRound(-3, 1, 2), -2);
    EXPECT_EQ(MulDivRound(239, 200, 100), 478);
    EXPECT_EQ(MulDivRound(5, 5, 0), -1);
    for (CZoomRatio zoom : {CZoomRatio{100, 100}, CZoomRatio{200, 100}, CZoomRatio{150, 100}})
        for (int32_t v : {0, 1, 17, 119, 238})
            EXPECT_EQ(zoom.ToPanel(zoom.ToDevice(v)), v) << zoom.num << " " << v;
}

TEST(Zoom, DpiScalesBothNumeratorsRegistryValuesAreSixteenBitAndZeroIsIgnored)
{
    CMemorySettingsStore settings;
    CZoomSettings at96 = CZoomSettings::Read(settings, 96);
    EXPECT_EQ(at96.first, (CZoomRatio{100, 100}));
    EXPECT_EQ(at96.second, (CZoomRatio{200, 100}));
    EXPECT_EQ(at96.second.ToDevice(CRect{0, 0, 239, 149}), (CRect{0, 0, 478, 298}));

    CZoomSettings at144 = CZoomSettings::Read(settings, 144);
    EXPECT_EQ(at144.first, (CZoomRatio{150, 100}));
    EXPECT_EQ(at144.second, (CZoomRatio{300, 100}));

    const CString key = u"Software\\Brennick\\Common\\Virtual Instruments";
    settings.WriteNumber(SettingsHive::LocalMachine, key, u"ZoomNom2", 0x10000 + 150);
    settings.WriteNumber(SettingsHive::LocalMachine, key, u"ZoomDenom", 0);
    CZoomSettings zoom = CZoomSettings::Read(settings, 96);
    EXPECT_EQ(zoom.second.num, 150);
    EXPECT_EQ(zoom.first.den, 100);
}

TEST(Zoom, SecondLevelShrinksToFitTheDesktop)
{
    const CZoomRatio wanted{200, 100};
    // Fits: unchanged.
    EXPECT_EQ(FitZoomNumerator(wanted, {239, 149}, {8, 30}, {1280, 1024}), 200);
    // Too tall for a 600-pixel desktop: (600 - 30) / 400 = 142 %.
    EXPECT_EQ(FitZoomNumerator(wanted, {300, 400}, {8, 30}, {1280, 600}), 142);
    // Both directions overflow: the smaller percentage wins.
    EXPECT_EQ(FitZoomNumerator(wanted, {700, 400}, {8, 30}, {1000, 600}), 141);
}

TEST(Zoom, ResizeRemaindersCarryOver)
{
    const CZoomRatio zoom{200, 100};
    int32_t remainder = 0;
    // 3 pixels at 2:1 are one unit and half a unit left over.
    EXPECT_EQ(DeviceDeltaToPanel(3, zoom, remainder), 1);
    EXPECT_EQ(DeviceDeltaToPanel(1, zoom, remainder), 1);
    EXPECT_EQ(remainder, 0);
    // At 1:1 nothing is converted.
    EXPECT_EQ(DeviceDeltaToPanel(7, CZoomRatio{}, remainder), 7);
}
