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

struct WallpaperList {
    std::wstring Name;
    int32_t Count = 0;
    int32_t WPNum = -1;
    int32_t selectedIndex = -1;
};

struct CalendarStyle {
    ColorRef YearMonth = 12648447;
    ColorRef Weekday = 16777215;
    ColorRef Saturday = 16769152;
    ColorRef Sunday = 12615935;
    ColorRef Holiday = 12615935;
    ColorRef TextShadow = 0;
    ColorRef TodayPen = 49152;
    uint8_t TodayNot = 1;
    int32_t CalPosX = 0;
    int32_t CalPosY = 10;
    std::wstring FaceA = L"MS UI Gothic";
    std::wstring FaceS = L"MS UI Gothic";
    uint8_t CharSet = 128;
    int32_t FtSize = 10;
    int32_t DaySpace = 4;
    int32_t Weight = 400;
    uint8_t Italic = 0;
    uint8_t YearDisp = 1;
    uint8_t YearPos = 0;
    uint8_t MonthName = 0;
    uint8_t MonthShort = 0;
    int32_t DispMonth = 1;
};

struct Settings {
    // Section WP.
    ColorRef BgColor = 0;
    uint8_t Random = 0;
    uint8_t Calendar = 1;
    int32_t StyleS = 0;
    uint8_t StyleB = 1;
    uint8_t WpOptS0 = 1;
    uint8_t WpOptS1 = 0;
    uint8_t WpOptB0 = 1;
    uint8_t WpOptB1 = 0;
    uint8_t Cycle = 0;
    uint8_t ListHold = 0;
    uint8_t ToolTip = 1;
    uint8_t WheelSel = 0;
    uint8_t WpNoChg = 0;
    int32_t ActList = 0;

    // Section Cal.
    CalendarStyle cal;
    ColorRef CRGB[16] = {16777215, 16777215, 16777215, 16777215, 16777215, 16777215,
                         16777215, 16777215, 16777215, 16777215, 16777215, 16777215,
                         16777215, 16777215, 16777215, 16777215};

    // Sections List ... List8.
    WallpaperList lists[kListCount];

    // Section Path.
    std::wstring SPI;

    // Section TWin.
    int32_t PresetW[5] = {0, 800, 1024, 1280, 1280};
    int32_t PresetH[5] = {0, 600, 768, 800, 1024};
    int32_t AddImgSize = 0;
    uint8_t DTExpand = 1;
    uint8_t LRExpand = 1;

    // Not stored as such.
    int32_t screenWidth = 0;
    int32_t screenHeight = 0;
    LocalDate today;
    int32_t activeList = 0;
    int32_t shownList = 0;
    int32_t minAddWidth = 0;
    int32_t minAddHeight = 0;
    std::vector<std::wstring> registeredFolders;
};

extern Settings g_settings;
