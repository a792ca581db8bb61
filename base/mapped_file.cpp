#include "base/mapped_file.h"

bool MappedFile::open(const wchar_t* path) noexcept {
    close();
    if (!file_.open(path) || file_.size() == 0 || file_.size() > 0x7FFFFFFF) return false;
    if (!map()) return false;
    size_ = static_cast<size_t>(file_.size());
    return true;
}

void MappedFile::close() noexcept {
    unmap();
    file_.close();
    view_ = nullptr;
    mapping_ = nullptr;
    size_ = 0;
}

long readFileHead(const wchar_t* path, void* buffer, size_t size) noexcept {
    InputFile file;
    if (!file.open(path)) return -1;
    return static_cast<long>(file.readAt(0, buffer, size));
}
