// Row reconstruction for the PNG decoder: one routine per filter type and
// pixel format, chosen once per image (and per interlace pass), so the loops
// over pixels carry no format tests. Each routine undoes the row's filter in
// place and writes the pixels straight into the final bottom-up bitmap.
#pragma once

#include <cstddef>
#include <cstdint>

namespace png {

// The pixel formats of the decoder: which bytes of a filtered row make up a
// pixel and what the bitmap receives for it.
enum class PixelFormat : uint8_t {
    Packed1,      // depth 1, grey or palette: one index byte per pixel
    Packed2,      // depth 2
    Packed4,      // depth 4
    Index8,       // depth 8 grey or palette: the byte as it is
    GreyAlpha8,   // grey byte blended by its alpha
    Rgb8,         // stored blue, green, red
    Rgba8,        // blended by its alpha, stored blue, green, red
    Grey16,       // high byte of the sample
    GreyAlpha16,  // high bytes of grey and alpha
    Rgb16,        // high bytes, stored blue, green, red
    Rgba16,       // high bytes, blended, stored blue, green, red
};
inline constexpr int kPixelFormatCount = 11;

// Transparency is flattened while the rows are written: the bitmap has no
// alpha. `product` is the 256 x 256 blend table T (T[a * 256 + c] = c scaled
// by a / 255, rounded the decoder's way); `backPart[a]` holds the
// background's share at alpha a: T[255 - a][blue], [green], [red], unused.
struct Blend {
    uint8_t colour[4];  // red, green, blue, unused
    const uint8_t* product;
    uint8_t backPart[256][4];
};

// Row routines may read and write up to this many bytes past the end of a
// row buffer (pixels are moved 4 bytes at a time); the buffers carry it.
inline constexpr size_t kRowSlack = 16;

// One row's work.
struct RowJob {
    uint8_t* cur;          // the row's filtered bytes (after the filter-type byte)
    const uint8_t* prior;  // the reconstructed row above in the same pass, zeros for the first
    uint32_t pixels;       // pixels in the row (> 0)
    uint8_t* out;          // where the row's first pixel goes in the bitmap
    uint32_t pixelStep;    // bitmap pixels between two decoded pixels (Adam7 column increment)
    const Blend* blend;    // alpha formats only
};
using RowRoutine = void (*)(const RowJob&) noexcept;

// The instruction sets the routines come in; each gives the same results.
enum class RowSimd : uint8_t { None, Sse2, Ssse3 };
// The best set this processor runs (asked of the processor once).
RowSimd rowSimdAvailable() noexcept;

// The five routines (filter types 0 None, 1 Sub, 2 Up, 3 Average, 4 Paeth) of
// a format; `spaced` for rows whose pixels are not adjacent in the bitmap.
// The set the processor runs best:
const RowRoutine* rowRoutines(PixelFormat format, bool spaced) noexcept;
// A given set, which must not be more than rowSimdAvailable(); sets this
// build lacks (SIMD off x86) give the portable routines.
const RowRoutine* rowRoutines(PixelFormat format, bool spaced, RowSimd simd) noexcept;
// The set without SIMD, for processors without SSE2.
const RowRoutine* portableRowRoutines(PixelFormat format, bool spaced) noexcept;

// The blend table T: T[a][b] = T[b][a], T[0][x] = 0, T[255][x] = x, and for
// 1 <= i <= j <= 254, T[i][j] = (j * floor(i * 65536 / 255) + 32768) / 65536.
// Built once, on first use.
const uint8_t* productTable() noexcept;

}  // namespace png
