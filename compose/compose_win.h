// The composer: turns the picture in CurrentImage into the finished
// wallpaper, a 24-bit bottom-up DIB section of exactly the screen's size
// (g_settings.screenWidth x screenHeight), with the margin colour, the
// picture placed by the placement settings and the calendar on top.
#pragma once

#include <windows.h>

#include <cstdint>
#include <span>

#include "base/owners_win.h"
#include "compose/monitor_layout.h"
#include "image/loaded_image.h"

// A 24-bit bottom-up DIB section and the record that describes it (header
// of its size, bits pointing at its pixels), owned together so that the
// record never outlives the pixels. Move-only; empty when it could not be
// made.
class WallpaperBitmap {
public:
    WallpaperBitmap() noexcept = default;
    WallpaperBitmap(WallpaperBitmap&& o) noexcept
        : section_(std::move(o.section_)), image_(o.image_) {
        o.image_.bits = nullptr;
    }
    WallpaperBitmap& operator=(WallpaperBitmap&& o) noexcept {
        if (this != &o) {
            section_ = std::move(o.section_);
            image_ = o.image_;
            o.image_.bits = nullptr;
        }
        return *this;
    }
    WallpaperBitmap(const WallpaperBitmap&) = delete;
    WallpaperBitmap& operator=(const WallpaperBitmap&) = delete;

    // A section of width x height made without a device context, its pixels
    // zero; empty when the system cannot make one.
    [[nodiscard]] static WallpaperBitmap create(int32_t width, int32_t height) noexcept;

    explicit operator bool() const noexcept { return static_cast<bool>(section_); }
    HBITMAP bitmap() const noexcept { return section_.get(); }
    // What the wallpaper file is written from.
    const LoadedImage& image() const noexcept { return image_; }

private:
    UniqueBitmap section_;
    LoadedImage image_{};
};

// Takes the picture out of CurrentImage (CurrentImage.bits is null from then
// on, and the picture's block is released on every path) and composes the
// wallpaper from it; empty on failure. A refused enlargement shows
// "壁紙作成に失敗しました。" before failing.
[[nodiscard]] WallpaperBitmap composeWallpaper() noexcept;

// The wallpaper of several monitors (monitor_layout.h): a bitmap of the
// virtual screen, the margin colour where no monitor lies, on each monitor
// its picture placed for that monitor's size (pictures[i] on monitor i, or
// the one picture on every monitor), the calendar on the main monitor only.
// `tiled` rotates the result into the tiled arrangement. The pictures are
// converted to 24 bits where needed; empty on failure.
[[nodiscard]] WallpaperBitmap composeMonitorsWallpaper(std::span<OwnedImage> pictures,
                                                       const MonitorLayout& layout,
                                                       bool tiled) noexcept;

// Fills width x height from the logical origin with the margin colour.
void fillMargin(HDC dc, int32_t width, int32_t height) noexcept;
