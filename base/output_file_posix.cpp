#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
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

bool OutputFile::write(const void* data, size_t size) noexcept {
    if (!handle_) return false;
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = ::write(fdOf(handle_), p, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        p += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

bool OutputFile::flush() noexcept { return handle_ && ::fsync(fdOf(handle_)) == 0; }

bool OutputFile::close() noexcept {
    if (!handle_) return true;
    const int rc = ::close(fdOf(handle_));
    handle_ = nullptr;
    return rc == 0;
}
