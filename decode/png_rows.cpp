#include "decode/png_rows.h"

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

// Formats of whole-byte samples. kUnit is the filter's pixel distance in
// bytes; kSamples the samples that matter, kSampleGap bytes apart (2 for
// 16-bit samples, whose low bytes are never reconstructed: filters act on
// each byte position alone, and those bytes are dropped anyway).
struct Index8 {
    static constexpr int kUnit = 1, kSamples = 1, kSampleGap = 1, kOutBytes = 1;
    static void emit(const uint8_t* v, uint8_t* out, const Blend*) noexcept { out[0] = v[0]; }
};
struct Grey16 {
    static constexpr int kUnit = 2, kSamples = 1, kSampleGap = 2, kOutBytes = 1;
    static void emit(const uint8_t* v, uint8_t* out, const Blend*) noexcept { out[0] = v[0]; }
};
template <int Gap>
struct GreyAlpha {
    static constexpr int kUnit = 2 * Gap, kSamples = 2, kSampleGap = Gap, kOutBytes = 1;
    // The grey bitmap keeps its ramp palette, so the background's share is
    // taken from the red of the background colour.
    static void emit(const uint8_t* v, uint8_t* out, const Blend* b) noexcept {
        const uint8_t* t = b->product + (v[1] << 8);
        out[0] = static_cast<uint8_t>(t[v[0]] + b->backPart[v[1]][2]);
    }
};
template <int Gap>
struct Rgb {
    static constexpr int kUnit = 3 * Gap, kSamples = 3, kSampleGap = Gap, kOutBytes = 3;
    static void emit(const uint8_t* v, uint8_t* out, const Blend*) noexcept {
        out[0] = v[2];
        out[1] = v[1];
        out[2] = v[0];
    }
};
template <int Gap>
struct Rgba {
    static constexpr int kUnit = 4 * Gap, kSamples = 4, kSampleGap = Gap, kOutBytes = 3;
    static void emit(const uint8_t* v, uint8_t* out, const Blend* b) noexcept {
        const uint8_t* t = b->product + (v[3] << 8);
        const uint8_t* k = b->backPart[v[3]];
        out[0] = static_cast<uint8_t>(t[v[2]] + k[0]);
        out[1] = static_cast<uint8_t>(t[v[1]] + k[1]);
        out[2] = static_cast<uint8_t>(t[v[0]] + k[2]);
    }
};

template <class F, int Filter, bool Spaced>
void sampleRow(const RowJob& job) noexcept {
    constexpr int kUnit = F::kUnit, kSamples = F::kSamples, kGap = F::kSampleGap;
    uint8_t* cur = job.cur;
    const uint8_t* up = job.prior;
    uint8_t* out = job.out;
    const Blend* blend = job.blend;
    const size_t outStep = (Spaced ? size_t{job.pixelStep} : 1) * F::kOutBytes;
    uint8_t left[kSamples] = {};
    uint8_t upLeft[kSamples] = {};
    for (uint32_t n = job.pixels; n != 0; --n) {
        uint8_t v[kSamples];
        for (int s = 0; s < kSamples; ++s) {
            const int i = s * kGap;
            if constexpr (Filter == 0) {
                v[s] = cur[i];
            } else {
                const uint8_t b = up[i];
                const uint8_t r = static_cast<uint8_t>(cur[i] + predict<Filter>(left[s], b, upLeft[s]));
                cur[i] = r;
                v[s] = r;
                left[s] = r;
                upLeft[s] = b;
            }
        }
        F::emit(v, out, blend);
        cur += kUnit;
        up += kUnit;
        out += outStep;
    }
}

// Depths 1, 2 and 4: the filter works on whole bytes (unit 1); each
// reconstructed byte is unpacked into 8 / Depth index bytes, most significant
// bits first; the row's last byte holds only the pixels left over.
template <int Depth, int Count>
inline void unpack(uint8_t v, uint8_t* out, size_t step) noexcept {
    constexpr uint8_t kMask = (1u << Depth) - 1;
    for (int k = 0; k < Count; ++k) out[k * step] = (v >> (8 - Depth * (k + 1))) & kMask;
}

template <int Depth, int Filter, bool Spaced>
void packedRow(const RowJob& job) noexcept {
    constexpr uint32_t kPerByte = 8 / Depth;
    constexpr uint8_t kMask = (1u << Depth) - 1;
    const size_t step = Spaced ? job.pixelStep : 1;
    const uint32_t bytes = (job.pixels + kPerByte - 1) / kPerByte;
    uint8_t* cur = job.cur;
    const uint8_t* up = job.prior;
    uint8_t* out = job.out;
    uint8_t left = 0, upLeft = 0;
    auto next = [&](uint32_t i) {
        if constexpr (Filter == 0) {
            return cur[i];
        } else {
            const uint8_t b = up[i];
            const uint8_t r = static_cast<uint8_t>(cur[i] + predict<Filter>(left, b, upLeft));
            cur[i] = r;
            left = r;
            upLeft = b;
            return r;
        }
    };
    for (uint32_t i = 0; i + 1 < bytes; ++i) {
        unpack<Depth, kPerByte>(next(i), out, step);
        out += kPerByte * step;
    }
    const uint8_t last = next(bytes - 1);
    const uint32_t tail = job.pixels - (bytes - 1) * kPerByte;
    for (uint32_t k = 0; k < tail; ++k) out[k * step] = (last >> (8 - Depth * (k + 1))) & kMask;
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

const RowRoutine* rowRoutines(PixelFormat format, bool spaced) noexcept {
    switch (format) {
        case PixelFormat::Packed1: return pick<PackedRows<1>::Row>(spaced);
        case PixelFormat::Packed2: return pick<PackedRows<2>::Row>(spaced);
        case PixelFormat::Packed4: return pick<PackedRows<4>::Row>(spaced);
        case PixelFormat::Index8: return pick<SampleRows<Index8>::Row>(spaced);
        case PixelFormat::GreyAlpha8: return pick<SampleRows<GreyAlpha<1>>::Row>(spaced);
        case PixelFormat::Rgb8: return pick<SampleRows<Rgb<1>>::Row>(spaced);
        case PixelFormat::Rgba8: return pick<SampleRows<Rgba<1>>::Row>(spaced);
        case PixelFormat::Grey16: return pick<SampleRows<Grey16>::Row>(spaced);
        case PixelFormat::GreyAlpha16: return pick<SampleRows<GreyAlpha<2>>::Row>(spaced);
        case PixelFormat::Rgb16: return pick<SampleRows<Rgb<2>>::Row>(spaced);
        case PixelFormat::Rgba16: return pick<SampleRows<Rgba<2>>::Row>(spaced);
    }
    return nullptr;
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
