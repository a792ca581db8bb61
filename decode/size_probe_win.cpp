#include <windows.h>

#include <cstdint>

#include "decode/size_probe.h"

bool FileProbeSource::open(const wchar_t* path) noexcept {
    close();
    HANDLE h = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    handle_ = h;
    return true;
}

void FileProbeSource::close() noexcept {
    if (handle_) CloseHandle(static_cast<HANDLE>(handle_));
    handle_ = nullptr;
}

size_t FileProbeSource::readAt(uint64_t offset, void* buffer, size_t count) noexcept {
    if (!handle_ || offset > static_cast<uint64_t>(INT64_MAX) || count > MAXDWORD) return 0;
    LARGE_INTEGER at;
    at.QuadPart = static_cast<LONGLONG>(offset);
    if (!SetFilePointerEx(static_cast<HANDLE>(handle_), at, nullptr, FILE_BEGIN)) return 0;
    DWORD got = 0;
    if (!ReadFile(static_cast<HANDLE>(handle_), buffer, static_cast<DWORD>(count), &got, nullptr))
        return 0;
    return got;
}
