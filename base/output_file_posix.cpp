#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <string>

#include "base/output_file.h"
#include "base/wide_path.h"

namespace {
int fdOf(void* h) { return static_cast<int>(reinterpret_cast<intptr_t>(h) - 1); }
}  // namespace

bool OutputFile::create(const wchar_t* path) noexcept {
    close();
    const std::string narrow = narrowPath(path);
    const int fd = ::open(narrow.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    handle_ = reinterpret_cast<void*>(static_cast<intptr_t>(fd) + 1);
    return true;
}

size_t OutputFile::writeSome(const void* data, size_t size) noexcept {
    for (;;) {
        const ssize_t n = ::write(fdOf(handle_), data, size);
        if (n < 0 && errno == EINTR) continue;
        return n > 0 ? static_cast<size_t>(n) : 0;
    }
}

bool OutputFile::flush() noexcept { return handle_ && ::fsync(fdOf(handle_)) == 0; }

bool OutputFile::closeHandle(void* handle) noexcept { return ::close(fdOf(handle)) == 0; }

std::wstring ReplacingFile::makeTemporary(const std::wstring& folder) noexcept {
    std::string name = narrowPath(folder.c_str()) + "tvxXXXXXX";
    const int fd = ::mkstemp(name.data());
    if (fd < 0) return {};
    ::close(fd);
    return widenPath(name.c_str());
}

bool ReplacingFile::moveOver(const std::wstring& from, const std::wstring& to) noexcept {
    return std::rename(narrowPath(from.c_str()).c_str(), narrowPath(to.c_str()).c_str()) == 0;
}

void ReplacingFile::remove(const std::wstring& path) noexcept {
    ::unlink(narrowPath(path.c_str()).c_str());
}
