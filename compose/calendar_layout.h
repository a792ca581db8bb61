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

struct CalendarLayout {
    int cellWidth = 0;
    int cellHeight = 0;
    int monthCount = 0;
    CalendarMonth months[kMaxCalendarMonths];
};

// Month count as drawn: 1..3.
int clampedMonthCount(int dispMonth) noexcept;

// "2024.5", "5.2024", "May", "May.2024", "2024.Sep" ... by the style's title
// flags. Writes at most kTitleChars characters including the terminator.
void formatCalendarTitle(const CalendarStyle& style, int year, int month,
                         wchar_t (&out)[kTitleChars]) noexcept;

// Lays out the months for a cell of cellWidth x cellHeight pixels (the text
// "30" measured in the calendar font, plus the day spacing). `marks` is
// emptied, then filled month by month. A date outside 1..12 months gives no
// months at all.
void layoutCalendar(const CalendarStyle& style, const LocalDate& today, int cellWidth,
                    int cellHeight, HolidayMarks& marks, CalendarLayout& out) noexcept;

// Rectangle of the rounded frame round today's cell: one pixel narrower than
// the cell unless the font is italic, where the slanted digits need it.
CalRect todayFrameRect(const CalRect& cell, bool italic) noexcept;
