// When the resident process wakes and what it does then: the calendar
// redrawn when the local date has turned (midnight, or a clock or zone that
// moved across it), and the next picture once the interval has passed since
// the last change. "Now" and the local time come from a ResidentClock, so the
// rules run in tests on a fake clock and a fake zone.
#pragma once

#include <cstdint>

#include "settings/settings.h"

// Wall-clock time as seconds since 1970-01-01 UTC, and the local date and
// time any such instant has under the zone's rules.
class ResidentClock {
public:
    virtual ~ResidentClock() = default;
    virtual int64_t now() const = 0;
    virtual LocalDate localAt(int64_t utc) const = 0;
};

// Days since 1970-01-01 of a calendar date (proleptic Gregorian).
int64_t dayNumber(int year, int month, int day) noexcept;

// The first instant after `after` whose local date differs from the local
// date at `after`: the next midnight, or whatever instant the zone's rules
// put in its place on a day whose midnight does not exist.
int64_t nextLocalDayStart(const ResidentClock& clock, int64_t after);

enum class ResidentDue : uint8_t { Nothing, Calendar, Picture };

class ResidentSchedule {
public:
    // The calendar counts as drawn today and the picture as changed now.
    ResidentSchedule(const ResidentClock& clock, int32_t intervalMinutes);

    void setInterval(int32_t minutes) noexcept { intervalMinutes_ = minutes > 0 ? minutes : 0; }
    void setPaused(bool paused) noexcept { paused_ = paused; }
    bool paused() const noexcept { return paused_; }

    // What is due now. A clock set back behind the last change counts the
    // interval from now (no long wait); a wait across several intervals (a
    // sleep) makes one change, not one per interval missed.
    ResidentDue due();
    // After a new picture (which carries today's calendar) or a redrawn
    // calendar, made by this schedule or by a request from outside.
    void pictureChanged();
    void calendarDrawn();
    // Milliseconds until the next event, at least 1 second and at most
    // `longest` (so the timer's own limit is never passed).
    uint32_t delayMs(uint32_t longest = 0x7FFFFFFF) const;

private:
    int64_t dayNow() const;
    int64_t nextEvent() const;

    const ResidentClock& clock_;
    int32_t intervalMinutes_ = 0;
    bool paused_ = false;
    int64_t lastChange_ = 0;
    int64_t calendarDay_ = 0;
};

// RegisterHotKey's modifier flags (MOD_*) from a hotkey control's value,
// whose high byte holds HOTKEYF_*; the key is the low byte.
uint32_t hotKeyModifiers(int32_t hotKeyValue) noexcept;
uint32_t hotKeyKey(int32_t hotKeyValue) noexcept;
