#include "compose/calendar_layout.h"

#include <cwchar>

namespace {

constexpr const wchar_t* kMonthNames[12] = {L"January",   L"February", L"March",    L"April",
                                            L"May",       L"June",     L"July",     L"August",
                                            L"September", L"October",  L"November", L"December"};
constexpr const wchar_t* kShortMonthNames[12] = {L"Jan", L"Feb", L"Mar", L"Apr", L"May", L"Jun",
                                                 L"Jul", L"Aug", L"Sep", L"Oct", L"Nov", L"Dec"};

ColorRef dayColour(const CalendarStyle& style, int column, bool holiday) noexcept {
    if (column == 0) return style.Sunday;
    if (holiday) return style.Holiday;
    if (column == 6) return style.Saturday;
    return style.Weekday;
}

// Where the day after a month's last one would go.
struct NextSlot {
    int column = 0;
    int32_t rowTop = 0;
};

NextSlot layoutMonth(const CalendarStyle& style, int year, int month, int startColumn, int32_t top,
                     int todayDay, int w, int h, const HolidayMarks& marks,
                     CalendarMonth& out) noexcept {
    out.year = year;
    out.month = month;
    formatCalendarTitle(style, year, month, out.title);
    out.titleRect = {style.CalPosX, top, style.CalPosX + 7 * w, top + h};

    // The rows start an eighth of a cell below the title line.
    const int32_t rowsTop = top + h + (h >> 3);
    const int last = daysInMonth(year, month);
    int column = startColumn;
    int row = 0;
    out.dayCount = last;
    for (int day = 1; day <= last; ++day) {
        CalendarDay& d = out.days[day - 1];
        d.day = day;
        d.column = column;
        d.row = row;
        d.cell.left = style.CalPosX + column * w;
        d.cell.top = rowsTop + row * h;
        d.cell.right = d.cell.left + w;
        d.cell.bottom = d.cell.top + h;
        d.colour = dayColour(style, column, marks.isHoliday(month, day));
        d.today = day == todayDay;
        if (++column == 7) {
            column = 0;
            ++row;
        }
    }
    return {column, rowsTop + row * h};
}

}  // namespace

int clampedMonthCount(int dispMonth) noexcept {
    return dispMonth < 1 ? 1 : dispMonth > kMaxCalendarMonths ? kMaxCalendarMonths : dispMonth;
}

void formatCalendarTitle(const CalendarStyle& style, int year, int month,
                         wchar_t (&out)[kTitleChars]) noexcept {
    wchar_t monthText[12] = {};
    if (month < 1 || month > 12) {
        out[0] = L'\0';
        return;
    }
    if (style.MonthName & 1)
        std::swprintf(
            monthText, 12, L"%ls",
            (style.MonthShort & 1) ? kShortMonthNames[month - 1] : kMonthNames[month - 1]);
    else
        std::swprintf(monthText, 12, L"%d", month);

    if (!(style.YearDisp & 1))
        std::swprintf(out, kTitleChars, L"%ls", monthText);
    else if (style.YearPos & 1)
        std::swprintf(out, kTitleChars, L"%ls.%d", monthText, year);
    else
        std::swprintf(out, kTitleChars, L"%d.%ls", year, monthText);
}

void layoutCalendar(const CalendarStyle& style, const LocalDate& today, int cellWidth,
                    int cellHeight, HolidayMarks& marks, CalendarLayout& out) noexcept {
    marks.clear();
    out.cellWidth = cellWidth;
    out.cellHeight = cellHeight;
    out.monthCount = 0;
    if (today.month < 1 || today.month > 12) return;

    const int count = clampedMonthCount(style.DispMonth);
    int year = today.year;
    int month = today.month;
    int column = firstWeekdayOfMonth(today.day, today.dayOfWeek);
    int32_t top = style.CalPosY;
    int todayDay = today.day;
    for (int i = 0; i < count; ++i) {
        if (i > 0) {
            if (++month > 12) {
                month = 1;
                ++year;
            }
            todayDay = 0;  // today's frame only in the first month
        }
        markHolidays(marks, month, column, year);
        const NextSlot next = layoutMonth(style, year, month, column, top, todayDay, cellWidth,
                                          cellHeight, marks, out.months[i]);
        ++out.monthCount;
        // The next title line comes two cells below the last row that has
        // days; when the month ended on a Saturday the next row is empty.
        column = next.column;
        top = next.rowTop + cellHeight + (column != 0 ? cellHeight : 0);
    }
}

CalRect todayFrameRect(const CalRect& cell, bool italic) noexcept {
    CalRect r = cell;
    if (!italic) r.right -= 1;
    return r;
}
