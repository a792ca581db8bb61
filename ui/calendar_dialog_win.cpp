#include <windows.h>
#include <commctrl.h>

#include <iterator>

#include "base/owners_win.h"
#include "res/control_ids.h"
#include "settings/settings.h"
#include "ui/calendar_dialog.h"
#include "ui/color_swatch.h"
#include "ui/ui_resources.h"
#include "ui/window_state.h"

namespace {

// The seven colour rows, in the order of their swatches and "設定" buttons.
constexpr int kColorRows = 7;
constexpr int kSwatchFirst = IDC_CAL_YEAR_MONTH_SWATCH;
constexpr int kPickFirst = IDC_CAL_YEAR_MONTH_PICK;
constexpr int kTodayPenRow = 6;
static_assert(IDC_CAL_TODAY_PEN_SWATCH == kSwatchFirst + kTodayPenRow);
static_assert(IDC_CAL_TODAY_PEN_PICK == kPickFirst + kTodayPenRow);

// The dialog's state: the working copy every control reads and writes, and
// the settings it came from, which OK writes back.
struct CalendarDialog {
    CalendarStyle work;
    Settings* settings;
};

ColorRef* rowColor(CalendarStyle& work, int row) {
    ColorRef* fields[kColorRows] = {&work.YearMonth, &work.Weekday,    &work.Saturday, &work.Sunday,
                                    &work.Holiday,   &work.TextShadow, &work.TodayPen};
    return fields[row];
}

// The stored character set is the font's: Shift-JIS picks the Japanese face
// (FaceS), anything else the English one (FaceA).
bool japanese(const CalendarStyle& style) { return style.CharSet != ANSI_CHARSET; }
std::wstring& faceInUse(CalendarStyle& style) {
    return japanese(style) ? style.FaceS : style.FaceA;
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

// Empties the face list, fills it with the families of the working character
// set and selects the face in use when it is listed with exactly that name.
void fillFaceCombo(HWND dlg, CalendarStyle& work) {
    HWND combo = GetDlgItem(dlg, IDC_CAL_FACE);
    SendMessageW(combo, CB_RESETCONTENT, 0, 0);
    if (WindowDc screen{nullptr}) {
        LOGFONTW lf = {};
        lf.lfCharSet = DEFAULT_CHARSET;
        FaceFill fill = {combo, work.CharSet};
        EnumFontFamiliesExW(screen.get(), &lf, addFace, reinterpret_cast<LPARAM>(&fill), 0);
    }
    const std::wstring& face = faceInUse(work);
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

void takeSelectedFace(HWND dlg, CalendarStyle& work) {
    HWND combo = GetDlgItem(dlg, IDC_CAL_FACE);
    const LRESULT sel = SendMessageW(combo, CB_GETCURSEL, 0, 0);
    if (sel == CB_ERR) return;
    wchar_t name[LF_FACESIZE * 2] = {};
    const LRESULT len = SendMessageW(combo, CB_GETLBTEXTLEN, sel, 0);
    if (len < 0 || len >= static_cast<LRESULT>(std::size(name))) return;
    SendMessageW(combo, CB_GETLBTEXT, sel, reinterpret_cast<LPARAM>(name));
    faceInUse(work) = name;
}

// The character-set radios: the face list follows the set.
void setCharSet(HWND dlg, CalendarStyle& work, BYTE charSet) {
    work.CharSet = charSet;
    fillFaceCombo(dlg, work);
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

void onInit(HWND dlg, CalendarDialog& state) {
    const CalendarStyle& work = state.work;
    check(dlg, IDC_CAL_TODAY_INVERT, work.TodayNot != 0);
    enable(dlg, IDC_CAL_TODAY_PEN_PICK, work.TodayNot == 0);

    setUpDown(dlg, IDC_CAL_X_EDIT, IDC_CAL_X_UPDOWN, 4, 0, windowScreenWidth(*state.settings),
              work.CalPosX);
    setUpDown(dlg, IDC_CAL_Y_EDIT, IDC_CAL_Y_UPDOWN, 4, 0, windowScreenHeight(*state.settings),
              work.CalPosY);

    check(dlg, japanese(work) ? IDC_CAL_JAPANESE : IDC_CAL_ENGLISH, true);
    fillFaceCombo(dlg, state.work);

    setUpDown(dlg, IDC_CAL_SIZE_EDIT, IDC_CAL_SIZE_UPDOWN, 2, 8, 36, work.FtSize);
    setUpDown(dlg, IDC_CAL_SPACE_EDIT, IDC_CAL_SPACE_UPDOWN, 2, 2, 36, work.DaySpace);

    check(dlg, IDC_CAL_BOLD, work.Weight == FW_BOLD);
    check(dlg, IDC_CAL_ITALIC, work.Italic == 1);

    check(dlg, IDC_CAL_YEAR_SHOW, work.YearDisp != 0);
    enable(dlg, IDC_CAL_YEAR_BEFORE, work.YearDisp != 0);
    enable(dlg, IDC_CAL_YEAR_AFTER, work.YearDisp != 0);
    check(dlg, work.YearPos == 0 ? IDC_CAL_YEAR_BEFORE : IDC_CAL_YEAR_AFTER, true);

    check(dlg, work.MonthName == 0 ? IDC_CAL_MONTH_NUMBER : IDC_CAL_MONTH_ENGLISH, true);
    enable(dlg, IDC_CAL_MONTH_SHORT, work.MonthName != 0);
    check(dlg, IDC_CAL_MONTH_SHORT, work.MonthShort != 0);

    check(dlg,
          work.DispMonth == 2   ? IDC_CAL_MONTHS_2
          : work.DispMonth == 3 ? IDC_CAL_MONTHS_3
                                : IDC_CAL_MONTHS_1,
          true);
}

void setDefaultColors(HWND dlg, CalendarStyle& work) {
    work.YearMonth = 0xC0FFFF;
    work.Weekday = 0xFFFFFF;
    work.Saturday = 0xFFE080;
    work.Sunday = 0xC080FF;
    work.Holiday = 0xC080FF;
    work.TextShadow = 0x000000;
    work.TodayPen = 0x00C000;
    for (int row = 0; row < kColorRows; ++row) repaint(dlg, kSwatchFirst + row);
    work.TodayNot = 1;
    check(dlg, IDC_CAL_TODAY_INVERT, true);
    enable(dlg, IDC_CAL_TODAY_PEN_PICK, false);
}

void onOk(HWND dlg, CalendarDialog& state) {
    CalendarStyle& cal = state.settings->cal;
    cal = state.work;
    cal.CalPosX = upDownPos(dlg, IDC_CAL_X_UPDOWN);
    cal.CalPosY = upDownPos(dlg, IDC_CAL_Y_UPDOWN);
    cal.FtSize = upDownPos(dlg, IDC_CAL_SIZE_UPDOWN);
    cal.DaySpace = upDownPos(dlg, IDC_CAL_SPACE_UPDOWN);
    EndDialog(dlg, IDOK);
}

void onCommand(HWND dlg, CalendarDialog& state, int id, int code) {
    CalendarStyle& work = state.work;
    if (id >= kPickFirst && id < kPickFirst + kColorRows) {
        const int row = id - kPickFirst;
        if (pickColor(dlg, rowColor(work, row), state.settings->CRGB))
            repaint(dlg, kSwatchFirst + row);
        return;
    }
    switch (id) {
        case IDC_CAL_DEFAULT_COLORS:
            setDefaultColors(dlg, work);
            break;
        case IDC_CAL_TODAY_INVERT:
            work.TodayNot = checked(dlg, IDC_CAL_TODAY_INVERT) ? 1 : 0;
            enable(dlg, IDC_CAL_TODAY_PEN_PICK, work.TodayNot == 0);
            break;
        case IDC_CAL_JAPANESE:
            if (checked(dlg, IDC_CAL_JAPANESE) && !japanese(work))
                setCharSet(dlg, work, SHIFTJIS_CHARSET);
            break;
        case IDC_CAL_ENGLISH:
            if (checked(dlg, IDC_CAL_ENGLISH) && work.CharSet == SHIFTJIS_CHARSET)
                setCharSet(dlg, work, ANSI_CHARSET);
            break;
        case IDC_CAL_FACE:
            if (code == CBN_SELCHANGE) takeSelectedFace(dlg, work);
            break;
        case IDC_CAL_BOLD:
            work.Weight = checked(dlg, IDC_CAL_BOLD) ? FW_BOLD : FW_NORMAL;
            break;
        case IDC_CAL_ITALIC:
            work.Italic = checked(dlg, IDC_CAL_ITALIC) ? 1 : 0;
            break;
        case IDC_CAL_YEAR_SHOW: {
            const bool on = checked(dlg, IDC_CAL_YEAR_SHOW);
            work.YearDisp = on ? 1 : 0;
            enable(dlg, IDC_CAL_YEAR_BEFORE, on);
            enable(dlg, IDC_CAL_YEAR_AFTER, on);
            break;
        }
        case IDC_CAL_YEAR_BEFORE:
            if (checked(dlg, IDC_CAL_YEAR_BEFORE)) work.YearPos = 0;
            break;
        case IDC_CAL_YEAR_AFTER:
            if (checked(dlg, IDC_CAL_YEAR_AFTER)) work.YearPos = 1;
            break;
        case IDC_CAL_MONTH_NUMBER:
            if (checked(dlg, IDC_CAL_MONTH_NUMBER)) {
                work.MonthName = 0;
                enable(dlg, IDC_CAL_MONTH_SHORT, false);
            }
            break;
        case IDC_CAL_MONTH_ENGLISH:
            if (checked(dlg, IDC_CAL_MONTH_ENGLISH)) {
                work.MonthName = 1;
                enable(dlg, IDC_CAL_MONTH_SHORT, true);
            }
            break;
        case IDC_CAL_MONTH_SHORT:
            work.MonthShort = checked(dlg, IDC_CAL_MONTH_SHORT) ? 1 : 0;
            break;
        case IDC_CAL_MONTHS_1:
        case IDC_CAL_MONTHS_2:
        case IDC_CAL_MONTHS_3:
            if (checked(dlg, id)) work.DispMonth = id - IDC_CAL_MONTHS_1 + 1;
            break;
        case IDOK:
            onOk(dlg, state);
            break;
        case IDCANCEL:
            EndDialog(dlg, IDCANCEL);
            break;
        default:
            break;
    }
}

// The swatches paint the working copy's colours.
void onSwatchQuery(CalendarDialog& state, SwatchQuery& query) {
    const int row = static_cast<int>(query.which) - static_cast<int>(SwatchColor::YearMonth);
    if (row < 0 || row >= kColorRows) return;
    query.color = *rowColor(state.work, row);
    query.answered = true;
}

INT_PTR CALLBACK calendarDialogProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
    auto* state = bindDialogState<CalendarDialog>(dlg, msg, lp);
    if (!state) return FALSE;
    switch (msg) {
        case WM_INITDIALOG:
            onInit(dlg, *state);
            return TRUE;
        case WM_COMMAND:
            onCommand(dlg, *state, LOWORD(wp), HIWORD(wp));
            return TRUE;
        case kSwatchColorQuery:
            onSwatchQuery(*state, *reinterpret_cast<SwatchQuery*>(lp));
            return TRUE;
        default:
            return FALSE;
    }
}

}  // namespace

void openCalendarDialog(HWND owner) {
    registerSwatchClasses(g_instance);
    CalendarDialog state{g_settings.cal, &g_settings};
    DialogBoxParamW(g_instance, MAKEINTRESOURCEW(IDD_CALENDAR), owner, calendarDialogProc,
                    reinterpret_cast<LPARAM>(&state));
}
