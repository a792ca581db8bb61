#include "compose/holidays.h"

void HolidayMarks::clear() noexcept {
    for (auto& row : marks)
        for (bool& m : row) m = false;
}

bool HolidayMarks::isHoliday(int month, int day) const noexcept {
    if (month < 1 || month > 12 || day < 1 || day > 31) return false;
    return marks[month][day];
}

void HolidayMarks::mark(int month, int day) noexcept {
    if (month < 1 || month > 12 || day < 1 || day > 31) return;
    marks[month][day] = true;
}

int daysInMonth(int year, int month) noexcept {
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) return 0;
    if (month == 2 && ((year % 4 == 0 && year % 100 != 0) || year % 400 == 0)) return 29;
    return kDays[month - 1];
}

namespace {

// trunc(base + 0.242194 * (Y - 1980) - floor((Y - 1980) / 4)); the floor is an
// arithmetic shift so that years before 1980 round downwards as well.
int equinoxDay(int year, double base) noexcept {
    const int since = year - 1980;
    const double e = base + 0.242194 * since - static_cast<double>(since >> 2);
    return static_cast<int>(e);
}

// Weekday (0 = Sunday) of a date of the Gregorian calendar.
int weekdayOf(int year, int month, int day) noexcept {
    static constexpr int kMonthOffset[12] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
    if (month < 3) --year;
    const int w = (year + year / 4 - year / 100 + year / 400 + kMonthOffset[month - 1] + day) % 7;
    return w < 0 ? w + 7 : w;
}

// Day of the month of the n-th Monday.
int nthMonday(int year, int month, int n) noexcept {
    return 1 + (8 - weekdayOf(year, month, 1)) % 7 + 7 * (n - 1);
}

struct Date {
    int y, m, d;
};

Date dayBefore(Date t) noexcept {
    if (t.d > 1) return {t.y, t.m, t.d - 1};
    if (t.m > 1) return {t.y, t.m - 1, daysInMonth(t.y, t.m - 1)};
    return {t.y - 1, 12, 31};
}

Date dayAfter(Date t) noexcept {
    if (t.d < daysInMonth(t.y, t.m)) return {t.y, t.m, t.d + 1};
    if (t.m < 12) return {t.y, t.m + 1, 1};
    return {t.y + 1, 1, 1};
}

// The national holidays the law names for the date's year, each on its own
// day (whether or not that is a Sunday). The dates follow the law as it
// stood in that year: the Monday rules of 2000 and 2003, the days added in
// 2007 and 2016, the Emperor's Birthday moving from 23 December (to 2018) to
// 23 February (from 2020), the one-off days of 2019 and the days moved for
// the games of 2020 and 2021.
bool isNamedHoliday(Date t) noexcept {
    const int y = t.y, m = t.m, d = t.d;
    switch (m) {
        case 1:
            if (d == 1) return true;
            return y >= 2000 ? d == nthMonday(y, 1, 2) : d == 15;  // Coming of Age Day
        case 2:
            if (d == 11) return y >= 1967;  // National Foundation Day
            if (d == 23) return y >= 2020;  // Emperor's Birthday
            return y == 1989 && d == 24;    // the state funeral
        case 3:
            return d == equinoxDay(y, 20.8431);
        case 4:
            return d == 29;  // (the 30th of 2019 lay between two holidays)
        case 5:
            if (d == 3 || d == 5) return true;
            if (d == 4) return y >= 2007;  // Greenery Day (before: between two holidays)
            return y == 2019 && d == 1;    // the enthronement
        case 6:
            return y == 1993 && d == 9;  // the Crown Prince's wedding
        case 7:                          // Marine Day
            if (y == 2020) return d == 23;
            if (y == 2021) return d == 22;
            if (y >= 2003) return d == nthMonday(y, 7, 3);
            if (y >= 1996) return d == 20;
            return false;
        case 8:  // Mountain Day
            if (y == 2020) return d == 10;
            if (y == 2021) return d == 8;
            return y >= 2016 && d == 11;
        case 9:
            if (d == equinoxDay(y, 23.2488)) return true;
            // Respect for the Aged Day
            return y >= 2003 ? d == nthMonday(y, 9, 3) : (y >= 1966 && d == 15);
        case 10:
            if (y == 2019 && d == 22) return true;  // the enthronement ceremony
            // Sports Day; in 2020 and 2021 it moved to July (see below).
            if (y == 2020 || y == 2021) return false;
            if (y >= 2000) return d == nthMonday(y, 10, 2);
            return y >= 1966 && d == 10;
        case 11:
            return d == 3 || d == 23 || (y == 1990 && d == 12);  // and the enthronement of 1990
        case 12:
            return d == 23 && y >= 1989 && y <= 2018;  // Emperor's Birthday
        default:
            return false;
    }
}

// Sports Day of 2020 and 2021, moved to the day after Marine Day.
bool isMovedSportsDay(Date t) noexcept {
    return t.m == 7 && ((t.y == 2020 && t.d == 24) || (t.y == 2021 && t.d == 23));
}

bool isNational(Date t) noexcept { return isNamedHoliday(t) || isMovedSportsDay(t); }

// A day off work by law: a national holiday; the substitute holiday (to
// 2006 the Monday after a holiday on a Sunday; from 2007 the first day after
// it that is not a holiday itself); or a day between two national holidays.
bool isPublicHoliday(Date t) noexcept {
    if (isNational(t)) return true;
    if (t.y >= 2007) {
        for (Date p = dayBefore(t); isNational(p); p = dayBefore(p))
            if (weekdayOf(p.y, p.m, p.d) == 0) return true;
    } else if (t.y >= 1973) {
        const Date p = dayBefore(t);
        if (weekdayOf(t.y, t.m, t.d) == 1 && isNational(p)) return true;
    }
    // Between two national holidays (the rule dates from the end of 1985).
    return t.y >= 1986 && isNational(dayBefore(t)) && isNational(dayAfter(t));
}

}  // namespace

int vernalEquinoxDay(int year) noexcept { return equinoxDay(year, 20.8431); }
int autumnalEquinoxDay(int year) noexcept { return equinoxDay(year, 23.2488); }

void markHolidays(HolidayMarks& marks, int month, int firstWeekday, int year) noexcept {
    if (month < 1 || month > 12) return;
    const int w = ((firstWeekday % 7) + 7) % 7;
    const int last = daysInMonth(year, month);
    for (int d = 1; d <= last; ++d) {
        // The Sunday column shows in the Sunday colour anyway: a holiday
        // there is not marked, the day it moves to is.
        const bool sundayColumn = (w + d - 1) % 7 == 0;
        if (!sundayColumn && isPublicHoliday({year, month, d})) marks.mark(month, d);
    }
}
