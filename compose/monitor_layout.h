// Several monitors on one wallpaper: the bitmap covers the whole virtual
// screen (the smallest rectangle round every monitor, in physical pixels),
// each monitor gets its own picture placed for its own size, and the
// calendar goes on the main monitor. Portable arithmetic only; the composer
// draws with it.
//
// The desktop shows such a bitmap in one of two ways. Spanned (Windows 8 and
// later): the bitmap's top-left pixel lies at the virtual screen's top-left
// corner. Tiled (Windows 7 and earlier): desktop pixel (X, Y) shows bitmap
// pixel (X mod W, Y mod H), so the main monitor's corner is the bitmap's
// origin and monitors left of or above it wrap round to the right or bottom
// edge. The composer always draws the spanned arrangement; the tiled one is
// the same pixels rotated (wrapForTiling).
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "compose/placement.h"
#include "settings/settings.h"

struct MonitorLayout {
    int32_t width = 0, height = 0;  // the bitmap: the virtual screen
    // Each monitor's rectangle in the spanned bitmap, left to right (then
    // top to bottom); `main` indexes the main monitor.
    std::vector<PlaceRect> monitors;
    size_t main = 0;
    // The main monitor's corner in the spanned bitmap (minus the virtual
    // screen's top-left corner in desktop coordinates).
    int32_t originX = 0, originY = 0;
};

// The layout of `monitors` (desktop coordinates). Monitors without area are
// left out; empty (no monitors) when none is left or the virtual screen
// would be too large for one bitmap. Without a monitor marked main, the one
// at 0, 0 (else the first) is taken as main.
MonitorLayout layoutMonitors(std::span<const MonitorRect> monitors) noexcept;

// True when the wallpaper covers several monitors: the option is on and
// more than one monitor was measured.
bool spansMonitors(const Settings& s) noexcept;

// Number of pictures a change takes: one per monitor with "one each",
// otherwise one.
int picturesPerChange(const Settings& s) noexcept;

// Rotates a spanned bitmap's rows of pixels into the tiled arrangement:
// `to` pixel (c, r) = `from` pixel ((c + originX) mod width, (r + originY)
// mod height), rows counted from the top. Both blocks are bottom-up rows of
// `stride` bytes holding `width` pixels of `bytesPerPixel` bytes.
void wrapForTiling(const uint8_t* from, uint8_t* to, int32_t width, int32_t height, uint32_t stride,
                   int bytesPerPixel, int32_t originX, int32_t originY) noexcept;
