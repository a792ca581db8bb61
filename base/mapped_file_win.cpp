#include <windows.h>

#include <utility>

#include "base/mapped_file.h"
#include "base/owners_win.h"

bool MappedFile::map() noexcept {
    UniqueHandle mapping(
        CreateFileMappingW(file_.systemHandle(), nullptr, PAGE_READONLY, 0, 0, nullptr));
    if (!mapping) return false;
    UniqueMapView view(MapViewOfFile(mapping.get(), FILE_MAP_READ, 0, 0, 0));
    if (!view) return false;
    mapping_ = mapping.release();
    view_ = static_cast<const uint8_t*>(view.release());
    return true;
}

void MappedFile::unmap() noexcept {
    // What map() handed over, released here once: the view first.
    UniqueHandle mapping(std::exchange(mapping_, nullptr));
    UniqueMapView view(std::exchange(view_, nullptr));
}
