// AVIF decoding: our decoder (own box walk, dav1d, own conversion to a
// bottom-up 24-bit bitmap) against libavif with dav1d decoding the same file
// and converting it to blue-green-red with the nearest chroma sample, as
// ours does. Files are made here with libavif's encoder from deterministic
// photo-like content.
//
// `x_library` is each result's CPU time over the library's best of five on
// the same file.
#include <avif/avif.h>
#include <benchmark/benchmark.h>

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

struct Kind {
    int depth;
    avifPixelFormat format;
    const char* name;
};

Bytes encode(uint32_t w, uint32_t h, const Kind& kind) {
    avifImage* image = avifImageCreate(w, h, uint32_t(kind.depth), kind.format);
    avifRGBImage rgb;
    avifRGBImageSetDefaults(&rgb, image);
    rgb.format = AVIF_RGB_FORMAT_RGB;
    rgb.depth = 8;
    avifRGBImageAllocatePixels(&rgb);
    uint32_t lcg = 777;
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x)
            for (int c = 0; c < 3; ++c) {
                lcg = lcg * 1664525u + 1013904223u;
                const float v = 128 + 60 * std::sin(x * (0.0021f + 0.0007f * c) + c) +
                                45 * std::cos(y * (0.0033f + 0.0005f * c) - c) +
                                float(int((lcg >> 24) % 9) - 4);
                rgb.pixels[size_t(y) * rgb.rowBytes + 3 * x + c] = uint8_t(v < 0     ? 0
                                                                           : v > 255 ? 255
                                                                                     : v);
            }
    avifImageRGBToYUV(image, &rgb);
    avifRGBImageFreePixels(&rgb);
    avifEncoder* encoder = avifEncoderCreate();
    encoder->speed = 8;
    encoder->minQuantizer = 20;
    encoder->maxQuantizer = 30;
    avifRWData out = AVIF_DATA_EMPTY;
    if (avifEncoderWrite(encoder, image, &out) != AVIF_RESULT_OK) std::abort();
    Bytes file(out.data, out.data + out.size);
    avifRWDataFree(&out);
    avifEncoderDestroy(encoder);
    avifImageDestroy(image);
    return file;
}

bool libraryDecode(const Bytes& file) {
    avifDecoder* decoder = avifDecoderCreate();
    decoder->codecChoice = AVIF_CODEC_CHOICE_DAV1D;
    decoder->maxThreads = 1;
    avifImage* image = avifImageCreateEmpty();
    bool ok = avifDecoderReadMemory(decoder, image, file.data(), file.size()) == AVIF_RESULT_OK;
    if (ok) {
        avifRGBImage rgb;
        avifRGBImageSetDefaults(&rgb, image);
        rgb.format = AVIF_RGB_FORMAT_BGR;
        rgb.depth = 8;
        rgb.chromaUpsampling = AVIF_CHROMA_UPSAMPLING_FASTEST;
        avifRGBImageAllocatePixels(&rgb);
        ok = avifImageYUVToRGB(image, &rgb) == AVIF_RESULT_OK;
        benchmark::DoNotOptimize(rgb.pixels[0]);
        avifRGBImageFreePixels(&rgb);
    }
    avifImageDestroy(image);
    avifDecoderDestroy(decoder);
    return ok;
}

struct TestFile {
    Bytes avif;
    double librarySeconds = 0;
};

const TestFile& testFile(uint32_t w, uint32_t h, const Kind& kind) {
    static std::map<std::string, TestFile> files;
    const std::string key = std::to_string(w) + "x" + std::to_string(h) + kind.name;
    auto it = files.find(key);
    if (it != files.end()) return it->second;
    TestFile f;
    f.avif = encode(w, h, kind);
    f.librarySeconds = bestOfFiveSeconds([&] {
        if (!libraryDecode(f.avif)) std::abort();
    });
    return files.emplace(key, std::move(f)).first->second;
}

void finish(benchmark::State& state, const TestFile& f) {
    reportBeside(state, "x_library", f.librarySeconds, "MB_avif", f.avif.size());
}

void BM_Library(benchmark::State& state, uint32_t w, uint32_t h, Kind kind) {
    const TestFile& f = testFile(w, h, kind);
    for (auto _ : state)
        if (!libraryDecode(f.avif)) state.SkipWithError("library decode failed");
    finish(state, f);
}

void BM_Ours(benchmark::State& state, uint32_t w, uint32_t h, Kind kind) {
    const TestFile& f = testFile(w, h, kind);
    runOurDecoder(state, decodeAvifBytes, f.avif);
    finish(state, f);
}

void registerAll() {
    const Kind kinds[] = {{8, AVIF_PIXEL_FORMAT_YUV420, "_8bit_420"},
                          {10, AVIF_PIXEL_FORMAT_YUV420, "_10bit_420"},
                          {8, AVIF_PIXEL_FORMAT_YUV444, "_8bit_444"}};
    for (const Kind& k : kinds) {
        const std::string base = std::string("1920x1080") + k.name;
        using Fn = void (*)(benchmark::State&, uint32_t, uint32_t, Kind);
        const std::pair<const char*, Fn> decoders[] = {{"libavif_dav1d_bgr", BM_Library},
                                                       {"ours", BM_Ours}};
        for (const auto& [name, fn] : decoders)
            bestOfThree(
                benchmark::RegisterBenchmark((base + "/" + name).c_str(), fn, 1920u, 1080u, k));
    }
}

}  // namespace

int main(int argc, char** argv) { return runDecodeBenchmarks(argc, argv, registerAll); }
