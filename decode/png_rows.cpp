#include "decode/png_rows.h"

#include <cstring>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace png {
namespace {

// The predictors of the five filter types, for one byte position: `left` is
// the reconstructed byte one pixel to the left, `up` the one above,
// `upLeft` the one above that (all 0 outside the row or pass).
template <int Filter>
inline uint8_t predict(uint8_t left, uint8_t up, uint8_t upLeft) noexcept {
    if constexpr (Filter == 1) {
        return left;
    } else if constexpr (Filter == 2) {
        return up;
    } else if constexpr (Filter == 3) {
        return static_cast<uint8_t>((left + up) >> 1);
    } else {
        // Paeth: the neighbour closest to left + up - upLeft; ties prefer
        // left, then up. Written so the compiler selects without jumps.
        const int a = left, b = up, c = upLeft;
        const int pa = b > c ? b - c : c - b;  // |p - a|
        const int pb = a > c ? a - c : c - a;  // |p - b|
        const int d = a + b - 2 * c;
        const int pc = d < 0 ? -d : d;  // |p - c|
        int pick = pb < pa ? b : a;
        const int best = pb < pa ? pb : pa;
        pick = pc < best ? c : pick;
        return static_cast<uint8_t>(pick);
    }
}

// Undoing a filter, in place, for every byte of a row whose pixels are
// `Unit` bytes apart. The generic form runs one byte after another; the
// compiler keeps the Unit independent chains in registers.
template <int Unit, int Filter>
inline void unfilterBytes(uint8_t* cur, const uint8_t* up, size_t bytes) noexcept {
    if constexpr (Filter == 0) {
        return;
    } else if constexpr (Filter == 2) {
        for (size_t i = 0; i < bytes; ++i) cur[i] = static_cast<uint8_t>(cur[i] + up[i]);
    } else {
        const size_t first = bytes < size_t{Unit} ? bytes : size_t{Unit};
        for (size_t i = 0; i < first; ++i)
            cur[i] = static_cast<uint8_t>(cur[i] + predict<Filter>(0, up[i], 0));
        for (size_t i = first; i < bytes; ++i)
            cur[i] =
                static_cast<uint8_t>(cur[i] + predict<Filter>(cur[i - Unit], up[i], up[i - Unit]));
    }
}

// 16-bit samples: only the high byte of each sample is reconstructed (byte
// offsets 0, 2, 4, 6 of the pixel). Filters act on each byte position alone,
// so this is exact, and the low bytes are dropped anyway.
template <int Unit, int Filter>
inline void unfilterHighBytes(uint8_t* cur, const uint8_t* up, size_t pixels) noexcept {
    constexpr int kSamples = Unit / 2;
    if constexpr (Filter == 0) return;
    uint8_t left[kSamples] = {};
    uint8_t upLeft[kSamples] = {};
    for (size_t n = pixels; n != 0; --n, cur += Unit, up += Unit) {
        for (int s = 0; s < kSamples; ++s) {
            const uint8_t b = up[2 * s];
            const uint8_t r =
                static_cast<uint8_t>(cur[2 * s] + predict<Filter>(left[s], b, upLeft[s]));
            cur[2 * s] = r;
            left[s] = r;
            upLeft[s] = b;
        }
    }
}

template <int Unit, int Filter>
inline void unfilter(uint8_t* cur, const uint8_t* up, size_t pixels) noexcept {
    unfilterBytes<Unit, Filter>(cur, up, pixels * Unit);
}

// What a reconstructed pixel becomes in the bitmap, per format.
struct Index8 {
    static constexpr int kUnit = 1, kOutBytes = 1;
    static constexpr bool kHighBytesOnly = false;
    static void emit(const uint8_t* v, uint8_t* out, const Blend*) noexcept { out[0] = v[0]; }
};
struct Grey16 {
    static constexpr int kUnit = 2, kOutBytes = 1;
    static constexpr bool kHighBytesOnly = true;
    static void emit(const uint8_t* v, uint8_t* out, const Blend*) noexcept { out[0] = v[0]; }
};
// The grey bitmap keeps its ramp palette, so the background's share is taken
// from the red of the background colour.
template <int Gap>
struct GreyAlpha {
    static constexpr int kUnit = 2 * Gap, kOutBytes = 1;
    static constexpr bool kHighBytesOnly = Gap == 2;
    static void emit(const uint8_t* v, uint8_t* out, const Blend* b) noexcept {
        const uint8_t a = v[Gap];
        out[0] = static_cast<uint8_t>(b->product[(a << 8) | v[0]] + b->backPart[a][2]);
    }
};
template <int Gap>
struct Rgb {
    static constexpr int kUnit = 3 * Gap, kOutBytes = 3;
    static constexpr bool kHighBytesOnly = Gap == 2;
    static void emit(const uint8_t* v, uint8_t* out, const Blend*) noexcept {
        out[0] = v[2 * Gap];
        out[1] = v[Gap];
        out[2] = v[0];
    }
};
template <int Gap>
struct Rgba {
    static constexpr int kUnit = 4 * Gap, kOutBytes = 3;
    static constexpr bool kHighBytesOnly = Gap == 2;
    static void emit(const uint8_t* v, uint8_t* out, const Blend* b) noexcept {
        const uint8_t a = v[3 * Gap];
        const uint8_t* t = b->product + (a << 8);
        const uint8_t* k = b->backPart[a];
        out[0] = static_cast<uint8_t>(t[v[2 * Gap]] + k[0]);
        out[1] = static_cast<uint8_t>(t[v[Gap]] + k[1]);
        out[2] = static_cast<uint8_t>(t[v[0]] + k[2]);
    }
};

template <class F, int Filter, bool Spaced>
void sampleRow(const RowJob& job) noexcept {
    if constexpr (F::kHighBytesOnly)
        unfilterHighBytes<F::kUnit, Filter>(job.cur, job.prior, job.pixels);
    else
        unfilter<F::kUnit, Filter>(job.cur, job.prior, job.pixels);
    const uint8_t* v = job.cur;
    uint8_t* out = job.out;
    if constexpr (F::kUnit == 1 && !Spaced) {
        std::memcpy(out, v, job.pixels);
        return;
    }
    const size_t outStep = (Spaced ? size_t{job.pixelStep} : 1) * F::kOutBytes;
    const Blend* blend = job.blend;
    for (uint32_t n = job.pixels; n != 0; --n, v += F::kUnit, out += outStep)
        F::emit(v, out, blend);
}

#ifdef __SSE2__
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
            const __m128i bc = _mm_sub_epi16(b, c);
            const __m128i ac = _mm_sub_epi16(a, c);
            const __m128i pa = abs16(bc);
            const __m128i pb = abs16(ac);
            const __m128i pc = abs16(_mm_add_epi16(ac, bc));
            const __m128i smallest = _mm_min_epi16(pa, _mm_min_epi16(pb, pc));
            const __m128i takeA = _mm_cmpeq_epi16(pa, smallest);
            const __m128i takeB = _mm_cmpeq_epi16(pb, smallest);
            __m128i pred = _mm_or_si128(_mm_and_si128(takeB, b), _mm_andnot_si128(takeB, c));
            pred = _mm_or_si128(_mm_and_si128(takeA, a), _mm_andnot_si128(takeA, pred));
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
            const __m128i bc = _mm_sub_epi16(b, c);
            const __m128i ac = _mm_sub_epi16(a, c);
            const __m128i pa = abs16(bc);
            const __m128i pb = abs16(ac);
            const __m128i pc = abs16(_mm_add_epi16(ac, bc));
            const __m128i smallest = _mm_min_epi16(pa, _mm_min_epi16(pb, pc));
            const __m128i takeA = _mm_cmpeq_epi16(pa, smallest);
            const __m128i takeB = _mm_cmpeq_epi16(pb, smallest);
            __m128i pred = _mm_or_si128(_mm_and_si128(takeB, b), _mm_andnot_si128(takeB, c));
            pred = _mm_or_si128(_mm_and_si128(takeA, a), _mm_andnot_si128(takeA, pred));
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
#endif

// Depths 1, 2 and 4: the filter works on whole bytes (unit 1); each
// reconstructed byte is unpacked into 8 / Depth index bytes, most significant
// bits first; the row's last byte holds only the pixels left over.
template <int Depth, int Filter, bool Spaced>
void packedRow(const RowJob& job) noexcept {
    constexpr uint32_t kPerByte = 8 / Depth;
    constexpr uint8_t kMask = (1u << Depth) - 1;
    const size_t step = Spaced ? job.pixelStep : 1;
    const uint32_t bytes = (job.pixels + kPerByte - 1) / kPerByte;
    unfilterBytes<1, Filter>(job.cur, job.prior, bytes);
    const uint8_t* v = job.cur;
    uint8_t* out = job.out;
    for (uint32_t i = 0; i + 1 < bytes; ++i, out += kPerByte * step) {
        const uint8_t byte = v[i];
        for (uint32_t k = 0; k < kPerByte; ++k)
            out[k * step] = static_cast<uint8_t>((byte >> (8 - Depth * (k + 1))) & kMask);
    }
    const uint8_t last = v[bytes - 1];
    const uint32_t tail = job.pixels - (bytes - 1) * kPerByte;
    for (uint32_t k = 0; k < tail; ++k)
        out[k * step] = static_cast<uint8_t>((last >> (8 - Depth * (k + 1))) & kMask);
}

template <template <int, bool> class Row, bool Spaced>
struct FilterSet {
    static constexpr RowRoutine routines[5] = {Row<0, Spaced>::run, Row<1, Spaced>::run,
                                               Row<2, Spaced>::run, Row<3, Spaced>::run,
                                               Row<4, Spaced>::run};
};

template <class F>
struct SampleRows {
    template <int Filter, bool Spaced>
    struct Row {
        static void run(const RowJob& job) noexcept { sampleRow<F, Filter, Spaced>(job); }
    };
};
#ifdef __SSE2__
template <int Unit>
struct ColourRows {
    template <int Filter, bool Spaced>
    struct Row {
        static void run(const RowJob& job) noexcept { colourRow<Unit, Filter, Spaced>(job); }
    };
};
#endif
template <int Depth>
struct PackedRows {
    template <int Filter, bool Spaced>
    struct Row {
        static void run(const RowJob& job) noexcept { packedRow<Depth, Filter, Spaced>(job); }
    };
};

template <template <int, bool> class Row>
constexpr const RowRoutine* pick(bool spaced) noexcept {
    return spaced ? FilterSet<Row, true>::routines : FilterSet<Row, false>::routines;
}

}  // namespace

const RowRoutine* portableRowRoutines(PixelFormat format, bool spaced) noexcept {
    switch (format) {
        case PixelFormat::Packed1:
            return pick<PackedRows<1>::Row>(spaced);
        case PixelFormat::Packed2:
            return pick<PackedRows<2>::Row>(spaced);
        case PixelFormat::Packed4:
            return pick<PackedRows<4>::Row>(spaced);
        case PixelFormat::Index8:
            return pick<SampleRows<Index8>::Row>(spaced);
        case PixelFormat::GreyAlpha8:
            return pick<SampleRows<GreyAlpha<1>>::Row>(spaced);
        case PixelFormat::Rgb8:
            return pick<SampleRows<Rgb<1>>::Row>(spaced);
        case PixelFormat::Rgba8:
            return pick<SampleRows<Rgba<1>>::Row>(spaced);
        case PixelFormat::Grey16:
            return pick<SampleRows<Grey16>::Row>(spaced);
        case PixelFormat::GreyAlpha16:
            return pick<SampleRows<GreyAlpha<2>>::Row>(spaced);
        case PixelFormat::Rgb16:
            return pick<SampleRows<Rgb<2>>::Row>(spaced);
        case PixelFormat::Rgba16:
            return pick<SampleRows<Rgba<2>>::Row>(spaced);
    }
    return nullptr;
}

const RowRoutine* rowRoutines(PixelFormat format, bool spaced) noexcept {
#ifdef __SSE2__
    if (format == PixelFormat::Rgb8) return pick<ColourRows<3>::Row>(spaced);
    if (format == PixelFormat::Rgba8) return pick<ColourRows<4>::Row>(spaced);
#endif
    return portableRowRoutines(format, spaced);
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
