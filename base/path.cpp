#include "base/path.h"

namespace {
// Where the file name starts: just after the last separator.
size_t fileNameStart(std::wstring_view path) noexcept {
    const size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring_view::npos ? 0 : slash + 1;
}
}  // namespace

std::wstring_view folderWithSeparator(std::wstring_view path) noexcept {
    return path.substr(0, fileNameStart(path));
}

std::wstring_view fileNameOf(std::wstring_view path) noexcept {
    return path.substr(fileNameStart(path));
}

std::wstring_view extensionOf(std::wstring_view path) noexcept {
    const size_t dot = path.rfind(L'.');
    if (dot == std::wstring_view::npos || dot < fileNameStart(path)) return {};
    return path.substr(dot);
}

std::wstring_view withoutExtension(std::wstring_view path) noexcept {
    return path.substr(0, path.size() - extensionOf(path).size());
}

std::wstring joinPath(std::wstring_view folder, std::wstring_view name) {
    std::wstring path(folder);
    if (!path.empty() && path.back() != L'\\' && path.back() != L'/') path += L'\\';
    path += name;
    return path;
}
