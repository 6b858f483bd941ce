// The touch settings of the process: whether the panels are used with a
// finger (up/down controls then open the spin pad, chart cursors take a wider
// hit tolerance) and the margins that touch mode adds to buttons and menus.
// Read at start-up and again when the system reports a change of the
// convertible-slate mode.
#pragma once

#include <cstdint>

#include "framework/Settings.h"

struct CTouchSettings {
    bool touchMode = false;
    int32_t buttonMargin = 6;  // [pixels]
    int32_t menuMargin = 6;    // [pixels]
};

// What the window system says about the machine.
struct TouchSystemInfo {
    int32_t menuImageHeight = 16;  // the framework's menu image height at the screen's resolution [pixels]
    bool tabletPc = false;
    bool digitizer = false;
    bool slateMode = false;  // the convertible is a slate (no keyboard attached)
};

// The touch key of the current user decides when it exists; otherwise a
// tablet with a digitizer in slate mode is used by touch.
CTouchSettings ReadTouchSettings(ISettingsStore& settings, const TouchSystemInfo& system);

// The settings in force; the defaults until someone sets them.
CTouchSettings TouchSettings();
void SetTouchSettings(const CTouchSettings& settings);

extern const char16_t kTouchSettingsKey[];
