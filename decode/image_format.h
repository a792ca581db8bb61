// The built-in picture formats and the one list of file extensions that name
// them: folder scans, drops, the file chooser's picture group and the plug-in
// pattern table all read this list.
#pragma once

#include <string>
#include <string_view>

enum class ImageFormat : int {
    Unknown = 0,
    Bmp = 1,
    Png = 2,
    Jpeg = 3,
    Tiff = 4,
    Gif = 5,
    ReadError = 6,
    Webp = 7,
    Avif = 8,
};

// One extension of a built-in format, as the pattern "*.ext" that a folder
// listing takes; the extension itself is the pattern without its star.
struct BuiltInExtension {
    const wchar_t* pattern;
    ImageFormat format;

    constexpr const wchar_t* extension() const noexcept { return pattern + 1; }
};

// In the order a folder scan tries them: ".jpe" before ".jpeg" and ".tif"
// before ".tiff", which the scan's extension-length rule relies on.
inline constexpr BuiltInExtension kBuiltInExtensions[] = {
    {L"*.bmp", ImageFormat::Bmp},   {L"*.png", ImageFormat::Png},   {L"*.jpg", ImageFormat::Jpeg},
    {L"*.jpe", ImageFormat::Jpeg},  {L"*.jpeg", ImageFormat::Jpeg}, {L"*.tif", ImageFormat::Tiff},
    {L"*.tiff", ImageFormat::Tiff}, {L"*.gif", ImageFormat::Gif},   {L"*.webp", ImageFormat::Webp},
    {L"*.avif", ImageFormat::Avif},
};

// The format whose extension `extension` (with its dot, ".png") is, letter
// case aside; Unknown for any other text and for null.
ImageFormat formatFromExtension(std::wstring_view extension) noexcept;
ImageFormat formatFromExtension(const wchar_t* extension) noexcept;

inline bool isBuiltInExtension(std::wstring_view extension) noexcept {
    return formatFromExtension(extension) != ImageFormat::Unknown;
}

// Every pattern of the list joined by ";" ("*.bmp;*.png;..."), as a file
// chooser's filter takes it.
std::wstring builtInPatternList();
