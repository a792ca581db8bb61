// A file opened for reading (read access, shared read, existing files only)
// and read at given offsets with ordinary reads, for readers that want bytes
// straight in their own blocks rather than a mapping of the file. It owns
// the system's handle and closes it once, on close() or when it goes.
#pragma once

#include <cstddef>
#include <cstdint>

class InputFile {
public:
    InputFile() noexcept = default;
    ~InputFile() { close(); }
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    // Opens an existing regular file; false when it cannot be opened or its
    // size cannot be had.
    [[nodiscard]] bool open(const wchar_t* path) noexcept;
    void close() noexcept;

    // Size of the file when it was opened.
    uint64_t size() const noexcept { return size_; }
    // Reads up to `n` bytes at `offset` into `dst`; returns how many were
    // read, fewer at the end of the file or on a read error.
    size_t readAt(uint64_t offset, void* dst, size_t n) noexcept;

    // The open file as the system knows it (a HANDLE on Windows, the
    // descriptor + 1 natively; null when closed), for the file mapping built
    // on top of it. It stays owned here.
    void* systemHandle() const noexcept { return handle_; }

private:
    // The platform halves: one read at `offset` (0 at the end of the file or
    // on an error) and the release of the handle.
    size_t readSome(uint64_t offset, void* dst, size_t n) noexcept;
    static void closeHandle(void* handle) noexcept;

    void* handle_ = nullptr;  // HANDLE, or fd + 1 natively
    uint64_t size_ = 0;
};
