// The resident process's clock rules on a fake clock and fake zones: when the
// calendar is redrawn, when the next picture comes, and how long the one
// timer waits in between. Instants are seconds since 1970 UTC, worked out
// independently of the code under test.
#include "app/resident_schedule.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {

// A zone as a list of (from this UTC instant, offset in seconds) steps, and a
// wall clock that the test sets.
class FakeClock final : public ResidentClock {
public:
    int64_t now() const override { return now_; }
    LocalDate localAt(int64_t utc) const override {
        int64_t offset = 0;
        for (const auto& [from, seconds] : zone_)
            if (utc >= from) offset = seconds;
        const int64_t local = utc + offset;
        int64_t days = local / 86400;
        int64_t rest = local % 86400;
        if (rest < 0) rest += 86400, --days;
        // Civil date from a day count, by walking years and months.
        int y = 1970;
        auto leap = [](int yr) { return (yr % 4 == 0 && yr % 100 != 0) || yr % 400 == 0; };
        while (days >= (leap(y) ? 366 : 365)) days -= leap(y++) ? 366 : 365;
        const int lengths[] = {31, leap(y) ? 29 : 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
        int m = 0;
        while (days >= lengths[m]) days -= lengths[m++];
        LocalDate d;
        d.year = y;
        d.month = m + 1;
        d.day = static_cast<int>(days) + 1;
        d.hour = static_cast<int>(rest / 3600);
        d.minute = static_cast<int>(rest / 60 % 60);
        return d;
    }
    void set(int64_t t) { now_ = t; }
    void advance(int64_t seconds) { now_ += seconds; }
    void zone(std::vector<std::pair<int64_t, int64_t>> steps) { zone_ = std::move(steps); }

private:
    int64_t now_ = 0;
    std::vector<std::pair<int64_t, int64_t>> zone_;
};

constexpr int64_t kHour = 3600;

TEST(ResidentSchedule, NextDayStartsAtLocalMidnightWhateverTheDayLength) {
    const struct {
        const char* what;
        std::vector<std::pair<int64_t, int64_t>> zone;
        int64_t from, expected;
    } cases[] = {
        // 2026-12-08 15:00 at +9 h: midnight is 2026-12-08 15:00 UTC.
        {"ordinary day", {{0, 9 * kHour}}, 1796709600, 1796742000},
        // At -5 h, clocks go forward at 2026-03-08 07:00 UTC: a day of 23 hours;
        // from noon, midnight comes at 04:00 UTC the next day.
        {"23-hour day", {{0, -5 * kHour}, {1772953200, -4 * kHour}}, 1772985600, 1773028800},
        // Clocks go from 00:00 straight to 01:00 (2026-09-06 04:00 UTC at -4 h):
        // the day starts at the jump.
        {"no midnight", {{0, -4 * kHour}, {1788667200, -3 * kHour}}, 1788652800, 1788667200},
        // Clocks go back from 01:00 to 00:00 at 2026-04-05 04:00 UTC: the day
        // starts once, at the first midnight (03:00 UTC) ...
        {"25-hour day", {{0, -3 * kHour}, {1775361600, -4 * kHour}}, 1775343600, 1775358000},
        // ... and the repeated midnight is not a new day: from 00:30 the next
        // is 2026-04-06 00:00 at -4 h.
        {"repeated hour", {{0, -3 * kHour}, {1775361600, -4 * kHour}}, 1775363400, 1775448000},
    };
    for (const auto& c : cases) {
        FakeClock clock;
        clock.zone(c.zone);
        EXPECT_EQ(nextLocalDayStart(clock, c.from), c.expected) << c.what;
    }
}

class Schedule : public ::testing::Test {
protected:
    Schedule() {
        clock.zone({{0, 9 * kHour}});
        clock.set(kStart);
    }
    // 2026-12-08 15:00 at +9 h; midnight is 9 hours away.
    static constexpr int64_t kStart = 1796709600;
    FakeClock clock;
};

TEST_F(Schedule, CalendarAtMidnightOnlyWithoutInterval) {
    ResidentSchedule s(clock, 0);
    EXPECT_EQ(s.due(), ResidentDue::Nothing);
    EXPECT_EQ(s.delayMs(), 9 * kHour * 1000);
    clock.advance(9 * kHour);
    EXPECT_EQ(s.due(), ResidentDue::Calendar);
    s.calendarDrawn();
    EXPECT_EQ(s.due(), ResidentDue::Nothing);
    EXPECT_EQ(s.delayMs(), 24 * kHour * 1000);
    // The timer's own limit is kept.
    EXPECT_EQ(s.delayMs(60000), 60000u);
}

TEST_F(Schedule, SleepAcrossSeveralIntervalsMakesOneChange) {
    ResidentSchedule s(clock, 15);
    EXPECT_EQ(s.delayMs(), 15 * 60 * 1000u);
    clock.advance(2 * kHour + 5);
    EXPECT_EQ(s.due(), ResidentDue::Picture);
    s.pictureChanged();
    EXPECT_EQ(s.due(), ResidentDue::Nothing);
    EXPECT_EQ(s.delayMs(), 15 * 60 * 1000u);
    // A sleep across midnight: the new picture carries today's calendar.
    clock.advance(12 * kHour);
    EXPECT_EQ(s.due(), ResidentDue::Picture);
    s.pictureChanged();
    EXPECT_EQ(s.due(), ResidentDue::Nothing);
}

TEST_F(Schedule, ClockSetBackRedrawsAndWaitsNoLongerThanTheInterval) {
    ResidentSchedule s(clock, 60);
    clock.advance(-2 * 86400);  // two days back
    EXPECT_EQ(s.due(), ResidentDue::Calendar);
    s.calendarDrawn();
    EXPECT_EQ(s.due(), ResidentDue::Nothing);
    EXPECT_EQ(s.delayMs(), kHour * 1000u);
    clock.advance(kHour);
    EXPECT_EQ(s.due(), ResidentDue::Picture);
    s.pictureChanged();
    clock.advance(1);
    EXPECT_EQ(s.due(), ResidentDue::Nothing) << "one change, not a burst";
}

TEST_F(Schedule, ZoneChangeMovesTheDateAndTheNextMidnight) {
    ResidentSchedule s(clock, 0);
    // From +9 h to -5 h: 2026-12-08 06:00 UTC is 2026-12-08 01:00 there, the
    // same date; the midnight now comes 23 hours later.
    clock.zone({{0, -5 * kHour}});
    EXPECT_EQ(s.due(), ResidentDue::Nothing);
    EXPECT_EQ(s.delayMs(), 23 * kHour * 1000u);
    // To -8 h: 2026-12-07 22:00, the day before: redrawn at once.
    clock.zone({{0, -8 * kHour}});
    EXPECT_EQ(s.due(), ResidentDue::Calendar);
    s.calendarDrawn();
    EXPECT_EQ(s.delayMs(), 2 * kHour * 1000u);
}

TEST_F(Schedule, PauseStopsChangesButNotTheCalendar) {
    ResidentSchedule s(clock, 30);
    s.setPaused(true);
    EXPECT_EQ(s.delayMs(), 9 * kHour * 1000u);
    clock.advance(2 * kHour);
    EXPECT_EQ(s.due(), ResidentDue::Nothing);
    clock.advance(7 * kHour);
    EXPECT_EQ(s.due(), ResidentDue::Calendar);
    s.calendarDrawn();
    s.setPaused(false);
    EXPECT_EQ(s.due(), ResidentDue::Picture);
}

TEST(ResidentHotKey, ControlFlagsBecomeRegisterHotKeyModifiers) {
    // HOTKEYF_SHIFT 1, CONTROL 2, ALT 4; MOD_ALT 1, CONTROL 2, SHIFT 4.
    const struct {
        int32_t value;
        uint32_t modifiers, key;
    } cases[] = {
        {0x0000, 0, 0},    {0x0141, 4, 0x41}, {0x0241, 2, 0x41},        {0x0441, 1, 0x41},
        {0x0770, 7, 0x70}, {0x0671, 3, 0x71}, {0x0800 | 0x4E, 0, 0x4E},  // HOTKEYF_EXT only: no
                                                                         // modifier
    };
    for (const auto& c : cases) {
        EXPECT_EQ(hotKeyModifiers(c.value), c.modifiers) << c.value;
        EXPECT_EQ(hotKeyKey(c.value), c.key) << c.value;
    }
}

}  // namespace
