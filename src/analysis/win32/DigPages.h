// The logic analyzer's settings sheet: the pattern editor (CDigOutputPPg,
// with the clock, constant and counter dialogs) and the trigger page
// (CTriggerPPg). The pages work on copies; the caller takes them on OK.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "framework/Types.h"
#include "units/DigData.h"

// Dialog templates and menus of the resource library.
constexpr uint32_t IDD_PATTERN_CLOCK = 20503;
constexpr uint32_t IDD_PATTERN_CONSTANT = 20504;
constexpr uint32_t IDD_PATTERN_COUNTER = 20505;
constexpr uint32_t IDD_LOGIC_TRIGGER = 20506;
constexpr uint32_t IDD_LOGIC_PATTERN = 20507;
constexpr uint32_t IDM_PATTERN_GENERATORS = 638;
// The generators' commands, from menu 638 or sent to the pattern page.
constexpr uint32_t ID_PATTERN_CLOCK = 505;
constexpr uint32_t ID_PATTERN_CONSTANT = 506;
constexpr uint32_t ID_PATTERN_COUNTER = 507;

struct LogicSheetSettings {
    std::vector<std::unique_ptr<CDigData>> pattern;
    bool triggerOn = false;
    uint16_t triggerWord = 0;
    uint16_t triggerMask = 0;
    uint16_t recordLength = 0;  // [samples]
};

// Runs the sheet on the settings; true when the user confirmed, and then
// the settings hold what the pages show.
bool EditLogicSettings(HWND owner, const CString& caption, LogicSheetSettings& settings);
