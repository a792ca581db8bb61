// The pattern table of the plug-ins: what the file chooser offers and which
// files of a folder are candidates for a plug-in.
#include <cwctype>

#include "decode/image_format.h"
#include "decode/plugin.h"

namespace {

wchar_t lowerChar(wchar_t c) noexcept {
    if (c >= L'A' && c <= L'Z') return static_cast<wchar_t>(c - L'A' + L'a');
    if (c < 0x80) return c;
    return static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
}

// The extension of a pattern or file name with its dot, or null: the part
// after the last dot that follows the last path separator.
const wchar_t* extensionOf(const wchar_t* name) noexcept {
    const wchar_t* dot = nullptr;
    for (const wchar_t* p = name; *p; ++p) {
        if (*p == L'.')
            dot = p;
        else if (*p == L'\\' || *p == L'/' || *p == L':')
            dot = nullptr;
    }
    return dot;
}

bool sameIgnoringCase(const wchar_t* a, const wchar_t* b) noexcept {
    for (;; ++a, ++b) {
        if (lowerChar(*a) != lowerChar(*b)) return false;
        if (*a == 0) return true;
    }
}

}  // namespace

void addDeclaredPatterns(const wchar_t* text, std::vector<std::wstring>& table) {
    if (!text) return;
    const wchar_t* p = text;
    while (*p && table.size() < kMaxPluginPatterns) {
        const wchar_t* start = p;
        while (*p && *p != L';') ++p;
        const wchar_t* end = p;
        if (*p == L';') ++p;
        while (start < end && (*start == L' ' || *start == L'\t')) ++start;
        while (end > start && (end[-1] == L' ' || end[-1] == L'\t')) --end;
        // A pattern is kept to 259 characters so that it fits a 260-slot.
        if (start == end || end - start > 259) continue;
        std::wstring piece(start, end);
        for (wchar_t& c : piece) c = lowerChar(c);
        const wchar_t* extension = extensionOf(piece.c_str());
        if (extension && isBuiltInExtension(extension)) continue;
        bool listed = false;
        for (const std::wstring& known : table) listed = listed || known == piece;
        if (!listed) table.push_back(std::move(piece));
    }
}

bool matchesPluginPattern(const wchar_t* fileName,
                          const std::vector<std::wstring>& patterns) noexcept {
    if (!fileName) return false;
    const wchar_t* extension = extensionOf(fileName);
    if (!extension) return false;
    for (const std::wstring& pattern : patterns) {
        const wchar_t* own = extensionOf(pattern.c_str());
        if (own && own[1] != L'*' && sameIgnoringCase(own, extension)) return true;
        if (own && own[1] == L'*' && own[2] == 0) return true;  // "*.*"
    }
    return false;
}
