#include <sys/mman.h>

#include <cstdint>

#include "base/mapped_file.h"

bool MappedFile::map() noexcept {
    // InputFile keeps the descriptor + 1, so that null means "none".
    const int fd = static_cast<int>(reinterpret_cast<intptr_t>(file_.systemHandle()) - 1);
    void* v = mmap(nullptr, static_cast<size_t>(file_.size()), PROT_READ, MAP_PRIVATE, fd, 0);
    if (v == MAP_FAILED) return false;
    view_ = static_cast<const uint8_t*>(v);
    return true;
}

void MappedFile::unmap() noexcept {
    if (view_) munmap(const_cast<uint8_t*>(view_), size_);
}
