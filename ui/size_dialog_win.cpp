// "サイズ登録" (dialog IDD_SIZE_PRESETS): the five size presets of the folder
// window's combo box, edited as widths and heights of at most four digits.
#include <windows.h>

#include <string>

#include "res/control_ids.h"
#include "settings/settings.h"
#include "ui/folder_window.h"
#include "ui/window_state.h"

namespace {

constexpr int kPresets = 5;
constexpr int32_t kMaxPresetValue = 9999;
static_assert(IDC_SIZE_WIDTH_5 == IDC_SIZE_WIDTH_1 + kPresets - 1);
static_assert(IDC_SIZE_HEIGHT_5 == IDC_SIZE_HEIGHT_1 + kPresets - 1);

// The dialog's state: the presets it edits and the combo box that shows
// them, refilled on OK.
struct SizeDialog {
    Settings* settings;
    HWND combo;
};

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

void onInit(HWND dialog, const SizeDialog& state) {
    // Top-left corner at the combo box's bottom-left.
    if (state.combo) {
        RECT r;
        GetWindowRect(state.combo, &r);
        SetWindowPos(dialog, nullptr, r.left, r.bottom, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    for (int n = 0; n < kPresets; ++n) {
        SendDlgItemMessageW(dialog, IDC_SIZE_WIDTH_1 + n, EM_LIMITTEXT, 4, 0);
        SendDlgItemMessageW(dialog, IDC_SIZE_HEIGHT_1 + n, EM_LIMITTEXT, 4, 0);
        SetDlgItemInt(dialog, IDC_SIZE_WIDTH_1 + n, state.settings->PresetW[n], FALSE);
        SetDlgItemInt(dialog, IDC_SIZE_HEIGHT_1 + n, state.settings->PresetH[n], FALSE);
    }
}

void onOk(HWND dialog, const SizeDialog& state) {
    for (int n = 0; n < kPresets; ++n) {
        state.settings->PresetW[n] = readPreset(dialog, IDC_SIZE_WIDTH_1 + n);
        state.settings->PresetH[n] = readPreset(dialog, IDC_SIZE_HEIGHT_1 + n);
    }
    if (state.combo) fillSizeCombo(state.combo);
    EndDialog(dialog, IDOK);
}

INT_PTR CALLBACK sizeDialogProc(HWND dialog, UINT msg, WPARAM wp, LPARAM lp) {
    const auto* state = bindDialogState<SizeDialog>(dialog, msg, lp);
    if (!state) return FALSE;
    switch (msg) {
        case WM_INITDIALOG:
            onInit(dialog, *state);
            return TRUE;
        case WM_COMMAND:
            if (LOWORD(wp) == IDOK) {
                onOk(dialog, *state);
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
    for (int n = 0; n < kPresets; ++n) {
        const std::wstring text = std::to_wstring(g_settings.PresetW[n]) + L"x" +
                                  std::to_wstring(g_settings.PresetH[n]) + L" 以上";
        SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }
    SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"サイズ登録"));
    SendMessageW(combo, CB_SETCURSEL, g_settings.AddImgSize, 0);
}

bool runSizeDialog(HWND owner, HWND combo) {
    SizeDialog state{&g_settings, combo};
    return DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_SIZE_PRESETS), owner,
                           sizeDialogProc, reinterpret_cast<LPARAM>(&state)) == IDOK;
}
