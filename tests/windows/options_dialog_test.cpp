// The options dialog driven through its real controls: wheel setting, margin
// colour, plug-in box with its folder browser, the Send To entry settled at
// closing, the two desktop shortcuts and the multi-monitor choice.
#include "ui/options_dialog.h"

#include <windows.h>
#include <colordlg.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include "res/control_ids.h"
#include "settings/settings.h"
#include "support/harness.h"
#include "support/shell_links.h"
#include "support/ui_driver.h"
#include "ui/plugin_folder.h"
#include "ui/shortcuts.h"

namespace {

constexpr wchar_t kCaption[] = L"オプション";

class OptionsDialog : public ::testing::Test {
protected:
    void SetUp() override {
        uitest::setUpUiProcess();
        g_settings = Settings{};
    }
    void run(std::function<void(HWND)> drive) {
        uitest::runDialog(
            kCaption, [] { openOptionsDialog(nullptr); }, std::move(drive));
    }
    uitest::ShortcutFolders folders;
};

TEST_F(OptionsDialog, WheelRadiosWriteWheelSel) {
    g_settings.WheelSel = 1;
    run([](HWND dlg) {
        EXPECT_TRUE(uitest::isChecked(dlg, IDC_OPT_WHEEL_SELECT));
        EXPECT_FALSE(uitest::isChecked(dlg, IDC_OPT_WHEEL_SCROLL));
        uitest::click(dlg, IDC_OPT_WHEEL_SCROLL);
        EXPECT_EQ(g_settings.WheelSel, 0);
        uitest::click(dlg, IDC_OPT_WHEEL_SELECT);
        EXPECT_EQ(g_settings.WheelSel, 1);
        uitest::click(dlg, IDC_OPT_WHEEL_SCROLL);
        uitest::click(dlg, IDCANCEL);
    });
    EXPECT_EQ(g_settings.WheelSel, 0);
}

TEST_F(OptionsDialog, MultiMonitorChoiceWritesMonitors) {
    g_settings.Monitors = 2;
    run([](HWND dlg) {
        HWND combo = GetDlgItem(dlg, IDC_OPT_MONITORS);
        ASSERT_EQ(uitest::comboCount(combo), 3);
        EXPECT_EQ(uitest::comboItem(combo, 1), L"すべて同じ画像");
        EXPECT_EQ(uitest::comboItem(combo, 2), L"モニターごとに次の画像");
        EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), 2);
        uitest::comboSelect(dlg, IDC_OPT_MONITORS, 1);
        EXPECT_EQ(g_settings.Monitors, 1);
        uitest::comboSelect(dlg, IDC_OPT_MONITORS, 0);
        uitest::click(dlg, IDCANCEL);
    });
    EXPECT_EQ(g_settings.Monitors, 0);
}

TEST_F(OptionsDialog, MarginColourPickedAndCancelled) {
    g_settings.BgColor = 0x112233;
    run([](HWND dlg) {
        EXPECT_EQ(uitest::shownColor(GetDlgItem(dlg, IDC_OPT_MARGIN_SWATCH)), 0x112233u);
        uitest::whenShown([dlg] { return uitest::findOwnedBy(dlg); },
                          [](HWND picker) { PostMessageW(picker, WM_COMMAND, IDCANCEL, 0); });
        uitest::click(dlg, IDC_OPT_MARGIN_PICK);
        EXPECT_EQ(g_settings.BgColor, 0x112233u);
        uitest::whenShown([dlg] { return uitest::findOwnedBy(dlg); },
                          [](HWND picker) {
                              SetDlgItemTextW(picker, COLOR_RED, L"200");
                              SetDlgItemTextW(picker, COLOR_GREEN, L"100");
                              SetDlgItemTextW(picker, COLOR_BLUE, L"50");
                              PostMessageW(picker, WM_COMMAND, IDOK, 0);
                          });
        uitest::click(dlg, IDC_OPT_MARGIN_PICK);
        EXPECT_EQ(g_settings.BgColor, static_cast<ColorRef>(RGB(200, 100, 50)));
        EXPECT_EQ(uitest::shownColor(GetDlgItem(dlg, IDC_OPT_MARGIN_SWATCH)), RGB(200, 100, 50));
        uitest::click(dlg, IDCANCEL);
    });
}

TEST_F(OptionsDialog, CancelledFolderBrowserLeavesPluginsOff) {
    bool browserSeen = false;
    run([&browserSeen](HWND dlg) {
        EXPECT_FALSE(uitest::isChecked(dlg, IDC_OPT_USE_PLUGINS));
        uitest::whenShown([dlg] { return uitest::findOwnedBy(dlg); },
                          [&browserSeen](HWND browser) {
                              browserSeen = true;
                              PostMessageW(browser, WM_COMMAND, IDCANCEL, 0);
                          });
        uitest::click(dlg, IDC_OPT_USE_PLUGINS);
        EXPECT_FALSE(uitest::isChecked(dlg, IDC_OPT_USE_PLUGINS));
        uitest::click(dlg, IDCANCEL);
    });
    EXPECT_TRUE(browserSeen);
    EXPECT_TRUE(g_settings.SPI.empty());
}

TEST_F(OptionsDialog, CancelledFolderBrowserKeepsTheCurrentDirectory) {
    harness::TempFolder dir;
    wchar_t before[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, before);
    SetCurrentDirectoryW(dir.path().c_str());
    run([](HWND dlg) {
        uitest::whenShown([dlg] { return uitest::findOwnedBy(dlg); },
                          [](HWND browser) { PostMessageW(browser, WM_COMMAND, IDCANCEL, 0); });
        uitest::click(dlg, IDC_OPT_USE_PLUGINS);
        uitest::click(dlg, IDCANCEL);
    });
    wchar_t after[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, after);
    SetCurrentDirectoryW(before);
    EXPECT_EQ(lstrcmpiW(after, dir.path().c_str()), 0) << after;
}

TEST_F(OptionsDialog, UncheckingPluginsEmptiesTheFolder) {
    g_settings.SPI = L"C:\\plugins";
    run([](HWND dlg) {
        EXPECT_TRUE(uitest::isChecked(dlg, IDC_OPT_USE_PLUGINS));
        uitest::click(dlg, IDC_OPT_USE_PLUGINS);
        EXPECT_FALSE(uitest::isChecked(dlg, IDC_OPT_USE_PLUGINS));
        EXPECT_TRUE(g_settings.SPI.empty());
        uitest::click(dlg, IDCANCEL);
    });
    EXPECT_TRUE(g_settings.SPI.empty());
}

TEST_F(OptionsDialog, SendToEntryIsSettledWhenTheDialogCloses) {
    const std::wstring path = sendToShortcutPath();
    run([&path](HWND dlg) {
        EXPECT_FALSE(uitest::isChecked(dlg, IDC_OPT_SEND_TO));
        uitest::click(dlg, IDC_OPT_SEND_TO);
        EXPECT_FALSE(harness::fileExists(path)) << "made before closing";
        uitest::click(dlg, IDCANCEL);
    });
    ASSERT_TRUE(harness::fileExists(path));
    const uitest::LinkInfo link = uitest::readShortcut(path);
    EXPECT_EQ(lstrcmpiW(link.target.c_str(), uitest::ownPath().c_str()), 0);
    EXPECT_EQ(link.arguments, L"");
    EXPECT_EQ(link.showCommand, SW_SHOWNORMAL);
    EXPECT_EQ(link.iconIndex, 0);

    run([](HWND dlg) {
        EXPECT_TRUE(uitest::isChecked(dlg, IDC_OPT_SEND_TO));
        uitest::click(dlg, IDC_OPT_SEND_TO);
        SendMessageW(dlg, WM_COMMAND, IDCANCEL, 0);  // Escape closes the same way
    });
    EXPECT_FALSE(harness::fileExists(path));
    run([](HWND dlg) {
        EXPECT_FALSE(uitest::isChecked(dlg, IDC_OPT_SEND_TO));
        uitest::click(dlg, IDCANCEL);
    });
    EXPECT_FALSE(harness::fileExists(path));
}

TEST_F(OptionsDialog, CreateButtonsMakeOneShortcutEach) {
    run([this](HWND dlg) {
        uitest::click(dlg, IDC_OPT_DESKTOP_START);
        EXPECT_EQ(uitest::fileCount(folders.desktop()), 1);
        uitest::click(dlg, IDC_OPT_DESKTOP_START);
        EXPECT_EQ(uitest::fileCount(folders.desktop()), 1);
        uitest::click(dlg, IDC_OPT_DESKTOP_DATE);
        uitest::click(dlg, IDC_OPT_DESKTOP_DATE);
        EXPECT_EQ(uitest::fileCount(folders.desktop()), 2);
        uitest::click(dlg, IDCANCEL);
    });
    const std::wstring base = folders.desktop() + L"\\" + uitest::ownBaseName();
    const uitest::LinkInfo start = uitest::readShortcut(base + L" Start.lnk");
    const uitest::LinkInfo date = uitest::readShortcut(base + L" Date.lnk");
    ASSERT_TRUE(start.loaded);
    ASSERT_TRUE(date.loaded);
    EXPECT_EQ(start.arguments, L"/s");
    EXPECT_EQ(date.arguments, L"/d");
    EXPECT_EQ(lstrcmpiW(date.iconPath.c_str(), uitest::ownPath().c_str()), 0);
    EXPECT_EQ(start.showCommand, SW_SHOWNORMAL);
    EXPECT_EQ(uitest::fileCount(folders.sendTo()), 0);
}

}  // namespace

namespace {

// The browser opens on the start folder, so confirming at once picks it.
TEST(PluginFolder, BrowserOpensOnTheStartFolder) {
    uitest::setUpUiProcess();
    harness::TempFolder dir;
    HWND owner = uitest::createOwnerWindow();
    uitest::whenShown([owner] { return uitest::findOwnedBy(owner); },
                      [](HWND browser) { PostMessageW(browser, WM_COMMAND, IDOK, 0); });
    std::wstring chosen;
    EXPECT_TRUE(pickPluginFolder(owner, dir.path().c_str(), &chosen));
    EXPECT_EQ(lstrcmpiW(chosen.c_str(), dir.path().c_str()), 0);
    DestroyWindow(owner);
}

}  // namespace

// Resident mode's controls: the box writes On and enables the other two; the
// interval list writes minutes and shows a value it has no choice for as
// one more, unchanged until another is picked; the hotkey shows its value.
TEST_F(OptionsDialog, ResidentControlsWriteTheirKeys) {
    g_settings.Interval = 1;
    g_settings.HotKey = (HOTKEYF_CONTROL | HOTKEYF_ALT) << 8 | 'N';
    run([](HWND dlg) {
        EXPECT_FALSE(uitest::isChecked(dlg, IDC_OPT_RESIDENT));
        EXPECT_FALSE(uitest::isEnabled(dlg, IDC_OPT_INTERVAL));
        EXPECT_FALSE(uitest::isEnabled(dlg, IDC_OPT_HOTKEY));
        uitest::click(dlg, IDC_OPT_RESIDENT);
        EXPECT_EQ(g_settings.On, 1);
        EXPECT_TRUE(uitest::isEnabled(dlg, IDC_OPT_INTERVAL));
        EXPECT_TRUE(uitest::isEnabled(dlg, IDC_OPT_HOTKEY));

        HWND combo = GetDlgItem(dlg, IDC_OPT_INTERVAL);
        ASSERT_EQ(uitest::comboCount(combo), 8);
        EXPECT_EQ(uitest::comboItem(combo, 7), L"1 分");
        EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), 7);
        EXPECT_EQ(g_settings.Interval, 1);
        const int32_t minutes[] = {0, 15, 30, 60, 180, 360, 1440};
        for (int i = 0; i < 7; ++i) {
            uitest::comboSelect(dlg, IDC_OPT_INTERVAL, i);
            EXPECT_EQ(g_settings.Interval, minutes[i]) << uitest::comboItem(combo, i).size();
        }
        EXPECT_EQ(SendDlgItemMessageW(dlg, IDC_OPT_HOTKEY, HKM_GETHOTKEY, 0, 0),
                  (HOTKEYF_CONTROL | HOTKEYF_ALT) << 8 | 'N');
        uitest::click(dlg, IDCANCEL);
    });
    EXPECT_EQ(g_settings.On, 1);
    EXPECT_EQ(g_settings.Interval, 1440);
}
