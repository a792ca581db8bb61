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

void InputFile::closeHandle(void* handle) noexcept { CloseHandle(handle); }

size_t InputFile::readSome(uint64_t offset, void* dst, size_t n) noexcept {
    OVERLAPPED where{};
    where.Offset = static_cast<DWORD>(offset);
    where.OffsetHigh = static_cast<DWORD>(offset >> 32);
    const DWORD chunk = n > 0x40000000u ? 0x40000000u : static_cast<DWORD>(n);
    DWORD read = 0;
    if (!ReadFile(handle_, dst, chunk, &read, &where)) return 0;
    return read;
}
