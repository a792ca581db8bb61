#include "compose/calendar_layout.h"

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr int W = 20;  // cell width and height as the GDI half would measure
constexpr int H = 17;

LocalDate date(int y, int m, int d, int dayOfWeek) { return LocalDate{y, m, d, dayOfWeek}; }

CalendarStyle style(int months) {
    CalendarStyle s;
    s.CalPosX = 1000;
    s.CalPosY = 10;
    s.DispMonth = months;
    return s;
}

struct Laid {
    HolidayMarks marks;
    CalendarLayout layout;
};

Laid lay(const CalendarStyle& s, const LocalDate& today) {
    Laid l;
    layoutCalendar(s, today, W, H, CalendarSurface{}, l.marks, l.layout);
    return l;
}

const CalendarDay& lastDay(const CalendarMonth& m) { return m.days[m.dayCount - 1]; }

TEST(CalendarLayout, FirstMonthGrid) {
    // 2024-05-17, a Friday; May 2024 starts on a Wednesday.
    const auto s = style(1);
    const Laid l = lay(s, date(2024, 5, 17, 5));
    ASSERT_EQ(l.layout.monthCount, 1);
    const CalendarMonth& m = l.layout.months[0];
    EXPECT_EQ(std::wstring(m.title), L"2024.5");
    EXPECT_EQ(m.titleRect.left, 1000);
    EXPECT_EQ(m.titleRect.top, 10);
    EXPECT_EQ(m.titleRect.right, 1000 + 7 * W);
    EXPECT_EQ(m.titleRect.bottom, 10 + H);
    ASSERT_EQ(m.dayCount, 31);

    // Rows begin an eighth of a cell (17 >> 3 = 2) below the title line.
    const int rowsTop = 10 + H + 2;
    const CalendarDay& first = m.days[0];
    EXPECT_EQ(first.column, 3);
    EXPECT_EQ(first.cell.left, 1000 + 3 * W);
    EXPECT_EQ(first.cell.top, rowsTop);
    EXPECT_EQ(first.cell.right - first.cell.left, W);
    EXPECT_EQ(first.cell.bottom - first.cell.top, H);
    // The 5th is the first Sunday: column 0 of the second row.
    EXPECT_EQ(m.days[4].column, 0);
    EXPECT_EQ(m.days[4].row, 1);
    EXPECT_EQ(m.days[4].cell.left, 1000);
    EXPECT_EQ(m.days[4].cell.top, rowsTop + H);
    EXPECT_EQ(lastDay(m).column, 5);  // the 31st a Friday
    EXPECT_EQ(lastDay(m).row, 4);

    for (int i = 0; i < m.dayCount; ++i) EXPECT_EQ(m.days[i].today, i + 1 == 17) << i + 1;
}

TEST(CalendarLayout, DayColours) {
    CalendarStyle s = style(1);
    s.Weekday = 0x01;
    s.Saturday = 0x02;
    s.Sunday = 0x03;
    s.Holiday = 0x04;
    // February 2012 starts on a Wednesday; the 11th, a holiday, is a Saturday.
    const Laid l = lay(s, date(2012, 2, 1, 3));
    const CalendarMonth& m = l.layout.months[0];
    EXPECT_EQ(m.days[10].colour, 0x04u);  // holiday beats Saturday
    EXPECT_EQ(m.days[11].colour, 0x03u);  // Sunday
    EXPECT_EQ(m.days[17].colour, 0x02u);  // Saturday
    EXPECT_EQ(m.days[12].colour, 0x01u);  // Monday
    EXPECT_EQ(m.dayCount, 29);

    // May 2015: the 3rd is a Sunday and a holiday: Sunday colour, and only
    // the substitute, the 6th, is marked.
    const Laid may = lay(s, date(2015, 5, 1, 5));
    EXPECT_EQ(may.layout.months[0].days[2].colour, 0x03u);
    EXPECT_EQ(may.layout.months[0].days[5].colour, 0x04u);  // the 6th, Wednesday
    EXPECT_FALSE(may.marks.isHoliday(5, 3));
}

TEST(CalendarLayout, NextMonthAfterSaturdayEnd) {
    // August 2024 ends on a Saturday.
    const Laid l = lay(style(2), date(2024, 8, 5, 1));
    ASSERT_EQ(l.layout.monthCount, 2);
    const CalendarMonth& aug = l.layout.months[0];
    const CalendarMonth& sep = l.layout.months[1];
    EXPECT_EQ(lastDay(aug).column, 6);
    EXPECT_EQ(sep.titleRect.top, lastDay(aug).cell.top + 2 * H);
    EXPECT_EQ(sep.days[0].column, 0);
    EXPECT_EQ(sep.days[0].cell.left, 1000);
    EXPECT_EQ(std::wstring(sep.title), L"2024.9");
    // Holidays of the second month use its own first weekday (Sunday).
    EXPECT_TRUE(l.marks.isHoliday(9, 16));
    EXPECT_TRUE(l.marks.isHoliday(9, 23));
    for (int i = 0; i < sep.dayCount; ++i) EXPECT_FALSE(sep.days[i].today);
}

TEST(CalendarLayout, NextMonthAfterWednesdayEnd) {
    // July 2024 ends on a Wednesday; August starts in the Thursday column.
    const Laid l = lay(style(2), date(2024, 7, 31, 3));
    const CalendarMonth& jul = l.layout.months[0];
    const CalendarMonth& aug = l.layout.months[1];
    EXPECT_EQ(lastDay(jul).column, 3);
    EXPECT_EQ(aug.days[0].column, 4);
    EXPECT_EQ(aug.days[0].row, 0);
    EXPECT_EQ(aug.days[0].cell.left, 1000 + 4 * W);
    EXPECT_EQ(aug.titleRect.top, lastDay(jul).cell.top + 2 * H);
    EXPECT_EQ(aug.days[0].cell.top, aug.titleRect.top + H + (H >> 3));
    EXPECT_TRUE(l.layout.months[0].days[30].today);
}

TEST(CalendarLayout, DecemberWithThreeMonths) {
    const Laid l = lay(style(3), date(2024, 12, 25, 3));
    ASSERT_EQ(l.layout.monthCount, 3);
    EXPECT_EQ(std::wstring(l.layout.months[0].title), L"2024.12");
    EXPECT_EQ(std::wstring(l.layout.months[1].title), L"2025.1");
    EXPECT_EQ(std::wstring(l.layout.months[2].title), L"2025.2");
    EXPECT_EQ(l.layout.months[1].year, 2025);
    EXPECT_EQ(l.layout.months[2].dayCount, 28);
    // 1 January 2025 is a Wednesday, 1 February a Saturday.
    EXPECT_EQ(l.layout.months[1].days[0].column, 3);
    EXPECT_EQ(l.layout.months[2].days[0].column, 6);
    EXPECT_TRUE(l.marks.isHoliday(1, 1));
    EXPECT_TRUE(l.marks.isHoliday(1, 13));
    EXPECT_TRUE(l.marks.isHoliday(2, 11));
    EXPECT_TRUE(l.marks.isHoliday(2, 24));    // the 23rd a Sunday
    EXPECT_FALSE(l.marks.isHoliday(12, 23));  // no holiday since 2019
}

TEST(CalendarLayout, MonthCountIsClamped) {
    EXPECT_EQ(lay(style(0), date(2024, 5, 1, 3)).layout.monthCount, 1);
    EXPECT_EQ(lay(style(5), date(2024, 5, 1, 3)).layout.monthCount, 3);
    // Marks from an earlier layout never leak into the next.
    Laid l = lay(style(1), date(2024, 5, 1, 3));
    layoutCalendar(style(1), date(2024, 6, 1, 6), W, H, CalendarSurface{}, l.marks, l.layout);
    EXPECT_FALSE(l.marks.isHoliday(5, 3));
    // No valid month, nothing to draw.
    EXPECT_EQ(lay(style(1), date(2024, 0, 1, 3)).layout.monthCount, 0);
}

TEST(CalendarLayout, Titles) {
    struct Row {
        uint8_t yearDisp, yearPos, monthName, monthShort;
        int month;
        const wchar_t* title;
    };
    const Row rows[] = {
        {1, 0, 0, 0, 5, L"2024.5"},    {1, 1, 0, 0, 5, L"5.2024"},
        {1, 1, 1, 1, 5, L"May.2024"},  {1, 0, 1, 0, 9, L"2024.September"},
        {0, 0, 1, 0, 9, L"September"}, {0, 0, 0, 0, 12, L"12"},
        {2, 0, 0, 0, 12, L"12"},  // flags are read by their lowest bit
    };
    for (const Row& r : rows) {
        CalendarStyle s;
        s.YearDisp = r.yearDisp;
        s.YearPos = r.yearPos;
        s.MonthName = r.monthName;
        s.MonthShort = r.monthShort;
        wchar_t t[kTitleChars];
        formatCalendarTitle(s, 2024, r.month, t);
        EXPECT_EQ(std::wstring(t), r.title);
    }
}

TEST(CalendarLayout, TodayFrame) {
    const CalRect cell{10, 20, 30, 37};
    const CalRect plain = todayFrameRect(cell, false);
    EXPECT_EQ(plain.right, 29);
    EXPECT_EQ(plain.bottom, 37);
    EXPECT_EQ(todayFrameRect(cell, true).right, 30);
}

TEST(CalendarLayout, LengthsScaleToTheNearestPixel) {
    struct Case {
        int32_t length;
        int percent;
        int32_t scaled;
    };
    // Worked by hand: 12.5 -> 13, 1.5 -> 2, 13.5 -> 14, -7.5 -> -8, 1366.25 -> 1366.
    for (const Case c : {Case{10, 100, 10}, Case{10, 125, 13}, Case{1, 125, 1}, Case{1, 150, 2},
                         Case{9, 150, 14}, Case{136, 150, 204}, Case{9, 200, 18}, Case{-5, 150, -8},
                         Case{1093, 125, 1366}, Case{1784, 175, 3122}})
        EXPECT_EQ(scaleLength(c.length, c.percent), c.scaled) << c.length << " at " << c.percent;
}

TEST(CalendarLayout, PositionAndStrokesFollowTheScale) {
    CalendarStyle s = style(1);
    s.CalPosX = 1784;  // 1920 - 136 in the pixels the user sees
    s.CalPosY = 10;
    Laid l;
    layoutCalendar(s, date(2024, 5, 1, 3), 27, 24, CalendarSurface{0, 0, 150}, l.marks, l.layout);
    EXPECT_EQ(l.layout.months[0].titleRect.left, 2676);
    EXPECT_EQ(l.layout.months[0].titleRect.top, 15);
    EXPECT_EQ(l.layout.shadowOffset, 2);
    EXPECT_EQ(l.layout.lineWidth, 2);
    EXPECT_EQ(l.layout.frameCorner, 14);
    // At 100 per cent the layout is the one without a surface.
    const Laid plain = lay(s, date(2024, 5, 1, 3));
    Laid same;
    layoutCalendar(s, date(2024, 5, 1, 3), W, H, CalendarSurface{0, 0, 100}, same.marks,
                   same.layout);
    EXPECT_EQ(same.layout.months[0].titleRect.left, plain.layout.months[0].titleRect.left);
    EXPECT_EQ(same.layout.shadowOffset, 1);
    EXPECT_EQ(same.layout.frameCorner, 9);
}

// A calendar that would cross an edge of a bounded surface is moved inside,
// keeping its shape: every rectangle moves by the same distance, just enough.
TEST(CalendarLayout, StaysWholeOnTheSurface) {
    struct Case {
        int32_t x, y;
        int months;
        int32_t dx, dy;  // expected move, worked from the unbounded bounds below
    };
    constexpr int32_t kW = 800, kH = 600;
    // Worked by hand with 20 x 17 cells and a one-pixel shadow: 141 pixels
    // wide; August to October 2024 from y = 580 end at 926 + 1.
    for (const Case c :
         {Case{600, 10, 1, 0, 0}, Case{kW - 136, 10, 3, -5, 0}, Case{830, 10, 2, -171, 0},
          Case{-40, -15, 1, 40, 15}, Case{10, 580, 3, 0, -327}}) {
        CalendarStyle s = style(c.months);
        s.CalPosX = c.x;
        s.CalPosY = c.y;
        const Laid free = lay(s, date(2024, 8, 5, 1));
        Laid bound;
        layoutCalendar(s, date(2024, 8, 5, 1), W, H, CalendarSurface{kW, kH, 100}, bound.marks,
                       bound.layout);
        const int32_t dx = c.dx, dy = c.dy;
        const CalRect& nb = bound.layout.bounds;
        EXPECT_GE(nb.left, 0);
        EXPECT_GE(nb.top, 0);
        EXPECT_LE(nb.right, kW);
        EXPECT_LE(nb.bottom, kH);
        for (int m = 0; m < free.layout.monthCount; ++m) {
            const CalendarMonth& f = free.layout.months[m];
            const CalendarMonth& n = bound.layout.months[m];
            EXPECT_EQ(n.titleRect.left - f.titleRect.left, dx) << c.x << "," << c.y;
            EXPECT_EQ(n.titleRect.top - f.titleRect.top, dy) << c.x << "," << c.y;
            EXPECT_EQ(n.days[n.dayCount - 1].cell.right - f.days[f.dayCount - 1].cell.right, dx);
        }
        EXPECT_EQ(free.layout.bounds.right - free.layout.bounds.left, 7 * W + 1);
    }
}

}  // namespace
