#include "decode/png_rows.h"

#include <cstring>

#if defined(__i386__) || defined(__x86_64__)
#define PNG_ROWS_X86 1
#include <emmintrin.h>
#include <tmmintrin.h>
#endif

// The SIMD sets are compiled for their instruction sets function by function
// (every function between BEGIN and END carries the target attribute), so the
// rest of the program keeps the build's baseline and runs on any processor;
// rowRoutines() hands them out only when the processor has the instructions.
#if defined(__clang__)
#define PNG_ROWS_TARGET_BEGIN(isa) \
    _Pragma(PNG_ROWS_STR(clang attribute push(__attribute__((target(isa))), apply_to = function)))
#define PNG_ROWS_TARGET_END _Pragma("clang attribute pop")
#else
#define PNG_ROWS_TARGET_BEGIN(isa) \
    _Pragma("GCC push_options") _Pragma(PNG_ROWS_STR(GCC target(isa)))
#define PNG_ROWS_TARGET_END _Pragma("GCC pop_options")
#endif
#define PNG_ROWS_STR(x) #x

namespace png {
namespace {

namespace portable {
#include "decode/png_rows_generic.inc"
}  // namespace portable

#ifdef PNG_ROWS_X86
PNG_ROWS_TARGET_BEGIN("sse2")
namespace sse2 {
#include "decode/png_rows_generic.inc"

// 8-bit RGB and RGBA: each pixel of Sub, Average and Paeth depends on the one
// to its left, so the work goes one pixel at a time with its samples side by
// side in one register, and the pixel is turned into blue-green-red (and
// blended by its alpha) while that chain waits. Pixels are read and written
// 4 bytes at a time: the row buffers carry slack, the next pixel is read
// before the current one is stored back, and a 4-byte store into the bitmap
// only runs over into the next pixel's place, written right after (the last
// pixel of a row, and spaced rows, get exact 3-byte stores).
inline __m128i load4(const uint8_t* p) noexcept {
    uint32_t v;
    std::memcpy(&v, p, 4);
    return _mm_cvtsi32_si128(static_cast<int>(v));
}
inline void store4(uint8_t* p, __m128i v) noexcept {
    const uint32_t b = static_cast<uint32_t>(_mm_cvtsi128_si32(v));
    std::memcpy(p, &b, 4);
}
inline void store3(uint8_t* p, __m128i v) noexcept {
    const uint32_t b = static_cast<uint32_t>(_mm_cvtsi128_si32(v));
    p[0] = static_cast<uint8_t>(b);
    p[1] = static_cast<uint8_t>(b >> 8);
    p[2] = static_cast<uint8_t>(b >> 16);
}
inline __m128i abs16(__m128i v) noexcept {
    return _mm_max_epi16(v, _mm_sub_epi16(_mm_setzero_si128(), v));
}

// The Paeth predictor of 16-bit lanes: a (left), b (up) or c (up-left),
// whichever is nearest to a + b - c, ties going to a, then b.
inline __m128i paeth16(__m128i a, __m128i b, __m128i c) noexcept {
    const __m128i bc = _mm_sub_epi16(b, c);
    const __m128i ac = _mm_sub_epi16(a, c);
    const __m128i pa = abs16(bc);
    const __m128i pb = abs16(ac);
    const __m128i pc = abs16(_mm_add_epi16(ac, bc));
    const __m128i smallest = _mm_min_epi16(pa, _mm_min_epi16(pb, pc));
    const __m128i takeA = _mm_cmpeq_epi16(pa, smallest);
    const __m128i takeB = _mm_cmpeq_epi16(pb, smallest);
    const __m128i pred = _mm_or_si128(_mm_and_si128(takeB, b), _mm_andnot_si128(takeB, c));
    return _mm_or_si128(_mm_and_si128(takeA, a), _mm_andnot_si128(takeA, pred));
}
// T[a][c] in closed form: floor(i * 65536 / 255) is 257 * i for i <= 254,
// which makes T[a][c] = (257 * a * c + 32768) >> 16 for every a and c.
inline __m128i product16(__m128i a, __m128i c) noexcept {
    const __m128i ac = _mm_mullo_epi16(a, c);
    const __m128i k257 = _mm_set1_epi16(257);
    return _mm_add_epi16(_mm_mulhi_epu16(ac, k257), _mm_srli_epi16(_mm_mullo_epi16(ac, k257), 15));
}

// The pixel's red, green, blue (and alpha) in 16-bit lanes 0-3 become the
// bitmap's blue, green, red in bytes 0-2.
template <int Unit>
inline __m128i toBitmap(__m128i px16, __m128i colour16) noexcept {
    if constexpr (Unit == 4) {
        const __m128i alpha = _mm_shufflelo_epi16(px16, _MM_SHUFFLE(3, 3, 3, 3));
        const __m128i rest = _mm_sub_epi16(_mm_set1_epi16(255), alpha);
        px16 = _mm_add_epi16(product16(alpha, px16), product16(rest, colour16));
    }
    const __m128i bgr = _mm_shufflelo_epi16(px16, _MM_SHUFFLE(3, 0, 1, 2));
    return _mm_packus_epi16(bgr, bgr);
}

// RGBA rows whose pixels are adjacent go in two steps: the filter chain
// alone, then the blend over the reconstructed row, two pixels a register.
template <int Filter>
void unfilterRgba(uint8_t* cur, const uint8_t* up, size_t pixels) noexcept {
    const __m128i zero = _mm_setzero_si128();
    const __m128i one = _mm_set1_epi8(1);
    const __m128i low = _mm_set1_epi16(0xFF);
    if constexpr (Filter == 0) return;
    if constexpr (Filter == 2) {
        unfilterBytes<4, 2>(cur, up, pixels * 4);
        return;
    }
    __m128i left = zero, upLeft = zero;
    for (size_t n = pixels; n != 0; --n, cur += 4, up += 4) {
        const __m128i x = load4(cur);
        if constexpr (Filter == 1) {
            left = _mm_add_epi8(x, left);
            store4(cur, left);
        } else if constexpr (Filter == 3) {
            const __m128i b = load4(up);
            const __m128i avg = _mm_avg_epu8(left, b);
            const __m128i odd = _mm_and_si128(_mm_xor_si128(left, b), one);
            left = _mm_sub_epi8(_mm_add_epi8(x, avg), odd);
            store4(cur, left);
        } else {
            const __m128i a = left;
            const __m128i b = _mm_unpacklo_epi8(load4(up), zero);
            const __m128i c = upLeft;
            const __m128i pred = paeth16(a, b, c);
            left = _mm_and_si128(_mm_add_epi16(_mm_unpacklo_epi8(x, zero), pred), low);
            upLeft = b;
            store4(cur, _mm_packus_epi16(left, left));
        }
    }
}

inline void blendRgbaRow(const uint8_t* v, uint8_t* out, size_t pixels, const uint8_t* k) noexcept {
    const __m128i zero = _mm_setzero_si128();
    const __m128i k255 = _mm_set1_epi16(255);
    const __m128i colour16 = _mm_setr_epi16(k[0], k[1], k[2], 0, k[0], k[1], k[2], 0);
    constexpr int kBgr = _MM_SHUFFLE(3, 0, 1, 2);
    size_t i = 0;
    // Two pixels at a time while a third follows, whose place takes the
    // fourth byte of each 4-byte store before it is written itself.
    for (; i + 2 < pixels; i += 2, v += 8, out += 6) {
        const __m128i px =
            _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(v)), zero);
        const __m128i a = _mm_shufflehi_epi16(_mm_shufflelo_epi16(px, 0xFF), 0xFF);
        __m128i r = _mm_add_epi16(product16(a, px), product16(_mm_sub_epi16(k255, a), colour16));
        r = _mm_shufflehi_epi16(_mm_shufflelo_epi16(r, kBgr), kBgr);
        const __m128i b = _mm_packus_epi16(r, r);
        store4(out, b);
        store4(out + 3, _mm_srli_si128(b, 4));
    }
    for (; i < pixels; ++i, v += 4, out += 3) {
        const __m128i px = _mm_unpacklo_epi8(load4(v), zero);
        store3(out, toBitmap<4>(px, colour16));
    }
}

template <int Unit, int Filter, bool Spaced>
void colourRow(const RowJob& job) noexcept {
    if constexpr (Unit == 4 && !Spaced) {
        unfilterRgba<Filter>(job.cur, job.prior, job.pixels);
        blendRgbaRow(job.cur, job.out, job.pixels, job.blend->colour);
        return;
    }
    const __m128i zero = _mm_setzero_si128();
    const __m128i one = _mm_set1_epi8(1);
    const __m128i low = _mm_set1_epi16(0xFF);
    __m128i colour16 = zero;
    if constexpr (Unit == 4) {
        const uint8_t* k = job.blend->colour;
        colour16 = _mm_setr_epi16(k[0], k[1], k[2], 0, 0, 0, 0, 0);
    }
    uint8_t* cur = job.cur;
    const uint8_t* up = job.prior;
    uint8_t* out = job.out;
    const size_t outStep = 3 * (Spaced ? size_t{job.pixelStep} : 1);
    __m128i left = zero;    // reconstructed pixel to the left: bytes, 16-bit lanes for Paeth
    __m128i upLeft = zero;  // Paeth only
    __m128i x = load4(cur);
    auto pixel = [&]() {
        const __m128i next = load4(cur + Unit);
        __m128i r16;
        if constexpr (Filter == 0) {
            r16 = _mm_unpacklo_epi8(x, zero);
        } else if constexpr (Filter == 4) {
            const __m128i a = left;
            const __m128i b = _mm_unpacklo_epi8(load4(up), zero);
            const __m128i c = upLeft;
            const __m128i pred = paeth16(a, b, c);
            r16 = _mm_and_si128(_mm_add_epi16(_mm_unpacklo_epi8(x, zero), pred), low);
            left = r16;
            upLeft = b;
            store4(cur, _mm_packus_epi16(r16, r16));
        } else {
            __m128i r;
            if constexpr (Filter == 1) {
                r = _mm_add_epi8(x, left);
            } else if constexpr (Filter == 2) {
                r = _mm_add_epi8(x, load4(up));
            } else {
                // floor((a + b) / 2) = rounded-up average less the dropped bit
                const __m128i b = load4(up);
                const __m128i avg = _mm_avg_epu8(left, b);
                const __m128i odd = _mm_and_si128(_mm_xor_si128(left, b), one);
                r = _mm_sub_epi8(_mm_add_epi8(x, avg), odd);
            }
            left = r;
            store4(cur, r);
            r16 = _mm_unpacklo_epi8(r, zero);
        }
        cur += Unit;
        up += Unit;
        x = next;
        return toBitmap<Unit>(r16, colour16);
    };
    for (uint32_t n = job.pixels - 1; n != 0; --n, out += outStep) {
        if constexpr (Spaced)
            store3(out, pixel());
        else
            store4(out, pixel());
    }
    store3(out, pixel());
}

template <int Unit>
struct ColourRows {
    template <int Filter, bool Spaced>
    struct Row {
        static void run(const RowJob& job) noexcept { colourRow<Unit, Filter, Spaced>(job); }
    };
};

const RowRoutine* routines(PixelFormat format, bool spaced) noexcept {
    if (format == PixelFormat::Rgb8) return pick<ColourRows<3>::Row>(spaced);
    if (format == PixelFormat::Rgba8) return pick<ColourRows<4>::Row>(spaced);
    return genericRoutines(format, spaced);
}

}  // namespace sse2
PNG_ROWS_TARGET_END

PNG_ROWS_TARGET_BEGIN("ssse3")
namespace ssse3 {

// 8-bit RGB rows filtered with None or Up, whose pixels do not depend on
// their left neighbours: the Up filter undone over the whole row first (16
// bytes an add), then five pixels (15 bytes) a step turned into
// blue-green-red with one byte shuffle. The 16-byte loads stay inside the
// row, since a sixth pixel follows; the bitmap store's last byte is the next
// pixel's place, written in the next step; the last pixels go one at a time.
template <int Filter>
void rgbWholeRow(const RowJob& job) noexcept {
    if constexpr (Filter == 2)
        sse2::unfilterBytes<3, 2>(job.cur, job.prior, size_t{job.pixels} * 3);
    const __m128i order = _mm_setr_epi8(2, 1, 0, 5, 4, 3, 8, 7, 6, 11, 10, 9, 14, 13, 12, 15);
    const uint8_t* v = job.cur;
    uint8_t* out = job.out;
    uint32_t n = job.pixels;
    for (; n > 5; n -= 5, v += 15, out += 15)
        _mm_storeu_si128(
            reinterpret_cast<__m128i*>(out),
            _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(v)), order));
    for (; n != 0; --n, v += 3, out += 3) {
        out[0] = v[2];
        out[1] = v[1];
        out[2] = v[0];
    }
}

struct RgbRows {
    template <int Filter, bool Spaced>
    struct Row {
        static void run(const RowJob& job) noexcept {
            if constexpr (!Spaced && (Filter == 0 || Filter == 2))
                rgbWholeRow<Filter>(job);
            else
                sse2::colourRow<3, Filter, Spaced>(job);
        }
    };
};

// The SSE2 set but for the routines above: the compiler widens the others
// no further with SSSE3 (measured), so they are not built a third time.
const RowRoutine* routines(PixelFormat format, bool spaced) noexcept {
    if (format == PixelFormat::Rgb8) return sse2::pick<RgbRows::Row>(spaced);
    return sse2::routines(format, spaced);
}

}  // namespace ssse3
PNG_ROWS_TARGET_END
#endif

RowSimd detectRowSimd() noexcept {
#ifdef PNG_ROWS_X86
    __builtin_cpu_init();
    if (__builtin_cpu_supports("ssse3")) return RowSimd::Ssse3;
    if (__builtin_cpu_supports("sse2")) return RowSimd::Sse2;
#endif
    return RowSimd::None;
}

}  // namespace

RowSimd rowSimdAvailable() noexcept {
    static const RowSimd level = detectRowSimd();
    return level;
}

const RowRoutine* rowRoutines(PixelFormat format, bool spaced, RowSimd simd) noexcept {
    switch (simd) {
#ifdef PNG_ROWS_X86
        case RowSimd::Ssse3:
            return ssse3::routines(format, spaced);
        case RowSimd::Sse2:
            return sse2::routines(format, spaced);
#endif
        default:
            return portable::genericRoutines(format, spaced);
    }
}

const RowRoutine* rowRoutines(PixelFormat format, bool spaced) noexcept {
    return rowRoutines(format, spaced, rowSimdAvailable());
}

const RowRoutine* portableRowRoutines(PixelFormat format, bool spaced) noexcept {
    return rowRoutines(format, spaced, RowSimd::None);
}

const uint8_t* productTable() noexcept {
    struct Table {
        uint8_t t[256 * 256];
        Table() noexcept {
            for (uint32_t i = 0; i < 256; ++i) {
                for (uint32_t j = i; j < 256; ++j) {
                    uint32_t v;
                    if (i == 0) {
                        v = 0;
                    } else if (j == 255) {
                        v = i;
                    } else {
                        v = (j * (i * 65536u / 255u) + 32768u) / 65536u;
                    }
                    t[i * 256 + j] = static_cast<uint8_t>(v);
                    t[j * 256 + i] = static_cast<uint8_t>(v);
                }
            }
        }
    };
    static const Table table;
    return table.t;
}

}  // namespace png
