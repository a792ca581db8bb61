#include <windows.h>

#include "app/screen_size.h"

namespace {
bool g_substituted = false;
ScreenMeasure g_substitute;
bool g_monitorsSubstituted = false;
std::vector<MonitorRect> g_monitorsSubstitute;

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

// One monitor in physical pixels: its display device's current mode (the
// position and size the monitor has whatever the program's awareness of
// scaling). A mode without a size is not trusted, position included (some
// drivers report 0, 0 and no size for every monitor but the main one): the
// monitor's rectangle as the program sees it stands in.
BOOL CALLBACK addMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM found) {
    auto& monitors = *reinterpret_cast<std::vector<MonitorRect>*>(found);
    MONITORINFOEXW info{};
    info.cbSize = sizeof info;
    if (!GetMonitorInfoW(monitor, &info)) return TRUE;
    MonitorRect m;
    m.x = info.rcMonitor.left;
    m.y = info.rcMonitor.top;
    m.width = info.rcMonitor.right - info.rcMonitor.left;
    m.height = info.rcMonitor.bottom - info.rcMonitor.top;
    m.main = (info.dwFlags & MONITORINFOF_PRIMARY) != 0;
    DEVMODEW mode{};
    mode.dmSize = sizeof mode;
    constexpr DWORD kNeeded = DM_POSITION | DM_PELSWIDTH | DM_PELSHEIGHT;
    if (EnumDisplaySettingsW(info.szDevice, ENUM_CURRENT_SETTINGS, &mode) &&
        (mode.dmFields & kNeeded) == kNeeded && mode.dmPelsWidth > 0 && mode.dmPelsHeight > 0 &&
        mode.dmPelsWidth <= 0x7FFF && mode.dmPelsHeight <= 0x7FFF) {
        m.x = mode.dmPosition.x;
        m.y = mode.dmPosition.y;
        m.width = static_cast<int32_t>(mode.dmPelsWidth);
        m.height = static_cast<int32_t>(mode.dmPelsHeight);
    }
    monitors.push_back(m);
    return TRUE;
}

std::vector<MonitorRect> measureMonitors() {
    std::vector<MonitorRect> monitors;
    EnumDisplayMonitors(nullptr, nullptr, addMonitor, reinterpret_cast<LPARAM>(&monitors));
    return monitors;
}
}  // namespace

void setScreenMeasureForTesting(const ScreenMeasure* measure) noexcept {
    g_substituted = measure != nullptr;
    if (measure) g_substitute = *measure;
}

void setMonitorsForTesting(const std::vector<MonitorRect>* monitors) noexcept {
    g_monitorsSubstituted = monitors != nullptr;
    if (monitors) g_monitorsSubstitute = *monitors;
}

void readScreenSize(Settings& settings) noexcept {
    applyScreenMeasure(settings, g_substituted ? g_substitute : measureMainScreen());
    settings.monitors = g_monitorsSubstituted ? g_monitorsSubstitute : measureMonitors();
}
