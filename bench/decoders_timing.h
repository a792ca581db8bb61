// The decoder timings that the native build and the 32-bit program under
// Wine both take, on the same files: the native decoders bench writes the
// files (and its own figures) into one folder, the Windows one reads them
// from there and prints its figures beside the native ones.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "base/page_alloc.h"
#include "decode/decoders.h"

namespace decoderbench {

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
