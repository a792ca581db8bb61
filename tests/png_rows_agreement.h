// Every PNG row routine of an instruction set against the portable one: the
// same reconstructed row and the same bitmap bytes, for every pixel format
// (so every bytes-per-pixel), filter type, width and pixel spacing, on noise.
// Shared by the native tests and the 32-bit program's tests under Wine,
// whose compiler builds the SIMD sets differently.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "decode/png_rows.h"

namespace pngrows {

inline void expectSameAsPortable(png::RowSimd simd) {
    using png::PixelFormat;
    const struct {
        PixelFormat format;
        uint32_t bitsPerPixel, outBytes;
    } formats[] = {
        {PixelFormat::Packed1, 1, 1},      {PixelFormat::Packed2, 2, 1},
        {PixelFormat::Packed4, 4, 1},      {PixelFormat::Index8, 8, 1},
        {PixelFormat::GreyAlpha8, 16, 1},  {PixelFormat::Rgb8, 24, 3},
        {PixelFormat::Rgba8, 32, 3},       {PixelFormat::Grey16, 16, 1},
        {PixelFormat::GreyAlpha16, 32, 1}, {PixelFormat::Rgb16, 48, 3},
        {PixelFormat::Rgba16, 64, 3},
    };
    uint32_t lcg = 2024;
    auto next = [&lcg] { return uint8_t((lcg = lcg * 1664525u + 1013904223u) >> 24); };
    png::Blend blend{};
    blend.colour[0] = next();
    blend.colour[1] = next();
    blend.colour[2] = next();
    blend.product = png::productTable();
    for (int a = 0; a < 256; ++a)
        for (int c = 0; c < 3; ++c)
            blend.backPart[a][2 - c] = blend.product[(255 - a) * 256 + blend.colour[c]];
    for (const auto& f : formats)
        for (uint32_t pixels : {1u, 2u, 3u, 4u, 5u, 7u, 15u, 16u, 17u, 33u, 101u, 1023u})
            for (uint32_t step : {1u, 2u, 4u, 8u})
                for (int filter = 0; filter < 5; ++filter) {
                    SCOPED_TRACE(testing::Message()
                                 << "format " << int(f.format) << " pixels " << pixels << " step "
                                 << step << " filter " << filter);
                    const size_t bytes = (size_t(pixels) * f.bitsPerPixel + 7) / 8;
                    std::vector<uint8_t> source(bytes), prior(bytes + png::kRowSlack);
                    for (auto& b : source) b = next();
                    for (size_t i = 0; i < bytes; ++i) prior[i] = next();
                    std::vector<uint8_t> cur[2], out[2];
                    for (int k = 0; k < 2; ++k) {
                        cur[k] = source;
                        cur[k].resize(bytes + png::kRowSlack, 0);
                        out[k].assign(size_t(pixels) * step * f.outBytes + 16, 0x5A);
                        png::RowJob job{cur[k].data(), prior.data(), pixels,
                                        out[k].data(), step,         &blend};
                        const png::RowRoutine* set =
                            k == 0 ? png::rowRoutines(f.format, step != 1, simd)
                                   : png::portableRowRoutines(f.format, step != 1);
                        set[filter](job);
                    }
                    // The slack past the row is the routines' to scribble on.
                    cur[0].resize(bytes);
                    cur[1].resize(bytes);
                    ASSERT_EQ(cur[0], cur[1]);
                    ASSERT_EQ(out[0], out[1]);
                }
}

}  // namespace pngrows
