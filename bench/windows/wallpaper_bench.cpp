// The wallpaper change for a 4000 x 3000 picture onto a 1920 x 1080 screen:
// the whole "/s" run (settings file, decode, compose, calendar, write) and
// each of its parts on its own. Runs under Wine; prints the best and the
// median of a few rounds in milliseconds.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "app/change_cycle.h"
#include "app/headless_runs.h"
#include "base/output_file.h"
#include "base/owners_win.h"
#include "base/page_alloc.h"
#include "compose/calendar_draw_win.h"
#include "compose/compose_win.h"
#include "compose/wallpaper_output.h"
#include "decode/decoders.h"
#include "image/bmp_file.h"
#include "image/loaded_image.h"
#include "settings/settings.h"
#include "settings/settings_file.h"

namespace {

constexpr int kPictureWidth = 4000, kPictureHeight = 3000;
constexpr int kRounds = 7;

double nowMs() {
    LARGE_INTEGER f, t;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&t);
    return 1000.0 * static_cast<double>(t.QuadPart) / static_cast<double>(f.QuadPart);
}

// `prepare` runs untimed before each round, `work` is timed.
void measure(const char* name, const std::function<void()>& prepare,
             const std::function<void()>& work) {
    std::vector<double> ms;
    for (int i = 0; i < kRounds; ++i) {
        prepare();
        const double start = nowMs();
        work();
        ms.push_back(nowMs() - start);
    }
    std::sort(ms.begin(), ms.end());
    std::printf("%-38s best %8.1f ms   median %8.1f ms\n", name, ms.front(), ms[ms.size() / 2]);
}

std::wstring tempFolder() {
    wchar_t base[MAX_PATH];
    GetTempPathW(MAX_PATH, base);
    std::wstring folder =
        std::wstring(base) + L"tolvex_bench_" + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(folder.c_str(), nullptr);
    return folder + L"\\";
}

// A smooth 24-bit picture, written as a .bmp.
bool writePicture(const std::wstring& path) {
    const dib::BITMAPINFOHEADER h = dib::bottomUpHeader(kPictureWidth, kPictureHeight, 24);
    const uint32_t stride = rowStride(kPictureWidth, 24);
    PageBlock bits(size_t{stride} * kPictureHeight);
    if (!bits) return false;
    for (int y = 0; y < kPictureHeight; ++y) {
        uint8_t* row = bits.get() + size_t{stride} * y;
        for (int x = 0; x < kPictureWidth; ++x) {
            row[3 * x] = static_cast<uint8_t>(x * 255 / kPictureWidth);
            row[3 * x + 1] = static_cast<uint8_t>(y * 255 / kPictureHeight);
            row[3 * x + 2] = static_cast<uint8_t>((x + y) & 0xFF);
        }
    }
    return writeBmpFile(path.c_str(), h, nullptr, bits.get());
}

void useBenchScreen() {
    g_settings.screenWidth = 1920;
    g_settings.screenHeight = 1080;
    g_settings.cal.CalPosX = 1920 - 136;
    g_settings.cal.DispMonth = 3;
    g_settings.today = LocalDate{2024, 12, 17, 2};
}

void writeSettings(const std::wstring& ini, const std::wstring& picture) {
    const std::wstring text =
        L"[WP]\r\nListHold=1\r\nCalendar=1\r\nCycle=0\r\n[List]\r\nCount=1\r\n"
        L"WPNum=-1\r\n0=" +
        picture + L"\r\n";
    OutputFile f;
    const wchar_t bom = 0xFEFF;
    if (f.create(ini.c_str())) (void)(f.write(&bom, 2) && f.write(text.data(), text.size() * 2));
}

}  // namespace

int main() {
    const std::wstring folder = tempFolder();
    const std::wstring picture = folder + L"picture_4000x3000.bmp";
    const std::wstring ini = folder + L"Tolvex.ini";
    if (!writePicture(picture)) {
        std::printf("cannot write the test picture\n");
        return 1;
    }
    writeSettings(ini, picture);
    setSettingsFilePathForTesting(ini);
    std::printf("4000 x 3000 24-bit BMP onto 1920 x 1080, %d rounds\n", kRounds);

    measure(
        "whole /s run (settings, all parts)", [] {},
        [] {
            loadSettings();
            useBenchScreen();
            changeWallpaper();
        });

    loadSettings();
    useBenchScreen();
    // Each picture decoded is taken out of the slot again, so its block goes.
    measure(
        "decode (BMP reader)", [] { (void)takeCurrentImage(); },
        [&] { (void)loadImageFile(picture.c_str(), g_settings.SPI.c_str()); });
    (void)takeCurrentImage();

    g_settings.Calendar = 0;
    measure(
        "compose (halftone shrink)",
        [&] { (void)loadImageFile(picture.c_str(), g_settings.SPI.c_str()); },
        [] { (void)composeWallpaper(); });

    {
        const WallpaperBitmap section = WallpaperBitmap::create(1920, 1080);
        MemoryDc dc(CreateCompatibleDC(nullptr));
        SelectGuard use(dc.get(), section.bitmap());
        measure(
            "calendar (three months)", [] {},
            [&] {
                drawCalendar(dc.get(), g_settings.cal, g_settings.today,
                             CalendarSurface{g_settings.screenWidth, g_settings.screenHeight, 100});
                GdiFlush();
            });
    }

    g_settings.Calendar = 1;
    (void)loadImageFile(picture.c_str(), g_settings.SPI.c_str());
    const WallpaperBitmap wallpaper = composeWallpaper();
    const std::wstring output = folder + L"save_wp.bmp";
    measure(
        "write save_wp.bmp (6,220,854 bytes)", [] {},
        [&] { (void)writeWallpaperFile(output.c_str(), wallpaper.image()); });

    DeleteFileW(output.c_str());
    DeleteFileW((folder + L"save_wp.bmp").c_str());
    DeleteFileW(picture.c_str());
    DeleteFileW(ini.c_str());
    RemoveDirectoryW(folder.c_str());
    return 0;
}
