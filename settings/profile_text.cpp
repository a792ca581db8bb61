#include "settings/profile_text.h"

#include <cwctype>

namespace {
bool equalsNoCaseImpl(std::wstring_view a, std::wstring_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        wchar_t x = a[i], y = b[i];
        if (x >= L'A' && x <= L'Z') x = static_cast<wchar_t>(x - L'A' + L'a');
        if (y >= L'A' && y <= L'Z') y = static_cast<wchar_t>(y - L'A' + L'a');
        if (x != y) return false;
    }
    return true;
}

bool equalsNoCase(std::wstring_view a, std::wstring_view b) { return equalsNoCaseImpl(a, b); }

std::wstring_view trim(std::wstring_view s) {
    while (!s.empty() && (s.front() == L' ' || s.front() == L'\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == L' ' || s.back() == L'\t' || s.back() == L'\r'))
        s.remove_suffix(1);
    return s;
}
}  // namespace

std::vector<ProfileEntry> parseSectionBuffer(const wchar_t* buffer, size_t length) {
    std::vector<ProfileEntry> out;
    size_t i = 0;
    while (i < length && buffer[i] != L'\0') {
        size_t start = i;
        while (i < length && buffer[i] != L'\0') ++i;
        std::wstring_view line(buffer + start, i - start);
        ++i;  // the line's terminator
        size_t eq = line.find(L'=');
        if (eq == std::wstring_view::npos) continue;
        std::wstring_view key = trim(line.substr(0, eq));
        if (key.empty()) continue;
        out.emplace_back(std::wstring(key), std::wstring(trim(line.substr(eq + 1))));
    }
    return out;
}

std::wstring buildSectionBuffer(const std::vector<ProfileEntry>& entries) {
    std::wstring out;
    for (const auto& [key, value] : entries) {
        out += key;
        out += L'=';
        out += value;
        out += L'\0';
    }
    out += L'\0';
    return out;
}

const std::wstring* ProfileSection::find(std::wstring_view key) const {
    for (const auto& e : entries_)
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
    std::wstring s(v ? std::wstring_view(*v) : fallback);
    // Quotes around a value are not part of it (the profile calls drop them).
    if (s.size() >= 2 && (s.front() == L'"' || s.front() == L'\'') && s.back() == s.front())
        s = s.substr(1, s.size() - 2);
    if (s.size() > maxChars) s.resize(maxChars);
    return s;
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
