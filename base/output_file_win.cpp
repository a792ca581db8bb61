#include <windows.h>

#include "base/output_file.h"

bool OutputFile::create(const wchar_t* path) noexcept {
    close();
    HANDLE f =
        CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) return false;
    handle_ = f;
    return true;
}

bool OutputFile::write(const void* data, size_t size) noexcept {
    if (!handle_) return false;
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
        const DWORD chunk = size > 0x40000000u ? 0x40000000u : static_cast<DWORD>(size);
        DWORD written = 0;
        if (!WriteFile(handle_, p, chunk, &written, nullptr) || written == 0) return false;
        p += written;
        size -= written;
    }
    return true;
}

bool OutputFile::flush() noexcept { return handle_ && FlushFileBuffers(handle_); }

bool OutputFile::close() noexcept {
    if (!handle_) return true;
    const BOOL ok = CloseHandle(handle_);
    handle_ = nullptr;
    return ok != FALSE;
}
