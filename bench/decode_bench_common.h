// What the decoder benchmarks share: best-of-three reporting and a main that
// gives every decoder fresh pages for its picture.
#pragma once

#include <benchmark/benchmark.h>
#include <malloc.h>
#include <time.h>

#include <cstdint>
#include <string>
#include <vector>

#include "base/page_alloc.h"
#include "decode/decoders.h"

inline double minOf(const std::vector<double>& v) {
    double m = v.empty() ? 0 : v[0];
    for (double x : v) m = x < m ? x : m;
    return m;
}

// Milliseconds, at least 0.3 s per repetition, three repetitions, and only
// their aggregates (with the best) reported.
inline void bestOfThree(benchmark::internal::Benchmark* b) {
    b->Unit(benchmark::kMillisecond)
        ->MinTime(0.3)
        ->Repetitions(3)
        ->ComputeStatistics("min", minOf)
        ->ReportAggregatesOnly(true);
}

inline int runDecodeBenchmarks(int argc, char** argv, void (*registerAll)()) {
    // Every decoder gets fresh pages for its picture, as ours does from the
    // page allocator and as a program decoding one wallpaper at a time does;
    // without this the C library would hand the others the same warm block
    // on every iteration below 32 MiB.
    mallopt(M_MMAP_THRESHOLD, 1 << 20);
    registerAll();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

inline double cpuSeconds() {
    timespec ts;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return ts.tv_sec + ts.tv_nsec * 1e-9;
}

// The best processor time of five runs of `run` (a reference decode).
template <typename Run>
double bestOfFiveSeconds(Run run) {
    double best = 1e9;
    for (int i = 0; i < 5; ++i) {
        const double t0 = cpuSeconds();
        run();
        const double t = cpuSeconds() - t0;
        if (t < best) best = t;
    }
    return best;
}

// Counters beside a decoder's time: `counter` as the ratio to
// `otherSeconds` for one decode, and the file's size in megabytes.
inline void reportBeside(benchmark::State& state, const char* counter, double otherSeconds,
                         const std::string& sizeCounter, size_t fileBytes) {
    state.counters[counter] =
        benchmark::Counter(otherSeconds * double(state.iterations()),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters[sizeCounter] = double(fileBytes) / 1e6;
}

// The program's own decoder on `file`, once per iteration, its pages given
// back each time as the program gives them back after a wallpaper.
inline void runOurDecoder(benchmark::State& state, LoadedImage* (*decode)(DecoderState&) noexcept,
                          const std::vector<uint8_t>& file) {
    for (auto _ : state) {
        DecoderState s;
        s.attach(file.data(), file.size());
        LoadedImage* image = decode(s);
        if (!image) {
            state.SkipWithError("decode failed");
            break;
        }
        benchmark::DoNotOptimize(image->bits);
        pageFree(image->bits);
    }
}
