// The wallpaper runs: the operations the command line asks for without a
// window, and the one road from an image file to the wallpaper they share.
#pragma once

bool changeWallpaper();     // "/s"
void updateCalendarOnly();  // "/d"
// True when "save_wp.bmp" was written whole and the system was told to use
// it. On any failure the previous file and wallpaper stay as they were.
bool makeWallpaper(const wchar_t* path);
