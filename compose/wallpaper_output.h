// The one road from an image file to the desktop wallpaper: decode, compose,
// write "save_wp.bmp" beside the settings file, and tell the system.
#pragma once

#include <cstdint>
#include <string>

#include "compose/loaded_image.h"

// True when "save_wp.bmp" was written whole and the system was told to use
// it. On any failure the previous file and wallpaper stay as they were.
bool makeWallpaper(const wchar_t* imagePath);

// Full path of "save_wp.bmp": the settings file's folder + the name.
std::wstring wallpaperFilePath();

// Writes `image` (24-bit) as an uncompressed .bmp at `path`, atomically: the
// bytes go to a temporary file in the same folder, every write is checked,
// and only a complete file replaces the old one. False leaves `path` as it was
// and no temporary file behind.
[[nodiscard]] bool writeWallpaperFile(const wchar_t* path, const LoadedImage& image) noexcept;

// Test hook: while set, every write of the wallpaper file asks `hook` first
// and fails when it returns false, as on a full disk; null removes it.
using WallpaperWriteHook = bool (*)(const void* data, uint32_t size);
void setWallpaperWriteHookForTesting(WallpaperWriteHook hook);
