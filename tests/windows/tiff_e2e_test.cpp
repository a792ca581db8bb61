// The real program with a compressed TIFF: Tolvex.exe "/s" beside a
// Tolvex.ini whose list holds one LZW TIFF (with the horizontal predictor,
// so the colour only comes out right when the differences are undone) makes
// it the wallpaper.
#include <windows.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "support/harness.h"

namespace {

// TIFF LZW codes, 9 bits wide: a clear code every 250 codes keeps the table
// below the first width change (which the native tests check against
// libtiff), most significant bit first.
class LzwWriter {
public:
    std::vector<uint8_t> encode(const std::vector<uint8_t>& data) {
        put(kClear);
        std::map<std::pair<int, uint8_t>, int> table;
        int next = 258, codes = 0, prefix = -1;
        for (uint8_t byte : data) {
            if (prefix < 0) {
                prefix = byte;
                continue;
            }
            const auto found = table.find({prefix, byte});
            if (found != table.end()) {
                prefix = found->second;
                continue;
            }
            put(prefix);
            table[{prefix, byte}] = next++;
            prefix = byte;
            if (++codes == 250) {
                put(kClear);
                table.clear();
                next = 258;
                codes = 0;
            }
        }
        if (prefix >= 0) put(prefix);
        put(kEnd);
        if (bits_ != 0) out_.push_back(static_cast<uint8_t>(buffer_ << (8 - bits_)));
        return out_;
    }

private:
    static constexpr int kClear = 256, kEnd = 257;
    void put(int code) {
        buffer_ = buffer_ << 9 | static_cast<uint32_t>(code);
        bits_ += 9;
        while (bits_ >= 8) {
            bits_ -= 8;
            out_.push_back(static_cast<uint8_t>(buffer_ >> bits_));
        }
    }
    std::vector<uint8_t> out_;
    uint32_t buffer_ = 0;
    int bits_ = 0;
};

// A little-endian RGB TIFF of one colour, one LZW strip, predictor 2.
std::string lzwTiff(uint32_t w, uint32_t h, uint8_t r, uint8_t g, uint8_t b) {
    std::vector<uint8_t> rows(size_t(w) * h * 3, 0);
    for (uint32_t y = 0; y < h; ++y) {  // differences: the first pixel, then zeros
        rows[size_t(y) * w * 3] = r;
        rows[size_t(y) * w * 3 + 1] = g;
        rows[size_t(y) * w * 3 + 2] = b;
    }
    const std::vector<uint8_t> strip = LzwWriter().encode(rows);
    std::string f = "II*";
    f += '\0';
    auto u16 = [&f](uint32_t v) {
        f += static_cast<char>(v & 0xFF);
        f += static_cast<char>(v >> 8 & 0xFF);
    };
    auto u32 = [&](uint32_t v) {
        u16(v & 0xFFFF);
        u16(v >> 16);
    };
    const uint32_t bitsAt = 8, stripAt = 16;
    const uint32_t dirAt = stripAt + static_cast<uint32_t>(strip.size() + 1) / 2 * 2;
    u32(dirAt);
    u16(8), u16(8), u16(8), u16(0);  // BitsPerSample values, padding
    f.append(strip.begin(), strip.end());
    if (f.size() % 2) f += '\0';
    const struct {
        uint16_t tag, type;
        uint32_t count, value;
    } entries[] = {{256, 4, 1, w}, {257, 4, 1, h}, {258, 3, 3, bitsAt},
                   {259, 3, 1, 5}, {262, 3, 1, 2}, {273, 4, 1, stripAt},
                   {277, 3, 1, 3}, {278, 4, 1, h}, {279, 4, 1, static_cast<uint32_t>(strip.size())},
                   {317, 3, 1, 2}};
    u16(static_cast<uint32_t>(std::size(entries)));
    for (const auto& e : entries) {
        u16(e.tag), u16(e.type), u32(e.count);
        u32(e.value);
    }
    u32(0);
    return f;
}

TEST(TiffWallpaper, LzwTiffBecomesTheWallpaper) {
    harness::TempFolder dir;
    const std::wstring exe = harness::copyTolvex(dir.path());
    ASSERT_TRUE(harness::fileExists(exe));
    const int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
    const std::wstring picture = dir.file(L"scan.tif");
    harness::writeBytes(picture, lzwTiff(uint32_t(sw) + 16, uint32_t(sh) + 16, 0x20, 0xA0, 0x60));
    harness::writeUtf16File(dir.file(L"Tolvex.ini"),
                            L"[WP]\r\nCalendar=0\r\nStyleB=1\r\nWpOptB0=1\r\nWpOptB1=0\r\n"
                            L"Cycle=0\r\nListHold=1\r\n[List]\r\nCount=1\r\nWPNum=-1\r\n0=" +
                                picture + L"\r\n");
    for (int i = 0; i < 500 && FindWindowW(L"Tolvex_main_class", nullptr); ++i) Sleep(20);
    ASSERT_TRUE(harness::run(exe, L"/s", 60000).has_value()) << "the run did not end";

    // The middle of the wallpaper file shows the picture's colour.
    const std::string bmp = harness::readBytes(dir.file(L"save_wp.bmp"));
    const uint32_t stride = (3u * uint32_t(sw) + 3) & ~3u;
    const size_t at = 54 + size_t{stride} * (sh / 2) + 3 * (sw / 2);
    ASSERT_GE(bmp.size(), at + 3);
    EXPECT_EQ(uint8_t(bmp[at]), 0x60);  // blue, green, red
    EXPECT_EQ(uint8_t(bmp[at + 1]), 0xA0);
    EXPECT_EQ(uint8_t(bmp[at + 2]), 0x20);
    EXPECT_EQ(harness::iniValue(dir.file(L"Tolvex.ini"), L"List", L"WPNum"), L"0");
}

}  // namespace
