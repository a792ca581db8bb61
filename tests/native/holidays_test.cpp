#include "compose/holidays.h"

#include <gtest/gtest.h>

#include <chrono>
#include <sstream>
#include <string>
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

// Every public holiday of each year as MMDD, Sundays included: the Cabinet
// Office's lists as published (1996 to the coming year) and as the law
// reckons them beyond, read off two independent public-holiday data sets
// that agree on every year here.
struct YearOfHolidays {
    int year;
    const char* days;
};
constexpr YearOfHolidays kPublished[] = {
    {1996,
     "0101 0115 0211 0212 0320 0429 0503 0504 0505 0506 0720 0915 0916 0923 1010 1103 1104 1123 "
     "1223"},
    {1997, "0101 0115 0211 0320 0429 0503 0505 0720 0721 0915 0923 1010 1103 1123 1124 1223"},
    {1998, "0101 0115 0211 0321 0429 0503 0504 0505 0720 0915 0923 1010 1103 1123 1223"},
    {1999, "0101 0115 0211 0321 0322 0429 0503 0504 0505 0720 0915 0923 1010 1011 1103 1123 1223"},
    {2000, "0101 0110 0211 0320 0429 0503 0504 0505 0720 0915 0923 1009 1103 1123 1223"},
    {2001,
     "0101 0108 0211 0212 0320 0429 0430 0503 0504 0505 0720 0915 0923 0924 1008 1103 1123 1223 "
     "1224"},
    {2002,
     "0101 0114 0211 0321 0429 0503 0504 0505 0506 0720 0915 0916 0923 1014 1103 1104 1123 1223"},
    {2003, "0101 0113 0211 0321 0429 0503 0505 0721 0915 0923 1013 1103 1123 1124 1223"},
    {2004, "0101 0112 0211 0320 0429 0503 0504 0505 0719 0920 0923 1011 1103 1123 1223"},
    {2005, "0101 0110 0211 0320 0321 0429 0503 0504 0505 0718 0919 0923 1010 1103 1123 1223"},
    {2006, "0101 0102 0109 0211 0321 0429 0503 0504 0505 0717 0918 0923 1009 1103 1123 1223"},
    {2007,
     "0101 0108 0211 0212 0321 0429 0430 0503 0504 0505 0716 0917 0923 0924 1008 1103 1123 1223 "
     "1224"},
    {2008, "0101 0114 0211 0320 0429 0503 0504 0505 0506 0721 0915 0923 1013 1103 1123 1124 1223"},
    {2009, "0101 0112 0211 0320 0429 0503 0504 0505 0506 0720 0921 0922 0923 1012 1103 1123 1223"},
    {2010, "0101 0111 0211 0321 0322 0429 0503 0504 0505 0719 0920 0923 1011 1103 1123 1223"},
    {2011, "0101 0110 0211 0321 0429 0503 0504 0505 0718 0919 0923 1010 1103 1123 1223"},
    {2012,
     "0101 0102 0109 0211 0320 0429 0430 0503 0504 0505 0716 0917 0922 1008 1103 1123 1223 1224"},
    {2013, "0101 0114 0211 0320 0429 0503 0504 0505 0506 0715 0916 0923 1014 1103 1104 1123 1223"},
    {2014, "0101 0113 0211 0321 0429 0503 0504 0505 0506 0721 0915 0923 1013 1103 1123 1124 1223"},
    {2015, "0101 0112 0211 0321 0429 0503 0504 0505 0506 0720 0921 0922 0923 1012 1103 1123 1223"},
    {2016, "0101 0111 0211 0320 0321 0429 0503 0504 0505 0718 0811 0919 0922 1010 1103 1123 1223"},
    {2017, "0101 0102 0109 0211 0320 0429 0503 0504 0505 0717 0811 0918 0923 1009 1103 1123 1223"},
    {2018,
     "0101 0108 0211 0212 0321 0429 0430 0503 0504 0505 0716 0811 0917 0923 0924 1008 1103 1123 "
     "1223 1224"},
    {2019,
     "0101 0114 0211 0321 0429 0430 0501 0502 0503 0504 0505 0506 0715 0811 0812 0916 0923 1014 "
     "1022 1103 1104 1123"},
    {2020,
     "0101 0113 0211 0223 0224 0320 0429 0503 0504 0505 0506 0723 0724 0810 0921 0922 1103 1123"},
    {2021, "0101 0111 0211 0223 0320 0429 0503 0504 0505 0722 0723 0808 0809 0920 0923 1103 1123"},
    {2022, "0101 0110 0211 0223 0321 0429 0503 0504 0505 0718 0811 0919 0923 1010 1103 1123"},
    {2023, "0101 0102 0109 0211 0223 0321 0429 0503 0504 0505 0717 0811 0918 0923 1009 1103 1123"},
    {2024,
     "0101 0108 0211 0212 0223 0320 0429 0503 0504 0505 0506 0715 0811 0812 0916 0922 0923 1014 "
     "1103 1104 1123"},
    {2025,
     "0101 0113 0211 0223 0224 0320 0429 0503 0504 0505 0506 0721 0811 0915 0923 1013 1103 1123 "
     "1124"},
    {2026,
     "0101 0112 0211 0223 0320 0429 0503 0504 0505 0506 0720 0811 0921 0922 0923 1012 1103 1123"},
    {2027, "0101 0111 0211 0223 0321 0322 0429 0503 0504 0505 0719 0811 0920 0923 1011 1103 1123"},
    {2028, "0101 0110 0211 0223 0320 0429 0503 0504 0505 0717 0811 0918 0922 1009 1103 1123"},
    {2029,
     "0101 0108 0211 0212 0223 0320 0429 0430 0503 0504 0505 0716 0811 0917 0923 0924 1008 1103 "
     "1123"},
    {2030,
     "0101 0114 0211 0223 0320 0429 0503 0504 0505 0506 0715 0811 0812 0916 0923 1014 1103 1104 "
     "1123"},
    {2031,
     "0101 0113 0211 0223 0224 0321 0429 0503 0504 0505 0506 0721 0811 0915 0923 1013 1103 1123 "
     "1124"},
    {2032, "0101 0112 0211 0223 0320 0429 0503 0504 0505 0719 0811 0920 0921 0922 1011 1103 1123"},
    {2033, "0101 0110 0211 0223 0320 0321 0429 0503 0504 0505 0718 0811 0919 0923 1010 1103 1123"},
    {2034, "0101 0102 0109 0211 0223 0320 0429 0503 0504 0505 0717 0811 0918 0923 1009 1103 1123"},
    {2035,
     "0101 0108 0211 0212 0223 0321 0429 0430 0503 0504 0505 0716 0811 0917 0923 0924 1008 1103 "
     "1123"},
    {2036,
     "0101 0114 0211 0223 0320 0429 0503 0504 0505 0506 0721 0811 0915 0922 1013 1103 1123 1124"},
    {2037,
     "0101 0112 0211 0223 0320 0429 0503 0504 0505 0506 0720 0811 0921 0922 0923 1012 1103 1123"},
    {2038, "0101 0111 0211 0223 0320 0429 0503 0504 0505 0719 0811 0920 0923 1011 1103 1123"},
    {2039, "0101 0110 0211 0223 0321 0429 0503 0504 0505 0718 0811 0919 0923 1010 1103 1123"},
    {2040,
     "0101 0102 0109 0211 0223 0320 0429 0430 0503 0504 0505 0716 0811 0917 0922 1008 1103 1123"},
    {2041,
     "0101 0114 0211 0223 0320 0429 0503 0504 0505 0506 0715 0811 0812 0916 0923 1014 1103 1104 "
     "1123"},
    {2042,
     "0101 0113 0211 0223 0224 0320 0429 0503 0504 0505 0506 0721 0811 0915 0923 1013 1103 1123 "
     "1124"},
    {2043,
     "0101 0112 0211 0223 0321 0429 0503 0504 0505 0506 0720 0811 0921 0922 0923 1012 1103 1123"},
    {2044, "0101 0111 0211 0223 0320 0321 0429 0503 0504 0505 0718 0811 0919 0922 1010 1103 1123"},
    {2045, "0101 0102 0109 0211 0223 0320 0429 0503 0504 0505 0717 0811 0918 0922 1009 1103 1123"},
    {2046,
     "0101 0108 0211 0212 0223 0320 0429 0430 0503 0504 0505 0716 0811 0917 0923 0924 1008 1103 "
     "1123"},
    {2047,
     "0101 0114 0211 0223 0321 0429 0503 0504 0505 0506 0715 0811 0812 0916 0923 1014 1103 1104 "
     "1123"},
    {2048,
     "0101 0113 0211 0223 0224 0320 0429 0503 0504 0505 0506 0720 0811 0921 0922 1012 1103 1123"},
    {2049, "0101 0111 0211 0223 0320 0429 0503 0504 0505 0719 0811 0920 0921 0922 1011 1103 1123"},
    {2050, "0101 0110 0211 0223 0320 0321 0429 0503 0504 0505 0718 0811 0919 0923 1010 1103 1123"},
};

TEST(Holidays, EveryYearMatchesThePublishedLists) {
    for (const YearOfHolidays& row : kPublished) {
        std::vector<Days> expected(13);
        std::istringstream in(row.days);
        for (std::string mmdd; in >> mmdd;) {
            const int m = std::stoi(mmdd.substr(0, 2)), d = std::stoi(mmdd.substr(2));
            // A holiday on a Sunday shows in the Sunday colour: not marked.
            if (weekdayOf(row.year, m, d) != 0) expected[m].push_back(d);
        }
        for (int m = 1; m <= 12; ++m)
            EXPECT_EQ(holidaysOf(row.year, m), expected[m]) << row.year << "-" << m;
    }
}

// The changes of the law, one line each, as a reader would check them.
TEST(Holidays, LawChanges) {
    EXPECT_EQ(holidaysOf(2026, 12), Days{});         // no Emperor's Birthday since 2019
    EXPECT_EQ(holidaysOf(2018, 12), (Days{24}));     // the 23rd a Sunday, the last one
    EXPECT_EQ(holidaysOf(2026, 2), (Days{11, 23}));  // 23 February from 2020
    EXPECT_EQ(holidaysOf(2015, 8), Days{});          // Mountain Day from 2016
    EXPECT_EQ(holidaysOf(2016, 8), (Days{11}));
    EXPECT_EQ(holidaysOf(2021, 8), (Days{9}));              // moved to the 8th, a Sunday
    EXPECT_EQ(holidaysOf(2019, 5), (Days{1, 2, 3, 4, 6}));  // the 5th a Sunday
    EXPECT_EQ(holidaysOf(2019, 4), (Days{29, 30}));
    EXPECT_EQ(holidaysOf(2019, 10), (Days{14, 22}));
    EXPECT_EQ(holidaysOf(2020, 7), (Days{23, 24}));  // Marine and Sports Day moved
    EXPECT_EQ(holidaysOf(2020, 10), Days{});
    EXPECT_EQ(holidaysOf(2002, 7), (Days{20}));      // Marine Day on the 20th to 2002
    EXPECT_EQ(holidaysOf(2003, 7), (Days{21}));      // the third Monday from 2003
    EXPECT_EQ(holidaysOf(2002, 9), (Days{16, 23}));  // 15th a Sunday; Monday rule from 2003
    EXPECT_EQ(holidaysOf(2003, 9), (Days{15, 23}));
    // Substitutes: to 2006 only the Monday; from 2007 the next day off work.
    EXPECT_EQ(holidaysOf(2003, 5), (Days{3, 5}));        // the 4th a Sunday: nothing more
    EXPECT_EQ(holidaysOf(2008, 5), (Days{3, 5, 6}));     // the 4th a Sunday: the 6th
    EXPECT_EQ(holidaysOf(2009, 9), (Days{21, 22, 23}));  // a day between two holidays
    EXPECT_EQ(holidaysOf(2026, 9), (Days{21, 22, 23}));
}

TEST(Holidays, EquinoxesStayInTheirWindows) {
    for (int y = 1980; y <= 2099; ++y) {
        EXPECT_TRUE(vernalEquinoxDay(y) >= 19 && vernalEquinoxDay(y) <= 21) << y;
        EXPECT_TRUE(autumnalEquinoxDay(y) >= 22 && autumnalEquinoxDay(y) <= 24) << y;
    }
    // Far-off years and an inconsistent first weekday neither crash nor
    // mark beyond the month.
    for (int y : {1, 1899, 2100, 9999})
        for (int m = 1; m <= 12; ++m)
            for (int d : holidaysOf(y, m)) EXPECT_LE(d, daysInMonth(y, m));
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
    EXPECT_FALSE(marks.isHoliday(5, 4));
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
