// Reading a 4000 x 3000 24-bit BMP, next to the floor: reading the same file
// into memory. The reader should stay within 1.5 times the floor.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "base/page_alloc.h"
#include "base/wide_path.h"
#include "decode/decoders.h"

namespace {

constexpr int kWidth = 4000, kHeight = 3000;

const std::string& benchFile() {
    static const std::string path = [] {
        const std::string p = "/tmp/tolvex-bench-" + std::to_string(getpid()) + ".bmp";
        const uint32_t stride = (3 * kWidth + 3) & ~3u;
        const uint32_t pixels = stride * kHeight;
        std::vector<uint8_t> f(54 + size_t{pixels});
        auto put32 = [&](size_t at, uint32_t v) { std::memcpy(&f[at], &v, 4); };
        f[0] = 'B';
        f[1] = 'M';
        put32(2, static_cast<uint32_t>(f.size()));
        put32(10, 54);
        put32(14, 40);
        put32(18, kWidth);
        put32(22, kHeight);
        f[26] = 1;
        f[28] = 24;
        for (size_t i = 54; i < f.size(); ++i) f[i] = static_cast<uint8_t>(i * 2654435761u >> 24);
        FILE* out = std::fopen(p.c_str(), "wb");
        std::fwrite(f.data(), 1, f.size(), out);
        std::fclose(out);
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
        benchmark::DoNotOptimize(img->bits);
        pageFree(img->bits);
    }
    state.SetBytesProcessed(state.iterations() * (54 + int64_t{12000} * kHeight));
}
BENCHMARK(BM_ReadBmp24)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
