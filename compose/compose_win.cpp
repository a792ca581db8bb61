#include "compose/compose_win.h"

#include <algorithm>
#include <utility>

#include "base/page_alloc.h"
#include "compose/calendar_draw_win.h"
#include "compose/placement.h"
#include "image/convert.h"
#include "image/scale.h"
#include "settings/settings.h"

namespace {

constexpr bool on(uint8_t flag) noexcept { return (flag & 1) != 0; }

// A picture's header and palette as GDI takes them.
const BITMAPINFO* infoOf(const LoadedImage& image) noexcept {
    return reinterpret_cast<const BITMAPINFO*>(&image);
}
const BITMAPINFO* infoOf(const OwnedImage& picture) noexcept { return infoOf(picture.record()); }

void drawPlaced(HDC dc, const OwnedImage& picture, const Placement& p) noexcept {
    if (p.fillMargin) fillMargin(dc);
    StretchDIBits(dc, p.dest.x, p.dest.y, p.dest.width, p.dest.height, p.src.x, p.src.y,
                  p.src.width, p.src.height, picture.bits(), infoOf(picture), DIB_RGB_COLORS,
                  SRCCOPY);
}

// The window our messages belong to: the main window, or the hidden one of a
// headless run; both are of the main class and live on this thread.
BOOL CALLBACK findMainWindow(HWND window, LPARAM found) {
    wchar_t name[32];
    if (GetClassNameW(window, name, 32) && lstrcmpW(name, L"Tolvex_main_class") == 0) {
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }
    return TRUE;
}

void showCompositionFailure() noexcept {
    HWND owner = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), findMainWindow, reinterpret_cast<LPARAM>(&owner));
    MessageBoxW(owner, L"壁紙作成に失敗しました。", L"Error", MB_ICONERROR | MB_SETFOREGROUND);
}

// "拡大": our own scaler enlarges the picture (at most twice a direction),
// then the rectangle rule places it 1:1 or cropped.
bool drawEnlarged(HDC dc, OwnedImage& picture, int32_t sw, int32_t sh) noexcept {
    const int32_t iw = picture.header().biWidth;
    const int32_t ih = picture.header().biHeight;
    const bool keepAspect = on(g_settings.WpOptS0);
    const bool fitInside = on(g_settings.WpOptS1);
    const PlaceSize target = enlargeTarget(keepAspect, fitInside, sw, sh, iw, ih);

    PageBlock scaled(pixelBlockSize(target.width, target.height, 24));
    ScaleRequest request;
    request.width = iw;
    request.height = ih;
    request.source = picture.bits();
    request.destination = scaled.get();
    if (!scaled || !scaleImage(request, target.width, target.height)) {
        showCompositionFailure();
        return false;
    }
    picture.replacePixels(std::move(scaled), target.width, target.height, 24);
    drawPlaced(dc, picture,
               placeByRule(keepAspect, fitInside, sw, sh, target.width, target.height));
    return true;
}

// "並列": tiles from the top-left corner, the last row and column cut off.
// The first tile is drawn from the picture; the rest are copies of what is
// already on the surface, doubling the covered width, then the height, so a
// tiny picture costs a few dozen copies instead of one call per tile.
void drawTiled(HDC dc, const OwnedImage& picture, int32_t sw, int32_t sh) noexcept {
    const int32_t iw = picture.header().biWidth;
    const int32_t ih = picture.header().biHeight;
    SetDIBitsToDevice(dc, 0, 0, iw, ih, 0, 0, 0, ih, picture.bits(), infoOf(picture),
                      DIB_RGB_COLORS);
    GdiFlush();
    // Every copied span is a whole number of tiles wide (or high), so each
    // pixel lands on the one of the same place in its own tile.
    for (int32_t w = iw; w < sw; w *= 2)
        BitBlt(dc, w, 0, std::min(w, sw - w), ih, dc, 0, 0, SRCCOPY);
    for (int32_t h = ih; h < sh; h *= 2)
        BitBlt(dc, 0, h, sw, std::min(h, sh - h), dc, 0, 0, SRCCOPY);
}

bool drawSmall(HDC dc, OwnedImage& picture, int32_t sw, int32_t sh) noexcept {
    const int32_t iw = picture.header().biWidth;
    const int32_t ih = picture.header().biHeight;
    switch (smallPlacement(g_settings.StyleS)) {
        case SmallPlacement::ActualSize:
            drawPlaced(dc, picture, placeCentred(sw, sh, iw, ih));
            return true;
        case SmallPlacement::Enlarge:
            return drawEnlarged(dc, picture, sw, sh);
        case SmallPlacement::Tile:
            drawTiled(dc, picture, sw, sh);
            return true;
    }
    return false;  // a mode read from the file that the program does not know
}

void drawLarge(HDC dc, const OwnedImage& picture, int32_t sw, int32_t sh) noexcept {
    const int32_t iw = picture.header().biWidth;
    const int32_t ih = picture.header().biHeight;
    switch (largePlacement(g_settings.StyleB)) {
        case LargePlacement::ActualSize:
            drawPlaced(dc, picture, placeActualSize(sw, sh, iw, ih));
            break;
        case LargePlacement::Shrink:
            drawPlaced(dc, picture,
                       placeByRule(on(g_settings.WpOptB0), on(g_settings.WpOptB1), sw, sh, iw, ih));
            break;
    }
}

}  // namespace

WallpaperBitmap WallpaperBitmap::create(int32_t width, int32_t height) noexcept {
    WallpaperBitmap made;
    made.image_.header = dib::bottomUpHeader(width, height, 24);
    void* pixels = nullptr;
    UniqueBitmap section(
        CreateDIBSection(nullptr, infoOf(made.image_), DIB_RGB_COLORS, &pixels, nullptr, 0));
    if (!section || !pixels) return {};
    made.section_ = std::move(section);
    made.image_.bits = static_cast<uint8_t*>(pixels);
    return made;
}

void fillMargin(HDC dc) noexcept {
    UniqueBrush brush(CreateSolidBrush(g_settings.BgColor));
    const RECT all{0, 0, g_settings.screenWidth, g_settings.screenHeight};
    FillRect(dc, &all, brush.get());
}

WallpaperBitmap composeWallpaper() noexcept {
    // The picture leaves the slot here, and its block goes with `picture` on
    // every way out of this function.
    OwnedImage picture = takeCurrentImage();
    const int32_t sw = g_settings.screenWidth;
    const int32_t sh = g_settings.screenHeight;
    if (!picture || sw <= 0 || sh <= 0 || !convertTo24Bits(picture)) return {};
    const int32_t iw = picture.header().biWidth;
    const int32_t ih = picture.header().biHeight;
    // A record whose sides make no block has nothing to draw (and a width of
    // 0 would never finish tiling).
    if (pixelBlockSize(iw, ih, 24) == 0) return {};

    WallpaperBitmap wallpaper = WallpaperBitmap::create(sw, sh);
    if (!wallpaper) return {};
    MemoryDc memory;
    {
        WindowDc screen(nullptr);
        memory = MemoryDc(CreateCompatibleDC(screen.get()));
    }
    if (!memory) return {};
    // Declared after the section, so the section is selected out again
    // before anything is deleted.
    SelectGuard useSection(memory.get(), wallpaper.bitmap());
    if (!useSection.selected()) return {};
    HDC dc = memory.get();
    SetStretchBltMode(dc, HALFTONE);
    SetBrushOrgEx(dc, 0, 0, nullptr);

    if (isSmallPicture(iw, ih, sw, sh)) {
        if (!drawSmall(dc, picture, sw, sh)) return {};
    } else {
        drawLarge(dc, picture, sw, sh);
    }
    GdiFlush();
    if (on(g_settings.Calendar))
        drawCalendar(dc, g_settings.cal, g_settings.today,
                     CalendarSurface{sw, sh, g_settings.screenScalePercent});
    GdiFlush();
    return wallpaper;
}
