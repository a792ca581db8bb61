// JPEG decoding: our decoder (bottom-up bitmap through our source and error
// managers) against libjpeg-turbo decoding the same file straight into a
// top-down blue-green-red buffer. Files are made here from deterministic
// photo-like content with libjpeg's compressor (quality 90, 4:2:0).
//
// `x_library` is each result's CPU time over the library's best of five on
// the same file.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <map>
#include <string>
#include <vector>

// jpeglib.h needs size_t and FILE declared before it.
// clang-format off
#include <cstddef>
#include <cstdio>
#include <jpeglib.h>
// clang-format on

#include "base/page_alloc.h"
#include "decode/decoders.h"
#include "decode_bench_common.h"

namespace {

using Bytes = std::vector<uint8_t>;

std::vector<uint8_t> photo(uint32_t w, uint32_t h) {
    std::vector<uint8_t> px(size_t(w) * h * 3);
    std::vector<float> sx(3 * size_t(w)), sy(3 * size_t(h));
    for (int c = 0; c < 3; ++c) {
        for (uint32_t x = 0; x < w; ++x)
            sx[c * size_t(w) + x] = 60 * std::sin(x * (0.0021f + 0.0007f * c) + c) +
                                    25 * std::sin(x * 0.031f * (c + 1));
        for (uint32_t y = 0; y < h; ++y)
            sy[c * size_t(h) + y] =
                45 * std::cos(y * (0.0033f + 0.0005f * c) - c) + 15 * std::sin(y * 0.027f + c);
    }
    uint32_t lcg = 777;
    size_t i = 0;
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x)
            for (int c = 0; c < 3; ++c) {
                lcg = lcg * 1664525u + 1013904223u;
                const float v = 128 + sx[c * size_t(w) + x] + sy[c * size_t(h) + y] +
                                float(int((lcg >> 24) % 9) - 4);
                px[i++] = uint8_t(v < 0 ? 0 : v > 255 ? 255 : v);
            }
    return px;
}

Bytes encode(uint32_t w, uint32_t h, bool progressive) {
    const std::vector<uint8_t> px = photo(w, h);
    jpeg_compress_struct c{};
    jpeg_error_mgr err;
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    unsigned char* mem = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&c, &mem, &size);
    c.image_width = w;
    c.image_height = h;
    c.input_components = 3;
    c.in_color_space = JCS_RGB;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, 90, TRUE);
    if (progressive) jpeg_simple_progression(&c);
    jpeg_start_compress(&c, TRUE);
    while (c.next_scanline < h) {
        JSAMPROW row = const_cast<JSAMPROW>(px.data() + size_t(c.next_scanline) * w * 3);
        jpeg_write_scanlines(&c, &row, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    Bytes out(mem, mem + size);
    std::free(mem);
    return out;
}

struct LibError {
    jpeg_error_mgr pub;
    jmp_buf jump;
};
void libErrorExit(j_common_ptr c) { longjmp(reinterpret_cast<LibError*>(c->err)->jump, 1); }

// libjpeg-turbo straight into a blue-green-red buffer, as a program using the
// library alone would.
bool libraryDecode(const Bytes& file) {
    jpeg_decompress_struct d{};
    LibError err;
    d.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = libErrorExit;
    uint8_t* volatile pixels = nullptr;
    JSAMPROW* volatile rows = nullptr;
    if (setjmp(err.jump)) {
        jpeg_destroy_decompress(&d);
        std::free(pixels);
        std::free(rows);
        return false;
    }
    jpeg_create_decompress(&d);
    jpeg_mem_src(&d, file.data(), static_cast<unsigned long>(file.size()));
    jpeg_read_header(&d, TRUE);
    d.out_color_space = JCS_EXT_BGR;
    jpeg_start_decompress(&d);
    const size_t stride = size_t(d.output_width) * 3;
    pixels = static_cast<uint8_t*>(std::malloc(stride * d.output_height));
    rows = static_cast<JSAMPROW*>(std::malloc(sizeof(JSAMPROW) * d.output_height));
    for (uint32_t y = 0; y < d.output_height; ++y) rows[y] = pixels + y * stride;
    while (d.output_scanline < d.output_height)
        jpeg_read_scanlines(&d, rows + d.output_scanline, d.output_height - d.output_scanline);
    jpeg_finish_decompress(&d);
    jpeg_destroy_decompress(&d);
    benchmark::DoNotOptimize(pixels[0]);
    std::free(pixels);
    std::free(rows);
    return true;
}

struct TestFile {
    Bytes jpeg;
    double librarySeconds = 0;
};

const TestFile& testFile(uint32_t w, uint32_t h, bool progressive) {
    static std::map<std::string, TestFile> files;
    const std::string key = std::to_string(w) + "x" + std::to_string(h) + (progressive ? "p" : "");
    auto it = files.find(key);
    if (it != files.end()) return it->second;
    TestFile f;
    f.jpeg = encode(w, h, progressive);
    f.librarySeconds = bestOfFiveSeconds([&] {
        if (!libraryDecode(f.jpeg)) std::abort();
    });
    return files.emplace(key, std::move(f)).first->second;
}

void finish(benchmark::State& state, const TestFile& f) {
    reportBeside(state, "x_library", f.librarySeconds, "MB_jpeg", f.jpeg.size());
}

void BM_Library(benchmark::State& state, uint32_t w, uint32_t h, bool progressive) {
    const TestFile& f = testFile(w, h, progressive);
    for (auto _ : state)
        if (!libraryDecode(f.jpeg)) state.SkipWithError("library decode failed");
    finish(state, f);
}

void BM_Ours(benchmark::State& state, uint32_t w, uint32_t h, bool progressive) {
    const TestFile& f = testFile(w, h, progressive);
    runOurDecoder(state, decodeJpegBytes, f.jpeg);
    finish(state, f);
}

void registerAll() {
    struct Case {
        uint32_t w, h;
        bool progressive;
    };
    for (const Case c :
         {Case{4000, 3000, false}, Case{1920, 1080, false}, Case{1920, 1080, true}}) {
        const std::string base = std::to_string(c.w) + "x" + std::to_string(c.h) +
                                 (c.progressive ? "_progressive" : "_baseline");
        using Fn = void (*)(benchmark::State&, uint32_t, uint32_t, bool);
        const std::pair<const char*, Fn> decoders[] = {{"libjpeg_bgr", BM_Library},
                                                       {"ours", BM_Ours}};
        for (const auto& [name, fn] : decoders) {
            bestOfThree(benchmark::RegisterBenchmark((base + "/" + name).c_str(), fn, c.w, c.h,
                                                     c.progressive));
        }
    }
}

}  // namespace

int main(int argc, char** argv) { return runDecodeBenchmarks(argc, argv, registerAll); }
