// WebP reader: our own walk over the RIFF container (every chunk inside the
// file, the size limit before anything is allocated, the EXIF orientation),
// libwebp for the bitstreams. Opaque pictures are decoded straight into the
// bottom-up block; pictures with alpha, and the first frame of an animation
// as a viewer composes it on its canvas, through a blue-green-red-alpha
// buffer flattened onto white.
#include <webp/decode.h>
#include <webp/demux.h>

#include <cstring>
#include <utility>

#include "base/page_alloc.h"
#include "decode/decoders.h"
#include "decode/exif.h"
#include "decode/flatten.h"
#include "decode/webp_container.h"

namespace {

DecodeError fromStatus(VP8StatusCode status) noexcept {
    switch (status) {
        case VP8_STATUS_OK:
            return DecodeError::None;
        case VP8_STATUS_NOT_ENOUGH_DATA:
            return DecodeError::Truncated;
        case VP8_STATUS_OUT_OF_MEMORY:
            return DecodeError::OutOfMemory;
        case VP8_STATUS_UNSUPPORTED_FEATURE:
            return DecodeError::UnsupportedCompression;
        case VP8_STATUS_BITSTREAM_ERROR:
        case VP8_STATUS_INVALID_PARAM:
        case VP8_STATUS_SUSPENDED:
        case VP8_STATUS_USER_ABORT:
            break;
    }
    return DecodeError::CodecError;
}

// Owners of the library's objects.
struct AnimDecoderOwner {
    WebPAnimDecoder* p = nullptr;
    ~AnimDecoderOwner() {
        if (p) WebPAnimDecoderDelete(p);
    }
};
struct DecBufferOwner {
    WebPDecBuffer* p = nullptr;
    ~DecBufferOwner() {
        if (p) WebPFreeDecBuffer(p);
    }
};

// Blue-green-red-alpha rows, top row first, flattened into the bottom-up block.
void flattenInto(uint8_t* block, uint32_t stride, const uint8_t* bgra, uint32_t bgraStride,
                 uint32_t width, uint32_t height) noexcept {
    for (uint32_t y = 0; y < height; ++y)
        flattenBgraOntoWhite(bgra + size_t{y} * bgraStride, block + size_t{height - 1 - y} * stride,
                             width);
}

}  // namespace

LoadedImage* decodeWebpBytes(DecoderState& state) noexcept {
    state.error = DecodeError::None;
    WebpLayout layout;
    const DecodeError walked = walkWebp(state.view, state.fileSize, layout);
    if (walked != DecodeError::None) return state.fail(walked);
    // The bitstream headers say the size; nothing is allocated before the
    // limit is checked.
    WebPBitstreamFeatures features;
    const VP8StatusCode status = WebPGetFeatures(state.view, layout.riffEnd, &features);
    if (status != VP8_STATUS_OK) return state.fail(fromStatus(status));
    const int32_t width = features.width, height = features.height;
    if (width < 1 || width > kMaxImageSide || height < 1 || height > kMaxImageSide)
        return state.fail(DecodeError::SideOutOfRange);
    const uint32_t stride = rowStride(width, 24);
    const uint32_t blockSize = pixelBlockSize(width, height, 24);
    const uint64_t bgraSize = uint64_t{4} * uint32_t(width) * uint32_t(height);
    if (blockSize == 0 || bgraSize > 0xFFFFFFFFu) return state.fail(DecodeError::TooLarge);
    PageBlock block(blockSize);
    if (!block) return state.fail(DecodeError::OutOfMemory);

    if (features.has_animation) {
        WebPAnimDecoderOptions options;
        if (!WebPAnimDecoderOptionsInit(&options)) return state.fail(DecodeError::CodecError);
        options.color_mode = MODE_BGRA;
        options.use_threads = 0;
        WebPData data{state.view, layout.riffEnd};
        AnimDecoderOwner anim{WebPAnimDecoderNew(&data, &options)};
        if (!anim.p) return state.fail(DecodeError::CodecError);
        uint8_t* canvas = nullptr;
        int timestamp = 0;
        if (!WebPAnimDecoderGetNext(anim.p, &canvas, &timestamp) || !canvas)
            return state.fail(DecodeError::CodecError);
        flattenInto(block.get(), stride, canvas, uint32_t(width) * 4, uint32_t(width),
                    uint32_t(height));
    } else {
        WebPDecoderConfig config;
        if (!WebPInitDecoderConfig(&config)) return state.fail(DecodeError::CodecError);
        config.options.use_threads = 0;
        PageBlock bgra;
        WebPDecBuffer& out = config.output;
        out.is_external_memory = 1;
        if (features.has_alpha) {
            bgra = PageBlock(static_cast<size_t>(bgraSize));
            if (!bgra) return state.fail(DecodeError::OutOfMemory);
            out.colorspace = MODE_BGRA;
            out.u.RGBA.rgba = bgra.get();
            out.u.RGBA.stride = width * 4;
            out.u.RGBA.size = static_cast<size_t>(bgraSize);
        } else {
            // Straight into the block, the library writing the rows bottom-up.
            config.options.flip = 1;
            out.colorspace = MODE_BGR;
            out.u.RGBA.rgba = block.get();
            out.u.RGBA.stride = static_cast<int>(stride);
            out.u.RGBA.size = blockSize;
        }
        DecBufferOwner release{&out};
        const VP8StatusCode decoded = WebPDecode(state.view, layout.riffEnd, &config);
        if (decoded != VP8_STATUS_OK) return state.fail(fromStatus(decoded));
        if (features.has_alpha)
            flattenInto(block.get(), stride, bgra.get(), uint32_t(width) * 4, uint32_t(width),
                        uint32_t(height));
    }
    std::memset(state.image.palette, 0, sizeof state.image.palette);
    setOutputHeader(state, width, height, 24, 0, 0);
    state.image.bits = block.release();
    const Orientation orientation =
        layout.exif ? exifOrientation(layout.exif, layout.exifSize) : Orientation::Normal;
    if (!applyOrientation(state.image, orientation)) {
        const PageBlock dropped = PageBlock::adopt(std::exchange(state.image.bits, nullptr));
        return state.fail(DecodeError::OutOfMemory);
    }
    return &state.image;
}

LoadedImage* decodeWebp(DecoderState& state) noexcept { return decodeWebpBytes(state); }
