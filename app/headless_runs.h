// The wallpaper runs: the operations the command line asks for without a
// window, and the one road from an image file to the wallpaper they share.
#pragma once

#include <span>

#include "image/loaded_image.h"

bool changeWallpaper();     // "/s"
void updateCalendarOnly();  // "/d"
// True when "save_wp.bmp" was written whole and the system was told to use
// it. On any failure the previous file and wallpaper stay as they were.
// With several monitors and the option on, the picture goes on each monitor.
bool makeWallpaper(const wchar_t* path);

// A picture per monitor: decodes `path` into `picture` (false when it
// cannot be decoded), then makes the wallpaper from the pictures, the first
// on the leftmost monitor, as makeWallpaper does.
bool loadPicture(const wchar_t* path, OwnedImage& picture);
bool makeWallpaperFrom(std::span<OwnedImage> pictures);

// Puts the desktop's own wallpaper style back when the wallpaper no longer
// spans the monitors (kept in the settings file since it first did).
void restoreDesktopStyle();
