#include "settings/settings_keys.h"

#include <algorithm>
#include <type_traits>

namespace {

constexpr wchar_t kCal[] = L"Cal";
constexpr const wchar_t* kWp = kWallpaperSection;
constexpr wchar_t kPath[] = L"Path";
constexpr wchar_t kTWin[] = L"TWin";
constexpr const wchar_t* kResident = kResidentSection;

constexpr SettingKey number(const wchar_t* section, const wchar_t* key, SettingField field,
                            int32_t fallback) {
    return {section, key, SettingType::Integer, field, fallback};
}
constexpr SettingKey colour(const wchar_t* section, const wchar_t* key, SettingField field,
                            int32_t fallback) {
    return {section, key, SettingType::Colour, field, fallback};
}
constexpr SettingKey flag(const wchar_t* section, const wchar_t* key, SettingField field,
                          int32_t fallback) {
    return {section, key, SettingType::Flag, field, fallback};
}
constexpr SettingKey oneByte(const wchar_t* section, const wchar_t* key, SettingField field,
                             int32_t fallback) {
    return {section, key, SettingType::Byte, field, fallback};
}
constexpr SettingKey text(const wchar_t* section, const wchar_t* key, SettingField field,
                          const wchar_t* fallback) {
    return {section, key, SettingType::Text, field, 0, fallback};
}
// An integer held to [low, high]: values beyond become the nearer bound.
constexpr SettingKey clamped(const wchar_t* section, const wchar_t* key, SettingField field,
                             int32_t fallback, int32_t low, int32_t high) {
    return {section, key, SettingType::Integer, field, fallback, L"", OutOfRange::Clamped,
            low,     high};
}
// An integer in [low, high]: values beyond read as the default.
constexpr SettingKey ranged(const wchar_t* section, const wchar_t* key, SettingField field,
                            int32_t fallback, int32_t low, int32_t high) {
    return {section, key, SettingType::Integer, field, fallback, L"", OutOfRange::Default,
            low,     high};
}
constexpr SettingKey fromMachine(SettingKey row, MachineDefault machine) {
    row.machine = machine;
    return row;
}

constexpr FieldElement<ColorRef, 16> customColour(uint8_t i) { return {&Settings::CRGB, i}; }
constexpr FieldElement<int32_t, 5> presetWidth(uint8_t i) { return {&Settings::PresetW, i}; }
constexpr FieldElement<int32_t, 5> presetHeight(uint8_t i) { return {&Settings::PresetH, i}; }

constexpr int32_t kWhite = 16777215;

using C = CalendarStyle;
using S = Settings;

// Within a section, rows stand in the order the closing save writes them.
constexpr SettingKey kKeys[] = {
    text(kCal, L"FaceA", &C::FaceA, L"MS UI Gothic"),
    text(kCal, L"FaceS", &C::FaceS, L"MS UI Gothic"),
    oneByte(kCal, L"CharSet", &C::CharSet, 128),
    clamped(kCal, L"FtSize", &C::FtSize, 10, 8, 36),
    clamped(kCal, L"DaySpace", &C::DaySpace, 4, 2, 36),
    number(kCal, L"Weight", &C::Weight, 400),
    flag(kCal, L"Italic", &C::Italic, 0),
    flag(kCal, L"YearDisp", &C::YearDisp, 1),
    flag(kCal, L"YearPos", &C::YearPos, 0),
    flag(kCal, L"MonthName", &C::MonthName, 0),
    flag(kCal, L"MonthShort", &C::MonthShort, 0),
    clamped(kCal, L"DispMonth", &C::DispMonth, 1, 1, 3),
    colour(kCal, L"YearMonth", &C::YearMonth, 12648447),
    colour(kCal, L"Weekday", &C::Weekday, kWhite),
    colour(kCal, L"Saturday", &C::Saturday, 16769152),
    colour(kCal, L"Sunday", &C::Sunday, 12615935),
    colour(kCal, L"Holiday", &C::Holiday, 12615935),
    colour(kCal, L"TextShadow", &C::TextShadow, 0),
    colour(kCal, L"TodayPen", &C::TodayPen, 49152),
    flag(kCal, L"TodayNot", &C::TodayNot, 1),
    fromMachine(number(kCal, L"CalPosX", &C::CalPosX, 0), MachineDefault::CalendarLeft),
    number(kCal, L"CalPosY", &C::CalPosY, 10),
    colour(kCal, L"CRGB00", customColour(0), kWhite),
    colour(kCal, L"CRGB01", customColour(1), kWhite),
    colour(kCal, L"CRGB02", customColour(2), kWhite),
    colour(kCal, L"CRGB03", customColour(3), kWhite),
    colour(kCal, L"CRGB04", customColour(4), kWhite),
    colour(kCal, L"CRGB05", customColour(5), kWhite),
    colour(kCal, L"CRGB06", customColour(6), kWhite),
    colour(kCal, L"CRGB07", customColour(7), kWhite),
    colour(kCal, L"CRGB08", customColour(8), kWhite),
    colour(kCal, L"CRGB09", customColour(9), kWhite),
    colour(kCal, L"CRGB10", customColour(10), kWhite),
    colour(kCal, L"CRGB11", customColour(11), kWhite),
    colour(kCal, L"CRGB12", customColour(12), kWhite),
    colour(kCal, L"CRGB13", customColour(13), kWhite),
    colour(kCal, L"CRGB14", customColour(14), kWhite),
    colour(kCal, L"CRGB15", customColour(15), kWhite),

    // The date mark (y, m, d) comes first in the section; see kDateMarkKeys.
    fromMachine(colour(kWp, L"BgColor", &S::BgColor, 0), MachineDefault::DesktopColour),
    flag(kWp, L"Random", &S::Random, 0),
    flag(kWp, L"Calendar", &S::Calendar, 1),
    number(kWp, L"StyleS", &S::StyleS, 0),  // read without a range check
    flag(kWp, L"StyleB", &S::StyleB, 1),
    flag(kWp, L"WpOptS0", &S::WpOptS0, 1),
    flag(kWp, L"WpOptS1", &S::WpOptS1, 0),
    flag(kWp, L"WpOptB0", &S::WpOptB0, 1),
    flag(kWp, L"WpOptB1", &S::WpOptB1, 0),
    flag(kWp, L"Cycle", &S::Cycle, 0),
    flag(kWp, L"ListHold", &S::ListHold, 0),
    flag(kWp, L"ToolTip", &S::ToolTip, 1),
    flag(kWp, L"WheelSel", &S::WheelSel, 0),
    flag(kWp, L"WpNoChg", &S::WpNoChg, 0),
    ranged(kWp, L"ActList", &S::ActList, 0, 0, kListCount - 1),
    // Several monitors: off, the same picture on each, or one entry each.
    ranged(kWp, L"Monitors", &S::Monitors, kMonitorsOff, kMonitorsOff, kMonitorsEach),

    text(kPath, L"SPI", &S::SPI, L""),

    number(kTWin, L"PresetW0", presetWidth(0), 0),
    number(kTWin, L"PresetH0", presetHeight(0), 0),
    number(kTWin, L"PresetW1", presetWidth(1), 800),
    number(kTWin, L"PresetH1", presetHeight(1), 600),
    number(kTWin, L"PresetW2", presetWidth(2), 1024),
    number(kTWin, L"PresetH2", presetHeight(2), 768),
    number(kTWin, L"PresetW3", presetWidth(3), 1280),
    number(kTWin, L"PresetH3", presetHeight(3), 800),
    number(kTWin, L"PresetW4", presetWidth(4), 1280),
    number(kTWin, L"PresetH4", presetHeight(4), 1024),
    ranged(kTWin, L"AddImgSize", &S::AddImgSize, 0, 0, 4),
    flag(kTWin, L"DTExpand", &S::DTExpand, 1),
    flag(kTWin, L"LRExpand", &S::LRExpand, 1),

    flag(kResident, L"On", &S::On, 0),
    clamped(kResident, L"Interval", &S::Interval, 0, 0, kMaxResidentInterval),
    ranged(kResident, L"HotKey", &S::HotKey, 0, 0, 0xFFFF),
};

template <typename M>
struct MemberTraits : std::false_type {};
template <typename T>
struct MemberTraits<T CalendarStyle::*> : std::true_type {};
template <typename M>
constexpr bool kOfCalendar = MemberTraits<M>::value;

template <typename M>
struct ElementTraits : std::false_type {};
template <typename T, size_t N>
struct ElementTraits<FieldElement<T, N>> : std::true_type {};
template <typename M>
constexpr bool kIsElement = ElementTraits<M>::value;

// Calls `use` with the field a row names in `s` (const or not).
template <typename S, typename Use>
void withField(S& s, const SettingField& field, Use&& use) {
    std::visit(
        [&](auto member) {
            using M = decltype(member);
            if constexpr (kIsElement<M>)
                use((s.*member.array)[member.index]);
            else if constexpr (kOfCalendar<M>)
                use(s.cal.*member);
            else
                use(s.*member);
        },
        field);
}

// Stores a value: the number in a numeric field, the text in a text field.
struct Store {
    int32_t number;
    std::wstring_view text;
    void operator()(std::wstring& field) const { field = text; }
    template <typename T>
    void operator()(T& field) const {
        field = static_cast<T>(number);
    }
};

int32_t machineValue(const SettingKey& row, const MachineDefaults& machine) {
    switch (row.machine) {
        case MachineDefault::CalendarLeft:
            return machine.screenWidth - 136;
        case MachineDefault::DesktopColour:
            return static_cast<int32_t>(machine.desktopColour);
        case MachineDefault::None:
            break;
    }
    return row.fallback;
}

bool isEntryKey(std::wstring_view key) {
    if (key.empty() || key.size() > 10 || (key.size() > 1 && key[0] == L'0')) return false;
    for (wchar_t c : key)
        if (c < L'0' || c > L'9') return false;
    return true;
}

// The index a list line's key names, or -1 when it names none below `limit`.
int64_t entryIndex(std::wstring_view key, int64_t limit) {
    if (!isEntryKey(key)) return -1;
    int64_t index = 0;
    for (wchar_t c : key) index = index * 10 + (c - L'0');
    return index < limit ? index : -1;
}

}  // namespace

CalendarStyle::CalendarStyle() {
    for (const SettingKey& row : kKeys)
        std::visit(
            [&](auto member) {
                if constexpr (kOfCalendar<decltype(member)>)
                    Store{row.fallback, row.fallbackText}(this->*member);
            },
            row.field);
}

Settings::Settings() {
    for (const SettingKey& row : kKeys)
        if (!std::visit([](auto member) { return kOfCalendar<decltype(member)>; }, row.field))
            withField(*this, row.field, Store{row.fallback, row.fallbackText});
}

std::span<const SettingKey> settingKeys() { return kKeys; }

void loadSection(Settings& s, std::wstring_view section, const std::vector<ProfileEntry>* lines,
                 const MachineDefaults& machine) {
    for (const SettingKey& row : kKeys) {
        if (!sameKey(row.section, section)) continue;
        const std::wstring* value = lines ? findValue(*lines, row.key) : nullptr;
        if (row.type == SettingType::Text) {
            withField(s, row.field, Store{0, unquotedValue(value ? *value : row.fallbackText)});
            continue;
        }
        int32_t n = value ? parseProfileInt(*value) : machineValue(row, machine);
        if (row.type == SettingType::Flag) n &= 1;
        if (row.outside == OutOfRange::Clamped) n = clampInt(n, row.low, row.high);
        if (row.outside == OutOfRange::Default && (n < row.low || n > row.high)) n = row.fallback;
        withField(s, row.field, Store{n, {}});
    }
}

std::vector<ProfileEntry> sectionLines(const Settings& s, std::wstring_view section) {
    std::vector<ProfileEntry> lines;
    for (const SettingKey& row : kKeys) {
        if (!sameKey(row.section, section)) continue;
        withField(s, row.field, [&](const auto& value) {
            using T = std::remove_cvref_t<decltype(value)>;
            if constexpr (std::is_same_v<T, std::wstring>)
                lines.emplace_back(row.key, value);
            else
                lines.emplace_back(row.key, decimal(static_cast<int32_t>(value)));
        });
    }
    return lines;
}

bool residentDefaults(const Settings& s) noexcept {
    const Settings fresh;
    return s.On == fresh.On && s.Interval == fresh.Interval && s.HotKey == fresh.HotKey;
}

std::wstring listSectionName(int list) {
    return list == 0 ? std::wstring(L"List") : L"List" + decimal(list + 1);
}

std::wstring defaultListName(int list) { return decimal(list + 1); }

int32_t listEntryCount(const std::vector<ProfileEntry>& lines, int32_t storedCount) {
    if (storedCount <= 0) return storedCount;
    const int64_t limit = std::min<int64_t>(storedCount, static_cast<int64_t>(lines.size()));
    int64_t last = -1;
    for (const auto& line : lines) last = std::max(last, entryIndex(line.first, limit));
    return static_cast<int32_t>(last + 1);
}

std::vector<const std::wstring*> listEntriesByIndex(const std::vector<ProfileEntry>& lines,
                                                    int32_t count) {
    const int32_t n = listEntryCount(lines, count);
    std::vector<const std::wstring*> byIndex(n > 0 ? static_cast<size_t>(n) : 0, nullptr);
    for (const auto& [key, value] : lines) {
        const int64_t i = entryIndex(key, n);
        if (i >= 0 && !byIndex[static_cast<size_t>(i)]) byIndex[static_cast<size_t>(i)] = &value;
    }
    return byIndex;
}

void loadListKeys(WallpaperList& list, int index, const std::vector<ProfileEntry>* lines) {
    const WallpaperList fresh;
    const std::wstring* count = lines ? findValue(*lines, kListCountKey) : nullptr;
    const std::wstring* position = lines ? findValue(*lines, kListPositionKey) : nullptr;
    const std::wstring* name = lines ? findValue(*lines, kListNameKey) : nullptr;
    list.Count = count ? listEntryCount(*lines, parseProfileInt(*count)) : fresh.Count;
    list.WPNum = position ? parseProfileInt(*position) : fresh.WPNum;
    list.selectedIndex = list.WPNum;
    list.Name = name ? unquotedValue(*name) : defaultListName(index);
}

std::vector<ProfileEntry> listLines(const WallpaperList& list,
                                    const std::vector<std::wstring>& entries) {
    std::vector<ProfileEntry> lines;
    lines.reserve(entries.size() + 3);
    lines.emplace_back(kListCountKey, decimal(static_cast<int64_t>(entries.size())));
    lines.emplace_back(kListPositionKey, decimal(list.WPNum));
    lines.emplace_back(kListNameKey, list.Name);
    for (size_t k = 0; k < entries.size(); ++k)
        lines.emplace_back(decimal(static_cast<int64_t>(k)), entries[k]);
    return lines;
}
