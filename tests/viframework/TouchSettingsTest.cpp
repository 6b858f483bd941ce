// Touch mode from the user's key, or from the machine when the key is absent.
#include <gtest/gtest.h>

#include "viframework/TouchSettings.h"

TEST(TouchSettings, UserKeyDecidesAndMarginsOnlyWithSmallMenuImages)
{
    CMemorySettingsStore store;
    TouchSystemInfo tablet{16, true, true, true};
    // No key: a tablet in slate mode is touch, a convertible with its keyboard is not.
    CTouchSettings t = ReadTouchSettings(store, tablet);
    EXPECT_TRUE(t.touchMode);
    EXPECT_EQ(t.buttonMargin, 20);
    EXPECT_EQ(t.menuMargin, 20);
    tablet.slateMode = false;
    EXPECT_FALSE(ReadTouchSettings(store, tablet).touchMode);

    // An empty key overrides the tablet: touch off, margins stay 6.
    store.CreateKey(SettingsHive::CurrentUser, kTouchSettingsKey);
    tablet.slateMode = true;
    t = ReadTouchSettings(store, tablet);
    EXPECT_FALSE(t.touchMode);
    EXPECT_EQ(t.buttonMargin, 6);

    store.WriteNumber(SettingsHive::CurrentUser, kTouchSettingsKey, u"Enable", 1);
    store.WriteNumber(SettingsHive::CurrentUser, kTouchSettingsKey, u"ButtonMargin", 12);
    t = ReadTouchSettings(store, TouchSystemInfo{});
    EXPECT_TRUE(t.touchMode);
    EXPECT_EQ(t.buttonMargin, 12);
    EXPECT_EQ(t.menuMargin, 20);
    // A screen whose menu images are already large keeps the small margins.
    t = ReadTouchSettings(store, TouchSystemInfo{32, false, false, false});
    EXPECT_TRUE(t.touchMode);
    EXPECT_EQ(t.buttonMargin, 6);
}
