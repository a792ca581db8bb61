// RGB TIFF decoding, uncompressed and compressed (LZW with and without the
// horizontal predictor, Deflate with it, PackBits): ours against libtiff's
// scanline reading of the same file (with the same conversion to bottom-up
// blue-green-red rows), and a plain copy of the file's bytes into a fresh
// page block as the floor.
#include <benchmark/benchmark.h>
#include <tiffio.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "base/page_alloc.h"
#include "decode/decoders.h"

namespace {

constexpr uint32_t kWidth = 4000, kHeight = 3000;

struct Codec {
    const char* name;
    uint16_t compression, predictor;
};
constexpr Codec kCodecs[] = {{"none", COMPRESSION_NONE, PREDICTOR_NONE},
                             {"lzw", COMPRESSION_LZW, PREDICTOR_NONE},
                             {"lzw_predictor", COMPRESSION_LZW, PREDICTOR_HORIZONTAL},
                             {"deflate_predictor", COMPRESSION_ADOBE_DEFLATE, PREDICTOR_HORIZONTAL},
                             {"packbits", COMPRESSION_PACKBITS, PREDICTOR_NONE}};

// Photo-like rows (smooth shapes, a little noise, flat stretches), written by
// libtiff itself in its usual strips of about 8 KiB.
std::vector<uint8_t> writeFile(const Codec& codec) {
    char path[] = "/tmp/tiff_bench_XXXXXX";
    const int fd = mkstemp(path);
    close(fd);
    TIFF* tif = TIFFOpen(path, "w");
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, kWidth);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, kHeight);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 3);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tif, TIFFTAG_COMPRESSION, codec.compression);
    if (codec.predictor != PREDICTOR_NONE) TIFFSetField(tif, TIFFTAG_PREDICTOR, codec.predictor);
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, TIFFDefaultStripSize(tif, 0));
    std::vector<uint8_t> row(kWidth * 3);
    uint32_t lcg = 99;
    for (uint32_t y = 0; y < kHeight; ++y) {
        for (uint32_t x = 0; x < kWidth; ++x)
            for (uint32_t c = 0; c < 3; ++c) {
                lcg = lcg * 1664525u + 1013904223u;
                const float v = 128 + 60 * std::sin(x * (0.002f + 0.0007f * c) + c) +
                                45 * std::cos(y * (0.003f + 0.0005f * c) - c) +
                                (x / 64 % 4 == 0 ? 0.0f : float(int(lcg >> 30) - 2));
                row[x * 3 + c] = uint8_t(v < 0 ? 0 : v > 255 ? 255 : v);
            }
        TIFFWriteScanline(tif, row.data(), y, 0);
    }
    TIFFClose(tif);
    std::vector<uint8_t> out;
    FILE* f = std::fopen(path, "rb");
    uint8_t buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) out.insert(out.end(), buf, buf + n);
    std::fclose(f);
    unlink(path);
    return out;
}

const std::vector<uint8_t>& tiffFile(int codec) {
    static std::map<int, std::vector<uint8_t>> files;
    auto it = files.find(codec);
    if (it == files.end()) it = files.emplace(codec, writeFile(kCodecs[codec])).first;
    return it->second;
}

// Megabytes of picture (3 x width x height) a second, and the file's size.
void setCounters(benchmark::State& st, int codec) {
    st.counters["MB/s"] = benchmark::Counter(double(kWidth) * kHeight * 3 / 1e6,
                                             benchmark::Counter::kIsIterationInvariantRate);
    st.counters["file_MB"] = double(tiffFile(codec).size()) / 1e6;
}

void tiff_ours(benchmark::State& st, int codec) {
    const auto& file = tiffFile(codec);
    for (auto _ : st) {
        DecoderState state;
        state.attach(file.data(), file.size());
        LoadedImage* image = decodeTiff(state);
        if (!image) {
            st.SkipWithError("decode failed");
            break;
        }
        benchmark::DoNotOptimize(image->bits[0]);
        pageFree(image->bits);
    }
    setCounters(st, codec);
}

struct Memory {
    const std::vector<uint8_t>* bytes;
    toff_t pos;
};
tmsize_t readProc(thandle_t h, void* buf, tmsize_t n) {
    auto* m = static_cast<Memory*>(h);
    const size_t left = m->pos < m->bytes->size() ? m->bytes->size() - m->pos : 0;
    const size_t take = std::min<size_t>(static_cast<size_t>(n), left);
    std::memcpy(buf, m->bytes->data() + m->pos, take);
    m->pos += take;
    return static_cast<tmsize_t>(take);
}
tmsize_t writeProc(thandle_t, void*, tmsize_t) { return 0; }
toff_t seekProc(thandle_t h, toff_t off, int whence) {
    auto* m = static_cast<Memory*>(h);
    m->pos = whence == SEEK_SET ? off : whence == SEEK_CUR ? m->pos + off : m->bytes->size() + off;
    return m->pos;
}
int closeProc(thandle_t) { return 0; }
toff_t sizeProc(thandle_t h) { return static_cast<Memory*>(h)->bytes->size(); }
int mapProc(thandle_t h, void** base, toff_t* size) {
    auto* m = static_cast<Memory*>(h);
    *base = const_cast<uint8_t*>(m->bytes->data());
    *size = m->bytes->size();
    return 1;
}
void unmapProc(thandle_t, void*, toff_t) {}

void tiff_libtiff_scanlines(benchmark::State& st, int codec) {
    const auto& file = tiffFile(codec);
    for (auto _ : st) {
        Memory m{&file, 0};
        TIFF* tif = TIFFClientOpen("memory", "rm", &m, readProc, writeProc, seekProc, closeProc,
                                   sizeProc, mapProc, unmapProc);
        uint32_t w = 0, h = 0;
        TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &w);
        TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &h);
        const size_t stride = rowStride(static_cast<int32_t>(w), 24);
        PageBlock out(stride * h);
        std::vector<uint8_t> line(static_cast<size_t>(TIFFScanlineSize(tif)));
        for (uint32_t y = 0; y < h; ++y) {
            TIFFReadScanline(tif, line.data(), y, 0);
            uint8_t* dst = out.get() + static_cast<size_t>(h - 1 - y) * stride;
            const uint8_t* src = line.data();
            for (uint32_t x = 0; x < w; ++x, src += 3, dst += 3) {
                dst[0] = src[2];
                dst[1] = src[1];
                dst[2] = src[0];
            }
        }
        benchmark::DoNotOptimize(out.get()[0]);
        TIFFClose(tif);
    }
    setCounters(st, codec);
}

void tiff_plain_copy(benchmark::State& st, int codec) {
    const auto& file = tiffFile(codec);
    for (auto _ : st) {
        PageBlock out(file.size());
        std::memcpy(out.get(), file.data(), file.size());
        benchmark::DoNotOptimize(out.get()[0]);
    }
    setCounters(st, codec);
}

void registerAll() {
    using Fn = void (*)(benchmark::State&, int);
    const std::pair<const char*, Fn> readers[] = {{"ours", tiff_ours},
                                                  {"libtiff_scanlines", tiff_libtiff_scanlines},
                                                  {"plain_copy", tiff_plain_copy}};
    for (int c = 0; c < int(std::size(kCodecs)); ++c)
        for (const auto& [name, fn] : readers) {
            if (fn == tiff_plain_copy && c != 0) continue;
            const std::string label = std::string("tiff_") + kCodecs[c].name + "/" + name;
            benchmark::RegisterBenchmark(label.c_str(), fn, c)
                ->Unit(benchmark::kMillisecond)
                ->Repetitions(5)
                ->ReportAggregatesOnly(true);
        }
}

}  // namespace

int main(int argc, char** argv) {
    registerAll();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
