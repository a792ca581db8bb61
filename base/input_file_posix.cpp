#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "base/input_file.h"
#include "base/wide_path.h"

namespace {
int fdOf(void* h) { return static_cast<int>(reinterpret_cast<intptr_t>(h) - 1); }
}  // namespace

bool InputFile::open(const wchar_t* path) noexcept {
    close();
    const int fd = ::open(narrowPath(path).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    handle_ = reinterpret_cast<void*>(static_cast<intptr_t>(fd) + 1);
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close();
        return false;
    }
    size_ = static_cast<uint64_t>(st.st_size);
    return true;
}

void InputFile::close() noexcept {
    if (handle_) ::close(fdOf(handle_));
    handle_ = nullptr;
    size_ = 0;
}

size_t InputFile::readAt(uint64_t offset, void* dst, size_t n) noexcept {
    if (!handle_ || offset >= size_) return 0;
    char* p = static_cast<char*>(dst);
    size_t got = 0;
    while (got < n) {
        const ssize_t r =
            ::pread(fdOf(handle_), p + got, n - got, static_cast<off_t>(offset + got));
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) break;
        got += static_cast<size_t>(r);
    }
    return got;
}
