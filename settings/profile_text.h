// The text side of the settings file, free of the profile calls: parsing a
// whole section as the section call returns it ("key=value\0...\0\0"),
// building one to write, integer parsing as the profile calls do it, and the
// value rules (clamps, lowest-bit flags).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

using ProfileEntry = std::pair<std::wstring, std::wstring>;

// Splits a double-null-terminated section buffer of `length` characters into
// its key=value lines, in order. Lines without '=' are skipped.
std::vector<ProfileEntry> parseSectionBuffer(const wchar_t* buffer, size_t length);

// Joins entries into "key=value\0key=value\0\0".
std::wstring buildSectionBuffer(const std::vector<ProfileEntry>& entries);

// A section read whole, looked up by key without regard to case; the first
// line of a key wins, as with the single-key calls.
class ProfileSection {
public:
    ProfileSection() = default;
    explicit ProfileSection(std::vector<ProfileEntry> entries) : entries_(std::move(entries)) {}

    const std::wstring* find(std::wstring_view key) const;
    int32_t getInt(std::wstring_view key, int32_t fallback) const;
    // Flags keep only their lowest bit: 2 reads as off, 3 as on.
    uint8_t getFlag(std::wstring_view key, uint8_t fallback) const;
    std::wstring getString(std::wstring_view key, std::wstring_view fallback,
                           size_t maxChars = 259) const;
    const std::vector<ProfileEntry>& entries() const { return entries_; }

private:
    std::vector<ProfileEntry> entries_;
};

// Decimal integer as the profile calls read it: leading blanks, an optional
// sign, digits (a "0x" prefix reads hexadecimal); no digits reads 0; the
// result wraps to 32 bits.
int32_t parseProfileInt(std::wstring_view text);

// Replaces the values of keys already in `section` (first occurrence, any
// case) and appends the others at its end, in the order given: the effect
// of writing each key on its own.
void mergeKeys(std::vector<ProfileEntry>& section, const std::vector<ProfileEntry>& updates);

struct ProfileSectionText {
    std::wstring name;
    std::vector<ProfileEntry> entries;
};

// A whole settings file as text: "[name]\r\nkey=value\r\n" per section, a
// blank line between sections. Sections without entries are left out.
std::wstring serializeProfile(const std::vector<ProfileSectionText>& sections);

bool sameKey(std::wstring_view a, std::wstring_view b);

int32_t clampInt(int32_t value, int32_t low, int32_t high);
std::wstring decimal(int64_t value);
