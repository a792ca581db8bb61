// Builds .bmp files for tests, independently of the program's own writer:
// any bit count, header length, compression value, masks and colour table,
// rows bottom-up (or top-down with a negative height). Header-only so that
// the Windows tests can use it as well.
#pragma once

#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace testbmp {

struct BmpLayout {
    int32_t width = 1;
    int32_t height = 1;  // negative: rows stored top-down
    uint16_t bits = 24;
    uint32_t compression = 0;
    uint32_t infoSize = 40;  // 40, 52, 56, 108 or 124
    uint32_t clrUsed = 0;
    // Colour table entries as 0xRRGGBB, written blue, green, red, 0. When
    // empty, a bit count of 8 or less gets 2^bits generated colours.
    std::vector<uint32_t> palette;
    bool noPalette = false;
    // Bit-field masks (red, green, blue). Written after a 40-byte header when
    // writeMasks is set, inside a longer header at the same offset (54).
    uint32_t masks[3] = {0, 0, 0};
    bool writeMasks = false;
    int32_t xPelsPerMeter = 0;
    int32_t yPelsPerMeter = 0;
    uint32_t padByte = 0;  // value written into row padding
};

// A colour for palette index i that differs in every channel.
inline uint32_t testColour(uint32_t i) {
    return ((i * 37 + 11) & 0xFF) << 16 | ((i * 91 + 3) & 0xFF) << 8 | ((i * 53 + 200) & 0xFF);
}

inline void put16(std::vector<uint8_t>& v, size_t at, uint32_t x) {
    v[at] = static_cast<uint8_t>(x);
    v[at + 1] = static_cast<uint8_t>(x >> 8);
}
inline void put32(std::vector<uint8_t>& v, size_t at, uint32_t x) {
    put16(v, at, x & 0xFFFF);
    put16(v, at + 2, x >> 16);
}

inline uint32_t storedRowBytes(int32_t width, int bits) {
    return ((static_cast<uint32_t>(width) * bits + 31) / 32) * 4;
}

// `pixel(x, y)`, with y = 0 the top row of the picture, gives the stored
// value: a palette index for 1, 4 and 8 bits, 0xRRGGBB for 24 bits, the raw
// little-endian pixel word for 16 and 32 bits.
inline std::vector<uint8_t> make(const BmpLayout& s,
                                 const std::function<uint32_t(int, int)>& pixel) {
    std::vector<uint32_t> pal = s.palette;
    if (pal.empty() && s.bits <= 8 && !s.noPalette)
        for (uint32_t i = 0; i < (1u << s.bits); ++i) pal.push_back(testColour(i));
    const bool masksAfterHeader = s.writeMasks && s.infoSize == 40;
    const uint32_t tableAt = 14 + s.infoSize + (masksAfterHeader ? 12 : 0);
    const uint32_t offBits = tableAt + 4 * static_cast<uint32_t>(pal.size());
    const int32_t h = s.height < 0 ? -s.height : s.height;
    const uint32_t rowBytes = storedRowBytes(s.width, s.bits);
    std::vector<uint8_t> f(offBits + size_t{rowBytes} * h, 0);
    f[0] = 'B';
    f[1] = 'M';
    put32(f, 2, static_cast<uint32_t>(f.size()));
    put32(f, 10, offBits);
    put32(f, 14, s.infoSize);
    put32(f, 18, static_cast<uint32_t>(s.width));
    put32(f, 22, static_cast<uint32_t>(s.height));
    put16(f, 26, 1);
    put16(f, 28, s.bits);
    put32(f, 30, s.compression);
    put32(f, 34, rowBytes * h);
    put32(f, 38, static_cast<uint32_t>(s.xPelsPerMeter));
    put32(f, 42, static_cast<uint32_t>(s.yPelsPerMeter));
    put32(f, 46, s.clrUsed);
    if (s.writeMasks) {
        put32(f, 54, s.masks[0]);
        put32(f, 58, s.masks[1]);
        put32(f, 62, s.masks[2]);
    }
    if (s.infoSize >= 108) f[14 + 56] = 'B', f[14 + 57] = 'G', f[14 + 58] = 'R', f[14 + 59] = 's';
    for (size_t i = 0; i < pal.size(); ++i) {
        f[tableAt + 4 * i] = static_cast<uint8_t>(pal[i]);
        f[tableAt + 4 * i + 1] = static_cast<uint8_t>(pal[i] >> 8);
        f[tableAt + 4 * i + 2] = static_cast<uint8_t>(pal[i] >> 16);
    }
    for (int32_t y = 0; y < h; ++y) {
        // Stored row r holds picture row h-1-r for bottom-up files.
        const int32_t r = s.height < 0 ? y : h - 1 - y;
        uint8_t* row = &f[offBits + size_t{rowBytes} * r];
        uint32_t used = 0;
        for (int32_t x = 0; x < s.width; ++x) {
            const uint32_t v = pixel(x, y);
            switch (s.bits) {
                case 1:
                    row[x / 8] |= static_cast<uint8_t>((v & 1) << (7 - x % 8));
                    break;
                case 4:
                    row[x / 2] |= static_cast<uint8_t>((v & 15) << (x % 2 ? 0 : 4));
                    break;
                case 8:
                    row[x] = static_cast<uint8_t>(v);
                    break;
                case 16:
                    row[2 * x] = static_cast<uint8_t>(v);
                    row[2 * x + 1] = static_cast<uint8_t>(v >> 8);
                    break;
                case 24:
                    row[3 * x] = static_cast<uint8_t>(v);
                    row[3 * x + 1] = static_cast<uint8_t>(v >> 8);
                    row[3 * x + 2] = static_cast<uint8_t>(v >> 16);
                    break;
                case 32:
                    for (int k = 0; k < 4; ++k) row[4 * x + k] = static_cast<uint8_t>(v >> (8 * k));
                    break;
                default:
                    break;
            }
        }
        used = (static_cast<uint32_t>(s.width) * s.bits + 7) / 8;
        for (uint32_t k = used; k < rowBytes; ++k) row[k] = static_cast<uint8_t>(s.padByte);
    }
    return f;
}

// A deterministic pixel pattern that exercises every bit of a value.
inline uint32_t patternValue(int x, int y, int bits) {
    const uint32_t v = static_cast<uint32_t>(x * 7919 + y * 104729 + x * y * 31) * 2654435761u;
    if (bits >= 32) return v;
    if (bits <= 0) return 0;
    return v >> (32 - bits);
}

}  // namespace testbmp
