#include "res/control_ids.h"
#include "settings/settings.h"
#include "ui/rename_dialog.h"
#include "ui/ui_resources.h"
#include "ui/window_state.h"

namespace {

// The dialog's state is the name it edits.
void onInit(HWND dialog, const std::wstring& name) {
    SendDlgItemMessageW(dialog, IDC_RENAME_EDIT, EM_LIMITTEXT, kMaxPathChars, 0);
    SetDlgItemTextW(dialog, IDC_RENAME_EDIT, name.c_str());
}

void onOk(HWND dialog, std::wstring& name) {
    wchar_t text[kMaxPathChars + 1] = {};
    GetDlgItemTextW(dialog, IDC_RENAME_EDIT, text, kMaxPathChars + 1);
    name = text;
    EndDialog(dialog, IDOK);
}

INT_PTR CALLBACK renameDialogProc(HWND dialog, UINT msg, WPARAM wp, LPARAM lp) {
    auto* name = bindDialogState<std::wstring>(dialog, msg, lp);
    if (!name) return FALSE;
    switch (msg) {
        case WM_INITDIALOG:
            onInit(dialog, *name);
            return TRUE;
        case WM_COMMAND:
            if (LOWORD(wp) == IDOK) {
                onOk(dialog, *name);
                return TRUE;
            }
            if (LOWORD(wp) == IDCANCEL) {
                EndDialog(dialog, IDCANCEL);
                return TRUE;
            }
            return FALSE;
    }
    return FALSE;
}

}  // namespace

bool runRenameDialog(HWND owner, std::wstring& name) {
    return DialogBoxParamW(g_instance, MAKEINTRESOURCEW(IDD_RENAME), owner, renameDialogProc,
                           reinterpret_cast<LPARAM>(&name)) == IDOK;
}
