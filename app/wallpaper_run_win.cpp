// The one road from an image file to the desktop wallpaper: decode, compose,
// write "save_wp.bmp" beside the settings file, and tell the system.
#include <windows.h>

#include "app/headless_runs.h"
#include "base/owners_win.h"
#include "compose/compose_win.h"
#include "compose/monitor_layout.h"
#include "compose/wallpaper_output.h"
#include "decode/decoders.h"
#include "settings/settings.h"
#include "settings/settings_file.h"

namespace {

const wchar_t kDesktopKey[] = L"Control Panel\\Desktop";

// Windows 8 (6.2) and later show a bitmap across the monitors with the
// span style; earlier versions only tile it.
bool desktopCanSpan() noexcept {
    OSVERSIONINFOW version{};
    version.dwOSVersionInfoSize = sizeof version;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    if (!GetVersionExW(&version)) return true;
#pragma GCC diagnostic pop
    return version.dwMajorVersion > 6 ||
           (version.dwMajorVersion == 6 && version.dwMinorVersion >= 2);
}

std::wstring readDesktopValue(HKEY key, const wchar_t* name) {
    wchar_t value[32] = {};
    DWORD type = 0, size = sizeof value - sizeof(wchar_t);
    if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(value), &size) !=
            ERROR_SUCCESS ||
        type != REG_SZ)
        return L"0";
    return value;
}

void writeDesktopValue(HKEY key, const wchar_t* name, const std::wstring& value) {
    RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

UniqueRegKey openDesktopKey() {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kDesktopKey, 0, nullptr, 0,
                        KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return UniqueRegKey();
    return UniqueRegKey(key);
}

// The style that shows a virtual-screen bitmap: spanned, or tiled from the
// main monitor's corner. The values in force before are kept in the settings
// file the first time, for restoreDesktopStyle.
void useSpanStyle(bool span) {
    const UniqueRegKey key = openDesktopKey();
    if (!key) return;
    if (readFileKey(kSpanStyleSection, kSpanStyleKey).empty()) {
        writeFileKey(kSpanStyleSection, kSpanStyleKey, readDesktopValue(key.get(), kSpanStyleKey));
        writeFileKey(kSpanStyleSection, kSpanTileKey, readDesktopValue(key.get(), kSpanTileKey));
    }
    writeDesktopValue(key.get(), kSpanStyleKey, span ? L"22" : L"0");
    writeDesktopValue(key.get(), kSpanTileKey, span ? L"0" : L"1");
}

bool writeAndSet(const WallpaperBitmap& wallpaper, bool spanned, bool span) {
    if (!wallpaper) return false;
    const std::wstring output = wallpaperFilePath();
    const bool written =
        output.size() < MAX_PATH && writeWallpaperFile(output.c_str(), wallpaper.image());
    if (written) {
        if (spanned)
            useSpanStyle(span);
        else
            restoreDesktopStyle();
        SystemParametersInfoW(SPI_SETDESKWALLPAPER, 0, const_cast<wchar_t*>(output.c_str()),
                              SPIF_UPDATEINIFILE | SPIF_SENDWININICHANGE);
    }
    return written;
}

}  // namespace

void restoreDesktopStyle() {
    const std::wstring style = readFileKey(kSpanStyleSection, kSpanStyleKey);
    if (style.empty()) return;
    const std::wstring tile = readFileKey(kSpanStyleSection, kSpanTileKey);
    if (const UniqueRegKey key = openDesktopKey()) {
        writeDesktopValue(key.get(), kSpanStyleKey, style);
        writeDesktopValue(key.get(), kSpanTileKey, tile.empty() ? L"0" : tile);
    }
    removeFileSection(kSpanStyleSection);
}

bool loadPicture(const wchar_t* path, OwnedImage& picture) {
    if (!path || !loadImageFile(path, g_settings.SPI.c_str())) return false;
    picture = takeCurrentImage();
    return static_cast<bool>(picture);
}

bool makeWallpaperFrom(std::span<OwnedImage> pictures) {
    const MonitorLayout layout = layoutMonitors(g_settings.monitors);
    if (layout.monitors.size() < 2) return false;
    const bool span = desktopCanSpan();
    // The composed pixels go with the bitmap when this returns.
    return writeAndSet(composeMonitorsWallpaper(pictures, layout, !span), true, span);
}

bool makeWallpaper(const wchar_t* imagePath) {
    if (spansMonitors(g_settings) && layoutMonitors(g_settings.monitors).monitors.size() > 1) {
        OwnedImage picture;
        return loadPicture(imagePath, picture) && makeWallpaperFrom({&picture, 1});
    }
    if (!imagePath || !loadImageFile(imagePath, g_settings.SPI.c_str())) return false;
    return writeAndSet(composeWallpaper(), false, false);
}
