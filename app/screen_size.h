// The main screen's size for the wallpaper. A program that is not aware of
// the display's scaling (this one: its windows are laid out in pixels) is
// told a smaller, logical screen at 125 to 200 per cent (1280 x 720 on a
// 1920 x 1080 screen at 150 per cent); a wallpaper composed at that size is
// stretched by the system and comes out blurred. The wallpaper is composed
// at the physical size instead, and the calendar's lengths, which the user
// sets in the pixels the windows show, are multiplied by the scale.
#pragma once

#include <cstdint>
#include <vector>

#include "settings/settings.h"

// What the platform reports: the screen as the program's windows see it,
// and the current mode of the primary display device (0 where unknown).
struct ScreenMeasure {
    int32_t logicalWidth = 0;
    int32_t logicalHeight = 0;
    int32_t physicalWidth = 0;
    int32_t physicalHeight = 0;
};

// Sets screenWidth/screenHeight (physical: the wallpaper's size),
// logicalScreenWidth/logicalScreenHeight and screenScalePercent. A physical
// size that is missing, smaller than the logical one or of another shape
// (a mode that does not match the desktop) is not trusted: the logical size
// is used at 100 per cent.
void applyScreenMeasure(Settings& settings, const ScreenMeasure& measure) noexcept;

// Measures the main screen and every monitor now (Windows) and applies them
// to `settings` (the monitors go to settings.monitors); the start and every
// display change call this, so that the next wallpaper is composed for the
// layout of the moment.
void readScreenSize(Settings& settings) noexcept;

// Test hook: while set, readScreenSize uses this measure instead of the
// platform's (null removes it).
void setScreenMeasureForTesting(const ScreenMeasure* measure) noexcept;

// Test hook: while set, readScreenSize takes these monitors instead of the
// platform's (null removes it).
void setMonitorsForTesting(const std::vector<MonitorRect>* monitors) noexcept;
