#include "decode/image_format.h"

namespace {

// Case-insensitive for ASCII letters, which is all an extension of the list
// has.
bool sameExtension(std::wstring_view text, std::wstring_view known) noexcept {
    if (text.size() != known.size()) return false;
    for (size_t i = 0; i < text.size(); ++i) {
        wchar_t c = text[i];
        if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
        if (c != known[i]) return false;
    }
    return true;
}

}  // namespace

ImageFormat formatFromExtension(std::wstring_view extension) noexcept {
    for (const BuiltInExtension& e : kBuiltInExtensions)
        if (sameExtension(extension, e.extension())) return e.format;
    return ImageFormat::Unknown;
}

ImageFormat formatFromExtension(const wchar_t* extension) noexcept {
    return extension ? formatFromExtension(std::wstring_view(extension)) : ImageFormat::Unknown;
}

std::wstring builtInPatternList() {
    std::wstring list;
    for (const BuiltInExtension& e : kBuiltInExtensions) {
        if (!list.empty()) list += L';';
        list += e.pattern;
    }
    return list;
}
