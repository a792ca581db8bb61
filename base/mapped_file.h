// A read-only mapping of a whole file. Decoders read straight from it; the
// Windows half uses CreateFileMapping/MapViewOfFile, the native half mmap.
#pragma once

#include <cstddef>
#include <cstdint>

class MappedFile {
public:
    MappedFile() noexcept = default;
    ~MappedFile() { close(); }
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;

    // Opens (read access, shared read, existing files only) and maps the
    // whole file. False when the file cannot be opened or mapped; an empty
    // file cannot be mapped. Whatever was opened before a failure stays held
    // until close().
    [[nodiscard]] bool open(const wchar_t* path) noexcept;
    void close() noexcept;

    const uint8_t* data() const noexcept { return view_; }
    size_t size() const noexcept { return size_; }

private:
    void* file_ = nullptr;     // HANDLE or fd+1 natively
    void* mapping_ = nullptr;  // HANDLE (Windows only)
    const uint8_t* view_ = nullptr;
    size_t size_ = 0;
};

// Reads up to `size` bytes from the start of a file (open for reading, shared
// read, existing only). Returns the number of bytes read, or -1 when the file
// cannot be opened. Used where only a few header bytes are wanted.
long readFileHead(const wchar_t* path, void* buffer, size_t size) noexcept;
