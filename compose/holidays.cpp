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

// Day of the month (1-based) of the n-th Monday, for a month starting on w:
// the first Monday is the 2nd when w = 0 and the 1st when w = 1.
int nthMonday(int n, int w) noexcept {
    const int first = w >= 2 ? 9 - w : 2 - w;
    return first + 7 * (n - 1);
}

bool isSunday(int day, int w) noexcept { return (w + day - 1) % 7 == 0; }

// A fixed-date holiday, moved to the Monday when it falls on a Sunday.
void markFixed(HolidayMarks& marks, int month, int day, int w) noexcept {
    marks.mark(month, isSunday(day, w) ? day + 1 : day);
}

}  // namespace

int vernalEquinoxDay(int year) noexcept { return equinoxDay(year, 20.8431); }
int autumnalEquinoxDay(int year) noexcept { return equinoxDay(year, 23.2488); }

void markHolidays(HolidayMarks& marks, int month, int firstWeekday, int year) noexcept {
    const int w = ((firstWeekday % 7) + 7) % 7;
    switch (month) {
        case 1:
            markFixed(marks, 1, 1, w);
            marks.mark(1, nthMonday(2, w));
            break;
        case 2:
            markFixed(marks, 2, 11, w);
            break;
        case 3:
            markFixed(marks, 3, vernalEquinoxDay(year), w);
            break;
        case 4:
            markFixed(marks, 4, 29, w);
            break;
        case 5: {
            // The 3rd to the 5th; a Sunday among them adds the 6th.
            bool sunday = false;
            for (int d = 3; d <= 5; ++d) {
                marks.mark(5, d);
                sunday = sunday || isSunday(d, w);
            }
            if (sunday) marks.mark(5, 6);
            break;
        }
        case 7:
            marks.mark(7, nthMonday(3, w));
            break;
        case 9: {
            const int monday = nthMonday(3, w);
            const int equinox = autumnalEquinoxDay(year);
            marks.mark(9, monday);
            markFixed(marks, 9, equinox, w);
            // A single working day between two holidays becomes one too.
            if (equinox - monday == 2) marks.mark(9, equinox - 1);
            break;
        }
        case 10:
            marks.mark(10, nthMonday(2, w));
            break;
        case 11:
            markFixed(marks, 11, 3, w);
            markFixed(marks, 11, 23, w);
            break;
        case 12:
            markFixed(marks, 12, 23, w);
            break;
        default:
            break;  // June and August have none
    }
}
