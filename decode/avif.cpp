// AVIF reader: our own box walk finds the primary item, its alpha item and
// their properties (decode/avif_container.*), dav1d decodes each item's AV1
// stream, and our own conversion turns the planes into blue-green-red rows:
// the matrix coefficients of the item's colour box (else of the stream),
// full or limited range, 4:2:0, 4:2:2 and 4:4:4 chroma taken from the
// nearest sample, 8, 10 and 12 bits. Alpha is flattened onto white as a PNG
// with alpha is; irot and imir turn the picture upright.
#include <dav1d/dav1d.h>

#include <cerrno>
#include <cmath>
#include <cstdarg>
#include <cstring>

#include "base/page_alloc.h"
#include "decode/avif_container.h"
#include "decode/decoders.h"
#include "decode/flatten.h"

namespace {

// One AV1 stream's first picture; the context and the picture go with it.
struct Av1Picture {
    Dav1dContext* context = nullptr;
    Dav1dPicture picture{};
    bool held = false;

    Av1Picture() noexcept = default;
    Av1Picture(const Av1Picture&) = delete;
    Av1Picture& operator=(const Av1Picture&) = delete;
    ~Av1Picture() {
        if (held) dav1d_picture_unref(&picture);
        if (context) dav1d_close(&context);
    }
};

// The bytes stay the mapping's; dav1d is told there is nothing to free.
void keepBytes(const uint8_t*, void*) {}

// The reason code says what went wrong; dav1d's own messages go nowhere.
void quiet(void*, const char*, va_list) {}

struct DataOwner {
    Dav1dData data{};
    ~DataOwner() { dav1d_data_unref(&data); }
};

DecodeError decodeAv1(const uint8_t* bytes, size_t size, uint32_t width, uint32_t height,
                      Av1Picture& out) noexcept {
    Dav1dSettings settings;
    dav1d_default_settings(&settings);
    settings.n_threads = 1;
    settings.max_frame_delay = 1;
    settings.all_layers = 0;
    settings.logger.callback = quiet;
    // No frame larger than the item's declared size is set up.
    settings.frame_size_limit = width * height;
    if (dav1d_open(&out.context, &settings) < 0) return DecodeError::OutOfMemory;
    DataOwner data;
    if (dav1d_data_wrap(&data.data, bytes, size, keepBytes, nullptr) < 0)
        return DecodeError::OutOfMemory;
    // Each round hands over data or takes the picture; a stream that gives
    // neither ends the loop.
    for (int round = 0; round < 1024; ++round) {
        if (data.data.sz > 0) {
            const int sent = dav1d_send_data(out.context, &data.data);
            if (sent < 0 && sent != DAV1D_ERR(EAGAIN)) return DecodeError::CodecError;
        }
        const int got = dav1d_get_picture(out.context, &out.picture);
        if (got == 0) {
            out.held = true;
            const Dav1dPictureParameters& p = out.picture.p;
            if (uint32_t(p.w) != width || uint32_t(p.h) != height) return DecodeError::BadHeader;
            if (p.bpc != 8 && p.bpc != 10 && p.bpc != 12) return DecodeError::UnsupportedBitDepth;
            return DecodeError::None;
        }
        if (got != DAV1D_ERR(EAGAIN)) return DecodeError::CodecError;
        if (data.data.sz == 0) return DecodeError::MissingImageData;
    }
    return DecodeError::CodecError;
}

// A limited-range sample brought to the full range of its depth, as the
// conversions of AVIF readers do (rounded, clamped).
int limitedToFull(int v, int depth, bool chroma) noexcept {
    const int shift = depth - 8;
    const int low = 16 << shift, span = (chroma ? 224 : 219) << shift;
    const int max = (1 << depth) - 1;
    if (v <= low) return 0;
    const int full = ((v - low) * max + span / 2) / span;
    return full > max ? max : full;
}

// Per-sample contributions to each output channel, in 1/65536 of a unit of
// 0..255: R = y + rV, G = y + gU + gV, B = y + bU.
struct ColourTables {
    int32_t y[4096], rV[4096], gV[4096], gU[4096], bU[4096];
    bool identity = false;  // matrix 0: the planes are green, blue, red
};

void buildTables(ColourTables& t, int depth, int matrix, bool fullRange) noexcept {
    double kr = 0.299, kb = 0.114;
    switch (matrix) {
        case 1:
            kr = 0.2126, kb = 0.0722;
            break;
        case 4:
            kr = 0.30, kb = 0.11;
            break;
        case 7:
            kr = 0.212, kb = 0.087;
            break;
        case 9:
        case 10:
            kr = 0.2627, kb = 0.0593;
            break;
        default:  // 5, 6 and unspecified: the usual default
            break;
    }
    t.identity = matrix == 0;
    const double kg = 1.0 - kr - kb;
    const int count = 1 << depth;
    const double max = count - 1;
    const double unit = 255.0 * 65536.0;
    for (int v = 0; v < count; ++v) {
        const double yv = (fullRange ? v : limitedToFull(v, depth, false)) / max;
        const double c = (fullRange ? v : limitedToFull(v, depth, true)) / max - 0.5;
        if (t.identity) {
            const double s = (fullRange ? v : limitedToFull(v, depth, false)) / max;
            t.y[v] = int32_t(std::lround(s * unit));
            t.rV[v] = t.gV[v] = t.gU[v] = t.bU[v] = 0;
            continue;
        }
        t.y[v] = int32_t(std::lround(yv * unit));
        t.rV[v] = int32_t(std::lround(2 * (1 - kr) * c * unit));
        t.bU[v] = int32_t(std::lround(2 * (1 - kb) * c * unit));
        t.gV[v] = int32_t(std::lround(-2 * kr * (1 - kr) / kg * c * unit));
        t.gU[v] = int32_t(std::lround(-2 * kb * (1 - kb) / kg * c * unit));
    }
}

inline uint8_t toByte(int32_t v) noexcept {
    v = (v + 32768) >> 16;
    return uint8_t(v < 0 ? 0 : v > 255 ? 255 : v);
}

// One output row from the planes: `Sample` is uint8_t or uint16_t; chroma
// columns are halved when ssx. `out` takes `step` bytes a pixel (3, or 4
// with alpha filled later).
template <class Sample>
void convertRow(const ColourTables& t, const Sample* y, const Sample* u, const Sample* v, int ssx,
                uint32_t width, uint8_t* out, int step) noexcept {
    if (!u) {  // monochrome
        for (uint32_t x = 0; x < width; ++x, out += step)
            out[0] = out[1] = out[2] = toByte(t.y[y[x]]);
        return;
    }
    if (t.identity) {
        for (uint32_t x = 0; x < width; ++x, out += step) {
            const uint32_t cx = x >> ssx;
            out[0] = toByte(t.y[u[cx]]);
            out[1] = toByte(t.y[y[x]]);
            out[2] = toByte(t.y[v[cx]]);
        }
        return;
    }
    const auto put = [](uint8_t* o, int32_t luma, int32_t b, int32_t g, int32_t r) {
        o[0] = toByte(luma + b);
        o[1] = toByte(luma + g);
        o[2] = toByte(luma + r);
    };
    if (ssx) {
        // Two pixels share each chroma sample: its terms are looked up once.
        uint32_t x = 0;
        for (; x + 1 < width; x += 2, out += 2 * step) {
            const Sample cb = u[x >> 1], cr = v[x >> 1];
            const int32_t b = t.bU[cb], g = t.gU[cb] + t.gV[cr], r = t.rV[cr];
            put(out, t.y[y[x]], b, g, r);
            put(out + step, t.y[y[x + 1]], b, g, r);
        }
        if (x < width) {
            const Sample cb = u[x >> 1], cr = v[x >> 1];
            put(out, t.y[y[x]], t.bU[cb], t.gU[cb] + t.gV[cr], t.rV[cr]);
        }
        return;
    }
    for (uint32_t x = 0; x < width; ++x, out += step) {
        const Sample cb = u[x], cr = v[x];
        put(out, t.y[y[x]], t.bU[cb], t.gU[cb] + t.gV[cr], t.rV[cr]);
    }
}

template <class Sample>
const Sample* planeRow(const Dav1dPicture& p, int plane, uint32_t row) noexcept {
    const ptrdiff_t stride = p.stride[plane == 0 ? 0 : 1];
    return reinterpret_cast<const Sample*>(static_cast<const uint8_t*>(p.data[plane]) +
                                           stride * ptrdiff_t(row));
}

// Alpha of one row into every fourth byte of `out`, as 0..255.
template <class Sample>
void alphaRow(const Dav1dPicture& a, uint32_t row, uint32_t width, const uint8_t* scale,
              uint8_t* out) noexcept {
    const Sample* s = planeRow<Sample>(a, 0, row);
    for (uint32_t x = 0; x < width; ++x) out[4 * x + 3] = scale[s[x]];
}

template <class Sample>
void convertPicture(const Dav1dPicture& p, const ColourTables& t, const Dav1dPicture* alpha,
                    const uint8_t* alphaScale, uint8_t* row4, uint8_t* block, uint32_t stride,
                    uint32_t width, uint32_t height) noexcept {
    const bool mono = p.p.layout == DAV1D_PIXEL_LAYOUT_I400;
    const int ssx = p.p.layout == DAV1D_PIXEL_LAYOUT_I444 ? 0 : 1;
    const int ssy = p.p.layout == DAV1D_PIXEL_LAYOUT_I420 ? 1 : 0;
    for (uint32_t y = 0; y < height; ++y) {
        uint8_t* dst = block + size_t(height - 1 - y) * stride;
        const Sample* u = mono ? nullptr : planeRow<Sample>(p, 1, y >> ssy);
        const Sample* v = mono ? nullptr : planeRow<Sample>(p, 2, y >> ssy);
        if (!alpha) {
            convertRow(t, planeRow<Sample>(p, 0, y), u, v, ssx, width, dst, 3);
            continue;
        }
        convertRow(t, planeRow<Sample>(p, 0, y), u, v, ssx, width, row4, 4);
        if (alpha->p.bpc == 8)
            alphaRow<uint8_t>(*alpha, y, width, alphaScale, row4);
        else
            alphaRow<uint16_t>(*alpha, y, width, alphaScale, row4);
        flattenBgraOntoWhite(row4, dst, width);
    }
}

}  // namespace

LoadedImage* decodeAvifBytes(DecoderState& state) noexcept {
    state.error = DecodeError::None;
    AvifLayout layout;
    const DecodeError walked = readAvifFile(state.view, state.fileSize, layout);
    if (walked != DecodeError::None) return state.fail(walked);
    const uint32_t width = layout.width, height = layout.height;
    const uint32_t stride = rowStride(int32_t(width), 24);
    const uint32_t blockSize = pixelBlockSize(int32_t(width), int32_t(height), 24);
    if (blockSize == 0) return state.fail(DecodeError::TooLarge);

    Av1Picture colour;
    DecodeError e = decodeAv1(state.view + layout.colour.offset, size_t(layout.colour.length),
                              width, height, colour);
    if (e != DecodeError::None) return state.fail(e);
    Av1Picture alpha;
    uint8_t alphaScale[4096];
    if (layout.alpha.present) {
        e = decodeAv1(state.view + layout.alpha.offset, size_t(layout.alpha.length), width, height,
                      alpha);
        if (e != DecodeError::None) return state.fail(e);
        const int depth = alpha.picture.p.bpc;
        const bool full = alpha.picture.seq_hdr->color_range != 0;
        const int max = (1 << depth) - 1;
        for (int v = 0; v <= max; ++v) {
            const int f = full ? v : limitedToFull(v, depth, false);
            alphaScale[v] = uint8_t((f * 255 + max / 2) / max);
        }
    }
    const Dav1dPicture& p = colour.picture;
    int matrix = p.seq_hdr->mtrx;
    bool fullRange = p.seq_hdr->color_range != 0;
    if (layout.nclx.present) {
        matrix = layout.nclx.matrix;
        fullRange = layout.nclx.fullRange;
    }
    PageBlock tablesBlock(sizeof(ColourTables));
    PageBlock block(blockSize);
    PageBlock row4(size_t(width) * 4);
    if (!tablesBlock || !block || !row4) return state.fail(DecodeError::OutOfMemory);
    auto& tables = *reinterpret_cast<ColourTables*>(tablesBlock.get());
    buildTables(tables, p.p.bpc, matrix, fullRange);
    const Dav1dPicture* a = layout.alpha.present ? &alpha.picture : nullptr;
    if (p.p.bpc == 8)
        convertPicture<uint8_t>(p, tables, a, alphaScale, row4.get(), block.get(), stride, width,
                                height);
    else
        convertPicture<uint16_t>(p, tables, a, alphaScale, row4.get(), block.get(), stride, width,
                                 height);

    std::memset(state.image.palette, 0, sizeof state.image.palette);
    setOutputHeader(state, int32_t(width), int32_t(height), 24, 0, 0);
    state.image.bits = block.release();
    if (!applyOrientation(state.image, layout.orientation)) {
        pageFree(state.image.bits);
        state.image.bits = nullptr;
        return state.fail(DecodeError::OutOfMemory);
    }
    return &state.image;
}

LoadedImage* decodeAvif(DecoderState& state) noexcept { return decodeAvifBytes(state); }
