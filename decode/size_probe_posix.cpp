#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <string>

#include "base/wide_path.h"
#include "decode/size_probe.h"

// The descriptor is kept as fd + 1, so that null means "none".
bool FileProbeSource::open(const wchar_t* path) noexcept {
    close();
    const std::string narrow = narrowPath(path);
    const int fd = ::open(narrow.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    handle_ = reinterpret_cast<void*>(static_cast<intptr_t>(fd) + 1);
    return true;
}

void FileProbeSource::close() noexcept {
    if (handle_) ::close(static_cast<int>(reinterpret_cast<intptr_t>(handle_) - 1));
    handle_ = nullptr;
}

size_t FileProbeSource::readAt(uint64_t offset, void* buffer, size_t count) noexcept {
    if (!handle_ || offset > static_cast<uint64_t>(INT64_MAX)) return 0;
    const int fd = static_cast<int>(reinterpret_cast<intptr_t>(handle_) - 1);
    size_t total = 0;
    while (total < count) {
        const ssize_t got = ::pread(fd, static_cast<char*>(buffer) + total, count - total,
                                    static_cast<off_t>(offset + total));
        if (got <= 0) break;
        total += static_cast<size_t>(got);
    }
    return total;
}
