// The small- and large-picture detail dialogs: the enabling rule between
// their two boxes, and clicks landing in the settings at once.
#include "ui/detail_dialogs.h"

#include <gtest/gtest.h>

#include "res/control_ids.h"
#include "settings/settings.h"
#include "support/ui_driver.h"

namespace {

struct Variant {
    const wchar_t* caption;
    void (*open)(HWND);
    uint8_t Settings::*keepAspect;
    uint8_t Settings::*keepInside;
    int aspectId;
    int insideId;
};

const Variant kSmall = {L"小さい画像 詳細設定", openSmallImageDialog,  &Settings::WpOptS0,
                        &Settings::WpOptS1,     IDC_SMALL_KEEP_ASPECT, IDC_SMALL_KEEP_INSIDE};
const Variant kLarge = {L"大きい画像 詳細設定", openLargeImageDialog,  &Settings::WpOptB0,
                        &Settings::WpOptB1,     IDC_LARGE_KEEP_ASPECT, IDC_LARGE_KEEP_INSIDE};

class DetailDialog : public ::testing::TestWithParam<Variant> {
protected:
    void SetUp() override {
        uitest::setUpUiProcess();
        g_settings = Settings{};
    }
};

TEST_P(DetailDialog, SecondBoxKeepsItsValueWhileDisabled) {
    const Variant v = GetParam();
    g_settings.*v.keepAspect = 0;
    g_settings.*v.keepInside = 1;
    uitest::runDialog(
        v.caption, [&] { v.open(nullptr); },
        [&](HWND dlg) {
            EXPECT_FALSE(uitest::isChecked(dlg, v.aspectId));
            EXPECT_TRUE(uitest::isChecked(dlg, v.insideId));
            EXPECT_FALSE(uitest::isEnabled(dlg, v.insideId));
            uitest::click(dlg, v.aspectId);
            EXPECT_EQ(g_settings.*v.keepAspect, 1);  // at once, not at closing
            EXPECT_TRUE(uitest::isEnabled(dlg, v.insideId));
            EXPECT_TRUE(uitest::isChecked(dlg, v.insideId));
            uitest::click(dlg, v.insideId);
            EXPECT_EQ(g_settings.*v.keepInside, 0);
            uitest::click(dlg, v.aspectId);
            EXPECT_FALSE(uitest::isEnabled(dlg, v.insideId));
            uitest::click(dlg, IDCANCEL);  // "閉じる"
        });
    EXPECT_EQ(g_settings.*v.keepAspect, 0);
    EXPECT_EQ(g_settings.*v.keepInside, 0);
}

TEST_P(DetailDialog, OpensFromTheSettingsAndEscapeCloses) {
    const Variant v = GetParam();
    g_settings.*v.keepAspect = 1;
    g_settings.*v.keepInside = 0;
    uitest::runDialog(
        v.caption, [&] { v.open(nullptr); },
        [&](HWND dlg) {
            EXPECT_TRUE(uitest::isChecked(dlg, v.aspectId));
            EXPECT_TRUE(uitest::isEnabled(dlg, v.insideId));
            EXPECT_FALSE(uitest::isChecked(dlg, v.insideId));
            uitest::click(dlg, v.insideId);
            SendMessageW(dlg, WM_COMMAND, IDCANCEL, 0);
        });
    EXPECT_EQ(g_settings.*v.keepInside, 1);
}

INSTANTIATE_TEST_SUITE_P(Both, DetailDialog, ::testing::Values(kSmall, kLarge));

}  // namespace
