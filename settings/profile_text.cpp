#include "settings/profile_text.h"

#include <algorithm>

namespace {

bool equalsNoCase(std::wstring_view a, std::wstring_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        wchar_t x = a[i], y = b[i];
        if (x >= L'A' && x <= L'Z') x = static_cast<wchar_t>(x - L'A' + L'a');
        if (y >= L'A' && y <= L'Z') y = static_cast<wchar_t>(y - L'A' + L'a');
        if (x != y) return false;
    }
    return true;
}

bool isBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

std::wstring_view trimStart(std::wstring_view s) {
    while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
    return s;
}

std::wstring_view trim(std::wstring_view s) {
    s = trimStart(s);
    while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
    return s;
}

}  // namespace

const std::wstring* findValue(const std::vector<ProfileEntry>& entries, std::wstring_view key) {
    for (const auto& e : entries)
        if (equalsNoCase(e.first, key)) return &e.second;
    return nullptr;
}

int32_t ProfileSection::getInt(std::wstring_view key, int32_t fallback) const {
    const std::wstring* v = find(key);
    return v ? parseProfileInt(*v) : fallback;
}

uint8_t ProfileSection::getFlag(std::wstring_view key, uint8_t fallback) const {
    return static_cast<uint8_t>(getInt(key, fallback) & 1);
}

std::wstring ProfileSection::getString(std::wstring_view key, std::wstring_view fallback,
                                       size_t maxChars) const {
    const std::wstring* v = find(key);
    return unquotedValue(v ? std::wstring_view(*v) : fallback, maxChars);
}

std::wstring unquotedValue(std::wstring_view value, size_t maxChars) {
    if (value.size() >= 2 && (value.front() == L'"' || value.front() == L'\'') &&
        value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    return std::wstring(value.substr(0, maxChars));
}

int32_t parseProfileInt(std::wstring_view text) {
    text = trim(text);
    bool negative = false;
    if (!text.empty() && (text.front() == L'-' || text.front() == L'+')) {
        negative = text.front() == L'-';
        text.remove_prefix(1);
    }
    uint32_t base = 10;
    if (text.size() > 2 && text[0] == L'0' && (text[1] == L'x' || text[1] == L'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    uint32_t value = 0;
    for (wchar_t c : text) {
        uint32_t digit;
        if (c >= L'0' && c <= L'9')
            digit = static_cast<uint32_t>(c - L'0');
        else if (base == 16 && c >= L'a' && c <= L'f')
            digit = static_cast<uint32_t>(c - L'a' + 10);
        else if (base == 16 && c >= L'A' && c <= L'F')
            digit = static_cast<uint32_t>(c - L'A' + 10);
        else
            break;
        value = value * base + digit;  // wraps like the 32-bit original
    }
    if (negative) value = 0u - value;
    return static_cast<int32_t>(value);
}

void mergeKeys(std::vector<ProfileEntry>& section, const std::vector<ProfileEntry>& updates) {
    for (const auto& [key, value] : updates) {
        bool found = false;
        for (auto& e : section) {
            if (equalsNoCase(e.first, key)) {
                e.second = value;
                found = true;
                break;
            }
        }
        if (!found) section.emplace_back(key, value);
    }
}

bool sameKey(std::wstring_view a, std::wstring_view b) { return equalsNoCase(a, b); }

std::vector<ProfileSectionText> parseProfileText(std::wstring_view text) {
    std::vector<ProfileSectionText> sections;
    bool inSection = false;  // false before the first section and in one without a name
    size_t at = 0;
    while (at < text.size()) {
        const size_t end = std::min(text.find_first_of(L"\r\n", at), text.size());
        std::wstring_view line = text.substr(at, end - at);
        at = end + (text.compare(end, 2, L"\r\n") == 0 ? 2 : 1);

        line = trimStart(line.substr(0, line.find(L'\0')));
        if (line.empty() || line.front() == L';') continue;
        if (line.front() == L'[') {
            const size_t close = line.rfind(L']');
            if (close != std::wstring_view::npos) {
                const std::wstring_view name = trim(line.substr(1, close - 1));
                inSection = !name.empty();
                if (inSection) sections.push_back({std::wstring(name), {}});
                continue;
            }
        }
        if (!inSection) continue;
        const size_t eq = line.find(L'=');
        if (eq == std::wstring_view::npos) continue;
        const std::wstring_view key = trim(line.substr(0, eq));
        if (key.empty()) continue;
        sections.back().entries.emplace_back(std::wstring(key),
                                             std::wstring(trim(line.substr(eq + 1))));
    }
    return sections;
}

const ProfileSectionText* findSection(const std::vector<ProfileSectionText>& sections,
                                      std::wstring_view name) {
    for (const auto& s : sections)
        if (equalsNoCase(s.name, name)) return &s;
    return nullptr;
}

ProfileSectionText* findSection(std::vector<ProfileSectionText>& sections, std::wstring_view name) {
    for (auto& s : sections)
        if (equalsNoCase(s.name, name)) return &s;
    return nullptr;
}

DetectedEncoding detectEncoding(std::string_view bytes) {
    if (bytes.starts_with("\xFF\xFE")) return {TextEncoding::Utf16Le, 2};
    if (bytes.starts_with("\xFE\xFF")) return {TextEncoding::Utf16Be, 2};
    if (bytes.starts_with("\xEF\xBB\xBF")) return {TextEncoding::Utf8, 3};
    return {TextEncoding::Ansi, 0};
}

std::wstring utf16Text(std::string_view bytes, bool bigEndian) {
    std::wstring text((bytes.size() + 1) / 2, L'\0');
    for (size_t i = 0; i < text.size(); ++i) {
        const unsigned first = static_cast<unsigned char>(bytes[2 * i]);
        const unsigned second =
            2 * i + 1 < bytes.size() ? static_cast<unsigned char>(bytes[2 * i + 1]) : 0u;
        text[i] = static_cast<wchar_t>(bigEndian ? (first << 8) | second : (second << 8) | first);
    }
    return text;
}

std::wstring serializeProfile(const std::vector<ProfileSectionText>& sections) {
    size_t size = 0;
    for (const auto& s : sections) {
        size += s.name.size() + 6;
        for (const auto& [k, v] : s.entries) size += k.size() + v.size() + 3;
    }
    std::wstring out;
    out.reserve(size);
    for (const auto& s : sections) {
        if (s.entries.empty()) continue;
        if (!out.empty()) out += L"\r\n";
        out += L'[';
        out += s.name;
        out += L"]\r\n";
        for (const auto& [k, v] : s.entries) {
            out += k;
            out += L'=';
            out += v;
            out += L"\r\n";
        }
    }
    return out;
}

int32_t clampInt(int32_t value, int32_t low, int32_t high) {
    return value < low ? low : value > high ? high : value;
}

std::wstring decimal(int64_t value) { return std::to_wstring(value); }
