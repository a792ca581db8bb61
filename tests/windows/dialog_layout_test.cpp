// Every caption of every dialog fits its control with the font the dialog
// really gets (the Japanese UI font, or whatever stands in for it), so
// nothing is cut off.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "res/control_ids.h"
#include "settings/settings.h"
#include "support/shell_links.h"
#include "support/ui_driver.h"
#include "ui/about_window.h"
#include "ui/about_window_parts.h"
#include "ui/calendar_dialog.h"
#include "ui/detail_dialogs.h"
#include "ui/options_dialog.h"

namespace {

struct Clipped {
    std::wstring text;
    int needed;
    int available;
};

// Width a control's caption needs beside what the control draws itself.
int captionAllowance(HWND control) {
    wchar_t cls[32] = {};
    GetClassNameW(control, cls, 32);
    if (lstrcmpiW(cls, L"Button") != 0) return 0;
    switch (GetWindowLongW(control, GWL_STYLE) & BS_TYPEMASK) {
        case BS_CHECKBOX:
        case BS_AUTOCHECKBOX:
        case BS_RADIOBUTTON:
        case BS_AUTORADIOBUTTON:
            return GetSystemMetrics(SM_CXMENUCHECK) + 4;
        case BS_GROUPBOX:
            return 16;
        default:
            return 6;
    }
}

BOOL CALLBACK measure(HWND control, LPARAM param) {
    auto* clipped = reinterpret_cast<std::vector<Clipped>*>(param);
    wchar_t text[256] = {};
    const int len = GetWindowTextW(control, text, 256);
    wchar_t cls[32] = {};
    GetClassNameW(control, cls, 32);
    if (len == 0 || lstrcmpiW(cls, L"Edit") == 0 || lstrcmpiW(cls, L"ComboBox") == 0) return TRUE;
    HDC dc = GetDC(control);
    HFONT font = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
    HGDIOBJ old = SelectObject(dc, font ? font : GetStockObject(SYSTEM_FONT));
    SIZE size = {};
    GetTextExtentPoint32W(dc, text, len, &size);
    RECT rc;
    GetClientRect(control, &rc);
    // A static taller than two lines wraps its text: what must fit is the
    // height of the wrapped lines.
    if (lstrcmpiW(cls, L"Static") == 0 && rc.bottom >= 2 * size.cy) {
        RECT wrapped = {0, 0, rc.right, 0};
        DrawTextW(dc, text, len, &wrapped, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
        SelectObject(dc, old);
        ReleaseDC(control, dc);
        if (wrapped.bottom > rc.bottom || wrapped.right > rc.right)
            clipped->push_back(
                {text, static_cast<int>(wrapped.bottom), static_cast<int>(rc.bottom)});
        return TRUE;
    }
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    const int needed = size.cx + captionAllowance(control);
    if (needed > rc.right) clipped->push_back({text, needed, static_cast<int>(rc.right)});
    return TRUE;
}

std::wstring report(const std::vector<Clipped>& clipped) {
    std::wstring s;
    for (const Clipped& c : clipped)
        s += c.text + L" needs " + std::to_wstring(c.needed) + L" of " +
             std::to_wstring(c.available) + L"\n";
    return s;
}

std::string narrow(const std::wstring& w) {
    std::string s(static_cast<size_t>(
                      WideCharToMultiByte(CP_UTF8, 0, w.c_str(), -1, nullptr, 0, nullptr, nullptr)),
                  '\0');
    WideCharToMultiByte(CP_UTF8, 0, w.c_str(), -1, s.data(), static_cast<int>(s.size()), nullptr,
                        nullptr);
    return s;
}

bool isGroupBox(HWND control) {
    wchar_t cls[32] = {};
    GetClassNameW(control, cls, 32);
    return lstrcmpiW(cls, L"Button") == 0 &&
           (GetWindowLongW(control, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX;
}

bool isUpDown(HWND control) {
    wchar_t cls[32] = {};
    GetClassNameW(control, cls, 32);
    return lstrcmpiW(cls, UPDOWN_CLASSW) == 0;
}

BOOL CALLBACK collect(HWND control, LPARAM param) {
    if (IsWindowVisible(control) && !isGroupBox(control))
        reinterpret_cast<std::vector<HWND>*>(param)->push_back(control);
    return TRUE;
}

// Controls (group boxes aside) that cover one another, by id.
std::string overlaps(HWND dlg) {
    std::vector<HWND> controls;
    EnumChildWindows(dlg, collect, reinterpret_cast<LPARAM>(&controls));
    std::string s;
    for (size_t i = 0; i < controls.size(); ++i) {
        for (size_t j = i + 1; j < controls.size(); ++j) {
            RECT a, b, both;
            GetWindowRect(controls[i], &a);
            GetWindowRect(controls[j], &b);
            // An up-down sits on its buddy's edge; neighbours may share a
            // pixel where dialog units round.
            if (isUpDown(controls[i]) || isUpDown(controls[j])) continue;
            if (IntersectRect(&both, &a, &b) && both.right - both.left > 1 &&
                both.bottom - both.top > 1)
                s += std::to_string(GetDlgCtrlID(controls[i])) + "/" +
                     std::to_string(GetDlgCtrlID(controls[j])) + " ";
        }
    }
    return s;
}

void expectAllFit(const wchar_t* caption, void (*open)(HWND)) {
    std::vector<Clipped> clipped;
    uitest::runDialog(
        caption, [open] { open(nullptr); },
        [&clipped](HWND dlg) {
            EnumChildWindows(dlg, measure, reinterpret_cast<LPARAM>(&clipped));
            EXPECT_EQ(overlaps(dlg), "");
            SendMessageW(dlg, WM_COMMAND, IDCANCEL, 0);
        });
    EXPECT_TRUE(clipped.empty()) << narrow(report(clipped));
}

class DialogLayout : public ::testing::Test {
protected:
    void SetUp() override {
        uitest::setUpUiProcess();
        g_settings = Settings{};
        g_settings.screenWidth = 1280;
        g_settings.screenHeight = 1024;
    }
    uitest::ShortcutFolders folders;
};

TEST_F(DialogLayout, CalendarCaptionsFit) { expectAllFit(L"カレンダー設定", openCalendarDialog); }
TEST_F(DialogLayout, SmallImageCaptionsFit) {
    expectAllFit(L"小さい画像 詳細設定", openSmallImageDialog);
}
TEST_F(DialogLayout, LargeImageCaptionsFit) {
    expectAllFit(L"大きい画像 詳細設定", openLargeImageDialog);
}
TEST_F(DialogLayout, OptionsCaptionsFit) { expectAllFit(L"オプション", openOptionsDialog); }

TEST_F(DialogLayout, AboutTextsFit) {
    HWND owner = uitest::createOwnerWindow();
    openAboutWindow(owner);
    HWND about = aboutWindow();
    ASSERT_NE(about, nullptr);
    std::vector<Clipped> clipped;
    EnumChildWindows(about, measure, reinterpret_cast<LPARAM>(&clipped));
    EXPECT_TRUE(clipped.empty()) << narrow(report(clipped));
    EXPECT_EQ(overlaps(about), "");
    // The link is painted by hand at (1, 1) in the default GUI font; the
    // program's own help file is "Tolvex.chm".
    HWND link = GetDlgItem(about, kIdAboutLink);
    HDC dc = GetDC(link);
    HGDIOBJ old = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    SIZE size = {};
    const std::wstring text = helpLinkText(L"C:\\Apps\\Tolvex.chm");
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    SelectObject(dc, old);
    ReleaseDC(link, dc);
    RECT rc;
    GetClientRect(link, &rc);
    EXPECT_LE(size.cx + 1, rc.right);
    SendMessageW(about, WM_CLOSE, 0, 0);
    DestroyWindow(owner);
}

}  // namespace
