#include "app/change_cycle.h"

#include <gtest/gtest.h>

#include <deque>
#include <set>
#include <string>
#include <vector>

namespace {

// The settings file and the desktop as the rules see them.
class FakeHost : public CycleHost {
public:
    explicit FakeHost(Settings& s) : s_(s) {}

    std::vector<std::wstring> entries[kListCount];
    std::set<std::wstring> broken;  // entries that cannot be made the wallpaper
    CycleDate mark;
    std::deque<int> randoms;
    std::vector<std::wstring> made;  // every makeWallpaper call, in order
    std::wstring wallpaper;
    int records = 0;
    int markWrites = 0;
    int todayReads = 0;

    void fill(int list, int count) {
        entries[list].clear();
        for (int i = 0; i < count; ++i)
            entries[list].push_back(L"L" + std::to_wstring(list) + L"_" + std::to_wstring(i));
        s_.lists[list].Count = count;
    }

    CycleDate readDateMark() override { return mark; }
    void writeDateMark(int y, int m, int d) override {
        mark = {y, m, d};
        ++markWrites;
    }
    std::wstring readEntry(int list, int index) override {
        const auto& e = entries[list];
        return index >= 0 && index < static_cast<int>(e.size()) ? e[index] : L"";
    }
    bool makeWallpaper(const wchar_t* path) override {
        made.push_back(path);
        if (broken.count(path)) return false;
        wallpaper = path;
        return true;
    }
    void recordWallpaperChoice() override {
        ++records;
        mark = {s_.today.year, s_.today.month, s_.today.day};
    }
    int nextRandom() override {
        const int r = randoms.empty() ? 0 : randoms.front();
        if (!randoms.empty()) randoms.pop_front();
        return r;
    }
    void readToday() override { ++todayReads; }

    int pictures = 1;  // pictures per change: the number of monitors with "one each"
    std::vector<std::wstring> prepared;
    std::vector<std::vector<std::wstring>> madeFromPrepared;  // each wallpaper's pictures
    int picturesPerChange() override { return pictures; }
    bool preparePicture(const wchar_t* path) override {
        made.push_back(path);
        if (broken.count(path)) return false;
        prepared.push_back(path);
        return true;
    }
    bool makePreparedWallpaper() override {
        madeFromPrepared.push_back(prepared);
        prepared.clear();
        return true;
    }
    void dropPreparedPictures() override { prepared.clear(); }

private:
    Settings& s_;
};

class ChangeCycle : public ::testing::Test {
protected:
    void SetUp() override {
        s.today.year = 2024;
        s.today.month = 5;
        s.today.day = 17;
        s.today.dayOfWeek = 5;
    }
    void newDay() { ++s.today.day; }

    Settings s;
    FakeHost host{s};
};

TEST_F(ChangeCycle, OnceADayHoldsBackTheSecondRun) {
    host.fill(1, 3);
    s.Cycle = 1;
    host.mark = {2024, 5, 17};
    EXPECT_FALSE(runChangeCycle(s, host));
    EXPECT_TRUE(host.made.empty());
    EXPECT_EQ(host.records, 0);

    // Another day: the run goes through and records today.
    host.mark = {2024, 5, 16};
    EXPECT_TRUE(runChangeCycle(s, host));
    EXPECT_EQ(host.records, 1);
    EXPECT_FALSE(runChangeCycle(s, host));  // now marked for today
}

TEST_F(ChangeCycle, WithoutCycleEveryRunChangesInOrder) {
    s.ListHold = 1;
    host.fill(0, 3);
    s.lists[0].WPNum = -1;
    for (const wchar_t* expected : {L"L0_0", L"L0_1", L"L0_2", L"L0_0"}) {
        ASSERT_TRUE(runChangeCycle(s, host));
        EXPECT_EQ(host.wallpaper, expected);
    }
    EXPECT_EQ(host.records, 4);
    EXPECT_EQ(s.lists[0].WPNum, 0);

    // A position written by hand beyond the list starts again at entry 0.
    s.lists[0].WPNum = 99;
    ASSERT_TRUE(runChangeCycle(s, host));
    EXPECT_EQ(host.wallpaper, L"L0_0");
}

TEST_F(ChangeCycle, ListsTakeTurnsAndEmptyOnesArePassedOver) {
    host.fill(0, 2);
    host.fill(1, 2);
    s.activeList = 0;
    std::vector<int> lists;
    for (int run = 0; run < 3; ++run) {
        ASSERT_TRUE(runChangeCycle(s, host));
        lists.push_back(s.activeList);
    }
    EXPECT_EQ(lists, (std::vector<int>{1, 0, 1}));
    EXPECT_EQ(host.made, (std::vector<std::wstring>{L"L1_0", L"L0_0", L"L1_1"}));

    // An active list outside 0-7 is taken as 0.
    s.activeList = 12;
    ASSERT_TRUE(runChangeCycle(s, host));
    EXPECT_EQ(s.activeList, 1);
}

TEST_F(ChangeCycle, ListHoldOnAnEmptyListDoesNothing) {
    s.ListHold = 1;
    s.activeList = 2;
    host.fill(3, 4);
    EXPECT_FALSE(runChangeCycle(s, host));
    EXPECT_TRUE(host.made.empty());
    EXPECT_EQ(s.activeList, 2);
}

TEST_F(ChangeCycle, CalendarOnlyModeRedrawsTheSameEntry) {
    s.Cycle = s.WpNoChg = s.Calendar = 1;
    host.fill(0, 3);
    host.fill(4, 3);
    s.activeList = 4;
    s.lists[4].WPNum = 1;
    host.mark = {2024, 5, 16};
    ASSERT_TRUE(runChangeCycle(s, host));
    EXPECT_EQ(host.wallpaper, L"L4_1");
    EXPECT_EQ(s.activeList, 4);
    EXPECT_EQ(host.mark.d, 17);

    // Without the calendar the list stays but the position moves on.
    s.Calendar = 0;
    newDay();
    ASSERT_TRUE(runChangeCycle(s, host));
    EXPECT_EQ(host.wallpaper, L"L4_2");
    EXPECT_EQ(s.activeList, 4);
}

TEST_F(ChangeCycle, BrokenEntriesAreSkippedAtMostCountTimes) {
    s.ListHold = 1;
    host.fill(0, 3);
    host.broken = {L"L0_0"};
    ASSERT_TRUE(runChangeCycle(s, host));
    EXPECT_EQ(host.wallpaper, L"L0_1");
    EXPECT_EQ(s.lists[0].WPNum, 1);

    host.made.clear();
    host.broken = {L"L0_0", L"L0_1", L"L0_2"};
    const int recordsBefore = host.records;
    EXPECT_FALSE(runChangeCycle(s, host));
    EXPECT_EQ(host.made.size(), 3u);
    EXPECT_EQ(host.records, recordsBefore);

    // With the position held, the one entry is tried count times, no other.
    s.ListHold = 0;
    s.Cycle = s.WpNoChg = s.Calendar = 1;
    host.made.clear();
    EXPECT_FALSE(runChangeCycle(s, host));
    for (const auto& m : host.made) EXPECT_EQ(m, host.made.front());
}

TEST_F(ChangeCycle, RandomPositions) {
    EXPECT_EQ(randomPosition(0, 1), 0);
    EXPECT_EQ(randomPosition(32767, 1), 0);
    EXPECT_EQ(randomPosition(16383, 2), 0);
    EXPECT_EQ(randomPosition(16384, 2), 1);
    EXPECT_EQ(randomPosition(32767, 5), 4);
    // The ends get half the share of the middle entries.
    int hits[3] = {};
    for (int r = 0; r <= 32767; ++r) ++hits[randomPosition(r, 3)];
    EXPECT_NEAR(hits[0] * 2, hits[1], 2);
    EXPECT_NEAR(hits[2] * 2, hits[1], 2);

    s.ListHold = 1;
    s.Random = 1;
    host.fill(0, 4);
    host.randoms = {32767, 0, 16384};
    ASSERT_TRUE(runChangeCycle(s, host));
    EXPECT_EQ(host.wallpaper, L"L0_3");
    ASSERT_TRUE(runChangeCycle(s, host));
    EXPECT_EQ(host.wallpaper, L"L0_0");
    ASSERT_TRUE(runChangeCycle(s, host));
    EXPECT_EQ(host.wallpaper, L"L0_2");
}

TEST_F(ChangeCycle, RulesFromTheFlags) {
    EXPECT_EQ(listRounds(s), 8);
    s.ListHold = 3;  // flags count by their lowest bit
    EXPECT_EQ(listRounds(s), 1);
    EXPECT_TRUE(holdsList(s));
    s.ListHold = 2;
    EXPECT_FALSE(holdsList(s));
    s.Cycle = s.WpNoChg = 1;
    EXPECT_TRUE(holdsList(s));
    s.Calendar = 1;
    EXPECT_TRUE(holdsPosition(s));
    s.Calendar = 0;
    EXPECT_FALSE(holdsPosition(s));
    EXPECT_TRUE(dateMarkIsToday({2024, 5, 17}, s.today));
    EXPECT_TRUE(dateMarkIsToday({2024 + 65536, 5, 17}, s.today));  // 16-bit parts
    EXPECT_FALSE(dateMarkIsToday({2024, 5, 16}, s.today));
    EXPECT_FALSE(dateMarkIsToday({0, 0, 0}, s.today));
}

TEST_F(ChangeCycle, CalendarUpdate) {
    host.fill(2, 3);
    s.activeList = 2;
    s.lists[2].WPNum = 2;
    s.Cycle = 0;  // independent of the once-a-day flag
    host.mark = {2024, 5, 17};
    EXPECT_FALSE(runCalendarUpdate(s, host));
    EXPECT_TRUE(host.made.empty());

    host.mark = {2024, 4, 17};
    ASSERT_TRUE(runCalendarUpdate(s, host));
    EXPECT_EQ(host.wallpaper, L"L2_2");
    EXPECT_EQ(host.markWrites, 1);
    EXPECT_EQ(host.records, 0);  // neither ActList nor WPNum is written
    EXPECT_EQ(host.mark.m, 5);

    // A failing entry: no other is tried and nothing is written.
    host.mark = {2024, 4, 17};
    host.made.clear();
    host.broken = {L"L2_2"};
    EXPECT_FALSE(runCalendarUpdate(s, host));
    EXPECT_EQ(host.made.size(), 1u);
    EXPECT_EQ(host.markWrites, 1);

    s.lists[2].WPNum = -1;
    host.made.clear();
    EXPECT_FALSE(runCalendarUpdate(s, host));
    EXPECT_TRUE(host.made.empty());
    s.lists[2].WPNum = 3;
    EXPECT_FALSE(runCalendarUpdate(s, host));
    EXPECT_TRUE(host.made.empty());
}

// A picture per monitor: the entries after the position, one per monitor,
// an undecodable one passed over; the position ends on the last one used.
TEST_F(ChangeCycle, OnePicturePerMonitor) {
    using Pictures = std::vector<std::wstring>;
    s.ListHold = 1;
    host.pictures = 3;
    host.fill(0, 5);
    s.lists[0].WPNum = 0;
    ASSERT_TRUE(runChangeCycle(s, host));
    EXPECT_EQ(host.madeFromPrepared.back(), (Pictures{L"L0_1", L"L0_2", L"L0_3"}));
    EXPECT_EQ(s.lists[0].WPNum, 3);
    EXPECT_EQ(host.records, 1);

    // Round the end of the list, past a broken entry.
    host.broken = {L"L0_0"};
    ASSERT_TRUE(runChangeCycle(s, host));
    EXPECT_EQ(host.madeFromPrepared.back(), (Pictures{L"L0_4", L"L0_1", L"L0_2"}));
    EXPECT_EQ(s.lists[0].WPNum, 2);

    // Fewer entries than monitors: the entries come round again.
    host.broken.clear();
    host.fill(0, 2);
    s.lists[0].WPNum = 1;
    ASSERT_TRUE(runChangeCycle(s, host));
    EXPECT_EQ(host.madeFromPrepared.back(), (Pictures{L"L0_0", L"L0_1", L"L0_0"}));

    // Nothing decodable: no wallpaper, nothing recorded, no picture kept.
    host.broken = {L"L0_0", L"L0_1"};
    const size_t wallpapers = host.madeFromPrepared.size();
    EXPECT_FALSE(runChangeCycle(s, host));
    EXPECT_EQ(host.madeFromPrepared.size(), wallpapers);
    EXPECT_TRUE(host.prepared.empty());
    EXPECT_EQ(host.records, 3);
}

TEST_F(ChangeCycle, OnePicturePerMonitorOnceADayAndWithTheCalendar) {
    using Pictures = std::vector<std::wstring>;
    host.pictures = 2;
    host.fill(0, 6);
    s.ListHold = 1;
    s.Cycle = 1;
    s.lists[0].WPNum = 3;
    host.mark = {2024, 5, 17};
    EXPECT_FALSE(runChangeCycle(s, host));  // already changed today
    EXPECT_TRUE(host.madeFromPrepared.empty());

    // The calendar kept up to date: the same pair again, the position held.
    s.WpNoChg = s.Calendar = 1;
    newDay();
    ASSERT_TRUE(runChangeCycle(s, host));
    EXPECT_EQ(host.madeFromPrepared.back(), (Pictures{L"L0_2", L"L0_3"}));
    EXPECT_EQ(s.lists[0].WPNum, 3);

    // "/d" redraws the pair ending at the position; a broken one fails it.
    host.mark = {2024, 5, 1};
    ASSERT_TRUE(runCalendarUpdate(s, host));
    EXPECT_EQ(host.madeFromPrepared.back(), (Pictures{L"L0_2", L"L0_3"}));
    host.mark = {2024, 5, 1};
    host.broken = {L"L0_2"};
    EXPECT_FALSE(runCalendarUpdate(s, host));
    EXPECT_EQ(host.madeFromPrepared.size(), 2u);
    EXPECT_TRUE(host.prepared.empty());

    // A display change remakes the same pair whatever the day, marking nothing.
    host.broken.clear();
    host.mark = {2024, 5, 18};
    const int marks = host.markWrites, records = host.records;
    ASSERT_TRUE(runRemakeCurrent(s, host));
    EXPECT_EQ(host.madeFromPrepared.back(), (Pictures{L"L0_2", L"L0_3"}));
    EXPECT_EQ(host.markWrites, marks);
    EXPECT_EQ(host.records, records);
}

TEST_F(ChangeCycle, ManualSet) {
    s.shownList = 5;
    s.activeList = 1;
    ASSERT_TRUE(runManualSet(s, host, L"C:\\pics\\a.bmp", 7));
    EXPECT_EQ(s.activeList, 5);
    EXPECT_EQ(s.lists[5].WPNum, 7);
    EXPECT_EQ(host.todayReads, 1);
    EXPECT_EQ(host.records, 1);

    // A failure keeps the moved state in memory but records nothing.
    host.broken = {L"C:\\pics\\b.bmp"};
    s.shownList = 6;
    EXPECT_FALSE(runManualSet(s, host, L"C:\\pics\\b.bmp", 2));
    EXPECT_EQ(s.activeList, 6);
    EXPECT_EQ(s.lists[6].WPNum, 2);
    EXPECT_EQ(host.records, 1);
}

}  // namespace

// The resident process's two runs: a redraw whatever the date mark says, and
// a timed change that keeps to the active list and ignores the once-a-day
// flag, leaving the flags as they were.
TEST_F(ChangeCycle, ResidentRedrawAndTimedChange) {
    host.fill(1, 2);
    host.fill(3, 3);
    s.activeList = 3;
    s.lists[3].WPNum = 1;
    host.mark = {2024, 5, 17};  // today: a once-a-day run would do nothing
    ASSERT_TRUE(runCalendarRedraw(s, host));
    EXPECT_EQ(host.wallpaper, L"L3_1");
    EXPECT_EQ(host.records, 0);
    EXPECT_EQ(host.todayReads, 1);

    s.Cycle = 1;
    s.WpNoChg = 1;
    s.ListHold = 0;
    const char* expected[] = {"L3_2", "L3_0", "L3_1"};
    for (const char* e : expected) {
        ASSERT_TRUE(runTimedChange(s, host));
        EXPECT_EQ(host.wallpaper, std::wstring(e, e + 4));
    }
    EXPECT_EQ(s.activeList, 3);
    EXPECT_EQ(host.records, 3);
    EXPECT_EQ(host.todayReads, 4);
    EXPECT_EQ(s.Cycle, 1);
    EXPECT_EQ(s.ListHold, 0);

    // An empty active list: no other list is taken.
    s.activeList = 5;
    host.made.clear();
    EXPECT_FALSE(runTimedChange(s, host));
    EXPECT_TRUE(host.made.empty());
}
