// Uncompressed RGB TIFF decoding: ours against libtiff's scanline reading
// (with the same conversion to bottom-up blue-green-red rows), and a plain
// copy of the file's bytes into a fresh page block as the floor.
#include <benchmark/benchmark.h>
#include <tiffio.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "base/page_alloc.h"
#include "decode/decoders.h"

namespace {

constexpr uint32_t kWidth = 4000, kHeight = 3000;

// Written by libtiff itself, in its usual strips of about 8 KiB.
const std::vector<uint8_t>& tiffFile() {
    static const std::vector<uint8_t> bytes = [] {
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
        TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_NONE);
        TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, TIFFDefaultStripSize(tif, 0));
        std::vector<uint8_t> row(kWidth * 3);
        for (uint32_t y = 0; y < kHeight; ++y) {
            for (uint32_t i = 0; i < row.size(); ++i) row[i] = static_cast<uint8_t>(i * 7 + y);
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
    }();
    return bytes;
}

void setCounters(benchmark::State& st) {
    st.counters["MB/s"] = benchmark::Counter(double(tiffFile().size()) / 1e6,
                                             benchmark::Counter::kIsIterationInvariantRate);
}

void tiff_ours(benchmark::State& st) {
    const auto& file = tiffFile();
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
    setCounters(st);
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

void tiff_libtiff_scanlines(benchmark::State& st) {
    const auto& file = tiffFile();
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
    setCounters(st);
}

void tiff_plain_copy(benchmark::State& st) {
    const auto& file = tiffFile();
    for (auto _ : st) {
        PageBlock out(file.size());
        std::memcpy(out.get(), file.data(), file.size());
        benchmark::DoNotOptimize(out.get()[0]);
    }
    setCounters(st);
}

}  // namespace

BENCHMARK(tiff_ours)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(tiff_libtiff_scanlines)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(tiff_plain_copy)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK_MAIN();
