// The one entry through which every picture is read: the format is decided
// by the file's first bytes, never by its name; the matching built-in decoder
// runs, and when it produces nothing the plug-ins get their turn.
#include <cstring>

#include "base/mapped_file.h"
#include "decode/decoders.h"
#include "decode/plugin.h"
#include "settings/settings.h"

ImageFormat sniffImageFormat(const wchar_t* path) noexcept {
    uint8_t b[8] = {};
    const long n = readFileHead(path, b, sizeof b);
    if (n < 0) return ImageFormat::Unknown;
    if (n == 0) return ImageFormat::ReadError;
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
    return ImageFormat::Unknown;
}

namespace {

// Case-insensitive for ASCII letters, which is all an extension in the
// table has.
bool sameExtension(const wchar_t* a, const wchar_t* b) noexcept {
    for (;; ++a, ++b) {
        wchar_t ca = *a, cb = *b;
        if (ca >= L'A' && ca <= L'Z') ca = static_cast<wchar_t>(ca - L'A' + L'a');
        if (ca != cb) return false;
        if (ca == 0) return true;
    }
}

}  // namespace

ImageFormat formatFromExtension(const wchar_t* extension) noexcept {
    if (!extension) return ImageFormat::Unknown;
    if (sameExtension(extension, L".png")) return ImageFormat::Png;
    if (sameExtension(extension, L".gif")) return ImageFormat::Gif;
    if (sameExtension(extension, L".bmp")) return ImageFormat::Bmp;
    if (sameExtension(extension, L".tif") || sameExtension(extension, L".tiff"))
        return ImageFormat::Tiff;
    if (sameExtension(extension, L".jpe") || sameExtension(extension, L".jpeg"))
        return ImageFormat::Jpeg;
    return ImageFormat::Unknown;
}

bool loadImageFile(const wchar_t* path) noexcept {
    if (!path) return false;
    // All states are prepared before sniffing and released together when
    // this returns: their destructors run in reverse order, so the plug-in
    // binding goes first and the BMP state last. A handed-over pixel block
    // belongs to CurrentImage by then and none of them touches it.
    DecoderState bmp, png, jpeg, tiff, gif;
    PluginBinding plugin;

    const ImageFormat format = sniffImageFormat(path);
    LoadedImage* image = nullptr;
    switch (format) {
        case ImageFormat::Bmp:
            image = readBmp(path, bmp);
            break;
        case ImageFormat::Png:
            if (mapImageFile(path, png)) image = decodePng(png);
            break;
        case ImageFormat::Jpeg:
            image = decodeJpeg(path, jpeg);
            break;
        case ImageFormat::Tiff:
            if (mapImageFile(path, tiff)) image = decodeTiff(tiff);
            break;
        case ImageFormat::Gif:
            if (mapImageFile(path, gif)) image = decodeGif(gif);
            break;
        case ImageFormat::ReadError:
            return false;
        case ImageFormat::Unknown:
            break;
    }
    if (!image && pluginFolderUsable(g_settings.SPI.c_str()))
        image = decodeWithPlugin(path, g_settings.SPI.c_str(), plugin);
    if (!image) return false;
    handOverToCurrent(*image);
    return true;
}
