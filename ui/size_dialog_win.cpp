// "サイズ登録" (dialog 2500): the five size presets of the folder window's
// combo box, edited as widths and heights of at most four digits.
#include <windows.h>

#include <string>

#include "settings/settings.h"
#include "ui/folder_window.h"

namespace {

constexpr int kSizeDialogId = 2500;
constexpr int kFirstWidthEdit = 2520;
constexpr int kFirstHeightEdit = 2530;
constexpr int32_t kMaxPresetValue = 9999;

// Decimal text of at most 8 characters, clamped to 9999; anything that is
// not a digit ends the number.
int32_t readPreset(HWND dialog, int id) {
    wchar_t text[9] = L"";
    GetDlgItemTextW(dialog, id, text, 9);
    int32_t value = 0;
    for (const wchar_t* p = text; *p >= L'0' && *p <= L'9'; ++p) {
        value = value * 10 + (*p - L'0');
        if (value > kMaxPresetValue) value = kMaxPresetValue;
    }
    return value;
}

INT_PTR CALLBACK sizeDialogProc(HWND dialog, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_INITDIALOG: {
            // Top-left corner at the combo box's bottom-left.
            if (HWND combo = reinterpret_cast<HWND>(lp)) {
                RECT r;
                GetWindowRect(combo, &r);
                SetWindowPos(dialog, nullptr, r.left, r.bottom, 0, 0,
                             SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
            }
            for (int n = 0; n < 5; ++n) {
                SendDlgItemMessageW(dialog, kFirstWidthEdit + n, EM_LIMITTEXT, 4, 0);
                SendDlgItemMessageW(dialog, kFirstHeightEdit + n, EM_LIMITTEXT, 4, 0);
                SetDlgItemInt(dialog, kFirstWidthEdit + n, g_settings.PresetW[n], FALSE);
                SetDlgItemInt(dialog, kFirstHeightEdit + n, g_settings.PresetH[n], FALSE);
            }
            SetWindowLongPtrW(dialog, DWLP_USER, lp);
            return TRUE;
        }
        case WM_COMMAND:
            if (LOWORD(wp) == IDOK) {
                for (int n = 0; n < 5; ++n) {
                    g_settings.PresetW[n] = readPreset(dialog, kFirstWidthEdit + n);
                    g_settings.PresetH[n] = readPreset(dialog, kFirstHeightEdit + n);
                }
                if (HWND combo = reinterpret_cast<HWND>(GetWindowLongPtrW(dialog, DWLP_USER)))
                    fillSizeCombo(combo);
                EndDialog(dialog, IDOK);
                return TRUE;
            }
            if (LOWORD(wp) == IDCANCEL) {
                EndDialog(dialog, IDCANCEL);
                return TRUE;
            }
            break;
    }
    return FALSE;
}

}  // namespace

void fillSizeCombo(HWND combo) {
    SendMessageW(combo, CB_RESETCONTENT, 0, 0);
    for (int n = 0; n < 5; ++n) {
        const std::wstring text = std::to_wstring(g_settings.PresetW[n]) + L"x" +
                                  std::to_wstring(g_settings.PresetH[n]) + L" 以上";
        SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }
    SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"サイズ登録"));
    SendMessageW(combo, CB_SETCURSEL, g_settings.AddImgSize, 0);
}

bool runSizeDialog(HWND owner, HWND combo) {
    return DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kSizeDialogId), owner,
                           sizeDialogProc, reinterpret_cast<LPARAM>(combo)) == IDOK;
}
