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

// Width and height from the header of a file of a built-in format; 0 x 0 for
// Unknown, ReadError and whatever cannot be read.
ImageSize probeImageSize(ImageFormat format, ProbeSource& source) noexcept;

// The plug-ins' picture-information query for a file no built-in format
// reads. False (size untouched) when no plug-in answers.
bool probePluginImageSize(const wchar_t* path, ImageSize& size) noexcept;

// True when the file may be added: no minimum is set (g_settings.minAddWidth
// and minAddHeight both 0; the file is not touched), or its width and height
// both reach the minimum. False when it is smaller or cannot be probed.
[[nodiscard]] bool passesSizeFilter(const wchar_t* path) noexcept;
