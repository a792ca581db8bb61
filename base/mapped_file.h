// A read-only mapping of a whole file. Decoders read straight from it; the
// file is opened as an InputFile, then mapped with CreateFileMapping/
// MapViewOfFile on Windows and mmap natively.
#pragma once

#include <cstddef>
#include <cstdint>

#include "base/input_file.h"

class MappedFile {
public:
    MappedFile() noexcept = default;
    ~MappedFile() { close(); }
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;

    // Opens (read access, shared read, existing files only) and maps the
    // whole file. False when the file cannot be opened or mapped; an empty
    // file cannot be mapped. A file opened before a failure stays open until
    // close().
    [[nodiscard]] bool open(const wchar_t* path) noexcept;
    void close() noexcept;

    const uint8_t* data() const noexcept { return view_; }
    size_t size() const noexcept { return size_; }

private:
    // The platform half: maps the open file_ whole; false when it cannot.
    bool map() noexcept;
    void unmap() noexcept;

    InputFile file_;
    void* mapping_ = nullptr;  // HANDLE (Windows only)
    const uint8_t* view_ = nullptr;
    size_t size_ = 0;
};

// Reads up to `size` bytes from the start of a file (open for reading, shared
// read, existing only). Returns the number of bytes read, or -1 when the file
// cannot be opened. Used where only a few header bytes are wanted.
long readFileHead(const wchar_t* path, void* buffer, size_t size) noexcept;
