#include "ui/list_editing_rules.h"

#include <algorithm>

#include "base/path.h"
#include "decode/image_format.h"

namespace {

wchar_t lowerAscii(wchar_t c) noexcept { return c >= L'A' && c <= L'Z' ? c - L'A' + L'a' : c; }

bool equalIgnoringCase(std::wstring_view a, std::wstring_view b) noexcept {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (lowerAscii(a[i]) != lowerAscii(b[i])) return false;
    return true;
}

}  // namespace

bool hasBuiltInImageExtension(std::wstring_view path) noexcept {
    return isBuiltInExtension(extensionOf(path));
}

bool extensionMatchesPattern(std::wstring_view extension, std::wstring_view pattern) noexcept {
    if (pattern.empty() || pattern.front() != L'*' || extension.empty()) return false;
    return equalIgnoringCase(extension, pattern.substr(1));
}

bool extensionHasLength(std::wstring_view name, size_t lengthWithDot) noexcept {
    const std::wstring_view ext = extensionOf(name);
    return !ext.empty() && ext.size() == lengthWithDot;
}

int shufflePick(int r, int n) noexcept {
    if (n <= 1) return 0;
    const int pick = static_cast<int>(r / 32767.0 * (n - 1) + 0.5);
    // r comes from the program's generator (0..32767); anything outside that
    // still lands on an entry.
    return std::clamp(pick, 0, n - 1);
}

bool parseOpenFileResult(const wchar_t* result, size_t size, size_t firstName,
                         OpenFileResult& out) {
    constexpr size_t kMaxFolderOffset = 260;
    constexpr size_t kWalkLimit = 32766;
    constexpr size_t kMaxPath = 260;
    out = OpenFileResult{};
    if (!result || firstName == 0 || firstName > kMaxFolderOffset || firstName >= size)
        return false;
    out.folder.assign(result, firstName - 1);
    while (!out.folder.empty() && out.folder.back() == L'\\') out.folder.pop_back();
    const size_t end = size < kWalkLimit ? size : kWalkLimit;
    size_t p = firstName;
    while (p < end && result[p] != L'\0') {
        size_t length = 0;
        while (p + length < size && result[p + length] != L'\0') ++length;
        std::wstring path = out.folder;
        path += L'\\';
        path.append(result + p, length);
        if (path.size() < kMaxPath) out.paths.push_back(std::move(path));
        p += length + 1;
    }
    return true;
}

void sortEntriesByKey(std::vector<std::pair<std::string, size_t>>& keyed) {
    std::stable_sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) {
        return std::lexicographical_compare(
            a.first.begin(), a.first.end(), b.first.begin(), b.first.end(), [](char x, char y) {
                return static_cast<unsigned char>(x) < static_cast<unsigned char>(y);
            });
    });
}

LoadedList keepExistingEntries(std::vector<std::wstring> stored, int position,
                               const std::function<bool(const std::wstring&)>& exists) {
    LoadedList out;
    out.position = position;
    out.entries.reserve(stored.size());
    for (size_t key = 0; key < stored.size(); ++key) {
        if (!stored[key].empty() && exists(stored[key])) {
            out.entries.push_back(std::move(stored[key]));
        } else if (out.position > static_cast<int>(key)) {
            // Entries before the position went: it moves down with its file.
            --out.position;
        }
    }
    out.count = static_cast<int>(out.entries.size());
    if (out.position >= out.count) out.position = out.count > 0 ? 0 : -1;
    return out;
}
