// The text side of the settings file, free of any platform call: the file's
// encodings, parsing its text into sections the way the profile calls read
// it, lookups in a section, integer parsing as the profile calls do it,
// building the text to write, and the value rules (clamps, lowest-bit flags).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

using ProfileEntry = std::pair<std::wstring, std::wstring>;

// The first line of `key` (any letter case) in `entries`; null when none.
const std::wstring* findValue(const std::vector<ProfileEntry>& entries, std::wstring_view key);

// A section's lines, looked up by key without regard to case; the first line
// of a key wins, as with the single-key calls.
class ProfileSection {
public:
    ProfileSection() = default;
    explicit ProfileSection(std::vector<ProfileEntry> entries) : entries_(std::move(entries)) {}

    const std::wstring* find(std::wstring_view key) const { return findValue(entries_, key); }
    int32_t getInt(std::wstring_view key, int32_t fallback) const;
    // Flags keep only their lowest bit: 2 reads as off, 3 as on.
    uint8_t getFlag(std::wstring_view key, uint8_t fallback) const;
    std::wstring getString(std::wstring_view key, std::wstring_view fallback,
                           size_t maxChars = 259) const;
    const std::vector<ProfileEntry>& entries() const { return entries_; }

private:
    std::vector<ProfileEntry> entries_;
};

// A text value as the single-key call returns it: without the quotes round
// it ("..." or '...'), cut to `maxChars` characters.
std::wstring unquotedValue(std::wstring_view value, size_t maxChars = 259);

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

// A whole settings file's text split into its sections, in file order, as
// the profile calls read it: lines end at CR, LF or CR LF; a line whose first
// non-blank character is '[' and which has a ']' starts a section named by
// the text between '[' and the last ']' (blanks trimmed); in a section, a
// line "key=value" is an entry with blanks trimmed round key and value, while
// a line starting with ';', a line without '=' or with an empty key, and a
// line's text after a NUL character are ignored. Lines before the first
// section, and sections with an empty name, are left out. A name that
// appears twice gives two sections; lookups find the first.
std::vector<ProfileSectionText> parseProfileText(std::wstring_view text);

// The first section of that name (any letter case); null when there is none.
const ProfileSectionText* findSection(const std::vector<ProfileSectionText>& sections,
                                      std::wstring_view name);
ProfileSectionText* findSection(std::vector<ProfileSectionText>& sections, std::wstring_view name);

// How a settings file's bytes are encoded, told by its byte-order mark: with
// none, the text is in the ANSI code page.
enum class TextEncoding : uint8_t { Utf16Le, Utf16Be, Utf8, Ansi };
struct DetectedEncoding {
    TextEncoding encoding;
    size_t markBytes;  // length of the byte-order mark
};
DetectedEncoding detectEncoding(std::string_view bytes);

// UTF-16 code units from bytes (after the mark). An odd last byte counts as
// one more unit, as the profile calls read it.
std::wstring utf16Text(std::string_view bytes, bool bigEndian);

// A whole settings file as text: "[name]\r\nkey=value\r\n" per section, a
// blank line between sections. Sections without entries are left out.
std::wstring serializeProfile(const std::vector<ProfileSectionText>& sections);

bool sameKey(std::wstring_view a, std::wstring_view b);

int32_t clampInt(int32_t value, int32_t low, int32_t high);
std::wstring decimal(int64_t value);
