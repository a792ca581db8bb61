// The one entry through which every picture is read: the format is decided
// by the file's first bytes, never by its name; the matching built-in decoder
// runs, and when it produces nothing the plug-ins get their turn.
#include <cstring>

#include "base/mapped_file.h"
#include "decode/avif_container.h"
#include "decode/decoders.h"
#include "decode/plugin.h"

namespace {

// Enough for an ftyp box with a few compatible brands.
constexpr size_t kHeadBytes = 32;

// The format the first bytes of a file announce; `n` (at least 1) of them
// were read into b[0..32).
ImageFormat formatOfHead(const uint8_t (&b)[kHeadBytes], long n) noexcept {
    if (n == 1) return ImageFormat::Unknown;
    // The formats are told apart by their first two bytes; a further byte
    // that the file does not have is a read error, as is a signature cut
    // short before its second part.
    if (b[0] == 'B' && b[1] == 'M') return ImageFormat::Bmp;
    if (b[0] == 0xFF && b[1] == 0xD8) return ImageFormat::Jpeg;
    if (b[0] == 'G' && b[1] == 'I') {
        if (n < 3) return ImageFormat::ReadError;
        return b[2] == 'F' ? ImageFormat::Gif : ImageFormat::Unknown;
    }
    if (b[0] == 'I' && b[1] == 'I') {
        if (n < 3) return ImageFormat::ReadError;
        return b[2] == 0x2A ? ImageFormat::Tiff : ImageFormat::Unknown;
    }
    if (b[0] == 'M' && b[1] == 'M') {
        if (n < 4) return ImageFormat::ReadError;
        return b[3] == 0x2A ? ImageFormat::Tiff : ImageFormat::Unknown;
    }
    if (b[0] == 0x89 && b[1] == 'P') {
        if (n < 4) return ImageFormat::ReadError;
        static const uint8_t kTail[6] = {'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
        if (n < 8) return ImageFormat::Unknown;
        return std::memcmp(b + 2, kTail, sizeof kTail) == 0 ? ImageFormat::Png
                                                            : ImageFormat::Unknown;
    }
    if (b[0] == 'R' && b[1] == 'I') {  // "RIFF", the size, "WEBP"
        if (n < 4) return ImageFormat::ReadError;
        if (b[2] != 'F' || b[3] != 'F') return ImageFormat::Unknown;
        if (n < 12) return ImageFormat::ReadError;
        return std::memcmp(b + 8, "WEBP", 4) == 0 ? ImageFormat::Webp : ImageFormat::Unknown;
    }
    // An ISOBMFF file starts with the length of its ftyp box, then "ftyp"
    // and the brands: AVIF when one of those read is "avif" or "avis".
    if (n >= 12 && std::memcmp(b + 4, "ftyp", 4) == 0) {
        const uint32_t boxSize =
            uint32_t(b[0]) << 24 | uint32_t(b[1]) << 16 | uint32_t(b[2]) << 8 | b[3];
        size_t end = boxSize < size_t(n) ? boxSize : size_t(n);
        if (end < 8) return ImageFormat::Unknown;
        return hasAvifBrand(b + 8, end - 8) ? ImageFormat::Avif : ImageFormat::Unknown;
    }
    return ImageFormat::Unknown;
}

}  // namespace

ImageFormat sniffImageFormat(const wchar_t* path, DecodeError* reason) noexcept {
    uint8_t b[kHeadBytes] = {};
    const long n = readFileHead(path, b, sizeof b);
    const ImageFormat format = n < 0    ? ImageFormat::Unknown
                               : n == 0 ? ImageFormat::ReadError
                                        : formatOfHead(b, n);
    if (reason) {
        if (n < 0)
            *reason = DecodeError::OpenFailed;
        else if (n == 0)
            *reason = DecodeError::EmptyFile;
        else if (format == ImageFormat::ReadError)
            *reason = DecodeError::Truncated;
        else if (format == ImageFormat::Unknown)
            *reason = DecodeError::UnknownFormat;
        else
            *reason = DecodeError::None;
    }
    return format;
}

bool loadImageFile(const wchar_t* path, const wchar_t* pluginFolder, DecodeError* reason) noexcept {
    // All states are prepared before sniffing and released together when
    // this returns: their destructors run in reverse order, so the plug-in
    // state goes first and the BMP state last. A handed-over pixel block
    // belongs to CurrentImage by then and none of them touches it.
    DecoderState bmp, png, jpeg, tiff, gif, webp, avif, plugin;
    // No path is a file that cannot be opened, and nothing to give plug-ins.
    DecodeError why = DecodeError::OpenFailed;
    const ImageFormat format = path ? sniffImageFormat(path, &why) : ImageFormat::ReadError;
    DecoderState* builtIn = nullptr;
    LoadedImage* image = nullptr;
    switch (format) {
        case ImageFormat::Bmp:
            builtIn = &bmp;
            image = readBmp(path, bmp);
            break;
        case ImageFormat::Png:
            builtIn = &png;
            if (mapImageFile(path, png)) image = decodePng(png);
            break;
        case ImageFormat::Jpeg:
            builtIn = &jpeg;
            image = decodeJpeg(path, jpeg);
            break;
        case ImageFormat::Tiff:
            builtIn = &tiff;
            if (mapImageFile(path, tiff)) image = decodeTiff(tiff);
            break;
        case ImageFormat::Gif:
            builtIn = &gif;
            if (mapImageFile(path, gif)) image = decodeGif(gif);
            break;
        case ImageFormat::Webp:
            builtIn = &webp;
            if (mapImageFile(path, webp)) image = decodeWebp(webp);
            break;
        case ImageFormat::Avif:
            builtIn = &avif;
            if (mapImageFile(path, avif)) image = decodeAvif(avif);
            break;
        case ImageFormat::ReadError:
        case ImageFormat::Unknown:
            break;
    }
    // The reason told is the built-in decoder's when the content named one;
    // for content of no built-in format, the plug-ins', when they were asked.
    if (builtIn) why = builtIn->error;
    if (!image && format != ImageFormat::ReadError && pluginFolderUsable(pluginFolder)) {
        image = decodeWithPlugin(path, pluginFolder, plugin);
        if (why == DecodeError::UnknownFormat) why = plugin.error;
    }
    if (!image) {
        if (reason) *reason = why;
        return false;
    }
    handOverToCurrent(*image);
    if (reason) *reason = DecodeError::None;
    return true;
}
