#include "app/resident_schedule.h"

#include <algorithm>

namespace {

int64_t localDay(const ResidentClock& clock, int64_t utc) {
    const LocalDate d = clock.localAt(utc);
    return dayNumber(d.year, d.month, d.day);
}

// Longer than any local day, a zone change included.
constexpr int64_t kSearchSpan = 3 * 86400;

}  // namespace

int64_t dayNumber(int year, int month, int day) noexcept {
    // Days from civil: March-based years, so the leap day ends a year.
    const int64_t y = static_cast<int64_t>(year) - (month <= 2 ? 1 : 0);
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t mp = (month + 9) % 12;
    const int64_t doy = (153 * mp + 2) / 5 + day - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

int64_t nextLocalDayStart(const ResidentClock& clock, int64_t after) {
    // The local date moves forward in time under any zone's rules (a clock
    // going back an hour at night stays in its day), so the first instant of
    // another date is found by halving: no assumption about the length of a
    // day or where its midnight falls.
    const int64_t today = localDay(clock, after);
    int64_t low = after;  // still today
    int64_t high = after + kSearchSpan;
    if (localDay(clock, high) == today) return high;
    while (high - low > 1) {
        const int64_t mid = low + (high - low) / 2;
        if (localDay(clock, mid) == today)
            low = mid;
        else
            high = mid;
    }
    return high;
}

ResidentSchedule::ResidentSchedule(const ResidentClock& clock, int32_t intervalMinutes)
    : clock_(clock) {
    setInterval(intervalMinutes);
    lastChange_ = clock_.now();
    calendarDay_ = dayNow();
}

int64_t ResidentSchedule::dayNow() const { return localDay(clock_, clock_.now()); }

ResidentDue ResidentSchedule::due() {
    const int64_t now = clock_.now();
    if (lastChange_ > now) lastChange_ = now;  // the clock was set back
    if (!paused_ && intervalMinutes_ > 0 && now - lastChange_ >= int64_t{intervalMinutes_} * 60)
        return ResidentDue::Picture;
    // Any other date than the drawn one, forward or back, is stale.
    if (localDay(clock_, now) != calendarDay_) return ResidentDue::Calendar;
    return ResidentDue::Nothing;
}

void ResidentSchedule::pictureChanged() {
    lastChange_ = clock_.now();
    calendarDay_ = dayNow();
}

void ResidentSchedule::calendarDrawn() { calendarDay_ = dayNow(); }

int64_t ResidentSchedule::nextEvent() const {
    const int64_t now = clock_.now();
    int64_t next = nextLocalDayStart(clock_, now);
    if (!paused_ && intervalMinutes_ > 0)
        next = std::min(next, std::min(lastChange_, now) + int64_t{intervalMinutes_} * 60);
    return next;
}

uint32_t ResidentSchedule::delayMs(uint32_t longest) const {
    const int64_t seconds = nextEvent() - clock_.now();
    const int64_t ms = std::clamp<int64_t>(seconds, 1, 0x7FFFFFFF / 1000) * 1000;
    return static_cast<uint32_t>(std::min<int64_t>(ms, longest));
}

uint32_t hotKeyModifiers(int32_t hotKeyValue) noexcept {
    // HOTKEYF_SHIFT 1, CONTROL 2, ALT 4 become MOD_SHIFT 4, CONTROL 2, ALT 1.
    const uint32_t f = (static_cast<uint32_t>(hotKeyValue) >> 8) & 0xFF;
    return ((f & 1) ? 4u : 0u) | (f & 2) | ((f & 4) ? 1u : 0u);
}

uint32_t hotKeyKey(int32_t hotKeyValue) noexcept {
    return static_cast<uint32_t>(hotKeyValue) & 0xFF;
}
