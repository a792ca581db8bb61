#include "base/input_file.h"
#include "base/mapped_file.h"

long readFileHead(const wchar_t* path, void* buffer, size_t size) noexcept {
    InputFile file;
    if (!file.open(path)) return -1;
    return static_cast<long>(file.readAt(0, buffer, size));
}
