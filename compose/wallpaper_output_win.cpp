#include <windows.h>

#include "base/output_file.h"
#include "compose/wallpaper_output.h"
#include "image/bmp_file.h"
#include "settings/settings_file.h"

namespace {

WallpaperWriteHook g_writeHook = nullptr;

bool writeAll(ReplacingFile& file, const void* data, uint32_t size) noexcept {
    if (g_writeHook && !g_writeHook(data, size)) return false;
    return file.write(data, size);
}

}  // namespace

void setWallpaperWriteHookForTesting(WallpaperWriteHook hook) { g_writeHook = hook; }

std::wstring wallpaperFilePath() { return settingsFolder() + L"save_wp.bmp"; }

bool writeWallpaperFile(const wchar_t* path, const LoadedImage& image) noexcept {
    if (!path || !image.bits || image.header.biBitCount != 24) return false;
    dib::BITMAPINFOHEADER header = image.header;
    header.biXPelsPerMeter = 0;
    header.biYPelsPerMeter = 0;
    const uint32_t pixelBytes = pixelBlockSize(header.biWidth, header.biHeight, 24);
    uint8_t headers[54];
    if (pixelBytes == 0 || bmpHeaderBytes(header) != sizeof headers ||
        !buildBmpHeaders(header, nullptr, headers, sizeof headers))
        return false;

    // The pixel block goes out in one write straight from the bitmap.
    ReplacingFile file;
    return file.create(path) && writeAll(file, headers, sizeof headers) &&
           writeAll(file, image.bits, pixelBytes) && file.commit();
}
