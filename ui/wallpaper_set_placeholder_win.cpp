// Until the change cycle provides the manual set, it makes no wallpaper.
#if !__has_include("app/change_cycle.h")
bool setShownAsWallpaper(const wchar_t*, int) { return false; }
#endif
