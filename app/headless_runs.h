// The operations the command line can ask for without a window.
#pragma once

void changeWallpaper();     // "/s"
void updateCalendarOnly();  // "/d"
bool makeWallpaper(const wchar_t* path);
