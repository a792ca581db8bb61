// The built-in decoders and the dispatcher that picks one by content.
#pragma once

#include <cstddef>
#include <cstdint>

#include "decode/decoder_state.h"
#include "decode/image_format.h"

// Decodes the file into CurrentImage. A file no built-in decoder reads goes
// to the plug-ins of `pluginFolder` (none when it is null, empty or not an
// existing folder). False leaves CurrentImage as it was and puts the reason
// in `*reason` when that is given.
[[nodiscard]] bool loadImageFile(const wchar_t* path, const wchar_t* pluginFolder,
                                 DecodeError* reason = nullptr) noexcept;

// The format the file's first bytes announce. Unknown for a file that cannot
// be opened (reason OpenFailed) or starts like no built-in format
// (UnknownFormat); ReadError for an empty file (EmptyFile) or one that ends
// inside a signature (Truncated).
ImageFormat sniffImageFormat(const wchar_t* path, DecodeError* reason = nullptr) noexcept;

// Each returns &state.image on success (its bits owned by the caller from
// then on) or null with the reason in state.error, having released
// everything it allocated.
LoadedImage* readBmp(const wchar_t* path, DecoderState& state) noexcept;
LoadedImage* decodePng(DecoderState& state) noexcept;  // file already mapped
LoadedImage* decodeJpeg(const wchar_t* path, DecoderState& state) noexcept;
LoadedImage* decodeTiff(DecoderState& state) noexcept;  // file already mapped
LoadedImage* decodeGif(DecoderState& state) noexcept;   // file already mapped
LoadedImage* decodeWebp(DecoderState& state) noexcept;  // file already mapped
LoadedImage* decodeAvif(DecoderState& state) noexcept;  // file already mapped

// Byte-level entries used by the ones above, by tests and by the fuzzers:
// they decode state.view .. state.view + state.fileSize.
LoadedImage* decodeBmpBytes(DecoderState& state) noexcept;
LoadedImage* decodeJpegBytes(DecoderState& state) noexcept;
LoadedImage* decodeWebpBytes(DecoderState& state) noexcept;
LoadedImage* decodeAvifBytes(DecoderState& state) noexcept;
