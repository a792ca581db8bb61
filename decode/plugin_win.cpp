// The bridge to image plug-ins: 32-bit import libraries (version "00IN") that
// export GetPluginInfo, IsSupported, GetPictureInfo and GetPicture with the
// stdcall convention. A plug-in is untrusted: every size it hands back is
// checked against the memory block it handed back before anything is read.
#include <windows.h>

#include <cstring>
#include <string>

#include "base/page_alloc.h"
#include "decode/plugin.h"

namespace {

using GetPluginInfoFn = int(WINAPI*)(int infoNumber, char* buffer, int bufferLength);
using IsSupportedFn = int(WINAPI*)(const char* path, void* head);
using ProgressFn = int(WINAPI*)(int number, int denominator, long data);
using GetPictureFn = int(WINAPI*)(const char* path, long offset, unsigned flag, HLOCAL* info,
                                  HLOCAL* bits, ProgressFn progress, long data);

#pragma pack(push, 1)
struct PictureInfo {
    long left, top;
    long width, height;
    WORD xDensity, yDensity;
    short colorDepth;
    HLOCAL textInfo;
};
#pragma pack(pop)
static_assert(sizeof(PictureInfo) == 26);
static_assert(offsetof(PictureInfo, width) == 8 && offsetof(PictureInfo, height) == 12);
static_assert(offsetof(PictureInfo, colorDepth) == 20 && offsetof(PictureInfo, textInfo) == 22);
using GetPictureInfoFn = int(WINAPI*)(const char* path, long offset, unsigned flag,
                                      PictureInfo* info);

constexpr DWORD kHeadSize = 2048 + 128;
constexpr int kPatternBuffer = 260;

int WINAPI neverCancel(int, int, long) { return 0; }

template <typename Fn>
Fn lookUp(HMODULE library, const char* name) noexcept {
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(library, name)));
}

// A library that fails to load (not a library, a missing dependency) must
// not put up a system error box.
HMODULE loadQuietly(const std::wstring& path) noexcept {
    DWORD previous = 0;
    const BOOL changed =
        SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &previous);
    HMODULE library = LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (changed) SetThreadErrorMode(previous, nullptr);
    return library;
}

class Library {
public:
    explicit Library(const std::wstring& path) noexcept : h_(loadQuietly(path)) {}
    ~Library() {
        if (h_) FreeLibrary(h_);
    }
    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;
    HMODULE get() const noexcept { return h_; }
    HMODULE release() noexcept {
        HMODULE h = h_;
        h_ = nullptr;
        return h;
    }

private:
    HMODULE h_;
};

bool isImportPlugin(HMODULE library) noexcept {
    auto info = lookUp<GetPluginInfoFn>(library, "GetPluginInfo");
    if (!info) return false;
    char version[8] = {};
    info(0, version, sizeof version);
    return std::memcmp(version, "00IN", 4) == 0;
}

std::wstring joinPath(const wchar_t* folder, const wchar_t* name) {
    std::wstring path(folder);
    if (!path.empty() && path.back() != L'\\' && path.back() != L'/') path += L'\\';
    path += name;
    return path;
}

// Calls `visit(fullPath, library)` for each "*.spi" of the folder that
// answers version "00IN", in listing order, until it returns false or
// kMaxPlugins libraries were accepted. The library is loaded for the call.
template <typename Visit>
void forEachPlugin(const wchar_t* folder, Visit visit) {
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(joinPath(folder, L"*.spi").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    size_t accepted = 0;
    do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        const std::wstring path = joinPath(folder, found.cFileName);
        if (path.size() >= MAX_PATH) continue;
        Library library(path);
        if (!library.get() || !isImportPlugin(library.get())) continue;
        ++accepted;
        if (!visit(path, library)) break;
    } while (accepted < kMaxPlugins && FindNextFileW(search, &found));
    FindClose(search);
}

// The file's first 2176 bytes, zero-padded; false when nothing could be read.
bool readHead(const wchar_t* path, uint8_t (&head)[kHeadSize], uint64_t& fileSize) noexcept {
    std::memset(head, 0, sizeof head);
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER size{};
    GetFileSizeEx(file, &size);
    fileSize = static_cast<uint64_t>(size.QuadPart);
    DWORD got = 0;
    const BOOL ok = ReadFile(file, head, kHeadSize, &got, nullptr);
    CloseHandle(file);
    return ok && got > 0;
}

// The path as the plug-ins take it: the ANSI code page, at most 260 bytes
// with the terminator.
bool ansiPath(const wchar_t* path, char (&out)[MAX_PATH]) noexcept {
    const int n = WideCharToMultiByte(CP_ACP, 0, path, -1, out, MAX_PATH, nullptr, nullptr);
    return n > 0;
}

// Binds the first plug-in that accepts the file: at offset 0, or failing
// that at 128 (behind a 128-byte prefix). The library stays loaded in the
// binding.
bool findPlugin(const wchar_t* path, const wchar_t* folder, PluginBinding& binding,
                char (&ansi)[MAX_PATH]) {
    if (!path || !pluginFolderUsable(folder)) return false;
    uint8_t head[kHeadSize];
    if (!readHead(path, head, binding.fileSize)) return false;
    if (!ansiPath(path, ansi)) return false;
    forEachPlugin(folder, [&](const std::wstring&, Library& library) {
        auto supported = lookUp<IsSupportedFn>(library.get(), "IsSupported");
        if (!supported) return true;
        uint32_t offset = 0;
        if (supported(ansi, head) == 0) {
            if (supported(ansi, head + 128) == 0) return true;
            offset = 128;
        }
        binding.offset = offset;
        binding.library = library.release();
        return false;
    });
    return binding.library != nullptr;
}

// The plug-in's text information, which it leaves to its caller to free.
void dropTextInfo(PictureInfo& info) noexcept {
    if (info.textInfo) GlobalFree(info.textInfo);
    info.textInfo = nullptr;
}

}  // namespace

void PluginBinding::release() noexcept {
    if (bitsMemory) {
        LocalUnlock(bitsMemory);
        LocalFree(bitsMemory);
        bitsMemory = nullptr;
    }
    if (infoMemory) {
        LocalUnlock(infoMemory);
        LocalFree(infoMemory);
        infoMemory = nullptr;
    }
    if (library) {
        FreeLibrary(static_cast<HMODULE>(library));
        library = nullptr;
    }
}

bool pluginFolderUsable(const wchar_t* folder) noexcept {
    if (!folder || !*folder) return false;
    const DWORD attrs = GetFileAttributesW(folder);
    return attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_DIRECTORY);
}

std::vector<std::wstring> listPluginPatterns(const wchar_t* folder) {
    std::vector<std::wstring> table;
    if (!pluginFolderUsable(folder)) return table;
    forEachPlugin(folder, [&](const std::wstring&, Library& library) {
        auto info = lookUp<GetPluginInfoFn>(library.get(), "GetPluginInfo");
        for (int number = 2; table.size() < kMaxPluginPatterns; number += 2) {
            char text[kPatternBuffer + 1] = {};
            if (info(number, text, kPatternBuffer) == 0) break;
            text[kPatternBuffer] = 0;
            wchar_t wide[kPatternBuffer + 1] = {};
            if (MultiByteToWideChar(CP_ACP, 0, text, -1, wide, kPatternBuffer + 1) <= 0) continue;
            CharLowerW(wide);
            addDeclaredPatterns(wide, table);
        }
        return table.size() < kMaxPluginPatterns;
    });
    return table;
}

LoadedImage* decodeWithPlugin(const wchar_t* path, const wchar_t* folder,
                              PluginBinding& binding) noexcept {
    char ansi[MAX_PATH];
    if (!findPlugin(path, folder, binding, ansi)) return nullptr;
    HMODULE library = static_cast<HMODULE>(binding.library);
    const long offset = static_cast<long>(binding.offset);

    if (auto pictureInfo = lookUp<GetPictureInfoFn>(library, "GetPictureInfo")) {
        PictureInfo info{};
        if (pictureInfo(ansi, offset, 0, &info) == 0) dropTextInfo(info);
    }
    auto getPicture = lookUp<GetPictureFn>(library, "GetPicture");
    if (!getPicture) return nullptr;
    HLOCAL infoHandle = nullptr, bitsHandle = nullptr;
    const int result = getPicture(ansi, offset, 0, &infoHandle, &bitsHandle, neverCancel, 0);
    // Whatever came back is the binding's to free, even with a failure.
    binding.infoMemory = infoHandle;
    binding.bitsMemory = bitsHandle;
    if (result != 0 || !infoHandle || !bitsHandle) return nullptr;

    // The header is read only when the block holds all of it.
    const SIZE_T infoSize = LocalSize(infoHandle);
    if (infoSize < sizeof(dib::BITMAPINFOHEADER)) return nullptr;
    const auto* info = static_cast<const uint8_t*>(LocalLock(infoHandle));
    if (!info) return nullptr;
    dib::BITMAPINFOHEADER header;
    std::memcpy(&header, info, sizeof header);
    if (header.biCompression != 0) return nullptr;
    if (header.biWidth <= 0 || header.biHeight <= 0) return nullptr;
    if (header.biWidth > kMaxImageSide || header.biHeight > kMaxImageSide) return nullptr;
    const int bitCount = header.biBitCount;
    if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 24) return nullptr;
    const uint32_t blockSize = pixelBlockSize(header.biWidth, header.biHeight, bitCount);
    if (blockSize == 0) return nullptr;

    LoadedImage& image = binding.image;
    std::memset(&image, 0, sizeof image);
    const size_t headAndPalette = offsetof(LoadedImage, bits);
    std::memcpy(&image, info, infoSize < headAndPalette ? infoSize : headAndPalette);
    image.header.biSize = sizeof(dib::BITMAPINFOHEADER);

    const SIZE_T bitsSize = LocalSize(bitsHandle);
    if (bitsSize == 0) return nullptr;
    const auto* bits = static_cast<const uint8_t*>(LocalLock(bitsHandle));
    if (!bits) return nullptr;
    // The pixel block always has every row, so that whoever reads the picture
    // can trust its header; a short bits block leaves the remaining rows zero.
    PageBlock block(blockSize);
    if (!block) return nullptr;
    std::memcpy(block.get(), bits, bitsSize < blockSize ? bitsSize : blockSize);
    image.bits = block.release();
    return &image;
}

bool probeWithPlugin(const wchar_t* path, const wchar_t* folder, int32_t& width,
                     int32_t& height) noexcept {
    width = height = 0;
    PluginBinding binding;
    char ansi[MAX_PATH];
    if (!findPlugin(path, folder, binding, ansi)) return false;
    auto pictureInfo =
        lookUp<GetPictureInfoFn>(static_cast<HMODULE>(binding.library), "GetPictureInfo");
    if (!pictureInfo) return false;
    PictureInfo info{};
    if (pictureInfo(ansi, static_cast<long>(binding.offset), 0, &info) != 0) return false;
    dropTextInfo(info);
    width = info.width;
    height = info.height;
    return true;
}
