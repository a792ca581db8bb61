// The composer: turns the picture in CurrentImage into the finished
// wallpaper, a 24-bit bottom-up DIB section of exactly the screen's size
// (g_settings.screenWidth x screenHeight), with the margin colour, the
// picture placed by the placement settings and the calendar on top.
#pragma once

#include <windows.h>

// The section's handle (the caller deletes it), or null on failure. Either
// way the picture's page block has been released; on success CurrentImage
// describes the composed picture and its bits point into the section.
// A refused enlargement shows "壁紙作成に失敗しました。" before failing.
[[nodiscard]] HBITMAP composeWallpaper() noexcept;

// Fills the whole screen-sized surface with the margin colour.
void fillMargin(HDC dc) noexcept;
