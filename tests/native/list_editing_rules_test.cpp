// The portable rules of list editing: picture extensions, the folder scan's
// extension-length rule, the shuffle's pick, the sort and the start-up
// filling with its position kept on the same file.
#include "ui/list_editing_rules.h"

#include <gtest/gtest.h>

#include <set>

#include "base/path.h"

namespace {

TEST(ListRules, ExtensionIsTakenFromTheFileNamesLastDot) {
    EXPECT_EQ(extensionOf(L"C:\\a\\photo.JPG"), L".JPG");
    EXPECT_EQ(extensionOf(L"C:\\a\\archive.tar.gz"), L".gz");
    EXPECT_EQ(extensionOf(L"C:\\my.folder\\noext"), L"");
    EXPECT_EQ(extensionOf(L"noext"), L"");
    EXPECT_EQ(extensionOf(L"C:\\a\\trailing."), L".");
}

TEST(ListRules, BuiltInPictureExtensionsInAnyCase) {
    for (const wchar_t* p : {L"a.jpg", L"a.JPG", L"a.jpe", L"a.Jpeg", L"a.png", L"a.gif", L"a.bmp",
                             L"a.tif", L"a.TIFF", L"C:\\x.y\\photo.JPG"})
        EXPECT_TRUE(hasBuiltInImageExtension(p)) << p;
    for (const wchar_t* p :
         {L"notes.txt", L"a.jp", L"a.jpgx", L"a.pic", L"bmp", L"C:\\x.bmp\\file", L"a.bmp.lnk"})
        EXPECT_FALSE(hasBuiltInImageExtension(p)) << p;
}

TEST(ListRules, PluginPatternMatchesTheExtensionWithoutItsStar) {
    EXPECT_TRUE(extensionMatchesPattern(L".pic", L"*.pic"));
    EXPECT_TRUE(extensionMatchesPattern(L".PIC", L"*.pic"));
    EXPECT_FALSE(extensionMatchesPattern(L".pict", L"*.pic"));
    EXPECT_FALSE(extensionMatchesPattern(L"", L"*"));
    EXPECT_FALSE(extensionMatchesPattern(L".pic", L".pic"));
    EXPECT_FALSE(extensionMatchesPattern(L".pic", L""));
}

TEST(ListRules, FolderScanTakesOnlyNamesOfThePatternsExtensionLength) {
    // "x.jpeg" can turn up under "*.jpe" through its short-name alias; only
    // the "*.jpeg" pass takes it.
    EXPECT_FALSE(extensionHasLength(L"x.jpeg", 4));
    EXPECT_TRUE(extensionHasLength(L"x.jpeg", 5));
    EXPECT_TRUE(extensionHasLength(L"x.jpe", 4));
    EXPECT_FALSE(extensionHasLength(L"x.tiff", 4));
    EXPECT_FALSE(extensionHasLength(L"noext", 0));
    // The plug-in pattern "*.pic" has length 5, its extension 4.
    EXPECT_TRUE(extensionHasLength(L"a.pic", std::wstring_view(L"*.pic").size() - 1));
}

TEST(ListRules, ShufflePickSpansTheRemainingEntries) {
    EXPECT_EQ(shufflePick(0, 10), 0);
    EXPECT_EQ(shufflePick(32767, 10), 9);
    EXPECT_EQ(shufflePick(16383, 3), 1);  // 0.99997 + 0.5
    EXPECT_EQ(shufflePick(8191, 3), 0);   // 0.49996 + 0.5 rounds down
    EXPECT_EQ(shufflePick(8192, 3), 1);
    EXPECT_EQ(shufflePick(12345, 1), 0);
    for (int r = 0; r <= 32767; r += 97) {
        const int p = shufflePick(r, 5000);
        ASSERT_GE(p, 0);
        ASSERT_LT(p, 5000);
    }
}

TEST(ListRules, SortByKeyIsAscendingAndStable) {
    // Keys as a locale would give them: bytes above 0x7F sort after the
    // others (compared unsigned), equal keys keep the entries' order.
    std::vector<std::pair<std::string, size_t>> keyed = {{"b", 0}, {"a", 1}, {"\xC0", 2}, {"c", 3},
                                                         {"a", 4}, {"", 5},  {"ab", 6}};
    sortEntriesByKey(keyed);
    std::vector<size_t> order;
    for (const auto& k : keyed) order.push_back(k.second);
    EXPECT_EQ(order, (std::vector<size_t>{5, 1, 4, 6, 0, 3, 2}));
    std::vector<std::pair<std::string, size_t>> none;
    sortEntriesByKey(none);
    EXPECT_TRUE(none.empty());
}

std::function<bool(const std::wstring&)> existsExcept(std::set<std::wstring> missing) {
    return [missing](const std::wstring& p) { return !missing.count(p); };
}

TEST(ListRules, MissingEntriesAreDroppedAndThePositionStaysOnItsFile) {
    const std::vector<std::wstring> stored = {L"a", L"b", L"c", L"d", L"e"};
    const LoadedList l = keepExistingEntries(stored, 4, existsExcept({L"a", L"c"}));
    EXPECT_EQ(l.entries, (std::vector<std::wstring>{L"b", L"d", L"e"}));
    EXPECT_EQ(l.count, 3);
    EXPECT_EQ(l.position, 2);
    EXPECT_EQ(l.entries[static_cast<size_t>(l.position)], L"e");

    // Entries after the position do not move it.
    EXPECT_EQ(keepExistingEntries(stored, 1, existsExcept({L"d", L"e"})).position, 1);
    // Empty keys count as missing.
    EXPECT_EQ(keepExistingEntries({L"", L"b"}, 1, existsExcept({})).position, 0);
}

TEST(ListRules, PositionPastTheEndStartsAtTheFirstEntry) {
    const std::vector<std::wstring> stored = {L"a", L"b", L"c"};
    EXPECT_EQ(keepExistingEntries(stored, 3, existsExcept({})).position, 0);
    EXPECT_EQ(keepExistingEntries(stored, 99, existsExcept({})).position, 0);
    EXPECT_EQ(keepExistingEntries(stored, -1, existsExcept({})).position, -1);
    // When the current file itself went, the position falls on the next one
    // ("c"), and past the end on the first.
    EXPECT_EQ(keepExistingEntries(stored, 1, existsExcept({L"b"})).position, 1);
    EXPECT_EQ(keepExistingEntries(stored, 2, existsExcept({L"c"})).position, 0);
    // A list with nothing left has no position at all.
    EXPECT_EQ(keepExistingEntries(stored, 0, existsExcept({L"a", L"b", L"c"})).position, -1);
}

}  // namespace

namespace {

OpenFileResult parse(const std::wstring& buffer, size_t firstName, bool* ok = nullptr) {
    OpenFileResult r;
    const bool got = parseOpenFileResult(buffer.data(), buffer.size(), firstName, r);
    if (ok) *ok = got;
    return r;
}

TEST(OpenFileResult, SeveralFilesComeInTheDialogsOrder) {
    const std::wstring buffer(L"C:\\Pictures\0e.jpg\0a.png\0c.bmp\0b.gif\0d.tif\0\0", 44);
    const OpenFileResult r = parse(buffer, 12);
    EXPECT_EQ(r.folder, L"C:\\Pictures");
    EXPECT_EQ(r.paths, (std::vector<std::wstring>{L"C:\\Pictures\\e.jpg", L"C:\\Pictures\\a.png",
                                                  L"C:\\Pictures\\c.bmp", L"C:\\Pictures\\b.gif",
                                                  L"C:\\Pictures\\d.tif"}));
}

TEST(OpenFileResult, OneFileIsAFullPath) {
    const std::wstring buffer(L"C:\\Pictures\\one.jpg\0\0", 21);
    const OpenFileResult r = parse(buffer, 12);
    EXPECT_EQ(r.folder, L"C:\\Pictures");
    EXPECT_EQ(r.paths, std::vector<std::wstring>{L"C:\\Pictures\\one.jpg"});
    // In a drive's root folder the separator belongs to the folder.
    const std::wstring root(L"D:\\\0x.png\0y.png\0\0", 17);
    EXPECT_EQ(parse(root, 4).paths, (std::vector<std::wstring>{L"D:\\x.png", L"D:\\y.png"}));
}

TEST(OpenFileResult, LongFolderPartOrOddOffsetsTakeNothing) {
    bool ok = true;
    std::wstring buffer = L"C:\\" + std::wstring(258, L'f') + L'\0' + L"a.jpg" + L'\0' + L'\0';
    EXPECT_TRUE(parse(buffer, 262, &ok).paths.empty());
    EXPECT_FALSE(ok);
    parse(buffer, 0, &ok);
    EXPECT_FALSE(ok);
    parse(L"abc", 3, &ok);
    EXPECT_FALSE(ok);
    // A folder part of exactly 260 characters' offset is still taken, but the
    // joined paths are too long for a list entry.
    buffer = std::wstring(259, L'f') + L'\0' + L"a.jpg" + L'\0' + L'\0';
    const OpenFileResult r = parse(buffer, 260, &ok);
    EXPECT_TRUE(ok);
    EXPECT_TRUE(r.paths.empty());
}

TEST(OpenFileResult, WalkStopsAtTheBufferEndOrItsLimit) {
    // No double NUL at the end of the buffer: the walk stops at its end.
    const std::wstring cut(L"C:\\p\0a.jpg\0b.j", 14);
    EXPECT_EQ(parse(cut, 5).paths, (std::vector<std::wstring>{L"C:\\p\\a.jpg", L"C:\\p\\b.j"}));
    // Names starting at or past character 32,766 are not read.
    std::wstring big = L"C:\\p";
    big += L'\0';
    size_t names = 0;
    while (big.size() < 32766) {
        big += L"n" + std::to_wstring(names++) + L".jpg";
        big += L'\0';
    }
    big += L"late.jpg";
    big += L'\0';
    big += L'\0';
    const OpenFileResult r = parse(big, 5);
    EXPECT_EQ(r.paths.size(), names);
    EXPECT_NE(r.paths.back(), L"C:\\p\\late.jpg");
}

}  // namespace
