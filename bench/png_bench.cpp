// PNG decoding side by side on the same files: our decoder, libpng's
// low-level reader, libspng, stb_image, and zlib's inflate alone on the
// concatenated image data (the floor no zlib-based decoder can go below).
// The files are made here (libpng's writer, default compression and filter
// choice) from deterministic photo-like content, so nothing large is stored.
//
// Each result carries `x_floor`: its CPU time over the floor's for the same
// file (the floor measured once per file, best of five runs), and `x_fresh`:
// the same against inflating into a freshly allocated block from the page
// allocator, which is what any decoder that returns a new picture pays on
// top of inflate (the kernel hands out zeroed pages one fault at a time).
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <png.h>
#include <spng.h>
#include <zlib.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <map>
#include <string>
#include <vector>

#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#define STBI_NO_STDIO
#include <stb/stb_image.h>

#include "base/page_alloc.h"
#include "decode/decoders.h"
#include "decode/png_rows.h"
#include "decode_bench_common.h"
#include "decoders_timing.h"

namespace {

using Bytes = std::vector<uint8_t>;

enum class Kind { Rgb, Rgba, Palette, Rgb16, RgbInterlaced };

const char* kindName(Kind k) {
    switch (k) {
        case Kind::Rgb:
            return "rgb8";
        case Kind::Rgba:
            return "rgba8";
        case Kind::Palette:
            return "palette8";
        case Kind::Rgb16:
            return "rgb16";
        case Kind::RgbInterlaced:
            return "rgb8_adam7";
    }
    return "";
}

// Smooth shapes plus sensor-like noise: compresses roughly as photographs do.
struct Photo {
    uint32_t width, height;
    std::vector<uint8_t> rgba;
    std::vector<uint8_t> noise;  // one byte a sample, for 16-bit low bytes
};

Photo makePhoto(uint32_t w, uint32_t h) {
    Photo p{w, h, std::vector<uint8_t>(size_t(w) * h * 4), std::vector<uint8_t>(size_t(w) * h * 4)};
    std::vector<float> sx(4 * size_t(w)), sy(4 * size_t(h));
    for (int c = 0; c < 4; ++c) {
        for (uint32_t x = 0; x < w; ++x)
            sx[c * size_t(w) + x] = 60 * std::sin(x * (0.0021f + 0.0007f * c) + c) +
                                    25 * std::sin(x * 0.031f * (c + 1));
        for (uint32_t y = 0; y < h; ++y)
            sy[c * size_t(h) + y] =
                45 * std::cos(y * (0.0033f + 0.0005f * c) - c) + 15 * std::sin(y * 0.027f + c);
    }
    uint32_t lcg = 12345;
    size_t i = 0;
    for (uint32_t y = 0; y < h; ++y) {
        for (uint32_t x = 0; x < w; ++x, i += 4) {
            for (int c = 0; c < 4; ++c) {
                lcg = lcg * 1664525u + 1013904223u;
                const int n = int((lcg >> 24) % 9) - 4;
                float v = 128 + sx[c * size_t(w) + x] + sy[c * size_t(h) + y] + n;
                if (c == 3) v = 200 + 2 * (v - 128);  // alpha: mostly opaque, soft edges
                p.rgba[i + c] = uint8_t(v < 0 ? 0 : v > 255 ? 255 : v);
                p.noise[i + c] = uint8_t(lcg >> 16);
            }
        }
    }
    return p;
}

void writeBytes(png_structp png, png_bytep data, size_t n) {
    auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + n);
}
void flushNothing(png_structp) {}

Bytes encode(const Photo& p, Kind kind) {
    const uint32_t w = p.width, h = p.height;
    int colourType = PNG_COLOR_TYPE_RGB, depth = 8, channels = 3;
    if (kind == Kind::Rgba) colourType = PNG_COLOR_TYPE_RGB_ALPHA, channels = 4;
    if (kind == Kind::Palette) colourType = PNG_COLOR_TYPE_PALETTE, channels = 1;
    if (kind == Kind::Rgb16) depth = 16;
    const size_t rowBytes = size_t(w) * channels * (depth / 8);
    std::vector<uint8_t> image(rowBytes * h);
    for (size_t px = 0; px < size_t(w) * h; ++px) {
        const uint8_t* s = &p.rgba[px * 4];
        if (kind == Kind::Palette) {
            // A 6 x 7 x 6 colour cube.
            image[px] = uint8_t((s[0] * 6 / 256) * 42 + (s[1] * 7 / 256) * 6 + s[2] * 6 / 256);
        } else if (depth == 16) {
            for (int c = 0; c < 3; ++c) {
                image[px * 6 + 2 * c] = s[c];
                image[px * 6 + 2 * c + 1] = p.noise[px * 4 + c];
            }
        } else {
            std::memcpy(&image[px * channels], s, channels);
        }
    }
    Bytes out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) std::abort();
    png_set_write_fn(png, &out, writeBytes, flushNothing);
    png_set_IHDR(png, info, w, h, depth, colourType,
                 kind == Kind::RgbInterlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (kind == Kind::Palette) {
        png_color palette[252];
        for (int i = 0; i < 252; ++i)
            palette[i] = {uint8_t((i / 42) * 51), uint8_t((i / 6 % 7) * 42), uint8_t((i % 6) * 51)};
        png_set_PLTE(png, info, palette, 252);
    }
    png_write_info(png, info);
    std::vector<png_bytep> rows(h);
    for (uint32_t y = 0; y < h; ++y) rows[y] = image.data() + y * rowBytes;
    png_write_image(png, rows.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}

struct TestFile {
    Bytes png;
    Bytes zdata;         // the IDAT chunks' data, concatenated
    size_t rawSize = 0;  // inflated size
    double floorSeconds = 0;
    double freshSeconds = 0;
};

uint32_t be32(const uint8_t* p) {
    return (uint32_t{p[0]} << 24) | (p[1] << 16) | (p[2] << 8) | p[3];
}

bool inflateAll(const Bytes& z, uint8_t* out, size_t size) {
    z_stream s{};
    inflateInit(&s);
    s.next_in = const_cast<Bytef*>(z.data());
    s.avail_in = uInt(z.size());
    s.next_out = out;
    s.avail_out = uInt(size);
    const int ret = inflate(&s, Z_FINISH);
    inflateEnd(&s);
    return ret == Z_STREAM_END;
}

const TestFile& testFile(uint32_t w, uint32_t h, Kind kind) {
    static std::map<std::string, TestFile> files;
    static std::map<uint64_t, Photo> photos;
    const std::string key = std::to_string(w) + "x" + std::to_string(h) + kindName(kind);
    auto it = files.find(key);
    if (it != files.end()) return it->second;
    const uint64_t pk = uint64_t{w} << 32 | h;
    if (!photos.count(pk)) photos.emplace(pk, makePhoto(w, h));
    TestFile f;
    f.png = encode(photos.at(pk), kind);
    for (size_t pos = 8; pos + 12 <= f.png.size();) {
        const uint32_t len = be32(&f.png[pos]);
        if (std::memcmp(&f.png[pos + 4], "IDAT", 4) == 0)
            f.zdata.insert(f.zdata.end(), f.png.begin() + pos + 8, f.png.begin() + pos + 8 + len);
        pos += size_t(len) + 12;
    }
    z_stream s{};
    inflateInit(&s);
    std::vector<uint8_t> sink(1 << 20);
    s.next_in = f.zdata.data();
    s.avail_in = uInt(f.zdata.size());
    int ret;
    do {
        s.next_out = sink.data();
        s.avail_out = uInt(sink.size());
        ret = inflate(&s, Z_NO_FLUSH);
    } while (ret == Z_OK);
    f.rawSize = s.total_out;
    inflateEnd(&s);
    std::vector<uint8_t> out(f.rawSize);
    f.floorSeconds = 1e9;
    for (int i = 0; i < 5; ++i) {
        const double t0 = cpuSeconds();
        if (!inflateAll(f.zdata, out.data(), out.size())) std::abort();
        const double t = cpuSeconds() - t0;
        if (t < f.floorSeconds) f.floorSeconds = t;
    }
    f.freshSeconds = 1e9;
    for (int i = 0; i < 5; ++i) {
        const double t0 = cpuSeconds();
        auto* block = static_cast<uint8_t*>(pageAlloc(f.rawSize));
        if (!inflateAll(f.zdata, block, f.rawSize)) std::abort();
        pageFree(block);
        const double t = cpuSeconds() - t0;
        if (t < f.freshSeconds) f.freshSeconds = t;
    }
    return files.emplace(key, std::move(f)).first->second;
}

void finish(benchmark::State& state, const TestFile& f) {
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(f.rawSize));
    state.counters["x_floor"] =
        benchmark::Counter(f.floorSeconds * double(state.iterations()),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["x_fresh"] =
        benchmark::Counter(f.freshSeconds * double(state.iterations()),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["MB_png"] = double(f.png.size()) / 1e6;
}

void BM_Floor(benchmark::State& state, uint32_t w, uint32_t h, Kind kind) {
    const TestFile& f = testFile(w, h, kind);
    std::vector<uint8_t> out(f.rawSize);
    inflateAll(f.zdata, out.data(), out.size());  // touch the buffer once
    for (auto _ : state) {
        if (!inflateAll(f.zdata, out.data(), out.size())) state.SkipWithError("inflate failed");
        benchmark::DoNotOptimize(out.data());
    }
    finish(state, f);
}

void BM_Ours(benchmark::State& state, uint32_t w, uint32_t h, Kind kind) {
    const TestFile& f = testFile(w, h, kind);
    runOurDecoder(state, decodePng, f.png);
    finish(state, f);
}

struct MemReader {
    const Bytes* data;
    size_t pos;
};
void readMem(png_structp png, png_bytep out, size_t n) {
    auto* r = static_cast<MemReader*>(png_get_io_ptr(png));
    if (r->data->size() - r->pos < n) png_error(png, "eof");
    std::memcpy(out, r->data->data() + r->pos, n);
    r->pos += n;
}

bool libpngDecode(const Bytes& file) {
    MemReader reader{&file, 0};
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    uint8_t* volatile pixels = nullptr;
    png_bytep* volatile rows = nullptr;
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        std::free(pixels);
        std::free(rows);
        return false;
    }
    png_set_read_fn(png, &reader, readMem);
    png_read_info(png, info);
    png_set_strip_16(png);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    const size_t rowBytes = png_get_rowbytes(png, info);
    const uint32_t h = png_get_image_height(png, info);
    pixels = static_cast<uint8_t*>(std::malloc(rowBytes * h));
    rows = static_cast<png_bytep*>(std::malloc(sizeof(png_bytep) * h));
    for (uint32_t y = 0; y < h; ++y) rows[y] = pixels + y * rowBytes;
    png_read_image(png, rows);
    png_read_end(png, nullptr);
    benchmark::DoNotOptimize(pixels[0]);
    png_destroy_read_struct(&png, &info, nullptr);
    std::free(pixels);
    std::free(rows);
    return true;
}

void BM_Libpng(benchmark::State& state, uint32_t w, uint32_t h, Kind kind) {
    const TestFile& f = testFile(w, h, kind);
    for (auto _ : state) {
        if (!libpngDecode(f.png)) {
            state.SkipWithError("libpng failed");
            break;
        }
    }
    finish(state, f);
}

void BM_Spng(benchmark::State& state, uint32_t w, uint32_t h, Kind kind) {
    const TestFile& f = testFile(w, h, kind);
    const int fmt = kind == Kind::Palette ? SPNG_FMT_PNG
                    : kind == Kind::Rgba  ? SPNG_FMT_RGBA8
                                          : SPNG_FMT_RGB8;
    for (auto _ : state) {
        spng_ctx* ctx = spng_ctx_new(0);
        spng_set_png_buffer(ctx, f.png.data(), f.png.size());
        size_t size = 0;
        int err = spng_decoded_image_size(ctx, fmt, &size);
        void* out = err ? nullptr : std::malloc(size);
        if (!err) err = spng_decode_image(ctx, out, size, fmt, 0);
        benchmark::DoNotOptimize(out);
        std::free(out);
        spng_ctx_free(ctx);
        if (err) {
            state.SkipWithError(spng_strerror(err));
            break;
        }
    }
    finish(state, f);
}

void BM_Stb(benchmark::State& state, uint32_t w, uint32_t h, Kind kind) {
    const TestFile& f = testFile(w, h, kind);
    for (auto _ : state) {
        int x, y, n;
        stbi_uc* out = stbi_load_from_memory(f.png.data(), int(f.png.size()), &x, &y, &n, 0);
        if (!out) {
            state.SkipWithError("stb_image failed");
            break;
        }
        benchmark::DoNotOptimize(out);
        stbi_image_free(out);
    }
    finish(state, f);
}

// One row routine on its own, for each instruction set this processor runs:
// 4000 pixels a row, rows of noise, bytes a second of filtered data.
void BM_Rows(benchmark::State& state, png::PixelFormat format, int unit, int filter,
             png::RowSimd simd) {
    decoderbench::RowWork work(format, unit, filter, simd);
    for (auto _ : state) {
        work.run();
        benchmark::DoNotOptimize(work.out.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(work.bytes));
}

void registerRows() {
    using png::PixelFormat;
    const struct {
        const char* name;
        PixelFormat format;
        int unit;
    } formats[] = {{"index8", PixelFormat::Index8, 1},  {"grey_alpha8", PixelFormat::GreyAlpha8, 2},
                   {"rgb8", PixelFormat::Rgb8, 3},      {"rgba8", PixelFormat::Rgba8, 4},
                   {"rgb16", PixelFormat::Rgb16, 6},    {"rgba16", PixelFormat::Rgba16, 8},
                   {"packed4", PixelFormat::Packed4, 1}};
    const char* simdNames[] = {"portable", "sse2", "ssse3"};
    for (const auto& f : formats)
        for (int filter = 0; filter < 5; ++filter)
            for (int level = 0; level <= int(png::rowSimdAvailable()); ++level) {
                const std::string label = std::string("row_") + f.name + "/filter" +
                                          std::to_string(filter) + "/" + simdNames[level];
                benchmark::RegisterBenchmark(label.c_str(), BM_Rows, f.format, f.unit, filter,
                                             png::RowSimd(level));
            }
}

void registerAll() {
    registerRows();
    const std::pair<uint32_t, uint32_t> sizes[] = {{4000, 3000}, {1920, 1080}};
    const Kind kinds[] = {Kind::Rgb, Kind::Rgba, Kind::Palette, Kind::Rgb16, Kind::RgbInterlaced};
    using Fn = void (*)(benchmark::State&, uint32_t, uint32_t, Kind);
    const std::pair<const char*, Fn> decoders[] = {{"floor_inflate", BM_Floor},
                                                   {"ours", BM_Ours},
                                                   {"libpng", BM_Libpng},
                                                   {"spng", BM_Spng},
                                                   {"stb_image", BM_Stb}};
    for (const auto& [w, h] : sizes) {
        for (Kind k : kinds) {
            for (const auto& [name, fn] : decoders) {
                const std::string label = std::string(kindName(k)) + "_" + std::to_string(w) + "x" +
                                          std::to_string(h) + "/" + name;
                bestOfThree(benchmark::RegisterBenchmark(label.c_str(), fn, w, h, k));
            }
        }
    }
}

}  // namespace

int main(int argc, char** argv) { return runDecodeBenchmarks(argc, argv, registerAll); }
