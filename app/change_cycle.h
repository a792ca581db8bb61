// Which picture becomes the wallpaper, and when: the change run ("/s"), the
// calendar-only run ("/d") and the manual set from the main window. The rules
// are portable and work through a CycleHost, so that tests can drive them
// without the settings file or GDI; change_cycle_win.cpp binds the host to the
// settings file and makeWallpaper.
#pragma once

#include <string>

#include "settings/settings.h"

struct CycleDate {
    int y = 0, m = 0, d = 0;
};

// What a run needs from the outside world.
class CycleHost {
public:
    virtual ~CycleHost() = default;
    virtual CycleDate readDateMark() = 0;  // WP/y, m, d straight from the file
    virtual void writeDateMark(int y, int m, int d) = 0;
    virtual std::wstring readEntry(int list, int index) = 0;  // "" when missing
    virtual bool makeWallpaper(const wchar_t* path) = 0;
    virtual void recordWallpaperChoice() = 0;  // ActList (unless ListHold), WPNum, date mark
    virtual int nextRandom() = 0;              // 0..32767
    virtual void readToday() = 0;              // refreshes Settings::today from the clock

    // Several monitors with a picture each: how many pictures a change
    // takes (1 otherwise), and the pictures gathered one by one before the
    // wallpaper is made from all of them.
    virtual int picturesPerChange() = 0;
    virtual bool preparePicture(const wchar_t* path) = 0;  // false: cannot be decoded
    virtual bool makePreparedWallpaper() = 0;              // the gathered pictures, in order
    virtual void dropPreparedPictures() = 0;
};

// With Calendar, Cycle and WpNoChg all on, a new day redraws the current
// picture with a fresh calendar instead of taking the next one.
bool holdsPosition(const Settings& s) noexcept;
// The active list stays with ListHold, or with Cycle and WpNoChg both on.
bool holdsList(const Settings& s) noexcept;
// Lists tried in one change run: only the active one with ListHold, else all.
int listRounds(const Settings& s) noexcept;

// round(r / 32767 * (count - 1)), halves away from zero: the first and the
// last entry get half the share of the others.
int randomPosition(int r, int count) noexcept;

// True when the date mark names today's date (each part as a 16-bit value).
bool dateMarkIsToday(const CycleDate& mark, const LocalDate& today) noexcept;

// The "/s" run. True when a wallpaper was made (and recorded). With a
// picture per monitor the run takes the entries after the position, one per
// monitor (each drawn at random with Random), an entry that cannot be
// decoded passed over for the next as with one picture; the position ends
// on the last entry used. Where the position is held, the same entries as
// before are taken: those ending at the position.
bool runChangeCycle(Settings& s, CycleHost& host);
// The "/d" run: the current entry again with today's calendar, once a day
// (with a picture per monitor: the entries ending at the position).
bool runCalendarUpdate(Settings& s, CycleHost& host);
// The current entry (or entries, one per monitor) made the wallpaper again
// for the screen as it is now, whatever the day; nothing is recorded.
bool runRemakeCurrent(Settings& s, CycleHost& host);
// The resident process's redraw (at midnight, after a resume, an unlock, a
// change of clock, zone or display): today read again, then the current
// entry with today's calendar whatever the date mark says.
bool runCalendarRedraw(Settings& s, CycleHost& host);
// The resident process's timed change and its "next picture": today read
// again, then the next entry of the active list as the change run takes it,
// in order or at random, with Cycle off and the active list kept.
bool runTimedChange(Settings& s, CycleHost& host);
// The manual set: the shown list's caret entry becomes the position, the
// shown list the active one, and `path` the wallpaper.
bool runManualSet(Settings& s, CycleHost& host, const wchar_t* path, int caretIndex);

// The program's entry points (change_cycle_win.cpp), working on g_settings,
// the settings file and the desktop.
bool changeWallpaper();
void updateCalendarOnly();
bool redrawCalendarNow();
bool changeToNextPicture();
bool setShownAsWallpaper(const wchar_t* path, int caretIndex);
