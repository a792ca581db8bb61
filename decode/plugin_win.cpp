// The bridge to image plug-ins: 32-bit import libraries (version "00IN") that
// export GetPluginInfo, IsSupported, GetPictureInfo and GetPicture with the
// stdcall convention. A plug-in is untrusted: every size it hands back is
// checked against the memory block it handed back before anything is read.
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "base/input_file.h"
#include "base/owners_win.h"
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

constexpr long kPrefixSize = 128;  // the prefix some files carry before the picture
constexpr DWORD kHeadSize = 2048 + kPrefixSize;
constexpr int kPatternBuffer = 260;
// GetPluginInfo's numbers: 0 the interface version, 2, 4, 6, ... the file
// patterns (the odd ones name them).
constexpr int kVersionInfo = 0;
constexpr int kFirstPatternInfo = 2;

int WINAPI neverCancel(int, int, long) { return 0; }

template <typename Fn>
Fn lookUp(HMODULE library, const char* name) noexcept {
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(library, name)));
}

// A library that fails to load (not a library, a missing dependency) must
// not put up a system error box.
UniqueLibrary loadQuietly(const std::wstring& path) noexcept {
    DWORD previous = 0;
    const BOOL changed =
        SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &previous);
    UniqueLibrary library(LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
    if (changed) SetThreadErrorMode(previous, nullptr);
    return library;
}

bool isImportPlugin(HMODULE library) noexcept {
    auto info = lookUp<GetPluginInfoFn>(library, "GetPluginInfo");
    if (!info) return false;
    char version[8] = {};
    info(kVersionInfo, version, sizeof version);
    return std::memcmp(version, "00IN", 4) == 0;
}

std::wstring joinPath(const wchar_t* folder, const wchar_t* name) {
    std::wstring path(folder);
    if (!path.empty() && path.back() != L'\\' && path.back() != L'/') path += L'\\';
    path += name;
    return path;
}

// Calls `visit(library)` for each "*.spi" of the folder that answers version
// "00IN", in listing order, until it returns false or kMaxPlugins libraries
// were accepted. The library is unloaded after the call unless `visit` moved
// it out.
template <typename Visit>
void forEachPlugin(const wchar_t* folder, Visit visit) {
    WIN32_FIND_DATAW found;
    UniqueFind search(FindFirstFileW(joinPath(folder, L"*.spi").c_str(), &found));
    if (!search) return;
    size_t accepted = 0;
    do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        const std::wstring path = joinPath(folder, found.cFileName);
        if (path.size() >= MAX_PATH) continue;
        UniqueLibrary library = loadQuietly(path);
        if (!library || !isImportPlugin(library.get())) continue;
        ++accepted;
        if (!visit(library)) break;
    } while (accepted < kMaxPlugins && FindNextFileW(search.get(), &found));
}

// The file's first 2176 bytes, zero-padded.
DecodeError readHead(const wchar_t* path, uint8_t (&head)[kHeadSize]) noexcept {
    std::memset(head, 0, sizeof head);
    InputFile file;
    if (!file.open(path)) return DecodeError::OpenFailed;
    return file.readAt(0, head, kHeadSize) > 0 ? DecodeError::None : DecodeError::EmptyFile;
}

// `path` in the ANSI code page, character for character. Best-fit mapping
// is off: it would turn a character the code page lacks into a look-alike
// (U+0109 into "c") and so name another file.
bool exactlyAnsi(const wchar_t* path, char (&out)[MAX_PATH]) noexcept {
    // A system whose ANSI code page is UTF-8 has every character, and takes
    // no used-default flag.
    if (GetACP() == CP_UTF8)
        return WideCharToMultiByte(CP_UTF8, 0, path, -1, out, MAX_PATH, nullptr, nullptr) > 0;
    BOOL usedDefault = FALSE;
    const int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, path, -1, out, MAX_PATH,
                                      nullptr, &usedDefault);
    return n > 0 && !usedDefault;
}

// The path as the plug-ins take it: the ANSI code page, at most 260 bytes
// with the terminator. A path the code page cannot spell goes by its short
// name where the volume keeps one; without one the plug-ins cannot be given
// the file at all.
bool ansiPath(const wchar_t* path, char (&out)[MAX_PATH]) noexcept {
    if (exactlyAnsi(path, out)) return true;
    wchar_t shortPath[MAX_PATH];
    const DWORD n = GetShortPathNameW(path, shortPath, MAX_PATH);
    return n > 0 && n < MAX_PATH && exactlyAnsi(shortPath, out);
}

// The plug-in that accepted a file, still loaded, and how to call it.
struct AcceptingPlugin {
    UniqueLibrary library;
    long offset = 0;           // 0, or kPrefixSize behind a 128-byte prefix
    char ansi[MAX_PATH] = {};  // the file's path as the plug-in takes it
};

// Finds the first plug-in that accepts the file: at offset 0, or failing
// that at 128 (behind a 128-byte prefix).
DecodeError findPlugin(const wchar_t* path, const wchar_t* folder, AcceptingPlugin& found) {
    if (!path || !pluginFolderUsable(folder)) return DecodeError::NoPlugin;
    uint8_t head[kHeadSize];
    if (const DecodeError e = readHead(path, head); e != DecodeError::None) return e;
    if (!ansiPath(path, found.ansi)) return DecodeError::PathNotAnsi;
    forEachPlugin(folder, [&](UniqueLibrary& library) {
        auto supported = lookUp<IsSupportedFn>(library.get(), "IsSupported");
        if (!supported) return true;
        long offset = 0;
        if (supported(found.ansi, head) == 0) {
            if (supported(found.ansi, head + kPrefixSize) == 0) return true;
            offset = kPrefixSize;
        }
        found.offset = offset;
        found.library = std::move(library);
        return false;
    });
    return found.library ? DecodeError::None : DecodeError::NoPlugin;
}

// The plug-in's text information, which it leaves to its caller to free.
void dropTextInfo(PictureInfo& info) noexcept {
    GlobalMemory text(info.textInfo);
    info.textInfo = nullptr;
}

// A lock on a moveable local memory block, undone when it goes.
class LocalLockGuard {
public:
    explicit LocalLockGuard(HLOCAL block) noexcept
        : block_(block), data_(static_cast<const uint8_t*>(LocalLock(block))) {}
    ~LocalLockGuard() {
        if (data_) LocalUnlock(block_);
    }
    LocalLockGuard(const LocalLockGuard&) = delete;
    LocalLockGuard& operator=(const LocalLockGuard&) = delete;

    const uint8_t* get() const noexcept { return data_; }
    explicit operator bool() const noexcept { return data_ != nullptr; }

private:
    HLOCAL block_;
    const uint8_t* data_;
};

}  // namespace

bool pluginFolderUsable(const wchar_t* folder) noexcept {
    if (!folder || !*folder) return false;
    const DWORD attrs = GetFileAttributesW(folder);
    return attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_DIRECTORY);
}

std::vector<std::wstring> listPluginPatterns(const wchar_t* folder) {
    std::vector<std::wstring> table;
    if (!pluginFolderUsable(folder)) return table;
    forEachPlugin(folder, [&](UniqueLibrary& library) {
        auto info = lookUp<GetPluginInfoFn>(library.get(), "GetPluginInfo");
        std::vector<std::string> given;  // this plug-in's texts so far
        for (int i = 0; i < kMaxPatternTexts && table.size() < kMaxPluginPatterns; ++i) {
            char text[kPatternBuffer + 1] = {};
            if (info(kFirstPatternInfo + 2 * i, text, kPatternBuffer) == 0) break;
            text[kPatternBuffer] = 0;
            // A text given before means the plug-in is not counting with us.
            if (std::find(given.begin(), given.end(), text) != given.end()) break;
            given.emplace_back(text);
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
                              DecoderState& state) noexcept {
    state.error = DecodeError::None;
    AcceptingPlugin plugin;
    if (const DecodeError e = findPlugin(path, folder, plugin); e != DecodeError::None)
        return state.fail(e);
    const HMODULE library = plugin.library.get();

    if (auto pictureInfo = lookUp<GetPictureInfoFn>(library, "GetPictureInfo")) {
        PictureInfo info{};
        if (pictureInfo(plugin.ansi, plugin.offset, 0, &info) == 0) dropTextInfo(info);
    }
    auto getPicture = lookUp<GetPictureFn>(library, "GetPicture");
    if (!getPicture) return state.fail(DecodeError::PluginFailed);
    // Whatever comes back is freed, with a failure too, before the library
    // is unloaded.
    LocalMemory infoMemory, bitsMemory;
    const int result = getPicture(plugin.ansi, plugin.offset, 0, infoMemory.put(), bitsMemory.put(),
                                  neverCancel, 0);
    if (result != 0 || !infoMemory || !bitsMemory) return state.fail(DecodeError::PluginFailed);

    // The header is read only when the block holds all of it.
    const SIZE_T infoSize = LocalSize(infoMemory.get());
    if (infoSize < sizeof(dib::BITMAPINFOHEADER)) return state.fail(DecodeError::Truncated);
    const LocalLockGuard info(infoMemory.get());
    if (!info) return state.fail(DecodeError::PluginFailed);
    dib::BITMAPINFOHEADER header;
    std::memcpy(&header, info.get(), sizeof header);
    if (header.biCompression != 0) return state.fail(DecodeError::UnsupportedCompression);
    // Top-down pictures (a negative height) are refused with the rest.
    if (header.biWidth <= 0 || header.biHeight <= 0 || header.biWidth > kMaxImageSide ||
        header.biHeight > kMaxImageSide)
        return state.fail(DecodeError::SideOutOfRange);
    const int bitCount = header.biBitCount;
    if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 24)
        return state.fail(DecodeError::UnsupportedBitDepth);
    const uint32_t blockSize = pixelBlockSize(header.biWidth, header.biHeight, bitCount);
    if (blockSize == 0) return state.fail(DecodeError::TooLarge);

    LoadedImage& image = state.image;
    std::memset(&image, 0, sizeof image);
    const size_t headAndPalette = offsetof(LoadedImage, bits);
    std::memcpy(&image, info.get(), infoSize < headAndPalette ? infoSize : headAndPalette);
    image.header.biSize = sizeof(dib::BITMAPINFOHEADER);

    const SIZE_T bitsSize = LocalSize(bitsMemory.get());
    if (bitsSize == 0) return state.fail(DecodeError::MissingImageData);
    const LocalLockGuard bits(bitsMemory.get());
    if (!bits) return state.fail(DecodeError::PluginFailed);
    // The pixel block always has every row, so that whoever reads the picture
    // can trust its header; a short bits block leaves the remaining rows zero.
    PageBlock block(blockSize);
    if (!block) return state.fail(DecodeError::OutOfMemory);
    std::memcpy(block.get(), bits.get(), bitsSize < blockSize ? bitsSize : blockSize);
    image.bits = block.release();
    return &image;
}

bool probeWithPlugin(const wchar_t* path, const wchar_t* folder, int32_t& width, int32_t& height,
                     DecodeError* reason) noexcept {
    width = height = 0;
    DecodeError ignored;
    DecodeError& why = reason ? *reason : ignored;
    AcceptingPlugin plugin;
    why = findPlugin(path, folder, plugin);
    if (why != DecodeError::None) return false;
    auto pictureInfo = lookUp<GetPictureInfoFn>(plugin.library.get(), "GetPictureInfo");
    PictureInfo info{};
    if (!pictureInfo || pictureInfo(plugin.ansi, plugin.offset, 0, &info) != 0) {
        why = DecodeError::PluginFailed;
        return false;
    }
    dropTextInfo(info);
    width = info.width;
    height = info.height;
    return true;
}
