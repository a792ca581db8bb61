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

size_t OutputFile::writeSome(const void* data, size_t size) noexcept {
    const DWORD chunk = size > 0x40000000u ? 0x40000000u : static_cast<DWORD>(size);
    DWORD written = 0;
    if (!WriteFile(handle_, data, chunk, &written, nullptr)) return 0;
    return written;
}

bool OutputFile::flush() noexcept { return handle_ && FlushFileBuffers(handle_); }

bool OutputFile::closeHandle(void* handle) noexcept { return CloseHandle(handle) != FALSE; }

std::wstring ReplacingFile::makeTemporary(const std::wstring& folder) noexcept {
    wchar_t name[MAX_PATH];
    if (!GetTempFileNameW(folder.empty() ? L"." : folder.c_str(), L"tvx", 0, name)) return {};
    return name;
}

bool ReplacingFile::moveOver(const std::wstring& from, const std::wstring& to) noexcept {
    return MoveFileExW(from.c_str(), to.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
}

void ReplacingFile::remove(const std::wstring& path) noexcept { DeleteFileW(path.c_str()); }
