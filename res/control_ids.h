// Every resource, dialog and control identifier of the program, read by the
// resource scripts, the code and the tests alike. The dialog templates'
// identifiers are plain #defines, since the resource compiler reads them; the
// windows built in code (main window, folder window, About window) keep their
// identifiers as typed enums, which the resource compiler never sees.
#pragma once

// Icon and cursor.
#define IDI_TOLVEX 100
#define IDCUR_DRAG_FOLDER 110  // a folder dragged from the folder tree

// "リスト名変更".
#define IDD_RENAME 2000
#define IDC_RENAME_EDIT 2001
#define IDC_RENAME_LABEL 2002

// "カレンダー設定". The seven colour rows (year and month, weekday, Saturday,
// Sunday, holiday, shadow, today's frame) have consecutive swatch and "設定"
// button identifiers, in that order.
#define IDD_CALENDAR 2100
#define IDC_CAL_DEFAULT_COLORS 2101
#define IDC_CAL_COLOR_GROUP 2110
#define IDC_CAL_YEAR_MONTH_LABEL 2121
#define IDC_CAL_WEEKDAY_LABEL 2122
#define IDC_CAL_SATURDAY_LABEL 2123
#define IDC_CAL_SUNDAY_LABEL 2124
#define IDC_CAL_HOLIDAY_LABEL 2125
#define IDC_CAL_SHADOW_LABEL 2126
#define IDC_CAL_TODAY_PEN_LABEL 2127
#define IDC_CAL_TODAY_INVERT 2128
#define IDC_CAL_YEAR_MONTH_SWATCH 2130
#define IDC_CAL_WEEKDAY_SWATCH 2131
#define IDC_CAL_SATURDAY_SWATCH 2132
#define IDC_CAL_SUNDAY_SWATCH 2133
#define IDC_CAL_HOLIDAY_SWATCH 2134
#define IDC_CAL_SHADOW_SWATCH 2135
#define IDC_CAL_TODAY_PEN_SWATCH 2136
#define IDC_CAL_YEAR_MONTH_PICK 2140
#define IDC_CAL_WEEKDAY_PICK 2141
#define IDC_CAL_SATURDAY_PICK 2142
#define IDC_CAL_SUNDAY_PICK 2143
#define IDC_CAL_HOLIDAY_PICK 2144
#define IDC_CAL_SHADOW_PICK 2145
#define IDC_CAL_TODAY_PEN_PICK 2146
#define IDC_CAL_POSITION_GROUP 2150
#define IDC_CAL_X_LABEL 2151
#define IDC_CAL_X_EDIT 2152
#define IDC_CAL_X_UPDOWN 2153
#define IDC_CAL_Y_LABEL 2154
#define IDC_CAL_Y_EDIT 2155
#define IDC_CAL_Y_UPDOWN 2156
#define IDC_CAL_FONT_GROUP 2160
#define IDC_CAL_JAPANESE 2161
#define IDC_CAL_ENGLISH 2162
#define IDC_CAL_FACE 2163
#define IDC_CAL_SIZE_LABEL 2164
#define IDC_CAL_SIZE_EDIT 2165
#define IDC_CAL_SIZE_UPDOWN 2166
#define IDC_CAL_SPACE_LABEL 2170
#define IDC_CAL_SPACE_EDIT 2171
#define IDC_CAL_SPACE_UPDOWN 2172
#define IDC_CAL_BOLD 2173
#define IDC_CAL_ITALIC 2174
#define IDC_CAL_TITLE_GROUP 2180
#define IDC_CAL_YEAR_LABEL 2181
#define IDC_CAL_YEAR_SHOW 2182
#define IDC_CAL_YEAR_BEFORE 2183
#define IDC_CAL_YEAR_AFTER 2184
#define IDC_CAL_MONTH_LABEL 2185
#define IDC_CAL_MONTH_NUMBER 2186
#define IDC_CAL_MONTH_ENGLISH 2187
#define IDC_CAL_MONTH_SHORT 2188
#define IDC_CAL_MONTHS_LABEL 2190
#define IDC_CAL_MONTHS_1 2191
#define IDC_CAL_MONTHS_2 2192
#define IDC_CAL_MONTHS_3 2193

// "小さい画像 詳細設定" and "大きい画像 詳細設定".
#define IDD_SMALL_IMAGE 2200
#define IDC_SMALL_GROUP 2201
#define IDC_SMALL_KEEP_ASPECT 2202
#define IDC_SMALL_KEEP_INSIDE 2203
#define IDD_LARGE_IMAGE 2300
#define IDC_LARGE_GROUP 2301
#define IDC_LARGE_KEEP_ASPECT 2302
#define IDC_LARGE_KEEP_INSIDE 2303

// "オプション".
#define IDD_OPTIONS 2400
#define IDC_OPT_WHEEL_GROUP 2401
#define IDC_OPT_WHEEL_SCROLL 2402
#define IDC_OPT_WHEEL_SELECT 2403
#define IDC_OPT_MARGIN_LABEL 2404
#define IDC_OPT_MARGIN_SWATCH 2405
#define IDC_OPT_MARGIN_PICK 2406
#define IDC_OPT_USE_PLUGINS 2407
#define IDC_OPT_SEND_TO 2408
#define IDC_OPT_DESKTOP_START_LABEL 2409
#define IDC_OPT_DESKTOP_START 2410
#define IDC_OPT_DESKTOP_DATE_LABEL 2411
#define IDC_OPT_DESKTOP_DATE 2412
#define IDC_OPT_RESIDENT 2413
#define IDC_OPT_INTERVAL_LABEL 2414
#define IDC_OPT_INTERVAL 2415
#define IDC_OPT_HOTKEY_LABEL 2416
#define IDC_OPT_HOTKEY 2417
#define IDC_OPT_RESIDENT_GROUP 2418

// The notification-area icon's menu (resident mode).
#define IDM_RESIDENT_NEXT 2450
#define IDM_RESIDENT_CALENDAR 2451
#define IDM_RESIDENT_PAUSE 2452
#define IDM_RESIDENT_OPEN 2453
#define IDM_RESIDENT_EXIT 2454

// Options: several monitors.
#define IDC_OPT_MONITORS_LABEL 2420
#define IDC_OPT_MONITORS 2421

// "サイズ登録": five presets, each a width and a height edit box with
// consecutive identifiers.
#define IDD_SIZE_PRESETS 2500
#define IDC_SIZE_WIDTH_LABEL 2501
#define IDC_SIZE_HEIGHT_LABEL 2502
#define IDC_SIZE_PRESET_LABEL_1 2510
#define IDC_SIZE_PRESET_LABEL_2 2511
#define IDC_SIZE_PRESET_LABEL_3 2512
#define IDC_SIZE_PRESET_LABEL_4 2513
#define IDC_SIZE_PRESET_LABEL_5 2514
#define IDC_SIZE_WIDTH_1 2520
#define IDC_SIZE_WIDTH_2 2521
#define IDC_SIZE_WIDTH_3 2522
#define IDC_SIZE_WIDTH_4 2523
#define IDC_SIZE_WIDTH_5 2524
#define IDC_SIZE_HEIGHT_1 2530
#define IDC_SIZE_HEIGHT_2 2531
#define IDC_SIZE_HEIGHT_3 2532
#define IDC_SIZE_HEIGHT_4 2533
#define IDC_SIZE_HEIGHT_5 2534

#ifndef RC_INVOKED

// The main window's controls.
enum MainControlId : int {
    kIdTab = 1000,
    kIdFirstList = 1010,  // 1010..1017, one per list
    kIdPreview = 1020,
    kIdSizeText = 1021,
    kIdSetWallpaper = 1022,
    kIdCurrentWallpaper = 1023,
    kIdRename = 1030,
    kIdAddFiles = 1031,
    kIdAddFolder = 1032,
    kIdRemove = 1033,
    kIdClear = 1034,
    kIdOrderGroup = 1040,
    kIdRandom = 1041,
    kIdMoveUp = 1042,
    kIdMoveDown = 1043,
    kIdSort = 1044,
    kIdShuffle = 1045,
    kIdDisplayGroup = 1050,
    kIdCalendar = 1051,
    kIdCustomize = 1052,
    kIdSmallLabel = 1053,
    kIdSmallStyle = 1054,
    kIdSmallDetail = 1055,
    kIdLargeLabel = 1056,
    kIdLargeStyle = 1057,
    kIdLargeDetail = 1058,
    kIdAutoGroup = 1060,
    kIdStartup = 1061,
    kIdCycle = 1062,
    kIdCalendarOnly = 1063,
    kIdOtherGroup = 1070,
    kIdListHold = 1071,
    kIdOptions = 1072,
    kIdToolTip = 1073,
    kIdExit = 1080,
    kIdHelp = 1081,
    kIdAbout = 1082,
};

// The folder window's controls.
enum FolderControlId : int {
    kIdFolderTree = 1100,
    kIdFolderAddToList = 1101,
    kIdFolderSize = 1102,
    kIdFolderLabel = 1103,
    kIdFolderRegister = 1104,
    kIdFolderUnregister = 1105,
};

// The folder window's context-menu commands.
enum FolderCommand : unsigned {
    kFolderCmdAddToList = 5000,
    kFolderCmdRegister = 5010,
    kFolderCmdUnregister = 5011,
    kFolderCmdExplore = 5020,
    kFolderCmdSeparator = 6000,  // the menu's separators
};

// The About window's children.
enum AboutControlId : int {
    kIdAboutLink = 100,
    kIdAboutOk = 101,
    kIdAboutProgram = 102,
    kIdAboutMaker = 103,
    kIdAboutLibraries = 104,
};

#endif  // RC_INVOKED
