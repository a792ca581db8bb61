// WebP decoding: our decoder (container walk, bottom-up 24-bit bitmap, alpha
// flattened onto white) against libwebp decoding the same file to
// blue-green-red (blue-green-red-alpha for the file with alpha), as dwebp's
// library does. Files are made here with libwebp's encoder from
// deterministic photo-like content.
//
// `x_library` is each result's CPU time over the library's best of five on
// the same file.
#include <benchmark/benchmark.h>
#include <webp/decode.h>
#include <webp/encode.h>

#include <cmath>
#include <cstdlib>
#include <ctime>
#include <map>
#include <string>
#include <vector>

#include "base/page_alloc.h"
#include "decode/decoders.h"
#include "decode_bench_common.h"

namespace {

using Bytes = std::vector<uint8_t>;

// Smooth waves with a little noise; `channels` 3 or 4 (alpha a slow ramp).
std::vector<uint8_t> photo(uint32_t w, uint32_t h, int channels) {
    std::vector<uint8_t> px(size_t(w) * h * channels);
    uint32_t lcg = 777;
    size_t i = 0;
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x)
            for (int c = 0; c < channels; ++c) {
                lcg = lcg * 1664525u + 1013904223u;
                float v = 128 + 60 * std::sin(x * (0.0021f + 0.0007f * c) + c) +
                          45 * std::cos(y * (0.0033f + 0.0005f * c) - c) +
                          float(int((lcg >> 24) % 9) - 4);
                if (c == 3) v = float((x + y) * 255 / (w + h));
                px[i++] = uint8_t(v < 0 ? 0 : v > 255 ? 255 : v);
            }
    return px;
}

enum class Kind { Lossy, Lossless, LossyAlpha };

Bytes encode(uint32_t w, uint32_t h, Kind kind) {
    const int channels = kind == Kind::LossyAlpha ? 4 : 3;
    const std::vector<uint8_t> px = photo(w, h, channels);
    uint8_t* out = nullptr;
    size_t size = 0;
    const int stride = int(w) * channels;
    if (kind == Kind::Lossy)
        size = WebPEncodeRGB(px.data(), int(w), int(h), stride, 80, &out);
    else if (kind == Kind::Lossless)
        size = WebPEncodeLosslessRGB(px.data(), int(w), int(h), stride, &out);
    else
        size = WebPEncodeRGBA(px.data(), int(w), int(h), stride, 80, &out);
    Bytes file(out, out + size);
    WebPFree(out);
    return file;
}

bool libraryDecode(const Bytes& file, bool alpha) {
    int w = 0, h = 0;
    uint8_t* px = alpha ? WebPDecodeBGRA(file.data(), file.size(), &w, &h)
                        : WebPDecodeBGR(file.data(), file.size(), &w, &h);
    if (!px) return false;
    benchmark::DoNotOptimize(px[0]);
    WebPFree(px);
    return true;
}

struct TestFile {
    Bytes webp;
    double librarySeconds = 0;
};

const TestFile& testFile(uint32_t w, uint32_t h, Kind kind) {
    static std::map<std::string, TestFile> files;
    const std::string key =
        std::to_string(w) + "x" + std::to_string(h) + "/" + std::to_string(int(kind));
    auto it = files.find(key);
    if (it != files.end()) return it->second;
    TestFile f;
    f.webp = encode(w, h, kind);
    f.librarySeconds = bestOfFiveSeconds([&] {
        if (!libraryDecode(f.webp, kind == Kind::LossyAlpha)) std::abort();
    });
    return files.emplace(key, std::move(f)).first->second;
}

void finish(benchmark::State& state, const TestFile& f) {
    reportBeside(state, "x_library", f.librarySeconds, "MB_webp", f.webp.size());
}

void BM_Library(benchmark::State& state, uint32_t w, uint32_t h, Kind kind) {
    const TestFile& f = testFile(w, h, kind);
    for (auto _ : state)
        if (!libraryDecode(f.webp, kind == Kind::LossyAlpha))
            state.SkipWithError("library decode failed");
    finish(state, f);
}

void BM_Ours(benchmark::State& state, uint32_t w, uint32_t h, Kind kind) {
    const TestFile& f = testFile(w, h, kind);
    runOurDecoder(state, decodeWebpBytes, f.webp);
    finish(state, f);
}

void registerAll() {
    struct Case {
        uint32_t w, h;
        Kind kind;
        const char* name;
    };
    for (const Case c : {Case{3840, 2160, Kind::Lossy, "3840x2160_lossy"},
                         Case{1920, 1080, Kind::Lossy, "1920x1080_lossy"},
                         Case{1920, 1080, Kind::Lossless, "1920x1080_lossless"},
                         Case{1920, 1080, Kind::LossyAlpha, "1920x1080_lossy_alpha"}}) {
        using Fn = void (*)(benchmark::State&, uint32_t, uint32_t, Kind);
        const std::pair<const char*, Fn> decoders[] = {
            {c.kind == Kind::LossyAlpha ? "libwebp_bgra" : "libwebp_bgr", BM_Library},
            {"ours", BM_Ours}};
        for (const auto& [name, fn] : decoders)
            bestOfThree(benchmark::RegisterBenchmark((std::string(c.name) + "/" + name).c_str(), fn,
                                                     c.w, c.h, c.kind));
    }
}

}  // namespace

int main(int argc, char** argv) { return runDecodeBenchmarks(argc, argv, registerAll); }
