// The plug-ins' pattern table: what the file chooser offers and which files
// of a folder are handed to the plug-ins.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "decode/plugin.h"
#include "support/decode_error_print.h"

TEST(PluginPatterns, DeclaredTextIsSplitLowerCasedAndFiltered) {
    std::vector<std::wstring> table;
    addDeclaredPatterns(L"*.PIC;*.jpg; *.Png ;;*.JPE;*.mag", table);
    addDeclaredPatterns(L"*.pic;*.TIFF;*.Gif;*.jpeg;*.bmp;*.tif", table);
    EXPECT_EQ(table, (std::vector<std::wstring>{L"*.pic", L"*.mag"}));
}

TEST(PluginPatterns, TableStopsAtOneHundredAndSkipsOverlongPieces) {
    std::vector<std::wstring> table;
    std::wstring text = L"*." + std::wstring(300, L'x') + L";";
    for (int i = 0; i < 150; ++i) text += L"*.e" + std::to_wstring(i) + L";";
    addDeclaredPatterns(text.c_str(), table);
    ASSERT_EQ(table.size(), kMaxPluginPatterns);
    EXPECT_EQ(table.front(), L"*.e0");
    EXPECT_EQ(table.back(), L"*.e99");
    addDeclaredPatterns(L"*.more", table);
    EXPECT_EQ(table.size(), kMaxPluginPatterns);
}

TEST(PluginPatterns, FileNamesMatchByExtension) {
    const std::vector<std::wstring> table{L"*.pic", L"*.mag"};
    EXPECT_TRUE(matchesPluginPattern(L"C:\\p\\photo.PIC", table));
    EXPECT_TRUE(matchesPluginPattern(L"x.mag", table));
    EXPECT_FALSE(matchesPluginPattern(L"x.magic", table));
    EXPECT_FALSE(matchesPluginPattern(L"C:\\dir.pic\\noext", table));
    EXPECT_FALSE(matchesPluginPattern(L"x.pic", {}));
    EXPECT_FALSE(matchesPluginPattern(nullptr, table));
}
