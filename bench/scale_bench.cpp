// The scaler enlarging 1000 x 700 to 1920 x 1344 (both directions, so one
// temporary block), next to a plain copy of the output's size.
#include <benchmark/benchmark.h>

#include <cstring>

#include "base/page_alloc.h"
#include "image/loaded_image.h"
#include "image/scale.h"

namespace {

constexpr int kW = 1000, kH = 700, kTW = 1920, kTH = 1344;

void BM_Scale1000x700To1920x1344(benchmark::State& state) {
    PageBlock src(pixelBlockSize(kW, kH, 24));
    PageBlock dst(pixelBlockSize(kTW, kTH, 24));
    for (uint32_t i = 0; i < pixelBlockSize(kW, kH, 24); ++i)
        src.get()[i] = static_cast<uint8_t>(i * 2654435761u >> 24);
    ScaleRequest r;
    r.width = kW;
    r.height = kH;
    r.source = src.get();
    r.destination = dst.get();
    for (auto _ : state) {
        if (!scaleImage(r, kTW, kTH)) {
            state.SkipWithError("refused");
            break;
        }
        benchmark::DoNotOptimize(dst.get());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_Scale1000x700To1920x1344)->Unit(benchmark::kMillisecond);

void BM_CopyOutputSize(benchmark::State& state) {
    const uint32_t size = pixelBlockSize(kTW, kTH, 24);
    PageBlock a(size), b(size);
    std::memset(a.get(), 1, size);
    std::memset(b.get(), 2, size);
    for (auto _ : state) {
        std::memcpy(b.get(), a.get(), size);
        benchmark::DoNotOptimize(b.get());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_CopyOutputSize)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
