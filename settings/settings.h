// The process-wide configuration. Stored fields carry the settings keys'
// names; a few fields below are not stored as such (screen size, today,
// activeList/shownList, the size preset, the registered folders).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

using ColorRef = uint32_t;  // 0x00BBGGRR

inline constexpr int kListCount = 8;
inline constexpr int kMaxRegisteredFolders = 100;
inline constexpr int kMaxPathChars = 260;

struct LocalDate {
    int year = 0;
    int month = 0;      // 1-12
    int day = 0;        // 1-31
    int dayOfWeek = 0;  // 0 = Sunday
    int hour = 0, minute = 0, second = 0;
};

// One monitor in physical pixels, in desktop coordinates (the main monitor's
// top-left corner is 0, 0; monitors left of or above it are negative).
struct MonitorRect {
    int32_t x = 0, y = 0, width = 0, height = 0;
    bool main = false;
    friend bool operator==(const MonitorRect&, const MonitorRect&) = default;
};

// The WP key Monitors: what several monitors show.
inline constexpr int32_t kMonitorsOff = 0;   // one picture for the main monitor
inline constexpr int32_t kMonitorsSame = 1;  // one picture, placed for each monitor
inline constexpr int32_t kMonitorsEach = 2;  // the list's next entries, one per monitor

struct WallpaperList {
    std::wstring Name;
    int32_t Count = 0;
    int32_t WPNum = -1;
    int32_t selectedIndex = -1;
};

// The calendar's look: the keys of section Cal (all but the custom colours).
// Defaults come from the key table (settings_keys.cpp).
struct CalendarStyle {
    CalendarStyle();

    ColorRef YearMonth{};
    ColorRef Weekday{};
    ColorRef Saturday{};
    ColorRef Sunday{};
    ColorRef Holiday{};
    ColorRef TextShadow{};
    ColorRef TodayPen{};
    uint8_t TodayNot{};
    int32_t CalPosX{};
    int32_t CalPosY{};
    std::wstring FaceA;
    std::wstring FaceS;
    uint8_t CharSet{};
    int32_t FtSize{};
    int32_t DaySpace{};
    int32_t Weight{};
    uint8_t Italic{};
    uint8_t YearDisp{};
    uint8_t YearPos{};
    uint8_t MonthName{};
    uint8_t MonthShort{};
    int32_t DispMonth{};
};

// Stored fields start at their keys' defaults, which the key table
// (settings_keys.cpp) holds.
struct Settings {
    Settings();

    // Section WP.
    ColorRef BgColor{};
    uint8_t Random{};
    uint8_t Calendar{};
    int32_t StyleS{};
    uint8_t StyleB{};
    uint8_t WpOptS0{};
    uint8_t WpOptS1{};
    uint8_t WpOptB0{};
    uint8_t WpOptB1{};
    uint8_t Cycle{};
    uint8_t ListHold{};
    uint8_t ToolTip{};
    uint8_t WheelSel{};
    uint8_t WpNoChg{};
    int32_t ActList{};
    int32_t Monitors{};  // kMonitorsOff, kMonitorsSame or kMonitorsEach

    // Section Cal.
    CalendarStyle cal;
    ColorRef CRGB[16]{};

    // Sections List ... List8.
    WallpaperList lists[kListCount];

    // Section Path.
    std::wstring SPI;

    // Section TWin.
    int32_t PresetW[5]{};
    int32_t PresetH[5]{};
    int32_t AddImgSize{};
    uint8_t DTExpand{};
    uint8_t LRExpand{};

    // Section Resident: staying in the notification area after a run, the
    // automatic change's interval in minutes (0: none), and the hotkey for the
    // next picture as the hotkey control gives it (0: none).
    uint8_t On{};
    int32_t Interval{};
    int32_t HotKey{};

    // Not stored as such.
    // The wallpaper's size: the main screen in physical pixels.
    int32_t screenWidth = 0;
    int32_t screenHeight = 0;
    // The screen as the program's windows see it, and the display scale
    // between the two (100 at 100 per cent; 0 sizes: as screenWidth/Height).
    int32_t logicalScreenWidth = 0;
    int32_t logicalScreenHeight = 0;
    int32_t screenScalePercent = 100;
    // Every monitor, measured with the main screen (empty where unknown).
    std::vector<MonitorRect> monitors;
    LocalDate today;
    int32_t activeList = 0;
    int32_t shownList = 0;
    int32_t minAddWidth = 0;
    int32_t minAddHeight = 0;
    std::vector<std::wstring> registeredFolders;
};

// The screen as windows see it, falling back on the wallpaper's size where
// no logical size was measured (tests that set only screenWidth/Height).
inline int32_t windowScreenWidth(const Settings& s) noexcept {
    return s.logicalScreenWidth > 0 ? s.logicalScreenWidth : s.screenWidth;
}
inline int32_t windowScreenHeight(const Settings& s) noexcept {
    return s.logicalScreenHeight > 0 ? s.logicalScreenHeight : s.screenHeight;
}

extern Settings g_settings;
