// The size test for files added with a whole folder: a picture's width and
// height read from the few header bytes that carry them, never by decoding.
#pragma once

#include <cstddef>
#include <cstdint>

#include "base/input_file.h"
#include "decode/decoders.h"

struct ImageSize {
    int32_t width = 0;  // 0 where the header could not be read
    int32_t height = 0;
    DecodeError error = DecodeError::None;  // why a side is 0, when it could not be read
};

// Bytes of a file at absolute offsets: the probe reads files through one,
// tests and the fuzzer memory.
class ProbeSource {
public:
    // Copies up to `count` bytes from `offset` on into `buffer`; returns how
    // many there were (0 at or past the end).
    virtual size_t readAt(uint64_t offset, void* buffer, size_t count) noexcept = 0;

protected:
    ~ProbeSource() = default;
};

class MemoryProbeSource final : public ProbeSource {
public:
    MemoryProbeSource(const uint8_t* data, size_t size) noexcept : data_(data), size_(size) {}
    size_t readAt(uint64_t offset, void* buffer, size_t count) noexcept override;

private:
    const uint8_t* data_;
    size_t size_;
};

// A file opened for reading (shared for reading, existing files only).
class FileProbeSource final : public ProbeSource {
public:
    [[nodiscard]] bool open(const wchar_t* path) noexcept { return file_.open(path); }
    void close() noexcept { file_.close(); }
    size_t readAt(uint64_t offset, void* buffer, size_t count) noexcept override {
        return file_.readAt(offset, buffer, count);
    }

private:
    InputFile file_;
};

// Width and height from the header of a file of a built-in format; 0 x 0
// (reason UnknownFormat, Truncated) for Unknown, ReadError and whatever
// cannot be read.
ImageSize probeImageSize(ImageFormat format, ProbeSource& source) noexcept;

// The picture-information query of the plug-ins in `pluginFolder`, for a
// file no built-in format reads. False (sides untouched, the reason in
// size.error) when the folder is not usable or no plug-in answers.
bool probePluginImageSize(const wchar_t* path, const wchar_t* pluginFolder,
                          ImageSize& size) noexcept;

// What the size filter of folder adds needs: the minimum (no minimum when
// both are 0) and the plug-ins that measure files of no built-in format.
struct SizeFilter {
    int32_t minWidth = 0;
    int32_t minHeight = 0;
    const wchar_t* pluginFolder = nullptr;
};

// True when the file may be added: no minimum is set (the file is not
// touched), or its width and height both reach the minimum. False when it is
// smaller or cannot be measured; then `*reason`, when given, says why it
// could not be measured (None when it was, and was too small).
[[nodiscard]] bool passesSizeFilter(const wchar_t* path, const SizeFilter& filter,
                                    DecodeError* reason = nullptr) noexcept;
