#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <string>

#include "base/mapped_file.h"
#include "base/wide_path.h"

// The descriptor is kept as fd + 1 in file_, so that null means "none".
bool MappedFile::open(const wchar_t* path) noexcept {
    close();
    const std::string narrow = narrowPath(path);
    int fd = ::open(narrow.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    file_ = reinterpret_cast<void*>(static_cast<intptr_t>(fd) + 1);
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size <= 0 || st.st_size > 0x7FFFFFFF)
        return false;
    void* v = mmap(nullptr, static_cast<size_t>(st.st_size), PROT_READ, MAP_PRIVATE, fd, 0);
    if (v == MAP_FAILED) return false;
    view_ = static_cast<const uint8_t*>(v);
    size_ = static_cast<size_t>(st.st_size);
    return true;
}

void MappedFile::close() noexcept {
    if (view_) munmap(const_cast<uint8_t*>(view_), size_);
    if (file_) ::close(static_cast<int>(reinterpret_cast<intptr_t>(file_) - 1));
    view_ = nullptr;
    file_ = nullptr;
    size_ = 0;
}
