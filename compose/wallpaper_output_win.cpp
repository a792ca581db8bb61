#include <windows.h>

#include <utility>

#include "base/owners_win.h"
#include "compose/wallpaper_output.h"
#include "image/bmp_file.h"
#include "settings/settings_file.h"

namespace {

class FileHandle {
public:
    explicit FileHandle(HANDLE h) noexcept : h_(h) {}
    ~FileHandle() { close(); }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;

    HANDLE get() const noexcept { return h_; }
    bool valid() const noexcept { return h_ != INVALID_HANDLE_VALUE; }
    // Closing can report a deferred write error; it counts as a failed write.
    bool close() noexcept {
        if (!valid()) return true;
        return CloseHandle(std::exchange(h_, INVALID_HANDLE_VALUE)) != FALSE;
    }

private:
    HANDLE h_;
};

// A temporary file that is deleted unless it was moved into place.
class TempFile {
public:
    TempFile() noexcept = default;
    ~TempFile() {
        if (path_[0]) DeleteFileW(path_);
    }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    // Creates an empty file with a unique name in `folder`.
    bool create(const std::wstring& folder) noexcept {
        return GetTempFileNameW(folder.c_str(), L"wp", 0, path_) != 0;
    }
    const wchar_t* path() const noexcept { return path_; }
    void keep() noexcept { path_[0] = L'\0'; }

private:
    wchar_t path_[MAX_PATH] = {};
};

WallpaperWriteHook g_writeHook = nullptr;

bool writeAll(HANDLE file, const void* data, DWORD size) noexcept {
    if (g_writeHook && !g_writeHook(data, size)) return false;
    DWORD written = 0;
    return WriteFile(file, data, size, &written, nullptr) && written == size;
}

std::wstring folderOf(const wchar_t* path) {
    std::wstring folder(path);
    const size_t slash = folder.find_last_of(L"\\/");
    if (slash == std::wstring::npos) return L".";
    folder.resize(slash + 1);
    return folder;
}

}  // namespace

void setWallpaperWriteHookForTesting(WallpaperWriteHook hook) { g_writeHook = hook; }

std::wstring wallpaperFilePath() { return settingsFolder() + L"save_wp.bmp"; }

bool writeWallpaperFile(const wchar_t* path, const LoadedImage& image) noexcept {
    if (!path || !image.bits || image.header.biBitCount != 24) return false;
    dib::BITMAPINFOHEADER header = image.header;
    header.biXPelsPerMeter = 0;
    header.biYPelsPerMeter = 0;
    const uint32_t pixelBytes = pixelBlockSize(header.biWidth, header.biHeight, 24);
    uint8_t headers[54];
    if (pixelBytes == 0 || bmpHeaderBytes(header) != sizeof headers ||
        !buildBmpHeaders(header, nullptr, headers, sizeof headers))
        return false;

    TempFile temp;
    if (!temp.create(folderOf(path))) return false;
    {
        FileHandle file(CreateFileW(temp.path(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file.valid()) return false;
        // The pixel block goes out in one write straight from the bitmap.
        if (!writeAll(file.get(), headers, sizeof headers) ||
            !writeAll(file.get(), image.bits, pixelBytes) || !FlushFileBuffers(file.get()) ||
            !file.close())
            return false;
    }
    if (!MoveFileExW(temp.path(), path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return false;
    temp.keep();
    return true;
}
