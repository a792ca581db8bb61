#include "app/headless_runs.h"

// The wallpaper road is not built yet: the runs end quietly.
void changeWallpaper() {}
void updateCalendarOnly() {}
bool makeWallpaper(const wchar_t*) { return false; }
