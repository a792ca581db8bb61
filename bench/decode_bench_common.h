// What the decoder benchmarks share: best-of-three reporting and a main that
// gives every decoder fresh pages for its picture.
#pragma once

#include <benchmark/benchmark.h>
#include <malloc.h>

#include <vector>

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
