// Shortcut files as the shell reads them back: names, target, arguments,
// icon and show command, and the make-or-remove rules.
#include "ui/shortcuts.h"

#include <gtest/gtest.h>

#include "support/harness.h"
#include "support/shell_links.h"
#include "support/ui_driver.h"

namespace {

using uitest::readShortcut;

TEST(ShortcutNames, FollowTheProgramFileName) {
    EXPECT_EQ(shortcutFileName(L"C:\\Apps\\Tolvex.exe", L" Start"), L"Tolvex Start.lnk");
    EXPECT_EQ(shortcutFileName(L"C:\\Apps\\Tolvex.exe", L" Date"), L"Tolvex Date.lnk");
    EXPECT_EQ(shortcutFileName(L"C:\\Apps\\Tolvex.exe", L""), L"Tolvex.lnk");
    EXPECT_EQ(shortcutFileName(L"C:\\My.Apps\\tolvex.EXE", L""), L"tolvex.lnk");
    EXPECT_EQ(shortcutFileName(L"C:\\Apps\\NoExtension", L" Date"), L"NoExtension Date.lnk");
}

class Shortcuts : public ::testing::Test {
protected:
    void SetUp() override { uitest::setUpUiProcess(); }
    uitest::ShortcutFolders folders;
};

TEST_F(Shortcuts, CreateShortcutWritesEveryField) {
    harness::TempFolder dir;
    const std::wstring path = dir.file(L"x.lnk");
    const std::wstring target = uitest::ownPath();
    ASSERT_TRUE(createShortcut(path.c_str(), target.c_str(), L"/d", SW_SHOWMINNOACTIVE));
    const uitest::LinkInfo link = readShortcut(path);
    ASSERT_TRUE(link.loaded);
    EXPECT_EQ(lstrcmpiW(link.target.c_str(), target.c_str()), 0) << link.target;
    EXPECT_EQ(link.arguments, L"/d");
    EXPECT_EQ(lstrcmpiW(link.iconPath.c_str(), target.c_str()), 0) << link.iconPath;
    EXPECT_EQ(link.iconIndex, 0);
    // Wine's shell-link reader reports any minimized start as 1, so the
    // stored header field is what tells.
    EXPECT_EQ(link.storedShowCommand, SW_SHOWMINNOACTIVE);
}

TEST_F(Shortcuts, CreateShortcutIntoAMissingFolderFails) {
    harness::TempFolder dir;
    const std::wstring path = dir.file(L"missing\\x.lnk");
    EXPECT_FALSE(createShortcut(path.c_str(), uitest::ownPath().c_str(), nullptr, SW_SHOWNORMAL));
    EXPECT_FALSE(harness::fileExists(path));
}

TEST_F(Shortcuts, StartupShortcutIsMadeAndRemovedToMatch) {
    const std::wstring path = folders.startup() + L"\\" + uitest::ownBaseName() + L".lnk";
    EXPECT_EQ(startupShortcutPath(), path);
    EXPECT_FALSE(startupShortcutExists());
    makeStartupShortcutAgree(true);
    ASSERT_TRUE(startupShortcutExists());
    const uitest::LinkInfo link = readShortcut(path);
    EXPECT_EQ(lstrcmpiW(link.target.c_str(), uitest::ownPath().c_str()), 0);
    EXPECT_EQ(link.arguments, L"/s");
    EXPECT_EQ(link.storedShowCommand, SW_SHOWMINNOACTIVE);
    EXPECT_EQ(link.iconIndex, 0);
    makeStartupShortcutAgree(true);  // already there: left as it is
    EXPECT_EQ(uitest::fileCount(folders.startup()), 1);
    makeStartupShortcutAgree(false);
    EXPECT_FALSE(startupShortcutExists());
    EXPECT_EQ(uitest::fileCount(folders.startup()), 0);
}

TEST_F(Shortcuts, SendToShortcutHasNoArgumentsAndANormalStart) {
    settleSendToShortcut(true);
    ASSERT_TRUE(sendToShortcutExists());
    const uitest::LinkInfo link = readShortcut(sendToShortcutPath());
    EXPECT_EQ(link.arguments, L"");
    EXPECT_EQ(link.showCommand, SW_SHOWNORMAL);
    EXPECT_EQ(link.storedShowCommand, SW_SHOWNORMAL);
    settleSendToShortcut(false);
    EXPECT_FALSE(sendToShortcutExists());
}

TEST_F(Shortcuts, DesktopShortcutsCarryTheirSwitches) {
    createDesktopStartShortcut();
    createDesktopDateShortcut();
    createDesktopStartShortcut();
    EXPECT_EQ(uitest::fileCount(folders.desktop()), 2);
    const uitest::LinkInfo start =
        readShortcut(folders.desktop() + L"\\" + uitest::ownBaseName() + L" Start.lnk");
    const uitest::LinkInfo date =
        readShortcut(folders.desktop() + L"\\" + uitest::ownBaseName() + L" Date.lnk");
    ASSERT_TRUE(start.loaded);
    ASSERT_TRUE(date.loaded);
    EXPECT_EQ(start.arguments, L"/s");
    EXPECT_EQ(date.arguments, L"/d");
    EXPECT_EQ(start.showCommand, SW_SHOWNORMAL);
    EXPECT_EQ(date.showCommand, SW_SHOWNORMAL);
}

}  // namespace
