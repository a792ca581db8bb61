// What every decoder works with: the mapped bytes of the file, a read cursor
// over them, the LoadedImage it fills and the reason it gives when it fills
// none. One state per decoder and per call of loadImageFile; everything it
// holds but a handed-over pixel block is released with it.
#pragma once

#include <cstddef>
#include <cstdint>

#include "base/mapped_file.h"
#include "decode/decode_error.h"
#include "image/convert.h"
#include "image/loaded_image.h"

// A read cursor over the mapped file. The readers never read past `end`: a
// read that would returns 0 and sets `overrun`, leaving the cursor at `end`,
// so a decoder checks `overrun` (or the remaining length) where it matters.
struct ByteCursor {
    const uint8_t* begin = nullptr;
    const uint8_t* cur = nullptr;
    const uint8_t* end = nullptr;
    bool overrun = false;

    void reset(const uint8_t* data, size_t size) noexcept {
        begin = cur = data;
        end = data + size;
        overrun = false;
    }
    size_t remaining() const noexcept { return static_cast<size_t>(end - cur); }
    size_t offset() const noexcept { return static_cast<size_t>(cur - begin); }
    // Moves to an absolute offset; false (cursor unchanged) if beyond the end.
    bool seek(size_t off) noexcept {
        if (off > static_cast<size_t>(end - begin)) return false;
        cur = begin + off;
        return true;
    }
    bool skip(size_t n) noexcept {
        if (n > remaining()) {
            cur = end;
            overrun = true;
            return false;
        }
        cur += n;
        return true;
    }
    uint8_t u8() noexcept {
        if (cur >= end) return fail();
        return *cur++;
    }
    uint16_t u16le() noexcept {
        if (remaining() < 2) return fail();
        uint16_t v = static_cast<uint16_t>(cur[0] | (cur[1] << 8));
        cur += 2;
        return v;
    }
    uint16_t u16be() noexcept {
        if (remaining() < 2) return fail();
        uint16_t v = static_cast<uint16_t>((cur[0] << 8) | cur[1]);
        cur += 2;
        return v;
    }
    uint32_t u32le() noexcept {
        if (remaining() < 4) return fail();
        uint32_t v = uint32_t{cur[0]} | (uint32_t{cur[1]} << 8) | (uint32_t{cur[2]} << 16) |
                     (uint32_t{cur[3]} << 24);
        cur += 4;
        return v;
    }
    uint32_t u32be() noexcept {
        if (remaining() < 4) return fail();
        uint32_t v = (uint32_t{cur[0]} << 24) | (uint32_t{cur[1]} << 16) | (uint32_t{cur[2]} << 8) |
                     uint32_t{cur[3]};
        cur += 4;
        return v;
    }

private:
    uint8_t fail() noexcept {
        cur = end;
        overrun = true;
        return 0;
    }
};

struct DecoderState {
    MappedFile file;                // the open, mapped file (when mapped)
    const uint8_t* view = nullptr;  // start of the bytes being decoded
    uint32_t fileSize = 0;          // their count
    ByteCursor cursor;              // read position into view..view+fileSize
    LoadedImage image{};            // the record the decoder fills and returns
    DepthJob depthJob{};            // depth converter work area, empty until a decoder uses it
    DecodeError error = DecodeError::None;  // why the decoder returned null

    DecoderState() noexcept = default;
    DecoderState(const DecoderState&) = delete;
    DecoderState& operator=(const DecoderState&) = delete;

    // Decodes from bytes already in memory (tests, fuzzers): no file.
    void attach(const uint8_t* data, size_t size) noexcept {
        view = data;
        fileSize = static_cast<uint32_t>(size > 0xFFFFFFFFu ? 0xFFFFFFFFu : size);
        cursor.reset(data, fileSize);
    }

    // Records why the decode stopped and gives the null a decoder returns.
    std::nullptr_t fail(DecodeError why) noexcept {
        error = why;
        return nullptr;
    }
};

// Opens and maps the file into `state` and points the cursor at its start;
// false (reason OpenFailed) when the file cannot be opened or mapped.
[[nodiscard]] bool mapImageFile(const wchar_t* path, DecoderState& state) noexcept;

// Fills the state's image header: biSize 40, the given size and bit count,
// planes 1, no compression, the resolutions as given, everything else 0.
void setOutputHeader(DecoderState& state, int32_t width, int32_t height, int bitCount,
                     int32_t xPelsPerMeter, int32_t yPelsPerMeter) noexcept;
