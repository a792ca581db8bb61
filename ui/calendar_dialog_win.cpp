#include <windows.h>
#include <commctrl.h>

#include <cwchar>
#include <iterator>

#include "res/dialog_ids.h"
#include "settings/settings.h"
#include "ui/calendar_dialog.h"
#include "ui/color_swatch.h"
#include "ui/ui_resources.h"

namespace {

enum : int {
    kDefaultColors = 2101,
    kSwatchFirst = 2130,  // 2130..2136, one per colour row
    kPickFirst = 2140,    // 2140..2146, the rows' "設定" buttons
    kTodayInvert = 2128,
    kEditX = 2152,
    kUpDownX = 2153,
    kEditY = 2155,
    kUpDownY = 2156,
    kJapanese = 2161,
    kEnglish = 2162,
    kFaceCombo = 2163,
    kEditSize = 2165,
    kUpDownSize = 2166,
    kEditSpace = 2171,
    kUpDownSpace = 2172,
    kBold = 2173,
    kItalic = 2174,
    kYearShow = 2182,
    kYearBefore = 2183,
    kYearAfter = 2184,
    kMonthNumber = 2186,
    kMonthEnglish = 2187,
    kMonthShort = 2188,
    kMonths1 = 2191,
    kMonths2 = 2192,
    kMonths3 = 2193,
};

constexpr int kColorRows = 7;
constexpr int kTodayPenRow = 6;

// The record every control of the open dialog reads and writes.
CalendarStyle g_work;

ColorRef* rowColor(int row) {
    ColorRef* fields[kColorRows] = {&g_work.YearMonth, &g_work.Weekday, &g_work.Saturday,
                                    &g_work.Sunday,    &g_work.Holiday, &g_work.TextShadow,
                                    &g_work.TodayPen};
    return fields[row];
}

bool checked(HWND dlg, int id) { return IsDlgButtonChecked(dlg, id) == BST_CHECKED; }
void check(HWND dlg, int id, bool on) { CheckDlgButton(dlg, id, on ? BST_CHECKED : BST_UNCHECKED); }
void enable(HWND dlg, int id, bool on) { EnableWindow(GetDlgItem(dlg, id), on ? TRUE : FALSE); }
void repaint(HWND dlg, int id) { InvalidateRect(GetDlgItem(dlg, id), nullptr, TRUE); }

struct FaceFill {
    HWND combo;
    BYTE charSet;
};

int CALLBACK addFace(const LOGFONTW* lf, const TEXTMETRICW*, DWORD fontType, LPARAM param) {
    const FaceFill* fill = reinterpret_cast<const FaceFill*>(param);
    // TrueType faces of the wanted character set; "@" faces are the
    // vertical-writing twins and are left out.
    if (!(fontType & TRUETYPE_FONTTYPE) || lf->lfFaceName[0] == L'@' ||
        lf->lfCharSet != fill->charSet)
        return 1;
    if (SendMessageW(fill->combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                     reinterpret_cast<LPARAM>(lf->lfFaceName)) == CB_ERR)
        SendMessageW(fill->combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(lf->lfFaceName));
    return 1;
}

const std::wstring& faceInUse() { return g_work.CharSet != 0 ? g_work.FaceS : g_work.FaceA; }

// Empties the face list, fills it with the families of the working character
// set and selects the face in use when it is listed with exactly that name.
void fillFaceCombo(HWND dlg) {
    HWND combo = GetDlgItem(dlg, kFaceCombo);
    SendMessageW(combo, CB_RESETCONTENT, 0, 0);
    HDC dc = GetDC(nullptr);
    if (dc) {
        LOGFONTW lf = {};
        lf.lfCharSet = DEFAULT_CHARSET;
        FaceFill fill = {combo, g_work.CharSet};
        EnumFontFamiliesExW(dc, &lf, addFace, reinterpret_cast<LPARAM>(&fill), 0);
        ReleaseDC(nullptr, dc);
    }
    const std::wstring& face = faceInUse();
    const int count = static_cast<int>(SendMessageW(combo, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        wchar_t name[LF_FACESIZE * 2] = {};
        const LRESULT len = SendMessageW(combo, CB_GETLBTEXTLEN, i, 0);
        if (len < 0 || len >= static_cast<LRESULT>(std::size(name))) continue;
        SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(name));
        if (face == name) {
            SendMessageW(combo, CB_SETCURSEL, i, 0);
            break;
        }
    }
}

void takeSelectedFace(HWND dlg) {
    HWND combo = GetDlgItem(dlg, kFaceCombo);
    const LRESULT sel = SendMessageW(combo, CB_GETCURSEL, 0, 0);
    if (sel == CB_ERR) return;
    wchar_t name[LF_FACESIZE * 2] = {};
    const LRESULT len = SendMessageW(combo, CB_GETLBTEXTLEN, sel, 0);
    if (len < 0 || len >= static_cast<LRESULT>(std::size(name))) return;
    SendMessageW(combo, CB_GETLBTEXT, sel, reinterpret_cast<LPARAM>(name));
    (g_work.CharSet != 0 ? g_work.FaceS : g_work.FaceA) = name;
}

void setUpDown(HWND dlg, int editId, int upDownId, int textLimit, int low, int high, int pos) {
    SendDlgItemMessageW(dlg, editId, EM_LIMITTEXT, textLimit, 0);
    SendDlgItemMessageW(dlg, upDownId, UDM_SETRANGE, 0, MAKELPARAM(high, low));
    SendDlgItemMessageW(dlg, upDownId, UDM_SETPOS, 0, MAKELPARAM(pos, 0));
}

// The up-down's position as a signed 16-bit value; the control reads its
// buddy's text first.
int upDownPos(HWND dlg, int upDownId) {
    return static_cast<short>(LOWORD(SendDlgItemMessageW(dlg, upDownId, UDM_GETPOS, 0, 0)));
}

void onInit(HWND dlg) {
    g_work = g_settings.cal;
    setCalendarSwatchSource(&g_work);

    check(dlg, kTodayInvert, g_work.TodayNot != 0);
    enable(dlg, kPickFirst + kTodayPenRow, g_work.TodayNot == 0);

    setUpDown(dlg, kEditX, kUpDownX, 4, 0, g_settings.screenWidth, g_work.CalPosX);
    setUpDown(dlg, kEditY, kUpDownY, 4, 0, g_settings.screenHeight, g_work.CalPosY);

    check(dlg, g_work.CharSet != 0 ? kJapanese : kEnglish, true);
    fillFaceCombo(dlg);

    setUpDown(dlg, kEditSize, kUpDownSize, 2, 8, 36, g_work.FtSize);
    setUpDown(dlg, kEditSpace, kUpDownSpace, 2, 2, 36, g_work.DaySpace);

    check(dlg, kBold, g_work.Weight == 700);
    check(dlg, kItalic, g_work.Italic == 1);

    check(dlg, kYearShow, g_work.YearDisp != 0);
    enable(dlg, kYearBefore, g_work.YearDisp != 0);
    enable(dlg, kYearAfter, g_work.YearDisp != 0);
    check(dlg, g_work.YearPos == 0 ? kYearBefore : kYearAfter, true);

    check(dlg, g_work.MonthName == 0 ? kMonthNumber : kMonthEnglish, true);
    enable(dlg, kMonthShort, g_work.MonthName != 0);
    check(dlg, kMonthShort, g_work.MonthShort != 0);

    check(dlg,
          g_work.DispMonth == 2   ? kMonths2
          : g_work.DispMonth == 3 ? kMonths3
                                  : kMonths1,
          true);
}

void setDefaultColors(HWND dlg) {
    g_work.YearMonth = 0xC0FFFF;
    g_work.Weekday = 0xFFFFFF;
    g_work.Saturday = 0xFFE080;
    g_work.Sunday = 0xC080FF;
    g_work.Holiday = 0xC080FF;
    g_work.TextShadow = 0x000000;
    g_work.TodayPen = 0x00C000;
    for (int row = 0; row < kColorRows; ++row) repaint(dlg, kSwatchFirst + row);
    g_work.TodayNot = 1;
    check(dlg, kTodayInvert, true);
    enable(dlg, kPickFirst + kTodayPenRow, false);
}

void onOk(HWND dlg) {
    g_settings.cal = g_work;
    g_settings.cal.CalPosX = upDownPos(dlg, kUpDownX);
    g_settings.cal.CalPosY = upDownPos(dlg, kUpDownY);
    g_settings.cal.FtSize = upDownPos(dlg, kUpDownSize);
    g_settings.cal.DaySpace = upDownPos(dlg, kUpDownSpace);
    EndDialog(dlg, IDOK);
}

void onCommand(HWND dlg, int id, int code) {
    if (id >= kPickFirst && id < kPickFirst + kColorRows) {
        const int row = id - kPickFirst;
        if (pickColor(dlg, rowColor(row))) repaint(dlg, kSwatchFirst + row);
        return;
    }
    switch (id) {
        case kDefaultColors:
            setDefaultColors(dlg);
            break;
        case kTodayInvert:
            g_work.TodayNot = checked(dlg, kTodayInvert) ? 1 : 0;
            enable(dlg, kPickFirst + kTodayPenRow, g_work.TodayNot == 0);
            break;
        case kJapanese:
            if (checked(dlg, kJapanese) && g_work.CharSet == 0) {
                g_work.CharSet = 128;
                fillFaceCombo(dlg);
            }
            break;
        case kEnglish:
            if (checked(dlg, kEnglish) && g_work.CharSet == 128) {
                g_work.CharSet = 0;
                fillFaceCombo(dlg);
            }
            break;
        case kFaceCombo:
            if (code == CBN_SELCHANGE) takeSelectedFace(dlg);
            break;
        case kBold:
            g_work.Weight = checked(dlg, kBold) ? 700 : 400;
            break;
        case kItalic:
            g_work.Italic = checked(dlg, kItalic) ? 1 : 0;
            break;
        case kYearShow: {
            const bool on = checked(dlg, kYearShow);
            g_work.YearDisp = on ? 1 : 0;
            enable(dlg, kYearBefore, on);
            enable(dlg, kYearAfter, on);
            break;
        }
        case kYearBefore:
            if (checked(dlg, kYearBefore)) g_work.YearPos = 0;
            break;
        case kYearAfter:
            if (checked(dlg, kYearAfter)) g_work.YearPos = 1;
            break;
        case kMonthNumber:
            if (checked(dlg, kMonthNumber)) {
                g_work.MonthName = 0;
                enable(dlg, kMonthShort, false);
            }
            break;
        case kMonthEnglish:
            if (checked(dlg, kMonthEnglish)) {
                g_work.MonthName = 1;
                enable(dlg, kMonthShort, true);
            }
            break;
        case kMonthShort:
            g_work.MonthShort = checked(dlg, kMonthShort) ? 1 : 0;
            break;
        case kMonths1:
        case kMonths2:
        case kMonths3:
            if (checked(dlg, id)) g_work.DispMonth = id - kMonths1 + 1;
            break;
        case IDOK:
            onOk(dlg);
            break;
        case IDCANCEL:
            EndDialog(dlg, IDCANCEL);
            break;
        default:
            break;
    }
}

INT_PTR CALLBACK calendarDialogProc(HWND dlg, UINT msg, WPARAM wp, LPARAM) {
    switch (msg) {
        case WM_INITDIALOG:
            onInit(dlg);
            return TRUE;
        case WM_COMMAND:
            onCommand(dlg, LOWORD(wp), HIWORD(wp));
            return TRUE;
        case WM_DESTROY:
            setCalendarSwatchSource(nullptr);
            return FALSE;
        default:
            return FALSE;
    }
}

}  // namespace

void openCalendarDialog(HWND owner) {
    registerSwatchClasses(g_instance);
    DialogBoxParamW(g_instance, MAKEINTRESOURCEW(IDD_CALENDAR), owner, calendarDialogProc, 0);
}
