#include "base/input_file.h"

void InputFile::close() noexcept {
    if (handle_) closeHandle(handle_);
    handle_ = nullptr;
    size_ = 0;
}

size_t InputFile::readAt(uint64_t offset, void* dst, size_t n) noexcept {
    if (!handle_ || offset >= size_) return 0;
    char* p = static_cast<char*>(dst);
    size_t got = 0;
    while (got < n) {
        const size_t read = readSome(offset + got, p + got, n - got);
        if (read == 0) break;
        got += read;
    }
    return got;
}
