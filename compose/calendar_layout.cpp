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

NextSlot layoutMonth(const CalendarStyle& style, int32_t left, int year, int month, int startColumn,
                     int32_t top, int todayDay, int w, int h, const HolidayMarks& marks,
                     CalendarMonth& out) noexcept {
    out.year = year;
    out.month = month;
    formatCalendarTitle(style, year, month, out.title);
    out.titleRect = {left, top, left + 7 * w, top + h};

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
        d.cell.left = left + column * w;
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

void include(CalRect& box, const CalRect& r) noexcept {
    if (r.left < box.left) box.left = r.left;
    if (r.top < box.top) box.top = r.top;
    if (r.right > box.right) box.right = r.right;
    if (r.bottom > box.bottom) box.bottom = r.bottom;
}

void move(CalRect& r, int32_t dx, int32_t dy) noexcept {
    r.left += dx;
    r.right += dx;
    r.top += dy;
    r.bottom += dy;
}

// How far to move a span [from, to) so that it lies within [0, limit): by
// the overflow past the far edge, but never past the near edge.
int32_t shiftInside(int32_t from, int32_t to, int32_t limit) noexcept {
    if (limit <= 0) return 0;
    int32_t shift = to > limit ? limit - to : 0;
    if (from + shift < 0) shift = -from;
    return shift;
}

}  // namespace

int32_t scaleLength(int32_t length, int scalePercent) noexcept {
    if (scalePercent == 100) return length;
    const int64_t scaled = static_cast<int64_t>(length) * scalePercent;
    return static_cast<int32_t>(scaled >= 0 ? (scaled + 50) / 100 : -((-scaled + 50) / 100));
}

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
                    int cellHeight, const CalendarSurface& surface, HolidayMarks& marks,
                    CalendarLayout& out) noexcept {
    marks.clear();
    out.cellWidth = cellWidth;
    out.cellHeight = cellHeight;
    out.shadowOffset = scaleLength(1, surface.scalePercent);
    out.frameCorner = scaleLength(9, surface.scalePercent);
    out.lineWidth = scaleLength(1, surface.scalePercent);
    out.monthCount = 0;
    out.bounds = {};
    if (today.month < 1 || today.month > 12) return;

    const int count = clampedMonthCount(style.DispMonth);
    int year = today.year;
    int month = today.month;
    int column = firstWeekdayOfMonth(today.day, today.dayOfWeek);
    const int32_t left = scaleLength(style.CalPosX, surface.scalePercent);
    int32_t top = scaleLength(style.CalPosY, surface.scalePercent);
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
        const NextSlot next = layoutMonth(style, left, year, month, column, top, todayDay,
                                          cellWidth, cellHeight, marks, out.months[i]);
        ++out.monthCount;
        // The next title line comes two cells below the last row that has
        // days; when the month ended on a Saturday the next row is empty.
        column = next.column;
        top = next.rowTop + cellHeight + (column != 0 ? cellHeight : 0);
    }

    // Everything drawn: titles and day cells (today's frame lies within its
    // cell, text is clipped to its rectangle), and the shadows beside them.
    CalRect box = out.months[0].titleRect;
    for (int i = 0; i < out.monthCount; ++i) {
        const CalendarMonth& m = out.months[i];
        include(box, m.titleRect);
        for (int d = 0; d < m.dayCount; ++d) include(box, m.days[d].cell);
    }
    box.right += out.shadowOffset;
    box.bottom += out.shadowOffset;
    const int32_t dx = shiftInside(box.left, box.right, surface.width);
    const int32_t dy = shiftInside(box.top, box.bottom, surface.height);
    if (dx != 0 || dy != 0) {
        for (int i = 0; i < out.monthCount; ++i) {
            CalendarMonth& m = out.months[i];
            move(m.titleRect, dx, dy);
            for (int d = 0; d < m.dayCount; ++d) move(m.days[d].cell, dx, dy);
        }
        move(box, dx, dy);
    }
    out.bounds = box;
}

CalRect todayFrameRect(const CalRect& cell, bool italic) noexcept {
    CalRect r = cell;
    if (!italic) r.right -= 1;
    return r;
}
