#include "viframework/TouchSettings.h"

#include <mutex>

const char16_t kTouchSettingsKey[] = u"Software\\Brennick\\Common\\Touch";

namespace {

// Menu images this tall are already large enough for a finger.
constexpr int32_t kLargeMenuImage = 32;
constexpr int32_t kTouchMargin = 20;

std::mutex g_lock;
CTouchSettings g_settings;

}  // namespace

CTouchSettings ReadTouchSettings(ISettingsStore& settings, const TouchSystemInfo& system)
{
    CTouchSettings touch;
    const CString key = kTouchSettingsKey;
    if (settings.KeyExists(SettingsHive::CurrentUser, key)) {
        touch.touchMode = settings.GetBool(key, u"Enable", false);
        if (touch.touchMode && system.menuImageHeight < kLargeMenuImage) {
            touch.buttonMargin = int32_t(settings.GetNumber(key, u"ButtonMargin", kTouchMargin));
            touch.menuMargin = int32_t(settings.GetNumber(key, u"MenuMargin", kTouchMargin));
        }
        return touch;
    }
    touch.touchMode = system.tabletPc && system.digitizer && system.slateMode;
    if (touch.touchMode && system.menuImageHeight < kLargeMenuImage)
        touch.buttonMargin = touch.menuMargin = kTouchMargin;
    return touch;
}

CTouchSettings TouchSettings()
{
    std::lock_guard<std::mutex> lock(g_lock);
    return g_settings;
}

void SetTouchSettings(const CTouchSettings& settings)
{
    std::lock_guard<std::mutex> lock(g_lock);
    g_settings = settings;
}
