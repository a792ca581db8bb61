// The pieces of a path: folder, file name, extension.
#include "base/path.h"

#include <gtest/gtest.h>

namespace {

TEST(Path, PiecesOfEachKindOfPath) {
    struct Case {
        const wchar_t* path;
        const wchar_t* folder;
        const wchar_t* name;
        const wchar_t* extension;
        const wchar_t* stem;
    };
    const Case cases[] = {
        {L"C:\\a\\b.ini", L"C:\\a\\", L"b.ini", L".ini", L"C:\\a\\b"},
        {L"b.ini", L"", L"b.ini", L".ini", L"b"},
        {L"C:\\a.b\\c", L"C:\\a.b\\", L"c", L"", L"C:\\a.b\\c"},
        {L"dir/x.tar.gz", L"dir/", L"x.tar.gz", L".gz", L"dir/x.tar"},
        {L"C:\\a/b\\", L"C:\\a/b\\", L"", L"", L"C:\\a/b\\"},
        {L"", L"", L"", L"", L""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(folderWithSeparator(c.path), c.folder) << c.path;
        EXPECT_EQ(fileNameOf(c.path), c.name) << c.path;
        EXPECT_EQ(extensionOf(c.path), c.extension) << c.path;
        EXPECT_EQ(withoutExtension(c.path), c.stem) << c.path;
    }
}

TEST(Path, JoinAddsOneSeparator) {
    EXPECT_EQ(joinPath(L"C:\\a", L"b.bmp"), L"C:\\a\\b.bmp");
    EXPECT_EQ(joinPath(L"C:\\a\\", L"*.png"), L"C:\\a\\*.png");
    EXPECT_EQ(joinPath(L"dir/", L"b"), L"dir/b");
    EXPECT_EQ(joinPath(L"", L"b"), L"b");
}

}  // namespace
