// Public holidays by fixed rules, and the lengths of the months. Portable:
// the calendar layout marks a month's holidays just before it is laid out.
#pragma once

#include <cstdint>

// 13 x 32 flags indexed by month (1..12) and day (1..31); row 0 and column 0
// stay unused so that the indices read like dates.
struct HolidayMarks {
    bool marks[13][32] = {};

    void clear() noexcept;
    bool isHoliday(int month, int day) const noexcept;
    void mark(int month, int day) noexcept;  // out-of-range dates are ignored
};

// 28..31; 0 for a month outside 1..12.
int daysInMonth(int year, int month) noexcept;

// Weekday (0 = Sunday) of the 1st of the month of `date`, from the date's own
// day and weekday.
constexpr int firstWeekdayOfMonth(int day, int dayOfWeek) noexcept {
    return ((dayOfWeek - day + 36) % 7 + 7) % 7;
}

// Day of the vernal (March) and autumnal (September) equinox of `year`, by
// the approximation that holds for the years 1980 to 2099.
int vernalEquinoxDay(int year) noexcept;
int autumnalEquinoxDay(int year) noexcept;

// Sets the marks of `month` of `year`, whose 1st falls on weekday
// `firstWeekday` (0 = Sunday, the column the calendar draws it in): every
// public holiday by the law in force that year (national holidays,
// substitute holidays, days between two holidays) that is not in the Sunday
// column. A holiday on a Sunday is shown in the Sunday colour anyway, so
// only the day the substitute rule moves it to is marked.
void markHolidays(HolidayMarks& marks, int month, int firstWeekday, int year) noexcept;
