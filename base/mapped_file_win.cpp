#include <windows.h>

#include "base/mapped_file.h"

bool MappedFile::open(const wchar_t* path) noexcept {
    close();
    HANDLE f = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) return false;
    file_ = f;
    LARGE_INTEGER size;
    if (!GetFileSizeEx(f, &size) || size.QuadPart <= 0 || size.QuadPart > 0x7FFFFFFF) return false;
    HANDLE m = CreateFileMappingW(f, nullptr, PAGE_READONLY, 0, 0, nullptr);
    if (!m) return false;
    mapping_ = m;
    void* v = MapViewOfFile(m, FILE_MAP_READ, 0, 0, 0);
    if (!v) return false;
    view_ = static_cast<const uint8_t*>(v);
    size_ = static_cast<size_t>(size.QuadPart);
    return true;
}

void MappedFile::close() noexcept {
    if (view_) UnmapViewOfFile(view_);
    if (mapping_) CloseHandle(mapping_);
    if (file_) CloseHandle(file_);
    view_ = nullptr;
    mapping_ = nullptr;
    file_ = nullptr;
    size_ = 0;
}
