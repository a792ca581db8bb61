// The settings file's keys in one table: for each stored field of Settings,
// its section, key, type, default and allowed range, in the order the closing
// save writes them. Loading, the closing save and the defaults of a new
// Settings all work from this table. The lists' sections (Count, WPNum, Name
// and the entries) and the date mark (y, m, d) follow their own rules below.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "settings/profile_text.h"
#include "settings/settings.h"

enum class SettingType : uint8_t {
    Integer,  // 32-bit signed decimal
    Colour,   // COLORREF, written as a signed decimal
    Flag,     // one byte: only the lowest bit of the value read is kept
    Byte,     // one byte: the value read is cut to its low byte
    Text,     // at most 259 characters read, quotes round the value dropped
};

// What a value read outside [low, high] becomes.
enum class OutOfRange : uint8_t { Kept, Clamped, Default };

// Defaults that depend on the machine the program runs on.
enum class MachineDefault : uint8_t {
    None,
    CalendarLeft,   // the calendar's left edge: the screen width less 136
    DesktopColour,  // the desktop background's system colour
};

// An element of an array field, such as one of the sixteen custom colours.
template <typename T, size_t N>
struct FieldElement {
    T (Settings::*array)[N];
    uint8_t index;
};

// Where a key's value lives: a field of the calendar's look, of Settings, or
// an element of one of Settings' arrays.
using SettingField =
    std::variant<int32_t CalendarStyle::*, uint8_t CalendarStyle::*, ColorRef CalendarStyle::*,
                 std::wstring CalendarStyle::*, int32_t Settings::*, uint8_t Settings::*,
                 ColorRef Settings::*, std::wstring Settings::*, FieldElement<ColorRef, 16>,
                 FieldElement<int32_t, 5>>;

struct SettingKey {
    const wchar_t* section;
    const wchar_t* key;
    SettingType type;
    SettingField field;
    int32_t fallback = 0;               // numbers
    const wchar_t* fallbackText = L"";  // texts
    OutOfRange outside = OutOfRange::Kept;
    int32_t low = 0, high = 0;
    MachineDefault machine = MachineDefault::None;
};

std::span<const SettingKey> settingKeys();

// The machine's own values for the defaults that depend on it.
struct MachineDefaults {
    int32_t screenWidth = 0;
    ColorRef desktopColour = 0;
};

// Reads the keys of `section` from its lines (null when the file has no such
// section): a missing key takes its default, a value out of range is handled
// as its row says.
void loadSection(Settings& s, std::wstring_view section, const std::vector<ProfileEntry>* lines,
                 const MachineDefaults& machine);

// The lines the closing save writes for the keys of `section`, in table order.
std::vector<ProfileEntry> sectionLines(const Settings& s, std::wstring_view section);

// Resident mode's section; a file without it reads as resident mode off.
inline constexpr wchar_t kResidentSection[] = L"Resident";
// The longest automatic-change interval kept, in minutes (a year).
inline constexpr int32_t kMaxResidentInterval = 366 * 24 * 60;
// True when resident mode's keys all hold their defaults.
bool residentDefaults(const Settings& s) noexcept;

// Section name of a list: "List", "List2" ... "List8".
std::wstring listSectionName(int list);
// A list's name when its section has none: its number, "1" ... "8".
std::wstring defaultListName(int list);

inline constexpr wchar_t kListCountKey[] = L"Count";
inline constexpr wchar_t kListPositionKey[] = L"WPNum";
inline constexpr wchar_t kListNameKey[] = L"Name";

// The date mark, section WP: year, month and day of the last change.
inline constexpr wchar_t kWallpaperSection[] = L"WP";
inline constexpr wchar_t kDateMarkKeys[3][2] = {L"y", L"m", L"d"};

// The desktop's wallpaper style values as they were before the wallpaper
// first spanned several monitors, kept until they are put back when the
// span ends: section SpanStyle, keys WallpaperStyle and TileWallpaper (the
// registry's names and texts). The section exists only in between.
inline constexpr wchar_t kSpanStyleSection[] = L"SpanStyle";
inline constexpr wchar_t kSpanStyleKey[] = L"WallpaperStyle";
inline constexpr wchar_t kSpanTileKey[] = L"TileWallpaper";

// A list's entries by index, from its section's lines: entry i is the first
// line keyed with the decimal number i (no sign, no leading zero). Only
// indexes below `count` are looked at; missing entries are null.
std::vector<const std::wstring*> listEntriesByIndex(const std::vector<ProfileEntry>& lines,
                                                    int32_t count);

// The number of entries a list is taken to have: its stored Count, capped by
// what the section holds (no more than it has lines, and ending with its last
// entry present), so that a damaged Count of two thousand million costs no
// more than the lines that are there. A Count of zero or less is kept.
int32_t listEntryCount(const std::vector<ProfileEntry>& lines, int32_t storedCount);

// Reads a list's Count (capped as listEntryCount says), WPNum (into
// selectedIndex as well) and Name from its section's lines (null when the
// file has no such section).
void loadListKeys(WallpaperList& list, int index, const std::vector<ProfileEntry>* lines);

// The lines the closing save writes for a list: Count, WPNum, Name, then the
// entries under the keys "0" ... in order.
std::vector<ProfileEntry> listLines(const WallpaperList& list,
                                    const std::vector<std::wstring>& entries);
