// Where every piece of the wallpaper calendar goes and in which colour, as
// plain arithmetic: one to three months from today's, each a title line over
// a grid of day numbers (Sunday to Saturday columns), the next month picking
// up in the column after the previous one's last day. The GDI half
// (calendar_draw_win.cpp) measures the cell and draws what this computes.
#pragma once

#include <cstdint>

#include "compose/holidays.h"
#include "settings/settings.h"

struct CalRect {
    int32_t left = 0, top = 0, right = 0, bottom = 0;
};

struct CalendarDay {
    int day = 0;
    int column = 0;  // 0 = Sunday .. 6 = Saturday
    int row = 0;
    CalRect cell;
    ColorRef colour = 0;
    bool today = false;
};

inline constexpr int kMaxCalendarMonths = 3;
inline constexpr int kTitleChars = 24;

struct CalendarMonth {
    int year = 0;
    int month = 0;
    wchar_t title[kTitleChars] = {};
    CalRect titleRect;  // the title's own rectangle; its shadow is one pixel down-right
    int dayCount = 0;
    CalendarDay days[31];
};

// The surface the calendar is drawn on: its size in pixels, and the display
// scale in per cent by which the style's lengths (given in the pixels the
// user sees in the settings) are multiplied. A size of 0 sets no bound.
struct CalendarSurface {
    int32_t width = 0;
    int32_t height = 0;
    int scalePercent = 100;
};

struct CalendarLayout {
    int cellWidth = 0;
    int cellHeight = 0;
    int shadowOffset = 1;  // the drop shadow's distance, right and down
    int frameCorner = 9;   // the corner ellipse of today's frame
    int lineWidth = 1;     // the pen of today's frame
    int monthCount = 0;
    CalendarMonth months[kMaxCalendarMonths];
    CalRect bounds;  // everything drawn, shadows included
};

// A length of the style in the surface's pixels: rounded to the nearest
// pixel, unchanged at 100 per cent.
int32_t scaleLength(int32_t length, int scalePercent) noexcept;

// Month count as drawn: 1..3.
int clampedMonthCount(int dispMonth) noexcept;

// "2024.5", "5.2024", "May", "May.2024", "2024.Sep" ... by the style's title
// flags. Writes at most kTitleChars characters including the terminator.
void formatCalendarTitle(const CalendarStyle& style, int year, int month,
                         wchar_t (&out)[kTitleChars]) noexcept;

// Lays out the months for a cell of cellWidth x cellHeight pixels (the text
// "30" measured in the calendar font, plus the day spacing, both already at
// the surface's scale) at the style's position times the scale. `marks` is
// emptied, then filled month by month. A date outside 1..12 months gives no
// months at all. Whatever the position says, the calendar stays whole on a
// bounded surface: one that would cross the right or bottom edge is moved
// left or up by the overflow, and one that would cross the left or top edge
// (or is larger than the surface) starts at that edge.
void layoutCalendar(const CalendarStyle& style, const LocalDate& today, int cellWidth,
                    int cellHeight, const CalendarSurface& surface, HolidayMarks& marks,
                    CalendarLayout& out) noexcept;

// Rectangle of the rounded frame round today's cell: one pixel narrower than
// the cell unless the font is italic, where the slanted digits need it.
CalRect todayFrameRect(const CalRect& cell, bool italic) noexcept;
