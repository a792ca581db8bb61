// Reading a 4000 x 3000 24-bit BMP, next to the floor: reading the same file
// into memory. The reader should stay within 1.5 times the floor.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "base/page_alloc.h"
#include "base/wide_path.h"
#include "decode/decoders.h"
#include "image/bmp_file.h"
#include "image/loaded_image.h"

namespace {

constexpr int kWidth = 4000, kHeight = 3000;

const std::string& benchFile() {
    static const std::string path = [] {
        const std::string p = "/tmp/tolvex-bench-" + std::to_string(getpid()) + ".bmp";
        const dib::BITMAPINFOHEADER header = dib::bottomUpHeader(kWidth, kHeight, 24);
        const uint32_t pixels = pixelBlockSize(kWidth, kHeight, 24);
        PageBlock bits(pixels);
        for (uint32_t i = 0; i < pixels; ++i)
            bits.get()[i] = static_cast<uint8_t>((i + 54) * 2654435761u >> 24);
        (void)writeBmpFile(widenPath(p.c_str()).c_str(), header, nullptr, bits.get());
        std::atexit([] { std::remove(benchFile().c_str()); });
        return p;
    }();
    return path;
}

void BM_ReadFileIntoMemory(benchmark::State& state) {
    const std::string& path = benchFile();
    for (auto _ : state) {
        const int fd = open(path.c_str(), O_RDONLY);
        const off_t size = lseek(fd, 0, SEEK_END);
        lseek(fd, 0, SEEK_SET);
        PageBlock block(static_cast<size_t>(size));
        size_t got = 0;
        while (got < static_cast<size_t>(size)) {
            const ssize_t n = read(fd, block.get() + got, static_cast<size_t>(size) - got);
            if (n <= 0) break;
            got += static_cast<size_t>(n);
        }
        close(fd);
        benchmark::DoNotOptimize(block.get());
    }
    state.SetBytesProcessed(state.iterations() * (54 + int64_t{12000} * kHeight));
}
BENCHMARK(BM_ReadFileIntoMemory)->Unit(benchmark::kMillisecond);

void BM_ReadBmp24(benchmark::State& state) {
    const std::wstring path = widenPath(benchFile().c_str());
    for (auto _ : state) {
        DecoderState st;
        LoadedImage* img = readBmp(path.c_str(), st);
        if (!img) {
            state.SkipWithError("decode failed");
            break;
        }
        const OwnedImage picture(*img);
        benchmark::DoNotOptimize(picture.bits());
    }
    state.SetBytesProcessed(state.iterations() * (54 + int64_t{12000} * kHeight));
}
BENCHMARK(BM_ReadBmp24)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
