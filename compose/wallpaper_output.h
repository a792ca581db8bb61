// The wallpaper file: "save_wp.bmp" beside the settings file, written whole
// or not at all.
#pragma once

#include <cstdint>
#include <string>

#include "image/loaded_image.h"

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
