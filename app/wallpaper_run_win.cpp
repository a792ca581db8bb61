// The one road from an image file to the desktop wallpaper: decode, compose,
// write "save_wp.bmp" beside the settings file, and tell the system.
#include <windows.h>

#include "app/headless_runs.h"
#include "compose/compose_win.h"
#include "compose/wallpaper_output.h"
#include "decode/decoders.h"
#include "settings/settings.h"

bool makeWallpaper(const wchar_t* imagePath) {
    if (!imagePath || !loadImageFile(imagePath, g_settings.SPI.c_str())) return false;
    // The composed pixels go with the bitmap when this returns.
    const WallpaperBitmap wallpaper = composeWallpaper();
    if (!wallpaper) return false;

    const std::wstring output = wallpaperFilePath();
    const bool written =
        output.size() < MAX_PATH && writeWallpaperFile(output.c_str(), wallpaper.image());
    if (written) {
        SystemParametersInfoW(SPI_SETDESKWALLPAPER, 0, const_cast<wchar_t*>(output.c_str()),
                              SPIF_UPDATEINIFILE | SPIF_SENDWININICHANGE);
    }
    return written;
}
