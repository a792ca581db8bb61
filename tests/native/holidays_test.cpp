#include "compose/holidays.h"

#include <gtest/gtest.h>

#include <chrono>
#include <vector>

namespace {

// Weekday from the standard library, independent of the rules under test.
int weekdayOf(int y, int m, int d) {
    using namespace std::chrono;
    return static_cast<int>(
        weekday{sys_days{year{y} / month{static_cast<unsigned>(m)} / day{static_cast<unsigned>(d)}}}
            .c_encoding());
}

std::vector<int> holidaysOf(int y, int m) {
    HolidayMarks marks;
    markHolidays(marks, m, weekdayOf(y, m, 1), y);
    std::vector<int> days;
    for (int d = 1; d <= 31; ++d)
        if (marks.isHoliday(m, d)) days.push_back(d);
    return days;
}

using Days = std::vector<int>;

TEST(Holidays, FixedDatesAndTheirMondays) {
    EXPECT_EQ(holidaysOf(2012, 2), (Days{11}));    // on a Saturday: stays the 11th
    EXPECT_EQ(holidaysOf(2018, 2), (Days{12}));    // the 11th a Sunday
    EXPECT_EQ(holidaysOf(2023, 1), (Days{2, 9}));  // the 1st a Sunday; second Monday 9
    EXPECT_EQ(holidaysOf(2024, 1), (Days{1, 8}));  // the 1st a Monday
    EXPECT_EQ(holidaysOf(2018, 4), (Days{30}));    // the 29th a Sunday
    EXPECT_EQ(holidaysOf(2024, 4), (Days{29}));
    EXPECT_EQ(holidaysOf(2019, 11), (Days{4, 23}));  // the 3rd a Sunday
    EXPECT_EQ(holidaysOf(2025, 11), (Days{3, 24}));  // the 23rd a Sunday
    EXPECT_EQ(holidaysOf(2018, 12), (Days{24}));     // the 23rd a Sunday
    EXPECT_EQ(holidaysOf(2024, 12), (Days{23}));
}

TEST(Holidays, GoldenWeek) {
    EXPECT_EQ(holidaysOf(2015, 5), (Days{3, 4, 5, 6}));  // the 3rd a Sunday
    EXPECT_EQ(holidaysOf(2014, 5), (Days{3, 4, 5, 6}));  // the 4th a Sunday
    EXPECT_EQ(holidaysOf(2013, 5), (Days{3, 4, 5, 6}));  // the 5th a Sunday
    EXPECT_EQ(holidaysOf(2024, 5), (Days{3, 4, 5, 6}));  // the 5th a Sunday
    EXPECT_EQ(holidaysOf(2023, 5), (Days{3, 4, 5}));
}

TEST(Holidays, MondaysAndEquinoxes) {
    EXPECT_EQ(vernalEquinoxDay(2024), 20);
    EXPECT_EQ(autumnalEquinoxDay(2024), 22);
    EXPECT_EQ(holidaysOf(2024, 3), (Days{20}));
    EXPECT_EQ(holidaysOf(2024, 7), (Days{15}));
    EXPECT_EQ(holidaysOf(2024, 10), (Days{14}));
    // Third Monday 21, equinox 23, and the single day between them.
    EXPECT_EQ(holidaysOf(2015, 9), (Days{21, 22, 23}));
    // The 1st a Sunday: third Monday 16; the equinox 22 is a Sunday, so 23.
    EXPECT_EQ(holidaysOf(2024, 9), (Days{16, 23}));
    EXPECT_EQ(holidaysOf(2024, 6), Days{});
    EXPECT_EQ(holidaysOf(2024, 8), Days{});
}

TEST(Holidays, RulesHoldOverManyYears) {
    for (int y = 1990; y <= 2040; ++y) {
        for (int m = 1; m <= 12; ++m) {
            for (int d : holidaysOf(y, m)) {
                ASSERT_LE(d, daysInMonth(y, m)) << y << "-" << m;
                // A holiday on a Sunday moves to Monday; only 3-5 May are
                // marked as they fall (the 6th is added instead).
                if (m == 5 && d <= 5) continue;
                EXPECT_NE(weekdayOf(y, m, d), 0) << y << "-" << m << "-" << d;
            }
        }
        for (int m : {1, 7, 9, 10}) {
            const Days days = holidaysOf(y, m);
            ASSERT_FALSE(days.empty());
            int mondays = 0;
            for (int d : days) mondays += weekdayOf(y, m, d) == 1;
            EXPECT_GE(mondays, 1) << y << "-" << m;
        }
        EXPECT_TRUE(vernalEquinoxDay(y) == 20 || vernalEquinoxDay(y) == 21) << y;
        EXPECT_TRUE(autumnalEquinoxDay(y) >= 22 && autumnalEquinoxDay(y) <= 24) << y;
    }
}

TEST(Holidays, MarksAreClearedAndBounded) {
    HolidayMarks marks;
    markHolidays(marks, 5, 5, 2015);
    marks.mark(0, 1);
    marks.mark(13, 1);
    marks.mark(5, 32);
    EXPECT_FALSE(marks.isHoliday(0, 1));
    EXPECT_FALSE(marks.isHoliday(5, 0));
    EXPECT_TRUE(marks.isHoliday(5, 6));
    marks.clear();
    EXPECT_FALSE(marks.isHoliday(5, 3));
}

TEST(Holidays, DaysInMonth) {
    EXPECT_EQ(daysInMonth(2024, 2), 29);
    EXPECT_EQ(daysInMonth(2023, 2), 28);
    EXPECT_EQ(daysInMonth(1900, 2), 28);
    EXPECT_EQ(daysInMonth(2000, 2), 29);
    EXPECT_EQ(daysInMonth(2024, 4), 30);
    EXPECT_EQ(daysInMonth(2024, 12), 31);
    EXPECT_EQ(daysInMonth(2024, 13), 0);
    for (int m = 1; m <= 12; ++m) {
        using namespace std::chrono;
        const auto ymd = year{2023} / month{static_cast<unsigned>(m)} / last;
        EXPECT_EQ(daysInMonth(2023, m), static_cast<int>(unsigned{ymd.day()}));
    }
}

TEST(Holidays, FirstWeekdayFromAnyDay) {
    // 2024-05-17 is a Friday; the 1st was a Wednesday.
    EXPECT_EQ(firstWeekdayOfMonth(17, 5), 3);
    EXPECT_EQ(firstWeekdayOfMonth(1, 0), 0);
    EXPECT_EQ(firstWeekdayOfMonth(31, 6), weekdayOf(2024, 8, 1));
}

}  // namespace
