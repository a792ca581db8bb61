// Reading and building whole profile sections, and the value rules.
#include "settings/profile_text.h"

#include <gtest/gtest.h>

namespace {

TEST(ProfileText, SectionBufferRoundTripsInOrder) {
    std::vector<ProfileEntry> entries = {{L"Count", L"2"}, {L"0", L"C:\\a=b.png"}, {L"1", L""}};
    const std::wstring buffer = buildSectionBuffer(entries);
    EXPECT_EQ(buffer, std::wstring(L"Count=2\0"
                                   L"0=C:\\a=b.png\0"
                                   L"1=\0\0",
                                   25));
    EXPECT_EQ(parseSectionBuffer(buffer.data(), buffer.size()), entries);
}

TEST(ProfileText, ParsingSkipsLinesWithoutKeysAndStopsAtTheEnd) {
    const wchar_t text[] = L"junk\0 key = value \0=novalue\0after\0\0ignored=1\0";
    auto parsed = parseSectionBuffer(text, sizeof text / sizeof text[0] - 1);
    ASSERT_EQ(parsed.size(), 1u);
    EXPECT_EQ(parsed[0], (ProfileEntry{L"key", L"value"}));
    // A buffer cut short without its final terminator still ends cleanly.
    const wchar_t cut[] = {L'a', L'=', L'1', L'\0', L'b', L'=', L'2'};
    EXPECT_EQ(parseSectionBuffer(cut, 7).size(), 2u);
}

TEST(ProfileText, LookupIgnoresCaseAndTheFirstLineWins) {
    ProfileSection s({{L"FtSize", L"12"}, {L"ftsize", L"30"}, {L"Face", L"\"MS UI Gothic\""}});
    EXPECT_EQ(s.getInt(L"FTSIZE", 10), 12);
    EXPECT_EQ(s.getInt(L"Missing", -1), -1);
    EXPECT_EQ(s.getString(L"Face", L""), L"MS UI Gothic");
    EXPECT_EQ(s.getString(L"Missing", L"fallback"), L"fallback");
    ProfileSection longValue({{L"P", std::wstring(400, L'x')}});
    EXPECT_EQ(longValue.getString(L"P", L"").size(), 259u);
}

TEST(ProfileText, IntegersReadLikeTheProfileCalls) {
    EXPECT_EQ(parseProfileInt(L"-1"), -1);
    EXPECT_EQ(parseProfileInt(L"  42abc"), 42);
    EXPECT_EQ(parseProfileInt(L"abc"), 0);
    EXPECT_EQ(parseProfileInt(L"0x10"), 16);
    EXPECT_EQ(parseProfileInt(L"16777215"), 16777215);
    EXPECT_EQ(parseProfileInt(L"4294967295"), -1) << "wraps at 32 bits";
    EXPECT_EQ(parseProfileInt(L"99999999999999999999"), parseProfileInt(L"99999999999999999999"));
}

TEST(ProfileText, FlagsKeepTheLowestBit) {
    ProfileSection s({{L"a", L"2"}, {L"b", L"3"}, {L"c", L"-1"}});
    EXPECT_EQ(s.getFlag(L"a", 1), 0);
    EXPECT_EQ(s.getFlag(L"b", 0), 1);
    EXPECT_EQ(s.getFlag(L"c", 0), 1);
    EXPECT_EQ(s.getFlag(L"missing", 1), 1);
}

TEST(ProfileText, MergeReplacesInPlaceAndAppendsNewKeys) {
    std::vector<ProfileEntry> section = {{L"future", L"x"}, {L"ftsize", L"9"}};
    mergeKeys(section, {{L"FaceA", L"Arial"}, {L"FtSize", L"12"}});
    const std::vector<ProfileEntry> expected = {
        {L"future", L"x"}, {L"ftsize", L"12"}, {L"FaceA", L"Arial"}};
    EXPECT_EQ(section, expected);
}

TEST(ProfileText, Clamp) {
    EXPECT_EQ(clampInt(5, 8, 36), 8);
    EXPECT_EQ(clampInt(50, 8, 36), 36);
    EXPECT_EQ(clampInt(12, 8, 36), 12);
}

}  // namespace

namespace {

TEST(ProfileText, SerializedFileHasOneBlankLineBetweenSectionsAndSkipsEmptyOnes) {
    const std::vector<ProfileSectionText> doc = {
        {L"Cal", {{L"FtSize", L"10"}}},
        {L"FolderList", {}},
        {L"List", {{L"Count", L"1"}, {L"0", L"C:\\a.png"}}},
    };
    EXPECT_EQ(serializeProfile(doc),
              L"[Cal]\r\nFtSize=10\r\n\r\n[List]\r\nCount=1\r\n0=C:\\a.png\r\n");
    EXPECT_EQ(serializeProfile({}), L"");
}

}  // namespace
