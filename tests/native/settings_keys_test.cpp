// The settings key table: defaults, save order, ranges, and how many entries
// a list is taken to have.
#include "settings/settings_keys.h"

#include <gtest/gtest.h>

namespace {

std::wstring joined(const std::vector<ProfileEntry>& lines) {
    std::wstring out;
    for (const auto& [k, v] : lines) out += k + L"=" + v + L";";
    return out;
}

// The documented defaults, in the order the closing save writes them.
TEST(SettingsKeys, NewSettingsHoldTheDocumentedDefaultsInSaveOrder) {
    std::wstring customColours;
    for (int i = 0; i < 16; ++i)
        customColours += (i < 10 ? L"CRGB0" : L"CRGB") + std::to_wstring(i) + L"=16777215;";
    const Settings s;
    EXPECT_EQ(joined(sectionLines(s, L"Cal")),
              L"FaceA=MS UI Gothic;FaceS=MS UI Gothic;CharSet=128;FtSize=10;DaySpace=4;"
              L"Weight=400;Italic=0;YearDisp=1;YearPos=0;MonthName=0;MonthShort=0;DispMonth=1;"
              L"YearMonth=12648447;Weekday=16777215;Saturday=16769152;Sunday=12615935;"
              L"Holiday=12615935;TextShadow=0;TodayPen=49152;TodayNot=1;CalPosX=0;CalPosY=10;" +
                  customColours);
    EXPECT_EQ(joined(sectionLines(s, L"WP")),
              L"BgColor=0;Random=0;Calendar=1;StyleS=0;StyleB=1;WpOptS0=1;WpOptS1=0;WpOptB0=1;"
              L"WpOptB1=0;Cycle=0;ListHold=0;ToolTip=1;WheelSel=0;WpNoChg=0;ActList=0;Monitors=0;");
    EXPECT_EQ(joined(sectionLines(s, L"TWin")),
              L"PresetW0=0;PresetH0=0;PresetW1=800;PresetH1=600;PresetW2=1024;PresetH2=768;"
              L"PresetW3=1280;PresetH3=800;PresetW4=1280;PresetH4=1024;AddImgSize=0;DTExpand=1;"
              L"LRExpand=1;");
    EXPECT_EQ(joined(sectionLines(s, L"Path")), L"SPI=;");
    EXPECT_EQ(joined(sectionLines(s, L"Resident")), L"On=0;Interval=0;HotKey=0;");
    EXPECT_TRUE(residentDefaults(s));
    EXPECT_EQ(CalendarStyle().FaceS, L"MS UI Gothic") << "a calendar look on its own too";

    // A missing section reads as these defaults, with the machine's own two.
    Settings loaded;
    loaded.Calendar = 0;
    for (const wchar_t* section : {L"Cal", L"WP", L"TWin", L"Path"})
        loadSection(loaded, section, nullptr, MachineDefaults{1920, 0x123456});
    EXPECT_EQ(loaded.cal.CalPosX, 1920 - 136);
    EXPECT_EQ(loaded.BgColor, 0x123456u);
    loaded.cal.CalPosX = 0;
    loaded.BgColor = 0;
    for (const wchar_t* section : {L"Cal", L"WP", L"TWin", L"Path"})
        EXPECT_EQ(joined(sectionLines(loaded, section)), joined(sectionLines(s, section)));
}

TEST(SettingsKeys, ValuesOutOfRangeAreClampedOrReadAsTheDefault) {
    const struct {
        const wchar_t* section;
        const wchar_t* key;
        const wchar_t* stored;
        const wchar_t* read;
    } cases[] = {
        {L"Cal", L"FtSize", L"7", L"8"},          {L"Cal", L"FtSize", L"37", L"36"},
        {L"Cal", L"DaySpace", L"1", L"2"},        {L"Cal", L"DaySpace", L"36", L"36"},
        {L"Cal", L"DispMonth", L"0", L"1"},       {L"Cal", L"DispMonth", L"4", L"3"},
        {L"WP", L"ActList", L"-1", L"0"},         {L"WP", L"ActList", L"7", L"7"},
        {L"WP", L"ActList", L"8", L"0"},          {L"TWin", L"AddImgSize", L"5", L"0"},
        {L"TWin", L"AddImgSize", L"4", L"4"},     {L"WP", L"Random", L"2", L"0"},
        {L"WP", L"Calendar", L"3", L"1"},         {L"Cal", L"CharSet", L"384", L"128"},
        {L"WP", L"StyleS", L"7", L"7"},           {L"Cal", L"FaceA", L"\"Arial\"", L"Arial"},
        {L"Cal", L"YearMonth", L"-1", L"-1"},     {L"Path", L"SPI", L"", L""},
        {L"Resident", L"On", L"3", L"1"},         {L"Resident", L"Interval", L"-5", L"0"},
        {L"Resident", L"Interval", L"1", L"1"},   {L"Resident", L"Interval", L"999999", L"527040"},
        {L"Resident", L"HotKey", L"65536", L"0"}, {L"Resident", L"HotKey", L"1601", L"1601"},
    };
    for (const auto& c : cases) {
        Settings s;
        const std::vector<ProfileEntry> lines = {{c.key, c.stored}};
        loadSection(s, c.section, &lines, MachineDefaults{});
        const std::vector<ProfileEntry> saved = sectionLines(s, c.section);
        const std::wstring* read = findValue(saved, c.key);
        ASSERT_NE(read, nullptr) << c.key;
        EXPECT_EQ(*read, c.read) << c.key << "=" << c.stored;
    }
}

// Count is believed only as far as the section's lines go: entries past the
// last one present, or past the number of lines, cannot be there.
TEST(SettingsKeys, ListCountIsCappedByWhatTheSectionHolds) {
    const struct {
        const wchar_t* count;
        std::vector<const wchar_t*> keys;
        int32_t expected;
    } cases[] = {
        {L"2147483647", {L"0", L"1", L"2"}, 3},
        {L"5", {L"0", L"1", L"2", L"3", L"4"}, 5},
        {L"10", {L"0", L"1", L"2", L"3", L"4"}, 5},
        {L"4", {}, 0},
        {L"3", {L"0", L"2"}, 3},
        {L"3", {L"0", L"1", L"2", L"7"}, 3},
        {L"2147483647", {L"0", L"2000000000"}, 1},
        {L"99", {L"01", L"+1", L"x", L"0"}, 1},
        {L"0", {L"0"}, 0},
        {L"-3", {L"0"}, -3},
    };
    for (const auto& c : cases) {
        std::vector<ProfileEntry> lines = {{L"Count", c.count}, {L"WPNum", L"1"}, {L"Name", L"A"}};
        for (const wchar_t* key : c.keys) lines.emplace_back(key, std::wstring(L"C:\\") + key);
        WallpaperList list;
        loadListKeys(list, 0, &lines);
        EXPECT_EQ(list.Count, c.expected) << c.count << " with " << c.keys.size() << " keys";
        EXPECT_EQ(listEntriesByIndex(lines, list.Count).size(),
                  static_cast<size_t>(std::max(list.Count, 0)));
    }

    // Gaps are null; the first line of an index wins.
    const std::vector<ProfileEntry> gap = {
        {L"Count", L"3"}, {L"2", L"c"}, {L"0", L"a"}, {L"0", L"x"}};
    const auto byIndex = listEntriesByIndex(gap, 3);
    ASSERT_EQ(byIndex.size(), 3u);
    EXPECT_EQ(*byIndex[0], L"a");
    EXPECT_EQ(byIndex[1], nullptr);
    EXPECT_EQ(*byIndex[2], L"c");

    WallpaperList missing;
    loadListKeys(missing, 4, nullptr);
    EXPECT_EQ(missing.Count, 0);
    EXPECT_EQ(missing.WPNum, -1);
    EXPECT_EQ(missing.Name, L"5");
}

}  // namespace
