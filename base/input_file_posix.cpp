#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
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

void InputFile::closeHandle(void* handle) noexcept { ::close(fdOf(handle)); }

size_t InputFile::readSome(uint64_t offset, void* dst, size_t n) noexcept {
    for (;;) {
        const ssize_t r = ::pread(fdOf(handle_), dst, n, static_cast<off_t>(offset));
        if (r < 0 && errno == EINTR) continue;
        return r > 0 ? static_cast<size_t>(r) : 0;
    }
}
