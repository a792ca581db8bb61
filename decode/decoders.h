// The built-in decoders and the dispatcher that picks one by content.
#pragma once

#include <cstddef>
#include <cstdint>

#include "decode/decoder_state.h"

enum class ImageFormat : int {
    Unknown = 0,
    Bmp = 1,
    Png = 2,
    Jpeg = 3,
    Tiff = 4,
    Gif = 5,
    ReadError = 6
};

// Decodes the file into CurrentImage; false leaves CurrentImage as it was.
[[nodiscard]] bool loadImageFile(const wchar_t* path) noexcept;

ImageFormat sniffImageFormat(const wchar_t* path) noexcept;
// `extension` with its dot (".png"); ".jpg" is deliberately not in the table.
ImageFormat formatFromExtension(const wchar_t* extension) noexcept;

// Each returns &state.image on success (its bits owned by the caller from
// then on) or null, having released everything it allocated.
LoadedImage* readBmp(const wchar_t* path, DecoderState& state) noexcept;
LoadedImage* decodePng(DecoderState& state) noexcept;  // file already mapped
LoadedImage* decodeJpeg(const wchar_t* path, DecoderState& state) noexcept;
LoadedImage* decodeTiff(DecoderState& state) noexcept;  // file already mapped
LoadedImage* decodeGif(DecoderState& state) noexcept;   // file already mapped

// Byte-level entries used by the ones above, by tests and by the fuzzers:
// they decode state.view .. state.view + state.fileSize.
LoadedImage* decodeBmpBytes(DecoderState& state) noexcept;
LoadedImage* decodeJpegBytes(DecoderState& state) noexcept;
