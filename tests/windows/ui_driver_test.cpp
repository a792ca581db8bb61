// The modal-dialog driver must fail a test whose dialog never shows and must
// leave nothing queued behind it; otherwise a broken dialog passes quietly.
#include "support/ui_driver.h"

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <string>

#include "ui/rename_dialog.h"

namespace {

class UiDriver : public ::testing::Test {
protected:
    void SetUp() override {
        uitest::setUpUiProcess();
        owner_ = uitest::createOwnerWindow();
    }
    void TearDown() override { DestroyWindow(owner_); }
    HWND owner_ = nullptr;
};

TEST_F(UiDriver, FailsWhenTheDialogNeverAppears) {
    bool driven = false;
    EXPECT_NONFATAL_FAILURE(uitest::runDialog(
                                L"リスト名変更", [] {}, [&driven](HWND) { driven = true; }),
                            "never appeared");
    EXPECT_FALSE(driven);

    // The dropped action does not fire on the next dialog: only this run's does.
    int runs = 0;
    std::wstring name = L"before";
    uitest::runDialog(
        L"リスト名変更", [&] { runRenameDialog(owner_, name); },
        [&runs](HWND dlg) {
            ++runs;
            PostMessageW(dlg, WM_COMMAND, IDOK, 0);
        });
    EXPECT_EQ(runs, 1);
    EXPECT_FALSE(driven);
}

TEST_F(UiDriver, FailsWhenAWindowAwaitedInsideTheDialogNeverAppears) {
    std::wstring name = L"x";
    EXPECT_NONFATAL_FAILURE(uitest::runDialog(
                                L"リスト名変更", [&] { runRenameDialog(owner_, name); },
                                [](HWND dlg) {
                                    uitest::whenShown([] { return HWND(nullptr); }, [](HWND) {});
                                    PostMessageW(dlg, WM_COMMAND, IDCANCEL, 0);
                                }),
                            "never appeared while the dialog ran");
}

}  // namespace
