// The decoder timings that the native build and the 32-bit program under
// Wine both take, on the same files: the native decoders bench writes the
// files (and its own figures) into one folder, the Windows one reads them
// from there and prints its figures beside the native ones.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "base/page_alloc.h"
#include "decode/decoders.h"
#include "decode/png_rows.h"

namespace decoderbench {

// One filtered-row routine on its input: 4000 pixels a row of noise, the
// prior row the same noise reversed. run() filters one row afresh.
struct RowWork {
    static constexpr uint32_t kPixels = 4000;
    RowWork(png::PixelFormat format, int unit, int filter, png::RowSimd simd)
        : bytes(size_t(kPixels) * unit),
          cur(bytes + png::kRowSlack),
          prior(bytes + png::kRowSlack),
          source(bytes),
          out(size_t(kPixels) * 3 + 16),
          routine(png::rowRoutines(format, false, simd)[filter]) {
        uint32_t lcg = 7;
        for (auto& b : source) b = uint8_t((lcg = lcg * 1664525u + 1013904223u) >> 24);
        for (size_t i = 0; i < bytes; ++i) prior[i] = source[bytes - 1 - i];
        blend.product = png::productTable();
    }
    void run() {
        std::memcpy(cur.data(), source.data(), bytes);
        routine({cur.data(), prior.data(), kPixels, out.data(), 1, &blend});
    }
    size_t bytes;
    std::vector<uint8_t> cur, prior, source, out;
    png::Blend blend{};
    png::RowRoutine routine;
};

enum class Codec { Png, Jpeg, Gif, Tiff };

struct Sample {
    const char* name;
    Codec codec;
};

// 4000 x 3000 pictures of photo-like content.
inline constexpr Sample kSamples[] = {
    {"png_rgb8", Codec::Png},  {"png_rgba8", Codec::Png}, {"png_palette8", Codec::Png},
    {"png_grey8", Codec::Png}, {"png_rgb16", Codec::Png}, {"png_rgb8_adam7", Codec::Png},
    {"jpeg_q90", Codec::Jpeg}, {"gif_256", Codec::Gif},   {"tiff_lzw_rgb8", Codec::Tiff},
};
inline constexpr int kRounds = 7;

inline const char* defaultFolder() { return "build/bench/decoder_files"; }
inline std::string samplePath(const std::string& folder, const Sample& s) {
    return folder + "/" + s.name + ".bin";
}
inline std::string figuresPath(const std::string& folder) { return folder + "/native.txt"; }

inline std::vector<uint8_t> readFile(const std::string& path) {
    std::vector<uint8_t> out;
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return out;
    uint8_t buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) out.insert(out.end(), buf, buf + n);
    std::fclose(f);
    return out;
}

inline LoadedImage* decodeOnce(DecoderState& state, Codec codec) {
    switch (codec) {
        case Codec::Png:
            return decodePng(state);
        case Codec::Jpeg:
            return decodeJpegBytes(state);
        case Codec::Gif:
            return decodeGif(state);
        case Codec::Tiff:
            return decodeTiff(state);
    }
    return nullptr;
}

// Best of kRounds decodes from memory, in milliseconds (the fresh pixel
// block included, as the program pays it); negative when decoding fails.
inline double bestMs(const std::vector<uint8_t>& bytes, Codec codec) {
    double best = 1e30;
    for (int i = 0; i < kRounds; ++i) {
        const auto start = std::chrono::steady_clock::now();
        DecoderState state;
        state.attach(bytes.data(), bytes.size());
        LoadedImage* image = decodeOnce(state, codec);
        const auto end = std::chrono::steady_clock::now();
        if (!image) return -1;
        pageFree(image->bits);
        best = std::min(best, std::chrono::duration<double, std::milli>(end - start).count());
    }
    return best;
}

}  // namespace decoderbench
