#include <windows.h>

#include "base/input_file.h"

bool InputFile::open(const wchar_t* path) noexcept {
    close();
    HANDLE f = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) return false;
    handle_ = f;
    LARGE_INTEGER size;
    if (!GetFileSizeEx(f, &size) || size.QuadPart < 0) {
        close();
        return false;
    }
    size_ = static_cast<uint64_t>(size.QuadPart);
    return true;
}

void InputFile::close() noexcept {
    if (handle_) CloseHandle(handle_);
    handle_ = nullptr;
    size_ = 0;
}

size_t InputFile::readAt(uint64_t offset, void* dst, size_t n) noexcept {
    if (!handle_ || offset >= size_) return 0;
    char* p = static_cast<char*>(dst);
    size_t got = 0;
    while (got < n) {
        const uint64_t at = offset + got;
        OVERLAPPED where{};
        where.Offset = static_cast<DWORD>(at);
        where.OffsetHigh = static_cast<DWORD>(at >> 32);
        const size_t left = n - got;
        const DWORD chunk = left > 0x40000000u ? 0x40000000u : static_cast<DWORD>(left);
        DWORD read = 0;
        if (!ReadFile(handle_, p + got, chunk, &read, &where) || read == 0) break;
        got += read;
    }
    return got;
}
