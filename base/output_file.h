// A file created (or replaced) for writing: CreateFileW with no sharing and
// CREATE_ALWAYS on Windows, open(O_CREAT | O_TRUNC) natively. Move-only; the
// handle is closed by close() or the destructor.
#pragma once

#include <cstddef>
#include <utility>

class OutputFile {
public:
    OutputFile() noexcept = default;
    ~OutputFile() { close(); }
    OutputFile(OutputFile&& o) noexcept : handle_(std::exchange(o.handle_, nullptr)) {}
    OutputFile& operator=(OutputFile&& o) noexcept {
        if (this != &o) {
            close();
            handle_ = std::exchange(o.handle_, nullptr);
        }
        return *this;
    }
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Creates the file, replacing an existing one. False when it cannot.
    [[nodiscard]] bool create(const wchar_t* path) noexcept;
    // Writes all `size` bytes; false when the file is not open or a write
    // falls short.
    [[nodiscard]] bool write(const void* data, size_t size) noexcept;
    // Pushes what was written through to the disk; false when the file is
    // not open or the system reports an error.
    [[nodiscard]] bool flush() noexcept;
    // Closes the file; false when closing reports an error (data may be lost).
    bool close() noexcept;

    explicit operator bool() const noexcept { return handle_ != nullptr; }

private:
    void* handle_ = nullptr;  // HANDLE, or fd + 1 natively
};
