// Files the program writes. OutputFile creates (or replaces) a file and
// writes it: CreateFileW with no sharing and CREATE_ALWAYS on Windows,
// open(O_CREAT | O_TRUNC) natively. ReplacingFile writes the same way into a
// temporary file beside its target and moves it over the target only once
// every byte is on the disk, so a failure part way leaves the old file whole.
#pragma once

#include <cstddef>
#include <string>
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
    // Asks the system to put everything written so far on the disk; false
    // when the file is not open or the system reports an error.
    [[nodiscard]] bool flush() noexcept;
    // Closes the file; false when closing reports an error (a write the
    // system had deferred failed, and data may be lost).
    bool close() noexcept;

    explicit operator bool() const noexcept { return handle_ != nullptr; }

private:
    // The platform halves: one write (0 on an error) and the release.
    size_t writeSome(const void* data, size_t size) noexcept;
    [[nodiscard]] static bool closeHandle(void* handle) noexcept;

    void* handle_ = nullptr;  // HANDLE, or fd + 1 natively
};

class ReplacingFile {
public:
    ReplacingFile() noexcept = default;
    ~ReplacingFile() { discard(); }
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;

    // Creates an empty temporary file in the folder of `target`, which must
    // exist. False when it cannot; the target is not touched either way.
    [[nodiscard]] bool create(const wchar_t* target) noexcept;
    [[nodiscard]] bool write(const void* data, size_t size) noexcept {
        return file_.write(data, size);
    }
    // Flushes and closes the temporary file and moves it over the target.
    // False, with the target as it was and the temporary file removed, when
    // any of the three fails.
    [[nodiscard]] bool commit() noexcept;

private:
    // Closes and deletes the temporary file, unless it has been moved.
    void discard() noexcept;

    // The platform halves: a new empty file with a unique name in `folder`
    // (which ends in a separator, or is empty for the current folder),
    // returning its path or nothing; the move over an existing file; the
    // deletion.
    static std::wstring makeTemporary(const std::wstring& folder) noexcept;
    [[nodiscard]] static bool moveOver(const std::wstring& from, const std::wstring& to) noexcept;
    static void remove(const std::wstring& path) noexcept;

    OutputFile file_;
    std::wstring target_;
    std::wstring temporary_;
};
