#include "app/change_cycle.h"

#include <cstdint>

namespace {

constexpr bool on(uint8_t flag) noexcept { return (flag & 1) != 0; }

int validList(int list) noexcept { return list >= 0 && list < kListCount ? list : 0; }

// The position `back` entries before `position`, within 0..count-1.
int positionBefore(int position, int back, int count) noexcept {
    const int p = position < 0 || position >= count ? 0 : position;
    return ((p - back) % count + count) % count;
}

enum class Outcome { Made, NoEntry, Failed };

// A picture per monitor from the active list: for each monitor the next
// entry that can be decoded, at most Count tries each.
Outcome takeEntryPerMonitor(Settings& s, CycleHost& host, int pictures, bool keepPosition) {
    WallpaperList& list = s.lists[s.activeList];
    const int count = list.Count;
    if (count <= 0) return Outcome::NoEntry;
    if (keepPosition) list.WPNum = positionBefore(list.WPNum, pictures, count);
    host.dropPreparedPictures();
    for (int slot = 0; slot < pictures; ++slot) {
        bool prepared = false;
        for (int attempt = 0; attempt < count && !prepared; ++attempt) {
            list.WPNum = on(s.Random) && !keepPosition ? randomPosition(host.nextRandom(), count)
                                                       : list.WPNum + 1;
            if (list.WPNum < 0 || list.WPNum >= count) list.WPNum = 0;
            const std::wstring entry = host.readEntry(s.activeList, list.WPNum);
            prepared = !entry.empty() && host.preparePicture(entry.c_str());
        }
        if (!prepared) {
            host.dropPreparedPictures();
            return Outcome::NoEntry;
        }
    }
    if (!host.makePreparedWallpaper()) return Outcome::Failed;
    host.recordWallpaperChoice();
    return Outcome::Made;
}

}  // namespace

bool holdsPosition(const Settings& s) noexcept {
    return on(s.Calendar) && on(s.Cycle) && on(s.WpNoChg);
}

bool holdsList(const Settings& s) noexcept {
    return on(s.ListHold) || (on(s.Cycle) && on(s.WpNoChg));
}

int listRounds(const Settings& s) noexcept { return on(s.ListHold) ? 1 : kListCount; }

int randomPosition(int r, int count) noexcept {
    const double v = r / 32767.0 * (count - 1);
    return static_cast<int>(v >= 0 ? v + 0.5 : v - 0.5);
}

bool dateMarkIsToday(const CycleDate& mark, const LocalDate& today) noexcept {
    auto same = [](int stored, int now) {
        return static_cast<uint16_t>(stored) == static_cast<uint16_t>(now);
    };
    return same(mark.y, today.year) && same(mark.m, today.month) && same(mark.d, today.day);
}

bool runChangeCycle(Settings& s, CycleHost& host) {
    if (on(s.Cycle) && dateMarkIsToday(host.readDateMark(), s.today)) return false;

    const bool keepPosition = holdsPosition(s);
    const bool keepList = holdsList(s);
    const int pictures = host.picturesPerChange();
    s.activeList = validList(s.activeList);
    for (int round = listRounds(s); round > 0; --round) {
        // Without ListHold every run moves on to the next list, so the list
        // that was active before is tried last.
        if (!keepList) s.activeList = (s.activeList + 1) % kListCount;
        if (pictures > 1) {
            const Outcome outcome = takeEntryPerMonitor(s, host, pictures, keepPosition);
            if (outcome == Outcome::NoEntry) continue;
            return outcome == Outcome::Made;
        }
        WallpaperList& list = s.lists[s.activeList];
        const int count = list.Count;
        for (int attempt = 0; attempt < count; ++attempt) {
            if (!keepPosition) {
                list.WPNum =
                    on(s.Random) ? randomPosition(host.nextRandom(), count) : list.WPNum + 1;
            }
            if (list.WPNum < 0 || list.WPNum >= count) list.WPNum = 0;
            const std::wstring entry = host.readEntry(s.activeList, list.WPNum);
            if (!entry.empty() && host.makeWallpaper(entry.c_str())) {
                host.recordWallpaperChoice();
                return true;
            }
        }
    }
    return false;
}

bool runRemakeCurrent(Settings& s, CycleHost& host) {
    s.activeList = validList(s.activeList);
    const WallpaperList& list = s.lists[s.activeList];
    if (list.WPNum < 0 || list.WPNum >= list.Count) return false;
    const int pictures = host.picturesPerChange();
    if (pictures <= 1) {
        const std::wstring entry = host.readEntry(s.activeList, list.WPNum);
        return !entry.empty() && host.makeWallpaper(entry.c_str());
    }
    // The same entries as the change took; none is replaced by another.
    host.dropPreparedPictures();
    for (int back = pictures - 1; back >= 0; --back) {
        const std::wstring entry =
            host.readEntry(s.activeList, positionBefore(list.WPNum, back, list.Count));
        if (entry.empty() || !host.preparePicture(entry.c_str())) {
            host.dropPreparedPictures();
            return false;
        }
    }
    return host.makePreparedWallpaper();
}

namespace {

// The current entry (or entries) made the wallpaper again with the calendar
// as of s.today, and the date mark set to today.
bool redrawCurrent(Settings& s, CycleHost& host) {
    if (!runRemakeCurrent(s, host)) return false;
    host.writeDateMark(s.today.year, s.today.month, s.today.day);
    return true;
}

}  // namespace

bool runCalendarUpdate(Settings& s, CycleHost& host) {
    if (dateMarkIsToday(host.readDateMark(), s.today)) return false;
    return redrawCurrent(s, host);
}

bool runCalendarRedraw(Settings& s, CycleHost& host) {
    host.readToday();
    return redrawCurrent(s, host);
}

bool runTimedChange(Settings& s, CycleHost& host) {
    host.readToday();
    const uint8_t cycle = s.Cycle, listHold = s.ListHold;
    s.Cycle = 0;
    s.ListHold = 1;
    const bool changed = runChangeCycle(s, host);
    s.Cycle = cycle;
    s.ListHold = listHold;
    return changed;
}

bool runManualSet(Settings& s, CycleHost& host, const wchar_t* path, int caretIndex) {
    s.shownList = validList(s.shownList);
    s.lists[s.shownList].WPNum = caretIndex;
    s.activeList = s.shownList;
    host.readToday();
    if (!path || !*path || !host.makeWallpaper(path)) return false;
    host.recordWallpaperChoice();
    return true;
}
