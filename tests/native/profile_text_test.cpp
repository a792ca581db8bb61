// The settings file's text: encodings, parsing and building it, lookups and
// the value rules.
#include "settings/profile_text.h"

#include <gtest/gtest.h>

namespace {

TEST(ProfileText, SerializedTextParsesBackInOrder) {
    const std::vector<ProfileSectionText> doc = {
        {L"List", {{L"Count", L"2"}, {L"0", L"C:\\a=b.png"}, {L"1", L""}}},
        {L"Other", {{L"x", L"1"}}},
    };
    const std::vector<ProfileSectionText> parsed = parseProfileText(serializeProfile(doc));
    ASSERT_EQ(parsed.size(), 2u);
    for (size_t i = 0; i < parsed.size(); ++i) {
        EXPECT_EQ(parsed[i].name, doc[i].name);
        EXPECT_EQ(parsed[i].entries, doc[i].entries);
    }
}

// Each case as the profile calls were seen to read it: the sections found,
// written "[name]key=value;key=value".
TEST(ProfileText, ParsingReadsLinesAsTheProfileCallsDo) {
    auto flatten = [](const std::vector<ProfileSectionText>& sections) {
        std::wstring out;
        for (const auto& s : sections) {
            out += L"[" + s.name + L"]";
            for (const auto& [k, v] : s.entries) out += k + L"=" + v + L";";
        }
        return out;
    };
    const struct {
        std::wstring text;
        const wchar_t* sections;
    } cases[] = {
        {L"k0=before\r\n[A]\r\n  key  =  value  \r\n\tt\t=\tT\t\r\neq=a=b\r\nempty=\r\n",
         L"[A]key=value;t=T;eq=a=b;empty=;"},
        {L"[A]\r\nnoequals\r\n = nokey\r\n;c=1\r\n  ;d=2\r\n#h=h\r\n   \r\n", L"[A]#h=h;"},
        {L"[LF]\nk=1\n[CR]\rk=2\r[CRCR]\r\r\nk=3", L"[LF]k=1;[CR]k=2;[CRCR]k=3;"},
        {L"  [ Sp ]  \r\nx=1\r\n[a]b]\r\ny=2\r\n[Br] tail\r\n[Open\r\n[Open=3\r\n",
         L"[Sp]x=1;[a]b]y=2;[Br][Open=3;"},
        {L"[]\r\nlost=1\r\n[B]\r\nkept=1", L"[B]kept=1;"},
        {L"[N]\r\nnul=a" + std::wstring(1, L'\0') + L"b\r\nafter=3", L"[N]nul=a;after=3;"},
        {L"[A]\r\nk=1\r\n[a]\r\nk=2\r\n", L"[A]k=1;[a]k=2;"},
        {L"", L""},
    };
    for (const auto& c : cases) EXPECT_EQ(flatten(parseProfileText(c.text)), c.sections) << c.text;

    // A name found twice: lookups take the first, in any letter case.
    const auto twice = parseProfileText(L"[A]\r\nk=1\r\n[a]\r\nk=2\r\n");
    ASSERT_NE(findSection(twice, L"a"), nullptr);
    EXPECT_EQ(findSection(twice, L"a")->entries[0].second, L"1");
    EXPECT_EQ(findSection(twice, L"B"), nullptr);
}

TEST(ProfileText, EncodingIsToldByTheByteOrderMark) {
    using std::string_literals::operator""s;
    EXPECT_EQ(detectEncoding("\xFF\xFE[\0"s).encoding, TextEncoding::Utf16Le);
    EXPECT_EQ(detectEncoding("\xFE\xFF\0["s).encoding, TextEncoding::Utf16Be);
    EXPECT_EQ(detectEncoding("\xEF\xBB\xBF["s).markBytes, 3u);
    EXPECT_EQ(detectEncoding("[WP]").encoding, TextEncoding::Ansi);
    EXPECT_EQ(detectEncoding("\xFF").encoding, TextEncoding::Ansi);
    EXPECT_EQ(detectEncoding("").markBytes, 0u);

    EXPECT_EQ(utf16Text("k\0=\0\xC5\0\x16\x04"s, false), L"k=\x00C5\x0416");
    EXPECT_EQ(utf16Text("\0k\0=\x04\x16"s, true), L"k=\x0416");
    EXPECT_EQ(utf16Text("v\0x"s, false), L"vx") << "an odd last byte is one more unit";
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
