// The 32-bit program's own decoders on the files the native decoders bench
// wrote (bench/decoders_bench.cpp), each beside the native figure for the
// same file, then the PNG row routines of each instruction set this
// processor runs, on their own. Usage: decoders_bench.exe [FOLDER] (default
// build\bench\decoder_files, as scripts/bench.sh runs it from the checkout).
#include <windows.h>

#include <cstring>
#include <map>

#include "bench/decoders_timing.h"
#include "decode/png_rows.h"

namespace {

std::map<std::string, double> nativeFigures(const std::string& folder) {
    std::map<std::string, double> out;
    FILE* f = std::fopen(decoderbench::figuresPath(folder).c_str(), "r");
    if (!f) return out;
    char name[64];
    double ms;
    while (std::fscanf(f, "%63s %lf", name, &ms) == 2) out[name] = ms;
    std::fclose(f);
    return out;
}

// Filtered-row throughput of one routine: 4000 pixels a row of noise.
double rowMegabytesPerSecond(png::PixelFormat format, int unit, int filter, png::RowSimd simd) {
    constexpr int kRows = 2000;
    decoderbench::RowWork work(format, unit, filter, simd);
    double best = 1e30;
    for (int round = 0; round < 3; ++round) {
        const auto start = std::chrono::steady_clock::now();
        for (int r = 0; r < kRows; ++r) work.run();
        const auto end = std::chrono::steady_clock::now();
        best = std::min(best, std::chrono::duration<double>(end - start).count());
    }
    return double(work.bytes) * kRows / best / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string folder = argc > 1 ? argv[1] : decoderbench::defaultFolder();
    const auto native = nativeFigures(folder);
    std::printf("%-16s %12s %12s %8s\n", "file", "32-bit ms", "native ms", "ratio");
    int status = 0;
    for (const auto& s : decoderbench::kSamples) {
        const auto bytes = decoderbench::readFile(decoderbench::samplePath(folder, s));
        const double ms = bytes.empty() ? -1 : decoderbench::bestMs(bytes, s.codec);
        const auto it = native.find(s.name);
        const double nat = it == native.end() ? -1 : it->second;
        if (ms < 0) status = 1;
        std::printf("%-16s %12.1f %12.1f %8.2f\n", s.name, ms, nat,
                    ms > 0 && nat > 0 ? ms / nat : 0.0);
    }

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
    const int levels = int(png::rowSimdAvailable());
    std::printf("\nPNG rows, MB/s of filtered data (this processor: %s)\n%-22s", simdNames[levels],
                "format/filter");
    for (int level = 0; level <= levels; ++level) std::printf(" %10s", simdNames[level]);
    std::printf("\n");
    for (const auto& f : formats)
        for (int filter = 0; filter < 5; ++filter) {
            char label[32];
            std::snprintf(label, sizeof label, "%s/%d", f.name, filter);
            std::printf("%-22s", label);
            for (int level = 0; level <= levels; ++level)
                std::printf(" %10.0f",
                            rowMegabytesPerSecond(f.format, f.unit, filter, png::RowSimd(level)));
            std::printf("\n");
        }
    return status;
}
