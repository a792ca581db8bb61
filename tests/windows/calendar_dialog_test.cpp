// The calendar settings dialog driven through its real controls: what it
// shows on opening, what each control does to the working copy, and what OK
// and Cancel leave in the settings.
#include "ui/calendar_dialog.h"

#include <windows.h>
#include <colordlg.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include "res/control_ids.h"
#include "settings/settings.h"
#include "support/ui_driver.h"

namespace {

constexpr wchar_t kCaption[] = L"カレンダー設定";

class CalendarDialog : public ::testing::Test {
protected:
    void SetUp() override {
        uitest::setUpUiProcess();
        g_settings = Settings{};
        g_settings.screenWidth = 1280;
        g_settings.screenHeight = 1024;
        // Colours away from the defaults, so a restore is visible.
        CalendarStyle& c = g_settings.cal;
        c.YearMonth = 0x010203;
        c.Weekday = 0x040506;
        c.Saturday = 0x070809;
        c.Sunday = 0x0A0B0C;
        c.Holiday = 0x0D0E0F;
        c.TextShadow = 0x101112;
        c.TodayPen = 0x131415;
        c.TodayNot = 0;
    }

    void run(std::function<void(HWND)> drive) {
        uitest::runDialog(
            kCaption, [] { openCalendarDialog(nullptr); }, std::move(drive));
    }
};

void expectSevenColors(const CalendarStyle& c, ColorRef ym, ColorRef wd, ColorRef sa, ColorRef su,
                       ColorRef ho, ColorRef sh, ColorRef tp) {
    EXPECT_EQ(c.YearMonth, ym);
    EXPECT_EQ(c.Weekday, wd);
    EXPECT_EQ(c.Saturday, sa);
    EXPECT_EQ(c.Sunday, su);
    EXPECT_EQ(c.Holiday, ho);
    EXPECT_EQ(c.TextShadow, sh);
    EXPECT_EQ(c.TodayPen, tp);
}

TEST_F(CalendarDialog, OpensShowingTheSettings) {
    CalendarStyle& c = g_settings.cal;
    c.CalPosX = 640;
    c.CalPosY = 20;
    c.FtSize = 12;
    c.DaySpace = 6;
    c.Weight = 700;
    c.Italic = 0;
    c.YearDisp = 0;
    c.YearPos = 1;
    c.MonthName = 1;
    c.MonthShort = 1;
    c.DispMonth = 3;
    const Settings before = g_settings;
    run([](HWND dlg) {
        using namespace uitest;
        EXPECT_FALSE(isChecked(dlg, IDC_CAL_TODAY_INVERT));
        EXPECT_TRUE(isEnabled(dlg, IDC_CAL_TODAY_PEN_PICK));
        EXPECT_EQ(text(dlg, IDC_CAL_X_EDIT), L"640");
        EXPECT_EQ(text(dlg, IDC_CAL_Y_EDIT), L"20");
        EXPECT_EQ(text(dlg, IDC_CAL_SIZE_EDIT), L"12");
        EXPECT_EQ(text(dlg, IDC_CAL_SPACE_EDIT), L"6");
        int low = 0, high = 0;
        SendDlgItemMessageW(dlg, IDC_CAL_X_UPDOWN, UDM_GETRANGE32, reinterpret_cast<WPARAM>(&low),
                            reinterpret_cast<LPARAM>(&high));
        EXPECT_EQ(low, 0);
        EXPECT_EQ(high, 1280);
        SendDlgItemMessageW(dlg, IDC_CAL_Y_UPDOWN, UDM_GETRANGE32, reinterpret_cast<WPARAM>(&low),
                            reinterpret_cast<LPARAM>(&high));
        EXPECT_EQ(high, 1024);
        SendDlgItemMessageW(dlg, IDC_CAL_SIZE_UPDOWN, UDM_GETRANGE32,
                            reinterpret_cast<WPARAM>(&low), reinterpret_cast<LPARAM>(&high));
        EXPECT_EQ(low, 8);
        EXPECT_EQ(high, 36);
        SendDlgItemMessageW(dlg, IDC_CAL_SPACE_UPDOWN, UDM_GETRANGE32,
                            reinterpret_cast<WPARAM>(&low), reinterpret_cast<LPARAM>(&high));
        EXPECT_EQ(low, 2);
        EXPECT_EQ(high, 36);
        EXPECT_EQ(SendDlgItemMessageW(dlg, IDC_CAL_X_EDIT, EM_GETLIMITTEXT, 0, 0), 4);
        EXPECT_EQ(SendDlgItemMessageW(dlg, IDC_CAL_SIZE_EDIT, EM_GETLIMITTEXT, 0, 0), 2);
        EXPECT_TRUE(isChecked(dlg, IDC_CAL_JAPANESE));
        EXPECT_TRUE(isChecked(dlg, IDC_CAL_BOLD));
        EXPECT_FALSE(isChecked(dlg, IDC_CAL_ITALIC));
        EXPECT_FALSE(isChecked(dlg, IDC_CAL_YEAR_SHOW));
        EXPECT_FALSE(isEnabled(dlg, IDC_CAL_YEAR_BEFORE));
        EXPECT_FALSE(isEnabled(dlg, IDC_CAL_YEAR_AFTER));
        EXPECT_TRUE(isChecked(dlg, IDC_CAL_YEAR_AFTER));
        EXPECT_TRUE(isChecked(dlg, IDC_CAL_MONTH_ENGLISH));
        EXPECT_TRUE(isEnabled(dlg, IDC_CAL_MONTH_SHORT));
        EXPECT_TRUE(isChecked(dlg, IDC_CAL_MONTH_SHORT));
        EXPECT_TRUE(isChecked(dlg, IDC_CAL_MONTHS_3));
        EXPECT_FALSE(isChecked(dlg, IDC_CAL_MONTHS_1));
        // The swatches paint the colours they stand for.
        EXPECT_EQ(shownColor(GetDlgItem(dlg, IDC_CAL_YEAR_MONTH_SWATCH)), 0x010203u);
        EXPECT_EQ(shownColor(GetDlgItem(dlg, IDC_CAL_TODAY_PEN_SWATCH)), 0x131415u);
        EXPECT_EQ(GetClassLongPtrW(GetDlgItem(dlg, IDC_CAL_YEAR_MONTH_SWATCH), GCL_STYLE),
                  static_cast<ULONG_PTR>(CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS));
        click(dlg, IDCANCEL);
    });
    EXPECT_EQ(g_settings.cal.CalPosX, before.cal.CalPosX);
}

TEST_F(CalendarDialog, JapaneseFaceListHoldsNoVerticalFacesAndSelectsFaceS) {
    g_settings.cal.CharSet = SHIFTJIS_CHARSET;
    g_settings.cal.FaceS = L"MS UI Gothic";
    run([](HWND dlg) {
        HWND combo = GetDlgItem(dlg, IDC_CAL_FACE);
        const int n = uitest::comboCount(combo);
        ASSERT_GT(n, 0);
        for (int i = 0; i < n; ++i) {
            const std::wstring face = uitest::comboItem(combo, i);
            EXPECT_NE(face[0], L'@') << "vertical face listed";
            if (i > 0) {
                EXPECT_LE(
                    CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE,
                                   uitest::comboItem(combo, i - 1).c_str(), -1, face.c_str(), -1),
                    CSTR_EQUAL);
            }
        }
        const int sel = static_cast<int>(SendMessageW(combo, CB_GETCURSEL, 0, 0));
        ASSERT_NE(sel, CB_ERR) << "face in use not selected";
        EXPECT_EQ(uitest::comboItem(combo, sel), L"MS UI Gothic");
        uitest::click(dlg, IDCANCEL);
    });
}

TEST_F(CalendarDialog, UnknownFaceLeavesNothingSelected) {
    g_settings.cal.CharSet = SHIFTJIS_CHARSET;
    g_settings.cal.FaceS = L"No Such Face At All";
    run([](HWND dlg) {
        EXPECT_EQ(SendDlgItemMessageW(dlg, IDC_CAL_FACE, CB_GETCURSEL, 0, 0), CB_ERR);
        uitest::click(dlg, IDCANCEL);
    });
}

TEST_F(CalendarDialog, DefaultColorsThenCancelChangesNothing) {
    const Settings before = g_settings;
    run([](HWND dlg) {
        uitest::click(dlg, IDC_CAL_DEFAULT_COLORS);
        EXPECT_TRUE(uitest::isChecked(dlg, IDC_CAL_TODAY_INVERT));
        EXPECT_FALSE(uitest::isEnabled(dlg, IDC_CAL_TODAY_PEN_PICK));
        EXPECT_EQ(uitest::shownColor(GetDlgItem(dlg, IDC_CAL_YEAR_MONTH_SWATCH)), 0xC0FFFFu);
        uitest::click(dlg, IDC_CAL_BOLD);
        uitest::click(dlg, IDCANCEL);
    });
    const CalendarStyle& c = g_settings.cal;
    expectSevenColors(c, 0x010203, 0x040506, 0x070809, 0x0A0B0C, 0x0D0E0F, 0x101112, 0x131415);
    EXPECT_EQ(c.TodayNot, 0);
    EXPECT_EQ(c.Weight, before.cal.Weight);
}

TEST_F(CalendarDialog, EscapeCancelsToo) {
    run([](HWND dlg) {
        uitest::click(dlg, IDC_CAL_DEFAULT_COLORS);
        SendMessageW(dlg, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_EQ(g_settings.cal.YearMonth, 0x010203u);
}

TEST_F(CalendarDialog, DefaultColorsThenOkSetsTheDefaultsAndInvertedFrame) {
    run([](HWND dlg) {
        uitest::click(dlg, IDC_CAL_DEFAULT_COLORS);
        uitest::click(dlg, IDC_CAL_ITALIC);  // something else edited as well
        uitest::click(dlg, IDOK);
    });
    const CalendarStyle& c = g_settings.cal;
    expectSevenColors(c, 0xC0FFFF, 0xFFFFFF, 0xFFE080, 0xC080FF, 0xC080FF, 0x000000, 0x00C000);
    EXPECT_EQ(c.TodayNot, 1);
    EXPECT_EQ(c.Italic, 1);
}

TEST_F(CalendarDialog, InvertedFrameBoxDisablesTheFrameColourButton) {
    run([](HWND dlg) {
        uitest::click(dlg, IDC_CAL_TODAY_INVERT);
        EXPECT_FALSE(uitest::isEnabled(dlg, IDC_CAL_TODAY_PEN_PICK));
        uitest::click(dlg, IDC_CAL_TODAY_INVERT);
        EXPECT_TRUE(uitest::isEnabled(dlg, IDC_CAL_TODAY_PEN_PICK));
        uitest::click(dlg, IDC_CAL_TODAY_INVERT);
        uitest::click(dlg, IDOK);
    });
    EXPECT_EQ(g_settings.cal.TodayNot, 1);
}

TEST_F(CalendarDialog, EnglishRefillsTheFaceListAndEditsFaceA) {
    g_settings.cal.CharSet = SHIFTJIS_CHARSET;
    g_settings.cal.FaceA = L"Before";
    g_settings.cal.FaceS = L"MS UI Gothic";
    std::wstring picked;
    run([&picked](HWND dlg) {
        HWND combo = GetDlgItem(dlg, IDC_CAL_FACE);
        std::wstring japanese;
        for (int i = 0; i < uitest::comboCount(combo); ++i)
            japanese += uitest::comboItem(combo, i) + L"|";
        uitest::click(dlg, IDC_CAL_ENGLISH);
        ASSERT_TRUE(uitest::isChecked(dlg, IDC_CAL_ENGLISH));
        const int n = uitest::comboCount(combo);
        ASSERT_GT(n, 0);
        std::wstring english;
        for (int i = 0; i < n; ++i) english += uitest::comboItem(combo, i) + L"|";
        EXPECT_NE(english, japanese);
        EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), CB_ERR);  // "Before" is no face
        uitest::comboSelect(dlg, IDC_CAL_FACE, n - 1);
        picked = uitest::comboItem(combo, n - 1);
        uitest::click(dlg, IDOK);
    });
    EXPECT_EQ(g_settings.cal.CharSet, ANSI_CHARSET);
    EXPECT_EQ(g_settings.cal.FaceA, picked);
    EXPECT_EQ(g_settings.cal.FaceS, L"MS UI Gothic");
}

TEST_F(CalendarDialog, JapaneseAfterEnglishEditsFaceS) {
    g_settings.cal.CharSet = ANSI_CHARSET;
    g_settings.cal.FaceA = L"Keep";
    std::wstring picked;
    run([&picked](HWND dlg) {
        uitest::click(dlg, IDC_CAL_JAPANESE);
        HWND combo = GetDlgItem(dlg, IDC_CAL_FACE);
        ASSERT_GT(uitest::comboCount(combo), 0);
        uitest::comboSelect(dlg, IDC_CAL_FACE, 0);
        picked = uitest::comboItem(combo, 0);
        uitest::click(dlg, IDOK);
    });
    EXPECT_EQ(g_settings.cal.CharSet, SHIFTJIS_CHARSET);
    EXPECT_EQ(g_settings.cal.FaceS, picked);
    EXPECT_EQ(g_settings.cal.FaceA, L"Keep");
}

TEST_F(CalendarDialog, NumberMonthDisablesShortFormButKeepsItsCheck) {
    g_settings.cal.MonthName = 1;
    g_settings.cal.MonthShort = 1;
    run([](HWND dlg) {
        uitest::click(dlg, IDC_CAL_MONTH_NUMBER);
        EXPECT_FALSE(uitest::isEnabled(dlg, IDC_CAL_MONTH_SHORT));
        EXPECT_TRUE(uitest::isChecked(dlg, IDC_CAL_MONTH_SHORT));
        uitest::click(dlg, IDOK);
    });
    EXPECT_EQ(g_settings.cal.MonthName, 0);
    EXPECT_EQ(g_settings.cal.MonthShort, 1);
    run([](HWND dlg) {
        EXPECT_FALSE(uitest::isEnabled(dlg, IDC_CAL_MONTH_SHORT));
        EXPECT_TRUE(uitest::isChecked(dlg, IDC_CAL_MONTH_SHORT));
        uitest::click(dlg, IDC_CAL_MONTH_ENGLISH);
        EXPECT_TRUE(uitest::isEnabled(dlg, IDC_CAL_MONTH_SHORT));
        uitest::click(dlg, IDC_CAL_MONTH_SHORT);
        uitest::click(dlg, IDOK);
    });
    EXPECT_EQ(g_settings.cal.MonthName, 1);
    EXPECT_EQ(g_settings.cal.MonthShort, 0);
}

TEST_F(CalendarDialog, YearAndMonthCountControls) {
    run([](HWND dlg) {
        uitest::click(dlg, IDC_CAL_YEAR_SHOW);  // year off
        EXPECT_FALSE(uitest::isEnabled(dlg, IDC_CAL_YEAR_BEFORE));
        uitest::click(dlg, IDC_CAL_YEAR_SHOW);  // and on again
        EXPECT_TRUE(uitest::isEnabled(dlg, IDC_CAL_YEAR_AFTER));
        uitest::click(dlg, IDC_CAL_YEAR_AFTER);
        uitest::click(dlg, IDC_CAL_MONTHS_2);
        uitest::click(dlg, IDC_CAL_BOLD);
        uitest::click(dlg, IDOK);
    });
    EXPECT_EQ(g_settings.cal.YearDisp, 1);
    EXPECT_EQ(g_settings.cal.YearPos, 1);
    EXPECT_EQ(g_settings.cal.DispMonth, 2);
    EXPECT_EQ(g_settings.cal.Weight, 700);
    run([](HWND dlg) {
        uitest::click(dlg, IDC_CAL_YEAR_SHOW);
        uitest::click(dlg, IDC_CAL_MONTHS_1);
        uitest::click(dlg, IDC_CAL_BOLD);
        uitest::click(dlg, IDOK);
    });
    EXPECT_EQ(g_settings.cal.YearDisp, 0);
    EXPECT_EQ(g_settings.cal.DispMonth, 1);
    EXPECT_EQ(g_settings.cal.Weight, 400);
}

TEST_F(CalendarDialog, OkTakesTypedNumbersThroughTheUpDowns) {
    run([](HWND dlg) {
        uitest::setText(dlg, IDC_CAL_X_EDIT, L"321");
        uitest::setText(dlg, IDC_CAL_Y_EDIT, L"45");
        uitest::setText(dlg, IDC_CAL_SIZE_EDIT, L"20");
        uitest::setText(dlg, IDC_CAL_SPACE_EDIT, L"9");
        uitest::click(dlg, IDOK);
    });
    EXPECT_EQ(g_settings.cal.CalPosX, 321);
    EXPECT_EQ(g_settings.cal.CalPosY, 45);
    EXPECT_EQ(g_settings.cal.FtSize, 20);
    EXPECT_EQ(g_settings.cal.DaySpace, 9);
}

TEST_F(CalendarDialog, TypedNumbersAreForgottenOnCancel) {
    run([](HWND dlg) {
        uitest::setText(dlg, IDC_CAL_X_EDIT, L"321");
        uitest::click(dlg, IDCANCEL);
    });
    EXPECT_EQ(g_settings.cal.CalPosX, 0);
}

// The colour picker: its red, green and blue become the row's colour on OK;
// cancelling it leaves the colour alone.
TEST_F(CalendarDialog, ColourPickerConfirmedAndCancelled) {
    run([](HWND dlg) {
        uitest::whenShown([dlg] { return uitest::findOwnedBy(dlg); },
                          [](HWND picker) {
                              SetDlgItemTextW(picker, COLOR_RED, L"10");
                              SetDlgItemTextW(picker, COLOR_GREEN, L"20");
                              SetDlgItemTextW(picker, COLOR_BLUE, L"30");
                              PostMessageW(picker, WM_COMMAND, IDOK, 0);
                          });
        uitest::click(dlg, IDC_CAL_WEEKDAY_PICK);
        EXPECT_EQ(uitest::shownColor(GetDlgItem(dlg, IDC_CAL_WEEKDAY_SWATCH)), RGB(10, 20, 30));
        uitest::whenShown([dlg] { return uitest::findOwnedBy(dlg); },
                          [](HWND picker) { PostMessageW(picker, WM_COMMAND, IDCANCEL, 0); });
        uitest::click(dlg, IDC_CAL_SATURDAY_PICK);
        uitest::click(dlg, IDOK);
    });
    EXPECT_EQ(g_settings.cal.Weekday, static_cast<ColorRef>(RGB(10, 20, 30)));
    EXPECT_EQ(g_settings.cal.Saturday, 0x070809u);
}

}  // namespace
