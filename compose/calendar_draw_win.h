// Draws the wallpaper calendar onto a device context: the GDI half of
// calendar_layout.h. Used by the composer on the finished wallpaper, and by
// anything else that wants the same calendar on its own surface.
#pragma once

#include <windows.h>

#include "compose/calendar_layout.h"
#include "settings/settings.h"

// Draws one to three months at the style's position, whole on `surface`,
// every length of the style multiplied by the surface's scale. Afterwards
// the context's previous font and brush are selected again; text colour,
// background colour and background mode stay as the drawing left them.
void drawCalendar(HDC dc, const CalendarStyle& style, const LocalDate& today,
                  const CalendarSurface& surface) noexcept;

// The calendar font of `style` for `dc` (size in points at the context's
// vertical resolution, times the scale; face by character set, at most 31
// characters).
HFONT createCalendarFont(HDC dc, const CalendarStyle& style, int scalePercent = 100) noexcept;
