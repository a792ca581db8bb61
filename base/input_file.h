// A file opened for reading (read access, shared read, existing files only)
// and read at given offsets with ordinary reads, for readers that want bytes
// straight in their own blocks rather than a mapping of the file.
#pragma once

#include <cstddef>
#include <cstdint>

class InputFile {
public:
    InputFile() noexcept = default;
    ~InputFile() { close(); }
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    [[nodiscard]] bool open(const wchar_t* path) noexcept;
    void close() noexcept;

    // Size of the file when it was opened.
    uint64_t size() const noexcept { return size_; }
    // Reads up to `n` bytes at `offset` into `dst`; returns how many were
    // read, fewer at the end of the file or on a read error.
    size_t readAt(uint64_t offset, void* dst, size_t n) noexcept;

private:
    void* handle_ = nullptr;  // HANDLE, or fd + 1 natively
    uint64_t size_ = 0;
};
