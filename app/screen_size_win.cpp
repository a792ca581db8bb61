#include <windows.h>

#include "app/screen_size.h"

namespace {
bool g_substituted = false;
ScreenMeasure g_substitute;

ScreenMeasure measureMainScreen() noexcept {
    ScreenMeasure m;
    m.logicalWidth = GetSystemMetrics(SM_CXSCREEN);
    m.logicalHeight = GetSystemMetrics(SM_CYSCREEN);
    // The primary display device's current mode is in physical pixels
    // whatever the program's awareness of scaling. (The desktop's size from
    // the device context would be the whole virtual screen with several
    // monitors.)
    DEVMODEW mode{};
    mode.dmSize = sizeof mode;
    if (EnumDisplaySettingsW(nullptr, ENUM_CURRENT_SETTINGS, &mode) &&
        (mode.dmFields & DM_PELSWIDTH) && (mode.dmFields & DM_PELSHEIGHT)) {
        m.physicalWidth = static_cast<int32_t>(mode.dmPelsWidth);
        m.physicalHeight = static_cast<int32_t>(mode.dmPelsHeight);
    }
    return m;
}
}  // namespace

void setScreenMeasureForTesting(const ScreenMeasure* measure) noexcept {
    g_substituted = measure != nullptr;
    if (measure) g_substitute = *measure;
}

void readScreenSize(Settings& settings) noexcept {
    applyScreenMeasure(settings, g_substituted ? g_substitute : measureMainScreen());
}
