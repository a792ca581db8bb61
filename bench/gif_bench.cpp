// GIF decoding, ours against giflib, on 256-colour pictures of photo-like
// content made here with giflib's encoder. Both sides produce the same thing:
// a 256-entry palette and bottom-up rows of indices in a fresh page block.
#include <benchmark/benchmark.h>
#include <gif_lib.h>

#include <cstring>
#include <vector>

#include "base/page_alloc.h"
#include "decode/decoders.h"

namespace {

struct Picture {
    int width, height;
    std::vector<uint8_t> bytes;
};

int appendOutput(GifFileType* gif, const GifByteType* data, int n) {
    auto* out = static_cast<std::vector<uint8_t>*>(gif->UserData);
    out->insert(out->end(), data, data + n);
    return n;
}

// A smooth field with fine detail and dither noise: strings of a few pixels,
// as quantised photographs give.
Picture makePicture(int w, int h) {
    Picture p{w, h, {}};
    int error = 0;
    GifFileType* gif = EGifOpen(&p.bytes, appendOutput, &error);
    ColorMapObject* map = GifMakeMapObject(256, nullptr);
    for (int i = 0; i < 256; ++i)
        map->Colors[i] =
            GifColorType{static_cast<GifByteType>(i), static_cast<GifByteType>(255 - i),
                         static_cast<GifByteType>(i * 7)};
    EGifPutScreenDesc(gif, w, h, 8, 0, map);
    EGifPutImageDesc(gif, 0, 0, w, h, false, nullptr);
    std::vector<GifPixelType> line(static_cast<size_t>(w));
    uint32_t s = 7;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            s = s * 1664525u + 1013904223u;
            const int smooth = (x / 6 + y / 4 + ((x / 40) * (y / 30)) % 64) & 255;
            line[static_cast<size_t>(x)] = static_cast<GifPixelType>((smooth + (s >> 30)) & 255);
        }
        EGifPutLine(gif, line.data(), w);
    }
    EGifCloseFile(gif, &error);
    GifFreeMapObject(map);
    return p;
}

const Picture& picture(int which) {
    static const Picture big = makePicture(4000, 3000);
    static const Picture hd = makePicture(1920, 1080);
    return which == 0 ? big : hd;
}

void gif_ours(benchmark::State& st, int which) {
    const Picture& p = picture(which);
    for (auto _ : st) {
        DecoderState state;
        state.attach(p.bytes.data(), p.bytes.size());
        LoadedImage* image = decodeGif(state);
        if (!image) {
            st.SkipWithError("decode failed");
            break;
        }
        benchmark::DoNotOptimize(image->bits[0]);
        pageFree(image->bits);
    }
    st.counters["Mpx/s"] = benchmark::Counter(double(p.width) * p.height / 1e6,
                                              benchmark::Counter::kIsIterationInvariantRate);
}

struct MemoryInput {
    const std::vector<uint8_t>* bytes;
    size_t pos;
};
int readInput(GifFileType* gif, GifByteType* buf, int n) {
    auto* in = static_cast<MemoryInput*>(gif->UserData);
    const size_t take = std::min<size_t>(static_cast<size_t>(n), in->bytes->size() - in->pos);
    std::memcpy(buf, in->bytes->data() + in->pos, take);
    in->pos += take;
    return static_cast<int>(take);
}

void gif_giflib(benchmark::State& st, int which) {
    const Picture& p = picture(which);
    for (auto _ : st) {
        MemoryInput in{&p.bytes, 0};
        int error = 0;
        GifFileType* gif = DGifOpen(&in, readInput, &error);
        if (!gif || DGifSlurp(gif) != GIF_OK) {
            st.SkipWithError("giflib failed");
            break;
        }
        const SavedImage& img = gif->SavedImages[0];
        const ColorMapObject* map =
            img.ImageDesc.ColorMap ? img.ImageDesc.ColorMap : gif->SColorMap;
        dib::RGBQUAD palette[256] = {};
        for (int i = 0; i < map->ColorCount; ++i)
            palette[i] =
                dib::RGBQUAD{map->Colors[i].Blue, map->Colors[i].Green, map->Colors[i].Red, 0};
        const size_t stride = rowStride(gif->SWidth, 8);
        PageBlock canvas(stride * static_cast<size_t>(gif->SHeight));
        for (int y = 0; y < gif->SHeight; ++y)
            std::memcpy(canvas.get() + static_cast<size_t>(gif->SHeight - 1 - y) * stride,
                        img.RasterBits + static_cast<size_t>(y) * gif->SWidth,
                        static_cast<size_t>(gif->SWidth));
        benchmark::DoNotOptimize(palette[0]);
        benchmark::DoNotOptimize(canvas.get()[0]);
        DGifCloseFile(gif, &error);
    }
    st.counters["Mpx/s"] = benchmark::Counter(double(p.width) * p.height / 1e6,
                                              benchmark::Counter::kIsIterationInvariantRate);
}

}  // namespace

BENCHMARK_CAPTURE(gif_ours, 4000x3000, 0)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK_CAPTURE(gif_giflib, 4000x3000, 0)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK_CAPTURE(gif_ours, 1920x1080, 1)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK_CAPTURE(gif_giflib, 1920x1080, 1)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK_MAIN();
